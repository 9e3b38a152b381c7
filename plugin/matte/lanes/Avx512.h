// The lane set for AVX-512: eight lanes (files that include it are
// compiled with -mavx512f; contraction stays off, so no multiply-add is
// fused). Declared in an anonymous namespace (see Lanes.h); reached only
// when the CPU check allows it.
#pragma once

#include <immintrin.h>

#include "matte/LaneMath.h"

namespace kestrow::matte {

namespace {

struct Avx512Lanes : LaneTypes<8> {
  // All lanes through the masked forms: the plain ones trip GCC 12's
  // uninitialised-value warning inside the intrinsic header.
  static D sqrt(D v) { return (D)_mm512_mask_sqrt_pd((__m512d)v, 0xff, (__m512d)v); }
  static D floor(D v) {
    return (D)_mm512_mask_roundscale_pd((__m512d)v, 0xff, (__m512d)v,
                                        _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC);
  }
  static F floor(F v) { return (F)_mm256_floor_ps((__m256)v); }
  static D widen(F v) { return (D)_mm512_maskz_cvtps_pd(0xff, (__m256)v); }
  static unsigned laneBits(M m) { return _mm512_test_epi64_mask((__m512i)m, (__m512i)m); }

  // Eight pixels as four rows of two: the 4 x 4 transpose within each
  // 128-bit half gives one register per channel, lanes in the order
  // 0 2 4 6 1 3 5 7; the same transpose on the way out restores it.
  static void transpose(__m256& r0, __m256& r1, __m256& r2, __m256& r3) {
    const __m256 t0 = _mm256_unpacklo_ps(r0, r1), t1 = _mm256_unpacklo_ps(r2, r3);
    const __m256 t2 = _mm256_unpackhi_ps(r0, r1), t3 = _mm256_unpackhi_ps(r2, r3);
    r0 = _mm256_shuffle_ps(t0, t1, 0x44), r1 = _mm256_shuffle_ps(t0, t1, 0xee);
    r2 = _mm256_shuffle_ps(t2, t3, 0x44), r3 = _mm256_shuffle_ps(t2, t3, 0xee);
  }
  static void load(const PF_PixelFloat* in, F& a, F& x, F& y, F& z) {
    const float* f = &in->alpha;
    __m256 r0 = _mm256_loadu_ps(f), r1 = _mm256_loadu_ps(f + 8);
    __m256 r2 = _mm256_loadu_ps(f + 16), r3 = _mm256_loadu_ps(f + 24);
    transpose(r0, r1, r2, r3);
    a = (F)r0, x = (F)r1, y = (F)r2, z = (F)r3;
  }
  // The pixels at base + offset: lane k's pixel goes in row k % 4, half
  // k / 4, so the transpose leaves each channel in lane order.
  static void gatherPixels(const char* base, const std::int64_t* offset,
                           ColourLanes<Avx512Lanes>& out) {
    const auto pixel = [&](int lane) {
      return _mm_loadu_ps(reinterpret_cast<const float*>(base + offset[lane]));
    };
    __m256 r[4];
    for (int k = 0; k < 4; ++k) {
      r[k] = _mm256_insertf128_ps(_mm256_castps128_ps256(pixel(k)), pixel(k + 4), 1);
    }
    transpose(r[0], r[1], r[2], r[3]);
    out = {(F)r[0], (F)r[1], (F)r[2], (F)r[3]};
  }
  static void store(F a, F x, F y, F z, PF_PixelFloat* out) {
    __m256 r0 = (__m256)a, r1 = (__m256)x, r2 = (__m256)y, r3 = (__m256)z;
    transpose(r0, r1, r2, r3);
    float* f = &out->alpha;
    _mm256_storeu_ps(f, r0), _mm256_storeu_ps(f + 8, r1);
    _mm256_storeu_ps(f + 16, r2), _mm256_storeu_ps(f + 24, r3);
  }
};

}  // namespace

}  // namespace kestrow::matte
