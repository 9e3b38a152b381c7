// The tool's in-memory picture: 32-bit float RGBA, rows top to bottom,
// channels interleaved. Used for position passes, mattes and the pictures
// given to the "Layer" control.
#pragma once

#include <cstddef>
#include <vector>

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

}  // namespace kestrow::cli
