// What the modes whose matte is a function of the weighted distance alone
// share: the kernel that skips the root where a block lies wholly in a
// range of constant matte, and the planning of those ranges.
#pragma once

#include "matte/LaneRows.h"
#include "matte/modes/Shortcuts.h"

namespace kestrow::matte {

// `Shape::of` gives the matte of a distance. Blocks lying wholly in the
// planned flat ranges take their constants.
template <class L, class Shape>
inline typename L::D distanceMatte(const RowConstants& c, typename L::F x, typename L::F y,
                                   typename L::F z) {
  const typename L::D sum = weightedSum<L>(c, widen<L>(x), widen<L>(y), widen<L>(z));
  if (typename L::D flat; flatMatte<L>(c.flat, sum, flat)) {
    return flat;
  }
  return Shape::template of<L>(c, rootAsPow<L>(sum));
}

// A mode whose matte is `Shape::of` the weighted distance.
template <class Shape>
struct DistanceMode : MatteRows<Shape> {
  template <class L>
  static typename L::D matte(const RowConstants& c, typename L::F x, typename L::F y,
                             typename L::F z) {
    return distanceMatte<L, Shape>(c, x, y, z);
  }
};

// The sums whose root lies in [nearest, farthest]; nearest <= 0 reaches
// down to every sum from -0 (pow's root of -0 is +0), an infinite farthest
// up to infinity. The root is the correctly rounded one: the 2^-20 margins
// on the squares keep far more than its half unit in the last place
// between the two.
inline FlatRange sumRange(double nearest, double farthest, double matte) {
  const auto moderate = [](double d) { return d >= 0x1p-400 && d <= 0x1p400; };
  double lowest = 0.0;
  double highest = shortcuts::kInfinity;
  if (nearest > 0.0) {
    if (!moderate(nearest)) return {};
    lowest = nearest * nearest * (1.0 + 0x1p-20);
  }
  if (farthest != shortcuts::kInfinity) {
    if (!moderate(farthest)) return {};
    highest = farthest * farthest * (1.0 - 0x1p-20);
  }
  if (!(lowest <= highest)) return {};
  return {lowest, highest, matte};
}

}  // namespace kestrow::matte
