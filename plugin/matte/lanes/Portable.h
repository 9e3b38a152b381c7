// The lane set for the target's baseline instruction set: two lanes, the
// generic helpers (Lanes.h, LaneMath.h) but for the square root and the
// lane bits where SSE2 is there. Declared in an anonymous namespace (see
// Lanes.h) and included only by files compiled for the baseline.
#pragma once

#include <math.h>

#include "matte/LaneMath.h"

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
  static unsigned laneBits(M m) {
#if defined(__SSE2__)
    return _mm_movemask_pd((__m128d)m);
#else
    return genericLaneBits<PortableLanes>(m);
#endif
  }
  static D floor(D v) { return genericFloor<PortableLanes>(v); }
  static F floor(F v) { return genericFloor<PortableLanes>(v); }
  static D widen(F v) { return genericWiden<PortableLanes>(v); }
  static void load(const PF_PixelFloat* in, F& a, F& x, F& y, F& z) {
    genericLoad<PortableLanes>(in, a, x, y, z);
  }
  static void store(F a, F x, F y, F z, PF_PixelFloat* out) {
    genericStore<PortableLanes>(a, x, y, z, out);
  }
  static void gatherPixels(const char* base, const std::int64_t* offset,
                           ColourLanes<PortableLanes>& out) {
    genericGather<PortableLanes>(base, offset, out);
  }
};

}  // namespace

}  // namespace kestrow::matte
