// What "Radial" and "Rays" share: a sine wave in 0..1 at u x frequency
// cycles, a band where it is below half the thickness. The wave uses 3.14
// and 6.28, not pi: results depend on them.
#pragma once

#include "matte/LaneRows.h"
#include "matte/MatteReference.h"
#include "matte/RoundedMath.h"

namespace kestrow::matte {

//   phi = (float)(u * frequency * 3.14 * 2.0 + phase)
//   s = (sin(phi) + 1.0f) / 2.0f   (sin correctly rounded to float)
//   1 - smoothStep((double)s - halfThickness, 0, halfFeather)
template <class L>
inline typename L::F wavePhase(const RowConstants& c, typename L::D u) {
  return narrow<L>(u * c.frequency * 3.14 * 2.0 + c.phase);
}

template <class L>
inline typename L::D waveMatte(const RowConstants& c, typename L::D u) {
  const typename L::F phi = wavePhase<L>(c, u);
  const typename L::F s = (sinLanes<L>(phi) + 1.0f) / 2.0f;
  return 1.0 - smoothStep<L>(widen<L>(s) - c.halfThickness, 0.0, c.halfFeather);
}

inline double referenceWave(const ReferencePoint& p, double u) {
  const MatteSettings& s = p.settings;
  const auto phi = static_cast<float>(u * s.frequency * 3.14 * 2.0 + s.offset * 3.14 * 2.0);
  const float w = (sinRounded(phi) + 1.0f) / 2.0f;
  return 1.0 - ::smoothStep(static_cast<double>(w) - p.halfThickness, 0.0, p.halfFeather);
}

}  // namespace kestrow::matte
