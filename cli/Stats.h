// The per-frame check line of `--stats`: what the pass holds and how much
// of the frame the matte covers, for checking a pass before trusting it.
#pragma once

#include <cstddef>
#include <string>

#include "kestrow/host/World.h"

namespace kestrow::cli {

struct FrameStats {
  // Position range per axis over the pixels that are not transparent and
  // whose value on that axis is finite; min > max when there is none.
  float min[3], max[3];
  // Coverage 0 or below. A not-a-number coverage is not transparent: the
  // plug-in renders such a pixel with a full matte.
  std::size_t transparent = 0;
  std::size_t notANumber = 0;  // any of X, Y, Z not a number
  std::size_t infinite = 0;    // none of X, Y, Z not a number, one infinite
  std::size_t covered = 0;     // matte above 0.5
  std::size_t pixels = 0;
};

// `matteInAlpha`: whether the render carries the matte in alpha (otherwise
// in red).
FrameStats computeStats(const host::World& pass, const host::World& render, bool matteInAlpha);

// "frame 12: X -3.2 .. 4.1, Y ..., Z ...; transparent 10, not-a-number 0,
// infinite 0; matte coverage 23.40%"
std::string formatStats(int frame, const FrameStats& stats);

}  // namespace kestrow::cli
