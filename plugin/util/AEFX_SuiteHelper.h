// Acquire or release one named suite without throwing: on failure the
// message (or a default) goes to out_data->return_msg with
// PF_OutFlag_DISPLAY_ERROR_MESSAGE, and PF_Err_BAD_CALLBACK_PARAM is returned.
#pragma once

#include "AE_Effect.h"

// error_text may be null ("Not able to acquire AEFX Suite.").
PF_Err AEFX_AcquireSuite(PF_InData* in_data, PF_OutData* out_data, const char* name,
                         int32_t version, const char* error_text, void** suite_out);
// error_text may be null ("Not able to release AEFX Suite.").
PF_Err AEFX_ReleaseSuite(PF_InData* in_data, PF_OutData* out_data, const char* name,
                         int32_t version, const char* error_text);
