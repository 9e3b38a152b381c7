// Each lane set's arithmetic opened up for the tests, compiled with that
// set's flags in files of the tests' own (LaneProbes<Set>.cpp): a
// multiply-add written as the kernels write their arithmetic, and the
// correctly rounded functions over arrays as the kernels evaluate them.
#pragma once

#include <cstring>

#include "matte/RoundedLanes.h"
#include "matte/SimdPath.h"

namespace kestrow::matte::test {

struct LaneProbes {
  int lanes;
  // out = a * b + c in `lanes` lanes: proves the file's flags keep the two
  // roundings (no fused multiply-add).
  void (*multiplyAdd)(const double* a, const double* b, const double* c, double* out);
  // Over `count` values (any count; a partial block is padded).
  void (*sinRow)(const float* x, float* out, long count);
  void (*cosRow)(const float* x, float* out, long count);
  void (*atan2Row)(const float* y, const float* x, float* out, long count);
};

const LaneProbes& laneProbesFor(SimdPath path);

// The probes of lane set L; used only by the LaneProbes<Set>.cpp files.
template <class L>
struct LaneProbesOf {
  static void multiplyAdd(const double* a, const double* b, const double* c, double* out) {
    typename L::D va, vb, vc;
    std::memcpy(&va, a, sizeof va);
    std::memcpy(&vb, b, sizeof vb);
    std::memcpy(&vc, c, sizeof vc);
    const typename L::D r = va * vb + vc;
    std::memcpy(out, &r, sizeof r);
  }
  // fn over blocks of the lanes of y and x (x alone when y is null).
  template <class Fn>
  static void row(const float* y, const float* x, float* out, long count, Fn fn) {
    using F = typename L::F;
    for (long i = 0; i < count; i += L::kCount) {
      F vy{}, vx{};
      const long n = count - i < L::kCount ? count - i : L::kCount;
      if (y != nullptr) std::memcpy(&vy, y + i, std::size_t(n) * sizeof(float));
      std::memcpy(&vx, x + i, std::size_t(n) * sizeof(float));
      const F r = fn(vy, vx);
      std::memcpy(out + i, &r, std::size_t(n) * sizeof(float));
    }
  }
  static void sinRow(const float* x, float* out, long count) {
    row(nullptr, x, out, count, [](auto, auto v) { return sinLanes<L>(v); });
  }
  static void cosRow(const float* x, float* out, long count) {
    row(nullptr, x, out, count, [](auto, auto v) { return cosLanes<L>(v); });
  }
  static void atan2Row(const float* y, const float* x, float* out, long count) {
    row(y, x, out, count, [](auto vy, auto vx) { return atan2Lanes<L>(vy, vx); });
  }
  static constexpr LaneProbes kProbes{L::kCount, &multiplyAdd, &sinRow, &cosRow, &atan2Row};
};

extern const LaneProbes kPortableProbes;
extern const LaneProbes kAvx2Probes;
extern const LaneProbes kAvx512Probes;

}  // namespace kestrow::matte::test
