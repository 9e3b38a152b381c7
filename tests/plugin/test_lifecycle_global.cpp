// Global set-up and set-down (version, capabilities, the global block,
// registration) and the About box, in After Effects and in Premiere Pro.
#include <cstring>
#include <string>

#include "AE_GeneralPlug.h"
#include "PluginTestSupport.h"
#include "entry/Lifecycle.h"

namespace kestrow::test {
namespace {

GlobalData globalBlock(const host::Host& host) {
  GlobalData g;
  std::memcpy(&g, *hooks::makeInData(host).global_data, sizeof g);
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

  EXPECT_EQ(globalBlock(host_).initialized, 1);
  EXPECT_NE(host_.registeredPluginId(), 0);
  EXPECT_EQ(globalBlock(host_).pluginId, host_.registeredPluginId());
}

TEST_F(GlobalSetupTest, SetdownDisposesTheBlockAndNothingElse) {
  // Without a block there is nothing to do and nothing is touched.
  PF_InData in = hooks::makeInData(host_);
  in.global_data = nullptr;
  PF_OutData out = filledOutData(0x5A);
  const PF_OutData before = out;
  EXPECT_EQ(hooks::rawCall(host_, PF_Cmd_GLOBAL_SETDOWN, in, out, nullptr, nullptr, nullptr),
            PF_Err_NONE);
  EXPECT_EQ(host_.lastCommand().suitesAcquired, 0);
  EXPECT_TRUE(sameBytes(&before, &out, sizeof out));
  ASSERT_EQ(host_.liveHandles(), 1u);  // the global block

  ASSERT_TRUE(isOk(host_.unload()));
  EXPECT_EQ(host_.liveHandles(), 0u);
  const host::CommandRecord last = host_.lastCommand();
  EXPECT_EQ(last.cmd, PF_Cmd_GLOBAL_SETDOWN);
  EXPECT_EQ(last.err, PF_Err_NONE);
  EXPECT_TRUE(leftNothing(last));
}

TEST_F(GlobalSetupTest, AboutTextToTheByte) {
  static const char kAboutText[] =
      "Kestrow, v2.3\r"
      "Create mattes based on world position data.\n\n32bpc only.\nEither use a linear "
      "workspace,\nor apply 'Color Profile Converter' before this effect with the output set to "
      "linear.\n\nWritten by the Kestrow team.";
  PF_InData in = hooks::makeInData(host_);
  PF_OutData out = filledOutData(0xEE);
  ASSERT_EQ(hooks::rawCall(host_, PF_Cmd_ABOUT, in, out, nullptr, nullptr, nullptr), PF_Err_NONE);
  static_assert(sizeof kAboutText <= sizeof out.return_msg);
  EXPECT_TRUE(sameBytes(kAboutText, out.return_msg, sizeof kAboutText))
      << "got: " << std::string(out.return_msg, strnlen(out.return_msg, sizeof out.return_msg));
  const host::CommandRecord last = host_.lastCommand();
  EXPECT_EQ(last.suitesAcquired, 1);  // the ANSI suite
  EXPECT_TRUE(leftNothing(last));
}

class PremiereHost : public LoadedPlugin {
 protected:
  PremiereHost() : LoadedPlugin({.applId = static_cast<A_long>(PF_APPL_ID_PREMIERE)}) {}
};

// Premiere Pro has no AEGP registration: the block is still made and kept,
// and the utility suite need not be offered. Its About box is its own.
TEST_F(PremiereHost, SetsUpWithoutRegisteringAndLeavesAboutAlone) {
  EXPECT_EQ(host_.registeredPluginId(), 0);
  EXPECT_EQ(globalBlock(host_).initialized, 1);
  EXPECT_EQ(hex32(host_.announcedVersion()), hex32(0x00118001));

  PF_InData in = hooks::makeInData(host_);
  PF_OutData out = filledOutData(0xEE);
  const PF_OutData before = out;
  EXPECT_EQ(hooks::rawCall(host_, PF_Cmd_ABOUT, in, out, nullptr, nullptr, nullptr), PF_Err_NONE);
  EXPECT_TRUE(sameBytes(&before, &out, sizeof out));
  EXPECT_EQ(host_.lastCommand().suitesAcquired, 0);

  hooks::TestHost noUtility(host_.options());
  hooks::faults(noUtility).missingSuite(kAEGPUtilitySuite, kAEGPUtilitySuiteVersion3);
  EXPECT_TRUE(isOk(noUtility.load(pluginFile())));
}

}  // namespace
}  // namespace kestrow::test
