// `--pick X,Y`: sets the eyedropper control to the position pass's value at
// a pixel, which the plug-in answers by moving its position control there.
#pragma once

#include <string>
#include <vector>

#include "Controls.h"
#include "Image.h"
#include "kestrow/host/Instance.h"
#include "kestrow/host/World.h"

namespace kestrow::cli {

// A pixel counted as image viewers count it: column X and row Y from the
// top left of the display window.
struct PixelPick {
  int x = 0, y = 0;
};

// The two whole numbers of --pick (as the command line splits them).
// Throws a usage CliError naming --pick when malformed.
PixelPick parsePick(const std::vector<std::string>& texts);

// Picks the pass's X, Y, Z at `pick` for every instance of `instances`
// (the mattes of one run share the pick; it is checked and warned about
// once); `window` places the pass's pixels in the file's coordinates. Refuses (usage CliError
// naming
// --pick) a pixel outside the data window (there is no value there) and one
// whose position is not finite: the plug-in would move its position to a
// point no render can use. Warns when the pixel is transparent.
void pickPixel(const std::vector<host::Instance*>& instances, const std::vector<ControlSpec>& specs,
               const host::World& pass, const ImageWindow& window, const PixelPick& pick);

}  // namespace kestrow::cli
