// Choice of the specialised loops for a settings record, made once per row
// call: the kernel pass by mode (with plane, picture state and tiling for
// the modes that use them) and rotation order, the finishing pass by
// "Invert" and "Alpha Matte".
#pragma once

#include <cstdint>

#include "matte/Matte.h"
#include "matte/RowConstants.h"
#include "matte/RowLoop.h"

namespace kestrow::matte {

struct RowPlan {
  RowPass evaluate;
  FinishPass finish;  // null when there is nothing to finish
};

RowPlan planRow(const MatteSettings& settings);

// Per family; null when the mode is not one of the family's.
RowPass shapeRowFor(int32_t mode, Rotation rotation);
RowPass patternRowFor(int32_t mode, Plane plane, Rotation rotation);
RowPass layerRowFor(const MatteSettings& settings, Rotation rotation);

}  // namespace kestrow::matte
