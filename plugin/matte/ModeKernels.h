// Every mode's kernel, each from its file under matte/modes/, in one list
// that the row plan, the per-render constants and the reference evaluation
// all dispatch through. A mode struct gives:
//   kMode                  its "Mode" value (its row of matte/Modes.h)
//   row<L>(RowKernel)      its row loop in lane set L (MatteRows: the
//                          matte loop, whatever the plane or picture)
//   plan(RowConstants&)    its shortcuts' per-render constants
//   reference(...)         its plain formula (referenceColour for Layer)
#pragma once

#include <cstdint>

#include "matte/modes/Box.h"
#include "matte/modes/Circle.h"
#include "matte/modes/Grid.h"
#include "matte/modes/Layer.h"
#include "matte/modes/Radial.h"
#include "matte/modes/Rays.h"
#include "matte/modes/Ring.h"
#include "matte/modes/Square.h"

namespace kestrow::matte {

template <class... Modes>
struct ModeList {};

using AllModes =
    ModeList<CircleMode, RingMode, SquareMode, BoxMode, GridMode, RadialMode, RaysMode, LayerMode>;

// Calls fn.template operator()<M>() for the mode M whose value is `value`;
// false when no mode has it (separators and values out of range).
template <class Fn, class... Modes>
bool forMode(ModeList<Modes...>, int32_t value, Fn&& fn) {
  return ((static_cast<int32_t>(Modes::kMode) == value ? (fn.template operator()<Modes>(), true)
                                                       : false) ||
          ...);
}

template <class Fn>
bool forMode(int32_t value, Fn&& fn) {
  return forMode(AllModes{}, value, static_cast<Fn&&>(fn));
}

// The list and the table agree: one kernel for every mode the popup offers
// and none for a separator.
template <class... Modes>
consteval bool coversTheTable(ModeList<Modes...>) {
  for (int32_t value = 1; value <= kModeValues; ++value) {
    const int kernels = ((static_cast<int32_t>(Modes::kMode) == value ? 1 : 0) + ...);
    if (kernels != (modeInfo(value).kind == ModeKind::Separator ? 0 : 1)) return false;
  }
  return true;
}
static_assert(coversTheTable(AllModes{}), "every mode of the table has one kernel");

// The loop of a kernel choice in lane set L; null for the copy. (Written
// without library helpers: a function such a file instantiates outside
// its lane set could stand in for the baseline's copy at link time.)
template <LaneSet L>
RowPass laneRowFor(const RowKernel& kernel) {
  RowPass pass = nullptr;
  forMode(static_cast<int32_t>(kernel.mode), [&]<class M>() { pass = M::template row<L>(kernel); });
  return pass;
}

// A lane set's entry in the table of instruction sets.
template <LaneSet L>
constexpr LaneRowTable laneRowTable() {
  return {L::kCount, &laneRowFor<L>};
}

}  // namespace kestrow::matte
