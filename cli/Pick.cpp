#include "Pick.h"

#include <cmath>
#include <cstdio>

#include "ApplyControls.h"
#include "Errors.h"
#include "Numbers.h"

namespace kestrow::cli {
namespace {

std::string pixelText(const PixelPick& pick) {
  return std::to_string(pick.x) + "," + std::to_string(pick.y);
}

}  // namespace

PixelPick parsePick(const std::vector<std::string>& texts) {
  std::string given;
  for (const std::string& text : texts) given += (given.empty() ? "" : ",") + text;
  if (texts.size() != 2) usageError("--pick", "\"" + given + "\" is not a pixel X,Y");
  const WholeNumber x = readWhole(texts[0]), y = readWhole(texts[1]);
  for (const auto& [number, text] : {std::pair{x, texts[0]}, std::pair{y, texts[1]}})
    if (number.status != NumberStatus::Ok)
      usageError("--pick", numberProblem(text, number.status) + " (in \"" + given + "\")");
  return {x.value, y.value};
}

void pickPixel(const std::vector<host::Instance*>& instances, const std::vector<ControlSpec>& specs,
               const host::World& pass, const ImageWindow& window, const PixelPick& pick) {
  const ControlSpec* eyedropper = findByRole(specs, ControlRole::Eyedropper);
  if (!eyedropper) usageError("--pick", "the plug-in has no eyedropper control to pick with");
  // Data window coordinates of the pixel. Overscan (data beyond the display
  // window) can be picked with negative or large X, Y.
  const ImageWindow& w = window;
  const long long column = (long long)w.fullX + pick.x - w.x;
  const long long row = (long long)w.fullY + pick.y - w.y;
  if (column < 0 || row < 0 || column >= pass.width() || row >= pass.height()) {
    const long long left = (long long)w.x - w.fullX, top = (long long)w.y - w.fullY;
    const bool plain =
        left == 0 && top == 0 && w.fullWidth == pass.width() && w.fullHeight == pass.height();
    usageError("--pick",
               plain ? pixelText(pick) + " is outside the " + std::to_string(pass.width()) + "x" +
                           std::to_string(pass.height()) + " input"
                     : pixelText(pick) + " is outside the input's data window (X " +
                           std::to_string(left) + " to " + std::to_string(left + pass.width() - 1) +
                           ", Y " + std::to_string(top) + " to " +
                           std::to_string(top + pass.height() - 1) + ")");
  }
  const PF_PixelFloat& pixel = static_cast<const PF_PixelFloat*>(pass.row(int(row)))[column];
  const float px[4] = {pixel.red, pixel.green, pixel.blue, pixel.alpha};
  if (!std::isfinite(px[0]) || !std::isfinite(px[1]) || !std::isfinite(px[2])) {
    char values[96];
    std::snprintf(values, sizeof values, "%g, %g, %g", double(px[0]), double(px[1]), double(px[2]));
    usageError("--pick", "pixel " + pixelText(pick) + " holds no finite position (" + values + ")");
  }
  if (!(px[3] > 0.f))
    warn("--pick",
         "pixel " + pixelText(pick) + " is transparent; its position is probably not a surface");
  ControlValues values(std::size_t(eyedropper->index) + 1);
  values[eyedropper->index] = std::array<double, 3>{px[0], px[1], px[2]};
  for (host::Instance* instance : instances) applyControls(*instance, specs, values, {});
}

}  // namespace kestrow::cli
