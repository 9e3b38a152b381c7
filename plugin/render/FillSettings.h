// Turns the checked-out control values into the settings record.
#pragma once

#include "AE_Effect.h"
#include "matte/Matte.h"
#include "params/Params.h"

// `params` is indexed by the MATTE_* constants; every control the matte reads
// must be present ("Pick Point", "Layer" and the input layer are not read);
// `picture` is the "Layer" control's picture as checked out. Writes
// every field except `mode`, folding "Multiply Values" in by the mode's
// rule (matte/Modes.h): the radius is always multiplied. Products and the
// quotient are in double.
void FillMatteSettings(const PF_ParamDef* const params[MATTE_NUM_PARAMS],
                       const PF_LayerDef& picture, MatteSettings* settings);
