// What "Square" and "Box" share: a block whose every lane lies past one
// axis's outside bound has the matte +0, and the planning of those bounds.
#pragma once

#include "matte/LaneRows.h"
#include "matte/modes/Shortcuts.h"

namespace kestrow::matte {

// Whether one axis puts every lane of the block past its outside bound
// while no lane of any axis is not-a-number: the axis's factors are then
// +0 and every product, and so the matte, is +0.
template <class L>
inline bool outsideBlock(const RowConstants& c, typename L::D ax, typename L::D ay,
                         typename L::D az) {
  if (!(all<L>(ax >= lanes<L>(c.outsideX)) || all<L>(ay >= lanes<L>(c.outsideY)) ||
        all<L>(az >= lanes<L>(c.outsideZ)))) {
    return false;
  }
  return all<L>((ax == ax) & (ay == ay) & (az == az));
}

// |coordinate| x weight on each axis, in double.
template <class L>
struct AxisLanes {
  typename L::D x, y, z;
};

template <class L>
inline AxisLanes<L> weightedMagnitudes(const RowConstants& c, typename L::F x, typename L::F y,
                                       typename L::F z) {
  return {absolute<L>(widen<L>(x)) * c.weightX, absolute<L>(widen<L>(y)) * c.weightY,
          absolute<L>(widen<L>(z)) * c.weightZ};
}

// A mode whose matte is `Shape::ofAxes` of the weighted magnitudes: +0
// for a block wholly outside one axis's bound.
template <class Shape>
struct SlabMode : MatteRows<Shape> {
  template <class L>
  static typename L::D matte(const RowConstants& c, typename L::F x, typename L::F y,
                             typename L::F z) {
    const AxisLanes<L> a = weightedMagnitudes<L>(c, x, y, z);
    if (outsideBlock<L>(c, a.x, a.y, a.z)) {
      return lanes<L>(0.0);
    }
    return Shape::template ofAxes<L>(c, a);
  }
};

// Sets the three outside bounds from `outside(c, extent)`. A bound is
// known only where the axis's factors are not-a-number for not-a-number
// coordinates alone; the shortcut needs that of all three.
template <class Outside>
inline void planOutside(RowConstants& c, Outside outside) {
  c.outsideX = outside(c, c.extentX);
  c.outsideY = outside(c, c.extentY);
  c.outsideZ = outside(c, c.extentZ);
  if (std::isnan(c.outsideX) || std::isnan(c.outsideY) || std::isnan(c.outsideZ)) {
    c.outsideX = c.outsideY = c.outsideZ = shortcuts::kNotANumber;
  }
}

}  // namespace kestrow::matte
