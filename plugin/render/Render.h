// Smart rendering: region negotiation and the frame render.
#pragma once

#include "AE_Effect.h"
#include "AE_EffectSmartRender.h"

// Layer check-out ids, chosen by the effect: positive and unique. Each id
// checked out in pre-render may be taken once in render.
inline constexpr A_long kInputCheckoutId = 1;    // the layer the effect is applied to
inline constexpr A_long kPictureCheckoutId = 2;  // the "Layer" control, in "Layer" mode only

PF_Err PreRender(PF_InData* in_data, PF_OutData* out_data, PF_PreRenderExtra* extra);
PF_Err SmartRender(PF_InData* in_data, PF_OutData* out_data, PF_SmartRenderExtra* extra);
