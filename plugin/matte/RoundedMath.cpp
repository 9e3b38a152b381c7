// Correctly rounded sine, cosine and arc tangent of floats.
//
// Each function evaluates its result twice over at most: first in double
// (relative error below 2^-50, argued at each evaluation), then, only when
// that value lies too close to a point halfway between two floats to tell
// which float is nearest, in double-double (relative error below 2^-98).
// The rounding test asks whether every value within the error bound of the
// evaluation rounds to the same float; if so, that float is the correctly
// rounded result, since rounding is monotonic. A value within 2^-95 of a
// halfway point even after the second evaluation is taken as the
// double-double's nearest float: the exhaustive test of every float shows
// that sine and cosine never get there, and for the arc tangent, whose
// results are never exactly halfway (they are transcendental), random and
// structured tests find none either. The one place where a quotient of
// floats can sit exactly on a halfway point with the value a hair below
// it, a tiny arc tangent, is decided exactly (tinyAtan).
//
// Arguments of sine and cosine are reduced modulo pi/2 exactly: 2/pi is
// held to 384 bits, so that for every float x the remainder x - k pi/2
// comes out with at least 90 correct bits, however close x lies to a
// multiple of pi/2 (no float comes closer than 2^-30 relative).
#include "matte/RoundedMath.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "matte/RoundedConstants.h"

