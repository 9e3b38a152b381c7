// An input that does not cover the whole output (narrower, shorter, or
// shifted by the origin) is never read outside its memory: output pixels
// without an input pixel become transparent black, the rest is the matte.
#include <string>

#include "RenderTestSupport.h"

namespace kestrow::test {
namespace {

struct CoverageCase {
  const char* name;
  int inWidth, inHeight;
  PF_Point origin;
  PF_Rect covered;  // output pixels that have an input pixel
};

class RenderCoverageTest : public PluginInstance,
                           public ::testing::WithParamInterface<CoverageCase> {};

TEST_P(RenderCoverageTest, UncoveredPixelsBecomeTransparentBlack) {
  const CoverageCase c = GetParam();
  ASSERT_TRUE(isOk(instance_->setPopup(MATTE_MODE, popupValue(Mode::Ring))));
  ASSERT_TRUE(isOk(instance_->setPoint3D(MATTE_POSITION, -2, -1.5, 0)));

  host::World input = positionPass(c.inWidth, c.inHeight);
  host::World output(5, 4, host::PixelDepth::kFloat32, 16);
  fillWorld(output, 0x5a);
  ManualSmartRender render;
  render.input = &input.def();
  render.output = &output.def();
  ASSERT_EQ(render.send(*instance_,
                        [&](PF_InData& in) {
                          in.output_origin_x = c.origin.h;
                          in.output_origin_y = c.origin.v;
                        }),
            PF_Err_NONE);
  EXPECT_TRUE(leftNothing(host_.lastCommand()));
  EXPECT_TRUE(hooks::paddingIntact(output));
  EXPECT_EQ(host_.lastCommand().iterateRows, c.covered.bottom - c.covered.top);

  host::RenderOptions at;
  at.outputOriginX = c.origin.h;
  at.outputOriginY = c.origin.v;
  const MatteSettings settings = expectedSettings(*instance_, host::World::emptyLayerDef());
  EXPECT_TRUE(sameBits(expectedMatte(input, 5, 4, settings, at, c.covered), output));
}

INSTANTIATE_TEST_SUITE_P(
    Table, RenderCoverageTest,
    ::testing::Values(CoverageCase{"Narrower", 3, 4, {0, 0}, {0, 0, 3, 4}},
                      CoverageCase{"Shorter", 5, 2, {0, 0}, {0, 0, 5, 2}},
                      CoverageCase{"ShiftedPastTheEdge", 5, 4, {2, 1}, {0, 0, 3, 3}},
                      CoverageCase{"NegativeOrigin", 5, 4, {-2, -1}, {2, 1, 5, 4}},
                      CoverageCase{"Larger", 9, 8, {3, 2}, {0, 0, 5, 4}},
                      CoverageCase{"NoOverlap", 5, 4, {10, 0}, {0, 0, 0, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kestrow::test
