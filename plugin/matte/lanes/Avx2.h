// The lane set for AVX2: four lanes (files that include it are compiled
// with -mavx2 alone: no fused multiply-add). Declared in an anonymous
// namespace (see Lanes.h); reached only when the CPU check allows it.
#pragma once

#include <immintrin.h>

#include "matte/LaneMath.h"

namespace kestrow::matte {

namespace {

struct Avx2Lanes : LaneTypes<4> {
  static D sqrt(D v) { return (D)_mm256_sqrt_pd((__m256d)v); }
  static D floor(D v) { return (D)_mm256_floor_pd((__m256d)v); }
  static F floor(F v) { return (F)_mm_floor_ps((__m128)v); }
  static D widen(F v) { return (D)_mm256_cvtps_pd((__m128)v); }
  static unsigned laneBits(M m) { return _mm256_movemask_pd((__m256d)m); }
  // The pixels at base + offset, one register per channel.
  static void gatherPixels(const char* base, const std::int64_t* offset,
                           ColourLanes<Avx2Lanes>& out) {
    __m128 r[4];
    for (int i = 0; i < 4; ++i) {
      r[i] = _mm_loadu_ps(reinterpret_cast<const float*>(base + offset[i]));
    }
    _MM_TRANSPOSE4_PS(r[0], r[1], r[2], r[3]);
    out = {(F)r[0], (F)r[1], (F)r[2], (F)r[3]};
  }

  // Four pixels are a 4 x 4 matrix of floats: a transpose turns them into
  // one register per channel, and back.
  static void load(const PF_PixelFloat* in, F& a, F& x, F& y, F& z) {
    const float* f = &in->alpha;
    __m128 r0 = _mm_loadu_ps(f), r1 = _mm_loadu_ps(f + 4);
    __m128 r2 = _mm_loadu_ps(f + 8), r3 = _mm_loadu_ps(f + 12);
    _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
    a = (F)r0, x = (F)r1, y = (F)r2, z = (F)r3;
  }
  static void store(F a, F x, F y, F z, PF_PixelFloat* out) {
    __m128 r0 = (__m128)a, r1 = (__m128)x, r2 = (__m128)y, r3 = (__m128)z;
    _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
    float* f = &out->alpha;
    _mm_storeu_ps(f, r0), _mm_storeu_ps(f + 4, r1);
    _mm_storeu_ps(f + 8, r2), _mm_storeu_ps(f + 12, r3);
  }
};

}  // namespace

}  // namespace kestrow::matte
