#include "ExrHeader.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>

namespace kestrow::cli {
namespace {

constexpr std::uint32_t kMagic = 20000630;
constexpr std::uint32_t kMultiPart = 0x1000;
// No header the library writes comes near these; a file beyond them is
// treated as damaged.
constexpr int kMaxNameBytes = 256;
constexpr std::int32_t kMaxValueBytes = 1 << 28;
constexpr int kMaxAttributes = 100000;

struct CloseFile {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

bool readWord(std::FILE* file, std::uint32_t& word) {
  unsigned char bytes[4];
  if (std::fread(bytes, 1, 4, file) != 4) return false;
  word = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | std::uint32_t(bytes[3]) << 24;
  return true;
}

// A zero-terminated name; false at the end of the file or past the limit.
bool readName(std::FILE* file, std::string& name) {
  name.clear();
  for (int c; (c = std::fgetc(file)) != EOF;) {
    if (c == 0) return true;
    if (int(name.size()) == kMaxNameBytes) return false;
    name += char(c);
  }
  return false;
}

}  // namespace

std::vector<std::vector<ExrAttribute>> readExrAttributes(const std::string& path) {
  std::vector<std::vector<ExrAttribute>> parts;
  const std::unique_ptr<std::FILE, CloseFile> file(std::fopen(path.c_str(), "rb"));
  std::uint32_t magic = 0, version = 0;
  if (!file || !readWord(file.get(), magic) || magic != kMagic || !readWord(file.get(), version))
    return parts;
  const bool multiPart = version & kMultiPart;
  for (int count = 0; count < kMaxAttributes;) {
    std::vector<ExrAttribute> part;
    ExrAttribute attribute;
    while (readName(file.get(), attribute.name) && !attribute.name.empty() &&
           ++count < kMaxAttributes) {
      std::uint32_t size = 0;
      if (!readName(file.get(), attribute.type) || !readWord(file.get(), size) ||
          std::int32_t(size) < 0 || std::int32_t(size) > kMaxValueBytes)
        return parts;
      attribute.value.resize(std::min<std::size_t>(size, 16));
      if (std::fread(attribute.value.data(), 1, attribute.value.size(), file.get()) !=
              attribute.value.size() ||
          std::fseek(file.get(), long(size - attribute.value.size()), SEEK_CUR) != 0)
        return parts;
      part.push_back(attribute);
    }
    // An empty name ends a header; in a multi-part file an empty header
    // ends the list.
    if (!attribute.name.empty() || part.empty()) return parts;
    parts.push_back(std::move(part));
    if (!multiPart) return parts;
  }
  return parts;
}

std::vector<std::string> uncarriedAttributes(const std::vector<std::vector<ExrAttribute>>& parts) {
  // The types OpenImageIO reads into its header and writes back.
  static const char* const kCarried[] = {
      "box2i",       "box2f",        "chlist",   "chromaticities",
      "compression", "double",       "float",    "int",
      "m33f",        "m33d",         "m44f",     "m44d",
      "string",      "stringvector", "v2i",      "v2f",
      "v2d",         "v3i",          "v3f",      "v3d",
      "tiledesc",    "keycode",      "timecode", "rational",
      "lineOrder"};
  std::vector<std::string> lost;
  auto add = [&](const std::string& text) {
    if (std::find(lost.begin(), lost.end(), text) == lost.end()) lost.push_back(text);
  };
  for (const std::vector<ExrAttribute>& part : parts)
    for (const ExrAttribute& a : part) {
      if (a.type == "preview" || a.type == "envmap" || a.name == "textureformat")
        add(a.name + " (dropped)");
      else if (a.type == "floatvector")
        add(a.name + " (floatvector, written as another type)");
      else if (std::none_of(std::begin(kCarried), std::end(kCarried),
                            [&](const char* type) { return a.type == type; }))
        add(a.name + " (type " + a.type + ", dropped)");
    }
  return lost;
}

}  // namespace kestrow::cli
