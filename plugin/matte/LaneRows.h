// The row loops over blocks of lanes that every mode's kernel runs in.
// Reached only through the per-instruction-set files, each with its own `L`.
#pragma once

#include <cstring>

#include "matte/LaneMath.h"
#include "matte/RoundedLanes.h"
#include "matte/RowPlan.h"

namespace kestrow::matte {

// The output steps of every mode but Layer, on (input alpha, m):
//   alpha == 0: m = 0;   m not-a-number: m = 0, alpha = 0
//   invert: m = 1 - m (float);   alpha matte: alpha = m, m = 1
// and the pixel written as (alpha, m, m, m).
template <class L, class Kernel>
inline void matteBlock(const RowConstants& c, const PF_PixelFloat* in, PF_PixelFloat* out) {
  using F = typename L::F;
  PixelLanes<L> p = loadPixels<L>(in);
  const F inputAlpha = p.alpha;
  toLocal<L>(c, p);
  F m = narrow<L>(Kernel::template matte<L>(c, p.x, p.y, p.z));
  const F zero = lanes<L>(0.0f);
  const F one = lanes<L>(1.0f);
  F alpha = inputAlpha;
  m = select<L>(inputAlpha == zero, zero, m);
  const typename L::MF notANumber = m != m;
  m = select<L>(notANumber, zero, m);
  alpha = select<L>(notANumber, zero, alpha);
  if (c.invert) {
    m = 1.0f - m;
  }
  if (c.alphaMatte) {
    alpha = m;
    m = one;
  }
  storePixels<L>({alpha, m, m, m}, out);
}

// Layer mode's clean-up: per colour channel, infinite or not-a-number
// becomes 0 and makes the pixel transparent; then a transparent input
// blacks the colour; "Invert" takes each channel from 1 in double.
template <class L>
inline void finishColour(const RowConstants& c, typename L::F inputAlpha, ColourLanes<L> px,
                         PF_PixelFloat* out) {
  using F = typename L::F;
  using MF = typename L::MF;
  const F zero = lanes<L>(0.0f);
  const F infinity = lanes<L>(__builtin_inff());
  F* const channels[] = {&px.red, &px.green, &px.blue};
  for (F* channel : channels) {
    // |v| < infinity is false for both infinities and not-a-number.
    const MF finite = (F)((MF)*channel & lanes<L>(std::int32_t{0x7fffffff})) < infinity;
    *channel = select<L>(finite, *channel, zero);
    px.alpha = select<L>(finite, px.alpha, zero);
  }
  const MF transparent = inputAlpha == zero;
  for (F* channel : channels) {
    *channel = select<L>(transparent, zero, *channel);
    if (c.invert) {
      *channel = narrow<L>(1.0 - widen<L>(*channel));
    }
  }
  storePixels<L>({px.alpha, px.red, px.green, px.blue}, out);
}

template <class L, class Kernel>
inline void colourBlock(const RowConstants& c, const PF_PixelFloat* in, PF_PixelFloat* out) {
  PixelLanes<L> p = loadPixels<L>(in);
  const typename L::F inputAlpha = p.alpha;
  toLocal<L>(c, p);
  finishColour<L>(c, inputAlpha, Kernel::template colour<L>(c, p), out);
}

// Whole blocks, then the remainder through the same block in a padded copy
// (so rows of any length and alignment take one path). Each block reads all
// its input before writing, so in and out may be one row.
template <class L, void (*Block)(const RowConstants&, const PF_PixelFloat*, PF_PixelFloat*)>
void laneRow(const RowConstants& c, const PF_PixelFloat* in, PF_PixelFloat* out, A_long count) {
  constexpr int n = L::kCount;
  A_long i = 0;
  for (; count - i >= n; i += n) {
    Block(c, in + i, out + i);
  }
  if (i < count) {
    const auto rest = static_cast<std::size_t>(count - i) * sizeof(PF_PixelFloat);
    PF_PixelFloat src[n] = {};
    PF_PixelFloat dst[n];
    std::memcpy(src, in + i, rest);
    Block(c, src, dst);
    std::memcpy(out + i, dst, rest);
  }
}

// A readable picture is read far from the order of its memory, so rows
// take it in two steps over runs of blocks: first each block's sampling
// places and fade, prefetching the picture's pixels, then the samples and
// the clean-up. The reads of a whole run are then in flight together
// instead of one block's at a time. A run reads all its input before it
// writes, so in and out may be one row.
template <class L, class Kernel>
struct PictureBlock {
  typename Kernel::template Located<L> at;
  typename L::F inputAlpha;

