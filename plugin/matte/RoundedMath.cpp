#include "matte/RoundedMath.h"

#include <cmath>

namespace kestrow::matte {

// Placeholders until the own evaluation lands.
float sinRounded(float x) { return static_cast<float>(std::sin(static_cast<double>(x))); }
float cosRounded(float x) { return static_cast<float>(std::cos(static_cast<double>(x))); }
float atan2Rounded(float y, float x) {
  return static_cast<float>(std::atan2(static_cast<double>(y), static_cast<double>(x)));
}

}  // namespace kestrow::matte
