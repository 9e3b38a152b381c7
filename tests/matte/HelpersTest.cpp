// smoothStep and picture addressing (reads themselves are proven through
// Layer mode's padded picture).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "matte/Matte.h"
#include "matte/MatteMath.h"

namespace kestrow::matte::test {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct StepCase {
  double value, edge0, edge1, expected;
};

class SmoothStepTest : public ::testing::TestWithParam<StepCase> {};

TEST_P(SmoothStepTest, Value) {
  const StepCase& c = GetParam();
  const double got = smoothStep(c.value, c.edge0, c.edge1);
  if (std::isnan(c.expected)) {
    EXPECT_TRUE(std::isnan(got)) << got;
  } else {
    EXPECT_EQ(c.expected, got);
  }
}

INSTANTIATE_TEST_SUITE_P(Edges, SmoothStepTest,
                         ::testing::Values(
                             // Equal edges: a hard step, the edge itself and not-a-number above.
                             StepCase{0.999, 1, 1, 0}, StepCase{1, 1, 1, 1}, StepCase{5, 1, 1, 1},
                             StepCase{kNaN, 1, 1, 1},
                             // Rising edge: clamps and the cubic.
                             StepCase{-1, 0, 2, 0}, StepCase{0, 0, 2, 0}, StepCase{1, 0, 2, 0.5},
                             StepCase{0.5, 0, 2, 0.15625}, StepCase{2, 0, 2, 1},
                             StepCase{3, 0, 2, 1},
                             // Reversed edges fall instead of rising.
                             StepCase{0, 2, 0, 1}, StepCase{0.5, 2, 0, 0.84375},
                             StepCase{3, 2, 0, 0},
                             // Not-a-number passes both clamps.
                             StepCase{kNaN, 0, 1, kNaN}));

TEST(PixelOffsetTest, RowTimesRowbytesIsFormedIn64Bits) {
  // 3 rows of 1 GiB are past what a 32-bit product can hold.
  const A_long rowbytes = 1 << 30;
  EXPECT_EQ(std::int64_t{3} * (1 << 30) + 5 * 16, pixelByteOffset(rowbytes, 5, 3));
  EXPECT_EQ(std::int64_t{2'000'000} * 40'000 + 39'999 * 16,
            pixelByteOffset(2'000'000, 39'999, 40'000));
}

}  // namespace
}  // namespace kestrow::matte::test
