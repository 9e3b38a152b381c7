// A plain evaluation of the matte, one pixel at a time, every setting read
// where it is used. It is slow on purpose and shares no code with the
// specialised row loops: it turns points with the public helpers
// (rotateX, rotateY, rotateZ, smoothStep, getPixel) and each mode's plain
// formula (`reference` in the mode's file); the loops must agree with it
// bit for bit.
#pragma once

#include "AE_Effect.h"
#include "matte/Matte.h"
#include "matte/MatteTypes.h"

namespace kestrow::matte {

// What a mode's plain formula reads for one pixel: the settings, the point
// in the matte's local frame and the values every mode derives from them,
// each formed where it is written below.
struct ReferencePoint {
  const MatteSettings& settings;
  double x, y, z;
  double weightX, weightY, weightZ;  // "Scale" squared above 1
  double radius, halfFeather, halfThickness;
  double extentX, extentY, extentZ;  // radius x size
  double distance;                   // pow(x² wx + y² wy + z² wz, 0.5)
  double ax, ay, az;                 // |coordinate| x weight
};

PF_PixelFloat evaluatePixelReference(const MatteSettings& settings, const PF_InData& inData,
                                     const PF_PixelFloat& in);

// Same contract as InvertPixelFloat.
PF_Err InvertPixelFloatReference(void* refcon, A_long x, A_long y, PF_PixelFloat* in,
                                 PF_PixelFloat* out);

}  // namespace kestrow::matte
