// Which instruction sets the matte benchmarks run: every one this machine
// runs, or the one named by --lane_path=NAME. The plug-in itself always
// renders with the widest available one; this choice exists for the
// benchmarks (and the tests name their paths in code).
#pragma once

#include <string>
#include <vector>

#include "matte/SimdPath.h"

namespace kestrow::bench {

struct LanePathChoice {
  std::vector<matte::SimdPath> paths;  // narrowest first; empty on error
  std::string error;                   // why the named path cannot run
};

// Takes --lane_path=NAME out of argv. A name that is not a path, or names
// one this machine does not run, is an error that says which paths it has.
LanePathChoice chooseLanePaths(int& argc, char** argv);

}  // namespace kestrow::bench
