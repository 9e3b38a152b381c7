// The per-row entry points handed to the host's pixel iterations.
#include "matte/Matte.h"
#include "matte/RowConstants.h"
#include "matte/RowPlan.h"

PF_Err InvertPixelFloat(void* refcon, A_long /*x*/, A_long /*y*/, PF_PixelFloat* in,
                        PF_PixelFloat* out) {
  const auto* context = static_cast<const MatteRowContext*>(refcon);
  if (context == nullptr || context->settings == nullptr || context->inData == nullptr ||
      context->output == nullptr) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  // The row is the output's width from the given pixels on; `x` is not a
  // bound, so a large x can neither shorten nor overrun the row.
  const A_long count = context->output->width;
  if (count <= 0) {
    return PF_Err_NONE;
  }
  if (in == nullptr || out == nullptr) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  const MatteSettings& settings = *context->settings;
  const kestrow::matte::RowPlan plan = kestrow::matte::planRow(settings);
  const kestrow::matte::RowConstants constants =
      kestrow::matte::makeRowConstants(settings, *context->inData);
  plan.evaluate(constants, in, out, count);
  if (plan.finish != nullptr) {
    plan.finish(out, count);
  }
  return PF_Err_NONE;
}

PF_Err InvertPixel16(void*, A_long, A_long, PF_Pixel16*, PF_Pixel16*) { return PF_Err_NONE; }

PF_Err InvertPixel8(void*, A_long, A_long, PF_Pixel8*, PF_Pixel8*) { return PF_Err_NONE; }
