// The correctly rounded sine, cosine and arc tangent of RoundedMath.h in
// lanes: every lane gets exactly the scalar function's bits.
#pragma once

#include "matte/Lanes.h"
#include "matte/RoundedMath.h"

namespace kestrow::matte {

template <class L>
inline typename L::F sinLanes(typename L::F x) {
  typename L::F r;
  for (int i = 0; i < L::kCount; ++i) r[i] = sinRounded(x[i]);
  return r;
}

template <class L>
inline typename L::F cosLanes(typename L::F x) {
  typename L::F r;
  for (int i = 0; i < L::kCount; ++i) r[i] = cosRounded(x[i]);
  return r;
}

template <class L>
inline typename L::F atan2Lanes(typename L::F y, typename L::F x) {
  typename L::F r;
  for (int i = 0; i < L::kCount; ++i) r[i] = atan2Rounded(y[i], x[i]);
  return r;
}

}  // namespace kestrow::matte
