#include "params/Params.h"

// No flag depends on a control value; "Mode" is checked out and back in only
// so the host sees the control read. Neither flag word is touched.
PF_Err QueryDynamicFlags(PF_InData* in_data, PF_OutData* /*out_data*/, PF_ParamDef* /*params*/[],
                         void* /*extra*/) {
  PF_ParamDef mode{};
  PF_Err err = in_data->inter.checkout_param(in_data->effect_ref, MATTE_MODE, in_data->current_time,
                                             in_data->time_step, in_data->time_scale, &mode);
  // Checked back in also after a failed check-out; the first error wins.
  const PF_Err checkinErr = in_data->inter.checkin_param(in_data->effect_ref, &mode);
  if (err == PF_Err_NONE) {
    err = checkinErr;
  }
  return err;
}
