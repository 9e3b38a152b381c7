// The places where the lane kernels compute a value differently from the
// scalar formula they stand for: the root in place of pow(sum, 0.5), the
// smoothstep that skips its division beyond the edges, and tiling's
// remainder.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

#include "MatteTestSupport.h"
#include "matte/ModeKernels.h"
#include "matte/RoundedMath.h"
#include "matte/lanes/Portable.h"

namespace kestrow::matte::test {
namespace {

using TestLanes = PortableLanes;
using D = TestLanes::D;

std::uint64_t bitsOf(double v) { return std::bit_cast<std::uint64_t>(v); }

// pow(sum, 0.5) is the correctly rounded root, with pow's special cases:
// -0 gives +0 and -infinity +infinity, where the bare square root gives -0
// and not-a-number.
TEST(RootAsPowTest, IsTheRootWithPowsSpecialCases) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  const std::pair<double, double> cases[] = {{0.0, 0.0},
                                             {-0.0, 0.0},
                                             {-kInf, kInf},
                                             {kInf, kInf},
                                             {2.0, 0x1.6a09e667f3bcdp+0},
                                             {1e-320, std::sqrt(1e-320)},
                                             {-1.0, std::nan("")},
                                             {std::nan(""), std::nan("")}};
  for (auto [sum, expected] : cases) {
    const D got = rootAsPow<TestLanes>(D{sum, sum});
    if (std::isnan(expected)) {
      EXPECT_TRUE(std::isnan(got[0]) && std::isnan(got[1])) << sum;
    } else {
      EXPECT_EQ(bitsOf(expected), bitsOf(got[0])) << std::hexfloat << sum;
      EXPECT_EQ(bitsOf(powHalf(sum)), bitsOf(got[1])) << std::hexfloat << sum;
    }
  }
}

double plainStep(double v, double e0, double e1) {
  if (e0 == e1) return v < e0 ? 0.0 : 1.0;
  const double t = (v - e0) / (e1 - e0);
  if (t > 1.0) return 1.0;
  if (t < 0.0) return 0.0;
  return t * t * (3.0 - 2.0 * t);
}

// Values a few units from each edge, on both sides, for rising, falling,
// tiny and huge spans: the shortcut must decide exactly as the division.
TEST(SmoothStepLanesTest, AgreesWithTheDivisionNearEdges) {
  const double spans[][2] = {{1.0, 2.0}, {2.0, 1.0},     {0.0, 1e-300},   {-1e300, 1e300},
                             {3.0, 3.0}, {0.0, 0x1p-40}, {1e10, 1e10 + 1}};
  for (const auto& span : spans) {
    for (double edge : {span[0], span[1]}) {
      double v = edge;
      for (int k = 0; k < 8; ++k) v = std::nextafter(v, -INFINITY);
      for (int k = 0; k < 16; ++k, v = std::nextafter(v, INFINITY)) {
        const D other = D{} + (edge + (span[1] - span[0]) * 4);  // far beyond: the shortcut's case
        for (const D lanes : {D{v, v}, D{v, other[0]}}) {
          const D got = smoothStep<TestLanes>(lanes, span[0], span[1]);
          ASSERT_EQ(bitsOf(plainStep(v, span[0], span[1])), bitsOf(got[0]))
              << std::hexfloat << v << " in " << span[0] << ".." << span[1];
        }
      }
    }
  }
}

// Tiling's remainder without the library call agrees with it, the sign of
// zero included, from tiny values to past the exact range.
TEST(WrapLanesTest, AgreesWithFmod) {
  std::mt19937_64 rng(11);
  for (int i = 0; i < 200000; ++i) {
    const double size = std::uniform_int_distribution<>(1, 5000)(rng);
    double t = std::ldexp(std::uniform_real_distribution<>(-2, 2)(rng),
                          std::uniform_int_distribution<>(-40, 56)(rng));
    if (i % 16 == 0) t = std::round(t / size) * size;  // on a tile's edge
    if (i % 97 == 0) t = i % 2 ? -0.0 : std::nan("");
    const double expected = t >= 0.0 ? std::fmod(t, size) : size - std::fmod(-t, size);
    const D got = LayerPicture<Plane::XZ, true>::wrap<TestLanes>(D{t, 0.5}, size, 1.0 / size);
    if (std::isnan(expected)) {
      ASSERT_TRUE(std::isnan(got[0]));
    } else {
      ASSERT_EQ(bitsOf(expected), bitsOf(got[0])) << std::hexfloat << t << " by " << size;
    }
  }
}

// Grid's remainder without the library call agrees with fmodf bit for bit:
// exact multiples and their neighbours, both signs of zero, quotients up to
// and past the exact range, and cells that send every lane to fmodf.
TEST(RemainderLanesTest, AgreesWithFmodf) {
  using F = TestLanes::F;
  constexpr float kInf = std::numeric_limits<float>::infinity();
  std::mt19937_64 rng(13);
  const float oddCells[] = {0.0f, -0.0f, kInf, std::nanf(""), 1e-45f, -3.0f, 3e38f};
  for (int i = 0; i < 200000; ++i) {
    const float cell = i % 50 == 0 ? oddCells[(i / 50) % 7]
                                   : std::ldexp(std::uniform_real_distribution<float>(1, 2)(rng),
                                                std::uniform_int_distribution<>(-20, 20)(rng));
    float a = std::ldexp(std::uniform_real_distribution<float>(-2, 2)(rng),
                         std::uniform_int_distribution<>(-30, 40)(rng));
    if (i % 8 == 1) a = std::nextafter(std::round(a / cell) * cell, i % 3 ? kInf : -kInf);
    if (i % 8 == 2) a = std::round(a / cell) * cell;
    if (i % 97 == 0) a = i % 2 ? -0.0f : (i % 3 ? kInf : std::nanf(""));
    const D got = remainderOf<TestLanes>(F{a, 1.5f}, gridCellOf(cell));
    const float expected = std::fmod(a, cell);
    if (std::isnan(expected)) {
      ASSERT_TRUE(std::isnan(got[0])) << a << " by " << cell;
    } else {
      ASSERT_EQ(bitsOf(expected), bitsOf(got[0])) << std::hexfloat << a << " by " << cell;
    }
  }
}

}  // namespace
}  // namespace kestrow::matte::test
