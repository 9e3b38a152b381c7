// Renders generated position passes through the binary and the real
// plug-in, and checks every output pixel against the matte the controls
// call for, bit for bit.
#include <gtest/gtest.h>

#include <OpenImageIO/imageio.h>

#include <cmath>
#include <functional>

#include "KestrowRun.h"

namespace kestrow::cli::test {
namespace {

double smoothStep(double v, double e0, double e1) {
  if (e0 == e1) return v < e0 ? 0.0 : 1.0;
  const double t = (v - e0) / (e1 - e0);
  if (t > 1) return 1;
  if (t < 0) return 0;
  return t * t * (3 - 2 * t);
}

// pow(v, 0.5) is defined as the correctly rounded root.
double distance(const PassPixel& p) {
  return std::sqrt(double(p.x) * double(p.x) + double(p.y) * double(p.y) +
                   double(p.z) * double(p.z));
}

using Rgba = std::array<float, 4>;

// Output of a matte mode with "Alpha Matte" on and "Invert" off.
Rgba alphaMatte(const PassPixel& p, double m) {
  const float red = p.a == 0.f ? 0.f : float(m);
  return {1.f, 1.f, 1.f, red};
}

// The same pixels in every case: the axis out to the soft edges, a
// diagonal, a half-covered and a transparent pixel.
const std::vector<PassPixel> kPixels = {
    {0, 0, 0, 1},       {2.25f, 0, 0, 1}, {2.5f, 0, 0, 1},     {2.6f, 0, 0, 1},
    {2.75f, 0, 0, 1},   {3.1f, 0, 0, 1},  {1.5f, 1.5f, 0, 1},  {2.5f, 2.5f, 2.5f, 1},
    {0, 1.9f, 0, 0.5f}, {1, 1, 1, 0},     {-2.4f, 0.3f, 0, 1}, {0, 0, -3.125f, 1},
};

struct ModeCase {
  const char* name;
  const char* flags;
  std::function<Rgba(const PassPixel&)> expected;
};

const std::vector<ModeCase> kModeCases = {
    {"CircleDefaultFeather", "--mode circle --radius 2.5 --feather 0.5",
     [](const PassPixel& p) { return alphaMatte(p, 1 - smoothStep(distance(p), 2.25, 2.75)); }},
    {"CircleHardEdgeNoAlphaMatte", "--mode Circle --radius 2.5 --feather 0 --no-alpha-matte",
     [](const PassPixel& p) {
       const float m = p.a == 0.f ? 0.f : float(1 - smoothStep(distance(p), 2.5, 2.5));
       return Rgba{m, m, m, p.a};
     }},
    {"RingWithThickness", "--mode ring --radius 2.5 --thickness 1 --feather 0.5",
     [](const PassPixel& p) {
       const double e = std::abs(distance(p) - 2.5);
       return alphaMatte(p, 1 - smoothStep(e - 0.5, 0, 0.25));
     }},
    {"SquareMultipliesSlabs", "--mode square --radius 2.5",
     [](const PassPixel& p) {
       auto slab = [](float v) { return 1 - smoothStep(std::abs(double(v)) * 1, 2.25, 2.75); };
       return alphaMatte(p, slab(p.x) * slab(p.y) * slab(p.z));
     }},
    {"MultiplyValuesScalesLengths",
     "--mode circle --radius 1.25 --feather 0.25 --multiply-values 2",
     [](const PassPixel& p) { return alphaMatte(p, 1 - smoothStep(distance(p), 2.25, 2.75)); }},
    {"InvertedCircle", "--mode circle --radius 2.5 --invert",
     [](const PassPixel& p) {
       const float red = p.a == 0.f ? 0.f : float(1 - smoothStep(distance(p), 2.25, 2.75));
       return Rgba{1.f, 1.f, 1.f, 1.f - red};
     }},
    {"LayerWithoutPictureShowsInvertedCoordinates", "--mode layer --invert",
     [](const PassPixel& p) {
       auto inv = [&](float v) { return float(1.0 - double(p.a == 0.f ? 0.f : v)); };
       return Rgba{inv(p.x), inv(p.y), inv(p.z), p.a};
     }},
};

class ModeRender : public ::testing::TestWithParam<ModeCase> {};

TEST_P(ModeRender, EveryPixelMatchesTheMatte) {
  const ModeCase& c = GetParam();
  ScratchDir dir;
  const int width = 4, height = 3;
  writeRgba(dir.file("pass.exr"), makePass(width, height, kPixels));
  const RunResult run = dir.run(std::string("render @/pass.exr @/out.exr ") + c.flags);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err, "");

