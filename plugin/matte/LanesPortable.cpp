// The row kernels for the target's baseline instruction set.
#include <math.h>

#include "matte/LaneRows.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kestrow::matte {

namespace {

struct PortableLanes : LaneTypes<2> {
  static D sqrt(D v) {
#if defined(__SSE2__)
    return (D)_mm_sqrt_pd((__m128d)v);
#else
    for (int i = 0; i < kCount; ++i) v[i] = ::sqrt(v[i]);
    return v;
#endif
  }
#if defined(__SSE2__)
  static unsigned laneBits(M m) { return _mm_movemask_pd((__m128d)m); }
#endif
};

}  // namespace

const LaneSet kPortableLanes = KESTROW_LANE_SET(PortableLanes);

}  // namespace kestrow::matte
