// The evaluator's public helpers: rotations, smoothstep and picture access.
// The plain reference evaluation is written with them; the row loops have
// their own lane forms of the same formulas.
#include <cstring>

#include "matte/Matte.h"
#include "matte/MatteMath.h"
#include "matte/RoundedMath.h"

namespace {

// One rotation in the plane of channels a and b: cosine and sine in single
// precision of the angle as a float; products and sums in double from the
// float channels, each result stored as float.
PF_PixelFloat turn(double angle, PF_PixelFloat pixel, float PF_PixelFloat::*a,
                   float PF_PixelFloat::*b) {
  const float ca = kestrow::matte::cosRounded(static_cast<float>(angle));
  const float sa = kestrow::matte::sinRounded(static_cast<float>(angle));
  const double u = pixel.*a;
  const double v = pixel.*b;
  pixel.*a = static_cast<float>(u * ca + v * sa);
  pixel.*b = static_cast<float>(v * ca - u * sa);
  return pixel;
}

}  // namespace

PF_PixelFloat rotateX(double angle, PF_PixelFloat pixel) {
  return turn(angle, pixel, &PF_PixelFloat::green, &PF_PixelFloat::blue);
}

PF_PixelFloat rotateY(double angle, PF_PixelFloat pixel) {
  return turn(angle, pixel, &PF_PixelFloat::red, &PF_PixelFloat::blue);
}

PF_PixelFloat rotateZ(double angle, PF_PixelFloat pixel) {
  return turn(angle, pixel, &PF_PixelFloat::red, &PF_PixelFloat::green);
}

// Equal edges give a hard step that counts a not-a-number value as above
// the edge. Reversed edges make the step fall. A not-a-number t passes both
// clamps and comes out not-a-number.
double smoothStep(double value, double edge0, double edge1) {
  if (edge0 == edge1) {
    return value < edge0 ? 0.0 : 1.0;
  }
  const double t = (value - edge0) / (edge1 - edge0);
  if (t > 1.0) {
    return 1.0;
  }
  if (t < 0.0) {
    return 0.0;
  }
  return t * t * (3.0 - 2.0 * t);
}

PF_PixelFloat getPixel(const PF_LayerDef* layerWorld, A_long column, A_long row) {
  const auto* base = reinterpret_cast<const char*>(layerWorld->data);
  PF_PixelFloat pixel;
  std::memcpy(&pixel, base + kestrow::matte::pixelByteOffset(layerWorld->rowbytes, column, row),
              sizeof pixel);
  return pixel;
}