  const RgbaImage out = readRgba(dir.file("out.exr"));
  ASSERT_EQ(out.width, width);
  ASSERT_EQ(out.height, height);
  for (std::size_t i = 0; i < kPixels.size(); ++i) {
    const Rgba want = c.expected(kPixels[i]);
    for (int ch = 0; ch < 4; ++ch)
      EXPECT_EQ(bits(out.pixels[i * 4 + ch]), bits(want[ch])) << "pixel " << i << " channel "
                                                              << "RGBA"[ch];
  }
}

INSTANTIATE_TEST_SUITE_P(Modes, ModeRender, ::testing::ValuesIn(kModeCases),
                         [](const auto& info) { return std::string(info.param.name); });

// "Position" and "RotateX" reach the plug-in: a thin slab along local Y
// turned by 90 degrees about X lies along world Y.
TEST(Render, PositionAndRotationMoveTheShape) {
  ScratchDir dir;
  writeRgba(dir.file("pass.exr"), makePass(2, 1, {{1, 2.9f, 3, 1}, {1, 2, 3.9f, 1}}));
  const std::string base =
      "render @/pass.exr @/out.exr --mode square --radius 1 --size-y 0.2 --feather 0 "
      "--position 1,2,3";
  for (const bool turned : {false, true}) {
    const RunResult run = dir.run(base + (turned ? " --rotate-x 90" : ""));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const RgbaImage out = readRgba(dir.file("out.exr"));
    // Offset along Y lies outside the slab, along Z inside; turned, the other way round.
    EXPECT_EQ(bits(out.pixels[3]), bits(turned ? 1.f : 0.f)) << "turned " << turned;
    EXPECT_EQ(bits(out.pixels[7]), bits(turned ? 0.f : 1.f)) << "turned " << turned;
  }
}

// --pick goes through the eyedropper: "Position" moves to the picked
// pixel's position, so that pixel sits at the centre of the ball.
TEST(Render, PickMovesPositionToThePickedPixel) {
  ScratchDir dir;
  writeRgba(dir.file("pass.exr"), makePass(3, 2,
                                           {{0, 0, 0, 1},
                                            {9, 9, 9, 1},
                                            {1.5f, -2, 0.25f, 1},
                                            {1.5f, -2, 0.75f, 1},
                                            {1.5f, -2, 1.5f, 1},
                                            {0, 0, 0, 0}}));
  const RunResult run =
      dir.run("render @/pass.exr @/out.exr --pick 2,0 --mode circle --radius 1 --feather 0");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const RgbaImage out = readRgba(dir.file("out.exr"));
  const float want[6] = {0, 0, 1, 1, 0, 0};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(bits(out.pixels[i * 4 + 3]), bits(want[i])) << i;
}

// --pick counts from the display window, as viewers do; the data window
// may lie anywhere in it.
TEST(Render, PickCountsFromTheDisplayWindow) {
  ScratchDir dir;
  OIIO::ImageSpec spec(2, 1, 4, OIIO::TypeDesc::FLOAT);
  spec.x = 2;
  spec.y = 1;
  spec.full_width = 4;
  spec.full_height = 3;
  spec.alpha_channel = 3;
  const float pixels[8] = {5, 5, 5, 1, 0, 0, 0, 1};
  auto out = OIIO::ImageOutput::create(dir.file("window.exr"));
  ASSERT_TRUE(out && out->open(dir.file("window.exr"), spec) &&
              out->write_image(OIIO::TypeDesc::FLOAT, pixels) && out->close());

  const RunResult run =
      dir.run("render @/window.exr @/out.exr --pick 2,1 --mode circle --radius 1 --feather 0");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const RgbaImage result = readRgba(dir.file("out.exr"));
  EXPECT_EQ(bits(result.pixels[3]), bits(1.f)) << "the picked pixel is the centre";
  EXPECT_EQ(bits(result.pixels[7]), bits(0.f));

  const RunResult outside = dir.run("render @/window.exr @/out2.exr --pick 1,1");
  EXPECT_EQ(outside.exitCode, 2);
  EXPECT_EQ(outside.err,
            "kestrow: error: --pick: 1,1 is outside the input's data window (X 2 to 3, Y 1 to "
            "1)\n");
}

// The renderer's premultiplied edges: dividing by coverage gives the same
// matte as the straight pass.
TEST(Render, UnpremultiplyDividesPartialCoverage) {
  ScratchDir dir;
  const std::vector<PassPixel> straight = {{2.4f, 0, 0, 0.5f}, {2.6f, 0, 0, 0.25f}, {2, 0, 0, 1}};
  std::vector<PassPixel> premultiplied = straight;
  for (PassPixel& p : premultiplied) p.x *= p.a;
  writeRgba(dir.file("straight.exr"), makePass(3, 1, straight));
  writeRgba(dir.file("premult.exr"), makePass(3, 1, premultiplied));
  ASSERT_EQ(dir.run("render @/straight.exr @/a.exr").exitCode, 0);
  const RunResult run = dir.run("render @/premult.exr @/b.exr --unpremultiply");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const RgbaImage a = readRgba(dir.file("a.exr")), b = readRgba(dir.file("b.exr"));
  for (std::size_t i = 0; i < a.pixels.size(); ++i)
    EXPECT_EQ(bits(b.pixels[i]), bits(a.pixels[i])) << "value " << i;
}

// An infinite position is counted and kept out of the range; a pixel whose
// coverage is not a number renders with a full matte, so it is not
// transparent.
TEST(Render, StatsReportRangesTransparencyAndCoverage) {
  ScratchDir dir;
  writeRgba(dir.file("pass.exr"), makePass(6, 1,
                                           {{-2, 0.5f, 3, 1},
                                            {1, -1, 0.5f, 1},
                                            {100, 100, 100, 0},
                                            {NAN, NAN, NAN, 1},
                                            {INFINITY, 0, 0, 1},
                                            {1, 1, 1, NAN}}));
  // With "Alpha Matte" off the matte is read from red, where it then is
  // (alpha keeps the input's coverage).
  const std::pair<const char*, const char*> cases[] = {{"", "33.33%"},
                                                       {" --no-alpha-matte", "33.33%"},
                                                       {" --invert", "66.67%"},
                                                       {" --invert --no-alpha-matte", "66.67%"}};
  for (const auto& [flags, coverage] : cases) {
    const RunResult run =
        dir.run(std::string("render @/pass.exr @/out.exr --stats --radius 2") + flags);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, std::string("frame 0: X -2 .. 1, Y -1 .. 1, Z 0 .. 3; transparent 1, "
                                   "not-a-number 1, infinite 1; matte coverage ") +
                           coverage + "\n")
        << flags;
  }
}

