// The Avx2 lane set's probes, compiled with that set's flags.
#include "LaneProbes.h"
#include "matte/lanes/Avx2.h"

namespace kestrow::matte::test {

const LaneProbes kAvx2Probes = LaneProbesOf<Avx2Lanes>::kProbes;

}  // namespace kestrow::matte::test
