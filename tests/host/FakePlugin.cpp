// A minimal effect for the host's own tests: it follows the protocol unless
// told to misbehave in one of the ways the host must notice.
#include <stdexcept>

#include "AE_EffectCB.h"
#include "AE_EffectSmartRender.h"
#include "AE_EffectSuites.h"
#include "AE_GeneralPlug.h"
#include "FakePluginBehaviour.h"

namespace {

int g_behaviour = kFakeWellBehaved;

struct Global {
  AEGP_PluginID id;
};

const void* acquire(PF_InData* in, const char* name, int version) {
  const void* suite = nullptr;
  in->pica_basicP->AcquireSuite(name, version, &suite);
  return suite;
}

PF_Err globalSetup(PF_InData* in, PF_OutData* out) {
  out->my_version = kFakeVersion;
  out->out_flags = kFakeOutFlags;
  out->out_flags2 = kFakeOutFlags2;
  auto* handles = static_cast<const PF_HandleSuite1*>(acquire(in, kPFHandleSuite, 2));
  auto* utility = static_cast<const AEGP_UtilitySuite3*>(acquire(in, kAEGPUtilitySuite, 7));
  PF_Handle global = handles->host_new_handle(sizeof(Global));
  PF_Err err = utility->AEGP_RegisterWithAEGP(nullptr, "Fake", &static_cast<Global*>(*global)->id);
  if (err == PF_Err_NONE)
    out->global_data = global;
  else
    handles->host_dispose_handle(global);
  in->pica_basicP->ReleaseSuite(kPFHandleSuite, 2);
  in->pica_basicP->ReleaseSuite(kAEGPUtilitySuite, 7);
  return err;
}

PF_Err paramsSetup(PF_InData* in, PF_OutData* out) {
  PF_ParamDef def{};
  def.param_type = PF_Param_FLOAT_SLIDER;
  def.flags = PF_ParamFlag_SUPERVISE;
  def.u.fs_d.valid_min = -10;
  def.u.fs_d.valid_max = 10;
  def.u.fs_d.value = 1;
  in->inter.add_param(in->effect_ref, -1, &def);
  out->num_params = 2;
  return PF_Err_NONE;
}

PF_Err updateUI(PF_InData* in, PF_OutData* out) {
  // The host promises its blocks in in_data only; out_data's handle fields
  // are the effect's answer and must come empty.
  if (out->global_data != nullptr || out->sequence_data != nullptr) {
    return PF_Err_INTERNAL_STRUCT_DAMAGED;
  }
  const AEGP_PluginID id = static_cast<Global*>(*in->global_data)->id;
  auto* pf = static_cast<const AEGP_PFInterfaceSuite1*>(acquire(in, kAEGPPFInterfaceSuite, 1));
  auto* streams = static_cast<const AEGP_StreamSuite2*>(acquire(in, kAEGPStreamSuite, 7));
  auto* effects = static_cast<const AEGP_EffectSuite2*>(acquire(in, kAEGPEffectSuite, 2));
  AEGP_EffectRefH effect = nullptr;
  AEGP_StreamRefH stream = nullptr;
  const AEGP_PluginID useId = g_behaviour == kFakeWrongPluginId ? id + 1 : id;
  if (g_behaviour == kFakeWrongSlots) {
    // Results ignored, as a plug-in that took these for other functions would.
    (void)streams->AEGP_IsStreamLegal(nullptr, 0, nullptr);
    (void)in->utils->fill(in->effect_ref, nullptr, nullptr, nullptr);
  }
  PF_Err err = pf->AEGP_GetNewEffectForEffect(useId, in->effect_ref, &effect);
  if (!err) err = streams->AEGP_GetNewEffectStreamByIndex(id, effect, 1, &stream);
  if (g_behaviour == kFakeEffectBeforeStreams) {
    if (effect) effects->AEGP_DisposeEffect(effect);
    if (stream) streams->AEGP_DisposeStream(stream);
  } else if (g_behaviour != kFakeLeakReferences) {
    if (stream) streams->AEGP_DisposeStream(stream);
    if (effect) effects->AEGP_DisposeEffect(effect);
  }
  in->pica_basicP->ReleaseSuite(kAEGPPFInterfaceSuite, 1);
  in->pica_basicP->ReleaseSuite(kAEGPStreamSuite, 7);
  in->pica_basicP->ReleaseSuite(kAEGPEffectSuite, 2);
  return err;
}

PF_Err userChanged(PF_InData* in, PF_ParamDef* params[]) {
  PF_ParamDef value{};
  PF_Err err = in->inter.checkout_param(in->effect_ref, 1, 0, 1, 24, &value);
  if (g_behaviour != kFakeLeakCheckout) in->inter.checkin_param(in->effect_ref, &value);
  // Doubles the slider the user set, as a plug-in correcting a value would.
  params[1]->u.fs_d.value = value.u.fs_d.value * 2;
  params[1]->uu.change_flags = PF_ChangeFlag_CHANGED_VALUE;
  return err;
}

PF_Err about(PF_InData* in) {
  switch (g_behaviour) {
    case kFakeLeakHandle:
      in->utils->host_new_handle(3);
      break;
    case kFakeLeakSuite:
      acquire(in, kPFANSISuite, 1);
      break;
    case kFakeThrow:
      throw std::runtime_error("about failed");
    default:
      break;
  }
  return PF_Err_NONE;
}

// The input under id 1 (or as told), the output rectangles from its result.
PF_Err preRender(PF_InData* in, PF_PreRenderExtra* extra) {
  const A_long id = g_behaviour == kFakeZeroCheckoutId ? 0 : 1;
  PF_RenderRequest request = extra->input->output_request;
  PF_CheckoutResult result{};
  PF_Err err = extra->cb->checkout_layer(in->effect_ref, 0, id, &request, in->current_time,
                                         in->time_step, in->time_scale, &result);
  if (!err && g_behaviour == kFakeRepeatedCheckoutId) {
    err = extra->cb->checkout_layer(in->effect_ref, 0, id, &request, in->current_time,
                                    in->time_step, in->time_scale, &result);
  }
  extra->output->result_rect = result.result_rect;
  extra->output->max_result_rect = result.max_result_rect;
  return err;
}

// Takes the input and the output and leaves the output as it is.
PF_Err smartRender(PF_InData* in, PF_SmartRenderExtra* extra) {
  PF_EffectWorld* input = nullptr;
  PF_EffectWorld* output = nullptr;
  const A_long id = g_behaviour == kFakeUnrequestedPixels ? 7 : 1;
  PF_Err err = extra->cb->checkout_layer_pixels(in->effect_ref, id, &input);
  if (!err && g_behaviour == kFakePixelsTwice) {
    err = extra->cb->checkout_layer_pixels(in->effect_ref, id, &input);
  }
  if (!err && g_behaviour == kFakeLayerParamInRender) {
    PF_ParamDef layer{};
    err = in->inter.checkout_param(in->effect_ref, 0, in->current_time, in->time_step,
                                   in->time_scale, &layer);
    if (!err && layer.u.ld.data != nullptr) err = PF_Err_INTERNAL_STRUCT_DAMAGED;
    in->inter.checkin_param(in->effect_ref, &layer);
  }
  if (!err) err = extra->cb->checkout_output(in->effect_ref, &output);
  return err;
}

}  // namespace

