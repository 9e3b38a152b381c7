// Fault sweep over global and sequence set-up (and the About box): whatever
// the host fails to provide, the command reports it and leaves no handle,
// lock or suite held.
#include <cctype>
#include <memory>
#include <string>
#include <vector>

#include "AE_EffectSuites.h"
#include "AE_GeneralPlug.h"
#include "PluginTestSupport.h"

namespace kestrow::test {
namespace {

using host::FaultInjection;
using host::HostCallId;
using host::MissingSuiteMode;

constexpr MissingSuiteMode kModes[] = {MissingSuiteMode::kNullTable, MissingSuiteMode::kError,
                                       MissingSuiteMode::kErrorAndNull};
constexpr const char* kModeNames[] = {"NullTable", "Error", "ErrorAndNull"};

struct SetupFault {
  std::string name;
  FaultInjection faults;
  PF_Err expected;  // 0: the host's own injected error
};

// Each suite missing in each way (516), the block's allocation failing
// (512), registration refused (the host's error).
std::vector<SetupFault> setupFaults(std::initializer_list<std::pair<const char*, int>> suites) {
  std::vector<SetupFault> all;
  for (const auto& [suite, version] : suites) {
    for (int m = 0; m < 3; ++m) {
      std::string name;
      for (const char* c = suite; *c; ++c) {
        if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
      }
      FaultInjection f;
      f.missingSuite(suite, version, kModes[m]);
      all.push_back({name + "_" + kModeNames[m], f, PF_Err_BAD_CALLBACK_PARAM});
    }
  }
  return all;
}

std::vector<SetupFault> globalSetupFaults() {
  std::vector<SetupFault> all = setupFaults(
      {{kPFHandleSuite, kPFHandleSuiteVersion1}, {kAEGPUtilitySuite, kAEGPUtilitySuiteVersion3}});
  all.push_back({"FailedAllocation", {}, PF_Err_INTERNAL_STRUCT_DAMAGED});
  all.back().faults.failNth(HostCallId::PF_HandleSuite1_host_new_handle, 1);
  all.push_back({"FailedRegistration", {}, 0});
  all.back().faults.fail(HostCallId::AEGP_UtilitySuite3_AEGP_RegisterWithAEGP);
  return all;
}

class GlobalSetupFault : public ::testing::TestWithParam<SetupFault> {};

TEST_P(GlobalSetupFault, FailsKeepingNoBlockAndHoldingNothing) {
  hooks::TestHost host;
  hooks::faults(host) = GetParam().faults;
  const PF_Err expected = GetParam().expected ? GetParam().expected : hooks::faults(host).error;
  const host::Status status = host.load(pluginFile());
  EXPECT_EQ(status.code, host::StatusCode::kPluginError) << status.message;
  EXPECT_EQ(status.pfErr, expected) << status.message;

  const std::vector<host::CommandRecord> setups = commandsOf(host, PF_Cmd_GLOBAL_SETUP);
  ASSERT_EQ(setups.size(), 1u);
  EXPECT_EQ(setups[0].err, expected);
  EXPECT_FALSE(setups[0].threw);
  EXPECT_EQ(setups[0].out.global_data, nullptr);
  // Announced before anything can fail.
  EXPECT_EQ(hex32(setups[0].out.my_version), hex32(0x00118001));
  EXPECT_EQ(hex32(setups[0].out.out_flags), hex32(0x06000442));
  EXPECT_EQ(hex32(setups[0].out.out_flags2), hex32(0x18021409));
  EXPECT_TRUE(leftNothing(setups[0]));  // unlocked and disposed of
  EXPECT_EQ(host.liveHandles(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Faults, GlobalSetupFault, ::testing::ValuesIn(globalSetupFaults()),
                         [](const auto& info) { return info.param.name; });

class AboutFault : public LoadedPlugin, public ::testing::WithParamInterface<SetupFault> {};

TEST_P(AboutFault, FailsWith516AndHoldsNothing) {
  hooks::faults(host_) = GetParam().faults;
  PF_InData in = hooks::makeInData(host_);
  PF_OutData out{};
  EXPECT_EQ(hooks::rawCall(host_, PF_Cmd_ABOUT, in, out, nullptr, nullptr, nullptr),
            PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_TRUE(leftNothing(host_.lastCommand()));
}

INSTANTIATE_TEST_SUITE_P(Faults, AboutFault,
                         ::testing::ValuesIn(setupFaults({{kPFANSISuite, kPFANSISuiteVersion1}})),
                         [](const auto& info) { return info.param.name; });

// Without a basic suite nothing can be acquired: the commands that need
// one fail at once, before writing anything.
class NoBasicSuite : public LoadedPlugin, public ::testing::WithParamInterface<PF_Cmd> {};

TEST_P(NoBasicSuite, FailsWith516BeforeWritingAnything) {
  PF_InData in = hooks::makeInData(host_);
  in.pica_basicP = nullptr;
  PF_OutData out = filledOutData(0x77);
  const PF_OutData before = out;
  EXPECT_EQ(hooks::rawCall(host_, GetParam(), in, out, nullptr, nullptr, nullptr),
            PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_TRUE(sameBytes(&before, &out, sizeof out));
  EXPECT_TRUE(leftNothing(host_.lastCommand()));
}

INSTANTIATE_TEST_SUITE_P(Commands, NoBasicSuite,
                         ::testing::Values(PF_Cmd_ABOUT, PF_Cmd_GLOBAL_SETUP,
                                           PF_Cmd_GLOBAL_SETDOWN));

using SequenceSetupFault = LoadedPlugin;

// Sequence set-up needs no suite at all: it succeeds with every suite
// missing.
TEST_F(SequenceSetupFault, NeedsNoSuite) {
  for (const SetupFault& f : setupFaults({{kPFANSISuite, kPFANSISuiteVersion1},
                                          {kPFHandleSuite, kPFHandleSuiteVersion1},
                                          {kAEGPUtilitySuite, kAEGPUtilitySuiteVersion3}})) {
    hooks::faults(host_).rules.push_back(f.faults.rules[0]);
  }
  std::unique_ptr<host::Instance> instance;
  (void)host_.createInstance(instance);  // later commands may need suites
  const std::vector<host::CommandRecord> setups = commandsOf(host_, PF_Cmd_SEQUENCE_SETUP);
  ASSERT_EQ(setups.size(), 1u);
  EXPECT_EQ(setups[0].err, PF_Err_NONE);
  EXPECT_EQ(setups[0].suitesAcquired, 0);
  EXPECT_TRUE(leftNothing(setups[0]));
}

// A failed allocation is its only failure, and the user is told.
TEST_F(SequenceSetupFault, FailedAllocationIsReportedToTheUser) {
  hooks::faults(host_).failNth(HostCallId::PF_UtilCallbacks_host_new_handle, 1);
  std::unique_ptr<host::Instance> instance;
  const host::Status status = host_.createInstance(instance);
  EXPECT_EQ(status.pfErr, PF_Err_INTERNAL_STRUCT_DAMAGED) << status.message;

  const host::CommandRecord last = host_.lastCommand();
  EXPECT_EQ(last.cmd, PF_Cmd_SEQUENCE_SETUP);
  EXPECT_EQ(last.err, PF_Err_INTERNAL_STRUCT_DAMAGED);
  EXPECT_EQ(last.out.sequence_data, nullptr);
  EXPECT_STREQ(last.out.return_msg, "Error loading suite.");
  EXPECT_NE(last.out.out_flags & PF_OutFlag_DISPLAY_ERROR_MESSAGE, 0);
  EXPECT_TRUE(leftNothing(last));
  EXPECT_EQ(host_.liveHandles(), 1u);
}

}  // namespace
}  // namespace kestrow::test
