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

// What each instruction set's file provides (matte/Lanes*.cpp). Constant
// data: reading it runs none of that file's code.
struct LaneRowTable {
  int lanes;  // pixels per block
  // The loop of a kernel choice; null for modes that only copy.
  RowPass (*rowFor)(const RowKernel& kernel);
};

extern const LaneRowTable kPortableRows;
extern const LaneRowTable kAvx2Rows;
extern const LaneRowTable kAvx512Rows;

}  // namespace kestrow::matte
