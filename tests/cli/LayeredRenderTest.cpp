// Mattes written as layers through the binary: each layer equals the
// single render of the same settings bit for bit, and the input's own
// channels come through unchanged.
#include <gtest/gtest.h>

#include <OpenImageIO/imageio.h>
#include <bit>
#include <cstdint>

#include "KestrowRun.h"

namespace kestrow::cli::test {
namespace {

// Channels PREFIX + R, G, B, A of an EXR as an RGBA image ("" for the
// unnamed layer); a missing channel fails the test.
RgbaImage readLayer(const std::string& path, const std::string& prefix) {
  auto in = OIIO::ImageInput::open(path);
  EXPECT_TRUE(in) << path;
  if (!in) return {};
  const OIIO::ImageSpec& spec = in->spec();
  RgbaImage image(spec.width, spec.height);
  const char* const components[] = {"R", "G", "B", "A"};
  std::vector<float> channel(image.pixelCount());
  for (int i = 0; i < 4; ++i) {
    const int c = spec.channelindex(prefix + components[i]);
    EXPECT_GE(c, 0) << path << ": no channel " << prefix << components[i];
    if (c < 0 || !in->read_image(0, 0, c, c + 1, OIIO::TypeDesc::FLOAT, channel.data())) return {};
    for (std::size_t p = 0; p < image.pixelCount(); ++p) image.pixels[p * 4 + i] = channel[p];
  }
  return image;
}

void expectSameBits(const RgbaImage& got, const RgbaImage& want, const std::string& what) {
  ASSERT_EQ(got.pixels.size(), want.pixels.size()) << what;
  for (std::size_t i = 0; i < got.pixels.size(); ++i)
    if (std::bit_cast<std::uint32_t>(got.pixels[i]) != std::bit_cast<std::uint32_t>(want.pixels[i]))
      FAIL() << what << ", value " << i << ": " << bits(got.pixels[i]) << ", want "
             << bits(want.pixels[i]);
}

const char* const kModes[] = {"circle", "ring", "square", "box", "grid", "radial", "rays", "layer"};

TEST(LayeredRender, DemoLayersAreTheSingleRenders) {
  ScratchDir dir;
  const RunResult run = dir.run("demo @");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::string layers = dir.file("layers.exr");
  expectSameBits(readLayer(layers, ""), readRgba(dir.file("position.exr")), "position");
  for (const std::string mode : kModes)
    expectSameBits(readLayer(layers, mode + "."), readRgba(dir.file(mode + ".exr")), mode);
}

}  // namespace
}  // namespace kestrow::cli::test
