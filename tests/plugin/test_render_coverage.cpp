// An input that does not cover the whole output (narrower, shorter, or
// shifted by the origin) is never read outside its memory: output pixels
// without an input pixel become transparent black, the rest is the matte.
#include <memory>

#include "RenderTestSupport.h"

namespace kestrow::test {
namespace {

struct CoverageCase {
  const char* name;
  int inWidth, inHeight;
  PF_Point origin;
  PF_Rect covered;  // output pixels that have an input pixel
};

class RenderCoverageTest : public LoadedPlugin,
                           public ::testing::WithParamInterface<CoverageCase> {};

TEST_P(RenderCoverageTest, UncoveredPixelsBecomeTransparentBlack) {
  const CoverageCase c = GetParam();
  std::unique_ptr<host::Instance> instance;
  ASSERT_TRUE(isOk(host_.createInstance(instance)));
  ASSERT_TRUE(isOk(instance->setPopup(MATTE_MODE, MODE_RING)));
  ASSERT_TRUE(isOk(instance->setPoint3D(MATTE_POSITION, -2, -1.5, 0)));

  host::World input = positionPass(c.inWidth, c.inHeight);
  host::World output(5, 4, host::PixelDepth::kFloat32, 16);
  fillWorld(output, 0x5a);
  ManualSmartRender render;
  render.input = &input.def();
  render.output = &output.def();
  ASSERT_EQ(render.send(*instance,
                        [&](PF_InData& in) {
                          in.output_origin_x = c.origin.h;
                          in.output_origin_y = c.origin.v;
                        }),
            PF_Err_NONE);
  EXPECT_TRUE(leftNothing(host_.lastCommand()));
  EXPECT_TRUE(output.paddingIntact());
  EXPECT_EQ(host_.lastCommand().iterateRows, c.covered.bottom - c.covered.top);

  // Expected: the evaluator over the covered block only, zeros elsewhere.
  host::World expected(5, 4, host::PixelDepth::kFloat32);
  const MatteSettings settings = expectedSettings(*instance, host::World::emptyLayerDef());
  PF_LayerDef rowWorld = expected.def();
  rowWorld.width = c.covered.right - c.covered.left;
  PF_InData inData{};
  inData.downsample_x = {1, 1};
  inData.downsample_y = {1, 1};
  MatteRowContext context{&settings, &inData, &rowWorld};
  for (int y = c.covered.top; y < c.covered.bottom; ++y) {
    InvertPixelFloat(&context, c.covered.left, y,
                     input.pixelFloat(c.covered.left + c.origin.h, y + c.origin.v),
                     expected.pixelFloat(c.covered.left, y));
  }
  EXPECT_TRUE(sameBits(expected, output));
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