// Every spelling of a value renders what its plain form renders.
TEST(Render, FlagSpellingsMeanTheirValues) {
  const std::pair<const char*, std::vector<const char*>> groups[] = {
      {"",
       {"--invert=false", "--invert=off", "--no-invert=on", "--no-alpha-matte=false",
        "--alpha-matte=yes --tile=off", "--radius +2.5"}},
      {"--invert --no-alpha-matte",
       {"--invert=on --alpha-matte=0", "--no-invert=no --no-alpha-matte"}},
      {"--mode layer", {"--mode layer --layer none"}},
      {"--position 1,2,3 --threads 2", {"--position 1 2 3 --threads +2"}},
  };
  ScratchDir dir;
  writeRgba(dir.file("pass.exr"), makePass(4, 3, kPixels));
  for (const auto& [plain, spellings] : groups) {
    ASSERT_EQ(dir.run(std::string("render @/pass.exr @/want.exr ") + plain).exitCode, 0) << plain;
    const RgbaImage want = readRgba(dir.file("want.exr"));
    for (const char* spelling : spellings) {
      const RunResult run = dir.run(std::string("render @/pass.exr @/got.exr ") + spelling);
      ASSERT_EQ(run.exitCode, 0) << spelling << ": " << run.err;
      const RgbaImage got = readRgba(dir.file("got.exr"));
      for (std::size_t i = 0; i < want.pixels.size(); ++i)
        ASSERT_EQ(bits(got.pixels[i]), bits(want.pixels[i])) << spelling << ", value " << i;
    }
  }
}

// 8-bit previews by extension; JPEG shows the matte over black.
TEST(Render, PreviewOutputsAreEightBit) {
  ScratchDir dir;
  writeRgba(dir.file("pass.exr"), makePass(2, 1, {{0, 0, 0, 1}, {9, 0, 0, 1}}));
  for (const char* name : {"out.png", "out.tif", "out.jpg"}) {
    const RunResult run = dir.run(std::string("render @/pass.exr @/") + name);
    ASSERT_EQ(run.exitCode, 0) << name << ": " << run.err;
    auto in = OIIO::ImageInput::open(dir.file(name));
    ASSERT_TRUE(in) << name;
    EXPECT_EQ(in->spec().format, OIIO::TypeDesc::UINT8) << name;
    const RgbaImage out = readRgba(dir.file(name));
    const int matte = in->spec().nchannels == 4 ? 3 : 0;
    EXPECT_NEAR(out.pixels[matte], 1.f, 0.02f) << name;
    EXPECT_NEAR(out.pixels[4 + matte], 0.f, 0.02f) << name;
  }
}

}  // namespace
}  // namespace kestrow::cli::test
