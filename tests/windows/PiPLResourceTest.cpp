// The PiPL inside Kestrow.aex, read the way the host reads it before it
// runs any code: a resource of type PIPL, id 16000, language 1033. The bytes
// must be the generator's, carry the Windows entry key, and a plug-in whose
// resource is missing or disagrees with global set-up must be refused.
#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "AE_PiPL.h"
#include "WindowsTestSupport.h"
#include "kestrow/host/Host.h"
#include "kestrow/host/PiPL.h"

namespace kestrow::test {
namespace {

constexpr WORD kEnglishUS = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
static_assert(kEnglishUS == 1033);

// The resource bytes, loaded as data only; empty when there is none.
std::vector<std::uint8_t> piplResource(const std::filesystem::path& file) {
  std::vector<std::uint8_t> bytes;
  HMODULE module = LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (module == nullptr) return bytes;
  HRSRC res = FindResourceExW(module, L"PIPL", MAKEINTRESOURCEW(16000), kEnglishUS);
  if (res != nullptr) {
    HGLOBAL loaded = LoadResource(module, res);
    const auto* data = static_cast<const std::uint8_t*>(loaded ? LockResource(loaded) : nullptr);
    if (data != nullptr) bytes.assign(data, data + SizeofResource(module, res));
  }
  FreeLibrary(module);
  return bytes;
}

// The twelve properties as the effect describes itself, encoded with the
// host's own encoder: an expectation independent of the plug-in's generator.
std::vector<std::uint8_t> expectedPiPL() {
  auto property = [](std::uint32_t key, std::vector<std::uint8_t> data) {
    return host::PiPLProperty{PIPL_VENDOR_8BIM, key, 0, std::move(data)};
  };
  return host::encodePiPL({
      property(PIPL_KEY_KIND, host::piplU32(PIPL_KIND_EFFECT)),
      property(PIPL_KEY_NAME, host::piplPascalString("Kestrow")),
      property(PIPL_KEY_CATEGORY, host::piplPascalString("Orvale")),
      property(PIPL_KEY_CODE_WIN64_X86, host::piplCString("EntryPointFunc")),
      property(PIPL_KEY_AE_PIPL_VERSION, host::piplU16Pair(2, 0)),
      property(PIPL_KEY_AE_SPEC_VERSION, host::piplU16Pair(13, 27)),
      property(PIPL_KEY_AE_EFFECT_VERSION, host::piplU32(0x00118001)),
      property(PIPL_KEY_AE_INFO_FLAGS, {0, 0}),  // length 2, then 2 padding bytes
      property(PIPL_KEY_AE_OUT_FLAGS, host::piplU32(0x06000442)),
      property(PIPL_KEY_AE_OUT_FLAGS_2, host::piplU32(0x18021409)),
      property(PIPL_KEY_AE_MATCH_NAME, host::piplPascalString("Kestrow")),
      property(PIPL_KEY_AE_RESERVED_INFO, host::piplU32(8)),
  });
}

TEST(PiPLResource, IsTheGeneratorOutput) {
  const std::vector<std::uint8_t> generated = readFileBytes(piplFile());
  ASSERT_FALSE(generated.empty()) << piplFile().string();
  EXPECT_TRUE(sameBytes(generated, piplResource(pluginFile())));
}

TEST(PiPLResource, HasTheSpecifiedLayoutWithTheWindowsEntryKey) {
  const std::vector<std::uint8_t> bytes = piplResource(pluginFile());
  EXPECT_TRUE(sameBytes(expectedPiPL(), bytes));
  // Row 4 spelled out: '8664' stored little-endian, the name zero-terminated.
  host::PiPL pipl;
  ASSERT_TRUE(isOk(host::parsePiPL(bytes, pipl)));
  ASSERT_EQ(pipl.properties.size(), 12u);
  EXPECT_EQ(hex32(pipl.properties[3].key), hex32(0x38363634));
  EXPECT_EQ(pipl.entryPoint, "EntryPointFunc");
}

TEST(PiPLResource, HostReadsItWithoutRunningCode) {
  host::PiPL pipl;
  ASSERT_TRUE(isOk(host::Host::readPiPL(pluginFile(), pipl)));
  EXPECT_EQ(pipl.name, "Kestrow");
  EXPECT_EQ(pipl.matchName, "Kestrow");
  EXPECT_EQ(pipl.category, "Orvale");
  EXPECT_EQ(pipl.entryPoint, "EntryPointFunc");
  EXPECT_EQ(hex32(pipl.effectVersion), hex32(0x00118001));
  EXPECT_EQ(hex32(pipl.outFlags), hex32(0x06000442));
  EXPECT_EQ(hex32(pipl.outFlags2), hex32(0x18021409));
}

// A copy of the plug-in in the temporary folder whose PIPL resource is
// replaced (or removed, for empty bytes). Removed again on destruction.
class AlteredCopy {
 public:
  AlteredCopy(const std::string& name, const std::vector<std::uint8_t>& pipl)
      : file_(std::filesystem::temp_directory_path() / ("kestrow-" + name + ".aex")) {
    std::error_code ec;
    std::filesystem::copy_file(pluginFile(), file_,
                               std::filesystem::copy_options::overwrite_existing, ec);
    if (ec) {
      error_ = "copy: " + ec.message();
      return;
    }
    // Deleting the one resource is done by dropping all of them: Wine's
    // UpdateResource keeps a resource it is asked to delete.
    const bool remove = pipl.empty();
    HANDLE update = BeginUpdateResourceW(file_.c_str(), remove);
    if (update == nullptr) {
      error_ = "BeginUpdateResource: " + std::to_string(GetLastError());
      return;
    }
    BOOL updated = TRUE;
    if (!remove) {
      updated =
          UpdateResourceW(update, L"PIPL", MAKEINTRESOURCEW(16000), kEnglishUS,
                          const_cast<std::uint8_t*>(pipl.data()), static_cast<DWORD>(pipl.size()));
    }
    if (!EndUpdateResourceW(update, !updated) || !updated) {
      error_ = "UpdateResource: " + std::to_string(GetLastError());
    }
  }
  ~AlteredCopy() {
    std::error_code ec;
    std::filesystem::remove(file_, ec);
  }
  AlteredCopy(const AlteredCopy&) = delete;
  AlteredCopy& operator=(const AlteredCopy&) = delete;

