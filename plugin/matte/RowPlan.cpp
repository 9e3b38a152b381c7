#include "matte/RowPlan.h"

#include <cstring>

namespace kestrow::matte {

void copyRow(const RowConstants&, const PF_PixelFloat* in, PF_PixelFloat* out, A_long count) {
  if (in != out) {
    std::memmove(out, in, static_cast<std::size_t>(count) * sizeof(PF_PixelFloat));
  }
}

void invertColourRow(PF_PixelFloat* out, A_long count) {
  for (A_long i = 0; i < count; ++i) {
    out[i].red = static_cast<float>(1.0 - out[i].red);
    out[i].green = static_cast<float>(1.0 - out[i].green);
    out[i].blue = static_cast<float>(1.0 - out[i].blue);
  }
}

namespace {

FinishPass matteFinishFor(bool invert, bool alphaMatte) {
  if (invert) {
    return alphaMatte ? &finishMatteRow<true, true> : &finishMatteRow<true, false>;
  }
  return alphaMatte ? &finishMatteRow<false, true> : &finishMatteRow<false, false>;
}

}  // namespace

RowPlan planRow(const MatteSettings& s) {
  const Rotation rotation = rotationOf(s.rotateOrder);
  if (RowPass layer = layerRowFor(s, rotation)) {
    // Layer mode finishes its own clean-up in the kernel pass.
    return {layer, s.invert ? &invertColourRow : nullptr};
  }
  const FinishPass finish = matteFinishFor(s.invert != 0, s.alphaMatte != 0);
  if (RowPass shape = shapeRowFor(s.mode, rotation)) {
    return {shape, finish};
  }
  if (RowPass pattern = patternRowFor(s.mode, planeOf(s.axis), rotation)) {
    return {pattern, finish};
  }
  return {&copyRow, finish};
}

}  // namespace kestrow::matte
