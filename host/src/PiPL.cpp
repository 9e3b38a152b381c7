#include "kestrow/host/PiPL.h"

#include <algorithm>
#include <cstring>

#include "AE_PiPL.h"

namespace kestrow::host {
namespace {

std::uint32_t readU32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
         std::uint32_t(p[3]) << 24;
}

std::uint16_t readU16(const std::uint8_t* p) { return std::uint16_t(p[0] | p[1] << 8); }

void appendU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(std::uint8_t(v >> (8 * i)));
}

void padTo4(std::vector<std::uint8_t>& bytes) {
  while (bytes.size() % 4 != 0) bytes.push_back(0);
}

Status invalid(std::size_t index, const PiPLProperty& prop, const std::string& problem) {
  return Status::error(StatusCode::kPiPLInvalid, "PiPL property " + std::to_string(index) + " ('" +
                                                     fourCCToString(prop.key) + "'): " + problem);
}

// Length byte then characters; the byte must fit inside the data.
bool pascalString(const PiPLProperty& prop, std::string& out) {
  if (prop.data.empty() || std::size_t(prop.data[0]) + 1 > prop.data.size()) return false;
  out.assign(reinterpret_cast<const char*>(prop.data.data()) + 1, prop.data[0]);
  return true;
}

// Characters up to a terminator that must lie inside the data.
bool cString(const PiPLProperty& prop, std::string& out) {
  const void* end = std::memchr(prop.data.data(), 0, prop.data.size());
  if (end == nullptr) return false;
  out.assign(reinterpret_cast<const char*>(prop.data.data()),
             static_cast<const std::uint8_t*>(end) - prop.data.data());
  return true;
}

bool u32(const PiPLProperty& prop, std::uint32_t& out) {
  if (prop.data.size() < 4) return false;
  out = readU32(prop.data.data());
  return true;
}

bool u16Pair(const PiPLProperty& prop, std::uint16_t& first, std::uint16_t& second) {
  if (prop.data.size() < 4) return false;
  first = readU16(prop.data.data());
  second = readU16(prop.data.data() + 2);
  return true;
}

// Fills the typed field a known key carries; unknown keys are kept as they are.
Status interpret(std::size_t index, const PiPLProperty& prop, PiPL& out) {
  bool ok = true;
  switch (prop.key) {
    case PIPL_KEY_KIND:
      ok = u32(prop, out.kind);
      break;
    case PIPL_KEY_NAME:
      ok = pascalString(prop, out.name);
      break;
    case PIPL_KEY_CATEGORY:
      ok = pascalString(prop, out.category);
      break;
    case PIPL_KEY_AE_MATCH_NAME:
      ok = pascalString(prop, out.matchName);
      break;
    case PIPL_KEY_AE_PIPL_VERSION:
      ok = u16Pair(prop, out.piplVersionMajor, out.piplVersionMinor);
      break;
    case PIPL_KEY_AE_SPEC_VERSION:
      ok = u16Pair(prop, out.specVersionMajor, out.specVersionMinor);
      break;
    case PIPL_KEY_AE_EFFECT_VERSION:
      ok = u32(prop, out.effectVersion);
      break;
    case PIPL_KEY_AE_INFO_FLAGS:
      ok = prop.data.size() >= 2;
      if (ok) out.infoFlags = readU16(prop.data.data());
      break;
    case PIPL_KEY_AE_OUT_FLAGS:
      ok = u32(prop, out.outFlags);
      break;
    case PIPL_KEY_AE_OUT_FLAGS_2:
      ok = u32(prop, out.outFlags2);
      break;
    case PIPL_KEY_AE_RESERVED_INFO:
      ok = u32(prop, out.reservedInfo);
      break;
    default:
      if (prop.key == currentPlatformCodeKey()) {
        if (!cString(prop, out.entryPoint))
          return invalid(index, prop, "entry point not terminated");
      }
      return Status::success();
  }
  if (!ok) return invalid(index, prop, "data too short or malformed");
  return Status::success();
}

}  // namespace

const PiPLProperty* PiPL::find(std::uint32_t key) const {
  for (const PiPLProperty& prop : properties) {
    if (prop.key == key) return &prop;
  }
  return nullptr;
}

std::uint32_t currentPlatformCodeKey() {
#ifdef _WIN32
  return PIPL_KEY_CODE_WIN64_X86;
#else
  return PIPL_KEY_CODE_LINUX_X86_64;
#endif
}

