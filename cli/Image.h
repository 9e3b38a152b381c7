// The tool's in-memory picture: 32-bit float RGBA, rows top to bottom,
// channels interleaved. Used for the built-in demo scene and the contact
// sheet; files on disk are read into and written from the host's worlds
// directly.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "kestrow/host/World.h"

namespace kestrow::cli {

// Where the pixels sit in the file's coordinates: the data window origin and
// the display window. Outputs copy it from their input so that they line up
// in a compositor.
struct ImageWindow {
  int x = 0, y = 0;
  int fullX = 0, fullY = 0, fullWidth = 0, fullHeight = 0;
};

struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<float> pixels;  // width * height * 4 values: R, G, B, A
  ImageWindow window;

  RgbaImage() = default;
  RgbaImage(int w, int h) : width(w), height(h), pixels(std::size_t(w) * std::size_t(h) * 4, 0.f) {
    window.fullWidth = w;
    window.fullHeight = h;
  }

  float* at(int column, int row) { return pixels.data() + (std::size_t(row) * width + column) * 4; }
  const float* at(int column, int row) const {
    return pixels.data() + (std::size_t(row) * width + column) * 4;
  }
  std::size_t pixelCount() const { return std::size_t(width) * std::size_t(height); }
};

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

// Copies between the tool's RGBA images and the host's float worlds
// (alpha, red, green, blue in memory). toWorld throws a failure CliError
// when the image is too large for the host.
host::World toWorld(const RgbaImage& image);
RgbaImage fromWorld(const host::World& world, const ImageWindow& window);

}  // namespace kestrow::cli
