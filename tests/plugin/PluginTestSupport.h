// Shared helpers of the plug-in's end-to-end tests: where the built plug-in
// lives, a host that has loaded it, and checks that report what differs.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "AE_Effect.h"
#include "kestrow/host/Host.h"
#include "kestrow/host/Instance.h"
#include "kestrow/host/TestHooks.h"

namespace kestrow::test {

namespace hooks = host::hooks;

std::filesystem::path pluginFile();  // Kestrow.so as built
std::filesystem::path piplFile();    // Kestrow.pipl beside it

std::vector<std::uint8_t> readFileBytes(const std::filesystem::path& file);

// "0x3f800000 (1)": a float's bit pattern and value, for messages.
std::string floatBits(float v);
// "0x00118001": a 32-bit value in hex, for messages.
std::string hex32(std::uint32_t v);

// The records of every `cmd` in the host's command log, in order.
std::vector<host::CommandRecord> commandsOf(const hooks::TestHost& host, PF_Cmd cmd);

// Passes when the command left nothing behind and kept the documented
// protocol (no stray calls, no misuse); otherwise names what it did.
::testing::AssertionResult leftNothing(const host::CommandRecord& record);
// Passes for an ok status; otherwise gives its code, PF_Err and message.
::testing::AssertionResult isOk(const host::Status& status);
// Passes when `size` bytes are equal; otherwise names the first differing
// byte with both values.
::testing::AssertionResult sameBytes(const void* expected, const void* actual, std::size_t size);

// A PF_OutData whose every byte is `fill`, so that any field a command
// writes shows up in a byte comparison.
PF_OutData filledOutData(std::uint8_t fill);

// A host with the plug-in loaded (global and parameter set-up done).
class LoadedPlugin : public ::testing::Test {
 protected:
  explicit LoadedPlugin(host::HostOptions options = {}) : host_(options) {}
  void SetUp() override;

  hooks::TestHost host_;
};

// The same with one effect instance made (sequence set-up done).
class PluginInstance : public LoadedPlugin {
 protected:
  using LoadedPlugin::LoadedPlugin;
  void SetUp() override;

  std::unique_ptr<host::Instance> instance_;
};

}  // namespace kestrow::test
