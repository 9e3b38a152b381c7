// "Radial": concentric spherical bands, "Frequency" per unit of the
// weighted distance from "Position".
#pragma once

#include "matte/modes/Wave.h"

namespace kestrow::matte {

struct RadialMode : MatteRows<RadialMode> {
  static constexpr Mode kMode = Mode::Radial;

  //   waveMatte(d)
  template <class L>
  static typename L::D matte(const RowConstants& c, typename L::F x, typename L::F y,
                             typename L::F z) {
    return waveMatte<L>(c, weightedDistance<L>(c, widen<L>(x), widen<L>(y), widen<L>(z)));
  }
  static void plan(RowConstants&) {}

  static double reference(const ReferencePoint& p) { return referenceWave(p, p.distance); }
};

}  // namespace kestrow::matte
