// A plain evaluation of the matte, one pixel at a time, every setting read
// where it is used. It is slow on purpose and shares no code with the
// specialised row loops (it has its own rotations, smoothstep and picture
// access); the loops must agree with it bit for bit.
#pragma once

#include "AE_Effect.h"
#include "matte/Matte.h"
#include "matte/MatteTypes.h"

namespace kestrow::matte {

PF_PixelFloat evaluatePixelReference(const MatteSettings& settings, const PF_InData& inData,
                                     const PF_PixelFloat& in);

// Same contract as InvertPixelFloat.
PF_Err InvertPixelFloatReference(void* refcon, A_long x, A_long y, PF_PixelFloat* in,
                                 PF_PixelFloat* out);

}  // namespace kestrow::matte
