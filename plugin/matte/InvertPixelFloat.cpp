// The per-row entry points handed to the host's pixel iterations.
#include <algorithm>

#include "matte/Matte.h"
#include "matte/PlannedRows.h"

namespace kestrow::matte {

PlannedRows planRows(const MatteSettings& settings, const PF_InData& inData, A_long width,
                     SimdPath path) {
  return {planRow(settings, path), makeRowConstants(settings, inData), width};
}

}  // namespace kestrow::matte

PF_Err InvertPixelFloat(void* refcon, A_long /*x*/, A_long /*y*/, PF_PixelFloat* in,
                        PF_PixelFloat* out) {
  const auto* rows = static_cast<const kestrow::matte::PlannedRows*>(refcon);
  if (rows == nullptr) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  // The row is the planned width from the given pixels on; `x` is not a
  // bound, so a large x can neither shorten nor overrun the row.
  const A_long count = rows->width;
  if (count <= 0) {
    return PF_Err_NONE;
  }
  if (in == nullptr || out == nullptr) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  rows->plan.evaluate(rows->constants, in, out, count);
  return PF_Err_NONE;
}

namespace {

// A row of transparent black: the planned width from `out` on.
template <typename Pixel>
PF_Err clearRow(const void* refcon, Pixel* out) {
  const auto* rows = static_cast<const kestrow::matte::PlannedRows*>(refcon);
  if (rows == nullptr) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  if (rows->width <= 0) {
    return PF_Err_NONE;
  }
  if (out == nullptr) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  std::fill(out, out + rows->width, Pixel{});
  return PF_Err_NONE;
}

}  // namespace

PF_Err InvertPixel16(void* refcon, A_long, A_long, PF_Pixel16*, PF_Pixel16* out) {
  return clearRow(refcon, out);
}

PF_Err InvertPixel8(void* refcon, A_long, A_long, PF_Pixel8*, PF_Pixel8* out) {
  return clearRow(refcon, out);
}
