// Matte values of the repeating patterns around "Position". The wave uses
// 3.14 and 6.28, not pi: results depend on those exact constants.
#pragma once

#include <cmath>

#include "matte/MatteMath.h"
#include "matte/RowConstants.h"
#include "matte/ShapeKernels.h"

namespace kestrow::matte {

// Lines on a lattice: planes through the middles of the cells, mirrored
// about each local axis. A zero cell size makes the remainder
// not-a-number; with a hard step that axis's factor is then 1.
struct GridKernel {
  static double axisFactor(double v, double w, double cell, const RowConstants& c) {
    // Single-precision remainder of float operands, sign of the dividend.
    double g = std::fmod(static_cast<float>(std::fabs(v) * w), static_cast<float>(cell));
    if (g < cell / 2.0) {
      g = cell - g;
    }
    const double q = (g - cell / 2.0) * 2.0 - c.th;
    return smoothStepValue(q, 0.0, c.fh);
  }
  static double matte(const RowConstants& c, double x, double y, double z) {
    const double ga = axisFactor(x, c.wx, c.hx, c);
    const double gb = axisFactor(y, c.wy, c.hy, c);
    const double gc = axisFactor(z, c.wz, c.hz, c);
    return 1.0 - ga * gb * gc;
  }
};

// The sine wave in 0..1 at phase u x k cycles, band where it is below th.
inline double waveMatte(const RowConstants& c, double u) {
  const auto phi = static_cast<float>(u * c.frequency * 3.14 * 2.0 + c.phase);
  const float s = (std::sin(phi) + 1.0f) / 2.0f;
  return 1.0 - smoothStepValue(static_cast<double>(s) - c.th, 0.0, c.fh);
}

struct RadialKernel {
  static double matte(const RowConstants& c, double x, double y, double z) {
    return waveMatte(c, weightedDistance(c, x, y, z));
  }
};

// Sectors round the axis the plane does not name; that coordinate is
// never read.
template <Plane P>
struct RaysKernel {
  static double matte(const RowConstants& c, double x, double y, double z) {
    float angle;
    if constexpr (P == Plane::XZ) {
      angle = std::atan2(static_cast<float>(x * c.wx), static_cast<float>(z * c.wz));
    } else if constexpr (P == Plane::XY) {
      angle = std::atan2(static_cast<float>(x * c.wx), static_cast<float>(y * c.wy));
    } else {
      angle = std::atan2(static_cast<float>(y * c.wy), static_cast<float>(z * c.wz));
    }
    const double u = (static_cast<double>(angle) + 3.14) / 6.28;
    return waveMatte(c, u);
  }
};

}  // namespace kestrow::matte
