// The row loop over blocks of lanes, and the choice of a kernel's loop.
// Included only by the per-instruction-set files, each with its own `L`.
#pragma once

#include <algorithm>
#include <cstring>

#include "matte/LaneKernels.h"
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
  F m;
  if constexpr (requires { Kernel::template matteOfFloats<L>(c, p.x, p.y, p.z); }) {
    m = narrow<L>(Kernel::template matteOfFloats<L>(c, p.x, p.y, p.z));
  } else {
    m = narrow<L>(Kernel::template matte<L>(c, widen<L>(p.x), widen<L>(p.y), widen<L>(p.z)));
  }
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
    const int blocks = static_cast<int>(std::min<A_long>(kRun, (count - i) / n));
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

template <class L, class Kernel>
RowPass matteRow() {
  return &laneRow<L, &matteBlock<L, Kernel>>;
}

template <class L, class Kernel>
RowPass colourRow() {
  if constexpr (requires { &Kernel::template locate<L>; }) {
    return &pictureRow<L, Kernel>;
  } else {
    return &laneRow<L, &colourBlock<L, Kernel>>;
  }
}

template <class L, template <Plane> class Kernel, bool Colour>
RowPass planeRow(Plane plane) {
  const auto row = [](auto kernel) {
    using K = decltype(kernel);
    if constexpr (Colour) {
      return colourRow<L, K>();
    } else {
      return matteRow<L, K>();
    }
  };
  switch (plane) {
    case Plane::XY:
      return row(Kernel<Plane::XY>{});
    case Plane::YZ:
      return row(Kernel<Plane::YZ>{});
    case Plane::XZ:
      break;
  }
  return row(Kernel<Plane::XZ>{});
}

template <Plane P>
using LayerPicture = LayerPictureKernel<P, false>;
template <Plane P>
using LayerTiled = LayerPictureKernel<P, true>;

// The loop of a kernel choice; null for the copy, which is not per lane.
template <class L>
RowPass laneRowFor(const RowKernel& k) {
  switch (k.mode) {
    case Mode::Circle:
      return matteRow<L, CircleKernel>();
    case Mode::Ring:
      return matteRow<L, RingKernel>();
    case Mode::Square:
      return matteRow<L, SquareKernel>();
    case Mode::Box:
      return matteRow<L, BoxKernel>();
    case Mode::Grid:
      return matteRow<L, GridKernel>();
    case Mode::Radial:
      return matteRow<L, RadialKernel>();
    case Mode::Rays:
      return planeRow<L, RaysKernel, false>(k.plane);
    case Mode::Layer:
      switch (k.picture) {
        case PictureState::None:
          return colourRow<L, LayerCoordinatesKernel>();
        case PictureState::Unreadable:
          return planeRow<L, LayerTransparentKernel, true>(k.plane);
        case PictureState::Readable:
          break;
      }
      return k.tile ? planeRow<L, LayerTiled, true>(k.plane)
                    : planeRow<L, LayerPicture, true>(k.plane);
  }
  return nullptr;
}

// out = a * b + c in every lane, as the kernels write their arithmetic.
template <class L>
void multiplyAddLanes(const double* a, const double* b, const double* c, double* out) {
  typename L::D va, vb, vc;
  std::memcpy(&va, a, sizeof va);
  std::memcpy(&vb, b, sizeof vb);
  std::memcpy(&vc, c, sizeof vc);
  const typename L::D r = va * vb + vc;
  std::memcpy(out, &r, sizeof r);
}

// The correctly rounded functions over arrays, block by block.
template <class L, class Fn>
void floatRow(const float* x, float* out, long count, Fn fn) {
  using F = typename L::F;
  for (long i = 0; i < count; i += L::kCount) {
    F v{};
    const long n = count - i < L::kCount ? count - i : L::kCount;
    std::memcpy(&v, x + i, std::size_t(n) * sizeof(float));
    const F r = fn(v);
    std::memcpy(out + i, &r, std::size_t(n) * sizeof(float));
  }
}

template <class L>
void sinLaneRow(const float* x, float* out, long count) {
  floatRow<L>(x, out, count, [](typename L::F v) { return sinLanes<L>(v); });
}

template <class L>
void cosLaneRow(const float* x, float* out, long count) {
  floatRow<L>(x, out, count, [](typename L::F v) { return cosLanes<L>(v); });
}

template <class L>
void atan2LaneRow(const float* y, const float* x, float* out, long count) {
  using F = typename L::F;
  for (long i = 0; i < count; i += L::kCount) {
    F vy{}, vx{};
    const long n = count - i < L::kCount ? count - i : L::kCount;
    std::memcpy(&vy, y + i, std::size_t(n) * sizeof(float));
    std::memcpy(&vx, x + i, std::size_t(n) * sizeof(float));
    const F r = atan2Lanes<L>(vy, vx);
    std::memcpy(out + i, &r, std::size_t(n) * sizeof(float));
  }
}

// The lane set's entry in its file's table.
#define KESTROW_LANE_SET(L)                                                          \
  LaneSet {                                                                          \
    L::kCount, &laneRowFor<L>, &multiplyAddLanes<L>, &sinLaneRow<L>, &cosLaneRow<L>, \
        &atan2LaneRow<L>                                                             \
  }

}  // namespace kestrow::matte
