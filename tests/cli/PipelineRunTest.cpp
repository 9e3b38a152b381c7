// Camera-space passes, combined mattes and point clouds through the tool.
#include <gtest/gtest.h>

#include <OpenImageIO/imageio.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

#include "KestrowRun.h"

namespace kestrow::cli::test {
namespace {

// The demo's pass in camera space (with its worldToCamera header) renders
// the world pass's mattes within the float error of the conversion. The
// positions come back within 2^-21 (|p| + |camera p| + 1) per coordinate
// (CameraSpace tests), under 2e-5 in this scene (every coordinate within
// 10 units); a smoothstep over a span f moves by at most 1.5 / f per unit
// of distance, and a distance by at most √3 times the coordinates' error.
// So a matte with feather f may differ by 1.5 / f x √3 x 2e-5, plus its
// own rounding.
TEST(PipelineRun, CameraSpaceDemoPassRendersTheWorldMattes) {
  ScratchDir dir;
  ASSERT_EQ(dir.run("demo @/demo").exitCode, 0);
  struct Case {
    const char* preset;
    double feather;
  };
  for (const Case& c : {Case{"circle", 0.8}, Case{"square", 0.3}, Case{"ring", 0.15}}) {
    const std::string preset = std::string(" --preset @/demo/") + c.preset + ".json";
    const RunResult world = dir.run("render @/demo/position.exr @/world.exr" + preset);
    const RunResult camera =
        dir.run("render @/demo/position-camera.exr @/camera.exr --position-space camera" + preset);
    ASSERT_EQ(world.exitCode, 0) << world.err;
    ASSERT_EQ(camera.exitCode, 0) << camera.err;
    const RgbaImage a = readRgba(dir.file("world.exr")), b = readRgba(dir.file("camera.exr"));
    ASSERT_EQ(a.pixels.size(), b.pixels.size());
    const double bound = 1.5 / c.feather * std::sqrt(3.0) * 2e-5 + 0x1p-23;
    double worst = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i)
      worst = std::max(worst, double(std::fabs(a.pixels[i] - b.pixels[i])));
    EXPECT_LE(worst, bound) << c.preset;
  }
  // Without a header matrix the flag gives it; without either, a usage error.
  const RunResult none =
      dir.run("render @/demo/position.exr @/none.exr --position-space camera --mode circle");
  EXPECT_EQ(none.exitCode, 2);
  EXPECT_NE(none.err.find("worldToCamera"), std::string::npos) << none.err;
  EXPECT_FALSE(std::filesystem::exists(dir.file("none.exr")));
  const RunResult identity = dir.run(
      "render @/demo/position.exr @/identity.exr --position-space camera --mode circle "
      "--world-to-camera 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1");
  ASSERT_EQ(identity.exitCode, 0) << identity.err;
}

// The matrix is read per frame: frame 1 is the demo camera's pass, frame 2
// the world pass moved by (1, 2, 3) with that translation as its camera.
TEST(PipelineRun, EachFrameUsesItsOwnCamera) {
  ScratchDir dir;
  ASSERT_EQ(dir.run("demo @/demo").exitCode, 0);
  std::filesystem::copy_file(dir.file("demo/position-camera.exr"), dir.file("cam.0001.exr"));
  const RgbaImage world = readRgba(dir.file("demo/position.exr"));
  RgbaImage moved = world;
  for (std::size_t p = 0; p < moved.pixelCount(); ++p)
    for (int k = 0; k < 3; ++k)
      moved.pixels[p * 4 + std::size_t(k)] =
          float(double(world.pixels[p * 4 + std::size_t(k)]) + k + 1);
  OIIO::ImageSpec spec(moved.width, moved.height, 4, OIIO::TypeDesc::FLOAT);
  const float translate[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 2, 3, 1};
  spec.attribute("worldToCamera", OIIO::TypeMatrix44, translate);
  auto out = OIIO::ImageOutput::create(dir.file("cam.0002.exr"));
  ASSERT_TRUE(out && out->open(dir.file("cam.0002.exr"), spec) &&
              out->write_image(OIIO::TypeDesc::FLOAT, moved.pixels.data()) && out->close());
  const RunResult run = dir.run(
      "render @/cam.####.exr @/m.####.exr --frames 1-2 --position-space camera "
      "--preset @/demo/circle.json");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  ASSERT_EQ(dir.run("render @/demo/position.exr @/w.exr --preset @/demo/circle.json").exitCode, 0);
  const RgbaImage want = readRgba(dir.file("w.exr"));
  for (const char* frame : {"m.0001.exr", "m.0002.exr"}) {
    const RgbaImage got = readRgba(dir.file(frame));
    ASSERT_EQ(got.pixels.size(), want.pixels.size());
    double worst = 0;
    for (std::size_t i = 0; i < got.pixels.size(); ++i)
      worst = std::max(worst, double(std::fabs(got.pixels[i] - want.pixels[i])));
    EXPECT_LE(worst, 1.5 / 0.8 * std::sqrt(3.0) * 2e-5 + 0x1p-23) << frame;
  }
}

// Each combined layer is its formula in float on the part layers of the
// same file; a colour part, an unknown part and a combine without layers
// are refused.
TEST(PipelineRun, CombinedLayersAreTheirFormulaOfTheParts) {
  ScratchDir dir;
  ASSERT_EQ(dir.run("demo @/demo").exitCode, 0);
  const RunResult run = dir.run(
      "render @/demo/position.exr @/out.exr --matte ball=@/demo/circle.json "
      "--matte shell=@/demo/ring.json --matte slab=@/demo/square.json "
      "--combine cut=subtract:ball,shell,slab --combine both=max:ball,shell "
      "--point-cloud @/cut.ply --point-cloud-layer cut --point-step 5");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const RgbaImage ball = readLayer(dir.file("out.exr"), "ball.");
  const RgbaImage shell = readLayer(dir.file("out.exr"), "shell.");
  const RgbaImage slab = readLayer(dir.file("out.exr"), "slab.");
  const RgbaImage cut = readLayer(dir.file("out.exr"), "cut.");
  const RgbaImage both = readLayer(dir.file("out.exr"), "both.");
  ASSERT_EQ(cut.pixels.size(), ball.pixels.size());
  for (std::size_t p = 0; p < ball.pixelCount(); ++p) {
    const float a = ball.pixels[p * 4 + 3], b = shell.pixels[p * 4 + 3], c = slab.pixels[p * 4 + 3];
    const float wantCut = (a * (1.0f - b)) * (1.0f - c), wantBoth = std::fmax(a, b);
    for (int k = 0; k < 4; ++k) {
      ASSERT_EQ(std::bit_cast<std::uint32_t>(cut.pixels[p * 4 + k]),
                std::bit_cast<std::uint32_t>(wantCut))
          << p;
      ASSERT_EQ(std::bit_cast<std::uint32_t>(both.pixels[p * 4 + k]),
                std::bit_cast<std::uint32_t>(wantBoth))
          << p;
    }
  }
  EXPECT_TRUE(std::filesystem::exists(dir.file("cut.ply")));
  for (const char* refused :
       {"--matte pic=@/demo/layer.json --matte ball=@/demo/circle.json --combine x=max:pic,ball",
        "--matte ball=@/demo/circle.json --combine x=max:ball,nope", "--combine x=max:a,b",
        "--combine-only"}) {
    const RunResult bad = dir.run(std::string("render @/demo/position.exr @/bad.exr ") + refused);
    EXPECT_EQ(bad.exitCode, 2) << refused << ": " << bad.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("bad.exr"))) << refused;
  }
}

