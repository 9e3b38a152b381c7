#include "util/AEFX_SuiteHelper.h"

#include "AE_EffectCB.h"

namespace {

PF_Err reportFailure(PF_InData* in_data, PF_OutData* out_data, const char* error_text,
                     const char* fallback) {
  out_data->out_flags |= PF_OutFlag_DISPLAY_ERROR_MESSAGE;
  // Passed as an argument, not as the format, so a '%' in a message can
  // never be read as a conversion.
  in_data->utils->ansi.sprintf(out_data->return_msg, "%s", error_text ? error_text : fallback);
  return PF_Err_BAD_CALLBACK_PARAM;
}

}  // namespace

PF_Err AEFX_AcquireSuite(PF_InData* in_data, PF_OutData* out_data, const char* name,
                         int32_t version, const char* error_text, void** suite_out) {
  // Cleared first: a host that fails may leave the pointer unwritten.
  *suite_out = nullptr;
  const SPBasicSuite* basic = in_data->pica_basicP;
  if (basic) {
    const void* suite = nullptr;
    (void)basic->AcquireSuite(name, version, &suite);
    *suite_out = const_cast<void*>(suite);
  }
  if (!*suite_out) {
    return reportFailure(in_data, out_data, error_text, "Not able to acquire AEFX Suite.");
  }
  return PF_Err_NONE;
}

PF_Err AEFX_ReleaseSuite(PF_InData* in_data, PF_OutData* out_data, const char* name,
                         int32_t version, const char* error_text) {
  const SPBasicSuite* basic = in_data->pica_basicP;
  if (!basic) {
    return reportFailure(in_data, out_data, error_text, "Not able to release AEFX Suite.");
  }
  (void)basic->ReleaseSuite(name, version);
  return PF_Err_NONE;
}
