// The instruction sets the row kernels are built for, and the run-time
// choice among them. The portable path is built for the baseline of the
// target and runs everywhere; the wider ones are compiled in files of their
// own (cmake/LaneSets.cmake) and used only on a CPU (and operating system)
// that supports them.
#pragma once

namespace kestrow::matte {

enum class SimdPath { Portable, Avx2, Avx512 };

inline constexpr SimdPath kSimdPaths[] = {SimdPath::Portable, SimdPath::Avx2, SimdPath::Avx512};

struct LaneRowTable;

// "portable", "avx2", "avx512".
const char* simdPathName(SimdPath path);

// The path's row loops.
const LaneRowTable& laneRowsFor(SimdPath path);

// Whether this machine runs the path. Thread-safe.
bool simdPathAvailable(SimdPath path);

// The path renders use: the widest available one.
// Decided on first use, then fixed for the process. Thread-safe.
SimdPath activeSimdPath();

}  // namespace kestrow::matte
