// The PiPL side file, byte for byte, and the host's reading of it.
#include <cstdint>
#include <string>
#include <vector>

#include "AE_PiPL.h"
#include "PluginTestSupport.h"
#include "kestrow/host/PiPL.h"

namespace kestrow::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct ExpectedProperty {
  const char* key;  // as written, e.g. "kind"; stored reversed
  std::uint32_t length;
  Bytes data;  // padding included
};

Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }
Bytes concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

const char* codeKey() {
#if defined(_WIN32)
  return "8664";
#else
  return "lx64";
#endif
}

std::vector<ExpectedProperty> expectedProperties() {
  return {
      {"kind", 4, text("TKFe")},
      {"name", 8, concat({7}, text("Kestrow"))},
      {"catg", 8, concat(concat({6}, text("Orvale")), {0})},
      {codeKey(), 16, concat(text("EntryPointFunc"), {0, 0})},
      {"ePVR", 4, {2, 0, 0, 0}},
      {"eSVR", 4, {13, 0, 27, 0}},
      {"eVER", 4, {0x01, 0x80, 0x11, 0x00}},
      {"eINF", 2, {0, 0, 0, 0}},
      {"eGLO", 4, {0x42, 0x04, 0x00, 0x06}},
      {"eGL2", 4, {0x09, 0x14, 0x02, 0x18}},
      {"eMNA", 8, concat({7}, text("Kestrow"))},
      {"aeFL", 4, {8, 0, 0, 0}},
  };
}

// Compares `expected` with the file at `*offset` and advances past it.
void expectBytesAt(const Bytes& file, std::size_t* offset, const Bytes& expected,
                   const std::string& what) {
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const std::size_t at = *offset + i;
    ASSERT_LT(at, file.size()) << what << ": file ends at byte " << file.size();
    EXPECT_EQ(expected[i], file[at]) << what << ": byte " << i << " at offset " << at;
  }
  *offset += expected.size();
}

Bytes u32(std::uint32_t v) {
  return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
          static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
}

TEST(PiPLBytes, EveryFieldOfTheResourceAsLaidOut) {
  const Bytes file = readFileBytes(piplFile());
  ASSERT_FALSE(file.empty()) << piplFile();

  std::size_t offset = 0;
  expectBytesAt(file, &offset, {1, 0}, "header: format");
  expectBytesAt(file, &offset, u32(0), "header: list version");
  expectBytesAt(file, &offset, u32(12), "header: property count");

  const std::vector<ExpectedProperty> props = expectedProperties();
  for (std::size_t i = 0; i < props.size(); ++i) {
    const std::string what = "property " + std::to_string(i + 1) + " '" + props[i].key + "'";
    const std::string key = props[i].key;
    expectBytesAt(file, &offset, text("MIB8"), what + " vendor");
    expectBytesAt(file, &offset, text(std::string(key.rbegin(), key.rend())), what + " key");
    expectBytesAt(file, &offset, u32(0), what + " id");
    expectBytesAt(file, &offset, u32(props[i].length), what + " length");
    expectBytesAt(file, &offset, props[i].data, what + " data");
  }
  EXPECT_EQ(offset, file.size()) << "bytes after the last property";
}

TEST(PiPLBytes, HostReadsWhatGlobalSetupAnnounces) {
  host::PiPL pipl;
  ASSERT_TRUE(isOk(host::Host::readPiPL(pluginFile(), pipl)));
  EXPECT_EQ(pipl.kind, static_cast<std::uint32_t>(PIPL_KIND_EFFECT));
  EXPECT_EQ(pipl.name, "Kestrow");
  EXPECT_EQ(pipl.matchName, pipl.name);
  EXPECT_EQ(pipl.category, "Orvale");
  EXPECT_EQ(pipl.entryPoint, PF_ENTRY_POINT_NAME);
  EXPECT_EQ(pipl.infoFlags, 0);
  EXPECT_EQ(pipl.reservedInfo, 8u);

  host::Host host;
  ASSERT_TRUE(isOk(host.load(pluginFile())));
  EXPECT_EQ(hex32(pipl.effectVersion), hex32(host.announcedVersion()));
  EXPECT_EQ(hex32(pipl.outFlags), hex32(static_cast<std::uint32_t>(host.announcedOutFlags())));
  EXPECT_EQ(hex32(pipl.outFlags2), hex32(static_cast<std::uint32_t>(host.announcedOutFlags2())));
}

}  // namespace
}  // namespace kestrow::test
