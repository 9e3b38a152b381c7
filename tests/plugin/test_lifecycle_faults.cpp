// Fault sweep over global and sequence set-up: whatever the host fails to
// provide, the command reports it and leaves no handle, lock or suite held.
#include <cctype>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "AE_EffectSuites.h"
#include "AE_GeneralPlug.h"
#include "PluginTestSupport.h"

namespace kestrow::test {
namespace {

using host::MissingSuiteMode;

struct SuiteFault {
  const char* name;
  int version;
  MissingSuiteMode mode;
};

void PrintTo(const SuiteFault& f, std::ostream* os) {
  *os << '"' << f.name << "\" " << f.version << " mode " << static_cast<int>(f.mode);
}

std::string faultName(const ::testing::TestParamInfo<SuiteFault>& info) {
  std::string n;
  for (const char* c = info.param.name; *c; ++c) {
    if (std::isalnum(static_cast<unsigned char>(*c))) n += *c;
  }
  const char* modes[] = {"NullTable", "Error", "ErrorAndNull"};
  return n + "_" + modes[static_cast<int>(info.param.mode)];
}

std::vector<SuiteFault> faultsOf(std::initializer_list<std::pair<const char*, int>> suites) {
  std::vector<SuiteFault> all;
  for (const auto& [name, version] : suites) {
    for (MissingSuiteMode mode : {MissingSuiteMode::kNullTable, MissingSuiteMode::kError,
                                  MissingSuiteMode::kErrorAndNull}) {
      all.push_back({name, version, mode});
    }
  }
  return all;
}

class GlobalSetupMissingSuite : public ::testing::TestWithParam<SuiteFault> {};

TEST_P(GlobalSetupMissingSuite, FailsWith516AndHoldsNothing) {
  host::Host host;
  host.faults().missingSuites.push_back({GetParam().name, GetParam().version, GetParam().mode});
  const host::Status status = host.load(pluginFile());
  EXPECT_EQ(status.pfErr, PF_Err_BAD_CALLBACK_PARAM) << status.message;

  const std::vector<host::CommandRecord> setups = commandsOf(host, PF_Cmd_GLOBAL_SETUP);
  ASSERT_EQ(setups.size(), 1u);
  EXPECT_EQ(setups[0].err, PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_FALSE(setups[0].threw);
  EXPECT_EQ(setups[0].out.global_data, nullptr);
  EXPECT_EQ(hex32(setups[0].out.my_version), hex32(0x00118001));
  EXPECT_TRUE(leftNothing(setups[0]));
  EXPECT_EQ(host.liveHandles(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Suites, GlobalSetupMissingSuite,
                         ::testing::ValuesIn(faultsOf({{kPFHandleSuite, kPFHandleSuiteVersion1},
                                                       {kAEGPUtilitySuite,
                                                        kAEGPUtilitySuiteVersion3}})),
                         faultName);

class AboutMissingSuite : public LoadedPlugin, public ::testing::WithParamInterface<SuiteFault> {};

TEST_P(AboutMissingSuite, FailsWith516AndHoldsNothing) {
  host_.faults().missingSuites.push_back({GetParam().name, GetParam().version, GetParam().mode});
  PF_InData in = host_.makeInData();
  PF_OutData out{};
  EXPECT_EQ(host_.rawCall(PF_Cmd_ABOUT, in, out, nullptr, nullptr, nullptr),
            PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_TRUE(leftNothing(host_.lastCommand()));
}

INSTANTIATE_TEST_SUITE_P(Suites, AboutMissingSuite,
                         ::testing::ValuesIn(faultsOf({{kPFANSISuite, kPFANSISuiteVersion1}})),
                         faultName);

// Without a basic suite nothing can be acquired: the commands that need
// one fail at once, before writing anything.
class NoBasicSuite : public LoadedPlugin, public ::testing::WithParamInterface<PF_Cmd> {};

TEST_P(NoBasicSuite, FailsWith516BeforeWritingAnything) {
  PF_InData in = host_.makeInData();
  in.pica_basicP = nullptr;
  PF_OutData out = filledOutData(0x77);
  const PF_OutData before = out;
  EXPECT_EQ(host_.rawCall(GetParam(), in, out, nullptr, nullptr, nullptr),
            PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(firstDifference(&before, &out, sizeof out), -1);
  EXPECT_TRUE(leftNothing(host_.lastCommand()));
}

INSTANTIATE_TEST_SUITE_P(Commands, NoBasicSuite,
                         ::testing::Values(PF_Cmd_ABOUT, PF_Cmd_GLOBAL_SETUP,
                                           PF_Cmd_GLOBAL_SETDOWN));

TEST(GlobalSetupFault, FailedAllocationIs512) {
  host::Host host;
  host.faults().failHandleAllocation = 1;
  const host::Status status = host.load(pluginFile());
  EXPECT_EQ(status.pfErr, PF_Err_INTERNAL_STRUCT_DAMAGED) << status.message;
  const std::vector<host::CommandRecord> setups = commandsOf(host, PF_Cmd_GLOBAL_SETUP);
  ASSERT_EQ(setups.size(), 1u);
  EXPECT_EQ(setups[0].out.global_data, nullptr);
  EXPECT_TRUE(leftNothing(setups[0]));
  EXPECT_EQ(host.liveHandles(), 0u);
}

// Premiere Pro has no AEGP registration, so it need not offer the suite.
TEST(GlobalSetupFault, PremiereDoesNotNeedTheUtilitySuite) {
  host::Host host({.applId = static_cast<A_long>(PF_APPL_ID_PREMIERE)});
  host.faults().missingSuites.push_back({kAEGPUtilitySuite, kAEGPUtilitySuiteVersion3});
  EXPECT_TRUE(isOk(host.load(pluginFile())));
}

// Sequence set-up needs no suite at all: it succeeds with every suite
// missing, and a failed allocation is its only failure.
TEST(SequenceSetupFault, NeedsNoSuite) {
  host::Host host;
  ASSERT_TRUE(isOk(host.load(pluginFile())));
  for (const auto& f : faultsOf({{kPFANSISuite, kPFANSISuiteVersion1},
                                 {kPFHandleSuite, kPFHandleSuiteVersion1},
                                 {kAEGPUtilitySuite, kAEGPUtilitySuiteVersion3}})) {
    host.faults().missingSuites.push_back({f.name, f.version, f.mode});
  }
  std::unique_ptr<host::Instance> instance;
  (void)host.createInstance(instance);  // later commands may need suites
  const std::vector<host::CommandRecord> setups = commandsOf(host, PF_Cmd_SEQUENCE_SETUP);
  ASSERT_EQ(setups.size(), 1u);
  EXPECT_EQ(setups[0].err, PF_Err_NONE);
  EXPECT_EQ(setups[0].suitesAcquired, 0);
  EXPECT_TRUE(leftNothing(setups[0]));
}

}  // namespace
}  // namespace kestrow::test
