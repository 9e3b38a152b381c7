// The command table: every code reaches its handler or is answered as done.
#include <climits>
#include <vector>

#include "PluginTestSupport.h"
#include "kestrow/host/World.h"
#include "params/Params.h"

namespace kestrow::test {
namespace {

using matte::Mode;
using matte::popupValue;

class Dispatch : public PluginInstance {
 protected:
  void SetUp() override {
    PluginInstance::SetUp();
    host_.clearCommandLog();
  }
};

// Every byte of the world, row padding included.
std::vector<std::uint8_t> worldBytes(const host::World& world) {
  const auto* first = static_cast<const std::uint8_t*>(world.row(0));
  return {first, first + world.rowBytes() * static_cast<std::size_t>(world.height())};
}

class UnhandledCommand : public Dispatch, public ::testing::WithParamInterface<PF_Cmd> {};

// Nothing is written anywhere: not the records, not the output world, and
// no suite is acquired.
TEST_P(UnhandledCommand, SucceedsAndChangesNothing) {
  host::World output(5, 3, host::PixelDepth::kFloat32, 16);
  for (int y = 0; y < output.height(); ++y) {
    for (int x = 0; x < output.width(); ++x) {
      *output.pixelFloat(x, y) = {0.25f, float(x), float(y), -1.0f};
    }
  }
  const std::vector<std::uint8_t> pixelsBefore = worldBytes(output);
  PF_InData in = hooks::makeInData(*instance_);
  const PF_InData inBefore = in;
  PF_OutData out = filledOutData(0xA5);
  const PF_OutData outBefore = out;
  std::vector<std::uint8_t> extra(256, 0x11);

  EXPECT_EQ(hooks::rawCall(*instance_, GetParam(), in, out, hooks::paramArray(*instance_).data(),
                           &output.def(), extra.data()),
            PF_Err_NONE);
  EXPECT_TRUE(sameBytes(&inBefore, &in, sizeof in));
  EXPECT_TRUE(sameBytes(&outBefore, &out, sizeof out));
  EXPECT_EQ(extra, std::vector<std::uint8_t>(256, 0x11));
  EXPECT_TRUE(sameBytes(pixelsBefore.data(), worldBytes(output).data(), pixelsBefore.size()));
  const host::CommandRecord last = host_.lastCommand();
  EXPECT_EQ(last.suitesAcquired, 0);
  EXPECT_TRUE(leftNothing(last));
}

INSTANTIATE_TEST_SUITE_P(Codes, UnhandledCommand,
                         ::testing::Values(PF_Cmd_UNUSED_0, PF_Cmd_DO_DIALOG, PF_Cmd_FRAME_SETUP,
                                           PF_Cmd_RENDER, PF_Cmd_FRAME_SETDOWN, PF_Cmd_EVENT,
                                           PF_Cmd_GET_EXTERNAL_DEPENDENCIES,
                                           PF_Cmd_COMPLETELY_GENERAL, PF_Cmd_AUDIO_RENDER,
                                           PF_Cmd_AUDIO_SETUP, PF_Cmd_AUDIO_SETDOWN,
                                           PF_Cmd_ARBITRARY_CALLBACK, PF_Cmd_NUM_CMDS, 26, 1000,
                                           INT_MAX, -1, -25, INT_MIN));

// Editing and rendering reach the control and render handlers: a
// supervised change, the interface update it triggers, the dynamic-flags
// query, and both passes of a smart render.
TEST_F(Dispatch, InstanceCommandsReachTheirHandlers) {
  EXPECT_TRUE(instance_->isHidden(MATTE_THICKNESS));  // "Circle"
  ASSERT_TRUE(isOk(instance_->setPopup(MATTE_MODE, popupValue(Mode::Ring))));
  EXPECT_FALSE(instance_->isHidden(MATTE_THICKNESS));

  host::World input(4, 3, host::PixelDepth::kFloat32);
  host::World output(4, 3, host::PixelDepth::kFloat32);
  ASSERT_TRUE(isOk(instance_->render(input, output)));
  EXPECT_EQ(host_.lastCommand().iterateRows, 3);

  for (PF_Cmd cmd : {PF_Cmd_USER_CHANGED_PARAM, PF_Cmd_UPDATE_PARAMS_UI, PF_Cmd_QUERY_DYNAMIC_FLAGS,
                     PF_Cmd_SMART_PRE_RENDER, PF_Cmd_SMART_RENDER}) {
    const std::vector<host::CommandRecord> found = commandsOf(host_, cmd);
    ASSERT_FALSE(found.empty()) << host::commandName(cmd);
    EXPECT_EQ(found.back().err, PF_Err_NONE) << host::commandName(cmd);
  }
}

}  // namespace
}  // namespace kestrow::test
