// The Portable lane set's probes, compiled with that set's flags.
#include "LaneProbes.h"
#include "matte/lanes/Portable.h"

namespace kestrow::matte::test {

const LaneProbes kPortableProbes = LaneProbesOf<PortableLanes>::kProbes;

}  // namespace kestrow::matte::test

namespace kestrow::matte::test {

const LaneProbes& laneProbesFor(SimdPath path) {
  switch (path) {
    case SimdPath::Avx2:
      return kAvx2Probes;
    case SimdPath::Avx512:
      return kAvx512Probes;
    case SimdPath::Portable:
      break;
  }
  return kPortableProbes;
}

}  // namespace kestrow::matte::test
