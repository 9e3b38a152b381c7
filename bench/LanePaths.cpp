#include "LanePaths.h"

#include <iterator>
#include <string_view>

namespace kestrow::bench {

namespace {

std::vector<matte::SimdPath> availablePaths() {
  std::vector<matte::SimdPath> paths;
  for (matte::SimdPath path : matte::kSimdPaths) {
    if (matte::simdPathAvailable(path)) paths.push_back(path);
  }
  return paths;
}

std::string namesOf(const std::vector<matte::SimdPath>& paths) {
  std::string names;
  for (matte::SimdPath path : paths) {
    names += (names.empty() ? "" : ", ") + std::string(matte::simdPathName(path));
  }
  return names;
}

}  // namespace

LanePathChoice chooseLanePaths(int& argc, char** argv) {
  constexpr std::string_view kFlag = "--lane_path=";
  LanePathChoice choice{availablePaths(), {}};
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg.substr(0, kFlag.size()) != kFlag) {
      argv[kept++] = argv[i];
      continue;
    }
    const std::string_view name = arg.substr(kFlag.size());
    std::vector<matte::SimdPath> all(std::begin(matte::kSimdPaths), std::end(matte::kSimdPaths));
    bool known = false;
    for (matte::SimdPath path : all) {
      if (name != matte::simdPathName(path)) continue;
      known = true;
      if (!matte::simdPathAvailable(path)) {
        choice = {{},
                  std::string(name) + " is not available on this machine (it runs " +
                      namesOf(availablePaths()) + ")"};
      } else {
        choice = {{path}, {}};
      }
    }
    if (!known) {
      choice = {{},
                "unknown lane path \"" + std::string(name) + "\" (one of " + namesOf(all) + ")"};
    }
  }
  argc = kept;
  argv[argc] = nullptr;
  return choice;
}

}  // namespace kestrow::bench
