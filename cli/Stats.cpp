#include "Stats.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace kestrow::cli {

FrameStats computeStats(const host::World& pass, const host::World& render, bool matteInAlpha) {
  FrameStats stats;
  for (int c = 0; c < 3; ++c) {
    stats.min[c] = std::numeric_limits<float>::infinity();
    stats.max[c] = -std::numeric_limits<float>::infinity();
  }
  stats.pixels = std::size_t(pass.width()) * std::size_t(pass.height());
  for (int y = 0; y < pass.height(); ++y) {
    const auto* row = static_cast<const PF_PixelFloat*>(pass.row(y));
    const auto* matte = static_cast<const PF_PixelFloat*>(render.row(y));
    for (int x = 0; x < pass.width(); ++x) {
      const float in[4] = {row[x].red, row[x].green, row[x].blue, row[x].alpha};
      if (std::isnan(in[0]) || std::isnan(in[1]) || std::isnan(in[2]))
        ++stats.notANumber;
      else if (std::isinf(in[0]) || std::isinf(in[1]) || std::isinf(in[2]))
        ++stats.infinite;
      if (in[3] <= 0.f) {
        ++stats.transparent;
      } else {
        for (int c = 0; c < 3; ++c)
          if (std::isfinite(in[c])) {
            stats.min[c] = std::min(stats.min[c], in[c]);
            stats.max[c] = std::max(stats.max[c], in[c]);
          }
      }
      if (matte && x < render.width() && (matteInAlpha ? matte[x].alpha : matte[x].red) > 0.5f)
        ++stats.covered;
    }
  }
  return stats;
}

std::string formatStats(int frame, const FrameStats& stats) {
  std::string line = "frame " + std::to_string(frame) + ":";
  const char* axes[3] = {"X", "Y", "Z"};
  char buffer[96];
  for (int c = 0; c < 3; ++c) {
    if (stats.min[c] <= stats.max[c])
      std::snprintf(buffer, sizeof buffer, " %s %.6g .. %.6g%s", axes[c], stats.min[c],
                    stats.max[c], c < 2 ? "," : ";");
    else
      std::snprintf(buffer, sizeof buffer, " %s none%s", axes[c], c < 2 ? "," : ";");
    line += buffer;
  }
  const double coverage = stats.pixels ? 100.0 * double(stats.covered) / double(stats.pixels) : 0;
  std::snprintf(buffer, sizeof buffer,
                " transparent %zu, not-a-number %zu, infinite %zu; matte coverage %.2f%%",
                stats.transparent, stats.notANumber, stats.infinite, coverage);
  return line + buffer;
}

}  // namespace kestrow::cli
