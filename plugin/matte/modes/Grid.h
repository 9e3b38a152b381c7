// "Grid": lines through the middles of cells of "Radius" x "Size" along
// each axis, "Thickness" wide and softened over "Feather".
#pragma once

#include <math.h>

#include <cmath>
#include <cstdint>

#include "matte/LaneRows.h"
#include "matte/MatteReference.h"

namespace kestrow::matte {

// a - k * size for the whole number k = floor(a / size), from the
// estimate k' = floor(a * inverse): the caller proves that k' lies within
// one of k and that a - j * size is exact for every j <= k (it lies in
// 0..a). A difference below 0 means k' = k + 1, one not below the size
// k' = k - 1; either (rare: a / size within a few units in the last place
// of a whole number) is recomputed from the right k.
template <class L>
inline typename L::D wholeRemainder(typename L::D a, double size, double inverse) {
  using D = typename L::D;
  const D k = floorOf<L>(a * inverse);
  D r = a - k * size;
  const typename L::M off = (r < lanes<L>(0.0)) | (r >= lanes<L>(size));
  if (any<L>(off)) {
    const D lower = a - (k - 1.0) * size;
    const D higher = a - (k + 1.0) * size;
    r = select<L>(r < lanes<L>(0.0), lower, select<L>(r >= lanes<L>(size), higher, r));
  }
  return r;
}

// fmodf(a, g.cell) in every lane, as double. The remainder is exact, so where the quotient is below
// 2^29 it is |a| - k * |cell| in double for the whole number k = floor(|a| / |cell|): k * |cell| is
// exact (29 + 24 bits), and the difference, between 0 and |a|, is a multiple of the finer of the
// two spacings, so exact too. The product with the inverse is within 2^-22 of the quotient, so its
// floor is k or one either side of it (see wholeRemainder). The result then takes a's sign, -0
// included. Lanes that are not-a-number, infinite or far larger than the cell, and any zero or
// non-finite cell, call fmodf.
template <class L>
inline typename L::D remainderOf(typename L::F a, const GridCell& g) {
  using D = typename L::D;
  using M = typename L::M;
  D result = lanes<L>(0.0);
  M exact = lanes<L>(std::int64_t{0});
  if (g.inLanes) {
    const D wide = widen<L>(a);
    const D magnitude = absolute<L>(wide);
    const D r = wholeRemainder<L>(magnitude, g.size, g.inverse);
    // r is +0 or positive: a's sign bit on it is -r.
    result = (D)((M)r | ((M)wide & lanes<L>(std::int64_t{INT64_MIN})));
    exact = magnitude < lanes<L>(g.exactBelow);
  }
  if (!all<L>(exact)) {
    for (int i = 0; i < L::kCount; ++i) {
      if (!exact[i]) result[i] = fmodf(a[i], g.cell);
    }
  }
  return result;
}

// The quick test of one axis (GridCell::quick): from the quotient's float
// estimate k, the distance of a from the middle of its cell,
// |a - k * size - half|, within a margin of the exact one; lanes clearly
// past the ramp get their factor's 0 or 1. Only a below 2^21 cells is
// tested, where k is at most one off; beyond that (where a * inverse
// may even overflow), and for not-a-number a, nothing is decided.
template <class L>
struct QuickFactor {
  typename L::MF one, zero;
};

template <class L>
inline QuickFactor<L> quickFactor(typename L::F a, const GridCell& g) {
  using F = typename L::F;
  using MF = typename L::MF;
  const F k = floorOf<L>(a * g.quickInverse);
  const F r = (a - k * g.quickSize) - g.quickHalf;
  const F distance = (F)((MF)r & lanes<L>(std::int32_t{0x7fffffff}));
  const F margin = a * 0x1p-16f + g.marginBase;
  const MF near = a < lanes<L>(g.quickBelow);
  return {near & (distance - margin >= lanes<L>(g.oneFrom)),
          near & (distance + margin <= lanes<L>(g.zeroTo))};
}

// Lines through the middles of the cells, per axis:
//   g = fmodf((float)(|v| * weight), (float)cell)      (as double)
//   g < cell / 2 ? cell - g : g
//   smoothStep((g - cell / 2) * 2 - halfThickness, 0, halfFeather)
// and the matte 1 - gx * gy * gz. A zero cell makes g not-a-number.
// Where the quick test decides an axis's every lane, its factors are
// exactly those 0s and 1s; an axis of 0s whose partners' a are finite
// makes the matte 1.
struct GridMode : MatteRows<GridMode> {
  static constexpr Mode kMode = Mode::Grid;

