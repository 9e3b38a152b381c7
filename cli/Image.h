// Pictures in memory. Files on disk are read into and written from the
// host's worlds directly; the built-in demo scene and the contact sheet are
// OpenImageIO ImageBufs of 32-bit float R, G, B, A, and go through a world
// only to be rendered or written.
#pragma once

#include <OpenImageIO/imagebuf.h>

#include <string>

#include "kestrow/host/World.h"

namespace kestrow::cli {

// Where the pixels sit in the file's coordinates: the data window origin and
// the display window. Outputs copy it from their input so that they line up
// in a compositor.
struct ImageWindow {
  int x = 0, y = 0;
  int fullX = 0, fullY = 0, fullWidth = 0, fullHeight = 0;
};

ImageWindow windowOf(const OIIO::ImageSpec& spec);
void setWindow(OIIO::ImageSpec& spec, const ImageWindow& window);

// A zeroed float R, G, B, A image of width x height at the origin.
OIIO::ImageBuf rgbaImage(int width, int height);

// The host keeps a picture's rows and total size in the 32-bit fields of
// its records: at most 2 GiB, that is 134,217,727 float pixels (about
// 11585 x 11585).
constexpr long long kMaxHostPixels = 0x7fffffffLL / 16;

// Throws a failure naming `subject` when a picture of width x height is
// more than the host holds.
void checkHostSize(int width, int height, const std::string& subject);

// A zeroed float world of width x height. Throws a failure naming `subject`
// before anything is allocated when the host cannot hold it.
host::World newFloatWorld(int width, int height, const std::string& subject);

// Copies between float R, G, B, A images and the host's float worlds
// (alpha, red, green, blue in memory). toWorld throws a failure CliError
// when the image is too large for the host; fromWorld's image has `window`.
host::World toWorld(const OIIO::ImageBuf& image);
OIIO::ImageBuf fromWorld(const host::World& world, const ImageWindow& window);

}  // namespace kestrow::cli
