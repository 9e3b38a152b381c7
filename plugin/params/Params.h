// The effect's controls: their indices in the host's parameter array (stored
// with projects, so the order never changes) and the handlers that define
// them and react to them.
#pragma once

#include "AE_Effect.h"
#include "matte/MatteTypes.h"  // the popup values of "Mode", "RotateOrder" and "Axis"

enum {
  MATTE_INPUT = 0,
  MATTE_MODE,
  MATTE_PICK_POINT,
  MATTE_POSITION,
  MATTE_ROTATE_ORDER,
  MATTE_ROTATE_X,
  MATTE_ROTATE_Y,
  MATTE_ROTATE_Z,
  MATTE_LAYER,
  MATTE_TILE,
  MATTE_OFFSET_U,
  MATTE_OFFSET_V,
  MATTE_AXIS,
  MATTE_RADIUS,
  MATTE_SIZE_X,
  MATTE_SIZE_Y,
  MATTE_SIZE_Z,
  MATTE_FREQUENCY,
  MATTE_OFFSET,
  MATTE_FEATHER,
  MATTE_THICKNESS,
  MATTE_SCALE_X,
  MATTE_SCALE_Y,
  MATTE_SCALE_Z,
  MATTE_MULTIPLY_VALUES,
  MATTE_INVERT,
  MATTE_ALPHA_MATTE,
  MATTE_NUM_PARAMS
};
static_assert(MATTE_ALPHA_MATTE == 26 && MATTE_NUM_PARAMS == 27);

PF_Err ParamsSetup(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                   PF_LayerDef* output);
PF_Err UpdateParameterUI(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                         PF_LayerDef* output);
PF_Err QueryDynamicFlags(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                         void* extra);
PF_Err UserChangedParam(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                        PF_LayerDef* output, const PF_UserChangedParamExtra* extra);
