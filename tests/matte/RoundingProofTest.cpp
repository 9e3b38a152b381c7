// Proof that sinRounded, cosRounded and atan2Rounded are correctly rounded:
// sine and cosine for every one of the 2^32 floats, the arc tangent for 10^9
// random pairs and a table of hard ones, and every lane set this CPU runs
// giving the scalar functions' bits on all of them.
//
// Each result is checked against the C library's double function and, only
// where that estimate cannot decide the rounding, against MPFR. An
// optimised build checks everything (KESTROW_ROUNDING_FULL); other builds,
// the sanitizers' among them, a sample spread over all exponents.
// KESTROW_ATAN2_PAIRS=<n> sets the number of random arc tangent pairs.
//
// Run time of the optimised build on the 2-core development machine: the
// test's own work (the double estimates, the comparisons, the lane calls)
// is about 170 s of processor time for every float and 42 s for 10^9
// pairs, so 85 s and 21 s on both cores; the functions under test add
// their own time, evaluated four times over (scalar and three lane sets).
#include <gtest/gtest.h>
#include <mpfr.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <limits>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "LaneProbes.h"
#include "matte/RoundedMath.h"
#include "matte/SimdPath.h"

namespace kestrow::matte::test {
namespace {

#if KESTROW_ROUNDING_FULL
constexpr std::uint64_t kSweepCount = std::uint64_t{1} << 32;
constexpr std::uint64_t kSweepStep = 1;
constexpr std::uint64_t kDefaultPairs = 1'000'000'000;
#else
// Every 4093rd float: about 2000 of each exponent.
constexpr std::uint64_t kSweepCount = std::uint64_t{1} << 20;
constexpr std::uint64_t kSweepStep = 4093;
constexpr std::uint64_t kDefaultPairs = std::uint64_t{1} << 20;
#endif

constexpr long kChunk = 4096;
constexpr std::size_t kShown = 8;

std::uint32_t bitsOf(float v) { return std::bit_cast<std::uint32_t>(v); }
float floatOf(std::uint32_t bits) { return std::bit_cast<float>(bits); }
bool sameResult(float expected, float got) {
  return std::isnan(expected) ? std::isnan(got) : bitsOf(expected) == bitsOf(got);
}

enum Fn { kSin, kCos, kAtan2 };
constexpr const char* kFnNames[] = {"sinRounded", "cosRounded", "atan2Rounded"};
constexpr const char* kRowNames[] = {"sinRow", "cosRow", "atan2Row"};

// ---- The oracle

std::mutex mpfrLock;  // MPFR's exponent range and caches may be global

// MPFR's value of the function into `out` (its precision decides the rounding).
int mpfrEvaluate(Fn fn, mpfr_t out, float y, float x) {
  mpfr_t my, mx;
  mpfr_inits2(24, my, mx, static_cast<mpfr_ptr>(nullptr));
  mpfr_set_flt(my, y, MPFR_RNDN);  // exact
  mpfr_set_flt(mx, x, MPFR_RNDN);
  // MPFR's atan2 gives the C standard's values for zeros and infinities.
  const int inexact = fn == kSin   ? mpfr_sin(out, mx, MPFR_RNDN)
                      : fn == kCos ? mpfr_cos(out, mx, MPFR_RNDN)
                                   : mpfr_atan2(out, my, mx, MPFR_RNDN);
  mpfr_clears(my, mx, static_cast<mpfr_ptr>(nullptr));
  return inexact;
}

// The exact value rounded once, to nearest even, to a float: MPFR rounds
// to 24 bits within binary32's exponent range, then to the subnormal grid
// where the result is that small.
float correctlyRounded(Fn fn, float y, float x) {
  std::lock_guard lock(mpfrLock);
  const mpfr_exp_t emin = mpfr_get_emin(), emax = mpfr_get_emax();
  mpfr_set_emin(-148);  // 2^-149 = 0.5 * 2^-148
  mpfr_set_emax(128);
  mpfr_t r;
  mpfr_init2(r, 24);
  mpfr_subnormalize(r, mpfrEvaluate(fn, r, y, x), MPFR_RNDN);
  const float v = mpfr_get_flt(r, MPFR_RNDN);
  mpfr_clear(r);
  mpfr_set_emin(emin);
  mpfr_set_emax(emax);
  return v;
}

// The exact value to 128 bits, in hexadecimal, for failure messages, with
// the side it was rounded to: a result next to a halfway point between
// floats can round to that point even at this precision.
std::string exactText(Fn fn, float y, float x) {
  std::lock_guard lock(mpfrLock);
  mpfr_t r;
  mpfr_init2(r, 128);
  const int rounded = mpfrEvaluate(fn, r, y, x);
  char* text = nullptr;
  mpfr_asprintf(&text, "%Ra", r);
  std::string s = text;
  mpfr_free_str(text);
  mpfr_clear(r);
  return s + (rounded > 0 ? " less a little" : rounded < 0 ? " and a little" : "");
}

// The correctly rounded float of y, decided from the double estimate s of
// it, or nothing when s is too close to a rounding boundary. The C
// library's double sin, cos and atan2 are within 1 ulp of the exact value
// (glibc's published bounds), so |s - y| <= 2^-52 |y| < 2^-51 |s|. The
// interval s -+ 2^-50 |s| (2 to 4 ulps; its own endpoints rounded by at
// most half an ulp) holds y, and rounding to float is monotonic: when both
// ends round to the same float, so does y. Zero has no margin: +0 is exact
// here and -0 never decides (its ends are -0 and +0). A not-a-number
// estimate stands for a not-a-number result.
std::optional<float> decided(double s) {
  if (std::isnan(s)) return std::numeric_limits<float>::quiet_NaN();
  const double margin = std::fabs(s) * 0x1p-50;
  const float lo = static_cast<float>(s - margin), hi = static_cast<float>(s + margin);
  if (bitsOf(lo) != bitsOf(hi)) return std::nullopt;
  return lo;
}

// ---- Tallies

struct Failure {
  Fn fn;
  int where;  // -1: the scalar function; otherwise a lane set's index in kSimdPaths
  std::uint32_t y, x;
  float got, expected;
};

struct Tally {
  std::uint64_t checked = 0, byMpfr = 0;
  std::array<std::array<std::uint64_t, 4>, 3> wrong{};  // [fn][1 + where]
  std::vector<Failure> first;                           // up to kShown of each kind