PF_EXPORT void FakeSetBehaviour(int behaviour) { g_behaviour = behaviour; }

PF_EXPORT PF_Err EntryPointFunc(PF_Cmd cmd, PF_InData* in, PF_OutData* out, PF_ParamDef* params[],
                                PF_LayerDef*, void* extra) {
  switch (cmd) {
    case PF_Cmd_ABOUT:
      return about(in);
    case PF_Cmd_GLOBAL_SETUP:
      return globalSetup(in, out);
    case PF_Cmd_GLOBAL_SETDOWN: {
      auto* handles = static_cast<const PF_HandleSuite1*>(acquire(in, kPFHandleSuite, 2));
      handles->host_dispose_handle(in->global_data);
      in->pica_basicP->ReleaseSuite(kPFHandleSuite, 2);
      return PF_Err_NONE;
    }
    case PF_Cmd_PARAMS_SETUP:
      return paramsSetup(in, out);
    case PF_Cmd_SEQUENCE_SETUP:
      out->sequence_data = in->utils->host_new_handle(16);
      out->flat_sdata_size = 16;
      return PF_Err_NONE;
    case PF_Cmd_SEQUENCE_RESETUP:
      in->utils->host_dispose_handle(in->sequence_data);
      out->sequence_data = in->utils->host_new_handle(16);
      out->flat_sdata_size = 16;
      return PF_Err_NONE;
    case PF_Cmd_SEQUENCE_FLATTEN:
      if (g_behaviour != kFakeFlattenDropsBlock) out->sequence_data = in->sequence_data;
      return PF_Err_NONE;
    case PF_Cmd_SEQUENCE_SETDOWN:
      in->utils->host_dispose_handle(in->sequence_data);
      if (g_behaviour == kFakeDisposeTwice) in->utils->host_dispose_handle(in->sequence_data);
      return PF_Err_NONE;
    case PF_Cmd_SMART_PRE_RENDER:
      return preRender(in, static_cast<PF_PreRenderExtra*>(extra));
    case PF_Cmd_SMART_RENDER:
      return smartRender(in, static_cast<PF_SmartRenderExtra*>(extra));
    case PF_Cmd_USER_CHANGED_PARAM:
      return userChanged(in, params);
    case PF_Cmd_UPDATE_PARAMS_UI:
      return updateUI(in, out);
    default:
      return PF_Err_NONE;
  }
}
