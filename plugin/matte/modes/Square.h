// "Square": a solid box of "Radius" x "Size" half extents, its faces
// softened over "Feather".
#pragma once

#include "matte/MatteReference.h"
#include "matte/modes/Slabs.h"

namespace kestrow::matte {

struct SquareMode : SlabMode<SquareMode> {
  static constexpr Mode kMode = Mode::Square;

  // One axis, X then Y then Z, the product of the three:
  //   slab(a, extent) = 1 - smoothStep(|a| * weight, extent - halfFeather, extent + halfFeather)
  template <class L>
  static typename L::D slab(typename L::D a, double extent, double halfFeather) {
    return 1.0 - smoothStep<L>(a, extent - halfFeather, extent + halfFeather);
  }
  template <class L>
  static typename L::D ofAxes(const RowConstants& c, const AxisLanes<L>& a) {
    const typename L::D mx = slab<L>(a.x, c.extentX, c.halfFeather);
    const typename L::D my = slab<L>(a.y, c.extentY, c.halfFeather);
    const typename L::D mz = slab<L>(a.z, c.extentZ, c.halfFeather);
    return mx * my * mz;
  }

  // A slab is 0 from just past its outer edge on.
  static void plan(RowConstants& c) {
    planOutside(c, [](const RowConstants& k, double extent) {
      using namespace shortcuts;
      const double edge0 = extent - k.halfFeather;
      const double edge1 = extent + k.halfFeather;
      if (!rising(edge0, edge1)) return kNotANumber;
      const double bound = edge1 + (std::fabs(edge0) + std::fabs(edge1)) * 0x1p-30;
      return sideOf(bound, edge0, edge1) == Side::Above ? bound : kNotANumber;
    });
  }

  static double reference(const ReferencePoint& p) {
    const double fh = p.halfFeather;
    const double mx = 1.0 - ::smoothStep(p.ax, p.extentX - fh, p.extentX + fh);
    const double my = 1.0 - ::smoothStep(p.ay, p.extentY - fh, p.extentY + fh);
    const double mz = 1.0 - ::smoothStep(p.az, p.extentZ - fh, p.extentZ + fh);
    return mx * my * mz;
  }
};

}  // namespace kestrow::matte
