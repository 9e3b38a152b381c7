// Which channels of an input file hold the world position and the coverage,
// decided from the parts' headers alone (no pixels are read here).
#pragma once

#include <OpenImageIO/imageio.h>
#include <string>
#include <vector>

namespace kestrow::cli {

// What the command line names.
struct ChannelSelection {
  // Exactly three channel names (X, Y, Z), or empty. Each may be
  // "PART:NAME", PART a part's name or number.
  std::vector<std::string> position;
  // A layer whose X/Y/Z (or x/y/z, R/G/B, r/g/b, red/green/blue) channels
  // hold the position, e.g. "P", "Pworld" or "beauty.Position"; matched
  // against the full layer name or its last components; "PART:LAYER" limits
  // it to one part. Ignored when `position` is given.
  std::string layer;
  // A channel name, "PART:NAME" for one in another part; "none" for
  // coverage 1 everywhere; empty to take the layer's own alpha, else the
  // position part's alpha, else the first part's (the file's main image).
  std::string alpha;
};

// The part of a file and its channels that hold the position: X, Y, Z and
// alpha (-1: an alpha of 1). The alpha may sit in another part of the same
// pixel window: `alphaPart`, or -1 for `part`.
struct PositionChannels {
  int part = 0;
  int index[4] = {-1, -1, -1, -1};
  int alphaPart = -1;

  int partOfAlpha() const { return alphaPart < 0 ? part : alphaPart; }
};

// Chooses from the parts' headers. Refuses (CliError naming `path`) unknown
// channels and layers, and whatever could be read more than one way: names
// found in two parts, a layer with two sets of position channels, more than
// three unnamed candidates, and a file whose colour channels would be taken
// by default while it also holds a layer named as a position pass (P,
// Pworld, Position, ...), which renderers write beside their beauty.
PositionChannels selectPositionChannels(const std::vector<OIIO::ImageSpec>& parts,
                                        const ChannelSelection& selection, const std::string& path);

// Names as messages list them: "a, b, c", at most 16 of them.
std::string listNames(const std::vector<std::string>& names);

}  // namespace kestrow::cli
