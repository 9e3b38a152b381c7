#include "AE_EffectCB.h"
#include "matte/Modes.h"
#include "params/Params.h"
#include "render/ActuallyRender.h"
#include "render/Render.h"
#include "util/ParamCheckout.h"

namespace {

// The "Layer" control's picture, taken in "Layer" mode only (the mode in
// which pre-render checked it out): an empty layer when the mode does not
// read it or no layer is chosen (the host then hands over no world).
PF_Err takePicture(PF_InData* in_data, PF_SmartRenderExtra* extra, const RenderParams& params,
                   PF_LayerDef* picture) {
  const PF_ParamDef* values[MATTE_NUM_PARAMS] = {};
  params.byIndex(values);
  *picture = PF_LayerDef{};
  if (values[MATTE_MODE]->u.pd.value != kestrow::matte::popupValue(kestrow::matte::Mode::Layer)) {
    return PF_Err_NONE;
  }
  PF_EffectWorld* world = nullptr;
  const PF_Err err =
      extra->cb->checkout_layer_pixels(in_data->effect_ref, kPictureCheckoutId, &world);
  if (err == PF_Err_NONE && world != nullptr) {
    *picture = *world;
  }
  return err;
}

}  // namespace

PF_Err SmartRender(PF_InData* in_data, PF_OutData* out_data, PF_SmartRenderExtra* extra) {
  // Checked back in on every path, after the suites are released; a thrown
  // suite error checks them in as it unwinds.
  RenderParams params(in_data, kRenderControls);
  PF_EffectWorld* input = nullptr;
  PF_EffectWorld* output = nullptr;
  PF_LayerDef picture{};

  PF_Err err = extra->cb->checkout_layer_pixels(in_data->effect_ref, kInputCheckoutId, &input);
  if (err == PF_Err_NONE) {
    err = extra->cb->checkout_output(in_data->effect_ref, &output);
  }
  if (err == PF_Err_NONE) {
    err = params.checkOut();
  }
  // A host that reports success must hand over both worlds.
  if (err == PF_Err_NONE && (input == nullptr || output == nullptr)) {
    err = PF_Err_BAD_CALLBACK_PARAM;
  }
  if (err == PF_Err_NONE) {
    err = takePicture(in_data, extra, params, &picture);
  }

  if (err == PF_Err_NONE) {
    err = ActuallyRender(in_data, input, params, picture, out_data, output);
  }
  return params.checkIn(err);
}
