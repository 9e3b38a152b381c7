// Smart render end to end: every mode rendered through the host equals the
// evaluator run on the same input and the settings the controls stand for.
#include <memory>
#include <string>

#include "RenderTestSupport.h"

namespace kestrow::test {
namespace {

// Controls away from their defaults, so that a value dropped, swapped or
// folded wrongly shows in the pixels; "Layer" holds a tiled picture.
void setBusyControls(host::Instance& instance, std::shared_ptr<host::World> picture) {
  ASSERT_TRUE(isOk(instance.setPoint3D(MATTE_POSITION, 0.2, -0.5, 0.3)));
  ASSERT_TRUE(isOk(instance.setPopup(MATTE_ROTATE_ORDER, 3)));
  ASSERT_TRUE(isOk(instance.setPopup(MATTE_AXIS, 2)));
  ASSERT_TRUE(isOk(instance.setLayer(MATTE_LAYER, std::move(picture))));
  ASSERT_TRUE(isOk(instance.setCheckbox(MATTE_TILE, true)));
  const std::pair<PF_ParamIndex, double> angles[] = {
      {MATTE_ROTATE_X, 20}, {MATTE_ROTATE_Y, -35}, {MATTE_ROTATE_Z, 50}};
  for (auto [index, degrees] : angles) ASSERT_TRUE(isOk(instance.setAngle(index, degrees)));
  const std::pair<PF_ParamIndex, double> sliders[] = {
      {MATTE_RADIUS, 1.7},          {MATTE_SIZE_X, 1.2},    {MATTE_SIZE_Y, 0.8},
      {MATTE_SIZE_Z, 1.5},          {MATTE_FREQUENCY, 1.3}, {MATTE_OFFSET, 0.25},
      {MATTE_FEATHER, 0.6},         {MATTE_THICKNESS, 0.4}, {MATTE_SCALE_X, 1.5},
      {MATTE_SCALE_Y, 0.7},         {MATTE_OFFSET_U, 0.3},  {MATTE_OFFSET_V, -0.2},
      {MATTE_MULTIPLY_VALUES, 1.25}};
  for (auto [index, value] : sliders) ASSERT_TRUE(isOk(instance.setFloat(index, value)));
}

struct ModeCase {
  A_long mode;
  bool invert;
  bool alphaMatte;
};

class RenderModeTest : public PluginInstance, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(RenderModeTest, MatchesTheEvaluatorBitForBit) {
  const ModeCase c = GetParam();
  auto picture = std::make_shared<host::World>(positionPass(5, 3));
  setBusyControls(*instance_, picture);
  ASSERT_TRUE(isOk(instance_->setPopup(MATTE_MODE, c.mode)));
  ASSERT_TRUE(isOk(instance_->setCheckbox(MATTE_INVERT, c.invert)));
  ASSERT_TRUE(isOk(instance_->setCheckbox(MATTE_ALPHA_MATTE, c.alphaMatte)));

  host::World input = positionPass(9, 7);
  host::World output(9, 7, host::PixelDepth::kFloat32);
  fillWorld(output, 0x7f);
  ASSERT_TRUE(isOk(instance_->render(input, output)));
  EXPECT_TRUE(leftNothing(host_.lastCommand()));
  EXPECT_EQ(host_.lastCommand().iterateRows, 7);  // one call per row

