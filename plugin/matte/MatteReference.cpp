#include "matte/MatteReference.h"

#include <cmath>
#include <cstdint>
#include <initializer_list>

#include "matte/ModeKernels.h"
#include "matte/RoundedMath.h"

namespace kestrow::matte {

namespace {

PF_PixelFloat rotate(const MatteSettings& s, PF_PixelFloat p) {
  const double ax = s.angleX / 65536.0 * 0.017453292519943295;
  const double ay = s.angleY / 65536.0 * 0.017453292519943295;
  const double az = s.angleZ / 65536.0 * 0.017453292519943295;
  switch (static_cast<RotateOrder>(s.rotateOrder)) {
    case RotateOrder::XYZ:
      return rotateZ(az, rotateY(ay, rotateX(ax, p)));
    case RotateOrder::XZY:
      return rotateY(ay, rotateZ(az, rotateX(ax, p)));
    case RotateOrder::YXZ:
      return rotateZ(az, rotateX(ax, rotateY(ay, p)));
    case RotateOrder::YZX:
      return rotateX(ax, rotateZ(az, rotateY(ay, p)));
    case RotateOrder::ZXY:
      return rotateY(ay, rotateX(ax, rotateZ(az, p)));
    case RotateOrder::ZYX:
      return rotateX(ax, rotateY(ay, rotateZ(az, p)));
    default:
      return p;
  }
}

double weight(double s) { return s > 1 ? s * s : s; }

ReferencePoint referencePoint(const MatteSettings& s, double x, double y, double z) {
  const double wx = weight(s.scaleX), wy = weight(s.scaleY), wz = weight(s.scaleZ);
  const double r = s.radius;
  return {s,
          x,
          y,
          z,
          wx,
          wy,
          wz,
          r,
          s.feather / 2.0,
          s.thickness / 2.0,
          r * s.sizeX,
          r * s.sizeY,
          r * s.sizeZ,
          powHalf(x * x * wx + y * y * wy + z * z * wz),
          std::fabs(x) * wx,
          std::fabs(y) * wy,
          std::fabs(z) * wz};
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

  // Separators and unknown values copy the input.
  PF_PixelFloat out = in;
  const bool colour = modeInfo(s.mode).kind == ModeKind::Colour;
  forMode(s.mode, [&]<class M>() {
    if constexpr (modeInfo(M::kMode).kind == ModeKind::Colour) {
      out = M::referenceColour(s, p, in.alpha);
      for (float* c : {&out.red, &out.green, &out.blue}) {
        if (std::isnan(*c) || std::isinf(*c)) {
          *c = 0;
          out.alpha = 0;
        }
      }
    } else {
      const auto m = static_cast<float>(M::reference(referencePoint(s, p.red, p.green, p.blue)));
      out = {in.alpha, m, m, m};
    }
  });

  if (in.alpha == 0.0f) out.red = out.green = out.blue = 0;
  for (float* c : {&out.red, &out.green, &out.blue}) {
    if (std::isnan(*c)) {
      *c = 0;
      out.alpha = 0;
    }
  }
  if (!colour) {
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
