// The shared steps of every mode on lanes of pixels: loading a block of
// pixels, the transform into the local frame, smoothstep, and the weighted
// distance. Each function computes in every lane exactly what the scalar
// formula written above it computes for one pixel.
#pragma once

#include <math.h>

#include <concepts>
#include <cstdint>
#include <cstring>

#include "AE_Effect.h"
#include "matte/Lanes.h"
#include "matte/RowConstants.h"

namespace kestrow::matte {

template <class L>
struct PixelLanes {
  typename L::F alpha, x, y, z;
};

// Layer mode's colour lanes, in float.
template <class L>
struct ColourLanes {
  typename L::F alpha, red, green, blue;
};

// Blocks of pixels to channel lanes and back, one pixel at a time. A lane
// set may load and store its own way (a transpose in registers, which may
// also permute the lanes: its store undoes it).
template <class L>
inline void genericLoad(const PF_PixelFloat* in, typename L::F& a, typename L::F& x,
                        typename L::F& y, typename L::F& z) {
  for (int i = 0; i < L::kCount; ++i) {
    a[i] = in[i].alpha;
    x[i] = in[i].red;
    y[i] = in[i].green;
    z[i] = in[i].blue;
  }
}

template <class L>
inline void genericStore(typename L::F a, typename L::F x, typename L::F y, typename L::F z,
                         PF_PixelFloat* out) {
  for (int i = 0; i < L::kCount; ++i) {
    out[i] = PF_PixelFloat{a[i], x[i], y[i], z[i]};
  }
}

// The pixels at base + offset[lane], one lane at a time.
template <class L>
inline void genericGather(const char* base, const std::int64_t* offset, ColourLanes<L>& out) {
  float channels[4][L::kCount];
  for (int i = 0; i < L::kCount; ++i) {
    PF_PixelFloat px;
    std::memcpy(&px, base + offset[i], sizeof px);
    channels[0][i] = px.alpha;
    channels[1][i] = px.red;
    channels[2][i] = px.green;
    channels[3][i] = px.blue;
  }
  std::memcpy(&out.alpha, channels[0], sizeof out.alpha);
  std::memcpy(&out.red, channels[1], sizeof out.red);
  std::memcpy(&out.green, channels[2], sizeof out.green);
  std::memcpy(&out.blue, channels[3], sizeof out.blue);
}

// What every lane set supplies: its lane count and vector types
// (LaneTypes), the square root, the floors, the float-to-double
// conversion, the lane mask's bits, the block load and store and the
// picture gather. Each lane set's file checks its set against this, so a
// helper it lacks, or one whose name is misspelt, fails to compile
// instead of falling back to a slower loop.
template <class L>
concept LaneSet = requires(typename L::D d, typename L::F f, typename L::M m,
                           const PF_PixelFloat* in, PF_PixelFloat* out, const char* base,
                           const std::int64_t* offset, ColourLanes<L>& colour) {
  { L::kCount } -> std::convertible_to<int>;
  { L::sqrt(d) } -> std::same_as<typename L::D>;
  { L::floor(d) } -> std::same_as<typename L::D>;
  { L::floor(f) } -> std::same_as<typename L::F>;
  { L::widen(f) } -> std::same_as<typename L::D>;
  { L::laneBits(m) } -> std::same_as<unsigned>;
  L::load(in, f, f, f, f);
  L::store(f, f, f, f, out);
  L::gatherPixels(base, offset, colour);
};

// A block of pixels in lanes: input alpha and the point, in float.
template <class L>
inline PixelLanes<L> loadPixels(const PF_PixelFloat* in) {
  PixelLanes<L> p;
  L::load(in, p.alpha, p.x, p.y, p.z);
  return p;
}

template <class L>
inline void storePixels(const PixelLanes<L>& p, PF_PixelFloat* out) {
  L::store(p.alpha, p.x, p.y, p.z, out);
}

// One rotation: a' = (float)(a * cos + b * sin), b' = (float)(b * cos - a * sin),
// products and sums in double from the float channels.
template <class L>
inline void turn(typename L::F& a, typename L::F& b, float cosine, float sine) {
  const typename L::D wa = widen<L>(a);
  const typename L::D wb = widen<L>(b);
  const double c = cosine;
  const double s = sine;
  a = narrow<L>(wa * c + wb * s);
  b = narrow<L>(wb * c - wa * s);
}

// Translation (x = (float)(x - shiftX), in double), then the three
// rotations in the planned order, each stored back as float.
template <class L>
[[gnu::always_inline]] inline void toLocal(const RowConstants& c, PixelLanes<L>& p) {
  p.x = narrow<L>(widen<L>(p.x) - c.shiftX);
  p.y = narrow<L>(widen<L>(p.y) - c.shiftY);
  p.z = narrow<L>(widen<L>(p.z) - c.shiftZ);
  const auto aboutX = [&] { turn<L>(p.y, p.z, c.cosX, c.sinX); };
  const auto aboutY = [&] { turn<L>(p.x, p.z, c.cosY, c.sinY); };
  const auto aboutZ = [&] { turn<L>(p.x, p.y, c.cosZ, c.sinZ); };
  switch (c.rotateOrder) {
    case RotateOrder::XYZ:
      aboutX(), aboutY(), aboutZ();
      break;
    case RotateOrder::XZY:
      aboutX(), aboutZ(), aboutY();
      break;
    case RotateOrder::YXZ:
      aboutY(), aboutX(), aboutZ();
      break;
    case RotateOrder::YZX:
      aboutY(), aboutZ(), aboutX();
      break;
    case RotateOrder::ZXY:
      aboutZ(), aboutX(), aboutY();
      break;
    case RotateOrder::ZYX:
      aboutZ(), aboutY(), aboutX();
      break;
    case RotateOrder::None:
      break;
  }
}

// Cubic smoothstep:
//   edge0 == edge1:  value < edge0 ? 0 : 1
//   t = (value - edge0) / (edge1 - edge0)
//   t > 1 ? 1 : t < 0 ? 0 : t * t * (3 - 2 * t)
// The edges are per-render constants, so the hard step is a branch per call.
// Where every lane of the block lies clearly beyond an edge, the result is
// known without the division: a product with the reciprocal is within a
// few units in the last place of the quotient, far inside the 2^-40 margin,
// so it decides t > 1 and t < 0 exactly as the quotient would. Any lane
// near an edge, not-a-number, or a span whose reciprocal may lose bits
// takes the division.
template <class L>
inline typename L::D smoothStep(typename L::D value, double edge0, double edge1) {
  using D = typename L::D;
  using M = typename L::M;
  const D zero = lanes<L>(0.0);
  const D one = lanes<L>(1.0);
  if (edge0 == edge1) {
    return select<L>(value < lanes<L>(edge0), zero, one);
  }
  const double span = edge1 - edge0;
  const D offset = value - edge0;
  if (__builtin_fabs(span) >= 0x1p-500 && __builtin_fabs(span) <= 0x1p500) {
    const D estimate = offset * (1.0 / span);
    const M above = estimate > lanes<L>(1.0 + 0x1p-40);
    const M below = estimate < lanes<L>(-0x1p-40);
    if (all<L>(above | below)) {
      return select<L>(above, one, zero);
    }
  }
  const D t = offset / span;
  const D cubic = t * t * (3.0 - 2.0 * t);
  return select<L>(t > one, one, select<L>(t < zero, zero, cubic));
}

// pow(sum, 0.5), defined as its correctly rounded value: the square root
// with pow's special cases, -0 giving +0 (adding +0 turns -0 into +0 and
// leaves every other value) and -infinity +infinity; other negative sums
// give not-a-number, as both do.
template <class L>
inline typename L::D rootAsPow(typename L::D sum) {
  using D = typename L::D;
  const D root = L::sqrt(sum) + 0.0;
  return select<L>(sum == lanes<L>(-__builtin_inf()), lanes<L>(__builtin_inf()), root);
}

// Weighted distance:
//   pow(pow(x, 2) * wx + pow(y, 2) * wy + pow(z, 2) * wz, 0.5)
// pow(v, 2) is v * v for every v, the signs of zero and infinities included.
template <class L>
inline typename L::D weightedSum(const RowConstants& c, typename L::D x, typename L::D y,
                                 typename L::D z) {
  return x * x * c.weightX + y * y * c.weightY + z * z * c.weightZ;
}

template <class L>
inline typename L::D weightedDistance(const RowConstants& c, typename L::D x, typename L::D y,
                                      typename L::D z) {
  return rootAsPow<L>(weightedSum<L>(c, x, y, z));
}

// Whether every lane's sum lies in one of the flat ranges; `matte` then
// holds each lane's constant. Not-a-number and negative sums lie in none.
template <class L>
inline bool flatMatte(const FlatRange (&ranges)[3], typename L::D sum, typename L::D& matte) {
  using M = typename L::M;
  M covered = lanes<L>(std::int64_t{0});
  matte = lanes<L>(0.0);
  for (const FlatRange& range : ranges) {
    const M in = (sum >= lanes<L>(range.lowest)) & (sum <= lanes<L>(range.highest));
    matte = select<L>(in, lanes<L>(range.matte), matte);
    covered |= in;
  }
  return all<L>(covered);
}

}  // namespace kestrow::matte
