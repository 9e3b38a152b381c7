// What the shortcuts of the distance and box modes are planned from: which
// side of a smoothstep's ramp a value lies on, formed exactly as the
// kernels form it. Used once per render, never per pixel.
#pragma once

#include <cmath>
#include <limits>

namespace kestrow::matte::shortcuts {

inline constexpr double kInfinity = std::numeric_limits<double>::infinity();
inline constexpr double kNotANumber = std::numeric_limits<double>::quiet_NaN();

// Which side of a smoothstep's transition a value lies on, with t formed
// as the kernels form it: Above where the step is exactly 1, Below where
// it is exactly 0. With rising (or equal) edges t never falls as the value
// grows, so every value past one that is Above is Above too, and every
// value short of one that is Below is Below.
enum class Side { Below, Between, Above };

inline Side sideOf(double value, double edge0, double edge1) {
  if (edge0 == edge1) {
    return value < edge0 ? Side::Below : Side::Above;
  }
  const double t = (value - edge0) / (edge1 - edge0);
  return t > 1.0 ? Side::Above : t < 0.0 ? Side::Below : Side::Between;
}

inline bool rising(double edge0, double edge1) {
  return std::isfinite(edge0) && std::isfinite(edge1) && edge0 <= edge1;
}

}  // namespace kestrow::matte::shortcuts
