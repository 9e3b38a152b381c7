#include "WindowsTestSupport.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

#ifdef _WIN32
#include <windows.h>
#endif

namespace kestrow::test {

#ifdef _WIN32
// The build puts the program, the plug-in and the PiPL file in one folder;
// finding them from the running program keeps the tests free of
// build-machine paths, which mean nothing under Wine or on another machine.
static std::filesystem::path programFolder() {
  std::wstring buffer(32768, L'\0');  // the longest path Windows has
  buffer.resize(GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size())));
  return std::filesystem::path(buffer).parent_path();
}
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
  if (expected == actual) return ::testing::AssertionSuccess();
  const auto [e, a] = std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end());
  ::testing::AssertionResult result = ::testing::AssertionFailure();
  result << "sizes: expected " << expected.size() << ", actual " << actual.size();
  if (e != expected.end() && a != actual.end()) {
    result << "; byte " << (e - expected.begin()) << ": expected " << int(*e) << ", actual "
           << int(*a);
  }
  return result;
}

}  // namespace kestrow::test
