#include "PointCloud.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "AtomicFile.h"

namespace kestrow::cli {

namespace {

constexpr long long kPointBudget = 500000;

std::uint8_t toByte(float v) {
  if (!(v > 0.0f)) return 0;  // not-a-number too
  if (v >= 1.0f) return 255;
  return static_cast<std::uint8_t>(std::lround(v * 255.0f));
}

// The bytes of a float, least significant first, whatever the machine.
void putFloat(std::vector<unsigned char>& out, float v) {
  std::uint32_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(bits >> (8 * i)));
}

bool covered(const PF_PixelFloat& p) {
  return p.alpha > 0.0f && std::isfinite(p.red) && std::isfinite(p.green) && std::isfinite(p.blue);
}

}  // namespace

int defaultPointStep(int width, int height) {
  const long long pixels = static_cast<long long>(width) * height;
  return static_cast<int>(pixels <= kPointBudget ? 1 : (pixels + kPointBudget - 1) / kPointBudget);
}

long long writePointCloud(const std::string& path, const host::World& pass,
                          const host::World& render, PointColour colour, int step) {
  std::vector<unsigned char> body;
  long long points = 0, seen = 0;
  for (int y = 0; y < pass.height(); ++y) {
    const auto* in = static_cast<const PF_PixelFloat*>(pass.row(y));
    const auto* out = static_cast<const PF_PixelFloat*>(render.row(y));
    for (int x = 0; x < pass.width(); ++x) {
      if (!covered(in[x]) || seen++ % step != 0) continue;
      putFloat(body, in[x].red);
      putFloat(body, in[x].green);
      putFloat(body, in[x].blue);
      if (colour == PointColour::Colour) {
        body.insert(body.end(), {toByte(out[x].red), toByte(out[x].green), toByte(out[x].blue)});
      } else {
        const std::uint8_t grey =
            toByte(colour == PointColour::MatteInAlpha ? out[x].alpha : out[x].red);
        body.insert(body.end(), {grey, grey, grey});
      }
      ++points;
    }
  }
  const std::string header =
      "ply\nformat binary_little_endian 1.0\ncomment written by kestrow\nelement vertex " +
      std::to_string(points) +
      "\nproperty float x\nproperty float y\nproperty float z\n"
      "property uchar red\nproperty uchar green\nproperty uchar blue\nend_header\n";
  PendingFile file{std::filesystem::path(path)};
  if (std::fwrite(header.data(), 1, header.size(), file.stream()) != header.size() ||
      (!body.empty() && std::fwrite(body.data(), 1, body.size(), file.stream()) != body.size()))
    file.noteWriteError(errno);
  file.commit();
  return points;
}

}  // namespace kestrow::cli
