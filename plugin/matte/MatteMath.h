// Inline building blocks shared by the public helpers and the row loops, so
// that both evaluate every value through the very same operations.
//
// Number semantics: all of this is plain IEEE arithmetic; a not-a-number
// input travels through and is cleaned only in the output steps.
#pragma once

#include <cmath>
#include <cstdint>

#include "AE_Effect.h"

namespace kestrow::matte {

// A point in the working precision of the transform: every stage stores
// back to 32-bit float.
struct Point3f {
  float x, y, z;
};

// Cubic smoothstep from edge0 to edge1. Equal edges give a hard step that
// counts a not-a-number value as above the edge. Reversed edges make the
// step fall. A not-a-number t passes both clamps and comes out not-a-number.
inline double smoothStepValue(double value, double edge0, double edge1) {
  if (edge0 == edge1) {
    return value < edge0 ? 0.0 : 1.0;
  }
  const double t = (value - edge0) / (edge1 - edge0);
  if (t > 1.0) {
    return 1.0;
  }
  if (t < 0.0) {
    return 0.0;
  }
  return t * t * (3.0 - 2.0 * t);
}

// Rotations by a precomputed single-precision cosine and sine; products and
// sums in double from the float channels, each result stored as float.
inline void turnAboutX(float ca, float sa, Point3f& p) {
  const double y = p.y;
  const double z = p.z;
  p.y = static_cast<float>(y * ca + z * sa);
  p.z = static_cast<float>(z * ca - y * sa);
}

inline void turnAboutY(float ca, float sa, Point3f& p) {
  const double x = p.x;
  const double z = p.z;
  p.x = static_cast<float>(x * ca + z * sa);
  p.z = static_cast<float>(z * ca - x * sa);
}

inline void turnAboutZ(float ca, float sa, Point3f& p) {
  const double x = p.x;
  const double y = p.y;
  p.x = static_cast<float>(x * ca + y * sa);
  p.y = static_cast<float>(y * ca - x * sa);
}

// Axis weight of a "Scale" value: squared above 1, used as it is otherwise
// (negatives included).
inline double axisWeight(double scale) { return scale > 1.0 ? scale * scale : scale; }

// Stored angle (degrees x 65536) to radians.
inline double angleRadians(double stored) { return stored / 65536.0 * 0.017453292519943295; }

// Byte offset of a pixel in a float world, formed in 64 bits so that large
// pictures (row * rowbytes beyond 2^31) address the right row.
inline std::int64_t pixelByteOffset(A_long rowbytes, A_long column, A_long row) {
  return static_cast<std::int64_t>(row) * rowbytes +
         static_cast<std::int64_t>(column) * static_cast<std::int64_t>(sizeof(PF_PixelFloat));
}

// Whether a picture can be read as rows of float pixels without leaving its
// memory: positive size and rows at least as long as their pixels, running
// down (rowbytes > 0) or up (rowbytes < 0) from data.
inline bool isReadablePicture(const PF_LayerDef& picture) {
  const std::int64_t rowbytes = picture.rowbytes;
  return picture.data != nullptr && picture.width > 0 && picture.height > 0 &&
         (rowbytes < 0 ? -rowbytes : rowbytes) >=
             static_cast<std::int64_t>(picture.width) *
                 static_cast<std::int64_t>(sizeof(PF_PixelFloat));
}

// Layer mode shows the picture only when the host handed a real layer.
inline bool hasPicture(const PF_LayerDef& picture) {
  return picture.data != nullptr && picture.reserved0 != nullptr;
}

}  // namespace kestrow::matte
