#include "resources/pipl/PiPLLayout.h"

#include <cstring>
#include <stdexcept>
#include <string>

namespace {

void putU16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void putU32(std::vector<uint8_t>& out, uint32_t v) {
  putU16(out, v & 0xFFFF);
  putU16(out, v >> 16);
}

std::vector<uint8_t> propertyData(const PiPLProperty& p) {
  std::vector<uint8_t> data;
  switch (p.data) {
    case PiPLData::kU32:
      putU32(data, p.value);
      break;
    case PiPLData::kU16:
      putU16(data, p.value);
      break;
    case PiPLData::kVersionPair:
      putU16(data, p.major);
      putU16(data, p.minor);
      break;
    case PiPLData::kPascalText: {
      const size_t n = std::strlen(p.text);
      if (n > 255) {
        throw std::invalid_argument("PiPL text longer than 255 characters: " + std::string(p.text));
      }
      data.push_back(static_cast<uint8_t>(n));
      data.insert(data.end(), p.text, p.text + n);
      break;
    }
    case PiPLData::kCText:
      data.insert(data.end(), p.text, p.text + std::strlen(p.text) + 1);
      break;
  }
  return data;
}

}  // namespace

std::vector<uint8_t> WindowsPiPLBytes(std::span<const PiPLProperty> properties) {
  std::vector<uint8_t> out;
  putU16(out, 1);  // resource format
  putU32(out, 0);  // property list version
  putU32(out, static_cast<uint32_t>(properties.size()));
  for (const PiPLProperty& p : properties) {
    std::vector<uint8_t> data = propertyData(p);
    while (data.size() % 4 != 0) {
      data.push_back(0);
    }
    // A 16-bit value is padded like the rest but its length says 2.
    const uint32_t length = p.data == PiPLData::kU16 ? 2 : static_cast<uint32_t>(data.size());
    putU32(out, PIPL_VENDOR_8BIM);
    putU32(out, p.key);
    putU32(out, 0);  // property id
    putU32(out, length);
    out.insert(out.end(), data.begin(), data.end());
  }
  return out;
}
