// The correctly rounded sine, cosine and arc tangent of RoundedMath.h in
// lanes: every lane gets exactly the scalar function's bits.
//
// Each lane is first evaluated in double, with a relative error below
// 2^-49 (argued below); where every value within 2^-45 of that result
// rounds to the same float, that float is the correctly rounded result,
// which the scalar function also gives. The rest (arguments the lanes do
// not reduce, not-a-number, infinities, zeros of the arc tangent, and the
// rare results too close to a halfway point between floats) are handed to
// the scalar function, lane by lane.
#pragma once

#include <cstdint>

#include "matte/Lanes.h"
#include "matte/RoundedConstants.h"
#include "matte/RoundedMath.h"

namespace kestrow::matte {

namespace rounded {

inline constexpr double kLaneError = 0x1p-45;
// Adding and taking away 1.5 x 2^52 rounds a double below 2^51 in
// magnitude to a whole number, whose low bits are then those of the sum.
inline constexpr double kShifter = 0x1.8p52;

template <class L>
inline typename L::D horner(typename L::D v, const double* c, int count) {
  typename L::D p = lanes<L>(c[count - 1]);
  for (int i = count - 2; i >= 0; --i) p = p * v + c[i];
  return p;
}

// The float nearest to y where every value within the lane error of y
// rounds to it; `decided` says where. Not-a-number lanes are undecided.
template <class L>
inline typename L::F roundDecided(typename L::D y, typename L::M& decided) {
  const typename L::D err = absolute<L>(y) * kLaneError;
  const typename L::F low = narrow<L>(y - err);
  const typename L::F high = narrow<L>(y + err);
  decided &= widenMask<L>(low == high);
  return low;
}

// The decided lanes' floats, the scalar function's (`scalar(i)`) in the
// others.
template <class L, class Scalar>
inline typename L::F finish(typename L::D y, typename L::M decided, Scalar scalar) {
  typename L::F out = roundDecided<L>(y, decided);
  if (!all<L>(decided)) {
    for (int i = 0; i < L::kCount; ++i) {
      if (!decided[i]) out[i] = scalar(i);
    }
  }
  return out;
}

// x = k p + r, k the nearest whole number to x / p, for p = pi/2
// (scale 1) or pi (scale 2), with the three-part pi/2 scaled: `shifted`
// holds k in its low bits (also for negative k), `reduced` the lanes
// below 2^19 that this reduction serves.
template <class L>
struct ReducedLanes {
  typename L::D r, shifted;
  typename L::M reduced;
};

template <class L>
inline ReducedLanes<L> reduceLanes(typename L::F x, double inverse, double scale) {
  const typename L::D wide = widen<L>(x);
  const typename L::D shifted = wide * inverse + kShifter;
  const typename L::D k = shifted - kShifter;
  return {((wide - k * (scale * kHalfPi1)) - k * (scale * kHalfPi2)) - k * (scale * kHalfPi3),
          shifted, absolute<L>(wide) < lanes<L>(kLaneReductionLimit)};
}

// cos(x): by the quadrant of x (k the nearest whole number to x / (pi/2)),
// +-cos r or +-sin r with r = x - k pi/2, |r| <= pi/4 (cosine needs the
// quarter turns: near r = pi/2 a cosine of r would lose its relative
// precision). Lanes below 2^19 are reduced by the three-part pi/2: x - k p1
// is exact (k p1 is exact and within a factor of 2 of x), k p2 is exact,
// and the two further roundings and what the parts leave out (below
// 2^-100 absolute) keep r within 2^-52 of itself, as no float below 2^19
// comes within 2^-40 of a multiple of pi/2. The series (as the scalar's
// first evaluation, without its low part) add below 2^-52, the final sum
// 2^-53.
template <class L>
inline typename L::F cosLanesOf(typename L::F x) {
  using D = typename L::D;
  using M = typename L::M;
  using U = typename L::U;
  const ReducedLanes<L> red = reduceLanes<L>(x, kTwoOverPi, 1.0);
  const D r = red.r;
  const D r2 = r * r;
  const D sine = r + r * r2 * horner<L>(r2, kSinFast, 8);
  const D cos = 1.0 + r2 * horner<L>(r2, kCosFast, 9);
  // cos(k pi/2 + r) by k modulo 4, from the low bits of the shifted sum
  // (also for negative k): cos r, -sin r, -cos r, sin r.
  const U quadrant = (U)red.shifted & std::uint64_t{3};
  const M useSin = (quadrant & std::uint64_t{1}) != std::uint64_t{0};
  const M flip = ((quadrant + std::uint64_t{1}) & std::uint64_t{2}) != std::uint64_t{0};
  D y = select<L>(useSin, sine, cos);
  y = select<L>(flip, -y, y);
  return finish<L>(y, red.reduced, [&x](int i) { return cosRounded(x[i]); });
}

// sin(x) = (-1)^k sin(x - k pi), k the nearest whole number to x / pi:
// one polynomial on |r| <= pi/2. Lanes below 2^19 are reduced by pi in
// three parts (twice those of pi/2: the same exact products, x - k p1
// exact, r within 2^-52 of itself); the polynomial adds below 2^-50, its
// evaluation below 2^-53, the final sum 2^-53.
template <class L>
inline typename L::F sinLanesOf(typename L::F x) {
  using D = typename L::D;
  using U = typename L::U;
  const ReducedLanes<L> red = reduceLanes<L>(x, kOneOverPi, 2.0);
  const D r = red.r;
  const D r2 = r * r;
  const D sine = r + r * r2 * horner<L>(r2, kSinLane, 7);
  // sin r has the sign of r (-0 included, which the sum would lose); an
  // odd k flips it: k's low bit, moved to the top.
  const U sign = (U)lanes<L>(std::int64_t{INT64_MIN});
  const D y = (D)((((U)sine & ~sign) | ((U)r & sign)) ^ ((U)red.shifted << 63));
  return finish<L>(y, red.reduced, [&x](int i) { return sinRounded(x[i]); });
}

// atan2(y, x) from atan(t), t = the smaller magnitude n over the larger d,
// as atan(c) + atan(u) with c = j/8 near t and u = (n - c d) / (d + c n),
// then turned into its quadrant. The eighth is chosen from the float
// quotient (any j with |t - c| within a hair of 1/16 will do); n - c d and
// d + c n are exact in double (products of at most 28 bits, terms within
// a factor of 2^8 of each other), so u has one rounding and t none. The
// polynomial adds below 2^-50 of atan u, the table's pair and the turns a
// few roundings of 2^-53: below 2^-49 in all.
template <class L>
inline typename L::F atan2LanesOf(typename L::F y, typename L::F x) {
  using D = typename L::D;
  using F = typename L::F;
  using M = typename L::M;
  using MF = typename L::MF;
  using U = typename L::U;
  const MF magnitudeBits = lanes<L>(std::int32_t{0x7fffffff});
  const F ay = (F)((MF)y & magnitudeBits), ax = (F)((MF)x & magnitudeBits);
  const MF steep = ay > ax;
  const F nf = select<L>(steep, ax, ay), df = select<L>(steep, ay, ax);
  const F tf = nf / df;
  // Zeros, infinities, not-a-number and quotients below the floats leave
  // the float quotient at 0 or not a number.
  M decided = widenMask<L>(tf > lanes<L>(0.0f));
  const D shifted = widen<L>(tf) * 8.0 + kShifter;
  const D c = (shifted - kShifter) * 0.125;
  const D n = widen<L>(nf), d = widen<L>(df);
  const D u = (n - c * d) / (d + c * n);
  const D u2 = u * u;
  D tableHi, tableLo;
  for (int i = 0; i < L::kCount; ++i) {
    const auto j = static_cast<unsigned>(((U)shifted)[i] & 15u);
    const DD& entry = kAtanEighths[j <= 8u ? j : 0u];
    tableHi[i] = entry.hi;
    tableLo[i] = entry.lo;
  }
  D a = tableHi + (tableLo + (u + u * u2 * horner<L>(u2, kAtanLane, 4)));
  a = select<L>(widenMask<L>(steep), (kHalfPi.hi - a) + kHalfPi.lo, a);
  const M xNegative = widenMask<L>((MF)x < lanes<L>(std::int32_t{0}));
  a = select<L>(xNegative, (kPi.hi - a) + kPi.lo, a);
  const M signY = widenMask<L>((MF)y & lanes<L>(std::int32_t{INT32_MIN}));
  a = (D)((M)a | (signY & lanes<L>(std::int64_t{INT64_MIN})));
  return finish<L>(a, decided, [&y, &x](int i) { return atan2Rounded(y[i], x[i]); });
}

}  // namespace rounded

template <class L>
inline typename L::F sinLanes(typename L::F x) {
  return rounded::sinLanesOf<L>(x);
}

template <class L>
inline typename L::F cosLanes(typename L::F x) {
  return rounded::cosLanesOf<L>(x);
}

template <class L>
inline typename L::F atan2Lanes(typename L::F y, typename L::F x) {
  return rounded::atan2LanesOf<L>(y, x);
}

}  // namespace kestrow::matte
