// "Pick Point": the picked float colour becomes "Position", exactly.
#include <cstdio>
#include <memory>

#include "RenderTestSupport.h"
#include "kestrow/host/Faults.h"

namespace kestrow::test {
namespace {

class PickPointTest : public PluginInstance {
 protected:
  void SetUp() override {
    PluginInstance::SetUp();
    ASSERT_TRUE(isOk(instance_->setPoint3D(MATTE_POSITION, 7, 8, 9)));
  }

  ::testing::AssertionResult positionIs(double x, double y, double z) {
    const PF_Point3DDef& p = instance_->param(MATTE_POSITION).u.point3d_d;
    const double got[] = {p.x_value, p.y_value, p.z_value}, want[] = {x, y, z};
    if (sameBytes(want, got, sizeof want)) return ::testing::AssertionSuccess();
    char buf[256];
    std::snprintf(buf, sizeof buf, "(%.17g, %.17g, %.17g), expected (%.17g, %.17g, %.17g)",
                  p.x_value, p.y_value, p.z_value, x, y, z);
    return ::testing::AssertionFailure() << buf;
  }

  // The last "Pick Point" change left nothing behind and gave `err`.
  void expectLastChange(PF_Err err) {
    const std::vector<host::CommandRecord> changes = commandsOf(host_, PF_Cmd_USER_CHANGED_PARAM);
    ASSERT_FALSE(changes.empty());
    EXPECT_EQ(changes.back().err, err);
    EXPECT_TRUE(leftNothing(changes.back()));
  }
};

// Values beyond 0..1 and of single precision pass through, widened exactly
// (0.1f is not 0.1); the alpha plays no part.
TEST_F(PickPointTest, PickedColourBecomesPosition) {
  const PF_PixelFloat colours[] = {{1, 1.5f, -2, 0.25f},
                                   {0, 0.1f, 1e-7f, -123456.78f},
                                   {-5, 3.4e38f, -0.0f, 1},
                                   {0.5f, 0, 0, 0}};
  for (const PF_PixelFloat& c : colours) {
    SCOPED_TRACE(c.red);
    ASSERT_TRUE(isOk(instance_->pickColor(MATTE_PICK_POINT, c)));
    EXPECT_TRUE(positionIs(c.red, c.green, c.blue));
    expectLastChange(PF_Err_NONE);
  }
  ASSERT_TRUE(isOk(instance_->pickColor(MATTE_PICK_POINT, {1, 0.1f, 0, 0})));
  EXPECT_TRUE(positionIs(0.100000001490116119384765625, 0, 0));
}

// The other supervised controls reach the same handler and change nothing.
TEST_F(PickPointTest, OtherSupervisedControlsLeavePositionAlone) {
  ASSERT_TRUE(isOk(instance_->setPopup(MATTE_MODE, popupValue(Mode::Rays))));
  ASSERT_TRUE(
      isOk(instance_->setLayer(MATTE_LAYER, std::make_shared<host::World>(positionPass(2, 2)))));
  ASSERT_TRUE(isOk(instance_->setCheckbox(MATTE_TILE, true)));
  ASSERT_TRUE(isOk(instance_->setFloat(MATTE_OFFSET_U, 4)));
  ASSERT_TRUE(isOk(instance_->setFloat(MATTE_OFFSET_V, -4)));
  const std::vector<host::CommandRecord> changes = commandsOf(host_, PF_Cmd_USER_CHANGED_PARAM);
  EXPECT_EQ(changes.size(), 5u);
  for (const host::CommandRecord& r : changes) {
    EXPECT_EQ(r.err, PF_Err_NONE);
    EXPECT_TRUE(leftNothing(r));
    EXPECT_EQ(r.suitesAcquired, 0);
  }
  EXPECT_TRUE(positionIs(7, 8, 9));
}

// A failed colour read or a missing colour suite: the error, nothing
// written and nothing marked.
TEST_F(PickPointTest, FailedColourReadChangesNothing) {
  hooks::faults(host_).fail(
      host::HostCallId::PF_ColorParamSuite1_PF_GetFloatingPointColorFromColorDef);
  PF_InData in = hooks::makeInData(*instance_);
  PF_OutData out{};
  host::hooks::ParamRecords records = hooks::paramArray(*instance_);
  PF_ParamDef** params = records.data();
  params[MATTE_POSITION]->uu.change_flags = 0;
  PF_UserChangedParamExtra extra{MATTE_PICK_POINT};
  EXPECT_EQ(hooks::rawCall(*instance_, PF_Cmd_USER_CHANGED_PARAM, in, out, params, nullptr, &extra),
            hooks::faults(host_).error);
  EXPECT_EQ(params[MATTE_POSITION]->uu.change_flags, 0);
  EXPECT_EQ(params[MATTE_POSITION]->u.point3d_d.x_value, 7);
  EXPECT_TRUE(leftNothing(host_.lastCommand()));

  hooks::faults(host_) = {};
  hooks::faults(host_).missingSuite("PF ColorParamSuite", 1, host::MissingSuiteMode::kNullTable);
  EXPECT_EQ(instance_->pickColor(MATTE_PICK_POINT, {1, 2, 3, 4}).pfErr, PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_TRUE(positionIs(7, 8, 9));
  expectLastChange(PF_Err_BAD_CALLBACK_PARAM);
}

}  // namespace
}  // namespace kestrow::test
