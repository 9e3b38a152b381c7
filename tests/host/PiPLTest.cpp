#include "kestrow/host/PiPL.h"

#include <gtest/gtest.h>

#include "AE_PiPL.h"

namespace kestrow::host {
namespace {

PiPLProperty prop(std::uint32_t key, std::vector<std::uint8_t> data) {
  return {PIPL_VENDOR_8BIM, key, 0, std::move(data)};
}

// An effect's full list, in the order a plug-in stores it.
std::vector<PiPLProperty> effectList() {
  std::vector<std::uint8_t> info{0, 0};  // 16-bit value; the encoder pads it
  return {prop(PIPL_KEY_KIND, piplU32(PIPL_KIND_EFFECT)),
          prop(PIPL_KEY_NAME, piplPascalString("Kestrow")),
          prop(PIPL_KEY_CATEGORY, piplPascalString("Orvale")),
          prop(currentPlatformCodeKey(), piplCString("EntryPointFunc")),
          prop(PIPL_KEY_AE_PIPL_VERSION, piplU16Pair(2, 0)),
          prop(PIPL_KEY_AE_SPEC_VERSION, piplU16Pair(13, 27)),
          prop(PIPL_KEY_AE_EFFECT_VERSION, piplU32(0x00118001)),
          prop(PIPL_KEY_AE_INFO_FLAGS, info),
          prop(PIPL_KEY_AE_OUT_FLAGS, piplU32(0x06000442)),
          prop(PIPL_KEY_AE_OUT_FLAGS_2, piplU32(0x18021409)),
          prop(PIPL_KEY_AE_MATCH_NAME, piplPascalString("Kestrow")),
          prop(PIPL_KEY_AE_RESERVED_INFO, piplU32(8))};
}

TEST(PiPLTest, EncodedListParsesBackIntoEveryField) {
  PiPL pipl;
  ASSERT_TRUE(parsePiPL(encodePiPL(effectList()), pipl).ok());
  EXPECT_TRUE(checkPiPL(pipl).ok());
  EXPECT_EQ(pipl.properties.size(), 12u);
  EXPECT_EQ(pipl.kind, PIPL_KIND_EFFECT);
  EXPECT_EQ(pipl.name, "Kestrow");
  EXPECT_EQ(pipl.category, "Orvale");
  EXPECT_EQ(pipl.matchName, "Kestrow");
  EXPECT_EQ(pipl.entryPoint, "EntryPointFunc");
  EXPECT_EQ(pipl.piplVersionMajor, 2);
  EXPECT_EQ(pipl.specVersionMajor, 13);
  EXPECT_EQ(pipl.specVersionMinor, 27);
  EXPECT_EQ(pipl.effectVersion, 0x00118001u);
  EXPECT_EQ(pipl.outFlags, 0x06000442u);
  EXPECT_EQ(pipl.outFlags2, 0x18021409u);
  EXPECT_EQ(pipl.reservedInfo, 8u);
  // The 2-byte info flags keep their stored length; padding is not data.
  EXPECT_EQ(pipl.find(PIPL_KEY_AE_INFO_FLAGS)->data.size(), 2u);
}

TEST(PiPLTest, LayoutIsLittleEndianWithPaddingCountedFromEachProperty) {
  const std::vector<std::uint8_t> bytes = encodePiPL(
      {prop(PIPL_KEY_KIND, piplU32(PIPL_KIND_EFFECT)), prop(PIPL_KEY_AE_INFO_FLAGS, {0, 0}),
       prop(PIPL_KEY_AE_RESERVED_INFO, piplU32(8))});
  const std::vector<std::uint8_t> header{1, 0, 0, 0, 0, 0, 3, 0, 0, 0};
  EXPECT_TRUE(std::equal(header.begin(), header.end(), bytes.begin()));
  // '8BIM' then 'kind', each a little-endian 32-bit integer.
  EXPECT_EQ(std::string(bytes.begin() + 10, bytes.begin() + 18), "MIB8dnik");
  // 10 header + 20 kind + 16 + 2 info + 2 padding, then the last property.
  ASSERT_EQ(bytes.size(), 10u + 20u + 20u + 20u);
  EXPECT_EQ(std::string(bytes.begin() + 54, bytes.begin() + 58), "LFea");
}

struct Malformed {
  const char* what;
  std::vector<std::uint8_t> bytes;
};

std::vector<std::uint8_t> withByte(std::vector<std::uint8_t> bytes, std::size_t at,
                                   std::uint8_t v) {
  bytes.at(at) = v;
  return bytes;
}

std::vector<std::uint8_t> single(std::uint32_t key, std::vector<std::uint8_t> data) {
  return encodePiPL({prop(key, std::move(data))});
}

class MalformedPiPLTest : public testing::TestWithParam<Malformed> {};

TEST_P(MalformedPiPLTest, IsRejectedWithAMessage) {
  PiPL pipl;
  const Status status = parsePiPL(GetParam().bytes, pipl);
  EXPECT_EQ(status.code, StatusCode::kPiPLInvalid) << GetParam().what;
  EXPECT_FALSE(status.message.empty());
}

const std::vector<std::uint8_t> kValid = encodePiPL(effectList());

INSTANTIATE_TEST_SUITE_P(
    Table, MalformedPiPLTest,
    testing::Values(Malformed{"empty", {}}, Malformed{"header cut short", {1, 0, 0, 0}},
                    Malformed{"first word not 1", withByte(kValid, 0, 2)},
                    Malformed{"list version not 0", withByte(kValid, 2, 1)},
                    Malformed{"more properties announced than stored", withByte(kValid, 6, 13)},
                    Malformed{"length runs past the end", withByte(kValid, 10 + 15, 0xFF)},
                    Malformed{"vendor not 8BIM", withByte(kValid, 10, 'X')},
                    Malformed{"name length beyond its data",
                              single(PIPL_KEY_NAME, {9, 'K', 'e', 0})},
                    Malformed{"name without data", single(PIPL_KEY_NAME, {})},
                    Malformed{"entry point not terminated",
                              single(currentPlatformCodeKey(), {'E', 'n', 't', 'r'})},
                    Malformed{"version too short", single(PIPL_KEY_AE_EFFECT_VERSION, {1, 0})},
                    Malformed{"flags too short", single(PIPL_KEY_AE_OUT_FLAGS_2, {})}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST(PiPLTest, EveryTruncationFailsCleanlyOrParses) {
  // Under the sanitizers this proves no prefix makes the parser read past
  // its input; only the full list (or one missing just the last padding)
  // may parse.
  for (std::size_t n = 0; n < kValid.size(); ++n) {
    PiPL pipl;
    const std::vector<std::uint8_t> prefix(kValid.begin(), kValid.begin() + n);
    const Status status = parsePiPL(prefix, pipl);
    EXPECT_FALSE(status.ok()) << "prefix of " << n << " bytes parsed";
  }
}

struct CheckCase {
  const char* what;
  std::uint32_t dropKey;     // property left out (0: none)
  std::uint32_t replaceKey;  // property whose data is replaced (0: none)
  std::vector<std::uint8_t> replacement;
};

class PiPLCheckTest : public testing::TestWithParam<CheckCase> {};

TEST_P(PiPLCheckTest, RefusesAnIncompleteEffect) {
  std::vector<PiPLProperty> list;
  for (PiPLProperty& p : effectList()) {
    if (p.key == GetParam().dropKey) continue;
    if (p.key == GetParam().replaceKey) p.data = GetParam().replacement;
    list.push_back(p);
  }
  PiPL pipl;
  ASSERT_TRUE(parsePiPL(encodePiPL(list), pipl).ok()) << GetParam().what;
  const Status status = checkPiPL(pipl);
  EXPECT_EQ(status.code, StatusCode::kPiPLInvalid) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Table, PiPLCheckTest,
    testing::Values(CheckCase{"not an effect", 0, PIPL_KEY_KIND,
                              piplU32(PF_FOURCC('A', 'E', 'G', 'P'))},
                    CheckCase{"no kind", PIPL_KEY_KIND, 0, {}},
                    CheckCase{"empty name", 0, PIPL_KEY_NAME, piplPascalString("")},
                    CheckCase{"no match name", PIPL_KEY_AE_MATCH_NAME, 0, {}},
                    CheckCase{"no entry point for this platform", currentPlatformCodeKey(), 0, {}},
                    CheckCase{"empty entry point", 0, currentPlatformCodeKey(), piplCString("")},
                    CheckCase{"no version", PIPL_KEY_AE_EFFECT_VERSION, 0, {}},
                    CheckCase{"no out flags", PIPL_KEY_AE_OUT_FLAGS, 0, {}},
                    CheckCase{"no out flags 2", PIPL_KEY_AE_OUT_FLAGS_2, 0, {}}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST(PiPLTest, OtherPlatformsEntryPointIsKeptButNotUsed) {
  std::vector<PiPLProperty> list = effectList();
  list[3].key = currentPlatformCodeKey() == PIPL_KEY_CODE_WIN64_X86 ? PIPL_KEY_CODE_LINUX_X86_64
                                                                    : PIPL_KEY_CODE_WIN64_X86;
  PiPL pipl;
  ASSERT_TRUE(parsePiPL(encodePiPL(list), pipl).ok());
  EXPECT_EQ(pipl.entryPoint, "");
  EXPECT_NE(pipl.find(list[3].key), nullptr);
}

TEST(PiPLTest, FourCCNamesShowUnprintableBytes) {
  EXPECT_EQ(fourCCToString(PIPL_KEY_AE_OUT_FLAGS_2), "eGL2");
  EXPECT_EQ(fourCCToString(0x41000A42), "A??B");
}

}  // namespace
}  // namespace kestrow::host
