// Small per-render and per-pixel rules shared by the public helpers, the
// per-render constants and the row plan.
//
// Number semantics: all of this is plain IEEE arithmetic; a not-a-number
// input travels through and is cleaned only in the output steps.
#pragma once

#include <cmath>
#include <cstdint>

#include "AE_Effect.h"

namespace kestrow::matte {

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
