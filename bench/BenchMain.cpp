#include <benchmark/benchmark.h>

#include <cstdio>

#include "LanePaths.h"
#include "RatioReporter.h"

namespace kestrow::bench {
void registerMatteBenchmarks(const std::vector<matte::SimdPath>& paths);
}

int main(int argc, char** argv) {
  const kestrow::bench::LanePathChoice lanes = kestrow::bench::chooseLanePaths(argc, argv);
  if (lanes.paths.empty()) {
    std::fprintf(stderr, "kestrow_bench: %s\n", lanes.error.c_str());
    return 2;
  }
  std::fprintf(stderr, "kestrow_bench: matte benchmarks on");
  for (kestrow::matte::SimdPath path : lanes.paths) {
    std::fprintf(stderr, " %s", kestrow::matte::simdPathName(path));
  }
  std::fprintf(stderr, "; renders through the plug-in on %s\n",
               kestrow::matte::simdPathName(kestrow::matte::activeSimdPath()));
  kestrow::bench::registerMatteBenchmarks(lanes.paths);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 1;
  }
  kestrow::bench::RatioReporter reporter("copy");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
