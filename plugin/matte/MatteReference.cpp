#include "matte/MatteReference.h"

#include <cmath>
#include <cstdint>
#include <initializer_list>

namespace kestrow::matte {

namespace {

PF_PixelFloat rotate(const MatteSettings& s, PF_PixelFloat p) {
  const double ax = s.angleX / 65536.0 * 0.017453292519943295;
  const double ay = s.angleY / 65536.0 * 0.017453292519943295;
  const double az = s.angleZ / 65536.0 * 0.017453292519943295;
  switch (s.rotateOrder) {
    case 1:
      return rotateZ(az, rotateY(ay, rotateX(ax, p)));
    case 2:
      return rotateY(ay, rotateZ(az, rotateX(ax, p)));
    case 3:
      return rotateZ(az, rotateX(ax, rotateY(ay, p)));
    case 4:
      return rotateX(ax, rotateZ(az, rotateY(ay, p)));
    case 5:
      return rotateY(ay, rotateX(ax, rotateZ(az, p)));
    case 6:
      return rotateX(ax, rotateY(ay, rotateZ(az, p)));
    default:
      return p;
  }
}

double weight(double s) { return s > 1 ? s * s : s; }

double wave(const MatteSettings& s, double u) {
  const auto phi = static_cast<float>(u * s.frequency * 3.14 * 2.0 + s.offset * 3.14 * 2.0);
  const float w = (sinf(phi) + 1.0f) / 2.0f;
  return 1.0 - smoothStep(static_cast<double>(w) - s.thickness / 2.0, 0.0, s.feather / 2.0);
}

double gridFactor(const MatteSettings& s, double v, double w, double cell) {
  double g = fmodf(static_cast<float>(std::fabs(v) * w), static_cast<float>(cell));
  if (g < cell / 2.0) g = cell - g;
  const double q = (g - cell / 2.0) * 2.0 - s.thickness / 2.0;
  return smoothStep(q, 0.0, s.feather / 2.0);
}

double matteValue(const MatteSettings& s, double x, double y, double z) {
  const double wx = weight(s.scaleX), wy = weight(s.scaleY), wz = weight(s.scaleZ);
  const double r = s.radius, fh = s.feather / 2.0, th = s.thickness / 2.0;
  const double hx = r * s.sizeX, hy = r * s.sizeY, hz = r * s.sizeZ;
  const double d = std::pow(std::pow(x, 2) * wx + std::pow(y, 2) * wy + std::pow(z, 2) * wz, 0.5);
  const double ax = std::fabs(x) * wx, ay = std::fabs(y) * wy, az = std::fabs(z) * wz;
  switch (s.mode) {
    case 1:
      return 1.0 - smoothStep(d, r - fh, r + fh);
    case 2:
      return 1.0 - smoothStep(std::fabs(d - r) - th, 0.0, fh);
    case 3: {
      const double mx = 1.0 - smoothStep(ax, hx - fh, hx + fh);
      const double my = 1.0 - smoothStep(ay, hy - fh, hy + fh);
      const double mz = 1.0 - smoothStep(az, hz - fh, hz + fh);
      return mx * my * mz;
    }
    case 4: {
      const double bx = 1.0 - smoothStep(ax, (hx - th) - fh, (hx + th) + fh);
      const double by = 1.0 - smoothStep(ay, (hy - th) - fh, (hy + th) + fh);
      const double bz = 1.0 - smoothStep(az, (hz - th) - fh, (hz + th) + fh);
      const double fx = 1.0 - smoothStep(std::fabs(ax - hx) - th, 0.0, fh);
      const double fy = 1.0 - smoothStep(std::fabs(ay - hy) - th, 0.0, fh);
      const double fz = 1.0 - smoothStep(std::fabs(az - hz) - th, 0.0, fh);
      return fx * by * bz + fy * bx * bz + fz * bx * by;
    }
    case 6:
      return 1.0 - gridFactor(s, x, wx, hx) * gridFactor(s, y, wy, hy) * gridFactor(s, z, wz, hz);
    case 7:
      return wave(s, d);
    default: {  // 8, Rays
      const auto X = static_cast<float>(x * wx);
      const auto Y = static_cast<float>(y * wy);
      const auto Z = static_cast<float>(z * wz);
      const double uXZ = (atan2f(X, Z) + 3.14) / 6.28;
      const double uXY = (atan2f(X, Y) + 3.14) / 6.28;
      const double uYZ = (atan2f(Y, Z) + 3.14) / 6.28;
      return wave(s, s.axis == 2 ? uXY : s.axis == 3 ? uYZ : uXZ);
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
  if (s.axis == 2) {
    u = x, v = -y, depth = z;
  } else if (s.axis == 3) {
    u = z, v = -y, depth = x;
  }
  u = u + s.offsetU;
  v = v - s.offsetV;
  const A_long W = layer.width, H = layer.height;
  u = u * W;
  v = v * H * static_cast<double>(static_cast<float>(W) / static_cast<float>(H));
  u = u / (s.radius * s.sizeX);
  v = v / (s.radius * s.sizeY);
  const double ez = s.radius * s.sizeZ, fh = s.feather / 2.0;
  const double fade = 1.0 - smoothStep(std::fabs(depth), ez - fh, ez + fh);
  u = u + static_cast<double>(W / 2);
  v = v + static_cast<double>(H / 2);
  if (s.tile) {
    u = u >= 0 ? std::fmod(u, W) : W - std::fmod(-u, W);
    v = v >= 0 ? std::fmod(v, H) : H - std::fmod(-v, H);
  }
  const bool readable =
      W > 0 && H > 0 && static_cast<std::int64_t>(layer.rowbytes) >= std::int64_t{W} * 16;
  PF_PixelFloat sample{0, 0, 0, 0};
  if (readable && u < W && v < H && u >= 0 && v >= 0) {
    sample = getPixel(&layer, static_cast<A_long>(u), static_cast<A_long>(v));
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
  const bool matteMode = s.mode >= 1 && s.mode <= 8 && s.mode != 5;
  if (matteMode) {
    const auto m = static_cast<float>(matteValue(s, p.red, p.green, p.blue));
    out = {in.alpha, m, m, m};
  } else if (s.mode == 10) {
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
  if (s.mode != 10) {
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
