// Mattes written as layers through the binary: each layer equals the
// single render of the same settings bit for bit, and the input's own
// channels come through unchanged.
#include <gtest/gtest.h>

#include <Imath/half.h>
#include <OpenImageIO/imageio.h>
#include <bit>
#include <cstdint>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>

#include "KestrowRun.h"

namespace kestrow::cli::test {
namespace {

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

// A renderer's frame: beauty, the position in layer P, an object id.
void writeShot(const std::string& path, float shift) {
  const std::vector<PassPixel> positions = {{0, 0, 0, 1},       {2.3f, 0, 0, 1},
                                            {1.2f, 1, 0.5f, 1}, {0, 1.9f, 0, 0.5f},
                                            {1, 1, 1, 0},       {-1.4f, 0.3f, 0, 1}};
  std::vector<float> values;
  for (std::size_t p = 0; p < positions.size(); ++p) {
    const PassPixel& q = positions[p];
    values.insert(values.end(),
                  {0.1f * float(p), 0.2f, 0.3f, 1, q.x + shift, q.y, q.z, q.a, float(p) + 0.5f});
  }
  writeChannels(path, 3, 2, {"R", "G", "B", "A", "P.X", "P.Y", "P.Z", "P.A", "id"}, values);
}

void writeFile(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

void writePresets(const ScratchDir& dir) {
  writeFile(
      dir.file("ring.json"),
      R"({"kestrow-preset": 1, "controls": {"Mode": "Ring", "Radius": 2, "Thickness": 0.5}})");
  writeFile(dir.file("box.json"),
            R"({"kestrow-preset": 1, "controls": {"Mode": "Box", "Radius": 1.5, "Feather": 0.9}})");
}

// One read, three instances: the command line's own matte and one per
// preset, the command line's flags on top of each preset.
TEST(LayeredRender, EveryLayerIsTheSingleRenderOfItsSettings) {
  ScratchDir dir;
  writeShot(dir.file("shot.exr"), 0);
  writePresets(dir);
  const std::string common = "render @/shot.exr @/";
  const RunResult run = dir.run(common +
                                "out.exr --position-layer P --add-layer own --matte "
                                "mattes.ring=@/ring.json --matte box=@/box.json --feather 0.2");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::pair<const char*, const char*> singles[] = {
      {"own", ""}, {"mattes.ring", "--preset @/ring.json"}, {"box", "--preset @/box.json"}};
  for (const auto& [layer, preset] : singles) {
    const std::string single = dir.file(std::string(layer) + ".exr");
    const RunResult one =
        dir.run(common + layer + ".exr --position-layer P --feather 0.2 " + preset);
    ASSERT_EQ(one.exitCode, 0) << one.err;
    expectSameBits(readLayer(dir.file("out.exr"), std::string(layer) + "."), readRgba(single),
                   layer);
  }
  // The input's channels, the position layer included, are still there.
  for (const auto& [layer, components] : {std::pair{"", "RGBA"}, std::pair{"P.", "XYZA"}})
    expectSameBits(readLayer(dir.file("out.exr"), layer, components),
                   readLayer(dir.file("shot.exr"), layer, components), layer);
}

// One pick serves every matte: each layer is the single render with the
// pick, and a transparent pixel is warned about once.
TEST(LayeredRender, OnePickForEveryMatte) {
  ScratchDir dir;
  writeShot(dir.file("shot.exr"), 0);
  writePresets(dir);
  const RunResult run = dir.run(
      "render @/shot.exr @/out.exr --position-layer P --add-layer a --matte b=@/ring.json "
      "--pick 1,1");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err,
            "kestrow: warning: --pick: pixel 1,1 is transparent; its position is probably not a "
            "surface\n");
  const RunResult single =
      dir.run("render @/shot.exr @/b.exr --position-layer P --preset @/ring.json --pick 1,1");
  ASSERT_EQ(single.exitCode, 0) << single.err;
  expectSameBits(readLayer(dir.file("out.exr"), "b."), readRgba(dir.file("b.exr")), "b");
}

// Sequences: every frame reads its own input; half mattes are the float
// render rounded to half; the compression is the one asked for.
TEST(LayeredRender, SequenceWithHalfMattes) {
  ScratchDir dir;
  for (int frame = 1; frame <= 2; ++frame)
    writeShot(dir.file("shot.000" + std::to_string(frame) + ".exr"), 0.5f * float(frame));
  const RunResult run = dir.run(
      "render @/shot.####.exr @/out.####.exr --frames 1-2 --position-layer P --add-layer m "
      "--data-type half --compression piz --radius 1.7");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  for (int frame = 1; frame <= 2; ++frame) {
    const std::string n = std::to_string(frame);
    ASSERT_EQ(
        dir.run("render @/shot.000" + n + ".exr @/f" + n + ".exr --position-layer P --radius 1.7")
            .exitCode,
        0);
    RgbaImage rounded = readRgba(dir.file("f" + n + ".exr"));
    for (float& v : rounded.pixels) v = float(Imath::half(v));
    const std::string out = dir.file("out.000" + n + ".exr");
    expectSameBits(readLayer(out, "m."), rounded, "frame " + n);
    auto in = OIIO::ImageInput::open(out);
    ASSERT_TRUE(in);
    EXPECT_EQ(in->spec().get_string_attribute("compression"), "piz");
    EXPECT_EQ(in->spec().channelformat(in->spec().channelindex("m.A")), OIIO::TypeDesc::HALF);
  }
}

TEST(LayeredRender, DescribeListsTheOptions) {
  const RunResult run = runKestrow({"describe", "--json"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  std::map<std::string, nlohmann::json> options;
  const nlohmann::json described = nlohmann::json::parse(run.out);
  for (const nlohmann::json& o : described.at("renderOptions")) options[o.at("name")] = o;
  EXPECT_EQ(options.at("--add-layer").at("value"), "NAME");
  EXPECT_EQ(options.at("--matte").at("value"), "NAME=PRESET.json");
  EXPECT_EQ(options.at("--matte").at("repeatable"), true);
  EXPECT_EQ(options.at("--replace-layer").at("flag"), true);
  for (const char* name : {"--data-type", "--compression", "INPUT", "--position-layer",
                           "--position-space", "--world-to-camera", "--combine", "--combine-only",
                           "--point-cloud", "--point-step", "--point-cloud-layer"})
    EXPECT_TRUE(options.contains(name)) << name;
  EXPECT_NE(options.at("--compression").at("description").get<std::string>().find("dwab"),
            std::string::npos);
}

}  // namespace
}  // namespace kestrow::cli::test
