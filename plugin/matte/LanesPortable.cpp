// The row loops of every mode in the Portable lane set, compiled with that
// set's flags alone (cmake/LaneSets.cmake).
#include "matte/ModeKernels.h"
#include "matte/lanes/Portable.h"

namespace kestrow::matte {

const LaneRowTable kPortableRows = laneRowTable<PortableLanes>();

}  // namespace kestrow::matte
