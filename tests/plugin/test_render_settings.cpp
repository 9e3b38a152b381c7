// The settings record a render writes into the instance's sequence data:
// "Multiply Values" folded in by mode, angles as raw 16.16 values, `mode`
// written only when it changes.
#include <cmath>
#include <memory>

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

class RenderSettingsTest : public LoadedPlugin {
 protected:
  void SetUp() override {
    LoadedPlugin::SetUp();
    ASSERT_TRUE(isOk(host_.createInstance(instance_)));
    render_.input = &input_.def();
    render_.output = &output_.def();
    render_.block.settings.mode = -1;
  }

  std::unique_ptr<host::Instance> instance_;
  host::World input_ = positionPass(4, 3);
  host::World output_{4, 3, host::PixelDepth::kFloat32};
  ManualSmartRender render_;
};

struct FoldCase {
  A_long mode;
  double multiply, frequency, feather, thickness, radius;
  double wantFrequency, wantFeather, wantThickness, wantRadius;
};

class MultiplyValuesTest : public RenderSettingsTest,
                           public ::testing::WithParamInterface<FoldCase> {};

TEST_P(MultiplyValuesTest, FoldedByMode) {
  const FoldCase c = GetParam();
  ASSERT_TRUE(isOk(instance_->setPopup(MATTE_MODE, c.mode)));
  ASSERT_TRUE(isOk(instance_->setFloat(MATTE_MULTIPLY_VALUES, c.multiply)));
  ASSERT_TRUE(isOk(instance_->setFloat(MATTE_FREQUENCY, c.frequency)));
  ASSERT_TRUE(isOk(instance_->setFloat(MATTE_FEATHER, c.feather)));
  ASSERT_TRUE(isOk(instance_->setFloat(MATTE_THICKNESS, c.thickness)));
  ASSERT_TRUE(isOk(instance_->setFloat(MATTE_RADIUS, c.radius)));

  ASSERT_EQ(render_.send(*instance_), PF_Err_NONE);
  EXPECT_TRUE(leftNothing(host_.lastCommand()));
  const MatteSettings& s = render_.block.settings;
  EXPECT_EQ(s.mode, c.mode);
  EXPECT_SAME_DOUBLE(c.wantFrequency, s.frequency);
  EXPECT_SAME_DOUBLE(c.wantFeather, s.feather);
  EXPECT_SAME_DOUBLE(c.wantThickness, s.thickness);
  EXPECT_SAME_DOUBLE(c.wantRadius, s.radius);
}

constexpr double kInf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(Table, MultiplyValuesTest,
                         ::testing::Values(
                             // Radial divides the frequency and keeps feather and thickness.
                             FoldCase{MODE_RADIAL, 2, 1, 0.5, 1, 2.5, 0.5, 0.5, 1, 5},
                             FoldCase{MODE_RADIAL, 0, 1, 0.5, 1, 2.5, kInf, 0.5, 1, 0},
                             // Rays: only the radius.
                             FoldCase{MODE_RAYS, 2, 1, 0.5, 1, 2.5, 1, 0.5, 1, 5},
                             // Every other mode, separators included, multiplies the lengths.
                             FoldCase{MODE_CIRCLE, 2, 1, 0.5, 1, 2.5, 1, 1, 2, 5},
                             FoldCase{MODE_GRID, -1.5, 0.3, 2, 0.1, 4, 0.3, -3, -1.5 * 0.1, -6},
                             FoldCase{5, 3, 1, 0.5, 1, 2.5, 1, 1.5, 3, 7.5},
                             FoldCase{MODE_LAYER, 0.1, 1, 0.3, 0.7, 2.5, 1, 0.3 * 0.1, 0.7 * 0.1,
                                      2.5 * 0.1}));

TEST_F(RenderSettingsTest, RadialWithNothingToMultiplyGivesNaNFrequencyAndNoError) {
  ASSERT_TRUE(isOk(instance_->setPopup(MATTE_MODE, MODE_RADIAL)));
  ASSERT_TRUE(isOk(instance_->setFloat(MATTE_MULTIPLY_VALUES, 0)));
  ASSERT_TRUE(isOk(instance_->setFloat(MATTE_FREQUENCY, 0)));
  ASSERT_EQ(render_.send(*instance_), PF_Err_NONE);
  EXPECT_TRUE(std::isnan(render_.block.settings.frequency));
}

