// Control visibility by "Mode", the re-render it forces, its failure paths,
// and the dynamic-flags query.
#include <map>
#include <string>

#include "RenderTestSupport.h"
#include "kestrow/host/Faults.h"

namespace kestrow::test {
namespace {

using Indices = std::vector<PF_ParamIndex>;

// Hidden controls by "Mode" value, written out; every other control is
// always shown. Any other value (the separators, values outside 1..10)
// hides the wave controls only.
Indices hiddenFor(A_long mode) {
  static const std::map<A_long, Indices> table = {
      {1, {8, 9, 10, 11, 12, 14, 15, 16, 17, 18, 20}},
      {2, {8, 9, 10, 11, 12, 14, 15, 16, 17, 18}},
      {3, {8, 9, 10, 11, 12, 17, 18, 20}},
      {4, {8, 9, 10, 11, 12, 17, 18}},
      {6, {8, 9, 10, 11, 12, 17, 18}},
      {7, {8, 9, 10, 11, 12, 13, 14, 15, 16}},
      {8, {8, 9, 10, 11, 13, 14, 15, 16}},
      {10, {17, 18, 20, 21, 22, 23, 26}},
  };
  const auto found = table.find(mode);
  return found != table.end() ? found->second : Indices{17, 18};
}

std::string describe(const Indices& v) {
  std::string s = "{";
  for (PF_ParamIndex i : v) s += std::to_string(i) + " ";
  return s + "}";
}

class ControlsTest : public PluginInstance {
 protected:
  // Puts any value into "Mode" (also values the popup cannot take), then
  // sends PF_Cmd_UPDATE_PARAMS_UI on its own.
  host::Status showMode(A_long mode) {
    PF_ParamDef record = instance_->param(MATTE_MODE);
    record.u.pd.value = mode;
    host::Status set = hooks::setParamRecord(*instance_, MATTE_MODE, record);
    if (!set.ok()) return set;
    return instance_->updateParamsUI();
  }

