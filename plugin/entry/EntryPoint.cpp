// The plug-in's one exported function: every host command arrives here.
#include <new>

#include "AE_Effect.h"
#include "AE_EffectSmartRender.h"
#include "entry/Lifecycle.h"
#include "params/Params.h"
#include "render/Render.h"

namespace {

PF_Err dispatch(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                PF_LayerDef* output, void* extra) {
  switch (cmd) {
    case PF_Cmd_ABOUT:
      return About(in_data, out_data, params, output);
    case PF_Cmd_GLOBAL_SETUP:
      return GlobalSetup(in_data, out_data, params, output);
    case PF_Cmd_GLOBAL_SETDOWN:
      return GlobalSetdown(in_data);
    case PF_Cmd_PARAMS_SETUP:
      return ParamsSetup(in_data, out_data, params, output);
    case PF_Cmd_SEQUENCE_SETUP:
      return SequenceSetup(in_data, out_data, params, output);
    case PF_Cmd_SEQUENCE_RESETUP:
      return SequenceResetup(in_data, out_data, params, output);
    case PF_Cmd_SEQUENCE_FLATTEN:
      return SequenceFlatten(in_data, out_data, params, output);
    case PF_Cmd_SEQUENCE_SETDOWN:
      return SequenceSetdown(in_data, out_data, params, output);
    case PF_Cmd_USER_CHANGED_PARAM:
      return UserChangedParam(in_data, out_data, params, output,
                              static_cast<const PF_UserChangedParamExtra*>(extra));
    case PF_Cmd_UPDATE_PARAMS_UI:
      return UpdateParameterUI(in_data, out_data, params, output);
    case PF_Cmd_QUERY_DYNAMIC_FLAGS:
      return QueryDynamicFlags(in_data, out_data, params, extra);
    case PF_Cmd_SMART_PRE_RENDER:
      return PreRender(in_data, out_data, static_cast<PF_PreRenderExtra*>(extra));
    case PF_Cmd_SMART_RENDER:
      return SmartRender(in_data, out_data, static_cast<PF_SmartRenderExtra*>(extra));
    default:
      // Everything else, the legacy render included, is answered as done:
      // the effect renders only through the smart commands.
      return PF_Err_NONE;
  }
}

}  // namespace

// Runs the command's handler and returns its result. A PF_Err thrown by a
// suite accessor below a handler becomes the result once the handler's
// objects have released what they hold. No other exception may cross into
// the host: running out of memory is reported as PF_Err_OUT_OF_MEMORY and
// anything else as PF_Err_INTERNAL_STRUCT_DAMAGED.
PF_EXPORT PF_Err EntryPointFunc(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data,
                                PF_ParamDef* params[], PF_LayerDef* output, void* extra) {
  try {
    return dispatch(cmd, in_data, out_data, params, output, extra);
  } catch (PF_Err thrown) {
    return thrown;
  } catch (const std::bad_alloc&) {
    return PF_Err_OUT_OF_MEMORY;
  } catch (...) {
    return PF_Err_INTERNAL_STRUCT_DAMAGED;
  }
}
