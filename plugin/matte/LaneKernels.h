// Every mode's formula on lanes of local coordinates. Matte kernels give
// one value per pixel (`matte`); Layer kernels give the whole colour
// (`colour`) before its clean-up. The scalar formula of each is written
// above it; the wave uses 3.14 and 6.28, not pi: results depend on them.
//
// The single-precision sine, arc tangent and remainder are the C
// library's, called per lane: their results are what the output is defined
// by.
#pragma once

#include <math.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "matte/LaneMath.h"
#include "matte/RoundedLanes.h"

namespace kestrow::matte {

// Modes whose matte is a function of the weighted distance alone. Blocks
// lying wholly in the planned flat ranges take their constants.
template <class Shape>
struct DistanceKernel {
  template <class L>
  static typename L::D matte(const RowConstants& c, typename L::D x, typename L::D y,
                             typename L::D z) {
    const typename L::D sum = weightedSum<L>(c, x, y, z);
    if (typename L::D flat; flatMatte<L>(c.flat, sum, flat)) {
      return flat;
    }
    return Shape::template of<L>(c, rootAsPow<L>(sum));
  }
};

// 1 - smoothStep(d, radius - halfFeather, radius + halfFeather)
struct Circle {
  template <class L>
  static typename L::D of(const RowConstants& c, typename L::D d) {
    return 1.0 - smoothStep<L>(d, c.radius - c.halfFeather, c.radius + c.halfFeather);
  }
};
using CircleKernel = DistanceKernel<Circle>;

// 1 - smoothStep(|d - radius| - halfThickness, 0, halfFeather)
struct Ring {
  template <class L>
  static typename L::D of(const RowConstants& c, typename L::D d) {
    return 1.0 - smoothStep<L>(absolute<L>(d - c.radius) - c.halfThickness, 0.0, c.halfFeather);
  }
};
using RingKernel = DistanceKernel<Ring>;

// Whether one axis puts every lane of the block past its outside bound
// while no lane of any axis is not-a-number: the axis's factors are then
// +0 and every product, and so the Square's and the Box's matte, is +0.
template <class L>
inline bool outsideBlock(const RowConstants& c, typename L::D ax, typename L::D ay,
                         typename L::D az) {
  if (!(all<L>(ax >= lanes<L>(c.outsideX)) || all<L>(ay >= lanes<L>(c.outsideY)) ||
        all<L>(az >= lanes<L>(c.outsideZ)))) {
    return false;
  }
  return all<L>((ax == ax) & (ay == ay) & (az == az));
}

// Solid box, X then Y then Z: slab(a, extent) =
//   1 - smoothStep(|a| * weight, extent - halfFeather, extent + halfFeather)
struct SquareKernel {
  template <class L>
  static typename L::D slab(typename L::D a, double extent, double halfFeather) {
    return 1.0 - smoothStep<L>(a, extent - halfFeather, extent + halfFeather);
  }
  template <class L>
  static typename L::D matte(const RowConstants& c, typename L::D x, typename L::D y,
                             typename L::D z) {
    const typename L::D ax = absolute<L>(x) * c.weightX;
    const typename L::D ay = absolute<L>(y) * c.weightY;
    const typename L::D az = absolute<L>(z) * c.weightZ;
    if (outsideBlock<L>(c, ax, ay, az)) {
      return lanes<L>(0.0);
    }
    const typename L::D mx = slab<L>(ax, c.extentX, c.halfFeather);
    const typename L::D my = slab<L>(ay, c.extentY, c.halfFeather);
    const typename L::D mz = slab<L>(az, c.extentZ, c.halfFeather);
    return mx * my * mz;
  }
};

// Box shell, not clamped (overlapping face shells sum past 1):
//   slab = 1 - smoothStep(a, (extent - th) - fh, (extent + th) + fh)
//   face = 1 - smoothStep(|a - extent| - th, 0, fh)
//   fx * by * bz + fy * bx * bz + fz * bx * by
struct BoxKernel {
  template <class L>
  static typename L::D slab(typename L::D a, double extent, const RowConstants& c) {
    return 1.0 - smoothStep<L>(a, (extent - c.halfThickness) - c.halfFeather,
                               (extent + c.halfThickness) + c.halfFeather);
  }
  template <class L>
  static typename L::D face(typename L::D a, double extent, const RowConstants& c) {
    return 1.0 - smoothStep<L>(absolute<L>(a - extent) - c.halfThickness, 0.0, c.halfFeather);
  }
  template <class L>
  static typename L::D matte(const RowConstants& c, typename L::D x, typename L::D y,
                             typename L::D z) {
    const typename L::D ax = absolute<L>(x) * c.weightX;
    const typename L::D ay = absolute<L>(y) * c.weightY;
    const typename L::D az = absolute<L>(z) * c.weightZ;
    if (outsideBlock<L>(c, ax, ay, az)) {
      return lanes<L>(0.0);
    }
    const typename L::D bx = slab<L>(ax, c.extentX, c);
    const typename L::D by = slab<L>(ay, c.extentY, c);
    const typename L::D bz = slab<L>(az, c.extentZ, c);
    const typename L::D fx = face<L>(ax, c.extentX, c);
    const typename L::D fy = face<L>(ay, c.extentY, c);
    const typename L::D fz = face<L>(az, c.extentZ, c);
    return fx * by * bz + fy * bx * bz + fz * bx * by;
  }
};

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
struct GridKernel {
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
  // Takes the transformed point in float lanes.
  template <class L>
  static typename L::D matteOfFloats(const RowConstants& c, typename L::F x, typename L::F y,
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
};

// The sine wave in 0..1 at u x frequency cycles, a band where it is below
// halfThickness:
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

struct RadialKernel {
  template <class L>
  static typename L::D matte(const RowConstants& c, typename L::D x, typename L::D y,
                             typename L::D z) {
    return waveMatte<L>(c, weightedDistance<L>(c, x, y, z));
  }
};

// Sectors round the axis the plane does not name:
//   angle = atan2((float)(a * weightA), (float)(b * weightB))   (correctly rounded)
//   waveMatte(((double)angle + 3.14) / 6.28)
template <Plane P>
struct RaysKernel {
  template <class L>
  static typename L::D matte(const RowConstants& c, typename L::D x, typename L::D y,
                             typename L::D z) {
    typename L::F a, b;
    if constexpr (P == Plane::XZ) {
      a = narrow<L>(x * c.weightX), b = narrow<L>(z * c.weightZ);
    } else if constexpr (P == Plane::XY) {
      a = narrow<L>(x * c.weightX), b = narrow<L>(y * c.weightY);
    } else {
      a = narrow<L>(y * c.weightY), b = narrow<L>(z * c.weightZ);
    }
    return waveMatte<L>(c, (widen<L>(atan2Lanes<L>(a, b)) + 3.14) / 6.28);
  }
};

// Layer mode's colour lanes, in float.
template <class L>
struct ColourLanes {
  typename L::F alpha, red, green, blue;
};

// No picture chosen: the local coordinates themselves, the input alpha.
struct LayerCoordinatesKernel {
  template <class L>
  static ColourLanes<L> colour(const RowConstants&, const PixelLanes<L>& p) {
    return {p.alpha, p.x, p.y, p.z};
  }
};

// The picture's plane (u, v) and the depth across it:
//   XZ: (x, z, y)   XY: (x, -y, z)   YZ: (z, -y, x)
template <class L>
struct PlaneLanes {
  typename L::D u, v, depth;
};

template <class L, Plane P>
inline PlaneLanes<L> planeLanes(const PixelLanes<L>& p) {
  const typename L::D x = widen<L>(p.x), y = widen<L>(p.y), z = widen<L>(p.z);
  if constexpr (P == Plane::XZ) {
    return {x, z, y};
  } else if constexpr (P == Plane::XY) {
    return {x, -y, z};
  } else {
    return {z, -y, x};
  }
}

// 1 - smoothStep(|depth|, extentZ - halfFeather, extentZ + halfFeather)
template <class L>
inline typename L::D depthFade(const RowConstants& c, typename L::D depth) {
  return 1.0 -
         smoothStep<L>(absolute<L>(depth), c.extentZ - c.halfFeather, c.extentZ + c.halfFeather);
}

// channel = (float)(sample channel * fade), each channel in double.
template <class L>
inline ColourLanes<L> faded(const ColourLanes<L>& sample, typename L::D fade) {
  return {narrow<L>(widen<L>(sample.alpha) * fade), narrow<L>(widen<L>(sample.red) * fade),
          narrow<L>(widen<L>(sample.green) * fade), narrow<L>(widen<L>(sample.blue) * fade)};
}

// A picture that cannot be read within its memory: transparent black,
// faded like any sample (a not-a-number fade stays not-a-number).
template <Plane P>
struct LayerTransparentKernel {
  template <class L>
  static ColourLanes<L> colour(const RowConstants& c, const PixelLanes<L>& p) {
    const typename L::F zero = lanes<L>(0.0f);
    return faded<L>({zero, zero, zero, zero}, depthFade<L>(c, planeLanes<L, P>(p).depth));
  }
};

// A readable picture sampled at the projected point:
//   u = ((u + offsetU) * width) / extentX + halfWidth
//   v = (((v - offsetV) * height) * aspect) / extentY + halfHeight
//   tiled: u >= 0 ? fmod(u, width) : width - fmod(-u, width), v likewise
//   the pixel at (int)u, (int)v when 0 <= u < width and 0 <= v < height,
//   else transparent black; faded by depth.
template <Plane P, bool Tile>
struct LayerPictureKernel {
  // t >= 0 ? fmod(t, size) : size - fmod(-t, size), for a positive whole
  // size, `inverse` 1 / size rounded, as r = t - k * size for the whole
  // number k = floor(t * inverse). For |t| below 2^48, k * size is exact
  // and r is t - k * size rounded once. Where r lies strictly between 0
  // and size, k is the true floor of t / size (one more would make the
  // exact difference negative, one less at least size, and rounding keeps
  // either so), so r is the exact value wrapped into the picture: for t at
  // or above 0 that is fmod(t, size) itself, for t below 0 the same single
  // rounding of size - fmod(-t, size). Every other lane (r at 0 or size
  // from a whole multiple or rounding, k off by one, not-a-number,
  // infinite or huge t) is worked out as written.
  template <class L>
  static typename L::D wrap(typename L::D t, double size, double inverse) {
    using D = typename L::D;
    D r = t - floorOf<L>(t * inverse) * size;
    const typename L::M inPicture =
        (r > lanes<L>(0.0)) & (r < lanes<L>(size)) & (absolute<L>(t) < lanes<L>(0x1p48));
    if (!all<L>(inPicture)) {
      for (int i = 0; i < L::kCount; ++i) {
        if (!inPicture[i]) {
          r[i] = t[i] >= 0.0 ? fmod(t[i], size) : size - fmod(-t[i], size);
        }
      }
    }
    return r;
  }
  // Where a block samples: each lane's byte offset from the first row (0,
  // a pixel that is always there, for lanes outside the picture, which
  // the mask then clears), and the depth fade.
  template <class L>
  struct Located {
    std::int64_t offset[L::kCount];
    typename L::MF inside;
    typename L::D fade;
  };
  template <class L>
  static Located<L> locate(const RowConstants& c, const PixelLanes<L>& p) {
    using D = typename L::D;
    using M = typename L::M;
    const PictureConstants& pic = c.picture;
    const PlaneLanes<L> q = planeLanes<L, P>(p);
    D u = ((q.u + pic.offsetU) * pic.width) / c.extentX + pic.halfWidth;
    D v = (((q.v - pic.offsetV) * pic.height) * pic.aspect) / c.extentY + pic.halfHeight;
    if constexpr (Tile) {
      u = wrap<L>(u, pic.width, pic.inverseWidth);
      v = wrap<L>(v, pic.height, pic.inverseHeight);
    }
    // Not-a-number coordinates fail every comparison and sample nothing.
    const M inside = (u < lanes<L>(pic.width)) & (v < lanes<L>(pic.height)) & (u >= lanes<L>(0.0)) &
                     (v >= lanes<L>(0.0));
    Located<L> at;
    at.inside = narrowMask<L>(inside);
    at.fade = depthFade<L>(c, q.depth);
    if (pic.compactOffsets) {
      // Every offset fits 32 bits: whole lanes at a time.
      using MF = typename L::MF;
      const MF column = __builtin_convertvector(select<L>(inside, u, lanes<L>(0.0)), MF);
      const MF row = __builtin_convertvector(select<L>(inside, v, lanes<L>(0.0)), MF);
      const MF offset = row * static_cast<std::int32_t>(pic.view.rowBytes) +
                        column * static_cast<std::int32_t>(sizeof(PF_PixelFloat));
      const M wide = __builtin_convertvector(offset, M);
      std::memcpy(at.offset, &wide, sizeof at.offset);
    } else {
      for (int i = 0; i < L::kCount; ++i) {
        at.offset[i] = inside[i] ? static_cast<std::int64_t>(v[i]) * pic.view.rowBytes +
                                       static_cast<std::int64_t>(u[i]) *
                                           static_cast<std::int64_t>(sizeof(PF_PixelFloat))
                                 : 0;
      }
    }
    for (int i = 0; i < L::kCount; ++i) {
      __builtin_prefetch(pic.view.data + at.offset[i]);
    }
    return at;
  }
  template <class L>
  static ColourLanes<L> colour(const RowConstants& c, const Located<L>& at) {
    using F = typename L::F;
    const char* const base = c.picture.view.data;
    ColourLanes<L> sample;
    if constexpr (requires { L::gatherPixels(base, at.offset, sample); }) {
      L::gatherPixels(base, at.offset, sample);
    } else {
      float channels[4][L::kCount];
      for (int i = 0; i < L::kCount; ++i) {
        PF_PixelFloat px;
        std::memcpy(&px, base + at.offset[i], sizeof px);
        channels[0][i] = px.alpha;
        channels[1][i] = px.red;
        channels[2][i] = px.green;
        channels[3][i] = px.blue;
      }
      std::memcpy(&sample.alpha, channels[0], sizeof sample.alpha);
      std::memcpy(&sample.red, channels[1], sizeof sample.red);
      std::memcpy(&sample.green, channels[2], sizeof sample.green);
      std::memcpy(&sample.blue, channels[3], sizeof sample.blue);
    }
    const F zero = lanes<L>(0.0f);
    sample = {select<L>(at.inside, sample.alpha, zero), select<L>(at.inside, sample.red, zero),
              select<L>(at.inside, sample.green, zero), select<L>(at.inside, sample.blue, zero)};
    return faded<L>(sample, at.fade);
  }
};

}  // namespace kestrow::matte
