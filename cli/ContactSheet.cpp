#include "ContactSheet.h"

#include <OpenImageIO/imagebuf.h>
#include <OpenImageIO/imagebufalgo.h>
#include <algorithm>
#include <cmath>

#include "Errors.h"
#include "ImageIO.h"

namespace kestrow::cli {
namespace {

// Sheet colours, display-referred.
constexpr float kBackground[3] = {0.075f, 0.08f, 0.09f};
constexpr float kTileBackground[3] = {0.13f, 0.14f, 0.16f};
constexpr float kTitleColour[3] = {0.93f, 0.93f, 0.93f};
constexpr float kCaptionColour[3] = {0.62f, 0.65f, 0.7f};
constexpr const char* kFont = "DejaVuSans";
constexpr const char* kBoldFont = "DejaVuSans-Bold";

constexpr int kMargin = 14;
constexpr int kLabelHeight = 40;
constexpr int kTitleHeight = 52;

float toSrgb(float linear) {
  if (!(linear > 0.f)) return 0.f;
  if (linear >= 1.f) return 1.f;
  return linear <= 0.0031308f ? linear * 12.92f : 1.055f * std::pow(linear, 1.f / 2.4f) - 0.055f;
}

// Display value of `linear` laid over the tile background with coverage `a`.
void over(float* px, const float linear[3], float a) {
  a = std::clamp(a, 0.f, 1.f);
  for (int c = 0; c < 3; ++c) px[c] = toSrgb(linear[c]) * a + kTileBackground[c] * (1.f - a);
  px[3] = 1.f;
}

OIIO::ImageBuf wrap(RgbaImage& image) {
  OIIO::ImageSpec spec(image.width, image.height, 4, OIIO::TypeDesc::FLOAT);
  return OIIO::ImageBuf(spec, image.pixels.data());
}

RgbaImage resized(const RgbaImage& source, int width, int height) {
  RgbaImage copy = source;
  OIIO::ImageBuf src = wrap(copy);
  RgbaImage result(width, height);
  OIIO::ImageBuf dst = wrap(result);
  OIIO::ImageBufAlgo::resize(dst, src);
  return result;
}

void fill(RgbaImage& image, int x0, int y0, int width, int height, const float colour[3]) {
  for (int row = std::max(0, y0); row < std::min(image.height, y0 + height); ++row)
    for (int column = std::max(0, x0); column < std::min(image.width, x0 + width); ++column) {
      float* px = image.at(column, row);
      std::copy(colour, colour + 3, px);
      px[3] = 1.f;
    }
}

void paste(RgbaImage& sheet, const RgbaImage& tile, int x0, int y0) {
  for (int row = 0; row < tile.height; ++row)
    for (int column = 0; column < tile.width; ++column) {
      float* dst = sheet.at(x0 + column, y0 + row);
      const float* src = tile.at(column, row);
      std::copy(src, src + 3, dst);
      dst[3] = 1.f;
    }
}

bool text(OIIO::ImageBuf& buf, int x, int y, const std::string& s, int size, const char* font,
          const float colour[3]) {
  if (s.empty()) return true;
  const float rgba[4] = {colour[0], colour[1], colour[2], 1.f};
  return OIIO::ImageBufAlgo::render_text(buf, x, y, s, size, font, rgba);
}

}  // namespace

RgbaImage displayPositions(const RgbaImage& pass) {
  float lo[3] = {INFINITY, INFINITY, INFINITY}, hi[3] = {-INFINITY, -INFINITY, -INFINITY};
  for (std::size_t p = 0; p < pass.pixelCount(); ++p) {
    const float* px = pass.pixels.data() + p * 4;
    if (!(px[3] > 0.f)) continue;
    for (int c = 0; c < 3; ++c)
      if (std::isfinite(px[c])) {
        lo[c] = std::min(lo[c], px[c]);
        hi[c] = std::max(hi[c], px[c]);
      }
  }
  RgbaImage out(pass.width, pass.height);
  for (std::size_t p = 0; p < pass.pixelCount(); ++p) {
    const float* px = pass.pixels.data() + p * 4;
    float linear[3];
    for (int c = 0; c < 3; ++c) {
      const float span = hi[c] - lo[c];
      const float t = span > 0.f && std::isfinite(px[c]) ? (px[c] - lo[c]) / span : 0.f;
      linear[c] = t * t;  // keeps the stretched range from washing out after sRGB
    }
    over(out.pixels.data() + p * 4, linear, px[3]);
  }
  return out;
}

RgbaImage displayMatte(const RgbaImage& render, bool matteInAlpha) {
  RgbaImage out(render.width, render.height);
  const float white[3] = {1.f, 1.f, 1.f};
  for (std::size_t p = 0; p < render.pixelCount(); ++p) {
    const float* px = render.pixels.data() + p * 4;
    over(out.pixels.data() + p * 4, white, matteInAlpha ? px[3] : px[0]);
  }
  return out;
}

RgbaImage displayColour(const RgbaImage& render, const RgbaImage& pass) {
  RgbaImage out(render.width, render.height);
  for (std::size_t p = 0; p < render.pixelCount(); ++p) {
    const float* px = render.pixels.data() + p * 4;
    const float coverage = p < pass.pixelCount() ? pass.pixels[p * 4 + 3] : 1.f;
    const float a = std::clamp(px[3], 0.f, 1.f);
    // Colour renders carry colour times coverage; undo that for display.
    float linear[3];
    for (int c = 0; c < 3; ++c) linear[c] = a > 0.f ? px[c] / a : 0.f;
    over(out.pixels.data() + p * 4, linear, a * std::clamp(coverage, 0.f, 1.f));
  }
  return out;
}

void writeContactSheet(const std::string& path, const std::string& title,
                       const std::vector<SheetTile>& tiles, const SheetLayout& layout) {
  if (tiles.empty()) failure(path, "no pictures for the contact sheet");
  const int columns = std::max(1, std::min<int>(layout.columns, int(tiles.size())));
  const int rows = (int(tiles.size()) + columns - 1) / columns;
  const int tileWidth = layout.tileWidth;
  const int tileHeight = std::max(
      1, int(std::lround(double(tileWidth) * tiles[0].display.height / tiles[0].display.width)));
  const int cellHeight = kLabelHeight + tileHeight;
  RgbaImage sheet(kMargin + columns * (tileWidth + kMargin),
                  kTitleHeight + rows * (cellHeight + kMargin));
  fill(sheet, 0, 0, sheet.width, sheet.height, kBackground);

  OIIO::ImageBuf buf = wrap(sheet);
  bool labelled = text(buf, kMargin, 34, title, 22, kBoldFont, kTitleColour);
  for (std::size_t i = 0; i < tiles.size(); ++i) {
    const int x = kMargin + int(i) % columns * (tileWidth + kMargin);
    const int y = kTitleHeight + int(i) / columns * (cellHeight + kMargin);
    paste(sheet, resized(tiles[i].display, tileWidth, tileHeight), x, y + kLabelHeight);
    labelled = labelled && text(buf, x + 2, y + 17, tiles[i].title, 16, kBoldFont, kTitleColour);
    labelled = labelled && text(buf, x + 2, y + 34, tiles[i].caption, 12, kFont, kCaptionColour);
  }
  if (!labelled) {
    warn(path, "no font found for the labels (install fonts-dejavu-core); written without them");
    RgbaImage plain(sheet.width, sheet.height);
    fill(plain, 0, 0, plain.width, plain.height, kBackground);
    for (std::size_t i = 0; i < tiles.size(); ++i) {
      const int x = kMargin + int(i) % columns * (tileWidth + kMargin);
      const int y = kTitleHeight + int(i) / columns * (cellHeight + kMargin);
      paste(plain, resized(tiles[i].display, tileWidth, tileHeight), x, y + kLabelHeight);
    }
    sheet = std::move(plain);
  }
  writeImage(path, sheet);
}

}  // namespace kestrow::cli
