#include "params/Params.h"
#include "render/Render.h"
#include "util/Rect.h"

// Each output pixel depends only on the input pixel at the same place, so the
// effect asks the input for exactly the region asked of it and reports back
// what the input can deliver. The output's flags, `solid` and pre-render data
// are left as the host set them.
PF_Err PreRender(PF_InData* in_data, PF_OutData* /*out_data*/, PF_PreRenderExtra* extra) {
  PF_RenderRequest request = extra->input->output_request;

  // A failed check-out fills nothing, so its result is never merged: the
  // output rectangles stay exactly as the host handed them over.
  PF_CheckoutResult checkout{};

  PF_Err err = extra->cb->checkout_layer(in_data->effect_ref, MATTE_INPUT, 0, &request,
                                         in_data->current_time, in_data->time_step,
                                         in_data->time_scale, &checkout);

  if (err == PF_Err_NONE) {
    UnionLRect(&checkout.result_rect, &extra->output->result_rect);
    UnionLRect(&checkout.max_result_rect, &extra->output->max_result_rect);
  }
  return err;
}
