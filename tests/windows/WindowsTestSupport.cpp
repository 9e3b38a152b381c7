#include "WindowsTestSupport.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

#ifdef _WIN32
#include <windows.h>
#endif

namespace kestrow::test {
namespace {

#ifdef _WIN32
// The folder of the running test program. The build puts the program, the
// plug-in and the PiPL file in one folder; finding them from there keeps
// the tests free of build-machine paths, which mean nothing under Wine or
// on another machine.
std::filesystem::path programFolder() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) {
      buffer.resize(n);
      return std::filesystem::path(buffer).parent_path();
    }
    buffer.resize(buffer.size() * 2);
  }
}
#endif

}  // namespace

#ifdef _WIN32
std::filesystem::path pluginFile() { return programFolder() / L"Kestrow.aex"; }
std::filesystem::path piplFile() { return programFolder() / L"Kestrow.pipl"; }
#else
std::filesystem::path pluginFile() { return KESTROW_PLUGIN_FILE; }
std::filesystem::path piplFile() { return KESTROW_PIPL_FILE; }
#endif

std::vector<std::uint8_t> readFileBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string hex32(std::uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08x", static_cast<unsigned>(v));
  return buf;
}

::testing::AssertionResult isOk(const host::Status& status) {
  if (status.ok()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << host::statusCodeName(status.code) << " (PF_Err "
                                       << status.pfErr << "): " << status.message;
}

::testing::AssertionResult leftNothing(const host::CommandRecord& record) {
  if (record.leaks.empty() && record.strayCalls == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << host::commandName(record.cmd) << " left: " << record.leaks.describe()
         << " stray calls: " << record.strayCalls;
}

::testing::AssertionResult sameBytes(const std::vector<std::uint8_t>& expected,
                                     const std::vector<std::uint8_t>& actual) {
  const std::size_t common = std::min(expected.size(), actual.size());
  for (std::size_t i = 0; i < common; ++i) {
    if (expected[i] != actual[i]) {
      return ::testing::AssertionFailure()
             << "byte " << i << ": expected " << int(expected[i]) << ", actual " << int(actual[i])
             << " (sizes " << expected.size() << " and " << actual.size() << ")";
    }
  }
  if (expected.size() != actual.size()) {
    return ::testing::AssertionFailure()
           << "sizes differ: expected " << expected.size() << ", actual " << actual.size();
  }
  return ::testing::AssertionSuccess();
}

}  // namespace kestrow::test