  template <class L>
  static typename L::D axisFactor(typename L::F a, double cell, const GridCell& grid,
                                  const RowConstants& c) {
    using D = typename L::D;
    D g = remainderOf<L>(a, grid);
    g = select<L>(g < lanes<L>(grid.half), cell - g, g);
    return smoothStep<L>((g - grid.half) * 2.0 - c.halfThickness, 0.0, c.halfFeather);
  }
  // (float)(|v| * weight) in double. Where the weight is a float, the
  // double product of two floats is exact, so its one rounding to float is
  // the float product's (overflow and subnormals alike).
  template <class L>
  static typename L::F magnitude(typename L::F v, double weight, const RowConstants& c) {
    using F = typename L::F;
    const F positive = (F)((typename L::MF)v & lanes<L>(std::int32_t{0x7fffffff}));
    if (c.floatWeights) {
      return positive * static_cast<float>(weight);
    }
    return narrow<L>(widen<L>(positive) * weight);
  }
  template <class L>
  static typename L::D matte(const RowConstants& c, typename L::F x, typename L::F y,
                             typename L::F z) {
    using D = typename L::D;
    using F = typename L::F;
    using MF = typename L::MF;
    const F ax = magnitude<L>(x, c.weightX, c);
    const F ay = magnitude<L>(y, c.weightY, c);
    const F az = magnitude<L>(z, c.weightZ, c);
    if (c.gridX.quick && c.gridY.quick && c.gridZ.quick) {
      const QuickFactor<L> qx = quickFactor<L>(ax, c.gridX);
      const QuickFactor<L> qy = quickFactor<L>(ay, c.gridY);
      const QuickFactor<L> qz = quickFactor<L>(az, c.gridZ);
      const MF decidedX = qx.one | qx.zero, decidedY = qy.one | qy.zero;
      const MF decidedZ = qz.one | qz.zero;
      if (all<L>(widenMask<L>(decidedX & decidedY & decidedZ))) {
        return select<L>(widenMask<L>(qx.one & qy.one & qz.one), lanes<L>(0.0), lanes<L>(1.0));
      }
      const F infinity = lanes<L>(__builtin_inff());
      const MF finiteX = ax < infinity, finiteY = ay < infinity, finiteZ = az < infinity;
      if (all<L>(widenMask<L>(qx.zero & finiteY & finiteZ)) ||
          all<L>(widenMask<L>(qy.zero & finiteX & finiteZ)) ||
          all<L>(widenMask<L>(qz.zero & finiteX & finiteY))) {
        return lanes<L>(1.0);
      }
      const auto factor = [&c](F a, MF decided, MF one, double cell, const GridCell& grid) {
        if (all<L>(widenMask<L>(decided))) {
          return select<L>(widenMask<L>(one), lanes<L>(1.0), lanes<L>(0.0));
        }
        return axisFactor<L>(a, cell, grid, c);
      };
      const D gx = factor(ax, decidedX, qx.one, c.extentX, c.gridX);
      const D gy = factor(ay, decidedY, qy.one, c.extentY, c.gridY);
      const D gz = factor(az, decidedZ, qz.one, c.extentZ, c.gridZ);
      return 1.0 - gx * gy * gz;
    }
    const D gx = axisFactor<L>(ax, c.extentX, c.gridX, c);
    const D gy = axisFactor<L>(ay, c.extentY, c.gridY, c);
    const D gz = axisFactor<L>(az, c.extentZ, c.gridZ, c);
    return 1.0 - gx * gy * gz;
  }
  // The cells and their quick tests are planned for every mode.
  static void plan(RowConstants&) {}

  static double referenceFactor(const ReferencePoint& p, double v, double w, double cell) {
    double g = fmodf(static_cast<float>(std::fabs(v) * w), static_cast<float>(cell));
    if (g < cell / 2.0) g = cell - g;
    const double q = (g - cell / 2.0) * 2.0 - p.halfThickness;
    return ::smoothStep(q, 0.0, p.halfFeather);
  }
  static double reference(const ReferencePoint& p) {
    return 1.0 - referenceFactor(p, p.x, p.weightX, p.extentX) *
                     referenceFactor(p, p.y, p.weightY, p.extentY) *
                     referenceFactor(p, p.z, p.weightZ, p.extentZ);
  }
};

}  // namespace kestrow::matte
