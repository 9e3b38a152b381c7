#include "ExrOptions.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <iterator>

#include "Errors.h"
#include "Numbers.h"

namespace kestrow::cli {

void parseDataType(const std::string& text, ExrOutputOptions& options) {
  // Any case, as for every other choice.
  const int chosen = choiceIndex({"half", "float", "all=half", "all=float"}, text);
  if (chosen < 0)
    usageError("--data-type", "\"" + text + "\" is not half, float, all=half or all=float");
  options.sampleType = chosen % 2 == 0 ? SampleType::Half : SampleType::Float;
  options.allLayers = chosen >= 2;
}

bool isLossyCompression(const std::string& compression) {
  const std::string name = compression.substr(0, compression.find(':'));
  return name == "dwaa" || name == "dwab" || name == "b44" || name == "b44a" || name == "pxr24";
}

bool overflowsHalf(const unsigned char* origin, std::ptrdiff_t xstride, std::ptrdiff_t ystride,
                   int width, int height) {
  for (int y = 0; y < height; ++y) {
    const unsigned char* sample = origin + y * ystride;
    for (int x = 0; x < width; ++x, sample += xstride) {
      float v;
      std::memcpy(&v, sample, sizeof v);
      // Not-a-number fails both tests and is carried as it is.
      if (std::fabs(v) >= 65520.f && std::isfinite(v)) return true;
    }
  }
  return false;
}

void warnKeptFloat(const std::string& path, const std::vector<std::string>& channels) {
  if (channels.empty()) return;
  std::string names;
  for (const std::string& name : channels) names += (names.empty() ? "" : ", ") + name;
  warn(path, "channel(s) " + names +
                 " hold values beyond half float's range (65504) and are written as float");
}

std::string parseCompression(const std::string& text) {
  static const std::vector<std::string> kNames = {"none",  "rle", "zips", "zip",  "piz",
                                                  "pxr24", "b44", "b44a", "dwaa", "dwab"};
  const std::size_t colon = text.find(':');
  const int chosen = choiceIndex(kNames, std::string_view(text).substr(0, colon));
  const std::string name = chosen < 0 ? "" : kNames[std::size_t(chosen)];
  bool known = chosen >= 0;
  if (known && colon != std::string::npos) {
    // Levels: zip 1-9 (zlib), DWA a positive quality such as 45.
    const bool zip = name == "zip" || name == "zips";
    int level = 0;
    const char* first = text.data() + colon + 1;
    const char* last = text.data() + text.size();
    const auto parsed = std::from_chars(first, last, level);
    known = (zip || name == "dwaa" || name == "dwab") && parsed.ec == std::errc() &&
            parsed.ptr == last && first != last && level >= 1 && (!zip || level <= 9);
  }
  if (!known)
    usageError("--compression",
               "\"" + text +
                   "\" is not an OpenEXR compression (none, rle, zips, zip, piz, pxr24, b44, "
                   "b44a, dwaa, dwab; zip:1-9, zips:1-9, dwaa:LEVEL, dwab:LEVEL)");
  return colon == std::string::npos ? name : name + text.substr(colon);
}

}  // namespace kestrow::cli