  // The last command ended as a refused update must: nothing left behind,
  // no re-render, nothing hidden or shown.
  void expectNothingChanged(int rerenders, const Indices& hidden) {
    const host::CommandRecord record = host_.lastCommand();
    EXPECT_TRUE(leftNothing(record));
    EXPECT_EQ(record.out.out_flags & PF_OutFlag_FORCE_RERENDER, 0);
    EXPECT_EQ(instance_->rerenderRequests(), rerenders);
    EXPECT_EQ(describe(hidden), describe(instance_->hiddenParams()));
  }
};

class VisibilityTableTest : public ControlsTest, public ::testing::WithParamInterface<A_long> {};

TEST_P(VisibilityTableTest, HidesExactlyTheModesUnusedControls) {
  const A_long mode = GetParam();
  const int rerenders = instance_->rerenderRequests();
  ASSERT_TRUE(isOk(showMode(mode)));
  const host::CommandRecord record = host_.lastCommand();
  EXPECT_EQ(record.cmd, PF_Cmd_UPDATE_PARAMS_UI);
  EXPECT_TRUE(leftNothing(record));
  EXPECT_NE(record.out.out_flags & PF_OutFlag_FORCE_RERENDER, 0);
  EXPECT_GT(instance_->rerenderRequests(), rerenders);
  EXPECT_EQ(describe(hiddenFor(mode)), describe(instance_->hiddenParams()));
}

INSTANTIATE_TEST_SUITE_P(EveryModeValue, VisibilityTableTest,
                         ::testing::Values(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0, 11, -1));

// The hidden set depends on the current mode alone: every control is set
// on every call, so nothing hidden by one mode stays hidden under the next.
TEST_F(ControlsTest, TransitionsDependOnTheNewModeOnly) {
  for (A_long mode : {10, 1, 7, 10, 8, 2, 5, 10, 3, 6, -1, 4, 1}) {
    SCOPED_TRACE(mode);
    // The user's way (popup values only), then any value.
    ASSERT_TRUE(isOk(mode >= 1 ? instance_->setPopup(MATTE_MODE, mode) : showMode(mode)));
    EXPECT_EQ(describe(hiddenFor(mode)), describe(instance_->hiddenParams()));
  }
}

class RefusedStreamTest : public ControlsTest,
                          public ::testing::WithParamInterface<PF_ParamIndex> {};

// A refused stream: its error, every reference disposed of; streams are all
// obtained before any flag is set, so nothing changed.
TEST_P(RefusedStreamTest, ReturnsTheErrorAndReleasesEverything) {
  ASSERT_TRUE(isOk(showMode(popupValue(Mode::Circle))));
  const int rerenders = instance_->rerenderRequests();
  hooks::faults(host_).fail(host::HostCallId::AEGP_StreamSuite2_AEGP_GetNewEffectStreamByIndex,
                            GetParam());
  EXPECT_EQ(showMode(popupValue(Mode::Layer)).pfErr, hooks::faults(host_).error);
  expectNothingChanged(rerenders, hiddenFor(popupValue(Mode::Circle)));
}

INSTANTIATE_TEST_SUITE_P(EachStream, RefusedStreamTest,
                         ::testing::Values(13, 20, 12, 14, 15, 16, 17, 18, 8, 9, 10, 11, 21, 22, 23,
                                           26));

TEST_F(ControlsTest, MissingSuiteOrGlobalDataChangesNothing) {
  const std::pair<const char*, int> suites[] = {{"AEGP PF Interface Suite", 1},
                                                {"AEGP Stream Suite", 7},
                                                {"AEGP Dynamic Stream Suite", 2},
                                                {"AEGP Effect Suite", 2}};
  const int rerenders = instance_->rerenderRequests();
  const Indices hidden = instance_->hiddenParams();
  for (const auto& [name, version] : suites) {
    for (auto how : {host::MissingSuiteMode::kNullTable, host::MissingSuiteMode::kError}) {
      SCOPED_TRACE(name);
      hooks::faults(host_) = {};
      hooks::faults(host_).missingSuite(name, version, how);
      EXPECT_EQ(instance_->updateParamsUI().pfErr, PF_Err_BAD_CALLBACK_PARAM);
      expectNothingChanged(rerenders, hidden);
    }
  }
  // The plug-in identifier comes from the global data in in_data (the only
  // place the host promises it); without it no stream can be named.
  hooks::faults(host_) = {};
  PF_InData in = hooks::makeInData(*instance_);
  ASSERT_NE(in.global_data, nullptr);
  in.global_data = nullptr;
  PF_OutData out{};
  EXPECT_EQ(hooks::rawCall(*instance_, PF_Cmd_UPDATE_PARAMS_UI, in, out,
                           hooks::paramArray(*instance_).data(), nullptr, nullptr),
            PF_Err_INTERNAL_STRUCT_DAMAGED);
  EXPECT_EQ(out.out_flags, 0);
  expectNothingChanged(rerenders, hidden);
}

// The query changes no byte of PF_OutData, whatever "Mode" holds.
TEST_F(ControlsTest, QueryDynamicFlagsTouchesNothing) {
  for (A_long mode : {1, 7, 10, 0}) {
    SCOPED_TRACE(mode);
    ASSERT_TRUE(isOk(showMode(mode)));
    for (std::uint8_t fill : {0x00, 0xa5, 0xff}) {
      PF_InData in = hooks::makeInData(*instance_);
      PF_OutData out = filledOutData(fill);
      const PF_OutData before = out;
      EXPECT_EQ(hooks::rawCall(*instance_, PF_Cmd_QUERY_DYNAMIC_FLAGS, in, out,
                               hooks::paramArray(*instance_).data(), nullptr, nullptr),
                PF_Err_NONE);
      EXPECT_TRUE(leftNothing(host_.lastCommand()));
      EXPECT_TRUE(sameBytes(&before, &out, sizeof out));
    }
  }
}

TEST_F(ControlsTest, QueryDynamicFlagsFailures) {
  hooks::faults(host_).fail(host::HostCallId::PF_InteractCallbacks_checkout_param, MATTE_MODE);
  EXPECT_EQ(instance_->queryDynamicFlags().pfErr, hooks::faults(host_).error);
  EXPECT_TRUE(leftNothing(host_.lastCommand()));
  EXPECT_EQ(host_.lastCommand().paramCheckins, 1);  // checked in after the failure too
  hooks::faults(host_) = host::FaultInjection{};
  hooks::faults(host_).fail(host::HostCallId::PF_InteractCallbacks_checkin_param);
  EXPECT_EQ(instance_->queryDynamicFlags().pfErr, hooks::faults(host_).error);
  EXPECT_TRUE(leftNothing(host_.lastCommand()));
}

}  // namespace
}  // namespace kestrow::test
