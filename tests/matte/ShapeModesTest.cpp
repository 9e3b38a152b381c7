// Circle, Ring, Square and Box: the matte value at chosen local points.
#include <gtest/gtest.h>

#include <ostream>

#include "MatteTestSupport.h"

namespace kestrow::matte::test {
namespace {

struct ShapeCase {
  const char* label;
  int32_t mode;
  double radius, thickness, feather;
  float x, y, z;
  float expected;
  double tolerance;  // 0: exact bits
};

std::ostream& operator<<(std::ostream& os, const ShapeCase& c) { return os << c.label; }

class ShapeModeTest : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(ShapeModeTest, MatteValue) {
  const ShapeCase& c = GetParam();
  MatteSettings s = plainSettings(c.mode);
  s.radius = c.radius;
  s.thickness = c.thickness;
  s.feather = c.feather;
  const PF_PixelFloat got = RowRunner(s).at(c.x, c.y, c.z, 0.75f);
  EXPECT_TRUE(sameBits(0.75f, got.alpha)) << "input alpha kept";
  EXPECT_TRUE(near(c.expected, got.red, c.tolerance));
  EXPECT_TRUE(sameBits(got.red, got.green));
  EXPECT_TRUE(sameBits(got.red, got.blue));
}

INSTANTIATE_TEST_SUITE_P(
    Circle, ShapeModeTest,
    ::testing::Values(ShapeCase{"centre", 1, 2.5, 0, 0.5, 0, 0, 0, 1, 0},
                      ShapeCase{"edge start", 1, 2.5, 0, 0.5, 2.25f, 0, 0, 1, 0},
                      ShapeCase{"on radius", 1, 2.5, 0, 0.5, 0, 2.5f, 0, 0.5f, 0},
                      ShapeCase{"in feather", 1, 2.5, 0, 0.5, 0, 0, 2.6f, 0.216f, 1e-5},
                      ShapeCase{"edge end", 1, 2.5, 0, 0.5, 2.75f, 0, 0, 0, 0},
                      ShapeCase{"beyond", 1, 2.5, 0, 0.5, 3, 4, 0, 0, 0},
                      ShapeCase{"hard inside", 1, 2.5, 0, 0, 2.4999f, 0, 0, 1, 0},
                      ShapeCase{"hard on sphere", 1, 2.5, 0, 0, 1.5f, 2, 0, 0, 0}));

INSTANTIATE_TEST_SUITE_P(
    Ring, ShapeModeTest,
    ::testing::Values(ShapeCase{"inside gap", 2, 2.5, 1, 0.5, 1.5f, 0, 0, 0, 0},
                      ShapeCase{"inner band", 2, 2.5, 1, 0.5, 2, 0, 0, 1, 0},
                      ShapeCase{"on sphere", 2, 2.5, 1, 0.5, 0, 2.5f, 0, 1, 0},
                      ShapeCase{"outer band", 2, 2.5, 1, 0.5, 0, 0, 3, 1, 0},
                      ShapeCase{"mid feather", 2, 2.5, 1, 0.5, 3.125f, 0, 0, 0.5f, 0},
                      ShapeCase{"feather end", 2, 2.5, 1, 0.5, 3.25f, 0, 0, 0, 0},
                      ShapeCase{"no band at all", 2, 2.5, 0, 0, 2.5f, 0, 0, 0, 0}));

INSTANTIATE_TEST_SUITE_P(
    Square, ShapeModeTest,
    ::testing::Values(ShapeCase{"centre", 3, 2.5, 0, 0.5, 0, 0, 0, 1, 0},
                      ShapeCase{"face", 3, 2.5, 0, 0.5, 2.5f, 0, 0, 0.5f, 0},
                      ShapeCase{"edge", 3, 2.5, 0, 0.5, 2.5f, -2.5f, 0, 0.25f, 0},
                      ShapeCase{"corner", 3, 2.5, 0, 0.5, 2.5f, 2.5f, -2.5f, 0.125f, 0},
                      ShapeCase{"hard face is outside", 3, 2.5, 0, 0, 0, 2.5f, 0, 0, 0},
                      ShapeCase{"hard inside", 3, 2.5, 0, 0, 2.49f, 2.49f, 2.49f, 1, 0}));

INSTANTIATE_TEST_SUITE_P(
    Box, ShapeModeTest,
    ::testing::Values(ShapeCase{"centre", 4, 1, 0.2, 0.1, 0, 0, 0, 0, 0},
                      ShapeCase{"inside shell", 4, 1, 0.2, 0.1, 0.95f, 0, 0, 1, 1e-6},
                      ShapeCase{"face centre", 4, 1, 0.2, 0.1, 1, 0, 0, 1, 1e-6},
                      ShapeCase{"edge", 4, 1, 0.2, 0.1, 1, 1, 0, 1, 1e-6},
                      ShapeCase{"corner", 4, 1, 0.2, 0.1, 1, 1, 1, 0.75f, 1e-6},
                      // Shells of two faces overlap: the sum is not clamped.
                      ShapeCase{"overlap", 4, 1, 0.2, 0.1, 1, 0.95f, 0, 1.2407f, 1e-4}));

TEST(ShapeModeTest, CircleWithPositionAndAlphaMatte) {
  MatteSettings s = plainSettings(1);
  s.position = {1, 2, 3};
  s.alphaMatte = 1;
  const RowRunner matte(s);
  EXPECT_TRUE(samePixel(pixel(1, 1, 1, 1), matte.at(1.5f, 2, 3, 0.5f)));
  EXPECT_TRUE(samePixel(pixel(0, 1, 1, 1), matte.at(2, 2, 3, 0.5f)));
  s.invert = 1;
  const RowRunner inverted(s);
  EXPECT_TRUE(samePixel(pixel(0, 1, 1, 1), inverted.at(1.5f, 2, 3, 0.5f)));
  EXPECT_TRUE(samePixel(pixel(1, 1, 1, 1), inverted.at(2, 2, 3, 0.5f)));
}

TEST(ShapeModeTest, SizesScaleBoxExtentsPerAxis) {
  MatteSettings s = plainSettings(3);
  s.radius = 2;
  s.sizeX = 0.5;
  s.sizeZ = 3;
  const RowRunner runner(s);
  EXPECT_TRUE(sameBits(1, runner.at(0.99f, 1.99f, 5.99f).red));
  EXPECT_TRUE(sameBits(0, runner.at(1.01f, 0, 0).red));
  EXPECT_TRUE(sameBits(0, runner.at(0, 2.01f, 0).red));
  EXPECT_TRUE(sameBits(0, runner.at(0, 0, 6.01f).red));
}

}  // namespace
}  // namespace kestrow::matte::test
