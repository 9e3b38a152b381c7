// A labelled overview picture of several renders, for a person to look at.
// The tiles are prepared for display here (sRGB, over a dark background);
// the matte values themselves are never changed, only shown.
#pragma once

#include <string>
#include <vector>

#include "Image.h"

namespace kestrow::cli {

struct SheetTile {
  std::string title;       // e.g. the mode's name
  std::string caption;     // e.g. the settings that differ from the defaults
  OIIO::ImageBuf display;  // display-ready float R, G, B (sRGB-encoded 0-1), alpha 1
};

// Display conversions. A position pass is shown with each axis stretched
// over the range it covers; a matte as white over the background; a colour
// render over the background, held out by the pass's coverage (where no
// surface was seen the colour means nothing to a viewer).
// Each takes and gives float R, G, B, A images.
OIIO::ImageBuf displayPositions(const OIIO::ImageBuf& pass);
OIIO::ImageBuf displayMatte(const OIIO::ImageBuf& render, bool matteInAlpha);
OIIO::ImageBuf displayColour(const OIIO::ImageBuf& render, const OIIO::ImageBuf& pass);

struct SheetLayout {
  int columns = 3;
  int tileWidth = 320;  // tiles keep their aspect ratio
};

// Lays the tiles out in rows under a title and writes an 8-bit PNG (through
// the atomic writer). Labels use a font that OpenImageIO finds; when none
// is installed the sheet is written without them and a warning says so.
void writeContactSheet(const std::string& path, const std::string& title,
                       const std::vector<SheetTile>& tiles, const SheetLayout& layout);

}  // namespace kestrow::cli
