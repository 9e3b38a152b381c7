// Console output plus, at the end, each benchmark's time as a multiple of
// its group's baseline measured in the same run, so results read as ratios
// that carry over between machines. A benchmark's group is its name up to
// the first '/'; the group's baseline is "<group>/<baseline>".
#pragma once

#include <benchmark/benchmark.h>

#include <string>
#include <utility>
#include <vector>

namespace kestrow::bench {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  explicit RatioReporter(std::string baseline) : baseline_(std::move(baseline)) {}

  void ReportRuns(const std::vector<Run>& runs) override;
  void Finalize() override;

 private:
  std::string baseline_;
  // Fastest seconds per iteration of each benchmark, in run order.
  std::vector<std::pair<std::string, double>> best_;
};

}  // namespace kestrow::bench
