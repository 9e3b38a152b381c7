// "Ring": a spherical shell of "Thickness" at "Radius", stretched by the
// axis weights, its faces softened over "Feather".
#pragma once

#include "matte/MatteReference.h"
#include "matte/modes/Distance.h"

namespace kestrow::matte {

struct RingMode : DistanceMode<RingMode> {
  static constexpr Mode kMode = Mode::Ring;

  // 1 - smoothStep(|d - radius| - halfThickness, 0, halfFeather)
  template <class L>
  static typename L::D of(const RowConstants& c, typename L::D d) {
    return 1.0 - smoothStep<L>(absolute<L>(d - c.radius) - c.halfThickness, 0.0, c.halfFeather);
  }

  // The smoothstep's argument grows with d from the radius outwards and
  // with falling d from the radius inwards, so the matte is 0 beyond a
  // distance on either side where it is Above, and 1 between two
  // distances round the radius where both are Below.
  static void plan(RowConstants& c) {
    using namespace shortcuts;
    const double r = c.radius;
    const double th = c.halfThickness;
    const double fh = c.halfFeather;
    if (!std::isfinite(r) || !std::isfinite(th) || !rising(0.0, fh)) return;
    const auto side = [&](double d) { return sideOf(std::fabs(d - r) - th, 0.0, fh); };
    const double margin = (std::fabs(r) + std::fabs(th) + std::fabs(fh)) * 0x1p-30;
    const double far = r + th + fh + margin;
    if (far >= r && side(far) == Side::Above) {
      c.flat[0] = sumRange(far, kInfinity, 0.0);
    }
    const double near = r - th - fh - margin;
    if (near <= r && side(near) == Side::Above) {
      c.flat[1] = sumRange(0.0, near, 0.0);
    }
    const double innerLow = r - th + margin;
    const double innerHigh = r + th - margin;
    if (innerLow <= r && r <= innerHigh && side(innerLow) == Side::Below &&
        side(innerHigh) == Side::Below) {
      c.flat[2] = sumRange(innerLow, innerHigh, 1.0);
    }
  }

  static double reference(const ReferencePoint& p) {
    return 1.0 -
           ::smoothStep(std::fabs(p.distance - p.radius) - p.halfThickness, 0.0, p.halfFeather);
  }
};

}  // namespace kestrow::matte
