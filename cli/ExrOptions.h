// How the tool's OpenEXR outputs store their samples: the sample type and
// the compression, named as OpenEXR and oiiotool name them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace kestrow::cli {

enum class SampleType { Half, Float };

struct ExrOutputOptions {
  SampleType sampleType = SampleType::Float;  // of the mattes
  // The input's half and float channels take `sampleType` too. Integer
  // channels (object ids) always keep their type: as floats they would
  // lose their exact values.
  bool allLayers = false;
  std::string compression;  // empty: the input's, or zip for a new file
};

// `--data-type`: "half" or "float" for the mattes, "all=half" or
// "all=float" for every half and float channel of the output. Throws a
// usage CliError naming --data-type.
void parseDataType(const std::string& text, ExrOutputOptions& options);

// Whether a compression name (as parseCompression returns it) loses
// information: dwaa, dwab, b44, b44a, pxr24.
bool isLossyCompression(const std::string& compression);

// Whether any of `width` x `height` float samples (the first at `origin`,
// strides in bytes) is a finite number that half float would store as
// infinity: |v| >= 65520 rounds past half's largest value, 65504.
bool overflowsHalf(const unsigned char* origin, std::ptrdiff_t xstride, std::ptrdiff_t ystride,
                   int width, int height);

// Warns, naming `path`, that `channels` stay float because half float
// would turn their values into infinity (nothing when `channels` is empty).
void warnKeptFloat(const std::string& path, const std::vector<std::string>& channels);

// `--compression`: none, rle, zips, zip, piz, pxr24, b44, b44a, dwaa, dwab,
// and for zip, zips, dwaa, dwab an optional ":LEVEL" (zip:1 to zip:9,
// dwaa:45), in any case. Returns the name in lower case; throws a usage CliError
// naming --compression and the names it takes.
std::string parseCompression(const std::string& text);

}  // namespace kestrow::cli