// The demo's point cloud: a PLY header any reader takes, one vertex per
// covered pixel (640 x 360 keeps every pixel), in the pass's order, with
// the pass's positions.
TEST(PipelineRun, DemoPointCloudHoldsTheCoveredPixels) {
  ScratchDir dir;
  ASSERT_EQ(dir.run("demo @/demo").exitCode, 0);
  std::ifstream file(dir.file("demo/rays.ply"), std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(file)), {});
  const std::size_t end = bytes.find("end_header\n");
  ASSERT_NE(end, std::string::npos);
  const std::string header = bytes.substr(0, end);
  EXPECT_EQ(header.rfind("ply\nformat binary_little_endian 1.0\n", 0), 0u);
  long long declared = -1;
  const std::size_t count = header.find("element vertex ");
  ASSERT_NE(count, std::string::npos);
  declared = std::stoll(header.substr(count + 15));
  const RgbaImage pass = readRgba(dir.file("demo/position.exr"));
  std::vector<std::array<float, 3>> covered;
  for (std::size_t p = 0; p < pass.pixelCount(); ++p)
    if (pass.pixels[p * 4 + 3] > 0)
      covered.push_back({pass.pixels[p * 4], pass.pixels[p * 4 + 1], pass.pixels[p * 4 + 2]});
  ASSERT_EQ(declared, static_cast<long long>(covered.size()));
  const std::size_t body = end + 11;
  ASSERT_EQ(bytes.size(), body + covered.size() * 15);
  for (std::size_t i : {std::size_t{0}, covered.size() / 2, covered.size() - 1}) {
    float xyz[3];
    std::memcpy(xyz, bytes.data() + body + i * 15, sizeof xyz);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(xyz[k], covered[i][std::size_t(k)]) << i;
  }
}

}  // namespace
}  // namespace kestrow::cli::test
