#include "Frames.h"

#include <cctype>
#include <charconv>
#include <optional>

#include "Errors.h"

namespace kestrow::cli {
namespace {

struct Pattern {
  std::size_t begin = 0, end = 0;  // [begin, end) in the name
  int width = 0;                   // digits, 0 = unpadded
};

// The last pattern in the file-name part of `path`.
std::optional<Pattern> findPattern(std::string_view path) {
  const std::size_t nameStart =
      path.find_last_of('/') == std::string_view::npos ? 0 : path.find_last_of('/') + 1;
  std::optional<Pattern> found;
  for (std::size_t i = nameStart; i < path.size(); ++i) {
    if (path[i] == '#') {
      std::size_t j = i;
      while (j < path.size() && path[j] == '#') ++j;
      found = Pattern{i, j, int(j - i)};
      i = j - 1;
    } else if (path[i] == '%') {
      std::size_t j = i + 1;
      int width = 0;
      const bool padded = j < path.size() && path[j] == '0';
      while (j < path.size() && std::isdigit(static_cast<unsigned char>(path[j])))
        width = width * 10 + (path[j++] - '0');
      if (j < path.size() && path[j] == 'd' && (padded || width == 0))
        found = Pattern{i, j + 1, width};
    }
  }
  return found;
}

bool parseInt(std::string_view text, long long& value) {
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  return !text.empty() && result.ec == std::errc() && result.ptr == text.data() + text.size();
}

}  // namespace

FrameRange parseFrameRange(std::string_view text) {
  // The separating '-' is the first one after the first character, so that
  // a leading minus belongs to the first frame.
  const std::size_t dash = text.size() > 1 ? text.find('-', 1) : std::string_view::npos;
  long long first = 0, last = 0;
  bool ok;
  if (dash == std::string_view::npos) {
    ok = parseInt(text, first);
    last = first;
  } else {
    ok = parseInt(text.substr(0, dash), first) && parseInt(text.substr(dash + 1), last);
  }
  if (!ok)
    usageError("--frames", std::string("\"") + std::string(text) + "\" is not a frame range A-B");
  for (long long frame : {first, last})
    if (frame < -kMaxFrameNumber || frame > kMaxFrameNumber)
      usageError("--frames", "frame " + std::to_string(frame) + " is outside -" +
                                 std::to_string(kMaxFrameNumber) + " to " +
                                 std::to_string(kMaxFrameNumber));
  const FrameRange range{int(first), int(last)};
  if (range.last < range.first)
    usageError("--frames", "the last frame " + std::to_string(range.last) +
                               " comes before the first " + std::to_string(range.first));
  if (range.count() > kMaxFrames)
    usageError("--frames", std::to_string(range.count()) + " frames are more than the " +
                               std::to_string(kMaxFrames) + " one run renders");
  return range;
}

void checkFramePattern(std::string_view path) {
  const std::optional<Pattern> pattern = findPattern(path);
  if (pattern && pattern->width > kMaxFramePadding)
    usageError(std::string(path), "the frame pattern pads to " + std::to_string(pattern->width) +
                                      " digits; at most " + std::to_string(kMaxFramePadding) +
                                      " are supported");
}

bool hasFramePattern(std::string_view path) { return findPattern(path).has_value(); }

std::string expandFramePattern(std::string_view path, int frame) {
  const std::optional<Pattern> pattern = findPattern(path);
  if (!pattern) return std::string(path);
  // As "%0*d" prints it: the sign counts towards the width.
  std::string digits = std::to_string(frame < 0 ? -(long long)frame : frame);
  const std::size_t width = std::size_t(pattern->width) - (frame < 0 ? 1 : 0);
  if (pattern->width > 0 && digits.size() < width) digits.insert(0, width - digits.size(), '0');
  if (frame < 0) digits.insert(0, 1, '-');
  return std::string(path.substr(0, pattern->begin)) + digits +
         std::string(path.substr(pattern->end));
}

}  // namespace kestrow::cli
