// Inputs beyond a plain float RGBA file (multilayer, half float, integer),
// frame sequences and presets, all through the binary.
#include <gtest/gtest.h>

#include <OpenImageIO/imageio.h>

#include <cstdint>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>

#include "KestrowRun.h"

namespace kestrow::cli::test {
namespace {

const std::vector<PassPixel> kPass = {
    {0, 0, 0, 1}, {1.25f, 0.5f, 0, 1}, {2.5f, 0, 0.5f, 1}, {3, 0, 0, 0.5f}, {-1, -1, -1, 0}};

void expectSamePixels(const RgbaImage& got, const RgbaImage& want, const std::string& what) {
  ASSERT_EQ(got.pixels.size(), want.pixels.size()) << what;
  for (std::size_t i = 0; i < got.pixels.size(); ++i)
    EXPECT_EQ(bits(got.pixels[i]), bits(want.pixels[i])) << what << ", value " << i;
}

// The plain float RGBA pass rendered with the given flags.
RgbaImage reference(const ScratchDir& dir, const std::string& flags = "") {
  writeRgba(dir.file("plain.exr"), makePass(5, 1, kPass));
  const RunResult run = dir.run("render @/plain.exr @/reference.exr " + flags);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  return readRgba(dir.file("reference.exr"));
}

// Channels laid out as renderers write them: a beauty RGBA with junk, the
// position in a layer.
std::vector<float> multilayerValues(int junkCount) {
  std::vector<float> values;
  for (const PassPixel& p : kPass) {
    for (int j = 0; j < junkCount; ++j) values.push_back(7.f + float(j));
    values.insert(values.end(), {p.a, p.x, p.y, p.z});
  }
  return values;
}

struct LayoutCase {
  const char* name;
  std::vector<std::string> channels;  // junk first, then alpha, X, Y, Z
  const char* flags;
};

class MultilayerInput : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(MultilayerInput, SelectsThePositionChannels) {
  const LayoutCase& c = GetParam();
  ScratchDir dir;
  const RgbaImage want = reference(dir);
  const int junk = int(c.channels.size()) - 4;
  writeChannels(dir.file("multi.exr"), 5, 1, c.channels, multilayerValues(junk));
  const RunResult run = dir.run(std::string("render @/multi.exr @/out.exr ") + c.flags);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  expectSamePixels(readRgba(dir.file("out.exr")), want, c.name);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, MultilayerInput,
    ::testing::Values(
        LayoutCase{"LayerP", {"R", "G", "B", "A", "P.x", "P.y", "P.z"}, "--position-layer P"},
        LayoutCase{"LayerPworld",
                   {"R", "G", "B", "A", "Pworld.X", "Pworld.Y", "Pworld.Z"},
                   "--position-layer Pworld"},
        LayoutCase{"NestedLayerByLastName",
                   {"R", "beauty.Position.A", "beauty.Position.X", "beauty.Position.Y",
                    "beauty.Position.Z"},
                   "--position-layer Position"},
        LayoutCase{"NukeComponentNames",
                   {"R", "G", "B", "A", "P.red", "P.green", "P.blue"},
                   "--position-layer P"},
        LayoutCase{"XYZByDefault", {"A", "X", "Y", "Z"}, ""},
        LayoutCase{"ChannelsByName",
                   {"R", "G", "cover", "px", "py", "pz"},
                   "--position-channels px,py,pz --alpha-channel cover"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Inputs, HalfFloatIsWidenedSilently) {
  ScratchDir dir;
  const RgbaImage want = reference(dir);
  const RgbaImage pass = makePass(5, 1, kPass);  // every value is exact in half
  writeChannels(dir.file("half.exr"), 5, 1, {"R", "G", "B", "A"}, pass.pixels, true);
  const RunResult run = dir.run("render @/half.exr @/out.exr");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err, "");
  expectSamePixels(readRgba(dir.file("out.exr")), want, "half input");
}

std::vector<float> channelValues(const std::string& path, const std::string& name, int part = 0) {
  auto in = OIIO::ImageInput::open(path);
  const int c = in && in->seek_subimage(part, 0) ? in->spec().channelindex(name) : -1;
  std::vector<float> values(in ? in->spec().image_pixels() : 0);
  EXPECT_TRUE(c >= 0 && in->read_image(part, 0, c, c + 1, OIIO::TypeDesc::FLOAT, values.data()))
      << path << ": " << name;
  return values;
}

// Each pass in a part of its own: the coverage is the beauty's alpha (the
// first part's) unless named, also in a layered output.
TEST(Inputs, CoverageFromAnotherPart) {
  ScratchDir dir;
  reference(dir);
  std::vector<float> beauty, position;
  for (const PassPixel& p : kPass) {
    beauty.insert(beauty.end(), {0.25f, 0.5f, 0.75f, p.a});
    position.insert(position.end(), {p.x, p.y, p.z});
  }
  writeParts(dir.file("parts.exr"), {{"rgba", 5, 1, {"R", "G", "B", "A"}, beauty},
                                     {"P", 5, 1, {"P.X", "P.Y", "P.Z"}, position}});
  for (const std::string flags : {"--position-layer P", "--position-layer P --alpha-channel A",
                                  "--position-channels P:P.X,P:P.Y,P:P.Z --alpha-channel rgba:A",
                                  "--position-layer P --add-layer m"}) {
    const RunResult run = dir.run("render @/parts.exr @/out.exr " + flags);
    ASSERT_EQ(run.exitCode, 0) << flags << ": " << run.err;
    // A layered output adds the matte to the position's part.
    const bool layered = flags.ends_with(" m");
    for (const char* c : {"R", "G", "B", "A"})
      EXPECT_EQ(channelValues(dir.file("out.exr"), (layered ? "m." : "") + std::string(c), layered),
                channelValues(dir.file("reference.exr"), c))
          << flags << " " << c;
  }
}

// X, Y, Z keep the whole numbers they hold (plain and layered alike); an
// integer alpha is a coverage from 0 to its maximum.
TEST(Inputs, IntegerPositionsAreWidenedWithAWarning) {
  ScratchDir dir;
  const std::vector<PassPixel> whole = {{0, 0, 0, 1}, {1, 0, 0, 1}, {2, 1, 0, 1}, {3, 0, 2, 1}};
  writeRgba(dir.file("float.exr"), makePass(4, 1, whole));
  ASSERT_EQ(dir.run("render @/float.exr @/reference.exr").exitCode, 0);
  std::vector<std::uint32_t> samples;
  for (const PassPixel& p : whole)
    samples.insert(samples.end(), {std::uint32_t(p.x), std::uint32_t(p.y), std::uint32_t(p.z),
                                   std::numeric_limits<std::uint32_t>::max()});
  OIIO::ImageSpec spec(4, 1, 4, OIIO::TypeDesc::UINT32);
  auto out = OIIO::ImageOutput::create(dir.file("ints.exr"));
  ASSERT_TRUE(out && out->open(dir.file("ints.exr"), spec) &&
              out->write_image(OIIO::TypeDesc::UINT32, samples.data()) && out->close());
  for (const char* layered : {"", " --add-layer m"}) {
    const RunResult run = dir.run(std::string("render @/ints.exr @/out.exr") + layered);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "kestrow: warning: " + dir.file("ints.exr") +
                           ": integer channels R (uint), G (uint), B (uint) are read as the whole "
                           "numbers they hold; integer positions are probably not a position "
                           "pass\n");
    for (const char* c : {"R", "A"})
      EXPECT_EQ(channelValues(dir.file("out.exr"), (*layered ? "m." : "") + std::string(c)),
                channelValues(dir.file("reference.exr"), c))
          << layered << " " << c;
  }
}

TEST(Sequences, EveryFrameIsRenderedFromItsOwnInput) {
  ScratchDir dir;
  for (int frame = 3; frame <= 5; ++frame) {
    // Frame f holds a point at distance f - 3: inside, on the edge, outside.
    writeRgba(dir.file("in.000" + std::to_string(frame) + ".exr"),
              makePass(1, 1, {{float(frame - 3), 0, 0, 1}}));
  }
  const RunResult run =
      dir.run("render @/in.%04d.exr @/out.####.exr --frames 3-5 --radius 1 --feather 0");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err, "") << "no progress bar when stderr is not a terminal";
  const float want[] = {1, 0, 0};
  for (int frame = 3; frame <= 5; ++frame) {
    const RgbaImage out = readRgba(dir.file("out.000" + std::to_string(frame) + ".exr"));
    ASSERT_EQ(out.pixels.size(), 4u) << "frame " << frame;
    EXPECT_EQ(bits(out.pixels[3]), bits(want[frame - 3])) << "frame " << frame;
  }
}

TEST(Sequences, AnInputNamedLikeAPatternIsReadAsThatFile) {
  ScratchDir dir;
  writeRgba(dir.file("take#2%d.exr"), makePass(1, 1, {{0, 0, 0, 1}}));
  const RunResult run = dir.run("render @/take#2%d.exr @/out.exr");
  EXPECT_EQ(run.exitCode, 0) << run.err;
}

TEST(Presets, SavedValuesRenderTheSameAndReadBack) {
  ScratchDir dir;
  const std::string flags =
      "--mode ring --radius 2 --rotate-x 90 --position 0.25,-1,2 --invert --axis YZ "
      "--feather 0.125 --thickness 0.75";
  const RgbaImage first = reference(dir, flags);
  ASSERT_EQ(dir.run("render @/plain.exr @/a.exr --save-preset @/look.json " + flags).exitCode, 0);

  std::ifstream in(dir.file("look.json"));
  const nlohmann::json preset = nlohmann::json::parse(in);
  const nlohmann::json& controls = preset.at("controls");
  EXPECT_EQ(controls.size(), 26u);
  EXPECT_EQ(controls.at("Mode"), "Ring");
  EXPECT_EQ(controls.at("Radius"), 2.0);
  EXPECT_EQ(controls.at("RotateX"), 90.0);
  EXPECT_EQ(controls.at("Position"), nlohmann::json::array({0.25, -1.0, 2.0}));
  EXPECT_EQ(controls.at("Invert"), true);
  EXPECT_EQ(controls.at("Axis"), "YZ");
  EXPECT_EQ(controls.at("Alpha Matte"), true);
  EXPECT_TRUE(controls.at("Layer").is_null());

  const RunResult run = dir.run("render @/plain.exr @/b.exr --preset @/look.json");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  expectSamePixels(readRgba(dir.file("b.exr")), first, "rendered from the preset");
}

TEST(Presets, FlagsOverrideThePreset) {
  ScratchDir dir;
  const RgbaImage want = reference(dir, "--mode square --radius 3");
  std::ofstream(dir.file("p.json")) << R"({"controls": {"Mode": "Square", "Radius": 1}})";
  const RunResult run = dir.run("render @/plain.exr @/out.exr --preset @/p.json --radius 3");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  expectSamePixels(readRgba(dir.file("out.exr")), want, "preset then flag");
}

}  // namespace
}  // namespace kestrow::cli::test
