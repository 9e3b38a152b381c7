// Matte values of the solid and hollow shapes around "Position", from local
// coordinates. All arithmetic in double; squares and root through pow.
#pragma once

#include <cmath>

#include "matte/MatteMath.h"
#include "matte/RowConstants.h"

namespace kestrow::matte {

// Weighted distance. A negative weighted sum (negative weights only) gives
// not-a-number, which the output steps turn transparent.
inline double weightedDistance(const RowConstants& c, double x, double y, double z) {
  return std::pow(std::pow(x, 2.0) * c.wx + std::pow(y, 2.0) * c.wy + std::pow(z, 2.0) * c.wz, 0.5);
}

struct CircleKernel {
  static double matte(const RowConstants& c, double x, double y, double z) {
    const double d = weightedDistance(c, x, y, z);
    return 1.0 - smoothStepValue(d, c.radius - c.fh, c.radius + c.fh);
  }
};

struct RingKernel {
  static double matte(const RowConstants& c, double x, double y, double z) {
    const double e = std::fabs(weightedDistance(c, x, y, z) - c.radius);
    return 1.0 - smoothStepValue(e - c.th, 0.0, c.fh);
  }
};

// Solid box: the product of three soft slabs, X then Y then Z.
struct SquareKernel {
  static double slab(double a, double half, double fh) {
    return 1.0 - smoothStepValue(a, half - fh, half + fh);
  }
  static double matte(const RowConstants& c, double x, double y, double z) {
    const double mx = slab(std::fabs(x) * c.wx, c.hx, c.fh);
    const double my = slab(std::fabs(y) * c.wy, c.hy, c.fh);
    const double mz = slab(std::fabs(z) * c.wz, c.hz, c.fh);
    return mx * my * mz;
  }
};

// Box shell. Not clamped: where two faces' shells overlap near an edge the
// sum exceeds 1, and that value is the output.
struct BoxKernel {
  static double slab(double a, double half, const RowConstants& c) {
    return 1.0 - smoothStepValue(a, (half - c.th) - c.fh, (half + c.th) + c.fh);
  }
  static double face(double a, double half, const RowConstants& c) {
    return 1.0 - smoothStepValue(std::fabs(a - half) - c.th, 0.0, c.fh);
  }
  static double matte(const RowConstants& c, double x, double y, double z) {
    const double ax = std::fabs(x) * c.wx;
    const double ay = std::fabs(y) * c.wy;
    const double az = std::fabs(z) * c.wz;
    const double bx = slab(ax, c.hx, c);
    const double by = slab(ay, c.hy, c);
    const double bz = slab(az, c.hz, c);
    const double fx = face(ax, c.hx, c);
    const double fy = face(ay, c.hy, c);
    const double fz = face(az, c.hz, c);
    return fx * by * bz + fy * bx * bz + fz * bx * by;
  }
};

}  // namespace kestrow::matte
