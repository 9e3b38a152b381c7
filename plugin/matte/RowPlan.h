// Choice of the row loop for a settings record, made once per render: the
// kernel by mode (with plane, picture state and tiling for the modes that
// use them), compiled for the chosen instruction set. Rotation order and
// the output steps are per-render constants the loop reads once per block.
#pragma once

#include "AE_Effect.h"
#include "matte/Matte.h"
#include "matte/MatteTypes.h"
#include "matte/RowConstants.h"
#include "matte/SimdPath.h"

namespace kestrow::matte {

// Evaluates `count` pixels from `in` into `out` (which may be `in`).
using RowPass = void (*)(const RowConstants&, const PF_PixelFloat* in, PF_PixelFloat* out,
                         A_long count);

// Layer mode's picture: none chosen, one that cannot be read as float rows
// within its memory, or a readable one.
enum class PictureState { None, Unreadable, Readable };

struct RowKernel {
  Mode mode;
  Plane plane;
  PictureState picture;
  bool tile;
};

struct RowPlan {
  RowPass evaluate;
  SimdPath path;
};

// `path` must be available on this machine.
RowPlan planRow(const MatteSettings& settings, SimdPath path);

// What each instruction set's file provides. Constant data: reading it runs
// none of that file's code.
struct LaneSet {
  int lanes;  // pixels per block
  // The loop of a kernel choice; null for modes that only copy.
  RowPass (*rowFor)(const RowKernel& kernel);
  // out = a * b + c in `lanes` lanes, written as the kernels write their
  // arithmetic: proves the file's flags keep the two roundings (no fused
  // multiply-add).
  void (*multiplyAdd)(const double* a, const double* b, const double* c, double* out);
  // The correctly rounded functions as the kernels evaluate them in this
  // file's lanes, over `count` values (any count; a partial block is
  // padded): for the tests that prove the lanes equal the scalar ones.
  void (*sinRow)(const float* x, float* out, long count);
  void (*cosRow)(const float* x, float* out, long count);
  void (*atan2Row)(const float* y, const float* x, float* out, long count);
};

extern const LaneSet kPortableLanes;
extern const LaneSet kAvx2Lanes;
extern const LaneSet kAvx512Lanes;

const LaneSet& laneSetFor(SimdPath path);

}  // namespace kestrow::matte
