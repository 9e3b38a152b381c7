// Every image the tool reads or writes goes through OpenImageIO here:
// position passes (with channel selection), pictures for the "Layer"
// control, and outputs, which are written atomically.
#pragma once

#include <string>
#include <vector>

#include "Image.h"

namespace kestrow::cli {

// Which channels of an input hold the world position and the coverage.
struct ChannelSelection {
  // Exactly three channel names (X, Y, Z), or empty.
  std::vector<std::string> position;
  // A layer whose X/Y/Z (or x/y/z, R/G/B, r/g/b) channels hold the position,
  // e.g. "P", "Pworld" or "beauty.Position"; matched against the full layer
  // name or its last components. Ignored when `position` is given.
  std::string layer;
  // A channel name; "none" for coverage 1 everywhere; empty to take the
  // layer's own alpha, else the image's alpha, else 1.
  std::string alpha;
};

// The position pass as the plug-in sees it: R, G, B = world X, Y, Z and
// A = coverage, widened to 32-bit float. `channels` names the four source
// channels ("" for an alpha of 1).
struct PositionPass {
  RgbaImage image;
  std::string channels[4];
};

// Reads INPUT. Failures (missing or unreadable file, unknown channel,
// ambiguous layer) throw CliError naming the file. Integer channels are
// widened with a warning, since integer positions are rarely a real pass.
PositionPass readPositionPass(const std::string& path, const ChannelSelection& selection);

// Reads any picture as RGBA float: grey is spread to R, G, B and a missing
// alpha is 1. Throws CliError naming `subject` (the control or file).
RgbaImage readPicture(const std::string& path, const std::string& subject);

enum class OutputKind {
  FloatExr,  // OpenEXR, 32-bit float RGBA, values as rendered
  Preview8   // 8-bit PNG, TIFF or JPEG preview, values clamped to 0-1
};

// The kind written for this file name, by extension; throws a usage error
// naming the file for any other extension.
OutputKind outputKind(const std::string& path);

// Writes `image` to `path` through a temporary file in the same folder that
// is renamed over `path` only once complete, so that a failure never leaves
// a partial output behind. JPEG has no alpha: its preview shows the picture
// over black. Throws CliError naming the file.
void writeImage(const std::string& path, const RgbaImage& image);

// Lower-case extension of a file name including the dot ("" if none).
std::string lowerExtension(const std::string& path);

}  // namespace kestrow::cli
