// Sequence data: set-up, save and reload (re-setup), set-down.
#include <cstdint>
#include <cstring>
#include <memory>

#include "PluginTestSupport.h"
#include "entry/Lifecycle.h"

namespace kestrow::test {
namespace {

std::int32_t firstWord(const std::vector<std::uint8_t>& block) {
  std::int32_t w = 0;
  std::memcpy(&w, block.data(), sizeof w);
  return w;
}

// A fresh block: 9688 bytes, stored flat, its settings' mode -1.
void expectFreshBlock(const host::Instance& instance) {
  const std::vector<std::uint8_t> block = instance.sequenceData();
  ASSERT_EQ(block.size(), 9688u);
  EXPECT_EQ(hex32(static_cast<std::uint32_t>(firstWord(block))), hex32(0xFFFFFFFF));
  EXPECT_EQ(instance.flatSequenceDataSize(), 9688);
}

using SequenceDataTest = LoadedPlugin;

TEST_F(SequenceDataTest, SetupMakesAFreshBlock) {
  std::unique_ptr<host::Instance> instance;
  ASSERT_TRUE(isOk(host_.createInstance(instance)));
  expectFreshBlock(*instance);
  EXPECT_EQ(host_.liveHandles(), 2u);  // global and sequence blocks
  const std::vector<host::CommandRecord> setups = commandsOf(host_, PF_Cmd_SEQUENCE_SETUP);
  ASSERT_EQ(setups.size(), 1u);
  EXPECT_EQ(setups[0].err, PF_Err_NONE);
  EXPECT_TRUE(leftNothing(setups[0]));
}

// A stored block is never reused: re-setup replaces it by a fresh one,
// whatever it held, and disposes of the one it was handed.
TEST_F(SequenceDataTest, ReloadedInstanceStartsFromAFreshBlock) {
  std::unique_ptr<host::Instance> original;
  ASSERT_TRUE(isOk(host_.createInstance(original)));
  host::SavedInstance saved;
  ASSERT_TRUE(isOk(original->save(saved)));
  ASSERT_EQ(saved.sequenceData.size(), 9688u);
  ASSERT_TRUE(isOk(original->close()));

  for (std::size_t i = 0; i < saved.sequenceData.size(); ++i) {
    saved.sequenceData[i] = static_cast<std::uint8_t>(i * 7 + 3);
  }
  std::unique_ptr<host::Instance> reloaded;
  ASSERT_TRUE(isOk(host_.loadInstance(saved, reloaded)));
  expectFreshBlock(*reloaded);
  EXPECT_EQ(host_.liveHandles(), 2u);
  const std::vector<host::CommandRecord> resetups = commandsOf(host_, PF_Cmd_SEQUENCE_RESETUP);
  ASSERT_EQ(resetups.size(), 1u);
  EXPECT_EQ(resetups[0].err, PF_Err_NONE);
  EXPECT_TRUE(leftNothing(resetups[0]));  // the stored block was disposed of
}

TEST_F(SequenceDataTest, ReloadWithoutStoredBlockIsASetup) {
  std::unique_ptr<host::Instance> original;
  ASSERT_TRUE(isOk(host_.createInstance(original)));
  host::SavedInstance saved;
  ASSERT_TRUE(isOk(original->save(saved)));
  ASSERT_TRUE(isOk(original->close()));
  saved.sequenceData.clear();

  std::unique_ptr<host::Instance> reloaded;
  ASSERT_TRUE(isOk(host_.loadInstance(saved, reloaded)));
  expectFreshBlock(*reloaded);
  EXPECT_EQ(host_.liveHandles(), 2u);
}

TEST_F(SequenceDataTest, SetdownDisposesTheBlock) {
  std::unique_ptr<host::Instance> instance;
  ASSERT_TRUE(isOk(host_.createInstance(instance)));
  ASSERT_TRUE(isOk(instance->close()));
  const host::CommandRecord last = host_.lastCommand();
  EXPECT_EQ(last.cmd, PF_Cmd_SEQUENCE_SETDOWN);
  EXPECT_EQ(last.err, PF_Err_NONE);
  EXPECT_TRUE(leftNothing(last));
  EXPECT_EQ(last.out.sequence_data, nullptr);
  EXPECT_EQ(host_.liveHandles(), 1u);
}

TEST_F(SequenceDataTest, SetdownWithoutBlockTouchesNothing) {
  std::unique_ptr<host::Instance> instance;
  ASSERT_TRUE(isOk(host_.createInstance(instance)));
  PF_InData in = instance->makeInData();
  in.sequence_data = nullptr;
  PF_OutData out = filledOutData(0x3C);
  const PF_OutData before = out;
  EXPECT_EQ(
      instance->rawCall(PF_Cmd_SEQUENCE_SETDOWN, in, out, instance->paramArray(), nullptr, nullptr),
      PF_Err_NONE);
  EXPECT_EQ(firstDifference(&before, &out, sizeof out), -1);
  EXPECT_EQ(host_.liveHandles(), 2u);
}

TEST_F(SequenceDataTest, FailedAllocationIsReportedToTheUser) {
  host_.faults().failHandleAllocation = 1;
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
