// The plug-in's PiPL (plug-in property list): parsing of the byte layout and
// the checks a host makes before it runs any of the plug-in's code.
//
// Byte layout (little-endian): u16 1, u32 list version 0, u32 count; then per
// property u32 vendor, u32 key, u32 id, u32 length, `length` data bytes, the
// next property starting at the next multiple of 4. Four-character codes are
// stored as little-endian 32-bit integers.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "kestrow/host/Status.h"

namespace kestrow::host {

struct PiPLProperty {
  std::uint32_t vendor = 0;  // '8BIM'
  std::uint32_t key = 0;     // four-character code, e.g. 'eVER'
  std::uint32_t id = 0;
  std::vector<std::uint8_t> data;  // `length` bytes as stored, padding included
};

// The parsed list. The typed fields are filled from the properties that
// carry them and keep their defaults when a property is absent; `properties`
// keeps every property in file order, unknown keys included.
struct PiPL {
  std::vector<PiPLProperty> properties;

  std::uint32_t kind = 0;
  std::string name;
  std::string category;
  std::string matchName;
  std::string entryPoint;  // under the current platform's code key
  std::uint16_t piplVersionMajor = 0, piplVersionMinor = 0;
  std::uint16_t specVersionMajor = 0, specVersionMinor = 0;
  std::uint32_t effectVersion = 0;
  std::uint16_t infoFlags = 0;
  std::uint32_t outFlags = 0;
  std::uint32_t outFlags2 = 0;
  std::uint32_t reservedInfo = 0;

  // The first property with this key, or null.
  const PiPLProperty* find(std::uint32_t key) const;
};

// The code key under which this platform's entry point is stored
// ('8664' on Windows x64, 'lx64' elsewhere).
std::uint32_t currentPlatformCodeKey();

// Parses `bytes`. Fails with kPiPLInvalid, naming the property index and
// the problem, when the header is wrong, a length runs past the end, or a
// known key carries data of the wrong size or form (string without room for
// its length byte or terminator, short integer). Never reads past `bytes`.
Status parsePiPL(std::span<const std::uint8_t> bytes, PiPL& out);

// The checks a host makes on a parsed list before loading code: kind is
// 'eFKT', name and match name present, an entry point for this platform,
// and a version and both flag words present. kPiPLInvalid on failure.
Status checkPiPL(const PiPL& pipl);

// Builds the byte layout from a property list: the inverse of parsePiPL.
// Each property's data is written as given and padded to a multiple of 4.
std::vector<std::uint8_t> encodePiPL(const std::vector<PiPLProperty>& properties);

// Property data helpers for building lists (tests, tools).
std::vector<std::uint8_t> piplPascalString(const std::string& text);  // length byte, padded
std::vector<std::uint8_t> piplCString(const std::string& text);       // zero-terminated, padded
std::vector<std::uint8_t> piplU32(std::uint32_t value);
std::vector<std::uint8_t> piplU16Pair(std::uint16_t first, std::uint16_t second);

// "eVER" for 'eVER'; bytes that are not printable show as '?'.
std::string fourCCToString(std::uint32_t code);

}  // namespace kestrow::host
