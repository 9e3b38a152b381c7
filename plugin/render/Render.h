// Smart rendering: region negotiation and the frame render.
#pragma once

#include "AE_Effect.h"
#include "AE_EffectSmartRender.h"

PF_Err PreRender(PF_InData* in_data, PF_OutData* out_data, PF_PreRenderExtra* extra);
PF_Err SmartRender(PF_InData* in_data, PF_OutData* out_data, PF_SmartRenderExtra* extra);
