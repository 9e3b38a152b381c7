// Per-row-call constants of the evaluator, derived once from the settings
// record before the pixel loop. Every field is formed by exactly the
// operations the per-pixel formulas would apply, so hoisting them out of
// the loop changes no bit of the result.
#pragma once

#include <cstdint>

#include "AE_Effect.h"
#include "matte/Matte.h"

namespace kestrow::matte {

// Rotation order as the loop is specialised on it.
enum class Rotation { None, XYZ, XZY, YXZ, YZX, ZXY, ZYX };

// "Axis": the plane used by Rays and Layer. Values outside 1..3 count as
// the control's default plane, XZ.
enum class Plane { XZ, XY, YZ };

Rotation rotationOf(int32_t rotateOrder);
Plane planeOf(int32_t axis);

struct LayerConstants {
  const char* data;  // first row of the picture
  A_long rowbytes;
  A_long width;
  A_long height;
  double w;       // width as double
  double h;       // height as double
  double aspect;  // width / height in single precision, widened
  double halfW;   // width / 2 truncated, as double
  double halfH;
  double offsetU;
  double offsetV;
};

struct RowConstants {
  // Translation: "Position" times the downsample denominators.
  double shiftX, shiftY, shiftZ;
  // Single-precision cosine and sine of each axis's angle.
  float cosX, sinX, cosY, sinY, cosZ, sinZ;
  // Axis weights.
  double wx, wy, wz;
  double radius;
  double fh;  // half the feather
  double th;  // half the thickness
  // radius x size per axis: box half extents, grid cells, layer extents.
  double hx, hy, hz;
  double frequency;
  double phase;  // offset x 3.14 x 2.0
  LayerConstants layer;
};

RowConstants makeRowConstants(const MatteSettings& settings, const PF_InData& inData);

}  // namespace kestrow::matte
