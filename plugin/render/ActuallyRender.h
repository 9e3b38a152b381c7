// The render proper: fills the instance's settings record from the control
// values and runs the per-row matte function over the output.
#pragma once

#include "AE_Effect.h"

// The 25 records come in the order SmartRender checks them out; all must be
// checked out (this only reads them). `input` and `output` must be non-null.
//
// Errors: PF_Err_BAD_CALLBACK_PARAM when the world suite, an iteration suite
// or the basic suite is missing, or the input is not an 8-, 16- or 32-bit
// world; PF_Err_INTERNAL_STRUCT_DAMAGED when the instance has no sequence
// data (the output then receives a copy of the input); otherwise the first
// host error. Never throws: every suite it acquires is released before it
// returns, whatever happened.
PF_Err ActuallyRender(PF_InData* in_data, PF_EffectWorld* input, const PF_ParamDef* alphaMatte,
                      const PF_ParamDef* invert, const PF_ParamDef* multiplyValues,
                      const PF_ParamDef* thickness, const PF_ParamDef* feather,
                      const PF_ParamDef* scaleZ, const PF_ParamDef* scaleY,
                      const PF_ParamDef* scaleX, const PF_ParamDef* offset,
                      const PF_ParamDef* frequency, const PF_ParamDef* sizeZ,
                      const PF_ParamDef* sizeY, const PF_ParamDef* sizeX, const PF_ParamDef* radius,
                      const PF_ParamDef* axis, const PF_ParamDef* position, const PF_ParamDef* mode,
                      const PF_ParamDef* layer, const PF_ParamDef* tile, const PF_ParamDef* offsetU,
                      const PF_ParamDef* offsetV, const PF_ParamDef* rotateOrder,
                      const PF_ParamDef* rotateX, const PF_ParamDef* rotateY,
                      const PF_ParamDef* rotateZ, PF_OutData* out_data, PF_EffectWorld* output);
