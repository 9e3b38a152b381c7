// Global set-up and set-down: version, capabilities and the global block.
#include <cstring>

#include "PluginTestSupport.h"
#include "entry/Lifecycle.h"

namespace kestrow::test {
namespace {

GlobalData globalBlock(PF_Handle h) {
  GlobalData g;
  std::memcpy(&g, *h, sizeof g);
  return g;
}

using GlobalSetupTest = LoadedPlugin;

TEST_F(GlobalSetupTest, AnnouncesVersionAndCapabilitiesAndRegisters) {
  EXPECT_EQ(hex32(host_.announcedVersion()), hex32(0x00118001));
  EXPECT_EQ(hex32(host_.announcedOutFlags()), hex32(0x06000442));
  EXPECT_EQ(hex32(host_.announcedOutFlags2()), hex32(0x18021409));

  const std::vector<host::CommandRecord> setups = commandsOf(host_, PF_Cmd_GLOBAL_SETUP);
  ASSERT_EQ(setups.size(), 1u);
  EXPECT_EQ(setups[0].err, PF_Err_NONE);
  EXPECT_EQ(setups[0].suitesAcquired, 2);  // handle and utility suites, once each
  EXPECT_TRUE(leftNothing(setups[0]));

  PF_InData in = host_.makeInData();
  ASSERT_NE(in.global_data, nullptr);
  const GlobalData g = globalBlock(in.global_data);
  EXPECT_EQ(g.initialized, 1);
  EXPECT_NE(host_.registeredPluginId(), 0);
  EXPECT_EQ(g.pluginId, host_.registeredPluginId());
}

TEST_F(GlobalSetupTest, SetdownDisposesTheBlockAndNothingElse) {
  ASSERT_EQ(host_.liveHandles(), 1u);  // the global block
  ASSERT_TRUE(isOk(host_.unload()));
  EXPECT_EQ(host_.liveHandles(), 0u);
  const host::CommandRecord last = host_.lastCommand();
  EXPECT_EQ(last.cmd, PF_Cmd_GLOBAL_SETDOWN);
  EXPECT_EQ(last.err, PF_Err_NONE);
  EXPECT_TRUE(leftNothing(last));
}

TEST_F(GlobalSetupTest, SetdownWithoutBlockTouchesNothing) {
  PF_InData in = host_.makeInData();
  in.global_data = nullptr;
  PF_OutData out = filledOutData(0x5A);
  const PF_OutData before = out;
  EXPECT_EQ(host_.rawCall(PF_Cmd_GLOBAL_SETDOWN, in, out, nullptr, nullptr, nullptr), PF_Err_NONE);
  EXPECT_EQ(host_.lastCommand().suitesAcquired, 0);
  EXPECT_EQ(firstDifference(&before, &out, sizeof out), -1);
  EXPECT_EQ(host_.liveHandles(), 1u);
}

class PremiereHost : public LoadedPlugin {
 protected:
  PremiereHost() : LoadedPlugin({.applId = static_cast<A_long>(PF_APPL_ID_PREMIERE)}) {}
};

// Premiere Pro has no AEGP registration: the block is still made and kept.
TEST_F(PremiereHost, SetsUpWithoutRegistering) {
  EXPECT_EQ(host_.registeredPluginId(), 0);
  PF_InData in = host_.makeInData();
  ASSERT_NE(in.global_data, nullptr);
  EXPECT_EQ(globalBlock(in.global_data).initialized, 1);
  EXPECT_EQ(hex32(host_.announcedVersion()), hex32(0x00118001));
}

TEST(GlobalSetupFailure, FailedRegistrationKeepsNoBlock) {
  host::Host host;
  host.faults().failRegisterWithAEGP = true;
  const host::Status status = host.load(pluginFile());
  EXPECT_EQ(status.code, host::StatusCode::kPluginError) << status.message;
  EXPECT_EQ(status.pfErr, host.faults().error);

  const std::vector<host::CommandRecord> setups = commandsOf(host, PF_Cmd_GLOBAL_SETUP);
  ASSERT_EQ(setups.size(), 1u);
  const host::CommandRecord* setup = &setups[0];
  EXPECT_EQ(setup->err, host.faults().error);
  EXPECT_EQ(setup->out.global_data, nullptr);
  // Announced before anything can fail.
  EXPECT_EQ(hex32(setup->out.my_version), hex32(0x00118001));
  EXPECT_EQ(hex32(setup->out.out_flags), hex32(0x06000442));
  EXPECT_EQ(hex32(setup->out.out_flags2), hex32(0x18021409));
  // The handle was unlocked and disposed of.
  EXPECT_TRUE(leftNothing(*setup));
  EXPECT_EQ(host.liveHandles(), 0u);
}

}  // namespace
}  // namespace kestrow::test
