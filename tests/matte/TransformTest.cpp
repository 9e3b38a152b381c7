// The point transform: translation with downsampling, rotation orders and
// axis weights. Local coordinates are observed through Layer mode without
// a picture, which shows them as colour.
#include <gtest/gtest.h>

#include "MatteTestSupport.h"

namespace kestrow::matte::test {
namespace {

constexpr double kQuarter = 90.0 * 65536.0;  // stored angle of 90 degrees

struct OrderCase {
  int32_t rotateOrder;
  float x, y, z;  // local point of world (1, 2, 3), every angle 90 degrees
};

class RotationOrderTest : public ::testing::TestWithParam<OrderCase> {};

TEST_P(RotationOrderTest, AllAnglesQuarterTurn) {
  const OrderCase& c = GetParam();
  MatteSettings s = plainSettings(10);
  s.rotateOrder = c.rotateOrder;
  s.angleX = s.angleY = s.angleZ = kQuarter;
  const PF_PixelFloat got = RowRunner(s).at(1, 2, 3);
  EXPECT_TRUE(near(c.x, got.red, 1e-5));
  EXPECT_TRUE(near(c.y, got.green, 1e-5));
  EXPECT_TRUE(near(c.z, got.blue, 1e-5));
}

INSTANTIATE_TEST_SUITE_P(Orders, RotationOrderTest,
                         ::testing::Values(OrderCase{1, 3, 2, -1}, OrderCase{2, -2, -1, -3},
                                           OrderCase{3, -1, -3, -2}, OrderCase{4, 2, -1, 3},
                                           OrderCase{5, 1, 3, -2}, OrderCase{6, 3, -2, 1},
                                           // Any other order: no rotation at all.
                                           OrderCase{0, 1, 2, 3}, OrderCase{7, 1, 2, 3},
                                           OrderCase{-1, 1, 2, 3}));

TEST(TranslateTest, PositionScalesWithDownsampleDenominators) {
  MatteSettings s = plainSettings(10);
  s.rotateOrder = 0;
  s.position = {1, 1, 1};
  RowRunner runner(s);
  // Numerators are not used; depth follows the vertical denominator.
  runner.inData.downsample_x = {7, 2};
  runner.inData.downsample_y = {9, 4};
  EXPECT_TRUE(samePixel(pixel(1, 3, 1, 1), runner.at(5, 5, 5)));
}

TEST(TranslateTest, DifferenceIsStoredAsFloat) {
  MatteSettings s = plainSettings(10);
  s.position = {0.1, 0, 0};  // not representable in float
  const PF_PixelFloat got = RowRunner(s).at(1, 0, 0);
  EXPECT_TRUE(sameBits(static_cast<float>(1.0 - 0.1), got.red));
}

struct WeightCase {
  int32_t mode;
  double scaleX;
  float inside, outside;  // local x just inside and just outside, feather 0
};

class AxisWeightTest : public ::testing::TestWithParam<WeightCase> {};

TEST_P(AxisWeightTest, ShapesExtentAlongX) {
  const WeightCase& c = GetParam();
  MatteSettings s = plainSettings(c.mode);
  s.scaleX = c.scaleX;
  const RowRunner runner(s);
  EXPECT_TRUE(samePixel(pixel(1, 1, 1, 1), runner.at(c.inside, 0, 0))) << "inside";
  EXPECT_TRUE(samePixel(pixel(1, 0, 0, 0), runner.at(c.outside, 0, 0))) << "outside";
}

// Above 1 the scale is squared; at or below 1 it is used as it is.
// Circle weights x squared (extent / sqrt(w)), Square weights |x| (extent / w).
INSTANTIATE_TEST_SUITE_P(
    Weights, AxisWeightTest,
    ::testing::Values(WeightCase{1, 2.0, 0.49f, 0.51f}, WeightCase{1, 0.25, 1.99f, 2.01f},
                      WeightCase{1, 0.5, 1.41f, 1.42f}, WeightCase{1, 1.0, 0.99f, 1.0f},
                      WeightCase{3, 2.0, 0.24f, 0.26f}, WeightCase{3, 0.25, 3.99f, 4.01f},
                      WeightCase{3, 0.5, 1.99f, 2.01f}));

TEST(AxisWeightTest, NegativeWeightIsUsedAsItIs) {
  MatteSettings s = plainSettings(3);
  s.scaleX = -3.0;  // |x| * -3 never reaches the face
  EXPECT_TRUE(samePixel(pixel(1, 1, 1, 1), RowRunner(s).at(1000, 0, 0)));
  s.mode = 1;  // negative weighted sum: a hard step turns not-a-number into m = 0
  EXPECT_TRUE(samePixel(pixel(0.5f, 0, 0, 0), RowRunner(s).at(1, 0, 0, 0.5f)));
  s.feather = 0.5;  // a soft step keeps it not-a-number: transparent black
  EXPECT_TRUE(samePixel(pixel(0, 0, 0, 0), RowRunner(s).at(1, 0, 0, 0.5f)));
}

}  // namespace
}  // namespace kestrow::matte::test