  const MatteSettings settings = expectedSettings(*instance_, picture->def());
  EXPECT_TRUE(sameBits(expectedMatte(input, 9, 7, settings), output));
}

// Worlds whose rows run upwards in memory (negative rowbytes) give the same
// pixels as top-down ones: the input, the output and the "Layer" picture.
TEST_P(RenderModeTest, BottomUpWorldsRenderAsTopDownOnes) {
  const ModeCase c = GetParam();
  const auto render = [&](host::RowOrder order) {
    setBusyControls(*instance_, std::make_shared<host::World>(positionPass(5, 3, 0, order)));
    EXPECT_TRUE(isOk(instance_->setPopup(MATTE_MODE, c.mode)));
    EXPECT_TRUE(isOk(instance_->setCheckbox(MATTE_INVERT, c.invert)));
    EXPECT_TRUE(isOk(instance_->setCheckbox(MATTE_ALPHA_MATTE, c.alphaMatte)));
    host::World input = positionPass(9, 7, 32, order);
    host::World output(9, 7, host::PixelDepth::kFloat32, 16, order);
    fillWorld(output, 0x7f);
    EXPECT_TRUE(isOk(instance_->render(input, output)));
    EXPECT_TRUE(leftNothing(host_.lastCommand()));
    EXPECT_TRUE(hooks::paddingIntact(output));
    return output;
  };
  const host::World topDown = render(host::RowOrder::kTopDown);
  const host::World bottomUp = render(host::RowOrder::kBottomUp);
  EXPECT_LT(bottomUp.def().rowbytes, 0);
  EXPECT_TRUE(sameBits(topDown, bottomUp));
}

std::vector<ModeCase> allModes() {
  std::vector<ModeCase> cases;
  for (A_long mode = 1; mode <= 10; ++mode) {
    cases.push_back({mode, false, true});
    cases.push_back({mode, true, false});
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(EveryMode, RenderModeTest, ::testing::ValuesIn(allModes()),
                         [](const auto& info) {
                           return "Mode" + std::to_string(info.param.mode) +
                                  (info.param.invert ? "Invert" : "") +
                                  (info.param.alphaMatte ? "AlphaMatte" : "");
                         });

// At half resolution After Effects hands over every other input pixel and
// "Position" scaled by 1/2; the effect's correction puts the matte back
// where it was: every mode's half-resolution pixels equal the full
// resolution ones at the matching places, bit for bit. The origin offsets
// every row into a larger input.
class HalfResolutionTest : public PluginInstance, public ::testing::WithParamInterface<A_long> {};

TEST_P(HalfResolutionTest, MatchesFullResolutionBitForBit) {
  setBusyControls(*instance_, std::make_shared<host::World>(positionPass(5, 3)));
  ASSERT_TRUE(isOk(instance_->setPopup(MATTE_MODE, GetParam())));

  host::World fullInput = positionPass(16, 12, 32);
  host::World full(12, 8, host::PixelDepth::kFloat32);
  ASSERT_TRUE(isOk(instance_->render(fullInput, full, {.outputOriginX = 2, .outputOriginY = 2})));

  host::World halfInput(8, 6, host::PixelDepth::kFloat32);
  for (int y = 0; y < halfInput.height(); ++y) {
    for (int x = 0; x < halfInput.width(); ++x) {
      *halfInput.pixelFloat(x, y) = *fullInput.pixelFloat(2 * x, 2 * y);
    }
  }
  host::World half(6, 4, host::PixelDepth::kFloat32, 16);
  fillWorld(half, 0x7f);
  const host::RenderOptions options{
      .downsampleX = {1, 2}, .downsampleY = {1, 2}, .outputOriginX = 1, .outputOriginY = 1};
  ASSERT_TRUE(isOk(instance_->render(halfInput, half, options)));
  EXPECT_TRUE(leftNothing(host_.lastCommand()));
  EXPECT_TRUE(hooks::paddingIntact(half));

  host::World expected(6, 4, host::PixelDepth::kFloat32);
  for (int y = 0; y < expected.height(); ++y) {
    for (int x = 0; x < expected.width(); ++x) {
      *expected.pixelFloat(x, y) = *full.pixelFloat(2 * x, 2 * y);
    }
  }
  EXPECT_TRUE(sameBits(expected, half));
}

// "Layer" samples its picture, which a half-resolution render receives at
// half size too: below.
INSTANTIATE_TEST_SUITE_P(EveryMode, HalfResolutionTest, ::testing::Range(A_long{1}, A_long{10}));

// At half resolution the "Layer" picture comes at half size (every other
// pixel of every other row, sides rounded up) with "Position" halved, and
// the effect projects what it gets: the evaluator's pixels for those.
TEST_F(PluginInstance, LayerPictureComesAtPreviewResolution) {
  auto picture = std::make_shared<host::World>(positionPass(7, 5));
  setBusyControls(*instance_, picture);
  ASSERT_TRUE(isOk(instance_->setPopup(MATTE_MODE, popupValue(Mode::Layer))));
  host::World input = positionPass(8, 6, 32);
  host::World output(6, 4, host::PixelDepth::kFloat32);
  const host::RenderOptions options{
      .downsampleX = {1, 2}, .downsampleY = {1, 2}, .outputOriginX = 1, .outputOriginY = 1};
  ASSERT_TRUE(isOk(instance_->render(input, output, options)));
  EXPECT_TRUE(leftNothing(host_.lastCommand()));

  host::World small(4, 3, host::PixelDepth::kFloat32);
  for (int y = 0; y < small.height(); ++y)
    for (int x = 0; x < small.width(); ++x)
      *small.pixelFloat(x, y) = *picture->pixelFloat(2 * x, 2 * y);
  MatteSettings settings = expectedSettings(*instance_, small.def());
  settings.position = {settings.position.x * 1 / 2, settings.position.y * 1 / 2,
                       settings.position.z * 1 / 2};
  EXPECT_TRUE(sameBits(expectedMatte(input, 6, 4, settings, options), output));
}

}  // namespace
}  // namespace kestrow::test
