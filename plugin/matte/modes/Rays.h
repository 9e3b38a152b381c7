// "Rays": "Frequency" sectors fanning round the axis the "Axis" plane does
// not name.
#pragma once

#include "matte/modes/Wave.h"

namespace kestrow::matte {

//   angle = atan2((float)(a * weightA), (float)(b * weightB))   (correctly rounded)
//   waveMatte(((double)angle + 3.14) / 6.28)
// with (a, b) the plane's coordinates: XZ (x, z), XY (x, y), YZ (y, z).
template <Plane P>
struct RaysInPlane {
  template <class L>
  static typename L::D matte(const RowConstants& c, typename L::F fx, typename L::F fy,
                             typename L::F fz) {
    const typename L::D x = widen<L>(fx), y = widen<L>(fy), z = widen<L>(fz);
    typename L::F a, b;
    if constexpr (P == Plane::XZ) {
      a = narrow<L>(x * c.weightX), b = narrow<L>(z * c.weightZ);
    } else if constexpr (P == Plane::XY) {
      a = narrow<L>(x * c.weightX), b = narrow<L>(y * c.weightY);
    } else {
      a = narrow<L>(y * c.weightY), b = narrow<L>(z * c.weightZ);
    }
    return waveMatte<L>(c, (widen<L>(atan2Lanes<L>(a, b)) + 3.14) / 6.28);
  }
};

struct RaysMode {
  static constexpr Mode kMode = Mode::Rays;

  template <class L>
  static RowPass row(const RowKernel& k) {
    return planeRow<L, RaysInPlane>(k.plane);
  }
  static void plan(RowConstants&) {}

  static double reference(const ReferencePoint& p) {
    const auto X = static_cast<float>(p.x * p.weightX);
    const auto Y = static_cast<float>(p.y * p.weightY);
    const auto Z = static_cast<float>(p.z * p.weightZ);
    const double uXZ = (atan2Rounded(X, Z) + 3.14) / 6.28;
    const double uXY = (atan2Rounded(X, Y) + 3.14) / 6.28;
    const double uYZ = (atan2Rounded(Y, Z) + 3.14) / 6.28;
    const Plane plane = planeOf(p.settings.axis);
    return referenceWave(p, plane == Plane::XY ? uXY : plane == Plane::YZ ? uYZ : uXZ);
  }
};

}  // namespace kestrow::matte
