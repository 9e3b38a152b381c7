#include "matte/RowPlan.h"

#include <cmath>
#include <cstring>

#include "matte/MatteMath.h"

namespace kestrow::matte {

namespace {

// Separator items and unknown modes: the input as it is, then the output
// steps every matte mode shares, each colour channel by itself.
void copyRow(const RowConstants& c, const PF_PixelFloat* in, PF_PixelFloat* out, A_long count) {
  if (in != out) {
    std::memmove(out, in, static_cast<std::size_t>(count) * sizeof(PF_PixelFloat));
  }
  for (A_long i = 0; i < count; ++i) {
    PF_PixelFloat& px = out[i];
    float* const channels[] = {&px.red, &px.green, &px.blue};
    for (float* ch : channels) {
      if (px.alpha == 0.0f) {
        *ch = 0.0f;
      }
    }
    for (float* ch : channels) {
      if (std::isnan(*ch)) {
        *ch = 0.0f;
        px.alpha = 0.0f;
      }
    }
    if (c.invert) {
      const float v = 1.0f - px.red;
      px.red = px.green = px.blue = v;
    }
    if (c.alphaMatte) {
      px.alpha = px.red;
      px.red = px.green = px.blue = 1.0f;
    }
  }
}

PictureState pictureStateOf(const PF_LayerDef& layer) {
  if (!hasPicture(layer)) {
    return PictureState::None;
  }
  return isReadablePicture(layer) ? PictureState::Readable : PictureState::Unreadable;
}

}  // namespace

RowPlan planRow(const MatteSettings& s, SimdPath path) {
  const RowKernel kernel{static_cast<Mode>(s.mode), planeOf(s.axis), pictureStateOf(s.layer),
                         s.tile != 0};
  RowPass pass = laneRowsFor(path).rowFor(kernel);
  return {pass != nullptr ? pass : &copyRow, path};
}

}  // namespace kestrow::matte
