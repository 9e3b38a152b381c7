#include "PositionPass.h"

#include <cmath>

namespace kestrow::bench {

PF_LayerDef FloatImage::world() {
  PF_LayerDef w{};
  w.reserved0 = this;
  w.data = reinterpret_cast<PF_PixelPtr>(pixels.data());
  w.rowbytes = width * static_cast<A_long>(sizeof(PF_PixelFloat));
  w.width = width;
  w.height = height;
  return w;
}

FloatImage makePositionPass(A_long width, A_long height) {
  FloatImage image{width, height, std::vector<PF_PixelFloat>(std::size_t(width) * height)};
  for (A_long r = 0; r < height; ++r) {
    for (A_long c = 0; c < width; ++c) {
      const float x = static_cast<float>(c - width / 2) / 200.0f;
      const float y = static_cast<float>(height / 2 - r) / 200.0f;
      const float z = 0.5f * std::cos(x) * std::sin(y) - 1.0f;
      const bool covered = c >= width / 20 && c < width - width / 20;
      image.row(r)[c] = PF_PixelFloat{covered ? 1.0f : 0.0f, x, y, z};
    }
  }
  return image;
}

FloatImage makePicture(A_long width, A_long height) {
  FloatImage image{width, height, std::vector<PF_PixelFloat>(std::size_t(width) * height)};
  for (A_long r = 0; r < height; ++r) {
    for (A_long c = 0; c < width; ++c) {
      image.row(r)[c] = PF_PixelFloat{1.0f, static_cast<float>(c) / static_cast<float>(width),
                                      static_cast<float>(r) / static_cast<float>(height), 0.5f};
    }
  }
  return image;
}

}  // namespace kestrow::bench
