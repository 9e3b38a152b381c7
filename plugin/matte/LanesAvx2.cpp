// The row loops of every mode in the Avx2 lane set, compiled with that
// set's flags alone (cmake/LaneSets.cmake).
#include "matte/ModeKernels.h"
#include "matte/lanes/Avx2.h"

namespace kestrow::matte {

const LaneRowTable kAvx2Rows = laneRowTable<Avx2Lanes>();

}  // namespace kestrow::matte
