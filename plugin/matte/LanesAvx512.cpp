// The row loops of every mode in the Avx512 lane set, compiled with that
// set's flags alone (cmake/LaneSets.cmake).
#include "matte/ModeKernels.h"
#include "matte/lanes/Avx512.h"

namespace kestrow::matte {

const LaneRowTable kAvx512Rows = laneRowTable<Avx512Lanes>();

}  // namespace kestrow::matte
