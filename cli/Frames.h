// Frame sequences: file names with a frame-number pattern ("shot.####.exr",
// "shot.%04d.exr") and frame ranges ("1-24", "7").
//
// OpenImageIO's sequence helpers (Filesystem::parse_pattern and
// enumerate_sequence) follow other conventions: there each '#' stands for
// four digits ("####" pads to 16), the first pattern is replaced even in a
// folder name, and a range may step, list or run backwards ("10-1" gives no
// frame at all). Ours: N '#' pad to N digits, the file name's last pattern
// alone, A <= B within bounds.
#pragma once

#include <string>
#include <string_view>

namespace kestrow::cli {

// Frame numbers lie within +-kMaxFrameNumber (nine digits, so that every
// number and every count stays far from the integer limits), and one run
// renders at most kMaxFrames frames.
constexpr int kMaxFrameNumber = 999'999'999;
constexpr long long kMaxFrames = 1'000'000;
// A pattern pads frame numbers to at most this many digits.
constexpr int kMaxFramePadding = 32;

struct FrameRange {
  int first = 0;
  int last = 0;
  long long count() const { return (long long)last - first + 1; }
};

// Parses "A-B" or "A" (A <= B; negative frames are written "-5--1").
// Throws a usage CliError naming --frames when malformed or out of bounds.
FrameRange parseFrameRange(std::string_view text);

// True when `path` holds a run of '#' or a printf pattern %d / %0Nd.
bool hasFramePattern(std::string_view path);

// Throws a usage CliError naming `path` when its pattern pads to more than
// kMaxFramePadding digits.
void checkFramePattern(std::string_view path);

// `path` with its pattern replaced by `frame`: a run of N '#' gives the
// number zero-padded to N digits, %0Nd to N digits, %d unpadded. Only the
// last pattern in the name is replaced. Without a pattern, `path` itself.
std::string expandFramePattern(std::string_view path, int frame);

}  // namespace kestrow::cli
