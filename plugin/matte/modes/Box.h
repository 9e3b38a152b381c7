// "Box": the shell of the box "Square" fills, "Thickness" thick, softened
// over "Feather". Not clamped: where face shells overlap they sum past 1.
#pragma once

#include "matte/MatteReference.h"
#include "matte/modes/Slabs.h"

namespace kestrow::matte {

struct BoxMode : SlabMode<BoxMode> {
  static constexpr Mode kMode = Mode::Box;

  //   slab = 1 - smoothStep(a, (extent - th) - fh, (extent + th) + fh)
  //   face = 1 - smoothStep(|a - extent| - th, 0, fh)
  //   fx * by * bz + fy * bx * bz + fz * bx * by
  template <class L>
  static typename L::D slab(typename L::D a, double extent, const RowConstants& c) {
    return 1.0 - smoothStep<L>(a, (extent - c.halfThickness) - c.halfFeather,
                               (extent + c.halfThickness) + c.halfFeather);
  }
  template <class L>
  static typename L::D face(typename L::D a, double extent, const RowConstants& c) {
    return 1.0 - smoothStep<L>(absolute<L>(a - extent) - c.halfThickness, 0.0, c.halfFeather);
  }
  template <class L>
  static typename L::D ofAxes(const RowConstants& c, const AxisLanes<L>& a) {
    const typename L::D bx = slab<L>(a.x, c.extentX, c);
    const typename L::D by = slab<L>(a.y, c.extentY, c);
    const typename L::D bz = slab<L>(a.z, c.extentZ, c);
    const typename L::D fx = face<L>(a.x, c.extentX, c);
    const typename L::D fy = face<L>(a.y, c.extentY, c);
    const typename L::D fz = face<L>(a.z, c.extentZ, c);
    return fx * by * bz + fy * bx * bz + fz * bx * by;
  }

  // The slab and the face are both 0 from just past the slab's outer edge
  // on (the face's argument grows with a from the extent outwards).
  static void plan(RowConstants& c) {
    planOutside(c, [](const RowConstants& k, double extent) {
      using namespace shortcuts;
      const double th = k.halfThickness;
      const double fh = k.halfFeather;
      const double edge0 = (extent - th) - fh;
      const double edge1 = (extent + th) + fh;
      if (!rising(edge0, edge1) || !rising(0.0, fh) || !std::isfinite(th)) return kNotANumber;
      const double bound = edge1 + (std::fabs(extent) + std::fabs(th) + std::fabs(fh)) * 0x1p-30;
      const bool outside = bound >= extent && sideOf(bound, edge0, edge1) == Side::Above &&
                           sideOf(std::fabs(bound - extent) - th, 0.0, fh) == Side::Above;
      return outside ? bound : kNotANumber;
    });
  }

  static double reference(const ReferencePoint& p) {
    const double th = p.halfThickness, fh = p.halfFeather;
    const auto slab = [&](double a, double e) {
      return 1.0 - ::smoothStep(a, (e - th) - fh, (e + th) + fh);
    };
    const auto face = [&](double a, double e) {
      return 1.0 - ::smoothStep(std::fabs(a - e) - th, 0.0, fh);
    };
    const double bx = slab(p.ax, p.extentX), by = slab(p.ay, p.extentY);
    const double bz = slab(p.az, p.extentZ);
    const double fx = face(p.ax, p.extentX), fy = face(p.ay, p.extentY);
    const double fz = face(p.az, p.extentZ);
    return fx * by * bz + fy * bx * bz + fz * bx * by;
  }
};

}  // namespace kestrow::matte
