// Multilayer OpenEXR output: the input file as it was read (every part,
// channel and header attribute, the data and display windows) with named
// RGBA matte layers added to the part that holds the position, so that a
// compositor reads one file.
//
// Written through ImageOutput rather than ImageBuf: an ImageBuf keeps all
// its channels in one pixel type, so a file that mixes half, float and
// integer channels would come back converted (integers above 2^24 changed
// as floats, half channels grown to float); here each channel keeps its
// type and its bits, not-a-number payloads included.
#pragma once

#include <OpenImageIO/imageio.h>
#include <cstddef>
#include <string>
#include <vector>

#include "Errors.h"
#include "ExrHeader.h"
#include "ExrOptions.h"
#include "Image.h"
#include "ImageIO.h"

namespace kestrow::cli {

// An OpenEXR file read once: every part's header and pixels, each channel
// in its own type in the file (packed per pixel as OpenImageIO's native
// layout has them).
struct ExrSource {
  std::string path;
  std::vector<OIIO::ImageSpec> parts;
  std::vector<std::vector<unsigned char>> pixels;
  // Each part's attributes as the file stores them, for what the library
  // cannot carry.
  std::vector<std::vector<ExrAttribute>> stored;
};

// What readExrSource holds in memory at most: the whole file's pixels.
constexpr unsigned long long kMaxLayeredInputBytes = 16ull << 30;

// Reads `path`. Throws a failure CliError naming the file when it is not a
// regular file or not OpenEXR, is unreadable, deep or MIP-mapped (whose
// further levels could not be carried over unchanged), or declares a part
// larger than the host holds or more than kMaxLayeredInputBytes of pixels
// (checked from the headers before any pixel memory is taken).
ExrSource readExrSource(const std::string& path);

// The headers alone, checked and refused as readExrSource checks them.
std::vector<OIIO::ImageSpec> readExrHeaders(const std::string& path);

// A matte to add: four float channels of the part's data window size,
// addressed by the first pixel of each and strides in bytes, so that float
// R, G, B, A images and the host's worlds serve alike.
struct MatteLayer {
  std::string name;
  int width = 0, height = 0;
  const float* channel[4] = {};  // R, G, B, A of the top-left pixel
  std::ptrdiff_t xstride = 0, ystride = 0;
};

MatteLayer matteLayer(const std::string& name, const OIIO::ImageBuf& image);
MatteLayer matteLayer(const std::string& name, const host::World& world);

// The position pass from the file as read, without reading it again; a
// part larger than the host holds is refused as readPositionPass refuses it.
PositionPass positionFromSource(const ExrSource& source, const PositionChannels& channels);

// Refuses, with a CliError of `kind` naming `subject` and the layer, a
// name of `names` that any of `parts` already uses as a layer (a channel
// "NAME.<anything>"), unless `replace`.
void checkLayerClashes(const std::vector<OIIO::ImageSpec>& parts,
                       const std::vector<std::string>& names, bool replace,
                       const std::string& subject, ErrorKind kind);

// Refuses an output that is not OpenEXR (usage CliError naming `path`),
// and a lossy compression (naming --compression), which would alter the
// input's samples.
void checkLayeredOutput(const std::string& path, const ExrOutputOptions& options);

// Writes `source` with `mattes` added to part `part` as layers NAME.R,
// NAME.G, NAME.B, NAME.A, through a temporary file renamed over `path` once
// complete. With `replace` a clashing layer's channels are dropped first,
// from every part (a part left with no channels is dropped); without it a
// clash is a failure. Every other channel keeps its name, type and bits
// (unless `options.allLayers`), every part its header as far as the library
// carries it: what it cannot (see uncarriedAttributes) is named in a
// warning. A texture format (given, or derived from an environment map's
// tag) is left out: the library's writer would leave the file unfinished.
void writeLayeredExr(const std::string& path, const ExrSource& source, int part,
                     const std::vector<MatteLayer>& mattes, bool replace,
                     const ExrOutputOptions& options);

}  // namespace kestrow::cli
