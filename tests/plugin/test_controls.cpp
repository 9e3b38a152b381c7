// Control visibility by "Mode", the re-render it forces, its failure paths,
// and the dynamic-flags query.
#include <algorithm>
#include <memory>

#include "RenderTestSupport.h"
#include "kestrow/host/Faults.h"

namespace kestrow::test {
namespace {

using Indices = std::vector<PF_ParamIndex>;

// Hidden controls by "Mode" value; every other control is always shown.
Indices hiddenFor(A_long mode) {
  const Indices thickness{20}, sizes{14, 15, 16}, axis{12}, wave{17, 18}, layer{8, 9, 10, 11},
      radius{13}, scales{21, 22, 23}, alphaMatte{26};
  auto join = [](std::initializer_list<Indices> groups) {
    Indices all;
    for (const Indices& g : groups) all.insert(all.end(), g.begin(), g.end());
    std::sort(all.begin(), all.end());
    return all;
  };
  switch (mode) {
    case 1:
      return join({thickness, sizes, axis, wave, layer});
    case 2:
      return join({sizes, axis, wave, layer});
    case 3:
      return join({thickness, axis, wave, layer});
    case 4:
    case 6:
      return join({axis, wave, layer});
    case 7:
      return join({radius, sizes, axis, layer});
    case 8:
      return join({radius, sizes, layer});
    case 10:
      return join({thickness, wave, scales, alphaMatte});
    default:
      return join({wave});
  }
}

std::string describe(const Indices& v) {
  std::string s = "{";
  for (PF_ParamIndex i : v) s += std::to_string(i) + " ";
  return s + "}";
}

class ControlsTest : public LoadedPlugin {
 protected:
  void SetUp() override {
    LoadedPlugin::SetUp();
    ASSERT_TRUE(isOk(host_.createInstance(instance_)));
  }

  // Puts any value into "Mode" (also values the popup cannot take), then
  // sends PF_Cmd_UPDATE_PARAMS_UI on its own.
  host::Status showMode(A_long mode) {
    PF_ParamDef record = instance_->param(MATTE_MODE);
    record.u.pd.value = mode;
    host::Status set = instance_->setParamRecord(MATTE_MODE, record);
    if (!set.ok()) return set;
    return instance_->updateParamsUI();
  }

  std::unique_ptr<host::Instance> instance_;
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
  const A_long walk[] = {10, 1, 7, 10, 8, 2, 5, 10, 3, 6, -1, 4, 1};
  for (A_long mode : walk) {
    SCOPED_TRACE(mode);
    // The user's way (popup values only), then any value.
    ASSERT_TRUE(isOk(mode >= 1 ? instance_->setPopup(MATTE_MODE, mode) : showMode(mode)));
    EXPECT_EQ(describe(hiddenFor(mode)), describe(instance_->hiddenParams()));
  }
}

class RefusedStreamTest : public ControlsTest,
                          public ::testing::WithParamInterface<PF_ParamIndex> {};

// A refused stream: its error, every reference disposed of, no flag set
// after it, no re-render.
TEST_P(RefusedStreamTest, ReturnsTheErrorAndReleasesEverything) {
  ASSERT_TRUE(isOk(showMode(MODE_CIRCLE)));
  const int rerenders = instance_->rerenderRequests();
  host_.faults().failStreamIndex = GetParam();
  const host::Status status = showMode(MODE_LAYER);
  EXPECT_EQ(status.pfErr, host_.faults().error);
  const host::CommandRecord record = host_.lastCommand();
  EXPECT_TRUE(leftNothing(record));
  EXPECT_EQ(record.out.out_flags & PF_OutFlag_FORCE_RERENDER, 0);
  EXPECT_EQ(instance_->rerenderRequests(), rerenders);
  // Streams are all obtained before any flag is set: nothing changed.
  EXPECT_EQ(describe(hiddenFor(1)), describe(instance_->hiddenParams()));
}

INSTANTIATE_TEST_SUITE_P(EachStream, RefusedStreamTest,
                         ::testing::Values(13, 20, 12, 14, 15, 16, 17, 18, 8, 9, 10, 11, 21, 22, 23,
                                           26));

TEST_F(ControlsTest, MissingSuiteLeavesNothingBehind) {
  const char* const names[] = {"AEGP PF Interface Suite", "AEGP Stream Suite",
                               "AEGP Dynamic Stream Suite", "AEGP Effect Suite"};
  const int versions[] = {1, 7, 2, 2};
  for (int i = 0; i < 4; ++i) {
    for (auto how : {host::MissingSuiteMode::kNullTable, host::MissingSuiteMode::kError}) {
      SCOPED_TRACE(names[i]);
      host_.faults().missingSuites = {{names[i], versions[i], how}};
      const host::Status status = instance_->updateParamsUI();
      EXPECT_EQ(status.pfErr, PF_Err_BAD_CALLBACK_PARAM);
      const host::CommandRecord record = host_.lastCommand();
      EXPECT_TRUE(leftNothing(record));
      EXPECT_EQ(record.out.out_flags & PF_OutFlag_FORCE_RERENDER, 0);
    }
  }
}

// Without global data there is no plug-in identifier to name streams with.
TEST_F(ControlsTest, NoGlobalData) {
  PF_InData in = instance_->makeInData();
  PF_OutData out{};
  EXPECT_EQ(instance_->rawCall(PF_Cmd_UPDATE_PARAMS_UI, in, out, instance_->paramArray(), nullptr,
                               nullptr),
            PF_Err_INTERNAL_STRUCT_DAMAGED);
  EXPECT_TRUE(leftNothing(host_.lastCommand()));
  EXPECT_EQ(out.out_flags, 0);
}

// The query changes no byte of PF_OutData, whatever "Mode" holds.
TEST_F(ControlsTest, QueryDynamicFlagsTouchesNothing) {
  for (A_long mode : {1, 7, 10, 0}) {
    SCOPED_TRACE(mode);
    ASSERT_TRUE(isOk(showMode(mode)));
    for (std::uint8_t fill : {0x00, 0xa5, 0xff}) {
      PF_InData in = instance_->makeInData();
      PF_OutData out = filledOutData(fill);
      const PF_OutData before = out;
      EXPECT_EQ(instance_->rawCall(PF_Cmd_QUERY_DYNAMIC_FLAGS, in, out, instance_->paramArray(),
                                   nullptr, nullptr),
                PF_Err_NONE);
      EXPECT_TRUE(leftNothing(host_.lastCommand()));
      EXPECT_EQ(firstDifference(&before, &out, sizeof out), -1);
    }
  }
}

TEST_F(ControlsTest, QueryDynamicFlagsFailures) {
  host_.faults().failCheckoutParam = MATTE_MODE;
  EXPECT_EQ(instance_->queryDynamicFlags().pfErr, host_.faults().error);
  EXPECT_TRUE(leftNothing(host_.lastCommand()));
  EXPECT_EQ(host_.lastCommand().paramCheckins, 1);  // checked in after the failure too
  host_.faults() = host::FaultInjection{};
  host_.faults().failCheckinParam = true;
  EXPECT_EQ(instance_->queryDynamicFlags().pfErr, host_.faults().error);
  EXPECT_TRUE(leftNothing(host_.lastCommand()));
}

}  // namespace
}  // namespace kestrow::test
