// The Avx512 lane set's probes, compiled with that set's flags.
#include "LaneProbes.h"
#include "matte/lanes/Avx512.h"

namespace kestrow::matte::test {

const LaneProbes kAvx512Probes = LaneProbesOf<Avx512Lanes>::kProbes;

}  // namespace kestrow::matte::test
