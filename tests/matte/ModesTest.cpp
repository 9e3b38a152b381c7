// The matte value of every shape and pattern mode at chosen local points,
// and the output steps all modes share.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "MatteTestSupport.h"

namespace kestrow::matte::test {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

struct Probe {
  float x, y, z, expected;
  double tolerance = 0;  // 0: exact bits
};

struct ProbeSet {
  const char* name;
  MatteSettings settings;
  std::vector<Probe> probes;
};

MatteSettings with(int32_t mode, double radius, double thickness, double feather, double offset = 0,
                   int32_t axis = 1) {
  MatteSettings s = plainSettings(mode);
  s.radius = radius;
  s.thickness = thickness;
  s.feather = feather;
  s.offset = offset;
  s.axis = axis;
  return s;
}

MatteSettings sized(MatteSettings s, double x, double y, double z) {
  s.sizeX = x;
  s.sizeY = y;
  s.sizeZ = z;
  return s;
}

class ModeTest : public ::testing::TestWithParam<ProbeSet> {};

TEST_P(ModeTest, MatteValue) {
  const RowRunner runner(GetParam().settings);
  for (std::size_t i = 0; i < GetParam().probes.size(); ++i) {
    const Probe& p = GetParam().probes[i];
    const PF_PixelFloat got = runner.at(p.x, p.y, p.z, 0.75f);
    EXPECT_TRUE(sameBits(0.75f, got.alpha)) << "probe " << i << ": input alpha kept";
    EXPECT_TRUE(near(p.expected, got.red, p.tolerance)) << "probe " << i;
    EXPECT_TRUE(sameBits(got.red, got.green)) << "probe " << i;
    EXPECT_TRUE(sameBits(got.red, got.blue)) << "probe " << i;
  }
}

std::string nameOf(const ::testing::TestParamInfo<ProbeSet>& info) { return info.param.name; }

// Tables: one set of settings per line, then its probes {x, y, z, matte}.
// clang-format off
// Shapes: the soft edge runs from radius - feather / 2 to radius + feather / 2.
INSTANTIATE_TEST_SUITE_P(Shapes, ModeTest, ::testing::Values(
    ProbeSet{"Circle", with(1, 2.5, 0, 0.5), {{0, 0, 0, 1}, {2.25f, 0, 0, 1}, {0, 2.5f, 0, 0.5f},
             {0, 0, 2.6f, 0.216f, 1e-5}, {2.75f, 0, 0, 0}, {3, 4, 0, 0}}},
    ProbeSet{"HardCircle", with(1, 2.5, 0, 0), {{2.4999f, 0, 0, 1}, {1.5f, 2, 0, 0}}},
    ProbeSet{"Ring", with(2, 2.5, 1, 0.5), {{1.5f, 0, 0, 0}, {2, 0, 0, 1}, {0, 2.5f, 0, 1},
             {0, 0, 3, 1}, {3.125f, 0, 0, 0.5f}, {3.25f, 0, 0, 0}}},
    ProbeSet{"RingWithoutBand", with(2, 2.5, 0, 0), {{2.5f, 0, 0, 0}}},
    ProbeSet{"Square", with(3, 2.5, 0, 0.5), {{0, 0, 0, 1}, {2.5f, 0, 0, 0.5f},
             {2.5f, -2.5f, 0, 0.25f}, {2.5f, 2.5f, -2.5f, 0.125f}}},
    ProbeSet{"HardSquare", with(3, 2.5, 0, 0), {{0, 2.5f, 0, 0}, {2.49f, 2.49f, 2.49f, 1}}},
    ProbeSet{"SizedSquare", sized(with(3, 2, 0, 0), 0.5, 1, 3), {{0.99f, 1.99f, 5.99f, 1},
             {1.01f, 0, 0, 0}, {0, 2.01f, 0, 0}, {0, 0, 6.01f, 0}}},
    // Shells of two faces overlap: the sum is not clamped.
    ProbeSet{"Box", with(4, 1, 0.2, 0.1), {{0, 0, 0, 0}, {0.95f, 0, 0, 1, 1e-6}, {1, 0, 0, 1, 1e-6},
             {1, 1, 0, 1, 1e-6}, {1, 1, 1, 0.75f, 1e-6}, {1, 0.95f, 0, 1.2407f, 1e-4}}}),
    nameOf);

INSTANTIATE_TEST_SUITE_P(Patterns, ModeTest, ::testing::Values(
    // Cell size 1, thickness 0.2, feather 0.1: lines at |v| = 0.5 + n.
    ProbeSet{"Grid", with(6, 1, 0.2, 0.1), {{0, 0, 0, 0}, {0.2f, 0.2f, 0.2f, 0}, {0.6f, 0, 0, 0},
             {0.5f, 0.2f, 0.3f, 1}, {0.53f, 0, 0, 1}, {1.5f, 0, 0, 1}, {-0.5f, 0, 0, 1},
             {0.56f, 0, 0, 0.648f, 1e-3}}},
    // Frequency 1, thickness 1: the band is where the sine is not positive.
    ProbeSet{"Radial", with(7, 1, 1, 0.5), {{0, 0, 0, 1}, {0.125f, 0, 0, 0}, {0, 0.25f, 0, 0},
             {0, 0, 0.75f, 1}, {0.6f, 0.8f, 0, 1}}},
    ProbeSet{"HardRadial", with(7, 1, 1, 0), {{0, 0, 0, 0}, {0.75f, 0, 0, 1}}},
    ProbeSet{"RadialOffsetHalf", with(7, 1, 1, 0.5, 0.5), {{0.25f, 0, 0, 1}}},
    // One ray per turn, no thickness, feather 2. Offset 0 tells the
    // numerator's signs apart, offset 0.25 the denominator's.
    ProbeSet{"RaysXY", with(8, 1, 0, 2, 0, 2), {{1, 0, 0, 1, 1e-3}, {-1, 0, 0, 0, 1e-3}}},
    ProbeSet{"RaysXYQuarter", with(8, 1, 0, 2, 0.25, 2), {{0, 1, 0, 1, 1e-3}, {0, -1, 0, 0, 1e-3}}},
    ProbeSet{"RaysXZ", with(8, 1, 0, 2, 0, 1), {{1, 0, 0, 1, 1e-3}}},
    ProbeSet{"RaysXZQuarter", with(8, 1, 0, 2, 0.25, 1), {{0, 0, -1, 0, 1e-3}}},
    ProbeSet{"RaysYZ", with(8, 1, 0, 2, 0, 3), {{0, 1, 0, 1, 1e-3}}},
    ProbeSet{"RaysYZQuarter", with(8, 1, 0, 2, 0.25, 3), {{0, 0, 1, 1, 1e-3}}},
    ProbeSet{"RaysUnknownAxisIsXZ", with(8, 1, 0, 2, 0.25, 0), {{0, 1, -1, 0, 1e-3}}}),
    nameOf);
// clang-format on

TEST(GridTest, ZeroCellSize) {
  MatteSettings s = sized(with(6, 1, 0.2, 0.1), 0, 1, 1);
  // Soft edge: the not-a-number remainder makes every pixel transparent.
  EXPECT_TRUE(samePixel(pixel(0, 0, 0, 0), RowRunner(s).at(0.3f, 0.5f, 0)));
  // Hard edge: that axis's factor is 1 and the other axes decide.
  s.feather = 0;
  EXPECT_TRUE(samePixel(pixel(1, 0, 0, 0), RowRunner(s).at(0.3f, 0, 0)));
  EXPECT_TRUE(samePixel(pixel(1, 1, 1, 1), RowRunner(s).at(0.3f, 0.5f, 0)));
}

TEST(RaysTest, CoordinateOffThePlaneIsNeverRead) {
  // Per axis setting, the direction the plane does not name.
  const float normals[][3] = {{0, 1, 0}, {0, 0, 1}, {1, 0, 0}};
  for (int32_t axis = 1; axis <= 3; ++axis) {
    MatteSettings s = with(8, 1, 0.3, 0.4, 0, axis);
    s.frequency = 5;
    const RowRunner runner(s);
    const float* n = normals[axis - 1];
    const float base = runner.at(0.3f, -0.7f, 0.2f).red;
    for (float t : {-1e6f, -3.0f, 2.5f, 1e6f}) {
      EXPECT_TRUE(sameBits(base, runner.at(0.3f + t * n[0], -0.7f + t * n[1], 0.2f + t * n[2]).red))
          << "axis " << axis << " shifted by " << t;
    }
  }
}

// Output steps. Circle of radius 1 at the origin: (0, 0, 0) lies inside.
struct StepCase {
  int32_t mode;
  double feather;
  bool invert, alphaMatte;
  PF_PixelFloat in, expected;
};

TEST(OutputStepTest, Pixels) {
  const StepCase cases[] = {
      // Transparent input.
      {1, 0, false, false, pixel(0, 0, 0, 0), pixel(0, 0, 0, 0)},
      {1, 0, false, false, pixel(-0.0f, 0, 0, 0), pixel(-0.0f, 0, 0, 0)},
      {1, 0, true, false, pixel(0, 0, 0, 0), pixel(0, 1, 1, 1)},
      {1, 0, true, true, pixel(0, 0, 0, 0), pixel(1, 1, 1, 1)},
      {1, 0, false, true, pixel(0, 0, 0, 0), pixel(0, 1, 1, 1)},
      {6, 0.1, false, false, pixel(0, 0.5f, 0, 0), pixel(0, 0, 0, 0)},
      // Not-a-number position: a soft step gives transparent black; the
      // hard step maps it to 1, so m = 0 and alpha stays.
      {1, 0.5, false, false, pixel(1, kNaN, 0, 0), pixel(0, 0, 0, 0)},
      {1, 0.5, true, true, pixel(1, kNaN, 0, 0), pixel(1, 1, 1, 1)},
      {1, 0, false, false, pixel(0.5f, kNaN, 0, 0), pixel(0.5f, 0, 0, 0)},
      {1, 0, false, true, pixel(0.5f, kNaN, 0, 0), pixel(0, 1, 1, 1)},
      // "Invert" and "Alpha Matte" on m = 1.
      {1, 0, false, false, pixel(0.25f, 0, 0, 0), pixel(0.25f, 1, 1, 1)},
      {1, 0, true, false, pixel(0.25f, 0, 0, 0), pixel(0.25f, 0, 0, 0)},
      {1, 0, false, true, pixel(0.25f, 0, 0, 0), pixel(1, 1, 1, 1)},
      {1, 0, true, true, pixel(0.25f, 0, 0, 0), pixel(0, 1, 1, 1)},
      // Separators and unknown modes copy the input, then the shared steps run.
      {5, 0, false, false, pixel(0.5f, 3, -4, 5), pixel(0.5f, 3, -4, 5)},
      {9, 0, false, false, pixel(0.5f, 3, -4, 5), pixel(0.5f, 3, -4, 5)},
      {-1, 0, false, false, pixel(0.5f, 3, -4, 5), pixel(0.5f, 3, -4, 5)},
      {11, 0, false, false, pixel(0.5f, 3, -4, 5), pixel(0.5f, 3, -4, 5)},
      {0, 0, true, false, pixel(0.5f, 3, -4, 5), pixel(0.5f, -2, -2, -2)},
      {5, 0, false, true, pixel(0.5f, 0.75f, -4, 5), pixel(0.75f, 1, 1, 1)},
      {5, 0, false, false, pixel(0.5f, 3, kNaN, 5), pixel(0, 3, 0, 5)},
      {9, 0, false, false, pixel(0, 3, 4, 5), pixel(0, 0, 0, 0)},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const StepCase& c = cases[i];
    MatteSettings s = with(c.mode, 1, 0, c.feather);
    s.invert = c.invert;
    s.alphaMatte = c.alphaMatte;
    EXPECT_TRUE(samePixel(c.expected, RowRunner(s).run({c.in}).front())) << "case " << i;
  }
}

}  // namespace
}  // namespace kestrow::matte::test
