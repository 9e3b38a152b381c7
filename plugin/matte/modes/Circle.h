// "Circle": a ball of "Radius" round "Position", stretched by the axis
// weights, its edge softened over "Feather".
#pragma once

#include "matte/MatteReference.h"
#include "matte/modes/Distance.h"

namespace kestrow::matte {

struct CircleMode : DistanceMode<CircleMode> {
  static constexpr Mode kMode = Mode::Circle;

  // 1 - smoothStep(d, radius - halfFeather, radius + halfFeather)
  template <class L>
  static typename L::D of(const RowConstants& c, typename L::D d) {
    return 1.0 - smoothStep<L>(d, c.radius - c.halfFeather, c.radius + c.halfFeather);
  }

  // The matte is 0 from just past the outer edge on and 1 up to just short
  // of the inner one.
  static void plan(RowConstants& c) {
    using namespace shortcuts;
    const double edge0 = c.radius - c.halfFeather;
    const double edge1 = c.radius + c.halfFeather;
    if (!rising(edge0, edge1)) return;
    const double margin = (std::fabs(edge0) + std::fabs(edge1)) * 0x1p-30;
    const double outer = edge1 + margin;
    if (sideOf(outer, edge0, edge1) == Side::Above) {
      c.flat[0] = sumRange(outer, kInfinity, 0.0);
    }
    const double inner = edge0 - margin;
    if (sideOf(inner, edge0, edge1) == Side::Below) {
      c.flat[1] = sumRange(0.0, inner, 1.0);
    }
  }

  static double reference(const ReferencePoint& p) {
    return 1.0 - ::smoothStep(p.distance, p.radius - p.halfFeather, p.radius + p.halfFeather);
  }
};

}  // namespace kestrow::matte
