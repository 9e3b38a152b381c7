// Layer mode: a picture laid in one local plane, extruded along the third
// axis and faded towards the slab's faces. These kernels produce the colour
// before the clean-up of infinities and not-a-numbers.
#pragma once

#include <cmath>

#include "matte/MatteMath.h"
#include "matte/RowConstants.h"

namespace kestrow::matte {

struct PlanePoint {
  double u, v, depth;
};

template <Plane P>
inline PlanePoint planePoint(double x, double y, double z) {
  if constexpr (P == Plane::XZ) {
    return {x, z, y};
  } else if constexpr (P == Plane::XY) {
    return {x, -y, z};
  } else {
    return {z, -y, x};
  }
}

// 1 inside the slab, 0 beyond its faces.
inline double depthFade(const RowConstants& c, double depth) {
  return 1.0 - smoothStepValue(std::fabs(depth), c.hz - c.fh, c.hz + c.fh);
}

inline PF_PixelFloat faded(const PF_PixelFloat& sample, double fade) {
  return {static_cast<float>(sample.alpha * fade), static_cast<float>(sample.red * fade),
          static_cast<float>(sample.green * fade), static_cast<float>(sample.blue * fade)};
}

// No picture chosen: the local coordinates themselves as colour.
struct LayerCoordinatesKernel {
  static PF_PixelFloat colour(const RowConstants&, const Point3f& p, float alpha) {
    return {alpha, p.x, p.y, p.z};
  }
};

// A picture that cannot be read as float rows within its memory: every
// sample is transparent black, faded like any other.
template <Plane P>
struct LayerTransparentKernel {
  static PF_PixelFloat colour(const RowConstants& c, const Point3f& p, float) {
    const PlanePoint q = planePoint<P>(p.x, p.y, p.z);
    return faded(PF_PixelFloat{0.0f, 0.0f, 0.0f, 0.0f}, depthFade(c, q.depth));
  }
};

// A readable picture, sampled at the projected point, wrapped when tiled.
template <Plane P, bool Tile>
struct LayerPictureKernel {
  static PF_PixelFloat colour(const RowConstants& c, const Point3f& p, float) {
    const LayerConstants& l = c.layer;
    const PlanePoint q = planePoint<P>(p.x, p.y, p.z);
    double u = q.u + l.offsetU;
    double v = q.v - l.offsetV;
    u = u * l.w;
    v = v * l.h * l.aspect;
    u = u / c.hx;
    v = v / c.hy;
    const double fade = depthFade(c, q.depth);
    u = u + l.halfW;
    v = v + l.halfH;
    if constexpr (Tile) {
      u = u >= 0.0 ? std::fmod(u, l.w) : l.w - std::fmod(-u, l.w);
      v = v >= 0.0 ? std::fmod(v, l.h) : l.h - std::fmod(-v, l.h);
    }
    PF_PixelFloat sample{0.0f, 0.0f, 0.0f, 0.0f};
    // Not-a-number coordinates fail every comparison and sample nothing.
    if (u < l.w && v < l.h && u >= 0.0 && v >= 0.0) {
      const auto column = static_cast<A_long>(u);
      const auto row = static_cast<A_long>(v);
      sample = *reinterpret_cast<const PF_PixelFloat*>(l.data +
                                                       pixelByteOffset(l.rowbytes, column, row));
    }
    return faded(sample, fade);
  }
};

}  // namespace kestrow::matte
