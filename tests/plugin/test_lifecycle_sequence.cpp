// Sequence data: set-up, save and reload (re-setup), set-down.
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "PluginTestSupport.h"
#include "RenderTestSupport.h"

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

// Project operations as After Effects performs them: what the host sends,
// and afterwards every instance has a fresh block where re-setup ran, the
// saved block where only flatten ran, renders as before, and closing them
// all leaves only the global block.
struct ProjectOperation {
  const char* name;
  std::vector<PF_Cmd> sent;  // sequence commands, in order
  bool fresh;                // re-setup ran on the original
  std::function<host::Status(host::Host&, host::Instance&,
                             std::vector<std::unique_ptr<host::Instance>>&)>
      act;
};

const ProjectOperation kOperations[] = {
    {"Save",
     {PF_Cmd_SEQUENCE_FLATTEN},
     false,
     [](host::Host&, host::Instance& original, auto&) {
       host::SavedInstance saved;
       const std::vector<std::uint8_t> before = original.sequenceData();
       host::Status status = original.save(saved);
       EXPECT_EQ(saved.sequenceData, before);  // the block is its own flat form
       return status;
     }},
    {"SaveAndOpen",
     {PF_Cmd_SEQUENCE_FLATTEN, PF_Cmd_SEQUENCE_RESETUP},
     false,
     [](host::Host& host, host::Instance& original, auto& made) {
       host::SavedInstance saved;
       host::Status status = original.save(saved);
       if (status.ok()) status = host.loadInstance(saved, made.emplace_back());
       return status;
     }},
    {"Duplicate",
     {PF_Cmd_SEQUENCE_FLATTEN, PF_Cmd_SEQUENCE_RESETUP, PF_Cmd_SEQUENCE_RESETUP},
     true,
     [](host::Host&, host::Instance& original, auto& made) {
       return original.duplicate(made.emplace_back());
     }},
    {"PreCompose",
     {PF_Cmd_SEQUENCE_RESETUP},
     true,
     [](host::Host&, host::Instance& original, auto&) { return original.resetup(); }},
};

class ProjectOperationTest : public LoadedPlugin,
                             public ::testing::WithParamInterface<ProjectOperation> {};

TEST_P(ProjectOperationTest, SendsWhatAfterEffectsSendsAndLosesNothing) {
  const ProjectOperation& op = GetParam();
  std::unique_ptr<host::Instance> original;
  ASSERT_TRUE(isOk(host_.createInstance(original)));
  ASSERT_TRUE(isOk(original->setPopup(MATTE_MODE, 2)));
  host::World input = positionPass(6, 4);
  host::World before(6, 4, host::PixelDepth::kFloat32);
  ASSERT_TRUE(isOk(original->render(input, before)));

  host_.clearCommandLog();
  std::vector<std::unique_ptr<host::Instance>> made;
  ASSERT_TRUE(isOk(op.act(host_, *original, made)));
  std::vector<PF_Cmd> sent;
  for (const host::CommandRecord& record : host_.commandLog()) {
    EXPECT_TRUE(leftNothing(record));
    if (record.cmd == PF_Cmd_SEQUENCE_FLATTEN || record.cmd == PF_Cmd_SEQUENCE_RESETUP) {
      sent.push_back(record.cmd);
    }
  }
  EXPECT_EQ(sent, op.sent);
  if (op.fresh) expectFreshBlock(*original);
  for (const auto& instance : made) expectFreshBlock(*instance);
  EXPECT_EQ(host_.liveHandles(), 2u + made.size());

  made.push_back(std::move(original));
  for (const auto& instance : made) {
    host::World after(6, 4, host::PixelDepth::kFloat32);
    ASSERT_TRUE(isOk(instance->render(input, after)));
    EXPECT_TRUE(samePixelBytes(before, after));
    ASSERT_TRUE(isOk(instance->close()));
  }
  EXPECT_EQ(host_.liveHandles(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Each, ProjectOperationTest, ::testing::ValuesIn(kOperations),
                         [](const auto& info) { return std::string(info.param.name); });

// With mutable render-time sequence data each thread that renders in one
// render span keeps one copy of the block for all its frames; the span's
// end drops them, and a render outside a span drops its own at once.
TEST_F(SequenceDataTest, ARenderSpanKeepsOneCopyPerThread) {
  std::unique_ptr<host::Instance> instance;
  ASSERT_TRUE(isOk(host_.createInstance(instance)));
  host::World input(4, 2, host::PixelDepth::kFloat32);
  host::World output(4, 2, host::PixelDepth::kFloat32);
  ASSERT_TRUE(isOk(instance->render(input, output)));
  EXPECT_EQ(host_.liveHandles(), 2u);

  ASSERT_TRUE(isOk(instance->beginRender()));
  for (int frame = 0; frame < 3; ++frame) {
    ASSERT_TRUE(isOk(instance->render(input, output, {.currentTime = frame})));
  }
  EXPECT_EQ(host_.liveHandles(), 3u);
  std::thread other([&] {
    host::World otherOutput(4, 2, host::PixelDepth::kFloat32);
    for (int frame = 3; frame < 5; ++frame) {
      EXPECT_TRUE(isOk(instance->render(input, otherOutput, {.currentTime = frame})));
    }
  });
  other.join();
  EXPECT_EQ(host_.liveHandles(), 4u);
  ASSERT_TRUE(isOk(instance->endRender()));
  EXPECT_EQ(host_.liveHandles(), 2u);
  EXPECT_FALSE(instance->endRender().ok());
  for (const host::CommandRecord& record : host_.commandLog()) {
    EXPECT_TRUE(leftNothing(record));
  }
}

}  // namespace
}  // namespace kestrow::test
