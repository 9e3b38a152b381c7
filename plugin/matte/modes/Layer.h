// "Layer": the picture of the "Layer" control projected onto the "Axis"
// plane through "Position", "Radius" x "SizeX" wide, faded with distance
// from the plane over "Radius" x "SizeZ"; without a picture, the local
// coordinates themselves. A colour per pixel, not a matte.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "matte/LaneRows.h"
#include "matte/MatteReference.h"

namespace kestrow::matte {

// No picture chosen: the local coordinates themselves, the input alpha.
struct LayerCoordinates {
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
struct LayerTransparent {
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
struct LayerPicture {
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
    L::gatherPixels(base, at.offset, sample);
    const F zero = lanes<L>(0.0f);
    sample = {select<L>(at.inside, sample.alpha, zero), select<L>(at.inside, sample.red, zero),
              select<L>(at.inside, sample.green, zero), select<L>(at.inside, sample.blue, zero)};
    return faded<L>(sample, at.fade);
  }
};

template <Plane P>
using LayerTiled = LayerPicture<P, true>;
template <Plane P>
using LayerUntiled = LayerPicture<P, false>;

struct LayerMode {
  static constexpr Mode kMode = Mode::Layer;

  template <class L>
  static RowPass row(const RowKernel& k) {
    switch (k.picture) {
      case PictureState::None:
        return colourRow<L, LayerCoordinates>();
      case PictureState::Unreadable:
        return planeRow<L, LayerTransparent, RowShape::Colour>(k.plane);
      case PictureState::Readable:
        break;
    }
    return k.tile ? planeRow<L, LayerTiled, RowShape::Picture>(k.plane)
                  : planeRow<L, LayerUntiled, RowShape::Picture>(k.plane);
  }
  static void plan(RowConstants&) {}

  // The colour before its clean-up: the local point itself without a
  // picture, else the picture's pixel at the projected point (transparent
  // black off the picture), faded by depth.
  static PF_PixelFloat referenceColour(const MatteSettings& s, const PF_PixelFloat& p,
                                       float inAlpha) {
    const PF_LayerDef& layer = s.layer;
    const double x = p.red, y = p.green, z = p.blue;
    if (layer.data == nullptr || layer.reserved0 == nullptr) {
      return {inAlpha, p.red, p.green, p.blue};
    }
    double u = x, v = z, depth = y;
    if (planeOf(s.axis) == Plane::XY) {
      u = x, v = -y, depth = z;
    } else if (planeOf(s.axis) == Plane::YZ) {
      u = z, v = -y, depth = x;
    }
    u = u + s.offsetU;
    v = v - s.offsetV;
    const A_long W = layer.width, H = layer.height;  // picture width and height
    u = u * W;
    v = v * H * static_cast<double>(static_cast<float>(W) / static_cast<float>(H));
    u = u / (s.radius * s.sizeX);
    v = v / (s.radius * s.sizeY);
    const double extentZ = s.radius * s.sizeZ, halfFeather = s.feather / 2.0;
    const double fade =
        1.0 - ::smoothStep(std::fabs(depth), extentZ - halfFeather, extentZ + halfFeather);
    u = u + static_cast<double>(W / 2);
    v = v + static_cast<double>(H / 2);
    if (s.tile) {
      u = u >= 0 ? std::fmod(u, W) : W - std::fmod(-u, W);
      v = v >= 0 ? std::fmod(v, H) : H - std::fmod(-v, H);
    }
    // Rows may run down or up from data (negative rowbytes).
    const bool readable =
        W > 0 && H > 0 &&
        std::llabs(static_cast<std::int64_t>(layer.rowbytes)) >= std::int64_t{W} * 16;
    PF_PixelFloat sample{0, 0, 0, 0};
    if (readable && u < W && v < H && u >= 0 && v >= 0) {
      sample = getPixel(&layer, static_cast<A_long>(u), static_cast<A_long>(v));
    }
    return {static_cast<float>(sample.alpha * fade), static_cast<float>(sample.red * fade),
            static_cast<float>(sample.green * fade), static_cast<float>(sample.blue * fade)};
  }
};

}  // namespace kestrow::matte