  const std::filesystem::path& file() const { return file_; }
  const std::string& error() const { return error_; }

 private:
  std::filesystem::path file_;
  std::string error_;
};

// The generator's bytes with the 32-bit value at `offset` replaced.
std::vector<std::uint8_t> withWord(std::size_t offset, std::uint32_t value) {
  std::vector<std::uint8_t> bytes = readFileBytes(piplFile());
  for (std::size_t i = 0; i < 4 && offset + i < bytes.size(); ++i) {
    bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
  return bytes;
}

// Offsets into the generated bytes: the 10-byte header, then per property
// 16 header bytes and data padded to 4.
constexpr std::size_t kEntryKeyOffset = 10 + 20 + 24 + 24 + 4;  // row 4's key
constexpr std::size_t kVersionData = 10 + 20 + 24 + 24 + 32 + 20 + 20 + 16;
constexpr std::size_t kOutFlagsData = kVersionData + 4 + 20 + 16;

struct RefusalCase {
  const char* name;
  std::vector<std::uint8_t> pipl;  // empty: resource deleted
  host::StatusCode expected;
};

class RefusedPlugin : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(RefusedPlugin, IsNotLoadedAndLeavesNothing) {
  const RefusalCase& c = GetParam();
  AlteredCopy copy(c.name, c.pipl);
  ASSERT_EQ(copy.error(), "");
  ASSERT_TRUE(sameBytes(c.pipl, piplResource(copy.file()))) << "the copy's resource";
  host::Host host(host::HostOptions{.strict = true});
  const host::Status status = host.load(copy.file());
  EXPECT_EQ(std::string(host::statusCodeName(status.code)), host::statusCodeName(c.expected))
      << status.message;
  EXPECT_FALSE(host.loaded());
  EXPECT_EQ(host.liveHandles(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    PiPLResource, RefusedPlugin,
    ::testing::Values(RefusalCase{"NoResource", {}, host::StatusCode::kPiPLInvalid},
                      RefusalCase{"LinuxEntryKey",
                                  withWord(kEntryKeyOffset, PIPL_KEY_CODE_LINUX_X86_64),
                                  host::StatusCode::kPiPLInvalid},
                      RefusalCase{"VersionDiffers", withWord(kVersionData, 0x00118002),
                                  host::StatusCode::kPiPLMismatch},
                      RefusalCase{"OutFlagsDiffer", withWord(kOutFlagsData, 0x06000443),
                                  host::StatusCode::kPiPLMismatch}),
    [](const auto& info) { return std::string(info.param.name); });

// The offsets above point where they claim to.
TEST(PiPLResource, AlterationOffsetsHitTheirFields) {
  const std::vector<std::uint8_t> bytes = readFileBytes(piplFile());
  ASSERT_GE(bytes.size(), kOutFlagsData + 4);
  auto word = [&](std::size_t at) {
    return std::uint32_t(bytes[at]) | std::uint32_t(bytes[at + 1]) << 8 |
           std::uint32_t(bytes[at + 2]) << 16 | std::uint32_t(bytes[at + 3]) << 24;
  };
  EXPECT_EQ(hex32(word(kEntryKeyOffset)), hex32(PIPL_KEY_CODE_WIN64_X86));
  EXPECT_EQ(hex32(word(kVersionData - 12)), hex32(PIPL_KEY_AE_EFFECT_VERSION));
  EXPECT_EQ(hex32(word(kVersionData)), hex32(0x00118001));
  EXPECT_EQ(hex32(word(kOutFlagsData - 12)), hex32(PIPL_KEY_AE_OUT_FLAGS));
  EXPECT_EQ(hex32(word(kOutFlagsData)), hex32(0x06000442));
}

}  // namespace
}  // namespace kestrow::test
