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
  std::string group;
  double base = 0.0;
  for (const auto& [name, seconds] : best_) {
    const std::string ownGroup = name.substr(0, name.find('/'));
    if (ownGroup != group) {
      group = ownGroup;
      const std::string baseName = group + "/" + baseline_;
      auto it = std::find_if(best_.begin(), best_.end(),
                             [&](const auto& entry) { return entry.first == baseName; });
      base = it == best_.end() ? 0.0 : it->second;
      if (base > 0.0) {
        std::fprintf(stdout, "\nTime as a multiple of %s (%.1f us):\n", baseName.c_str(),
                     base * 1e6);
      } else {
        std::fprintf(stdout, "\n(baseline %s not run: no ratios)\n", baseName.c_str());
      }
    }
    if (base > 0.0) {
      std::fprintf(stdout, "  %-28s %8.2fx %10.3f ms\n", name.c_str(), seconds / base,
                   seconds * 1e3);
    }
  }
  std::fflush(stdout);
}

}  // namespace kestrow::bench
