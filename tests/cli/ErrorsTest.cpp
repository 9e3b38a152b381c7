// Every refusal names the file or control, exits with 2 (usage) or 1
// (failure), and leaves nothing behind in the output folder.
#include <gtest/gtest.h>

#include <fstream>

#include "KestrowRun.h"

namespace kestrow::cli::test {
namespace {

struct ErrorCase {
  const char* name;
  std::vector<std::string> args;  // after "render IN OUT"; "@" stands for the scratch folder
  int exitCode;
  std::string message;  // expected stderr line, "@" for the scratch folder
  const char* input = "pass.exr";
  const char* output = "out.exr";
};

std::string expand(std::string text, const ScratchDir& dir) {
  for (std::size_t at; (at = text.find('@')) != std::string::npos;)
    text.replace(at, 1, dir.path().string());
  return text;
}

const std::vector<ErrorCase> kCases = {
    {"MissingInput", {}, 1, "kestrow: error: @/none.exr: no such file: @/none.exr\n", "none.exr"},
    {"UnknownChannel",
     {"--position-channels", "Q.x,Q.y,Q.z"},
     1,
     "kestrow: error: @/pass.exr: no channel \"Q.x\" (channels: R, G, B, A)\n"},
    {"UnknownLayer",
     {"--position-layer", "Pworld"},
     1,
     "kestrow: error: @/pass.exr: no layer \"Pworld\" with X, Y, Z channels (layers: none)\n"},
    {"TwoChannelNames",
     {"--position-channels", "R,G"},
     2,
     "kestrow: error: --position-channels: takes three channel names X,Y,Z, got \"R,G\"\n"},
    {"RadiusAboveRange",
     {"--radius", "2000000"},
     2,
     "kestrow: error: Radius: 2000000 is outside the valid range -1000000 to 1000000\n"},
    {"FeatherBelowRange",
     {"--feather", "-0.5"},
     2,
     "kestrow: error: Feather: -0.5 is outside the valid range 0 to 1000000\n"},
    {"UnknownChoice",
     {"--mode", "hexagon"},
     2,
     "kestrow: error: Mode: unknown choice \"hexagon\" (choices: Circle, Ring, Square, Box, "
     "Grid, Radial, Rays, Layer)\n"},
    {"UnknownRotateOrder",
     {"--rotate-order", "xxy"},
     2,
     "kestrow: error: RotateOrder: unknown choice \"xxy\" (choices: XYZ, XZY, YXZ, YZX, ZXY, "
     "ZYX)\n"},
    {"MalformedNumber",
     {"--multiply-values", "2x"},
     2,
     "kestrow: error: Multiply Values: \"2x\" is not a number\n"},
    {"MalformedPoint",
     {"--position", "1,2"},
     2,
     "kestrow: error: Position: \"1,2\" is not three numbers X,Y,Z\n"},
    {"NotFinite",
     {"--offset", "nan"},
     2,
     "kestrow: error: Offset: \"nan\" is not a finite number\n"},
    {"UnwritableOutput",
     {},
     1,
     "kestrow: error: @/missing/out.exr: cannot be written (folder @/missing does not exist)\n",
     "pass.exr",
     "missing/out.exr"},
    {"UnknownOutputType",
     {},
     2,
     "kestrow: error: @/out.xyz: unsupported output type \".xyz\" (use .exr for float output, or "
     ".png, .tif, .jpg for a preview)\n",
     "pass.exr",
     "out.xyz"},
    {"MissingLayerPicture",
     {"--mode", "layer", "--layer", "@/nowhere.exr"},
     1,
     "kestrow: error: Layer: no such file: @/nowhere.exr\n"},
    {"UnreadableLayerPicture",
     {"--mode", "layer", "--layer", "@/broken.exr"},
     1,
     "kestrow: error: Layer: cannot be read as an image"},
    {"PickOutsideTheInput",
     {"--pick", "2,0"},
     2,
     "kestrow: error: --pick: 2,0 is outside the 2x1 input\n"},
    {"FramesWithoutPattern",
     {"--frames", "1-3"},
     2,
     "kestrow: error: @/out.exr: --frames needs a frame pattern (#### or %04d) in OUTPUT\n"},
    {"BackwardFrames",
     {"--frames", "5-3"},
     2,
     "kestrow: error: --frames: the last frame 3 comes before the first 5\n",
     "pass.exr",
     "out.####.exr"},
    {"PresetWithUnknownControl",
     {"--preset", "@/bad.json"},
     2,
     "kestrow: error: @/bad.json: unknown control \"Radiuss\"\n"},
    {"PresetOutOfRange",
     {"--preset", "@/range.json"},
     2,
     "kestrow: error: @/range.json: Thickness: -1 is outside the valid range 0 to 1000000\n"},
    {"MissingPlugin",
     {"--plugin", "@/Nope.so"},
     1,
     "kestrow: error: @/Nope.so: no such plug-in file (build it, or name one with --plugin)\n"},
    {"UnknownFlag", {"--sparkle"}, 2, "kestrow: error: command line: "},
};

class RenderErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(RenderErrors, NameTheProblemAndLeaveNoOutput) {
  const ErrorCase& c = GetParam();
  ScratchDir dir;
  writeRgba(dir.file("pass.exr"), makePass(2, 1, {{0, 0, 0, 1}, {1, 1, 1, 1}}));
  std::ofstream(dir.file("broken.exr")) << "not an image";
  std::ofstream(dir.file("bad.json")) << R"({"controls": {"Radiuss": 2}})";
  std::ofstream(dir.file("range.json")) << R"({"controls": {"Thickness": -1}})";
  const std::vector<std::string> before = dir.entries();

  std::vector<std::string> args = {"render", dir.file(c.input), dir.file(c.output)};
  for (const std::string& arg : c.args) args.push_back(expand(arg, dir));
  const RunResult run = runKestrow(args);
  EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
  const std::string want = expand(c.message, dir);
  if (want.ends_with('\n'))
    EXPECT_EQ(run.err, want);
  else
    EXPECT_TRUE(run.err.starts_with(want)) << run.err;
  EXPECT_EQ(dir.entries(), before) << "an output or temporary file was left behind";
}

INSTANTIATE_TEST_SUITE_P(Cases, RenderErrors, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CommandLine, NoCommandIsAUsageError) {
  const RunResult run = runKestrow({});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_TRUE(run.err.starts_with("kestrow: error: command line: ")) << run.err;
}

TEST(CommandLine, HelpListsTheControlsFromThePlugin) {
  const RunResult run = runKestrow({"render", "--help"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  for (const char* text : {"--multiply-values", "--rotate-order", "--no-alpha-matte",
                           "Radius: float, default 2.5; valid -1000000 to 1000000 (slider 0 to 50)",
                           "Circle, Ring, Square, Box, Grid, Radial, Rays, Layer", "--pick"})
    EXPECT_NE(run.out.find(text), std::string::npos) << text << "\n" << run.out;
}

}  // namespace
}  // namespace kestrow::cli::test
