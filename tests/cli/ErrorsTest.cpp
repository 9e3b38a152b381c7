// Every refusal names the file or control, exits with 2 (usage) or 1
// (failure), and leaves nothing behind in the output folder.
#include <OpenImageIO/imageio.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <fstream>

#include "KestrowRun.h"

namespace kestrow::cli::test {
namespace {

namespace fs = std::filesystem;

struct ErrorCase {
  const char* name;
  const char* args;  // after "render"; "@" stands for the scratch folder
  int exitCode;
  const char* message;  // stderr after "kestrow: error: "; whole lines unless it ends early
};

const ErrorCase kCases[] = {
    {"MissingInput", "@/none.exr @/out.exr", 1, "@/none.exr: no such file: @/none.exr\n"},
    {"UnknownChannel", "@/pass.exr @/out.exr --position-channels Q.x,Q.y,Q.z", 1,
     "@/pass.exr: no channel \"Q.x\" (channels: R, G, B, A)\n"},
    {"UnknownLayer", "@/pass.exr @/out.exr --position-layer Pworld", 1,
     "@/pass.exr: no layer \"Pworld\" with X, Y, Z channels (layers: none)\n"},
    {"TwoChannelNames", "@/pass.exr @/out.exr --position-channels R,G", 2,
     "--position-channels: \"R,G\" is not three channel names X,Y,Z\n"},
    {"ChannelsAndLayer", "@/pass.exr @/out.exr --position-channels R,G,B --position-layer P", 2,
     "command line: --position-channels excludes --position-layer\n"},
    {"RadiusAboveRange", "@/pass.exr @/out.exr --radius 2000000", 2,
     "Radius: 2000000 is outside the valid range -1000000 to 1000000\n"},
    {"FeatherBelowRange", "@/pass.exr @/out.exr --feather -0.5", 2,
     "Feather: -0.5 is outside the valid range 0 to 1000000\n"},
    {"UnknownChoice", "@/pass.exr @/out.exr --mode hexagon", 2,
     "Mode: unknown choice \"hexagon\" (choices: Circle, Ring, Square, Box, Grid, Radial, Rays, "
     "Layer)\n"},
    {"UnknownRotateOrder", "@/pass.exr @/out.exr --rotate-order xxy", 2,
     "RotateOrder: unknown choice \"xxy\" (choices: XYZ, XZY, YXZ, YZX, ZXY, ZYX)\n"},
    {"MalformedNumber", "@/pass.exr @/out.exr --multiply-values 2x", 2,
     "Multiply Values: \"2x\" is not a number\n"},
    {"MalformedPoint", "@/pass.exr @/out.exr --position 1,2", 2,
     "Position: \"1,2\" is not three numbers X,Y,Z\n"},
    {"PointWithFourNumbers", "@/pass.exr @/out.exr --position 1,2,3,4", 2,
     "Position: \"1,2,3,4\" is not three numbers X,Y,Z\n"},
    {"PointWithAnEmptyNumber", "@/pass.exr @/out.exr --position=1,,3", 2,
     "Position: \"1,,3\" is not three numbers X,Y,Z\n"},
    {"ColourWithFourNumbers", "@/pass.exr @/out.exr --pick-point 1,2,3,4", 2,
     "Pick Point: \"1,2,3,4\" is not three numbers R,G,B\n"},
    {"PickWithAnEmptyNumber", "@/pass.exr @/out.exr --pick 1,,0", 2,
     "--pick: \"1,,0\" is not a pixel X,Y\n"},
    {"FourChannelNames", "@/pass.exr @/out.exr --position-channels R,G,B,A", 2,
     "--position-channels: \"R,G,B,A\" is not three channel names X,Y,Z\n"},
    {"CheckboxWithAnEmptyValue", "@/pass.exr @/out.exr --tile=", 2,
     "Tile: --tile= gives no value (on or off)\n"},
    // An empty value (an unset variable in a script) is not the default.
    {"EmptyPicture", "@/pass.exr @/out.exr --layer ''", 2, "--layer: the value is empty\n"},
    {"EmptyCompression", "@/pass.exr @/out.exr --compression ''", 2,
     "--compression: the value is empty\n"},
    {"EmptyDataType", "@/pass.exr @/out.exr --data-type ''", 2,
     "--data-type: the value is empty\n"},
    {"EmptyLayerName", "@/shot.exr @/out.png --add-layer ''", 2,
     "--add-layer: the value is empty\n"},
    {"NotFinite", "@/pass.exr @/out.exr --offset nan", 2,
     "Offset: \"nan\" is not a finite number\n"},
    {"BeyondDouble", "@/pass.exr @/out.exr --multiply-values 1e309", 2,
     "Multiply Values: \"1e309\" is outside the valid range -1000000 to 1000000\n"},
    {"BelowDouble", "@/pass.exr @/out.exr --radius 1e-400", 2,
     "Radius: \"1e-400\" is too close to zero (write 0)\n"},
    {"PointBeyondDouble", "@/pass.exr @/out.exr --position 0,1e309,0", 2,
     "Position: \"1e309\" is too large\n"},
    {"ColourBeyondFloat", "@/pass.exr @/out.exr --pick-point 1e39,0,0", 2,
     "Pick Point: 1e+39 does not fit a colour component (largest 3.4028234663852886e+38)\n"},
    {"CheckboxValueNotOnOrOff", "@/pass.exr @/out.exr --invert=maybe", 2,
     "Invert: \"maybe\" is not on or off\n"},
    {"CheckboxOnAndOff", "@/pass.exr @/out.exr --tile --no-tile=on", 2,
     "Tile: turned both on and off (--tile, --no-tile)\n"},
    {"ThreadsNotDecimal", "@/pass.exr @/out.exr --threads 0x8", 2,
     "command line: --threads: \"0x8\" is not a number\n"},
    {"UnwritableOutput", "@/pass.exr @/missing/out.exr", 1,
     "@/missing/out.exr: cannot be written (folder @/missing does not exist)\n"},
    {"UnknownOutputType", "@/pass.exr @/out.xyz", 2,
     "@/out.xyz: unsupported output type \".xyz\" (use .exr for float output, or .png, .tif, "
     ".jpg for a preview)\n"},
    {"MissingLayerPicture", "@/pass.exr @/out.exr --mode layer --layer @/nowhere.exr", 1,
     "Layer: no such file: @/nowhere.exr\n"},
    {"UnreadableLayerPicture", "@/pass.exr @/out.exr --mode layer --layer @/broken.exr", 1,
     "Layer: cannot be read as an image"},
    {"PickOutsideTheInput", "@/pass.exr @/out.exr --pick 2,0", 2,
     "--pick: 2,0 is outside the 2x1 input\n"},
    {"PickNotANumber", "@/pass.exr @/out.exr --pick 1,0x0", 2,
     "--pick: \"0x0\" is not a number (in \"1,0x0\")\n"},
    {"PickNaNPosition", "@/nonfinite.exr @/out.exr --pick 0,0", 2,
     "--pick: pixel 0,0 holds no finite position (nan, 0, 1)\n"},
    {"PickInfinitePosition", "@/nonfinite.exr @/out.exr --pick 1,0", 2,
     "--pick: pixel 1,0 holds no finite position (0, -inf, 1)\n"},
    {"FramesWithoutPattern", "@/pass.exr @/out.exr --frames 1-3", 2,
     "@/out.exr: --frames needs a frame pattern (#### or %04d) in OUTPUT\n"},
    {"BackwardFrames", "@/pass.exr @/out.####.exr --frames 5-3", 2,
     "--frames: the last frame 3 comes before the first 5\n"},
    {"PresetWithUnknownControl", "@/pass.exr @/out.exr --preset @/bad.json", 1,
     "@/bad.json: unknown control \"Radiuss\"\n"},
    {"PresetOutOfRange", "@/pass.exr @/out.exr --preset @/range.json", 1,
     "@/range.json: Thickness: -1 is outside the valid range 0 to 1000000\n"},
    {"MissingPlugin", "@/pass.exr @/out.exr --plugin @/Nope.so", 1,
     "@/Nope.so: no such plug-in file (build it, or name one with --plugin)\n"},
    {"UnknownFlag", "@/pass.exr @/out.exr --sparkle", 2, "command line: "},
    // Only regular files are read: a device would be read forever.
    {"DeviceInput", "/dev/zero @/out.exr", 1,
     "/dev/zero: is not a regular file (a device, pipe or socket)\n"},
    {"LinkToADevice", "@/zero.exr @/out.exr", 1,
     "@/zero.exr: is not a regular file (a device, pipe or socket)\n"},
    {"DeviceLayerPicture", "@/pass.exr @/out.exr --mode layer --layer /dev/zero", 1,
     "Layer: /dev/zero is not a regular file (a device, pipe or socket)\n"},
    {"AlphaOnlyPicture", "@/pass.exr @/out.exr --mode layer --layer @/alpha.exr", 1,
     "Layer: @/alpha.exr holds only an alpha channel; a picture needs colour or grey\n"},
    {"PresetFormatAsText", "@/pass.exr @/out.exr --preset @/text.json", 1,
     "@/text.json: \"kestrow-preset\" is \"1\", not a format number (this tool reads format "
     "1)\n"},
    {"PresetKeyTwice", "@/pass.exr @/out.exr --preset @/twice.json", 1,
     "@/twice.json: is not a valid preset (key \"Radius\" is given twice)\n"},
    // Names are printed with their control characters escaped.
    {"ControlCharactersInAName", "@/a\x1b[2J\x07.exr @/out.exr", 1,
     "\"@/a\\x1b[2J\\x07.exr\": no such file: @/a\\x1b[2J\\x07.exr\n"},
    {"FolderPreset", "@/pass.exr @/out.exr --preset @", 1, "@: is a folder, not a file\n"},
    // Nor is anything but a regular file written over, before any work.
    {"PipeOutput", "@/pass.exr @/fifo.exr", 1,
     "@/fifo.exr: is not a regular file (a device, pipe or socket); refusing to write to it\n"},
    {"LinkToADeviceOutput", "@/pass.exr @/null.exr", 1,
     "@/null.exr: is not a regular file (a device, pipe or socket); refusing to write to it\n"},
    {"LayeredPipeOutput", "@/shot.exr @/fifo.exr --add-layer m", 1,
     "@/fifo.exr: is not a regular file (a device, pipe or socket); refusing to write to it\n"},
    {"LinkToADevicePreset", "@/pass.exr @/out.exr --save-preset @/null.exr", 1,
     "@/null.exr: is not a regular file (a device, pipe or socket); refusing to write to it\n"},
    {"PipePreset", "@/pass.exr @/out.exr --save-preset @/fifo.exr", 1,
     "@/fifo.exr: is not a regular file (a device, pipe or socket); refusing to write to it\n"},
    {"PresetOfAFailedRun", "@/pass.exr @/missing/out.exr --save-preset @/saved.json", 1,
     "@/missing/out.exr: cannot be written (folder @/missing does not exist)\n"},
    {"EmptyInputName", "'' @/out.exr", 2, "INPUT: the file name is empty\n"},
    {"EmptyPluginName", "@/pass.exr @/out.exr --plugin ''", 2,
     "--plugin: the file name is empty\n"},
    {"EmptyPresetName", "@/pass.exr @/out.exr --preset ''", 2,
     "--preset: the file name is empty\n"},
    // Checked before anything is allocated for the pixels.
    {"LargerThanTheHost", "@/huge.exr @/out.exr", 1,
     "@/huge.exr: is 16384 x 8192 pixels; the host holds at most 134217727 float pixels "
     "(2 GiB) in one picture\n"},
    {"LayeredLargerThanTheHost", "@/huge.exr @/out.exr --add-layer m", 1,
     "@/huge.exr: is 16384 x 8192 pixels; the host holds at most 134217727 float pixels "
     "(2 GiB) in one picture\n"},
    {"LayeredDeviceInput", "/dev/zero @/out.exr --add-layer m", 1,
     "/dev/zero: is not a regular file (a device, pipe or socket)\n"},
    {"SavedPresetIsAMattePreset",
     "@/pass.exr @/out.exr --add-layer own --matte m=@/p.json --save-preset @/p.json", 2,
     "@/p.json: is the same file as the preset @/p.json; refusing to overwrite it\n"},
    {"FramesPastTheBound", "@/seq.####.exr @/out.####.exr --frames 2147483646-2147483647", 2,
     "--frames: frame 2147483646 is outside -999999999 to 999999999\n"},
    {"PaddingPastTheLimit", "@/pass.exr @/o.%040d.exr --frames 1-2", 2,
     "@/o.%040d.exr: the frame pattern pads to 40 digits; at most 32 are supported\n"},
    {"HashesPastTheLimit", "@/pass.exr @/o.#################################.exr --frames 1", 2,
     "@/o.#################################.exr: the frame pattern pads to 33 digits; at most 32 "
     "are supported\n"},
    {"TooManyFrames", "@/pass.exr @/out.####.exr --frames 1-1000001", 2,
     "--frames: 1000001 frames are more than the 1000000 one run renders\n"},
    // No output may be a file the run reads, however it is spelt.
    {"OutputIsTheInput", "@/pass.exr @/pass.exr", 2,
     "@/pass.exr: is the same file as the input @/pass.exr; refusing to overwrite it\n"},
    {"OutputLinksToTheInput", "@/pass.exr @/link.exr", 2,
     "@/link.exr: is the same file as the input @/pass.exr; refusing to overwrite it\n"},
    {"SequenceOverItsInput", "@/seq.%04d.exr @/seq.####.exr --frames 1-2", 2,
     "@/seq.0001.exr: is the same file as the input @/seq.0001.exr; refusing to overwrite "
     "it\n"},
    {"OutputIsTheLayerPicture", "@/pass.exr @/pic.exr --mode layer --layer @/pic.exr", 2,
     "@/pic.exr: is the same file as the \"Layer\" picture @/pic.exr; refusing to overwrite "
     "it\n"},
    {"SavedPresetIsThePreset", "@/pass.exr @/out.exr --preset @/p.json --save-preset @/p.json", 2,
     "@/p.json: is the same file as the preset @/p.json; refusing to overwrite it\n"},
    {"SavedPresetIsTheInput", "@/pass.exr @/out.exr --save-preset @/./pass.exr", 2,
     "@/./pass.exr: is the same file as the input @/pass.exr; refusing to overwrite it\n"},
    {"SavedPresetIsTheOutput", "@/pass.exr @/out.exr --save-preset @/out.exr", 2,
     "@/out.exr: is also an output image of this run\n"},
    // Matte layers added to the input EXR.
    {"LayeredNotExr", "@/shot.exr @/out.png --add-layer m", 2,
     "@/out.png: matte layers are written to OpenEXR only; name an .exr output\n"},
    {"LayeredClash", "@/shot.exr @/out.exr --position-layer P --add-layer P", 2,
     "@/shot.exr: already holds layer \"P\" (channel P.X); name another layer or give "
     "--replace-layer\n"},
    {"LayeredBrokenPreset", "@/shot.exr @/out.exr --matte m=@/broken.json", 1, "@/broken.json: "},
    {"LayeredMissingPreset", "@/shot.exr @/out.exr --matte m=@/none.json", 1, "@/none.json: "},
    {"LayeredNoEquals", "@/shot.exr @/out.exr --matte ring", 2,
     "--matte: \"ring\" is not NAME=PRESET.json\n"},
    {"LayeredNamedTwice", "@/shot.exr @/out.exr --add-layer m --matte m=@/ring.json", 2,
     "--matte: layer \"m\" is named twice\n"},
    {"LayeredBadDataType", "@/shot.exr @/out.exr --add-layer m --data-type double", 2,
     "--data-type: \"double\" is not half, float, all=half or all=float\n"},
    {"LayeredBadCompression", "@/shot.exr @/out.exr --add-layer m --compression lzw", 2,
     "--compression: \"lzw\" is not an OpenEXR compression"},
    {"LayeredLossyCompression", "@/shot.exr @/out.exr --add-layer m --compression DWAA:500", 2,
     "--compression: \"dwaa:500\" is lossy and would alter the input's channels written with "
     "the mattes; name a lossless one (none, rle, zips, zip, piz)\n"},
    // Which channels hold the position is never guessed.
    {"GuessedChannels", "@/ycc.exr @/out.exr", 1,
     "@/ycc.exr: has no R, G, B or X, Y, Z channels; which of "},
    {"LayerInTwoParts", "@/parts.exr @/out.exr --position-layer P", 1,
     "@/parts.exr: layer \"P\" is ambiguous (matches one:P, two:P); name one as PART:LAYER\n"},
    {"ChannelsInTwoParts", "@/parts.exr @/out.exr --position-channels P.X,P.Y,P.Z", 1,
     "@/parts.exr: channels P.X, P.Y, P.Z are in more than one part (one, two); name one as "
     "PART:CHANNEL\n"},
    {"TwoSetsInALayer", "@/cases.exr @/out.exr --position-layer P", 1,
     "@/cases.exr: layer \"P\" holds more than one set of position channels (P.X/Y/Z, "
     "P.x/y/z); name them with --position-channels\n"},
    // A renderer's beauty beside its position pass is not read as positions.
    {"ColourBesidePositionLayer", "@/blender.exr @/out.exr", 1,
     "@/blender.exr: has a position layer \"ViewLayer.Position\" beside R, G, B; name the "
     "position with --position-layer ViewLayer.Position (or --position-channels R,G,B to read "
     "R, G, B)\n"},
    {"ColourBesidePositionPart", "@/split.exr @/out.exr", 1,
     "@/split.exr: has a position part \"P\" beside R, G, B; name the position with "
     "--position-channels P:X,P:Y,P:Z (or --position-channels rgba:R,rgba:G,rgba:B to read R, "
     "G, B)\n"},
    {"AlphaNowhere", "@/pass.exr @/out.exr --alpha-channel Q", 1,
     "@/pass.exr: no channel \"Q\" for the coverage (channels: R, G, B, A)\n"},
    {"AlphaInTwoOtherParts",
     "@/split.exr @/out.exr --position-channels P:X,P:Y,P:Z --alpha-channel A", 1,
     "@/split.exr: alpha channel \"A\" is in more than one part (rgba, holdout); name one as "
     "PART:A\n"},
    {"AlphaOfAnotherWindow",
     "@/split.exr @/out.exr --position-channels P:X,P:Y,P:Z --alpha-channel holdout:A", 1,
     "@/split.exr: alpha channel \"holdout:A\" covers another pixel window (1 x 1 at 0,0) than "
     "the position (2 x 1 at 0,0)\n"},
    {"LayeredClashInAnotherPart", "@/parts.exr @/out.exr --position-layer one:P --add-layer m", 2,
     "@/parts.exr: already holds layer \"m\" (channel m.R in part two); name another layer or "
     "give --replace-layer\n"},
    // Every frame's input is checked before the first frame renders.
    {"SequenceMissingALaterFrame", "@/seq.%04d.exr @/out.####.exr --frames 1-3", 1,
     "@/seq.0003.exr: no such file: @/seq.0003.exr\n"},
    {"SequenceClashInALaterFrame", "@/lay.%04d.exr @/out.####.exr --frames 1-2 --add-layer m", 2,
     "@/lay.0002.exr: already holds layer \"m\" (channel m.A); name another layer or give "
     "--replace-layer\n"},
    {"LayeredReplaceAlone", "@/shot.exr @/out.exr --replace-layer", 2,
     "--replace-layer: needs --add-layer or --matte\n"},
};

// Two parts named "one" and "two" holding the same P layer; two also holds
// layer m.
void writeTwoParts(const std::string& path) {
  OIIO::ImageSpec specs[2];
  for (int s = 0; s < 2; ++s) {
    specs[s] = OIIO::ImageSpec(1, 1, 4 + s, OIIO::TypeDesc::FLOAT);
    specs[s].channelnames = {"P.X", "P.Y", "P.Z", "P.A"};
    if (s == 1) specs[s].channelnames.push_back("m.R");
    specs[s].attribute("oiio:subimagename", s == 0 ? "one" : "two");
  }
  const float pixel[5] = {1, 2, 3, 1, 0};
  auto out = OIIO::ImageOutput::create(path);
  ASSERT_TRUE(out && out->open(path, 2, specs) && out->write_image(OIIO::TypeDesc::FLOAT, pixel) &&
              out->open(path, specs[1], OIIO::ImageOutput::AppendSubimage) &&
              out->write_image(OIIO::TypeDesc::FLOAT, pixel) && out->close());
}

class RenderErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(RenderErrors, NameTheProblemAndLeaveNoOutput) {
  const ErrorCase& c = GetParam();
  ScratchDir dir;
  writeRgba(dir.file("pass.exr"), makePass(2, 1, {{0, 0, 0, 1}, {1, 1, 1, 1}}));
  writeRgba(dir.file("nonfinite.exr"), makePass(2, 1, {{NAN, 0, 1, 1}, {0, -INFINITY, 1, 1}}));
  std::ofstream(dir.file("broken.exr")) << "not an image";
  std::ofstream(dir.file("bad.json")) << R"({"controls": {"Radiuss": 2}})";
  std::ofstream(dir.file("range.json")) << R"({"controls": {"Thickness": -1}})";
  std::ofstream(dir.file("p.json")) << R"({"controls": {"Radius": 2}})";
  std::ofstream(dir.file("text.json")) << R"({"kestrow-preset": "1", "controls": {}})";
  std::ofstream(dir.file("twice.json")) << R"({"controls": {"Radius": 2, "Radius": 3}})";
  writeChannels(dir.file("alpha.exr"), 1, 1, {"A"}, {1});
  writeRgba(dir.file("pic.exr"), makePass(2, 1, {{1, 0, 0, 1}, {0, 1, 0, 1}}));
  for (const char* frame : {"seq.0001.exr", "seq.0002.exr"})
    fs::copy_file(dir.file("pass.exr"), dir.file(frame));
  fs::create_symlink("/dev/zero", dir.file("zero.exr"));
  fs::create_symlink(dir.file("pass.exr"), dir.file("link.exr"));
  writeDeclaredSize(dir.file("huge.exr"), 16384, 8192);
  writeChannels(dir.file("shot.exr"), 1, 1, {"R", "G", "B", "A", "P.X", "P.Y", "P.Z"},
                {0, 0, 0, 1, 1, 2, 3});
  std::ofstream(dir.file("ring.json")) << R"({"controls": {"Mode": "Ring"}})";
  std::ofstream(dir.file("broken.json")) << "{\"controls\": ";
  writeChannels(dir.file("ycc.exr"), 1, 1,
                {"rgba.R", "rgba.G", "rgba.B", "rgba.A", "Y", "RY", "BY"}, {0, 0, 0, 1, 1, 2, 3});
  writeChannels(dir.file("cases.exr"), 1, 1, {"P.X", "P.Y", "P.Z", "P.x", "P.y", "P.z"},
                {1, 2, 3, 4, 5, 6});
  writeTwoParts(dir.file("parts.exr"));
  writeChannels(
      dir.file("blender.exr"), 1, 1,
      {"R", "G", "B", "A", "ViewLayer.Position.X", "ViewLayer.Position.Y", "ViewLayer.Position.Z"},
      {0, 0, 0, 1, 1, 2, 3});
  writeParts(dir.file("split.exr"), {{"rgba", 2, 1, {"R", "G", "B", "A"}, std::vector(8, 1.f)},
                                     {"P", 2, 1, {"X", "Y", "Z"}, std::vector(6, 1.f)},
                                     {"holdout", 1, 1, {"A"}, {1}}});
  writeChannels(dir.file("lay.0001.exr"), 1, 1, {"R", "G", "B", "A"}, {0, 0, 0, 1});
  writeChannels(dir.file("lay.0002.exr"), 1, 1, {"R", "G", "B", "A", "m.A"}, {0, 0, 0, 1, 1});
  ASSERT_EQ(::mkfifo(dir.file("fifo.exr").c_str(), 0644), 0);
  fs::create_symlink("/dev/null", dir.file("null.exr"));
  const std::vector<std::string> before = dir.entries();

