// Sine, cosine and two-argument arc tangent of floats, correctly rounded:
// the exact value rounded to the nearest float, ties to even. The same
// bits on every platform and C library, whatever its own functions give.
// Not-a-number and infinite arguments follow the C library's rules.
#pragma once

#include <cmath>

namespace kestrow::matte {

// pow(v, 0.5) correctly rounded: the square root (IEEE rounds it
// correctly), with pow's -0 -> +0 and -infinity -> +infinity.
inline double powHalf(double v) { return v == -HUGE_VAL ? HUGE_VAL : std::sqrt(v) + 0.0; }

float sinRounded(float x);
float cosRounded(float x);
// The angle of (x, y) in -pi .. pi: atan2(y, x), signed zeros and
// infinities as the C standard's atan2.
float atan2Rounded(float y, float x);

}  // namespace kestrow::matte