  void locate(const RowConstants& c, const PF_PixelFloat* in) {
    PixelLanes<L> p = loadPixels<L>(in);
    inputAlpha = p.alpha;
    toLocal<L>(c, p);
    at = Kernel::template locate<L>(c, p);
  }
  void sample(const RowConstants& c, PF_PixelFloat* out) const {
    finishColour<L>(c, inputAlpha, Kernel::template colour<L>(c, at), out);
  }
};

template <class L, class Kernel>
void pictureRow(const RowConstants& c, const PF_PixelFloat* in, PF_PixelFloat* out, A_long count) {
  constexpr int n = L::kCount;
  constexpr int kRun = 128 / n;  // blocks of 128 pixels in all
  PictureBlock<L, Kernel> run[kRun];
  A_long i = 0;
  while (count - i >= n) {
    const A_long whole = (count - i) / n;
    const int blocks = whole < kRun ? static_cast<int>(whole) : kRun;
    for (int b = 0; b < blocks; ++b) run[b].locate(c, in + i + b * n);
    for (int b = 0; b < blocks; ++b) run[b].sample(c, out + i + b * n);
    i += blocks * n;
  }
  if (i < count) {
    const auto rest = static_cast<std::size_t>(count - i) * sizeof(PF_PixelFloat);
    PF_PixelFloat src[n] = {};
    PF_PixelFloat dst[n];
    std::memcpy(src, in + i, rest);
    run[0].locate(c, src);
    run[0].sample(c, dst);
    std::memcpy(out + i, dst, rest);
  }
}

// The loop of a kernel that gives a matte, a colour, or a colour sampled
// from the picture (which needs `locate` and `colour` of a located block).
enum class RowShape { Matte, Colour, Picture };

template <class L, class Kernel, RowShape Shape>
RowPass rowOf() {
  if constexpr (Shape == RowShape::Matte) {
    return &laneRow<L, &matteBlock<L, Kernel>>;
  } else if constexpr (Shape == RowShape::Colour) {
    return &laneRow<L, &colourBlock<L, Kernel>>;
  } else {
    return &pictureRow<L, Kernel>;
  }
}

template <class L, class Kernel>
RowPass matteRow() {
  return rowOf<L, Kernel, RowShape::Matte>();
}

// The rows of a mode whose kernel gives a matte value per pixel (`matte`),
// whatever the plane or picture.
template <class Mode>
struct MatteRows {
  template <class L>
  static RowPass row(const RowKernel&) {
    return matteRow<L, Mode>();
  }
};

template <class L, class Kernel>
RowPass colourRow() {
  return rowOf<L, Kernel, RowShape::Colour>();
}

// A kernel that depends on the "Axis" plane, for each plane.
template <class L, template <Plane> class Kernel, RowShape Shape = RowShape::Matte>
RowPass planeRow(Plane plane) {
  switch (plane) {
    case Plane::XY:
      return rowOf<L, Kernel<Plane::XY>, Shape>();
    case Plane::YZ:
      return rowOf<L, Kernel<Plane::YZ>, Shape>();
    case Plane::XZ:
      break;
  }
  return rowOf<L, Kernel<Plane::XZ>, Shape>();
}

}  // namespace kestrow::matte
