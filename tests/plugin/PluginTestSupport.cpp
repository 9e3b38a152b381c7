#include "PluginTestSupport.h"

#include <bit>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

namespace kestrow::test {

std::filesystem::path pluginFile() { return KESTROW_PLUGIN_FILE; }
std::filesystem::path piplFile() { return KESTROW_PIPL_FILE; }

std::vector<std::uint8_t> readFileBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string floatBits(float v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "0x%08x (%.9g)", std::bit_cast<std::uint32_t>(v),
                static_cast<double>(v));
  return buf;
}

std::string hex32(std::uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08x", v);
  return buf;
}

std::vector<host::CommandRecord> commandsOf(const hooks::TestHost& host, PF_Cmd cmd) {
  std::vector<host::CommandRecord> found;
  for (const host::CommandRecord& r : host.commandLog()) {
    if (r.cmd == cmd) found.push_back(r);
  }
  return found;
}

::testing::AssertionResult leftNothing(const host::CommandRecord& record) {
  if (record.leaks.empty() && record.strayCalls == 0 && record.misuses.empty()) {
    return ::testing::AssertionSuccess();
  }
  std::string misuses;
  for (const std::string& m : record.misuses) misuses += "\n  misuse: " + m;
  return ::testing::AssertionFailure()
         << host::commandName(record.cmd) << " left: " << record.leaks.describe()
         << " stray calls: " << record.strayCalls << misuses;
}

::testing::AssertionResult isOk(const host::Status& status) {
  if (status.ok()) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << host::statusCodeName(status.code) << " (PF_Err "
                                       << status.pfErr << "): " << status.message;
}

::testing::AssertionResult sameBytes(const void* expected, const void* actual, std::size_t size) {
  const auto* e = static_cast<const std::uint8_t*>(expected);
  const auto* a = static_cast<const std::uint8_t*>(actual);
  for (std::size_t i = 0; i < size; ++i) {
    if (e[i] != a[i]) {
      return ::testing::AssertionFailure() << "byte " << i << " of " << size << ": expected "
                                           << int(e[i]) << ", actual " << int(a[i]);
    }
  }
  return ::testing::AssertionSuccess();
}

PF_OutData filledOutData(std::uint8_t fill) {
  PF_OutData out;
  std::memset(&out, fill, sizeof out);
  return out;
}

void LoadedPlugin::SetUp() { ASSERT_TRUE(isOk(host_.load(pluginFile()))); }

void PluginInstance::SetUp() {
  LoadedPlugin::SetUp();
  if (HasFatalFailure()) return;
  ASSERT_TRUE(isOk(host_.createInstance(instance_)));
}

}  // namespace kestrow::test
