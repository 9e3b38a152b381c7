// Synthetic inputs for the benchmarks: a world-position pass of a gently
// curved surface seen by a camera, with an uncovered border, and a picture
// for Layer mode.
#pragma once

#include <vector>

#include "AE_Effect.h"

namespace kestrow::bench {

struct FloatImage {
  A_long width = 0;
  A_long height = 0;
  std::vector<PF_PixelFloat> pixels;  // rows without padding

  PF_PixelFloat* row(A_long r) { return pixels.data() + static_cast<std::size_t>(r) * width; }
  PF_LayerDef world();
};

FloatImage makePositionPass(A_long width, A_long height);
FloatImage makePicture(A_long width, A_long height);

}  // namespace kestrow::bench
