// Sequence data: set-up, save and reload (re-setup), set-down.
#include <cstdint>
#include <cstring>
#include <memory>

#include "PluginTestSupport.h"

namespace kestrow::test {
namespace {

// A fresh block: 9688 bytes, stored flat, its settings' mode -1.
void expectFreshBlock(const host::Instance& instance) {
  const std::vector<std::uint8_t> block = instance.sequenceData();
  ASSERT_EQ(block.size(), 9688u);
  std::uint32_t mode = 0;
  std::memcpy(&mode, block.data(), sizeof mode);
  EXPECT_EQ(hex32(mode), hex32(0xFFFFFFFF));
  EXPECT_EQ(instance.flatSequenceDataSize(), 9688);
}

using SequenceDataTest = LoadedPlugin;

TEST_F(SequenceDataTest, SetupMakesAFreshBlockAndSetdownDisposesOfIt) {
  std::unique_ptr<host::Instance> instance;
  ASSERT_TRUE(isOk(host_.createInstance(instance)));
  expectFreshBlock(*instance);
  EXPECT_EQ(host_.liveHandles(), 2u);  // global and sequence blocks
  const std::vector<host::CommandRecord> setups = commandsOf(host_, PF_Cmd_SEQUENCE_SETUP);
  ASSERT_EQ(setups.size(), 1u);
  EXPECT_EQ(setups[0].err, PF_Err_NONE);
  EXPECT_TRUE(leftNothing(setups[0]));

  // Set-down without a block touches nothing.
  PF_InData in = hooks::makeInData(*instance);
  in.sequence_data = nullptr;
  PF_OutData out = filledOutData(0x3C);
  const PF_OutData before = out;
  EXPECT_EQ(hooks::rawCall(*instance, PF_Cmd_SEQUENCE_SETDOWN, in, out,
                           hooks::paramArray(*instance).data(), nullptr, nullptr),
            PF_Err_NONE);
  EXPECT_TRUE(sameBytes(&before, &out, sizeof out));
  EXPECT_EQ(host_.liveHandles(), 2u);

  ASSERT_TRUE(isOk(instance->close()));
  const host::CommandRecord setdown = host_.lastCommand();
  EXPECT_EQ(setdown.cmd, PF_Cmd_SEQUENCE_SETDOWN);
  EXPECT_EQ(setdown.err, PF_Err_NONE);
  EXPECT_TRUE(leftNothing(setdown));
  EXPECT_EQ(setdown.out.sequence_data, nullptr);
  EXPECT_EQ(host_.liveHandles(), 1u);
}

// A stored block is never reused: re-setup replaces it by a fresh one,
// whatever it held, and disposes of the one it was handed; without a
// stored block it makes one as set-up does.
TEST_F(SequenceDataTest, ReloadedInstanceStartsFromAFreshBlock) {
  for (bool stored : {true, false}) {
    SCOPED_TRACE(stored ? "stored block" : "no stored block");
    std::unique_ptr<host::Instance> original;
    ASSERT_TRUE(isOk(host_.createInstance(original)));
    host::SavedInstance saved;
    ASSERT_TRUE(isOk(original->save(saved)));
    ASSERT_EQ(saved.sequenceData.size(), 9688u);
    ASSERT_TRUE(isOk(original->close()));
    for (std::size_t i = 0; i < saved.sequenceData.size(); ++i) {
      saved.sequenceData[i] = static_cast<std::uint8_t>(i * 7 + 3);
    }
    if (!stored) saved.sequenceData.clear();

    host_.clearCommandLog();
    std::unique_ptr<host::Instance> reloaded;
    ASSERT_TRUE(isOk(host_.loadInstance(saved, reloaded)));
    expectFreshBlock(*reloaded);
    EXPECT_EQ(host_.liveHandles(), 2u);
    const std::vector<host::CommandRecord> setups = commandsOf(host_, PF_Cmd_SEQUENCE_RESETUP);
    ASSERT_EQ(setups.size(), 1u);
    EXPECT_EQ(setups[0].err, PF_Err_NONE);
    EXPECT_TRUE(leftNothing(setups[0]));  // the stored block was disposed of
    ASSERT_TRUE(isOk(reloaded->close()));
  }
}

}  // namespace
}  // namespace kestrow::test
