// The matte evaluator: turns rows of world positions into matte values.
//
// Everything here reads only the settings record, the row it is handed and
// the output width; it makes no host calls, allocates nothing and keeps no
// state, so rows may be evaluated on many threads at once.
#pragma once

#include <cstdint>

#include "AE_Effect.h"

struct MattePosition {
  double x, y, z;
};

// Per-render values of the controls, "Multiply Values" already folded in.
// Lives at the start of the instance's sequence data; rewritten by the
// render before every iteration and only read while it runs.
struct MatteSettings {
  int32_t mode;       // kestrow::matte::Mode
  PF_LayerDef layer;  // picture for Layer mode; present when data and reserved0 are set
  PF_Boolean tile;
  double offsetU;
  double offsetV;
  MattePosition position;
  int32_t rotateOrder;  // kestrow::matte::RotateOrder
  double angleX;        // degrees x 65536 (raw 16.16 value)
  double angleY;
  double angleZ;
  int32_t axis;  // kestrow::matte::Plane
  double radius;
  double sizeX;
  double sizeY;
  double sizeZ;
  double scaleX;
  double scaleY;
  double scaleZ;
  PF_Boolean invert;
  PF_Boolean alphaMatte;
  double frequency;
  double offset;
  double feather;
  double thickness;
};

// What a row evaluation reads, as the plain reference evaluation takes it.
struct MatteRowContext {
  const MatteSettings* settings;
  const PF_InData* inData;    // downsample denominators
  const PF_LayerDef* output;  // width = pixels evaluated per call
};

// Evaluates one whole row: exactly the planned width of pixels starting at
// `in` and `out`, whatever `x` is; `y` is ignored. `refcon` is the render's
// kestrow::matte::PlannedRows (matte/PlannedRows.h). PF_Err_NONE, or
// PF_Err_BAD_CALLBACK_PARAM (nothing written) for a null refcon, or a null
// row when there are pixels to evaluate.
PF_Err InvertPixelFloat(void* refcon, A_long x, A_long y, PF_PixelFloat* in, PF_PixelFloat* out);
// Mattes are computed only in 32-bit float: at 8 and 16 bits a row comes
// out transparent black (the planned width from `out` on), with the same
// errors as InvertPixelFloat.
PF_Err InvertPixel16(void* refcon, A_long x, A_long y, PF_Pixel16* in, PF_Pixel16* out);
PF_Err InvertPixel8(void* refcon, A_long x, A_long y, PF_Pixel8* in, PF_Pixel8* out);

// Rotations about one local axis; angle in radians. Alpha is carried through.
PF_PixelFloat rotateX(double angle, PF_PixelFloat pixel);
PF_PixelFloat rotateY(double angle, PF_PixelFloat pixel);
PF_PixelFloat rotateZ(double angle, PF_PixelFloat pixel);

// Cubic smoothstep; a hard step (0 below edge0, else 1) when the edges are equal.
double smoothStep(double value, double edge0, double edge1);

// The pixel at column, row of a float world. No bounds check: the caller
// guarantees 0 <= column < width and 0 <= row < height.
PF_PixelFloat getPixel(const PF_LayerDef* layerWorld, A_long column, A_long row);