// Every field from its own control: the record equals the one built
// independently from the instance's values.
TEST_F(RenderSettingsTest, EveryFieldFromItsControl) {
  ASSERT_TRUE(isOk(instance_->setPopup(MATTE_MODE, MODE_RING)));
  ASSERT_TRUE(isOk(instance_->setPoint3D(MATTE_POSITION, 0.1, -2.5, 1e5)));
  ASSERT_TRUE(isOk(instance_->setPopup(MATTE_ROTATE_ORDER, 6)));
  ASSERT_TRUE(isOk(instance_->setAngle(MATTE_ROTATE_X, 90)));
  ASSERT_TRUE(isOk(instance_->setAngle(MATTE_ROTATE_Y, -12.5)));
  ASSERT_TRUE(isOk(instance_->setAngle(MATTE_ROTATE_Z, 720)));
  ASSERT_TRUE(isOk(instance_->setPopup(MATTE_AXIS, 3)));
  ASSERT_TRUE(isOk(instance_->setCheckbox(MATTE_TILE, true)));
  ASSERT_TRUE(isOk(instance_->setCheckbox(MATTE_INVERT, true)));
  ASSERT_TRUE(isOk(instance_->setCheckbox(MATTE_ALPHA_MATTE, false)));
  const double values[] = {0.5, -0.25, 3, 1.1, 1.2, 1.3, 0.7, 0.8, 0.9, 1.7, 0.35, 0.45, 1.5};
  const PF_ParamIndex sliders[] = {
      MATTE_OFFSET_U, MATTE_OFFSET_V,  MATTE_RADIUS,         MATTE_SIZE_X,  MATTE_SIZE_Y,
      MATTE_SIZE_Z,   MATTE_SCALE_X,   MATTE_SCALE_Y,        MATTE_SCALE_Z, MATTE_OFFSET,
      MATTE_FEATHER,  MATTE_THICKNESS, MATTE_MULTIPLY_VALUES};
  for (std::size_t i = 0; i < std::size(sliders); ++i) {
    ASSERT_TRUE(isOk(instance_->setFloat(sliders[i], values[i])));
  }

  ASSERT_EQ(render_.send(*instance_), PF_Err_NONE);
  const MatteSettings want = expectedSettings(*instance_, host::World::emptyLayerDef());
  const MatteSettings& s = render_.block.settings;
  EXPECT_EQ(s.mode, want.mode);
  EXPECT_EQ(firstDifference(&s.layer, &want.layer, sizeof s.layer), -1);
  EXPECT_EQ(s.tile, 1);
  EXPECT_EQ(s.invert, 1);
  EXPECT_EQ(s.alphaMatte, 0);
  EXPECT_EQ(s.rotateOrder, 6);
  EXPECT_EQ(s.axis, 3);
  EXPECT_SAME_DOUBLE(5898240.0, s.angleX);  // 90 degrees x 65536
  EXPECT_SAME_DOUBLE(want.angleY, s.angleY);
  EXPECT_SAME_DOUBLE(720.0 * 65536, s.angleZ);
  EXPECT_SAME_DOUBLE(want.offsetU, s.offsetU);
  EXPECT_SAME_DOUBLE(want.offsetV, s.offsetV);
  EXPECT_SAME_DOUBLE(0.1, s.position.x);
  EXPECT_SAME_DOUBLE(-2.5, s.position.y);
  EXPECT_SAME_DOUBLE(1e5, s.position.z);
  EXPECT_SAME_DOUBLE(want.radius, s.radius);
  EXPECT_SAME_DOUBLE(want.sizeX, s.sizeX);
  EXPECT_SAME_DOUBLE(want.sizeY, s.sizeY);
  EXPECT_SAME_DOUBLE(want.sizeZ, s.sizeZ);
  EXPECT_SAME_DOUBLE(want.scaleX, s.scaleX);
  EXPECT_SAME_DOUBLE(want.scaleY, s.scaleY);
  EXPECT_SAME_DOUBLE(want.scaleZ, s.scaleZ);
  EXPECT_SAME_DOUBLE(want.frequency, s.frequency);
  EXPECT_SAME_DOUBLE(want.offset, s.offset);
  EXPECT_SAME_DOUBLE(want.feather, s.feather);
  EXPECT_SAME_DOUBLE(want.thickness, s.thickness);
}

// The "Layer" world is copied whole, whatever its size.
TEST_F(RenderSettingsTest, LayerWorldCopiedByValue) {
  auto picture = std::make_shared<host::World>(positionPass(17, 2));
  ASSERT_TRUE(isOk(instance_->setLayer(MATTE_LAYER, picture)));
  ASSERT_EQ(render_.send(*instance_), PF_Err_NONE);
  EXPECT_EQ(firstDifference(&render_.block.settings.layer, &picture->def(), sizeof(PF_LayerDef)),
            -1);
}

}  // namespace
}  // namespace kestrow::test
