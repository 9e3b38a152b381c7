#include "AE_EffectCB.h"
#include "entry/Lifecycle.h"
#include "resources/Kestrow_Strings.h"

PF_Err SequenceSetup(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* /*params*/[],
                     PF_LayerDef* /*output*/) {
  PF_Handle seqH = in_data->utils->host_new_handle(kSequenceDataSize);
  out_data->sequence_data = seqH;
  if (!seqH) {
    in_data->utils->ansi.strcpy(out_data->return_msg, GetStringPtr(StrID_Err_LoadSuite));
    out_data->out_flags |= PF_OutFlag_DISPLAY_ERROR_MESSAGE;
    return PF_Err_INTERNAL_STRUCT_DAMAGED;
  }
  // Only the mode is set: -1 matches no mode until the first render fills
  // the whole record. The rest of the block is never read.
  static_cast<SequenceData*>(*seqH)->settings.mode = -1;
  out_data->flat_sdata_size = kSequenceDataSize;
  return PF_Err_NONE;
}

PF_Err SequenceResetup(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                       PF_LayerDef* output) {
  // A stored block holds only the last render's settings, which are
  // recomputed anyway: start again from a fresh one.
  if (in_data->sequence_data) {
    in_data->utils->host_dispose_handle(in_data->sequence_data);
    in_data->sequence_data = nullptr;
  }
  return SequenceSetup(in_data, out_data, params, output);
}

PF_Err SequenceSetdown(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* /*params*/[],
                       PF_LayerDef* /*output*/) {
  if (in_data->sequence_data) {
    in_data->utils->host_dispose_handle(in_data->sequence_data);
    out_data->sequence_data = nullptr;
    in_data->sequence_data = nullptr;
  }
  return PF_Err_NONE;
}

PF_Err SequenceFlatten(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* /*params*/[],
                       PF_LayerDef* /*output*/) {
  // The block holds no pointers the project needs (re-setup starts afresh),
  // so it is its own flat form: handed back as it is, the host stores it.
  out_data->sequence_data = in_data->sequence_data;
  if (in_data->sequence_data) {
    out_data->flat_sdata_size = kSequenceDataSize;
  }
  return PF_Err_NONE;
}
