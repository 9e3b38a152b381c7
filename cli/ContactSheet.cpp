#include "ContactSheet.h"

#include <OpenImageIO/imagebufalgo.h>

#include <algorithm>
#include <cmath>

#include "Errors.h"
#include "ImageIO.h"

namespace kestrow::cli {
namespace {

namespace IBA = OIIO::ImageBufAlgo;
using OIIO::ImageBuf;

// Sheet colours, display-referred.
constexpr float kBackground[4] = {0.075f, 0.08f, 0.09f, 1.f};
constexpr float kTileBackground[4] = {0.13f, 0.14f, 0.16f, 1.f};
constexpr float kTitleColour[4] = {0.93f, 0.93f, 0.93f, 1.f};
constexpr float kCaptionColour[4] = {0.62f, 0.65f, 0.7f, 1.f};
constexpr const char* kFont = "DejaVuSans";
constexpr const char* kBoldFont = "DejaVuSans-Bold";

constexpr int kMargin = 14;
constexpr int kLabelHeight = 40;
constexpr int kTitleHeight = 52;

// The sRGB encoding of a linear value in 0-1, computed exactly. The
// library's colorconvert is not used: it raises to the power 1/2.4 by a
// fast approximation (about one value in sixteen of 0-1 comes out a few
// units in the last place away from this), and a colour configuration
// named by $OCIO would change what "sRGB" means to it.
float toSrgb(float linear) {
  if (!(linear > 0.f)) return 0.f;
  if (linear >= 1.f) return 1.f;
  return linear <= 0.0031308f ? linear * 12.92f : 1.055f * std::pow(linear, 1.f / 2.4f) - 0.055f;
}

// A tile as shown: `linear` (straight colour and coverage, float R, G, B, A)
// clamped to 0-1 (not-a-number to 0), its colour sRGB-encoded, laid over
// the tile background by its coverage; alpha 1.
ImageBuf overTileBackground(const ImageBuf& linear) {
  ImageBuf shown = IBA::clamp(linear, 0.f, 1.f);
  shown.specmod().alpha_channel = 3;
  for (ImageBuf::Iterator<float> px(shown); !px.done(); ++px)
    for (int c = 0; c < 3; ++c) px[c] = toSrgb(px[c]);
  IBA::premult(shown, shown);
  ImageBuf background(shown.spec());
  IBA::fill(background, kTileBackground);
  return IBA::over(shown, background);
}

// A sheet of `size` with the tiles scaled to `width` x `height` in rows
// under the title.
ImageBuf layOut(const OIIO::ImageSpec& size, const std::vector<SheetTile>& tiles, int columns,
                int width, int height) {
  ImageBuf sheet(size);
  IBA::fill(sheet, kBackground);
  for (std::size_t i = 0; i < tiles.size(); ++i) {
    const int x = kMargin + int(i) % columns * (width + kMargin);
    const int y = kTitleHeight + int(i) / columns * (height + kLabelHeight + kMargin);
    ImageBuf scaled = rgbaImage(width, height);
    IBA::resize(scaled, tiles[i].display);
    // Colour only: the sheet stays opaque.
    IBA::paste(sheet, x, y + kLabelHeight, 0, 0, scaled,
               OIIO::ROI(0, width, 0, height, 0, 1, 0, 3));
  }
  return sheet;
}

bool text(ImageBuf& buf, int x, int y, const std::string& s, int size, const char* font,
          const float colour[4]) {
  if (s.empty()) return true;
  return IBA::render_text(buf, x, y, s, size, font, OIIO::cspan<float>(colour, 4));
}

}  // namespace

ImageBuf displayPositions(const ImageBuf& pass) {
  float lo[3] = {INFINITY, INFINITY, INFINITY}, hi[3] = {-INFINITY, -INFINITY, -INFINITY};
  for (ImageBuf::ConstIterator<float> px(pass); !px.done(); ++px) {
    if (!(px[3] > 0.f)) continue;
    for (int c = 0; c < 3; ++c)
      if (std::isfinite(px[c])) {
        lo[c] = std::min(lo[c], px[c]);
        hi[c] = std::max(hi[c], px[c]);
      }
  }
  ImageBuf linear = rgbaImage(pass.spec().width, pass.spec().height);
  ImageBuf::ConstIterator<float> px(pass);
  for (ImageBuf::Iterator<float> out(linear); !out.done(); ++out, ++px) {
    for (int c = 0; c < 3; ++c) {
      const float span = hi[c] - lo[c];
      const float t = span > 0.f && std::isfinite(px[c]) ? (px[c] - lo[c]) / span : 0.f;
      out[c] = t * t;  // keeps the stretched range from washing out after sRGB
    }
    out[3] = px[3];
  }
  return overTileBackground(linear);
}

ImageBuf displayMatte(const ImageBuf& render, bool matteInAlpha) {
  // White, covering as much as the matte says.
  const int matte = matteInAlpha ? 3 : 0;
  const int order[4] = {-1, -1, -1, matte};
  const float white[4] = {1.f, 1.f, 1.f, 0.f};
  return overTileBackground(IBA::channels(render, 4, order, white));
}

ImageBuf displayColour(const ImageBuf& render, const ImageBuf& pass) {
  ImageBuf linear = rgbaImage(render.spec().width, render.spec().height);
  ImageBuf::ConstIterator<float> px(render), in(pass);
  for (ImageBuf::Iterator<float> out(linear); !out.done(); ++out, ++px) {
    const float a = std::clamp(px[3], 0.f, 1.f);
    // Colour renders carry colour times coverage; undo that for display.
    for (int c = 0; c < 3; ++c) out[c] = a > 0.f ? px[c] / a : 0.f;
    out[3] = a * (in.done() ? 1.f : std::clamp(in[3], 0.f, 1.f));
    if (!in.done()) ++in;
  }
  return overTileBackground(linear);
}

void writeContactSheet(const std::string& path, const std::string& title,
                       const std::vector<SheetTile>& tiles, const SheetLayout& layout) {
  if (tiles.empty()) failure(path, "no pictures for the contact sheet");
  const int columns = std::max(1, std::min<int>(layout.columns, int(tiles.size())));
  const int rows = (int(tiles.size()) + columns - 1) / columns;
  const int tileWidth = layout.tileWidth;
  const OIIO::ImageSpec& first = tiles[0].display.spec();
  const int tileHeight =
      std::max(1, int(std::lround(double(tileWidth) * first.height / first.width)));
  const int cellHeight = kLabelHeight + tileHeight;
  const OIIO::ImageSpec size(kMargin + columns * (tileWidth + kMargin),
                             kTitleHeight + rows * (cellHeight + kMargin), 4,
                             OIIO::TypeDesc::FLOAT);

  ImageBuf sheet = layOut(size, tiles, columns, tileWidth, tileHeight);
  bool labelled = text(sheet, kMargin, 34, title, 22, kBoldFont, kTitleColour);
  for (std::size_t i = 0; i < tiles.size() && labelled; ++i) {
    const int x = kMargin + int(i) % columns * (tileWidth + kMargin);
    const int y = kTitleHeight + int(i) / columns * (cellHeight + kMargin);
    labelled = text(sheet, x + 2, y + 17, tiles[i].title, 16, kBoldFont, kTitleColour) &&
               text(sheet, x + 2, y + 34, tiles[i].caption, 12, kFont, kCaptionColour);
  }
  if (!labelled) {
    warn(path, "no font found for the labels (install fonts-dejavu-core); written without them");
    sheet = layOut(size, tiles, columns, tileWidth, tileHeight);
  }
  writeImage(path, sheet);
}

}  // namespace kestrow::cli
