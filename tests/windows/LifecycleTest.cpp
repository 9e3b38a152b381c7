// Kestrow.aex driven by our host under Windows through the whole call order
// the real host uses: load (PiPL from the resource, global and parameter
// set-up), an instance, a threaded render, set-down and unload, with
// nothing left behind by any command.
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "AE_Effect.h"
#include "WindowsTestSupport.h"
#include "kestrow/host/Host.h"
#include "kestrow/host/Instance.h"
#include "kestrow/host/TestHooks.h"
#include "kestrow/host/World.h"

namespace kestrow::test {
namespace {

std::vector<PF_Cmd> commands(const host::hooks::TestHost& host) {
  std::vector<PF_Cmd> cmds;
  for (const host::CommandRecord& r : host.commandLog()) cmds.push_back(r.cmd);
  return cmds;
}

// Two workers: the row function runs on threads of the Windows runtime.
// After the unload, a second load starts from scratch, as when the real
// host unloads an unused plug-in and loads it again later.
TEST(Lifecycle, LoadSetUpRenderUnloadAndReloadLeaveNothing) {
  host::hooks::TestHost host(host::HostOptions{.iterateThreads = 2, .strict = true});
  ASSERT_TRUE(isOk(host.load(pluginFile())));
  EXPECT_EQ(commands(host), (std::vector<PF_Cmd>{PF_Cmd_GLOBAL_SETUP, PF_Cmd_PARAMS_SETUP}));
  EXPECT_EQ(hex32(host.announcedVersion()), hex32(0x00118001));
  EXPECT_EQ(hex32(host.announcedOutFlags()), hex32(0x06000442));
  EXPECT_EQ(hex32(host.announcedOutFlags2()), hex32(0x18021409));
  EXPECT_EQ(host.params().size(), 27u);  // the input layer and 26 controls
  EXPECT_NE(host.registeredPluginId(), 0);

  std::unique_ptr<host::Instance> instance;
  ASSERT_TRUE(isOk(host.createInstance(instance)));
  const std::vector<std::uint8_t> block = instance->sequenceData();
  ASSERT_EQ(block.size(), 9688u);
  std::int32_t mode = 0;
  std::memcpy(&mode, block.data(), sizeof mode);
  EXPECT_EQ(mode, -1);

  // "Circle" at its defaults (radius 2.5) on positions along X: 1 inside
  // the ball, 0 outside.
  constexpr int kWidth = 12, kHeight = 6;
  host::World input(kWidth, kHeight, host::PixelDepth::kFloat32);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) *input.pixelFloat(x, y) = {1.0f, 0.25f * x, 0.0f, 0.0f};
  }
  host::World output(kWidth, kHeight, host::PixelDepth::kFloat32, 32);
  ASSERT_TRUE(isOk(instance->render(input, output)));
  EXPECT_EQ(host.lastCommand().iterateRows, kHeight);
  EXPECT_TRUE(host::hooks::paddingIntact(output));
  for (int y = 0; y < kHeight; ++y) {
    EXPECT_EQ(output.pixelFloat(0, y)->alpha, 1.0f) << "row " << y;
    EXPECT_EQ(output.pixelFloat(kWidth - 1, y)->alpha, 0.0f) << "row " << y;
  }

  ASSERT_TRUE(isOk(instance->close()));
  ASSERT_TRUE(isOk(host.unload()));
  EXPECT_FALSE(host.loaded());
  EXPECT_EQ(host.liveHandles(), 0u);
  const std::vector<PF_Cmd> sent = commands(host);
  ASSERT_GE(sent.size(), 2u);
  EXPECT_EQ(sent[sent.size() - 2], PF_Cmd_SEQUENCE_SETDOWN);
  EXPECT_EQ(sent.back(), PF_Cmd_GLOBAL_SETDOWN);
  for (const host::CommandRecord& r : host.commandLog()) EXPECT_TRUE(leftNothing(r));

  ASSERT_TRUE(isOk(host.load(pluginFile())));
  ASSERT_TRUE(isOk(host.unload()));
  EXPECT_EQ(host.liveHandles(), 0u);
}

}  // namespace
}  // namespace kestrow::test
