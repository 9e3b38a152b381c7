// Per-render constants of the evaluator, derived once from the settings
// record before any row is evaluated. Every field is formed by exactly the
// operations the per-pixel formulas would apply, so hoisting them out of
// the loop changes no bit of the result.
#pragma once

#include "AE_Effect.h"
#include "matte/Matte.h"
#include "matte/MatteTypes.h"

namespace kestrow::matte {

// Layer mode's picture and the values its projection derives from it. The
// derived values are set only for a readable picture.
struct PictureConstants {
  PictureView view;
  double width = 0;      // view.width as double
  double height = 0;     // view.height as double
  double aspect = 0;     // width / height in single precision, widened
  double halfWidth = 0;  // width / 2 in integers, as double
  double halfHeight = 0;
  double inverseWidth = 0;  // 1 / width, rounded
  double inverseHeight = 0;
  double offsetU = 0;
  double offsetV = 0;
  // Every pixel's byte offset from the first row fits 32 signed bits.
  bool compactOffsets = false;
};

// A range of the weighted sum of squares, before its root, over which a
// distance mode's matte is one constant. Empty when lowest > highest.
struct FlatRange {
  double lowest = 1.0;
  double highest = 0.0;
  double matte = 0.0;
};

// Grid's cell along one axis, from its extent: the remainder's divisor in
// single precision and what the lanes derive from it.
struct GridCell {
  float cell = 0;         // (float)extent
  double size = 0;        // |cell|, widened
  double inverse = 0;     // 1 / size, rounded
  double exactBelow = 0;  // size x 2^29: magnitudes with an exact lane remainder
  bool inLanes = false;   // 0 < size <= 2^128: any lane can be exact
  double half = 0;        // extent / 2
  // The quick test in float: lanes whose distance from the middle of the
  // cell is clearly past the factor's ramp take 0 or 1 without the exact
  // remainder. Set only where the cell, weight and ramp allow it.
  bool quick = false;
  float quickSize = 0;     // |cell|
  float quickInverse = 0;  // 1 / |cell|, rounded
  float quickHalf = 0;     // extent / 2, rounded
  float quickBelow = 0;    // 2^21 |cell|: only magnitudes below it are tested
  float marginBase = 0;    // the margin's part independent of the lane
  float oneFrom = 0;       // distance - margin at or above this: factor 1
  float zeroTo = 0;        // distance + margin at or below this: factor 0
};

struct RowConstants {
  // Translation: "Position" times the downsample denominators.
  double shiftX, shiftY, shiftZ;
  // Single-precision cosine and sine of each axis's angle.
  float cosX, sinX, cosY, sinY, cosZ, sinZ;
  double weightX, weightY, weightZ;
  bool floatWeights;  // all three weights are floats exactly
  double radius;
  double halfFeather;
  double halfThickness;
  // radius x size per axis: box half extents, grid cells, layer extents.
  double extentX, extentY, extentZ;
  GridCell gridX, gridY, gridZ;
  double frequency;
  double phase;  // offset x 3.14 x 2.0
  PictureConstants picture;
  // Circle and Ring: where the matte is 0 or 1 whatever the root, so that
  // blocks lying wholly in them need neither the root nor a division.
  FlatRange flat[3];
  // Square and Box: a weighted |coordinate| at or past which that axis's
  // factors are 0, and with them the matte wherever the other axes'
  // factors are numbers. Not-a-number where no bound is known.
  double outsideX, outsideY, outsideZ;
  RotateOrder rotateOrder;
  // Output steps.
  bool invert;
  bool alphaMatte;
};

GridCell gridCellOf(double extent);

// The quick test's constants of one axis's cell, for that axis's weight
// and the ramp's half thickness and half feather.
void planQuickGrid(GridCell& g, double extent, double weight, double halfThickness,
                   double halfFeather);

// The flat ranges are set for Circle and Ring only, the outside bounds for
// Square and Box.
RowConstants makeRowConstants(const MatteSettings& settings, const PF_InData& inData);

}  // namespace kestrow::matte