  const RunResult run = dir.run(std::string("render ") + c.args);
  EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
  const std::string want = "kestrow: error: " + dir.expand(c.message);
  if (want.ends_with('\n')) {
    EXPECT_EQ(run.err, want);
  } else {
    EXPECT_TRUE(run.err.starts_with(want)) << run.err;
  }
  EXPECT_EQ(dir.entries(), before) << "an output or temporary file was left behind";
  EXPECT_TRUE(fs::is_fifo(fs::symlink_status(dir.file("fifo.exr"))));
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir.file("null.exr"))));
}

INSTANTIATE_TEST_SUITE_P(Cases, RenderErrors, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Channels, APartIsNamedBeforeItsLayerOrChannels) {
  ScratchDir dir;
  writeTwoParts(dir.file("parts.exr"));
  for (const char* flags : {"--position-layer two:P", "--position-channels 1:P.X,P.Y,P.Z"}) {
    const RunResult run = dir.run(std::string("render @/parts.exr @/out.exr ") + flags);
    EXPECT_EQ(run.exitCode, 0) << flags << ": " << run.err;
  }
  // A replaced layer goes from every part: m now lives in part one only.
  const RunResult run =
      dir.run("render @/parts.exr @/out.exr --position-layer one:P --add-layer m --replace-layer");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  auto in = OIIO::ImageInput::open(dir.file("out.exr"));
  ASSERT_TRUE(in);
  std::vector<std::string> layered;
  for (int s = 0; in->seek_subimage(s, 0); ++s)
    for (const std::string& name : in->spec().channelnames)
      if (name.starts_with("m.")) layered.push_back(std::to_string(s) + ":" + name);
  EXPECT_EQ(layered, (std::vector<std::string>{"0:m.R", "0:m.G", "0:m.B", "0:m.A"}));
}

TEST(CommandLine, NoCommandIsAUsageError) {
  const RunResult run = runKestrow({});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_TRUE(run.err.starts_with("kestrow: error: command line: ")) << run.err;
}

TEST(CommandLine, ANewlineInANameKeepsTheErrorOnOneLine) {
  const RunResult run = runKestrow({"render", "no\nsuch.exr", "out.exr"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "kestrow: error: \"no\\nsuch.exr\": no such file: no\\nsuch.exr\n");
}

TEST(CommandLine, AMisspeltCommandIsNamed) {
  const RunResult run = runKestrow({"rendr", "in.exr", "out.exr"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.err,
            "kestrow: error: command line: unknown command \"rendr\" (commands: demo, render, "
            "describe)\n");
}

TEST(CommandLine, AnEmptyDemoFolderIsNamed) {
  const RunResult run = runKestrow({"demo", ""});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.err, "kestrow: error: DIR: the file name is empty\n");
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
