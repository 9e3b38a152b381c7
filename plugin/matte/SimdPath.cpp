#include "matte/SimdPath.h"

#include <cstddef>
#include <cstdint>
#include <iterator>

#include "matte/RowPlan.h"

#if defined(__x86_64__) || defined(_M_X64)
#include <cpuid.h>
#define KESTROW_X86 1
#endif

namespace kestrow::matte {

namespace {

// One row per instruction set, in kSimdPaths order.
struct InstructionSet {
  SimdPath path;
  const char* name;
  const LaneRowTable* rows;
};

constexpr InstructionSet kInstructionSets[] = {
    {SimdPath::Portable, "portable", &kPortableRows},
    {SimdPath::Avx2, "avx2", &kAvx2Rows},
    {SimdPath::Avx512, "avx512", &kAvx512Rows},
};

constexpr bool inPathOrder() {
  for (std::size_t i = 0; i < std::size(kSimdPaths); ++i) {
    if (kInstructionSets[i].path != kSimdPaths[i]) return false;
  }
  return std::size(kInstructionSets) == std::size(kSimdPaths);
}
static_assert(inPathOrder(), "one instruction set per path, in path order");

// A value outside the enumeration names the portable set.
const InstructionSet& instructionSet(SimdPath path) {
  const auto index = static_cast<std::size_t>(path);
  return kInstructionSets[index < std::size(kInstructionSets) ? index : 0];
}

#ifdef KESTROW_X86
// The state components the operating system saves on a context switch; a
// register set is usable only when they include it.
std::uint64_t enabledStateComponents() {
  std::uint32_t low = 0;
  std::uint32_t high = 0;
  __asm__("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
  return (std::uint64_t{high} << 32) | low;
}

bool cpuHas(SimdPath path) {
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (!__get_cpuid(1, &a, &b, &c, &d) || (c & bit_OSXSAVE) == 0 || (c & bit_AVX) == 0) {
    return false;
  }
  if (!__get_cpuid_count(7, 0, &a, &b, &c, &d)) {
    return false;
  }
  const std::uint64_t state = enabledStateComponents();
  constexpr std::uint64_t kVectorState = 0x6;   // SSE and AVX registers
  constexpr std::uint64_t kAvx512State = 0xe0;  // opmasks and the upper registers
  const bool avx2 = (b & bit_AVX2) != 0 && (state & kVectorState) == kVectorState;
  if (path == SimdPath::Avx2) {
    return avx2;
  }
  return avx2 && (b & bit_AVX512F) != 0 && (state & kAvx512State) == kAvx512State;
}
#else
bool cpuHas(SimdPath) { return false; }
#endif

// The widest path this machine runs. The plug-in reads no environment
// variables: tests and benchmarks name a path explicitly (planRow).
SimdPath chooseSimdPath() {
  for (SimdPath path : {SimdPath::Avx512, SimdPath::Avx2}) {
    if (simdPathAvailable(path)) {
      return path;
    }
  }
  return SimdPath::Portable;
}

}  // namespace

const char* simdPathName(SimdPath path) { return instructionSet(path).name; }

const LaneRowTable& laneRowsFor(SimdPath path) { return *instructionSet(path).rows; }

bool simdPathAvailable(SimdPath path) {
  if (path == SimdPath::Portable) {
    return true;
  }
  static const bool avx2 = cpuHas(SimdPath::Avx2);
  static const bool avx512 = cpuHas(SimdPath::Avx512);
  return path == SimdPath::Avx2 ? avx2 : avx512;
}

SimdPath activeSimdPath() {
  static const SimdPath path = chooseSimdPath();
  return path;
}

}  // namespace kestrow::matte
