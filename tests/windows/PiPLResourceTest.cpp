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

// The twelve properties as the effect describes itself, for the host's own
// encoder: an expectation independent of the plug-in's generator.
std::vector<host::PiPLProperty> expectedProperties() {
  auto property = [](std::uint32_t key, std::vector<std::uint8_t> data) {
    return host::PiPLProperty{PIPL_VENDOR_8BIM, key, 0, std::move(data)};
  };
  return {
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
  };
}

// The expected bytes with property `row` given another key and data.
std::vector<std::uint8_t> altered(std::size_t row, std::uint32_t key,
                                  std::vector<std::uint8_t> data) {
  std::vector<host::PiPLProperty> properties = expectedProperties();
  properties[row].key = key;
  properties[row].data = std::move(data);
  return host::encodePiPL(properties);
}

TEST(PiPLResource, IsTheGeneratorOutputWithTheWindowsEntryKey) {
  const std::vector<std::uint8_t> generated = readFileBytes(piplFile());
  ASSERT_FALSE(generated.empty()) << piplFile().string();
  EXPECT_TRUE(sameBytes(generated, piplResource(pluginFile())));
  EXPECT_TRUE(sameBytes(host::encodePiPL(expectedProperties()), generated));
  // The host finds it in the file the way it does before running any code.
  host::PiPL pipl;
  ASSERT_TRUE(isOk(host::Host::readPiPL(pluginFile(), pipl)));
  EXPECT_EQ(pipl.entryPoint, "EntryPointFunc");
  EXPECT_EQ(hex32(pipl.outFlags2), hex32(0x18021409));
}

// A copy of the plug-in in the temporary folder whose PIPL resource is
// replaced (or removed, for empty bytes); removed again on destruction.
struct AlteredCopy {
  AlteredCopy(const std::string& name, const std::vector<std::uint8_t>& pipl)
      : file(std::filesystem::temp_directory_path() / ("kestrow-" + name + ".aex")) {
    std::error_code ec;
    std::filesystem::copy_file(pluginFile(), file,
                               std::filesystem::copy_options::overwrite_existing, ec);
    if (ec) {
      error = "copy: " + ec.message();
      return;
    }
    // Deleting the one resource is done by dropping all of them: Wine's
    // UpdateResource keeps a resource it is asked to delete.
    HANDLE update = BeginUpdateResourceW(file.c_str(), pipl.empty());
    const BOOL updated =
        update != nullptr &&
        (pipl.empty() ||
         UpdateResourceW(update, L"PIPL", MAKEINTRESOURCEW(16000), kEnglishUS,
                         const_cast<std::uint8_t*>(pipl.data()), static_cast<DWORD>(pipl.size())));
    if (update == nullptr || !EndUpdateResourceW(update, !updated) || !updated) {
      error = "updating the resource: " + std::to_string(GetLastError());
    }
  }
  ~AlteredCopy() {
    std::error_code ec;
    std::filesystem::remove(file, ec);
  }
  AlteredCopy(const AlteredCopy&) = delete;
  AlteredCopy& operator=(const AlteredCopy&) = delete;

  std::filesystem::path file;
  std::string error;
};

// A DLL cut short is refused from its headers, before Windows maps it.
TEST(PiPLResource, TruncatedCopyIsRefusedBeforeAnyLoad) {
  const auto file = std::filesystem::temp_directory_path() / "kestrow-truncated.aex";
  std::filesystem::copy_file(pluginFile(), file, std::filesystem::copy_options::overwrite_existing);
  std::filesystem::resize_file(file, std::filesystem::file_size(file) / 2);
  host::Host host;
  const host::Status status = host.load(file);
  std::filesystem::remove(file);
  EXPECT_FALSE(isOk(status));
  EXPECT_NE(status.message.find(file.string() + ": truncated: section "), std::string::npos)
      << status.message;
  EXPECT_FALSE(host.loaded());
}

struct RefusalCase {
  const char* name;
  std::vector<std::uint8_t> pipl;  // empty: resource deleted
  host::StatusCode expected;
};

class RefusedPlugin : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(RefusedPlugin, IsNotLoadedAndLeavesNothing) {
  const RefusalCase& c = GetParam();
  AlteredCopy copy(c.name, c.pipl);
  ASSERT_EQ(copy.error, "");
  ASSERT_TRUE(sameBytes(c.pipl, piplResource(copy.file))) << "the copy's resource";
  host::Host host(host::HostOptions{.strict = true});
  const host::Status status = host.load(copy.file);
  EXPECT_EQ(std::string(host::statusCodeName(status.code)), host::statusCodeName(c.expected))
      << status.message;
  EXPECT_FALSE(host.loaded());
  EXPECT_EQ(host.liveHandles(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    PiPLResource, RefusedPlugin,
    ::testing::Values(
        RefusalCase{"NoResource", {}, host::StatusCode::kPiPLInvalid},
        RefusalCase{"LinuxEntryKey",
                    altered(3, PIPL_KEY_CODE_LINUX_X86_64, host::piplCString("EntryPointFunc")),
                    host::StatusCode::kPiPLInvalid},
        RefusalCase{"VersionDiffers",
                    altered(6, PIPL_KEY_AE_EFFECT_VERSION, host::piplU32(0x00118002)),
                    host::StatusCode::kPiPLMismatch},
        RefusalCase{"OutFlagsDiffer", altered(8, PIPL_KEY_AE_OUT_FLAGS, host::piplU32(0x06000443)),
                    host::StatusCode::kPiPLMismatch}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kestrow::test
