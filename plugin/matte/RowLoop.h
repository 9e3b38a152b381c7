// The specialised row loops. A loop is instantiated per kernel and
// rotation order, so the pixel path carries no branch on either.
//
// A row is evaluated in two passes over the output: the kernel pass writes
// each pixel's value (matte modes: the matte in red, green and blue, the
// input alpha kept), then a finishing pass applies the output steps chosen
// by "Invert" and "Alpha Matte". Both passes touch only the given row.
#pragma once

#include <cmath>
#include <concepts>
#include <initializer_list>

#include "AE_Effect.h"
#include "matte/MatteMath.h"
#include "matte/RowConstants.h"

namespace kestrow::matte {

using RowPass = void (*)(const RowConstants&, const PF_PixelFloat*, PF_PixelFloat*, A_long);
using FinishPass = void (*)(PF_PixelFloat*, A_long);

// Translation, then the three rotations in order; float after each stage.
template <Rotation R>
inline Point3f toLocal(const RowConstants& c, const PF_PixelFloat& in) {
  Point3f p{static_cast<float>(in.red - c.shiftX), static_cast<float>(in.green - c.shiftY),
            static_cast<float>(in.blue - c.shiftZ)};
  const auto x = [&] { turnAboutX(c.cosX, c.sinX, p); };
  const auto y = [&] { turnAboutY(c.cosY, c.sinY, p); };
  const auto z = [&] { turnAboutZ(c.cosZ, c.sinZ, p); };
  if constexpr (R == Rotation::XYZ) {
    x();
    y();
    z();
  } else if constexpr (R == Rotation::XZY) {
    x();
    z();
    y();
  } else if constexpr (R == Rotation::YXZ) {
    y();
    x();
    z();
  } else if constexpr (R == Rotation::YZX) {
    y();
    z();
    x();
  } else if constexpr (R == Rotation::ZXY) {
    z();
    x();
    y();
  } else if constexpr (R == Rotation::ZYX) {
    z();
    y();
    x();
  }
  return p;
}

// Matte kernels compute one value per pixel, written as (input alpha, m, m, m).
template <class Kernel>
concept MatteKernel = requires(const RowConstants& c, double v) {
  { Kernel::matte(c, v, v, v) } -> std::same_as<double>;
};

// Colour kernels (Layer mode) compute the whole pixel. Infinite or
// not-a-number channels become 0 and make the pixel transparent; a
// transparent input then blacks the colour. The input is read before the
// output is written, so in and out may be one row.
template <Rotation R, class Kernel>
void kernelRow(const RowConstants& c, const PF_PixelFloat* in, PF_PixelFloat* out, A_long count) {
  for (A_long i = 0; i < count; ++i) {
    const PF_PixelFloat src = in[i];
    const Point3f p = toLocal<R>(c, src);
    if constexpr (MatteKernel<Kernel>) {
      const auto m = static_cast<float>(Kernel::matte(c, p.x, p.y, p.z));
      out[i] = PF_PixelFloat{src.alpha, m, m, m};
    } else {
      PF_PixelFloat px = Kernel::colour(c, p, src.alpha);
      for (float* ch : {&px.red, &px.green, &px.blue}) {
        if (!std::isfinite(*ch)) {
          *ch = 0.0f;
          px.alpha = 0.0f;
        }
      }
      if (src.alpha == 0.0f) {
        px.red = px.green = px.blue = 0.0f;
      }
      out[i] = px;
    }
  }
}

// Separator items and unknown modes: the input as it is.
void copyRow(const RowConstants&, const PF_PixelFloat* in, PF_PixelFloat* out, A_long count);

// Output steps of every mode but Layer. The output alpha still is the input
// alpha here, as the kernel pass (or the copy) wrote it.
template <bool Invert, bool AlphaMatte>
void finishMatteRow(PF_PixelFloat* out, A_long count) {
  for (A_long i = 0; i < count; ++i) {
    PF_PixelFloat px = out[i];
    if (px.alpha == 0.0f) {
      px.red = px.green = px.blue = 0.0f;
    }
    for (float* ch : {&px.red, &px.green, &px.blue}) {
      if (std::isnan(*ch)) {
        *ch = 0.0f;
        px.alpha = 0.0f;
      }
    }
    if constexpr (Invert) {
      const float v = 1.0f - px.red;
      px.red = px.green = px.blue = v;
    }
    if constexpr (AlphaMatte) {
      px.alpha = px.red;
      px.red = px.green = px.blue = 1.0f;
    }
    out[i] = px;
  }
}

// "Invert" in Layer mode: each colour channel by itself, in double.
void invertColourRow(PF_PixelFloat* out, A_long count);

// The kernel's loop for a rotation order, chosen once per row call.
template <class Kernel>
RowPass rowFor(Rotation r) {
  switch (r) {
    case Rotation::XYZ:
      return &kernelRow<Rotation::XYZ, Kernel>;
    case Rotation::XZY:
      return &kernelRow<Rotation::XZY, Kernel>;
    case Rotation::YXZ:
      return &kernelRow<Rotation::YXZ, Kernel>;
    case Rotation::YZX:
      return &kernelRow<Rotation::YZX, Kernel>;
    case Rotation::ZXY:
      return &kernelRow<Rotation::ZXY, Kernel>;
    case Rotation::ZYX:
      return &kernelRow<Rotation::ZYX, Kernel>;
    case Rotation::None:
      break;
  }
  return &kernelRow<Rotation::None, Kernel>;
}

}  // namespace kestrow::matte