namespace kestrow::matte {

namespace {

using rounded::DD;
namespace k = rounded;

// ------------------------------------------------------------ double-double

DD twoSum(double a, double b) {
  const double s = a + b;
  const double bb = s - a;
  return {s, (a - (s - bb)) + (b - bb)};
}

// |a| >= |b| (or a zero).
DD quickTwoSum(double a, double b) {
  const double s = a + b;
  return {s, b - (s - a)};
}

// Dekker's product: exact for |a|, |b| below 2^995, without a fused
// multiply-add.
DD twoProduct(double a, double b) {
  const auto split = [](double v) {
    const double c = 134217729.0 * v;  // 2^27 + 1
    const double hi = c - (c - v);
    return DD{hi, v - hi};
  };
  const DD sa = split(a), sb = split(b);
  const double p = a * b;
  return {p, ((sa.hi * sb.hi - p) + sa.hi * sb.lo + sa.lo * sb.hi) + sa.lo * sb.lo};
}

DD add(DD a, DD b) {
  DD s = twoSum(a.hi, b.hi);
  const DD t = twoSum(a.lo, b.lo);
  s = quickTwoSum(s.hi, s.lo + t.hi);
  return quickTwoSum(s.hi, s.lo + t.lo);
}

DD negate(DD a) { return {-a.hi, -a.lo}; }

DD multiply(DD a, DD b) {
  DD p = twoProduct(a.hi, b.hi);
  p.lo += a.hi * b.lo + a.lo * b.hi;
  return quickTwoSum(p.hi, p.lo);
}

DD divide(DD a, DD b) {
  const double q1 = a.hi / b.hi;
  DD r = add(a, negate(multiply(b, {q1, 0.0})));
  const double q2 = r.hi / b.hi;
  r = add(r, negate(multiply(b, {q2, 0.0})));
  const double q3 = r.hi / b.hi;
  return add(quickTwoSum(q1, q2), {q3, 0.0});
}

// ------------------------------------------------------------ rounding

// The float nearest to every value within `err` of hi + lo, when they all
// have the same nearest float. The halfway points between neighbouring
// floats are exact doubles, and hi lies within one float step of them, so
// hi - halfway is exact; only the last addition rounds, by far less than
// the margin of twice the error allowed for.
bool roundToFloat(double hi, double lo, double err, float& out) {
  const float f = static_cast<float>(hi);
  const float below = std::nextafter(f, -HUGE_VALF);
  const float above = std::nextafter(f, HUGE_VALF);
  const double lowHalf = (static_cast<double>(below) + f) * 0.5;
  const double highHalf = (static_cast<double>(f) + above) * 0.5;
  const double toLow = (hi - lowHalf) + lo;
  const double toHigh = (hi - highHalf) + lo;
  const double margin = 2.0 * err;
  if (toHigh > margin) {
    out = above;
  } else if (toLow < -margin) {
    out = below;
  } else if (toLow > margin && toHigh < -margin) {
    out = f;
  } else {
    out = f;
    return false;
  }
  return true;
}

// Relative error bounds of the two evaluations, with room to spare.
constexpr double kFastError = 0x1p-46;
constexpr double kSlowError = 0x1p-95;

// ------------------------------------------------------------ sine, cosine

// |x| = quadrant * pi/2 + r, |r| <= pi/4, r = hi + lo.
struct Reduced {
  DD r;
  unsigned quadrant;
};

// 64 bits of 2/pi starting at bit `first` after the binary point.
std::uint64_t twoOverPiBits(int first) {
  const int word = (first - 1) / 64;
  const int offset = (first - 1) % 64;
  const std::uint64_t high = k::kTwoOverPiBits[word] << offset;
  return offset == 0 ? high : high | (k::kTwoOverPiBits[word + 1] >> (64 - offset));
}

// Exact reduction of a finite |x| >= pi/4. With x = m 2^s (m the 24-bit
// significand), x * 2/pi modulo 4 takes only the bits of 2/pi from bit
// s - 1 on: earlier ones give multiples of 4. A window of 192 bits leaves
// out less than 2^-167; the fraction keeps 128 bits.
Reduced reduceLarge(float ax) {
  std::uint32_t bits;
  std::memcpy(&bits, &ax, sizeof bits);
  const int s = static_cast<int>(bits >> 23) - 150;
  const std::uint64_t m = (bits & 0x7fffffu) | 0x800000u;
  const int first = s - 1 > 1 ? s - 1 : 1;
  const int shift = first + 191 - s;  // fraction bits of m * window
  using U128 = unsigned __int128;
  const std::uint64_t w2 = twoOverPiBits(first), w1 = twoOverPiBits(first + 64),
                      w0 = twoOverPiBits(first + 128);
  const U128 t0 = U128(m) * w0;
  const U128 t1 = U128(m) * w1 + (t0 >> 64);
  const U128 t2 = U128(m) * w2 + (t1 >> 64);
  // The product as 256 bits, p[0] lowest.
  const std::uint64_t p[4] = {std::uint64_t(t0), std::uint64_t(t1), std::uint64_t(t2),
                              std::uint64_t(t2 >> 64)};
  const auto bitsFrom = [&p](int at) {  // 64 bits from bit `at` up
    const int word = at / 64, offset = at % 64;
    const std::uint64_t low = p[word] >> offset;
    return offset == 0 || word == 3 ? low : low | (p[word + 1] << (64 - offset));
  };
  unsigned quadrant = static_cast<unsigned>(bitsFrom(shift)) & 3u;
  U128 fraction = (U128(bitsFrom(shift - 64)) << 64) | bitsFrom(shift - 128);
  bool negative = false;
  if (fraction >> 127) {  // at least a half: towards the next multiple
    ++quadrant;
    fraction = -fraction;
    negative = true;
  }
  // The fraction's leading 106 bits as a double-double (it is never 0:
  // pi is irrational and no float lies within 2^-40 of a multiple).
  if (fraction == 0) return {{0.0, 0.0}, quadrant & 3u};
  const int lead = fraction >> 64 ? __builtin_clzll(std::uint64_t(fraction >> 64))
                                  : 64 + __builtin_clzll(std::uint64_t(fraction));
  fraction <<= lead;
  const double hi = std::ldexp(static_cast<double>(std::uint64_t(fraction >> 75)), -53 - lead);
  const double lo = std::ldexp(
      static_cast<double>(std::uint64_t(fraction >> 22) & ((1ULL << 53) - 1)), -106 - lead);
  DD r = multiply({hi, lo}, k::kHalfPi);
  if (negative) r = negate(r);
  return {r, quadrant & 3u};
}

Reduced reduce(float ax) {
  if (ax < 0.785398f) return {{ax, 0.0}, 0};  // below pi/4: nothing to take off
  return reduceLarge(ax);
}

// First evaluation, from the reduced argument r = rh + rl: the Taylor
// series to r^17 and r^18 leave out less than 2^-62 of the value for
// |r| <= pi/4; rl (below 2^-50 |rh|) enters through the derivative; the
// roundings of the corrections add up to below 2^-52 and the final sum's
// rounding to 2^-53.
double sinFast(DD r) {
  const double r2 = r.hi * r.hi;
  double p = k::kSinFast[7];
  for (int i = 6; i >= 0; --i) p = p * r2 + k::kSinFast[i];
  return r.hi + (r.hi * r2 * p + r.lo * (1.0 - 0.5 * r2));
}

double cosFast(DD r) {
  const double r2 = r.hi * r.hi;
  double p = k::kCosFast[8];
  for (int i = 7; i >= 0; --i) p = p * r2 + k::kCosFast[i];
  return 1.0 + (r2 * p - r.hi * r.lo);
}

// Second evaluation, all in double-double: the series to r^27 and r^28
// leave out less than 2^-110; each step rounds by about 2^-104.
DD sinSlow(DD r) {
  const DD r2 = multiply(r, r);
  DD p = k::kSinSlow[12];
  for (int i = 11; i >= 0; --i) p = add(multiply(p, r2), k::kSinSlow[i]);
  return add(r, multiply(multiply(r, r2), p));
}

DD cosSlow(DD r) {
  const DD r2 = multiply(r, r);
  DD p = k::kCosSlow[13];
  for (int i = 12; i >= 0; --i) p = add(multiply(p, r2), k::kCosSlow[i]);
  return add({1.0, 0.0}, multiply(r2, p));
}

// sin(x) (cosine: sin(x + pi/2)): which of +-sin r, +-cos r by quadrant.
float sinCos(float x, bool cosine) {
  if (std::isnan(x) || std::isinf(x)) return x - x;  // not-a-number
  if (x == 0.0f) return cosine ? 1.0f : x;
  const bool negative = std::signbit(x);
  const Reduced red = reduce(std::fabs(x));
  // cos(-x) = cos(x); sin(-x) = -sin(x).
  const unsigned quadrant = (red.quadrant + (cosine ? 1u : 0u)) & 3u;
  const bool useCos = (quadrant & 1u) != 0;
  const bool flip = ((quadrant & 2u) != 0) != (negative && !cosine);

  double y = useCos ? cosFast(red.r) : sinFast(red.r);
  if (flip) y = -y;
  float out;
  if (roundToFloat(y, 0.0, std::fabs(y) * kFastError, out)) return out;
  DD z = useCos ? cosSlow(red.r) : sinSlow(red.r);
  if (flip) z = negate(z);
  roundToFloat(z.hi, z.lo, std::fabs(z.hi) * kSlowError, out);
  return out;
}

// ------------------------------------------------------------ arc tangent

// atan(t) for 0 < t <= 1, as atan(c) + atan(u) with c = j/8 the nearest
// eighth and u = (t - c) / (1 + t c), |u| <= 1/16.
//
// First evaluation: t - c is exact (t and c within a factor of 2), so u
// has three roundings; atan(u) is then off by below 2^-51 |u|, which is
// below 2^-53 of the result wherever c > 0; the series to u^15 leaves out
// below 2^-64 |u|; t's own rounding moves atan(t) by less than 2^-53 of
// itself. With the table's pair and the final additions, below 2^-50.
double atanFast(double t) {
  const int j = static_cast<int>(t * 8.0 + 0.5);
  const double c = j * 0.125;
  const double u = (t - c) / (1.0 + t * c);
  const double u2 = u * u;
  double p = k::kAtanFast[6];
  for (int i = 5; i >= 0; --i) p = p * u2 + k::kAtanFast[i];
  return k::kAtanEighths[j].hi + (k::kAtanEighths[j].lo + (u + u * u2 * p));
}

// Second evaluation in double-double, the series to u^27 (left out: below
// 2^-116 |u|).
DD atanSlow(DD t) {
  const int j = static_cast<int>(t.hi * 8.0 + 0.5);
  const DD c = {j * 0.125, 0.0};
  const DD u = divide(add(t, negate(c)), add({1.0, 0.0}, multiply(t, c)));
  const DD u2 = multiply(u, u);
  DD p = k::kAtanSlow[12];
  for (int i = 11; i >= 0; --i) p = add(multiply(p, u2), k::kAtanSlow[i]);
  return add(k::kAtanEighths[j], add(u, multiply(multiply(u, u2), p)));
}

// atan(n / d) for n / d below 2^-40 (both positive), exactly: the value is
// n / d less a fraction below 2^-80 of itself, while a quotient of floats
// that is not itself a halfway point between floats lies at least
// 1 / (d 2^150) from one, far more than that. So the result is the float f
// with lowHalf(f) < n / d <= highHalf(f): at a halfway point the value lies
// just below it. Halfway points have at most 25 bits, so m * d is exact.
float tinyAtan(double n, double d) {
  float f = static_cast<float>(n / d);
  for (;;) {
    const float below = std::nextafter(f, -HUGE_VALF);
    const float above = std::nextafter(f, HUGE_VALF);
    if (n > (static_cast<double>(f) + above) * 0.5 * d) {
      f = above;
    } else if (n <= (static_cast<double>(below) + f) * 0.5 * d) {
      f = below;
    } else {
      return f;
    }
  }
}

}  // namespace

float sinRounded(float x) { return sinCos(x, false); }

float cosRounded(float x) { return sinCos(x, true); }

float atan2Rounded(float y, float x) {
  if (std::isnan(x) || std::isnan(y)) return x + y;
  const bool yNegative = std::signbit(y), xNegative = std::signbit(x);
  const auto withSign = [yNegative](float v) { return yNegative ? -v : v; };
  constexpr float kPiF = 0x1.921fb6p+1f;              // pi, correctly rounded
  constexpr float kHalfPiF = 0x1.921fb6p+0f;          // pi/2
  constexpr float kQuarterPiF = 0x1.921fb6p-1f;       // pi/4
  constexpr float kThreeQuarterPiF = 0x1.2d97c8p+1f;  // 3 pi/4
  if (y == 0.0f) return xNegative ? withSign(kPiF) : y;
  if (std::isinf(y)) {
    if (std::isinf(x)) return withSign(xNegative ? kThreeQuarterPiF : kQuarterPiF);
    return withSign(kHalfPiF);
  }
  if (x == 0.0f) return withSign(kHalfPiF);
  if (std::isinf(x)) return xNegative ? withSign(kPiF) : withSign(0.0f);

  // The angle of (|x|, |y|) from atan(t), t = the smaller over the larger
  // (exact in double-double; in double, one rounding), then turned into
  // its quadrant: pi/2 - a above the diagonal, pi - a left of the axis.
  // The turns add one rounding each to values of at least pi/4.
  const double ay = std::fabs(static_cast<double>(y)), ax = std::fabs(static_cast<double>(x));
  const bool steep = ay > ax;
  const double num = steep ? ax : ay, den = steep ? ay : ax;
  if (!steep && !xNegative && num < den * 0x1p-40) {
    const float tiny = tinyAtan(num, den);
    return yNegative ? -tiny : tiny;
  }

  double a = atanFast(num / den);
  if (steep) a = (k::kHalfPi.hi - a) + k::kHalfPi.lo;
  if (xNegative) a = (k::kPi.hi - a) + k::kPi.lo;
  if (yNegative) a = -a;
  float out;
  if (roundToFloat(a, 0.0, std::fabs(a) * kFastError, out)) return out;

  DD b = atanSlow(divide({num, 0.0}, {den, 0.0}));
  if (steep) b = add(k::kHalfPi, negate(b));
  if (xNegative) b = add(k::kPi, negate(b));
  if (yNegative) b = negate(b);
  roundToFloat(b.hi, b.lo, std::fabs(b.hi) * kSlowError, out);
  return out;
}

}  // namespace kestrow::matte
