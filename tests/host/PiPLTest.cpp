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

using Bytes = std::vector<std::uint8_t>;

const Bytes kValid = encodePiPL(effectList());

Bytes withByte(Bytes bytes, std::size_t at, std::uint8_t v) {
  bytes.at(at) = v;
  return bytes;
}
Bytes single(std::uint32_t key, Bytes data) { return encodePiPL({prop(key, std::move(data))}); }
// The effect's list without `key`, or with `key`'s data replaced.
Bytes edited(std::uint32_t key, const Bytes* data = nullptr) {
  std::vector<PiPLProperty> list;
  for (PiPLProperty& p : effectList()) {
    if (p.key == key && data == nullptr) continue;
    if (p.key == key) p.data = *data;
    list.push_back(p);
  }
  return encodePiPL(list);
}
Bytes replaced(std::uint32_t key, Bytes data) { return edited(key, &data); }

struct Refused {
  const char* what;
  Bytes bytes;
  bool parses;  // well-formed, but not a usable effect
};

class RefusedPiPLTest : public testing::TestWithParam<Refused> {};

TEST_P(RefusedPiPLTest, IsRefusedWithAMessage) {
  PiPL pipl;
  Status status = parsePiPL(GetParam().bytes, pipl);
  EXPECT_EQ(status.ok(), GetParam().parses) << GetParam().what << ": " << status.message;
  if (status.ok()) status = checkPiPL(pipl);
  EXPECT_EQ(status.code, StatusCode::kPiPLInvalid) << GetParam().what;
  EXPECT_FALSE(status.message.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, RefusedPiPLTest,
    testing::Values(
        Refused{"empty", {}, false}, Refused{"header cut short", {1, 0, 0, 0}, false},
        Refused{"first word not 1", withByte(kValid, 0, 2), false},
        Refused{"list version not 0", withByte(kValid, 2, 1), false},
        Refused{"more properties announced than stored", withByte(kValid, 6, 13), false},
        Refused{"length runs past the end", withByte(kValid, 10 + 15, 0xFF), false},
        Refused{"vendor not 8BIM", withByte(kValid, 10, 'X'), false},
        Refused{"name length beyond its data", single(PIPL_KEY_NAME, {9, 'K', 'e', 0}), false},
        Refused{"name without data", single(PIPL_KEY_NAME, {}), false},
        Refused{"entry point not terminated",
                single(currentPlatformCodeKey(), {'E', 'n', 't', 'r'}), false},
        Refused{"version too short", single(PIPL_KEY_AE_EFFECT_VERSION, {1, 0}), false},
        Refused{"flags too short", single(PIPL_KEY_AE_OUT_FLAGS_2, {}), false},
        Refused{"not an effect", replaced(PIPL_KEY_KIND, piplU32(PF_FOURCC('A', 'E', 'G', 'P'))),
                true},
        Refused{"no kind", edited(PIPL_KEY_KIND), true},
        Refused{"empty name", replaced(PIPL_KEY_NAME, piplPascalString("")), true},
        Refused{"no match name", edited(PIPL_KEY_AE_MATCH_NAME), true},
        Refused{"no entry point for this platform", edited(currentPlatformCodeKey()), true},
        Refused{"empty entry point", replaced(currentPlatformCodeKey(), piplCString("")), true},
        Refused{"no version", edited(PIPL_KEY_AE_EFFECT_VERSION), true},
        Refused{"no out flags", edited(PIPL_KEY_AE_OUT_FLAGS), true},
        Refused{"no out flags 2", edited(PIPL_KEY_AE_OUT_FLAGS_2), true}));

// Under the sanitizers this proves no prefix makes the parser read past its
// input; no prefix parses.
TEST(PiPLTest, EveryTruncationFailsCleanly) {
  for (std::size_t n = 0; n < kValid.size(); ++n) {
    PiPL pipl;
    EXPECT_FALSE(parsePiPL(Bytes(kValid.begin(), kValid.begin() + n), pipl).ok())
        << "prefix of " << n << " bytes parsed";
  }
}

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
