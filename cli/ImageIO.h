// Every image the tool reads or writes goes through OpenImageIO here:
// position passes (with channel selection), pictures for the "Layer"
// control, and outputs, which are written atomically. Pixels go straight
// between the files and the host's worlds (OpenImageIO reads and writes
// with strides and channel subsets), so a frame costs its two worlds plus
// the library's own buffers.
#pragma once

#include <OpenImageIO/imageio.h>
#include <functional>
#include <string>
#include <vector>

#include "ExrOptions.h"
#include "Image.h"
#include "PositionChannels.h"

namespace kestrow::cli {

// The position pass as the plug-in sees it: a float world whose red, green,
// blue = world X, Y, Z and alpha = coverage. `channels` names the four
// source channels X, Y, Z, alpha ("" for an alpha of 1).
struct PositionPass {
  host::World world;
  ImageWindow window;
  std::string channels[4];
};

// Chooses from the parts' headers as readPositionPass does
// (selectPositionChannels), refuses shapes the tool cannot read (deep,
// volume, empty), and warns of integer positions unless `quiet`.
PositionChannels choosePositionChannels(const std::vector<OIIO::ImageSpec>& parts,
                                        const ChannelSelection& selection, const std::string& path,
                                        bool quiet = false);

// Checks INPUT's headers as readPositionPass would, without reading pixels
// or warning: the same failures, before any frame of a run renders.
void checkPositionInput(const std::string& path, const ChannelSelection& selection);

// Reads INPUT. Failures (missing or unreadable file, not a regular file,
// unknown channel, ambiguous layer, larger than the host holds: checked
// before any pixel memory is taken) throw CliError naming the file. Integer
// channels are widened with a warning, since integer positions are rarely
// a real pass.
PositionPass readPositionPass(const std::string& path, const ChannelSelection& selection);

// Reads any picture into a float world: grey is spread to red, green and
// blue, and a missing alpha is 1. Throws CliError naming `subject` (the
// control or file).
host::World readPicture(const std::string& path, const std::string& subject);

enum class OutputKind {
  FloatExr,  // OpenEXR, float (or half) RGBA, values as rendered
  Preview8   // 8-bit PNG, TIFF or JPEG preview, values clamped to 0-1
};

// The kind written for this file name, by extension; throws a usage error
// naming the file for any other extension.
OutputKind outputKind(const std::string& path);

// Writes `world` to `path` with the pixel window `window` through a
// PendingFile, so that a failure never leaves a partial output behind and
// an existing file is replaced only by a complete one. JPEG has no alpha:
// its preview shows the picture over black. Throws CliError naming the
// file; sizes the format cannot hold are refused before anything is written.
// `exr` sets an OpenEXR output's sample type and compression (default zip).
void writeImage(const std::string& path, const host::World& world, const ImageWindow& window,
                const ExrOutputOptions& exr = {});
void writeImage(const std::string& path, const OIIO::ImageBuf& image);

// Runs `write` with `out` writing to a PendingFile for `path` (its
// temporary name is what `write` opens), then commits the file. `write`
// returns false when the library fails; every failure throws a CliError
// naming `path`, leaves an existing `path` as it was and removes the
// temporary.
void writeThroughPendingFile(
    const std::string& path, OIIO::ImageOutput& out,
    const std::function<bool(OIIO::ImageOutput& out, const std::string& name)>& write);

// Converts one channel of `width` x `height` samples of `type` (the first
// at `source`, strides in bytes) to float at `target`. Integer samples keep
// the whole numbers they hold (the library's own conversion would scale
// them into 0 to 1); half and float are copied as they are.
void channelToFloat(const unsigned char* source, OIIO::TypeDesc type, std::ptrdiff_t xstride,
                    std::ptrdiff_t ystride, int width, int height, float* target,
                    std::ptrdiff_t targetXstride, std::ptrdiff_t targetYstride);

// Lower-case extension of a file name including the dot ("" if none).
std::string lowerExtension(const std::string& path);

}  // namespace kestrow::cli