Status parsePiPL(std::span<const std::uint8_t> bytes, PiPL& out) {
  out = PiPL{};
  constexpr std::size_t kHeader = 10, kPropertyHeader = 16;
  if (bytes.size() < kHeader) {
    return Status::error(StatusCode::kPiPLInvalid, "PiPL shorter than its 10-byte header");
  }
  if (readU16(bytes.data()) != 1) {
    return Status::error(StatusCode::kPiPLInvalid, "PiPL header does not start with 1");
  }
  if (readU32(bytes.data() + 2) != 0) {
    return Status::error(StatusCode::kPiPLInvalid, "PiPL list version is not 0");
  }
  const std::uint32_t count = readU32(bytes.data() + 6);
  std::size_t pos = kHeader;
  for (std::uint32_t i = 0; i < count; ++i) {
    if (bytes.size() - pos < kPropertyHeader) {
      return Status::error(StatusCode::kPiPLInvalid, "PiPL property " + std::to_string(i) +
                                                         " runs past the end (" +
                                                         std::to_string(count) + " announced)");
    }
    PiPLProperty prop;
    prop.vendor = readU32(bytes.data() + pos);
    prop.key = readU32(bytes.data() + pos + 4);
    prop.id = readU32(bytes.data() + pos + 8);
    const std::uint32_t length = readU32(bytes.data() + pos + 12);
    pos += kPropertyHeader;
    if (length > bytes.size() - pos) return invalid(i, prop, "data runs past the end");
    prop.data.assign(bytes.begin() + pos, bytes.begin() + pos + length);
    // Data is padded to a multiple of 4 counted from the property's data
    // start; the last property may end without its padding.
    pos += std::min<std::size_t>((std::size_t(length) + 3) & ~std::size_t(3), bytes.size() - pos);
    if (prop.vendor != PIPL_VENDOR_8BIM) return invalid(i, prop, "vendor is not '8BIM'");
    Status status = interpret(i, prop, out);
    if (!status.ok()) return status;
    out.properties.push_back(std::move(prop));
  }
  return Status::success();
}

Status checkPiPL(const PiPL& pipl) {
  auto fail = [](const std::string& what) {
    return Status::error(StatusCode::kPiPLInvalid, "PiPL: " + what);
  };
  if (pipl.find(PIPL_KEY_KIND) == nullptr) return fail("no kind");
  if (pipl.kind != PIPL_KIND_EFFECT) {
    return fail("kind is '" + fourCCToString(pipl.kind) + "', not 'eFKT'");
  }
  if (pipl.name.empty()) return fail("no effect name");
  if (pipl.matchName.empty()) return fail("no match name");
  if (pipl.entryPoint.empty()) {
    return fail("no entry point for this platform ('" + fourCCToString(currentPlatformCodeKey()) +
                "')");
  }
  if (pipl.find(PIPL_KEY_AE_EFFECT_VERSION) == nullptr) return fail("no effect version (eVER)");
  if (pipl.find(PIPL_KEY_AE_OUT_FLAGS) == nullptr) return fail("no out flags (eGLO)");
  if (pipl.find(PIPL_KEY_AE_OUT_FLAGS_2) == nullptr) return fail("no out flags 2 (eGL2)");
  return Status::success();
}

std::vector<std::uint8_t> encodePiPL(const std::vector<PiPLProperty>& properties) {
  std::vector<std::uint8_t> out{1, 0};
  appendU32(out, 0);
  appendU32(out, std::uint32_t(properties.size()));
  for (const PiPLProperty& prop : properties) {
    appendU32(out, prop.vendor);
    appendU32(out, prop.key);
    appendU32(out, prop.id);
    appendU32(out, std::uint32_t(prop.data.size()));
    out.insert(out.end(), prop.data.begin(), prop.data.end());
    out.resize(out.size() + (4 - prop.data.size() % 4) % 4, 0);
  }
  return out;
}

std::vector<std::uint8_t> piplPascalString(const std::string& text) {
  const std::size_t n = std::min<std::size_t>(text.size(), 255);
  std::vector<std::uint8_t> out(1 + n);
  out[0] = std::uint8_t(n);
  std::copy_n(text.begin(), n, out.begin() + 1);
  padTo4(out);
  return out;
}

std::vector<std::uint8_t> piplCString(const std::string& text) {
  std::vector<std::uint8_t> out(text.begin(), text.end());
  out.push_back(0);
  padTo4(out);
  return out;
}

std::vector<std::uint8_t> piplU32(std::uint32_t value) {
  std::vector<std::uint8_t> out;
  appendU32(out, value);
  return out;
}

std::vector<std::uint8_t> piplU16Pair(std::uint16_t first, std::uint16_t second) {
  return {std::uint8_t(first), std::uint8_t(first >> 8), std::uint8_t(second),
          std::uint8_t(second >> 8)};
}

std::string fourCCToString(std::uint32_t code) {
  std::string out;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const char c = char((code >> shift) & 0xFF);
    out.push_back(c >= 0x20 && c < 0x7F ? c : '?');
  }
  return out;
}

}  // namespace kestrow::host
