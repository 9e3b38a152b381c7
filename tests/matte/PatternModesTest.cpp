// Grid, Radial and Rays: the matte value at chosen local points.
#include <gtest/gtest.h>

#include <ostream>

#include "MatteTestSupport.h"

namespace kestrow::matte::test {
namespace {

struct PatternCase {
  const char* label;
  int32_t mode;
  double thickness, feather, offset;
  int32_t axis;
  float x, y, z;
  float expected;
  double tolerance;  // 0: exact bits
};

std::ostream& operator<<(std::ostream& os, const PatternCase& c) { return os << c.label; }

class PatternModeTest : public ::testing::TestWithParam<PatternCase> {};

TEST_P(PatternModeTest, MatteValue) {
  const PatternCase& c = GetParam();
  MatteSettings s = plainSettings(c.mode);
  s.thickness = c.thickness;
  s.feather = c.feather;
  s.offset = c.offset;
  s.axis = c.axis;
  const PF_PixelFloat got = RowRunner(s).at(c.x, c.y, c.z);
  EXPECT_TRUE(sameBits(1.0f, got.alpha)) << "input alpha kept";
  EXPECT_TRUE(near(c.expected, got.red, c.tolerance));
}

// Cell size 1, thickness 0.2, feather 0.1: lines at |v| = 0.5 + n.
INSTANTIATE_TEST_SUITE_P(
    Grid, PatternModeTest,
    ::testing::Values(PatternCase{"origin", 6, 0.2, 0.1, 0, 1, 0, 0, 0, 0, 0},
                      PatternCase{"cell inside", 6, 0.2, 0.1, 0, 1, 0.2f, 0.2f, 0.2f, 0, 0},
                      PatternCase{"past the line", 6, 0.2, 0.1, 0, 1, 0.6f, 0, 0, 0, 0},
                      PatternCase{"on a line", 6, 0.2, 0.1, 0, 1, 0.5f, 0.2f, 0.3f, 1, 0},
                      PatternCase{"within the line", 6, 0.2, 0.1, 0, 1, 0.53f, 0, 0, 1, 0},
                      PatternCase{"next cell", 6, 0.2, 0.1, 0, 1, 1.5f, 0, 0, 1, 0},
                      PatternCase{"mirrored", 6, 0.2, 0.1, 0, 1, -0.5f, 0, 0, 1, 0},
                      PatternCase{"soft edge", 6, 0.2, 0.1, 0, 1, 0.56f, 0, 0, 0.648f, 1e-3}));

// Frequency 1, thickness 1: the band is where the sine is not positive.
INSTANTIATE_TEST_SUITE_P(
    Radial, PatternModeTest,
    ::testing::Values(PatternCase{"centre on lower edge", 7, 1, 0.5, 0, 1, 0, 0, 0, 1, 0},
                      PatternCase{"gap", 7, 1, 0.5, 0, 1, 0.125f, 0, 0, 0, 0},
                      PatternCase{"crest", 7, 1, 0.5, 0, 1, 0, 0.25f, 0, 0, 0},
                      PatternCase{"band", 7, 1, 0.5, 0, 1, 0, 0, 0.75f, 1, 0},
                      PatternCase{"band again", 7, 1, 0.5, 0, 1, 0.6f, 0.8f, 0, 1, 0},
                      PatternCase{"hard centre outside", 7, 1, 0, 0, 1, 0, 0, 0, 0, 0},
                      PatternCase{"hard band", 7, 1, 0, 0, 1, 0.75f, 0, 0, 1, 0},
                      PatternCase{"offset half swaps", 7, 1, 0.5, 0.5, 1, 0.25f, 0, 0, 1, 0}));

// One ray per turn, no thickness, feather 2: m = 1 - smoothstep(s) with s
// the wave. Offset 0 tells the numerator's signs apart (u about 0.75 or
// 0.25), offset 0.25 the denominator's (u about 0.5 or 1).
INSTANTIATE_TEST_SUITE_P(
    Rays, PatternModeTest,
    ::testing::Values(PatternCase{"XY +x", 8, 0, 2, 0, 2, 1, 0, 0, 1, 1e-3},
                      PatternCase{"XY -x", 8, 0, 2, 0, 2, -1, 0, 0, 0, 1e-3},
                      PatternCase{"XY +y", 8, 0, 2, 0.25, 2, 0, 1, 0, 1, 1e-3},
                      PatternCase{"XY -y", 8, 0, 2, 0.25, 2, 0, -1, 0, 0, 1e-3},
                      PatternCase{"XZ +x", 8, 0, 2, 0, 1, 1, 0, 0, 1, 1e-3},
                      PatternCase{"XZ -z", 8, 0, 2, 0.25, 1, 0, 0, -1, 0, 1e-3},
                      PatternCase{"YZ +y", 8, 0, 2, 0, 3, 0, 1, 0, 1, 1e-3},
                      PatternCase{"YZ +z", 8, 0, 2, 0.25, 3, 0, 0, 1, 1, 1e-3},
                      PatternCase{"unknown axis is XZ", 8, 0, 2, 0.25, 0, 0, 1, -1, 0, 1e-3}));

TEST(GridTest, ZeroCellSize) {
  MatteSettings s = plainSettings(6);
  s.sizeX = 0;
  s.thickness = 0.2;
  s.feather = 0.1;
  // Soft edge: the not-a-number remainder makes every pixel transparent.
  EXPECT_TRUE(samePixel(pixel(0, 0, 0, 0), RowRunner(s).at(0.3f, 0.5f, 0)));
  // Hard edge: that axis's factor is 1 and the other axes decide.
  s.feather = 0;
  const RowRunner hard(s);
  EXPECT_TRUE(samePixel(pixel(1, 0, 0, 0), hard.at(0.3f, 0, 0)));
  EXPECT_TRUE(samePixel(pixel(1, 1, 1, 1), hard.at(0.3f, 0.5f, 0)));
}

TEST(RaysTest, CoordinateOffThePlaneIsNeverRead) {
  struct Axis {
    int32_t axis;
    float dx, dy, dz;  // the coordinate the plane does not name
  };
  for (const Axis a : {Axis{1, 0, 1, 0}, Axis{2, 0, 0, 1}, Axis{3, 1, 0, 0}}) {
    MatteSettings s = plainSettings(8);
    s.axis = a.axis;
    s.frequency = 5;
    s.thickness = 0.3;
    s.feather = 0.4;
    const RowRunner runner(s);
    const float base = runner.at(0.3f, -0.7f, 0.2f).red;
    for (float t : {-1e6f, -3.0f, 0.0f, 2.5f, 1e6f}) {
      EXPECT_TRUE(sameBits(base, runner.at(0.3f + t * a.dx, -0.7f + t * a.dy, 0.2f + t * a.dz).red))
          << "axis " << a.axis << " shifted by " << t;
    }
  }
}

}  // namespace
}  // namespace kestrow::matte::test
