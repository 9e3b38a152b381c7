// Multilayer OpenEXR output: the input file as it was read (every part,
// channel and header attribute, the data and display windows) with named
// RGBA matte layers added to the part that holds the position, so that a
// compositor reads one file. Also the output types the tool's EXR outputs
// share: sample type and compression, named as OpenEXR and oiiotool name
// them.
#pragma once

#include <OpenImageIO/imageio.h>
#include <cstddef>
#include <string>
#include <vector>

#include "Image.h"

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

// `--compression`: none, rle, zips, zip, piz, pxr24, b44, b44a, dwaa, dwab,
// and for zip, zips, dwaa, dwab an optional ":LEVEL" (zip:1 to zip:9,
// dwaa:45). Returns the name in lower case; throws a usage CliError
// naming --compression and the names it takes.
std::string parseCompression(const std::string& text);

// An OpenEXR file read once: every part's header and pixels, each channel
// in its own type in the file (packed per pixel as OpenImageIO's native
// layout has them).
struct ExrSource {
  std::string path;
  std::vector<OIIO::ImageSpec> parts;
  std::vector<std::vector<unsigned char>> pixels;
};

// Reads `path`. Throws a CliError naming the file when it is not OpenEXR,
// is unreadable, deep or MIP-mapped (whose further levels could not be
// carried over unchanged).
ExrSource readExrSource(const std::string& path);

// A matte to add: four float channels of the part's data window size,
// addressed by the first pixel of each and strides in bytes, so that the
// tool's RGBA images and the host's worlds serve alike.
struct MatteLayer {
  std::string name;
  int width = 0, height = 0;
  const float* channel[4] = {};  // R, G, B, A of the top-left pixel
  std::ptrdiff_t xstride = 0, ystride = 0;
};

MatteLayer matteLayer(const std::string& name, const RgbaImage& image);

// Refuses, with a usage CliError naming `subject` and the layer, a name of
// `names` that `part` already uses as a layer (a channel "NAME.<anything>"),
// unless `replace`.
void checkLayerClashes(const OIIO::ImageSpec& part, const std::vector<std::string>& names,
                       bool replace, const std::string& subject);

// Refuses an output that is not OpenEXR (usage CliError naming `path`).
void checkLayeredOutput(const std::string& path);

// Writes `source` with `mattes` added to part `part` as layers NAME.R,
// NAME.G, NAME.B, NAME.A, through a temporary file renamed over `path` once
// complete. With `replace` a clashing layer's channels are dropped first.
// Every other channel keeps its name, type and bits (unless
// `options.allLayers`), every part its header.
void writeLayeredExr(const std::string& path, const ExrSource& source, int part,
                     const std::vector<MatteLayer>& mattes, bool replace,
                     const ExrOutputOptions& options);

}  // namespace kestrow::cli
