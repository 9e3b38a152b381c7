#include "matte/MatteReference.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "matte/RoundedMath.h"

namespace kestrow::matte {

namespace {

// The evaluator's own rotations and smoothstep, written out again here so
// that a fault in the shared helpers cannot hide in both evaluations.
PF_PixelFloat turnX(double angle, PF_PixelFloat p) {
  const float c = cosRounded(static_cast<float>(angle)), s = sinRounded(static_cast<float>(angle));
  const double y = p.green, z = p.blue;
  p.green = static_cast<float>(y * c + z * s);
  p.blue = static_cast<float>(z * c - y * s);
  return p;
}

PF_PixelFloat turnY(double angle, PF_PixelFloat p) {
  const float c = cosRounded(static_cast<float>(angle)), s = sinRounded(static_cast<float>(angle));
  const double x = p.red, z = p.blue;
  p.red = static_cast<float>(x * c + z * s);
  p.blue = static_cast<float>(z * c - x * s);
  return p;
}

PF_PixelFloat turnZ(double angle, PF_PixelFloat p) {
  const float c = cosRounded(static_cast<float>(angle)), s = sinRounded(static_cast<float>(angle));
  const double x = p.red, y = p.green;
  p.red = static_cast<float>(x * c + y * s);
  p.green = static_cast<float>(y * c - x * s);
  return p;
}

double step(double value, double edge0, double edge1) {
  if (edge0 == edge1) return value < edge0 ? 0.0 : 1.0;
  const double t = (value - edge0) / (edge1 - edge0);
  if (t > 1.0) return 1.0;
  if (t < 0.0) return 0.0;
  return t * t * (3.0 - 2.0 * t);
}

PF_PixelFloat rotate(const MatteSettings& s, PF_PixelFloat p) {
  const double ax = s.angleX / 65536.0 * 0.017453292519943295;
  const double ay = s.angleY / 65536.0 * 0.017453292519943295;
  const double az = s.angleZ / 65536.0 * 0.017453292519943295;
  switch (static_cast<RotateOrder>(s.rotateOrder)) {
    case RotateOrder::XYZ:
      return turnZ(az, turnY(ay, turnX(ax, p)));
    case RotateOrder::XZY:
      return turnY(ay, turnZ(az, turnX(ax, p)));
    case RotateOrder::YXZ:
      return turnZ(az, turnX(ax, turnY(ay, p)));
    case RotateOrder::YZX:
      return turnX(ax, turnZ(az, turnY(ay, p)));
    case RotateOrder::ZXY:
      return turnY(ay, turnX(ax, turnZ(az, p)));
    case RotateOrder::ZYX:
      return turnX(ax, turnY(ay, turnZ(az, p)));
    default:
      return p;
  }
}

double weight(double s) { return s > 1 ? s * s : s; }

double wave(const MatteSettings& s, double u) {
  const auto phi = static_cast<float>(u * s.frequency * 3.14 * 2.0 + s.offset * 3.14 * 2.0);
  const float w = (sinRounded(phi) + 1.0f) / 2.0f;
  return 1.0 - step(static_cast<double>(w) - s.thickness / 2.0, 0.0, s.feather / 2.0);
}

double gridFactor(const MatteSettings& s, double v, double w, double cell) {
  double g = fmodf(static_cast<float>(std::fabs(v) * w), static_cast<float>(cell));
  if (g < cell / 2.0) g = cell - g;
  const double q = (g - cell / 2.0) * 2.0 - s.thickness / 2.0;
  return step(q, 0.0, s.feather / 2.0);
}

double matteValue(const MatteSettings& s, double x, double y, double z) {
  const double weightX = weight(s.scaleX), weightY = weight(s.scaleY), weightZ = weight(s.scaleZ);
  const double r = s.radius, halfFeather = s.feather / 2.0, halfThickness = s.thickness / 2.0;
  const double extentX = r * s.sizeX, extentY = r * s.sizeY, extentZ = r * s.sizeZ;
  const double d = powHalf(x * x * weightX + y * y * weightY + z * z * weightZ);
  const double ax = std::fabs(x) * weightX, ay = std::fabs(y) * weightY,
               az = std::fabs(z) * weightZ;
  switch (static_cast<Mode>(s.mode)) {
    case Mode::Circle:
      return 1.0 - step(d, r - halfFeather, r + halfFeather);
    case Mode::Ring:
      return 1.0 - step(std::fabs(d - r) - halfThickness, 0.0, halfFeather);
    case Mode::Square: {
      const double mx = 1.0 - step(ax, extentX - halfFeather, extentX + halfFeather);
      const double my = 1.0 - step(ay, extentY - halfFeather, extentY + halfFeather);
      const double mz = 1.0 - step(az, extentZ - halfFeather, extentZ + halfFeather);
      return mx * my * mz;
    }
    case Mode::Box: {
      const double bx = 1.0 - step(ax, (extentX - halfThickness) - halfFeather,
                                   (extentX + halfThickness) + halfFeather);
      const double by = 1.0 - step(ay, (extentY - halfThickness) - halfFeather,
                                   (extentY + halfThickness) + halfFeather);
      const double bz = 1.0 - step(az, (extentZ - halfThickness) - halfFeather,
                                   (extentZ + halfThickness) + halfFeather);
      const double fx = 1.0 - step(std::fabs(ax - extentX) - halfThickness, 0.0, halfFeather);
      const double fy = 1.0 - step(std::fabs(ay - extentY) - halfThickness, 0.0, halfFeather);
      const double fz = 1.0 - step(std::fabs(az - extentZ) - halfThickness, 0.0, halfFeather);
      return fx * by * bz + fy * bx * bz + fz * bx * by;
    }
    case Mode::Grid:
      return 1.0 - gridFactor(s, x, weightX, extentX) * gridFactor(s, y, weightY, extentY) *
                       gridFactor(s, z, weightZ, extentZ);
    case Mode::Radial:
      return wave(s, d);
    default: {  // Rays
      const auto X = static_cast<float>(x * weightX);
      const auto Y = static_cast<float>(y * weightY);
      const auto Z = static_cast<float>(z * weightZ);
      const double uXZ = (atan2Rounded(X, Z) + 3.14) / 6.28;
      const double uXY = (atan2Rounded(X, Y) + 3.14) / 6.28;
      const double uYZ = (atan2Rounded(Y, Z) + 3.14) / 6.28;
      return wave(s, planeOf(s.axis) == Plane::XY ? uXY : planeOf(s.axis) == Plane::YZ ? uYZ : uXZ);
    }
  }
}

PF_PixelFloat layerColour(const MatteSettings& s, const PF_PixelFloat& p, float inAlpha) {
  const PF_LayerDef& layer = s.layer;
  const double x = p.red, y = p.green, z = p.blue;
  if (layer.data == nullptr || layer.reserved0 == nullptr) {
    return {inAlpha, p.red, p.green, p.blue};
  }
  double u = x, v = z, depth = y;
  if (planeOf(s.axis) == Plane::XY) {
    u = x, v = -y, depth = z;
  } else if (planeOf(s.axis) == Plane::YZ) {
    u = z, v = -y, depth = x;
  }
  u = u + s.offsetU;
  v = v - s.offsetV;
  const A_long W = layer.width, H = layer.height;  // picture width and height
  u = u * W;
  v = v * H * static_cast<double>(static_cast<float>(W) / static_cast<float>(H));
  u = u / (s.radius * s.sizeX);
  v = v / (s.radius * s.sizeY);
  const double extentZ = s.radius * s.sizeZ, halfFeather = s.feather / 2.0;
  const double fade = 1.0 - step(std::fabs(depth), extentZ - halfFeather, extentZ + halfFeather);
  u = u + static_cast<double>(W / 2);
  v = v + static_cast<double>(H / 2);
  if (s.tile) {
    u = u >= 0 ? std::fmod(u, W) : W - std::fmod(-u, W);
    v = v >= 0 ? std::fmod(v, H) : H - std::fmod(-v, H);
  }
  // Rows may run down or up from data (negative rowbytes).
  const bool readable =
      W > 0 && H > 0 &&
      std::llabs(static_cast<std::int64_t>(layer.rowbytes)) >= std::int64_t{W} * 16;
  PF_PixelFloat sample{0, 0, 0, 0};
  if (readable && u < W && v < H && u >= 0 && v >= 0) {
    const auto column = static_cast<std::int64_t>(u), row = static_cast<std::int64_t>(v);
    const char* base = reinterpret_cast<const char*>(layer.data);
    std::memcpy(&sample, base + row * layer.rowbytes + column * 16, sizeof sample);
  }
  return {static_cast<float>(sample.alpha * fade), static_cast<float>(sample.red * fade),
          static_cast<float>(sample.green * fade), static_cast<float>(sample.blue * fade)};
}

}  // namespace

PF_PixelFloat evaluatePixelReference(const MatteSettings& s, const PF_InData& inData,
                                     const PF_PixelFloat& in) {
  PF_PixelFloat p = in;
  const double dx = inData.downsample_x.den, dy = inData.downsample_y.den;
  p.red = static_cast<float>(p.red - s.position.x * dx);
  p.green = static_cast<float>(p.green - s.position.y * dy);
  p.blue = static_cast<float>(p.blue - s.position.z * dy);
  p = rotate(s, p);

  PF_PixelFloat out = in;
  const bool matteMode = s.mode >= popupValue(Mode::Circle) && s.mode <= popupValue(Mode::Rays) &&
                         s.mode != 5;  // 5: a separator
  if (matteMode) {
    const auto m = static_cast<float>(matteValue(s, p.red, p.green, p.blue));
    out = {in.alpha, m, m, m};
  } else if (static_cast<Mode>(s.mode) == Mode::Layer) {
    out = layerColour(s, p, in.alpha);
    for (float* c : {&out.red, &out.green, &out.blue}) {
      if (std::isnan(*c) || std::isinf(*c)) {
        *c = 0;
        out.alpha = 0;
      }
    }
  }

  if (in.alpha == 0.0f) out.red = out.green = out.blue = 0;
  for (float* c : {&out.red, &out.green, &out.blue}) {
    if (std::isnan(*c)) {
      *c = 0;
      out.alpha = 0;
    }
  }
  if (static_cast<Mode>(s.mode) != Mode::Layer) {
    if (s.invert) {
      const float v = 1.0f - out.red;
      out.red = out.green = out.blue = v;
    }
    if (s.alphaMatte) {
      out.alpha = out.red;
      out.red = out.green = out.blue = 1.0f;
    }
  } else if (s.invert) {
    out.red = static_cast<float>(1.0 - out.red);
    out.green = static_cast<float>(1.0 - out.green);
    out.blue = static_cast<float>(1.0 - out.blue);
  }
  return out;
}

PF_Err InvertPixelFloatReference(void* refcon, A_long x, A_long, PF_PixelFloat* in,
                                 PF_PixelFloat* out) {
  const auto* context = static_cast<const MatteRowContext*>(refcon);
  if (context == nullptr || context->settings == nullptr || context->inData == nullptr ||
      context->output == nullptr) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  // Counted in 64 bits so that x + width cannot overflow.
  for (std::int64_t i = x; i < std::int64_t{x} + context->output->width; ++i) {
    *out = evaluatePixelReference(*context->settings, *context->inData, *in);
    ++in;
    ++out;
  }
  return PF_Err_NONE;
}

}  // namespace kestrow::matte
