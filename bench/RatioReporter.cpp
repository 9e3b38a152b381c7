#include "RatioReporter.h"

#include <algorithm>
#include <cstdio>

namespace kestrow::bench {

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
  for (const Run& run : runs) {
    if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations <= 0) {
      continue;
    }
    const std::string name = run.run_name.function_name;
    const double seconds = run.real_accumulated_time / static_cast<double>(run.iterations);
    auto it = std::find_if(best_.begin(), best_.end(),
                           [&](const auto& entry) { return entry.first == name; });
    if (it == best_.end()) {
      best_.emplace_back(name, seconds);
    } else {
      it->second = std::min(it->second, seconds);
    }
  }
  ConsoleReporter::ReportRuns(runs);
}

void RatioReporter::Finalize() {
  auto base = std::find_if(best_.begin(), best_.end(),
                           [&](const auto& entry) { return entry.first == baseline_; });
  if (base == best_.end() || base->second <= 0.0) {
    std::fprintf(stdout, "\n(baseline %s not run: no ratios)\n", baseline_.c_str());
    return;
  }
  std::fprintf(stdout, "\nTime per row set as a multiple of %s (%.1f us):\n", baseline_.c_str(),
               base->second * 1e6);
  for (const auto& [name, seconds] : best_) {
    std::fprintf(stdout, "  %-28s %8.2fx\n", name.c_str(), seconds / base->second);
  }
  std::fflush(stdout);
}

}  // namespace kestrow::bench
