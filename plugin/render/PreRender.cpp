#include <array>

#include "matte/MatteTypes.h"
#include "params/Params.h"
#include "render/Render.h"
#include "util/ParamCheckout.h"
#include "util/Rect.h"

namespace {

// After Effects makes no layer wider or taller than this many pixels, so a
// request of this square from the origin takes a layer's whole extent; the
// host clips it to what the layer holds.
constexpr A_long kMaxLayerSide = 30000;

// "Mode" at the frame's time. Non-layer controls may be checked out in
// pre-render; no parameter array comes with the command.
PF_Err modeAtFrame(const PF_InData* in_data, A_long* mode) {
  static constexpr std::array<PF_ParamIndex, 1> kMode = {MATTE_MODE};
  ParamCheckout<kMode.size()> controls(in_data, kMode);
  PF_Err err = controls.checkOut();
  if (err == PF_Err_NONE) {
    const PF_ParamDef* params[MATTE_NUM_PARAMS] = {};
    controls.byIndex(params);
    *mode = params[MATTE_MODE]->u.pd.value;
  }
  return controls.checkIn(err);
}

}  // namespace

// Each output pixel depends only on the input pixel at the same place, so the
// effect asks the input for exactly the region asked of it and reports back
// what the input can deliver. In "Layer" mode the picture layer is checked
// out too, whole, since the projection may sample any of it: the host gives
// an effect the pixels only of layers checked out here. The output's flags,
// `solid` and pre-render data are left as the host set them.
PF_Err PreRender(PF_InData* in_data, PF_OutData* /*out_data*/, PF_PreRenderExtra* extra) {
  PF_RenderRequest request = extra->input->output_request;

  // A failed check-out fills nothing, so its result is never merged: the
  // output rectangles stay exactly as the host handed them over.
  PF_CheckoutResult checkout{};

  PF_Err err = extra->cb->checkout_layer(in_data->effect_ref, MATTE_INPUT, kInputCheckoutId,
                                         &request, in_data->current_time, in_data->time_step,
                                         in_data->time_scale, &checkout);

  if (err == PF_Err_NONE) {
    UnionLRect(&checkout.result_rect, &extra->output->result_rect);
    UnionLRect(&checkout.max_result_rect, &extra->output->max_result_rect);
  }

  A_long mode = 0;
  if (err == PF_Err_NONE) {
    err = modeAtFrame(in_data, &mode);
  }
  if (err == PF_Err_NONE && mode == kestrow::matte::popupValue(kestrow::matte::Mode::Layer)) {
    // The picture does not shape the output: its rectangles are not merged.
    PF_RenderRequest whole = request;
    whole.rect = {0, 0, kMaxLayerSide, kMaxLayerSide};
    PF_CheckoutResult picture{};
    err = extra->cb->checkout_layer(in_data->effect_ref, MATTE_LAYER, kPictureCheckoutId, &whole,
                                    in_data->current_time, in_data->time_step, in_data->time_scale,
                                    &picture);
  }
  return err;
}
