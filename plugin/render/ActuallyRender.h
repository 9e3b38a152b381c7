// The render proper: fills the instance's settings record from the control
// values and runs the per-row matte function over the output.
#pragma once

#include <array>

#include "AE_Effect.h"
#include "params/Params.h"
#include "util/ParamCheckout.h"

// The controls the render reads, in the order they are checked out (and
// back in). "Pick Point" is never read, and the "Layer" control's picture
// is not a value: it comes as layer pixels (kPictureCheckoutId).
inline constexpr std::array<PF_ParamIndex, 24> kRenderControls = {
    MATTE_ALPHA_MATTE, MATTE_INVERT,   MATTE_MULTIPLY_VALUES,
    MATTE_THICKNESS,   MATTE_FEATHER,  MATTE_SCALE_Z,
    MATTE_SCALE_Y,     MATTE_SCALE_X,  MATTE_OFFSET,
    MATTE_FREQUENCY,   MATTE_SIZE_Z,   MATTE_SIZE_Y,
    MATTE_SIZE_X,      MATTE_RADIUS,   MATTE_AXIS,
    MATTE_POSITION,    MATTE_MODE,     MATTE_TILE,
    MATTE_OFFSET_U,    MATTE_OFFSET_V, MATTE_ROTATE_ORDER,
    MATTE_ROTATE_X,    MATTE_ROTATE_Y, MATTE_ROTATE_Z};

using RenderParams = ParamCheckout<kRenderControls.size()>;

// `params` must be checked out; `input` and `output` must be non-null;
// `picture` is the "Layer" control's picture (an empty layer, null data,
// when there is none or the mode does not read it).
//
// Errors: PF_Err_BAD_CALLBACK_PARAM when the world suite is missing (with a
// message for the user) or the input is not an 8-, 16- or 32-bit world;
// PF_Err_INTERNAL_STRUCT_DAMAGED when the instance has no sequence data (the
// output then receives a copy of the input); otherwise the first host error.
// Without a basic suite or an iteration suite it throws
// PF_Err_BAD_CALLBACK_PARAM; every suite it acquired is released first.
PF_Err ActuallyRender(PF_InData* in_data, PF_EffectWorld* input, const RenderParams& params,
                      const PF_LayerDef& picture, PF_OutData* out_data, PF_EffectWorld* output);
