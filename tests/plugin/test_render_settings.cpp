// The settings record a render writes into the instance's sequence data:
// "Multiply Values" folded in by mode, angles as raw 16.16 values. (Every
// other field is proven through the pixels of the mode tests.)
#include <cstdio>
#include <limits>

#include "RenderTestSupport.h"

namespace kestrow::test {
namespace {

std::string doubleBits(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "0x%016llx (%.17g)",
                static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(v)), v);
  return buf;
}

#define EXPECT_SAME_DOUBLE(expected, actual) \
  EXPECT_EQ(doubleBits(expected), doubleBits(actual)) << #actual

struct FoldCase {
  A_long mode;
  double multiply, frequency, feather, thickness, radius;
  double wantFrequency, wantFeather, wantThickness, wantRadius;
};

class MultiplyValuesTest : public PluginInstance, public ::testing::WithParamInterface<FoldCase> {};

TEST_P(MultiplyValuesTest, FoldedByModeWithRawAngles) {
  const FoldCase c = GetParam();
  ASSERT_TRUE(isOk(instance_->setPopup(MATTE_MODE, c.mode)));
  const std::pair<PF_ParamIndex, double> sliders[] = {{MATTE_MULTIPLY_VALUES, c.multiply},
                                                      {MATTE_FREQUENCY, c.frequency},
                                                      {MATTE_FEATHER, c.feather},
                                                      {MATTE_THICKNESS, c.thickness},
                                                      {MATTE_RADIUS, c.radius}};
  for (auto [index, value] : sliders) ASSERT_TRUE(isOk(instance_->setFloat(index, value)));
  ASSERT_TRUE(isOk(instance_->setAngle(MATTE_ROTATE_X, 90)));
  ASSERT_TRUE(isOk(instance_->setAngle(MATTE_ROTATE_Z, -720)));

  host::World input = positionPass(4, 3);
  host::World output(4, 3, host::PixelDepth::kFloat32);
  ManualSmartRender render;
  render.input = &input.def();
  render.output = &output.def();
  ASSERT_EQ(render.send(*instance_), PF_Err_NONE);
  EXPECT_TRUE(leftNothing(host_.lastCommand()));
  const MatteSettings& s = render.block.settings;
  EXPECT_EQ(s.mode, c.mode);
  EXPECT_SAME_DOUBLE(c.wantFrequency, s.frequency);
  EXPECT_SAME_DOUBLE(c.wantFeather, s.feather);
  EXPECT_SAME_DOUBLE(c.wantThickness, s.thickness);
  EXPECT_SAME_DOUBLE(c.wantRadius, s.radius);
  // Degrees x 65536, unscaled.
  EXPECT_SAME_DOUBLE(5898240.0, s.angleX);
  EXPECT_SAME_DOUBLE(0.0, s.angleY);
  EXPECT_SAME_DOUBLE(-720.0 * 65536, s.angleZ);
}

constexpr double kInf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(Table, MultiplyValuesTest,
                         ::testing::Values(
                             // Radial divides the frequency and keeps feather and thickness.
                             FoldCase{popupValue(Mode::Radial), 2, 1, 0.5, 1, 2.5, 0.5, 0.5, 1, 5},
                             FoldCase{popupValue(Mode::Radial), 0, 1, 0.5, 1, 2.5, kInf, 0.5, 1, 0},
                             // Rays: only the radius.
                             FoldCase{popupValue(Mode::Rays), 2, 1, 0.5, 1, 2.5, 1, 0.5, 1, 5},
                             // Every other mode, separators included, multiplies the lengths.
                             FoldCase{popupValue(Mode::Circle), 2, 1, 0.5, 1, 2.5, 1, 1, 2, 5},
                             FoldCase{popupValue(Mode::Grid), -1.5, 0.3, 2, 0.1, 4, 0.3, -3,
                                      -1.5 * 0.1, -6},
                             FoldCase{5, 3, 1, 0.5, 1, 2.5, 1, 1.5, 3, 7.5},
                             FoldCase{popupValue(Mode::Layer), 0.1, 1, 0.3, 0.7, 2.5, 1, 0.3 * 0.1,
                                      0.7 * 0.1, 2.5 * 0.1}));

}  // namespace
}  // namespace kestrow::test