  void fail(const Failure& f) {
    if (wrong[f.fn][f.where + 1]++ < kShown) first.push_back(f);
  }
  // The scalar result against the correctly rounded one, decided from the
  // double estimate or by MPFR.
  void check(Fn fn, float y, float x, float got, double estimate) {
    ++checked;
    std::optional<float> expected = decided(estimate);
    if (!expected) {
      ++byMpfr;
      expected = correctlyRounded(fn, y, x);
    }
    if (!sameResult(*expected, got)) fail({fn, -1, bitsOf(y), bitsOf(x), got, *expected});
  }
  void add(const Tally& other) {
    checked += other.checked;
    byMpfr += other.byMpfr;
    for (int f = 0; f < 3; ++f)
      for (int w = 0; w < 4; ++w) wrong[f][w] += other.wrong[f][w];
    first.insert(first.end(), other.first.begin(), other.first.end());
  }
};

// "0x3f800000 (0x1p+0)"
std::string describe(float v) {
  char text[64];
  std::snprintf(text, sizeof text, "0x%08x (%a)", bitsOf(v), v);
  return text;
}

// Fails the test once per function and lane set with any wrong result,
// showing the first inputs with their bits and the exact value.
void expectAllRight(Tally tally) {
  std::printf("%llu results checked, %llu of them decided by MPFR\n",
              static_cast<unsigned long long>(tally.checked),
              static_cast<unsigned long long>(tally.byMpfr));
  std::sort(tally.first.begin(), tally.first.end(), [](const Failure& a, const Failure& b) {
    return std::tie(a.fn, a.where, a.y, a.x) < std::tie(b.fn, b.where, b.y, b.x);
  });
  for (int fn = 0; fn < 3; ++fn) {
    for (int where = -1; where < 3; ++where) {
      const std::uint64_t count = tally.wrong[fn][where + 1];
      if (count == 0) continue;
      std::string text =
          where < 0 ? std::string(kFnNames[fn]) + ": " + std::to_string(count) +
                          " results not correctly rounded; got, correctly rounded, exact:"
                    : std::string(kRowNames[fn]) + " on " + simdPathName(kSimdPaths[where]) + ": " +
                          std::to_string(count) + " results differ from " + kFnNames[fn] +
                          "; lanes, scalar, exact:";
      std::size_t shown = 0;
      for (const Failure& f : tally.first) {
        if (f.fn != fn || f.where != where || shown++ == kShown) continue;
        const float y = floatOf(f.y), x = floatOf(f.x);
        text += "\n  " + std::string(kFnNames[fn]) + "(" +
                (fn == kAtan2 ? describe(y) + ", " : "") + describe(x) + "): " + describe(f.got) +
                ", " + describe(f.expected) + ", " + exactText(Fn(fn), y, x);
      }
      ADD_FAILURE() << text;
    }
  }
}

// ---- Sweeps

struct LaneSetHere {
  int path;
  const LaneProbes* set;
};

const std::vector<LaneSetHere>& laneSetsHere() {
  static const std::vector<LaneSetHere> sets = [] {
    std::vector<LaneSetHere> here;
    for (int p = 0; p < 3; ++p)
      if (simdPathAvailable(kSimdPaths[p])) here.push_back({p, &laneProbesFor(kSimdPaths[p])});
    return here;
  }();
  return sets;
}

// Each lane set's row against the scalar results; `row` evaluates one set
// over the chunk into `out`.
template <class Row>
void compareLanes(Fn fn, const float* y, const float* x, const float* scalar, long n, Tally& t,
                  Row row) {
  float out[kChunk];
  for (const LaneSetHere& lanes : laneSetsHere()) {
    row(*lanes.set, out);
    for (long i = 0; i < n; ++i)
      if (!sameResult(scalar[i], out[i]))
        t.fail({fn, lanes.path, y ? bitsOf(y[i]) : 0, bitsOf(x[i]), out[i], scalar[i]});
  }
}

void checkSinCos(const float* x, long n, Tally& t) {
  float sines[kChunk], cosines[kChunk];
  for (long i = 0; i < n; ++i) {
    sines[i] = sinRounded(x[i]);
    cosines[i] = cosRounded(x[i]);
  }
  compareLanes(kSin, nullptr, x, sines, n, t,
               [&](const LaneProbes& s, float* o) { s.sinRow(x, o, n); });
  compareLanes(kCos, nullptr, x, cosines, n, t,
               [&](const LaneProbes& s, float* o) { s.cosRow(x, o, n); });
  for (long i = 0; i < n; ++i) {
    double s, c;
    ::sincos(x[i], &s, &c);
    t.check(kSin, 0.0f, x[i], sines[i], s);
    t.check(kCos, 0.0f, x[i], cosines[i], c);
  }
}

void checkAtan2(const float* y, const float* x, long n, Tally& t) {
  float angles[kChunk];
  for (long i = 0; i < n; ++i) angles[i] = atan2Rounded(y[i], x[i]);
  compareLanes(kAtan2, y, x, angles, n, t,
               [&](const LaneProbes& s, float* o) { s.atan2Row(y, x, o, n); });
  for (long i = 0; i < n; ++i)
    t.check(kAtan2, y[i], x[i], angles[i], std::atan2(double(y[i]), double(x[i])));
}

// check(begin, n, tally) over 0 .. size in chunks of at most kChunk, on
// every core, the chunks dealt out in turn so that each thread gets its
// share of slow and fast ones.
using ChunkCheck = std::function<void(std::uint64_t begin, long n, Tally& tally)>;
Tally inChunks(std::uint64_t size, const ChunkCheck& check) {
  const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
  std::vector<Tally> tallies(threads);
  std::vector<std::thread> workers;
  for (unsigned w = 0; w < threads; ++w)
    workers.emplace_back([&, w] {
      for (std::uint64_t begin = w * kChunk; begin < size; begin += threads * kChunk)
        check(begin, long(std::min<std::uint64_t>(kChunk, size - begin)), tallies[w]);
      mpfr_free_cache2(MPFR_FREE_LOCAL_CACHE);
    });
  for (std::thread& w : workers) w.join();
  Tally all;
  for (const Tally& t : tallies) all.add(t);
  return all;
}

TEST(RoundedSineCosineTest, EveryFloat) {
  expectAllRight(inChunks(kSweepCount, [](std::uint64_t begin, long n, Tally& t) {
    float x[kChunk];
    for (long i = 0; i < n; ++i) x[i] = floatOf(std::uint32_t((begin + i) * kSweepStep));
    checkSinCos(x, n, t);
  }));
}

// The ends of every range, and values a reduction finds hard: near
// multiples of pi/2 and pi, and 0x1.f37c8ap+95, 2^-29 from a multiple of
// pi/2 (its cosine needs pi/2 to over 150 bits). The sample sweep may miss
// them.
TEST(RoundedSineCosineTest, SpecialInputs) {
  constexpr float kInf = std::numeric_limits<float>::infinity();
  std::vector<float> xs;
  for (float v :
       {0.0f, 0x1p-149f, 0x1.fffffcp-127f, 0x1p-126f, 0x1p-12f, 1.0f, 0x1.921fb6p+0f,
        0x1.921fb6p+1f, 0x1.2d97c8p+3f, 0x1p24f, 0x1.f37c8ap+95f, 0x1.fffffep+127f, kInf,
        std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::signaling_NaN()}) {
    xs.push_back(v);
    xs.push_back(-v);
  }
  expectAllRight(inChunks(xs.size(), [&](std::uint64_t begin, long n, Tally& t) {
    checkSinCos(xs.data() + begin, n, t);
  }));
}

std::uint64_t splitMix(std::uint64_t& state) {
  std::uint64_t z = (state += 0x9e3779b97f4a7c15);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9;
  z = (z ^ (z >> 27)) * 0x94d049bb133111eb;
  return z ^ (z >> 31);
}

// A finite float with the given exponent field (clamped to 0 .. 254, so
// subnormals at the low end), random sign and the mantissa bits given.
float finite(int exponent, std::uint32_t sign, std::uint32_t mantissa) {
  return floatOf((sign & 0x80000000u) | std::uint32_t(std::clamp(exponent, 0, 254)) << 23 |
                 (mantissa & 0x7fffffu));
}

// A random pair of one of four kinds: any two bit patterns (every exponent,
// infinities and not-a-numbers included); exponents within one of each
// other (ratios near 1); exponents up to 40 apart (ratios near 0 and huge,
// where the result is the ratio or pi/2 less it, and where the cubic term
// meets the last place); and short mantissas, whose exact ratios fall on
// floats and halfway between them.
std::pair<float, float> randomPair(std::uint64_t& state) {
  const std::uint64_t a = splitMix(state), b = splitMix(state);
  const std::uint32_t ya = std::uint32_t(a), xa = std::uint32_t(a >> 32);
  const int e = int(b % 255);
  switch ((b >> 8) & 3) {
    case 0:
      return {floatOf(ya), floatOf(xa)};
    case 1:
      return {finite(e + int((b >> 10) % 3) - 1, ya, ya), finite(e, xa, xa)};
    case 2:
      return {finite(e + int((b >> 10) % 81) - 40, ya, ya), finite(e, xa, xa)};
    default: {
      const int bits = 1 + int((b >> 10) % 6);  // leading mantissa bits kept
      const std::uint32_t keep = ~0u << (23 - bits);
      return {finite(e + int((b >> 16) % 61) - 30, ya, ya & keep), finite(e, xa, xa & keep)};
    }
  }
}

std::uint64_t pairCount() {
  const char* text = std::getenv("KESTROW_ATAN2_PAIRS");
  return text != nullptr ? std::strtoull(text, nullptr, 10) : kDefaultPairs;
}

TEST(RoundedArcTangentTest, RandomPairs) {
  expectAllRight(inChunks(pairCount(), [](std::uint64_t begin, long n, Tally& t) {
    std::uint64_t state = begin * 0x2545f4914f6cdd1d;
    float y[kChunk], x[kChunk];
    for (long i = 0; i < n; ++i) std::tie(y[i], x[i]) = randomPair(state);
    checkAtan2(y, x, n, t);
  }));
}

// Every pair of a table of ends and ordinary values (signed zeros,
// subnormals, infinities, not-a-numbers in either place, every quadrant,
// the seam at y = -+0 with x < 0); y = -+x * 2^k for every k that keeps
// both finite; and, in every quadrant, ratios exactly halfway between two
// subnormals, whose arc tangent lies just below the halfway point (a
// rounding of the ratio first rounds them to even, the wrong way for
// these).
TEST(RoundedArcTangentTest, HardPairs) {
  constexpr float kInf = std::numeric_limits<float>::infinity();
  std::vector<float> values;
  for (float v : {0.0f, 0x1p-149f, 0x1.fffffcp-127f, 0x1p-126f, 0x1.8p-120f, 0.1f, 1.0f,
                  0x1.000002p+0f, 0x1.fffffep-1f, 3.0f, 0x1.921fb6p+1f, 12345.678f, 0x1p100f,
                  0x1.fffffep+127f, kInf, std::numeric_limits<float>::quiet_NaN()}) {
    values.push_back(v);
    values.push_back(-v);
  }
  std::vector<float> ys, xs;
  for (float y : values)
    for (float x : values) {
      ys.push_back(y);
      xs.push_back(x);
    }
  const auto inEveryQuadrant = [&](float y, float x) {
    for (int quadrant = 0; quadrant < 4; ++quadrant) {
      ys.push_back(quadrant & 1 ? -y : y);
      xs.push_back(quadrant & 2 ? -x : x);
    }
  };
  for (float m : {1.0f, 1.5f, 0x1.fffffep+0f, 0x1.921fb6p+0f, 0x1.2345p+0f, 0x1p-10f})
    for (int e : {-149, -126, -60, -1, 0, 1, 60, 127})
      for (int k = -280; k <= 280; ++k) {
        const float x = std::ldexp(m, e), y = std::ldexp(x, k);
        if (x != 0 && y != 0 && !std::isinf(y) && std::ldexp(y, -k) == x) inEveryQuadrant(y, x);
      }
  // y / x = halfway * 2^-150, halfway = 3 mod 4; y exact (at most 24 bits).
  for (float halfway : {3.0f, 7.0f, 1291.0f, 2047.0f})
    for (int e : {24, 60, 100, 127})
      inEveryQuadrant(std::ldexp(halfway * 0x1.46bp+0f, e - 150), std::ldexp(0x1.46bp+0f, e));
  expectAllRight(inChunks(ys.size(), [&](std::uint64_t begin, long n, Tally& t) {
    checkAtan2(ys.data() + begin, xs.data() + begin, n, t);
  }));
}

// The oracle itself gives the C standard's special values, rounded.
TEST(RoundedArcTangentTest, StandardSpecialValues) {
  constexpr float kInf = std::numeric_limits<float>::infinity();
  constexpr float kPi = 0x1.921fb6p+1f, kHalfPi = 0x1.921fb6p+0f, kQuarterPi = 0x1.921fb6p-1f;
  const float cases[][3] = {
      {0.0f, -0.0f, kPi},       {-0.0f, -0.0f, -kPi},          {0.0f, 0.0f, 0.0f},
      {-0.0f, 1.0f, -0.0f},     {1.0f, 0.0f, kHalfPi},         {-kInf, 5.0f, -kHalfPi},
      {kInf, kInf, kQuarterPi}, {kInf, -kInf, 0x1.2d97c8p+1f}, {-kInf, -kInf, -0x1.2d97c8p+1f},
      {-0.0f, -kInf, -kPi}};
  for (const auto& [y, x, angle] : cases) {
    EXPECT_EQ(bitsOf(angle), bitsOf(correctlyRounded(kAtan2, y, x))) << y << ", " << x;
    EXPECT_EQ(bitsOf(angle), bitsOf(atan2Rounded(y, x))) << y << ", " << x;
  }
}

}  // namespace
}  // namespace kestrow::matte::test
