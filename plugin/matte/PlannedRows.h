// What a render prepares once for all its row calls: the specialised loops
// chosen for the settings and the per-render constants. Its address is the
// reference value of the host's iteration, so a row call only evaluates.
#pragma once

#include "AE_Effect.h"
#include "matte/Matte.h"
#include "matte/RowConstants.h"
#include "matte/RowPlan.h"

namespace kestrow::matte {

struct PlannedRows {
  RowPlan plan;
  RowConstants constants;
  A_long width;  // pixels evaluated per call; none when not positive
};

// Reads the settings and the downsample denominators now: later changes to
// either do not reach rows evaluated with the result. The picture the
// settings name must stay readable until the last row call. `path` must be
// available on this machine (tests and benchmarks name one; renders use
// the active one).
PlannedRows planRows(const MatteSettings& settings, const PF_InData& inData, A_long width,
                     SimdPath path = activeSimdPath());

}  // namespace kestrow::matte
