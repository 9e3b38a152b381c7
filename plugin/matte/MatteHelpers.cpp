// The evaluator's public helpers: rotations, smoothstep and picture access.
#include <cmath>

#include "matte/Matte.h"
#include "matte/MatteMath.h"
#include "matte/RoundedMath.h"

using kestrow::matte::Point3f;

namespace {

// Cosine and sine are taken in single precision on the angle as a float.
float cosOf(double angle) { return kestrow::matte::cosRounded(static_cast<float>(angle)); }
float sinOf(double angle) { return kestrow::matte::sinRounded(static_cast<float>(angle)); }

PF_PixelFloat withPoint(PF_PixelFloat pixel, const Point3f& p) {
  pixel.red = p.x;
  pixel.green = p.y;
  pixel.blue = p.z;
  return pixel;
}

}  // namespace

PF_PixelFloat rotateX(double angle, PF_PixelFloat pixel) {
  Point3f p{pixel.red, pixel.green, pixel.blue};
  kestrow::matte::turnAboutX(cosOf(angle), sinOf(angle), p);
  return withPoint(pixel, p);
}

PF_PixelFloat rotateY(double angle, PF_PixelFloat pixel) {
  Point3f p{pixel.red, pixel.green, pixel.blue};
  kestrow::matte::turnAboutY(cosOf(angle), sinOf(angle), p);
  return withPoint(pixel, p);
}

PF_PixelFloat rotateZ(double angle, PF_PixelFloat pixel) {
  Point3f p{pixel.red, pixel.green, pixel.blue};
  kestrow::matte::turnAboutZ(cosOf(angle), sinOf(angle), p);
  return withPoint(pixel, p);
}

double smoothStep(double value, double edge0, double edge1) {
  return kestrow::matte::smoothStepValue(value, edge0, edge1);
}

PF_PixelFloat getPixel(const PF_LayerDef* layerWorld, A_long column, A_long row) {
  const auto* base = reinterpret_cast<const char*>(layerWorld->data);
  const auto* pixel = reinterpret_cast<const PF_PixelFloat*>(
      base + kestrow::matte::pixelByteOffset(layerWorld->rowbytes, column, row));
  return *pixel;
}
