// The effect's PiPL: the static description the host reads before it loads
// any code. This table is the one source of the twelve properties; the
// build turns it into the platform's resource bytes.
#pragma once

#include <cstdint>

#include "AE_PiPL.h"
#include "resources/Kestrow_Capabilities.h"

// How a property's data is stored.
enum class PiPLData : uint8_t {
  kU32,          // one 32-bit value (four-character codes included)
  kPascalText,   // length byte, then the characters
  kCText,        // characters, then a zero byte
  kVersionPair,  // two 16-bit values, major first
  kU16           // one 16-bit value; its length counts only these 2 bytes
};

struct PiPLProperty {
  uint32_t key = 0;
  PiPLData data = PiPLData::kU32;
  uint32_t value = 0;          // kU32, kU16
  uint16_t major = 0;          // kVersionPair
  uint16_t minor = 0;          // kVersionPair
  const char* text = nullptr;  // kPascalText, kCText
};

// Entry point key of the platform the plug-in is built for. Linux builds
// run only under our own host, which reads it from the side file.
#if defined(_WIN32)
inline constexpr uint32_t kPiPLCodeKey = PIPL_KEY_CODE_WIN64_X86;
#else
inline constexpr uint32_t kPiPLCodeKey = PIPL_KEY_CODE_LINUX_X86_64;
#endif

inline constexpr PiPLProperty kKestrowPiPL[] = {
    {.key = PIPL_KEY_KIND, .data = PiPLData::kU32, .value = PIPL_KIND_EFFECT},
    {.key = PIPL_KEY_NAME, .data = PiPLData::kPascalText, .text = "Kestrow"},
    {.key = PIPL_KEY_CATEGORY, .data = PiPLData::kPascalText, .text = "Orvale"},
    {.key = kPiPLCodeKey, .data = PiPLData::kCText, .text = PF_ENTRY_POINT_NAME},
    {.key = PIPL_KEY_AE_PIPL_VERSION, .data = PiPLData::kVersionPair, .major = 2, .minor = 0},
    {.key = PIPL_KEY_AE_SPEC_VERSION, .data = PiPLData::kVersionPair, .major = 13, .minor = 27},
    {.key = PIPL_KEY_AE_EFFECT_VERSION, .data = PiPLData::kU32, .value = kKestrowVersion},
    {.key = PIPL_KEY_AE_INFO_FLAGS, .data = PiPLData::kU16, .value = 0},
    {.key = PIPL_KEY_AE_OUT_FLAGS,
     .data = PiPLData::kU32,
     .value = static_cast<uint32_t>(kKestrowOutFlags)},
    {.key = PIPL_KEY_AE_OUT_FLAGS_2,
     .data = PiPLData::kU32,
     .value = static_cast<uint32_t>(kKestrowOutFlags2)},
    {.key = PIPL_KEY_AE_MATCH_NAME, .data = PiPLData::kPascalText, .text = "Kestrow"},
    {.key = PIPL_KEY_AE_RESERVED_INFO, .data = PiPLData::kU32, .value = 8},
};
