// Camera-space passes, combined mattes and point clouds: the pieces on
// their own (the runs through the tool are in PipelineRunTest.cpp).
#include <gtest/gtest.h>

#include <OpenImageIO/imageio.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>

#include "CameraSpace.h"
#include "CombineMattes.h"
#include "Errors.h"
#include "KestrowRun.h"
#include "PointCloud.h"

namespace kestrow::cli::test {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// A camera 30° about Y and -20° about X, at (4, -2, 7), scaled 1.5 (a
// renderer's world-to-camera is rigid; the scale makes the inverse work).
Matrix44 knownWorldToCamera() {
  const double a = 0.5235987755982988, b = -0.3490658503988659;
  const double ca = std::cos(a), sa = std::sin(a), cb = std::cos(b), sb = std::sin(b);
  // Rows are the images of the x, y, z axes, then the translation.
  return {1.5 * ca,
          0,
          -1.5 * sa,
          0,  //
          1.5 * sa * sb,
          1.5 * cb,
          1.5 * ca * sb,
          0,  //
          1.5 * sa * cb,
          -1.5 * sb,
          1.5 * ca * cb,
          0,  //
          4,
          -2,
          7,
          1};
}

std::array<double, 3> transformed(const Matrix44& m, const std::array<double, 3>& p) {
  std::array<double, 3> out{};
  for (int c = 0; c < 3; ++c)
    out[std::size_t(c)] = p[0] * m[std::size_t(c)] + p[1] * m[std::size_t(4 + c)] +
                          p[2] * m[std::size_t(8 + c)] + m[std::size_t(12 + c)];
  return out;
}

TEST(CameraSpace, MatricesParseOrAreRefused) {
  EXPECT_EQ(parseMatrix("1 0 0 0, 0 1 0 0, 0 0 1 0, 3 4 5 1", "--world-to-camera")[12], 3.0);
  for (const char* bad :
       {"", "1 2 3", "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17",
        "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,x", "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,inf"}) {
    try {
      parseMatrix(bad, "--world-to-camera");
      ADD_FAILURE() << "accepted \"" << bad << "\"";
    } catch (const CliError& e) {
      EXPECT_EQ(e.exitCode(), 2) << bad;
      EXPECT_EQ(e.subject(), "--world-to-camera");
    }
  }
  EXPECT_FALSE(inverted(Matrix44{}).has_value());
}

TEST(CameraSpace, HeaderMatrixIsReadInEitherPrecision) {
  OIIO::ImageSpec spec(2, 2, 4, OIIO::TypeDesc::FLOAT);
  EXPECT_FALSE(worldToCameraOf(spec).has_value());
  const Matrix44 m = knownWorldToCamera();
  float single[16];
  for (int i = 0; i < 16; ++i) single[i] = float(m[std::size_t(i)]);
  spec.attribute("worldToCamera", OIIO::TypeMatrix44, single);
  ASSERT_TRUE(worldToCameraOf(spec).has_value());
  EXPECT_EQ((*worldToCameraOf(spec))[4], double(single[4]));
  spec.attribute("worldToCamera", OIIO::TypeDesc(OIIO::TypeDesc::DOUBLE, OIIO::TypeDesc::MATRIX44),
                 m.data());
  EXPECT_EQ((*worldToCameraOf(spec))[4], m[4]);
}

// World positions taken to camera space (in double, stored as float, as a
// renderer writes them) come back within the float error of the two
// conversions: each stored float is off by at most half a unit in its last
// place, 2^-24 relative, and the inverse scales the camera point's error
// by at most its norm (1 / 1.5 here) plus the final rounding. The bound
// tested, 2^-21 (|p| + |camera point| + 1) per coordinate, holds that with
// room.
TEST(CameraSpace, CameraPassesComeBackToWorldSpace) {
  const Matrix44 toCamera = knownWorldToCamera();
  const std::optional<Matrix44> toWorld = inverted(toCamera);
  ASSERT_TRUE(toWorld.has_value());
  host::World pass(16, 8, host::PixelDepth::kFloat32);
  std::vector<std::array<double, 3>> world;
  for (int y = 0; y < pass.height(); ++y) {
    auto* px = static_cast<PF_PixelFloat*>(pass.row(y));
    for (int x = 0; x < pass.width(); ++x) {
      const std::array<float, 3> p = {0.37f * float(x) - 3.1f, 1e-3f * float(y * y) + 0.5f,
                                      float(x * y) * -0.71f + 12.0f};
      world.push_back({p[0], p[1], p[2]});
      const std::array<double, 3> c = transformed(toCamera, world.back());
      px[x] = {0.5f, float(c[0]), float(c[1]), float(c[2])};
    }
  }
  transformPositions(pass, *toWorld);
  for (int y = 0; y < pass.height(); ++y) {
    const auto* px = static_cast<const PF_PixelFloat*>(pass.row(y));
    for (int x = 0; x < pass.width(); ++x) {
      const std::array<double, 3>& w = world[std::size_t(y * pass.width() + x)];
      const std::array<double, 3> c = transformed(toCamera, w);
      const double scale = std::fabs(w[0]) + std::fabs(w[1]) + std::fabs(w[2]) + std::fabs(c[0]) +
                           std::fabs(c[1]) + std::fabs(c[2]) + 1.0;
      const float got[3] = {px[x].red, px[x].green, px[x].blue};
      for (int k = 0; k < 3; ++k)
        EXPECT_LE(std::fabs(got[k] - w[std::size_t(k)]), 0x1p-21 * scale) << x << "," << y;
      EXPECT_EQ(px[x].alpha, 0.5f);
    }
  }
}

TEST(CombineMattes, EachOperationIsItsFloatFormula) {
  struct Case {
    CombineOp op;
    float a, b, c;
    float want;
  };
  const float third = 1.0f / 3.0f;
  const Case cases[] = {
      {CombineOp::Max, 0.25f, 0.75f, third, 0.75f},
      {CombineOp::Min, 0.25f, 0.75f, third, 0.25f},
      {CombineOp::Subtract, 0.9f, 0.3f, third, (0.9f * (1.0f - 0.3f)) * (1.0f - third)},
      {CombineOp::Multiply, 0.9f, 0.3f, third, (0.9f * 0.3f) * third},
      {CombineOp::Difference, 0.2f, 0.9f, third, std::fabs(std::fabs(0.2f - 0.9f) - third)},
      {CombineOp::Subtract, 1.25f, 0.0f, 1.0f, 0.0f},  // Box shells sum past 1
  };
  for (const Case& c : cases) {
    host::World a(2, 1, host::PixelDepth::kFloat32), b(2, 1, host::PixelDepth::kFloat32),
        third3(2, 1, host::PixelDepth::kFloat32);
    // Pixel 0 carries the matte in alpha (red white), pixel 1 in red.
    static_cast<PF_PixelFloat*>(a.row(0))[0] = {c.a, 1, 1, 1};
    static_cast<PF_PixelFloat*>(b.row(0))[0] = {c.b, 1, 1, 1};
    static_cast<PF_PixelFloat*>(third3.row(0))[0] = {c.c, 1, 1, 1};
    const host::World alpha = combineMattes(c.op, {{&a, true}, {&b, true}, {&third3, true}});
    const PF_PixelFloat got = static_cast<const PF_PixelFloat*>(alpha.row(0))[0];
    for (float v : {got.alpha, got.red, got.green, got.blue})
      EXPECT_EQ(std::bit_cast<std::uint32_t>(v), std::bit_cast<std::uint32_t>(c.want))
          << combineOpName(c.op) << ": " << bits(v) << " want " << bits(c.want);
    static_cast<PF_PixelFloat*>(a.row(0))[0] = {1, c.a, c.a, c.a};
    static_cast<PF_PixelFloat*>(b.row(0))[0] = {1, c.b, c.b, c.b};
    static_cast<PF_PixelFloat*>(third3.row(0))[0] = {1, c.c, c.c, c.c};
    const host::World red = combineMattes(c.op, {{&a, false}, {&b, false}, {&third3, false}});
    EXPECT_EQ(static_cast<const PF_PixelFloat*>(red.row(0))[0].alpha, c.want)
        << combineOpName(c.op);
  }
}

TEST(CombineMattes, ArgumentsParseOrAreRefused) {
  const CombineRequest r = parseCombineArgument("hollow=subtract:ball,box,slab");
  EXPECT_EQ(r.layer, "hollow");
  EXPECT_EQ(r.op, CombineOp::Subtract);
  EXPECT_EQ(r.parts, (std::vector<std::string>{"ball", "box", "slab"}));
  for (const char* bad : {"hollow", "hollow=subtract", "hollow=xor:a,b", "hollow=max:a",
                          "hollow=max:a,,b", "=max:a,b", "bad name=max:a,b"}) {
    try {
      parseCombineArgument(bad);
      ADD_FAILURE() << "accepted \"" << bad << "\"";
    } catch (const CliError& e) {
      EXPECT_EQ(e.exitCode(), 2) << bad;
    }
  }
}

// The header's vertex count and every point: position from the pass,
// colour from the render, every second covered pixel.
TEST(PointCloud, BinaryPlyHoldsTheCoveredPixels) {
  ScratchDir dir;
  host::World pass(3, 2, host::PixelDepth::kFloat32), render(3, 2, host::PixelDepth::kFloat32);
  const PF_PixelFloat in[6] = {{1, 1, 2, 3},     {0, 9, 9, 9},    {1, kNaN, 0, 0},
                               {0.5f, -4, 5, 6}, {1, 7, 8, 9.5f}, {1, 0.25f, 0, -1}};
  const PF_PixelFloat out[6] = {{0.5f, 1, 1, 1}, {1, 1, 1, 1}, {1, 1, 1, 1},
                                {2.0f, 1, 1, 1}, {0, 1, 1, 1}, {kNaN, 1, 1, 1}};
  for (int i = 0; i < 6; ++i) {
    static_cast<PF_PixelFloat*>(pass.row(i / 3))[i % 3] = in[i];
    static_cast<PF_PixelFloat*>(render.row(i / 3))[i % 3] = out[i];
  }
  EXPECT_EQ(writePointCloud(dir.file("cloud.ply"), pass, render, PointColour::MatteInAlpha, 2), 2);
  std::ifstream file(dir.file("cloud.ply"), std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(file)), {});
  const std::string header =
      "ply\nformat binary_little_endian 1.0\ncomment written by kestrow\nelement vertex 2\n"
      "property float x\nproperty float y\nproperty float z\n"
      "property uchar red\nproperty uchar green\nproperty uchar blue\nend_header\n";
  ASSERT_EQ(bytes.substr(0, header.size()), header);
  ASSERT_EQ(bytes.size(), header.size() + 2 * 15);
  // Covered: pixels 0, 3, 4, 5; every second: 0 and 4.
  const struct {
    float x, y, z;
    unsigned char grey;
  } want[2] = {{1, 2, 3, 128}, {7, 8, 9.5f, 0}};
  for (int p = 0; p < 2; ++p) {
    const char* at = bytes.data() + header.size() + p * 15;
    float xyz[3];
    std::memcpy(xyz, at, sizeof xyz);
    EXPECT_EQ(xyz[0], want[p].x);
    EXPECT_EQ(xyz[1], want[p].y);
    EXPECT_EQ(xyz[2], want[p].z);
    for (int c = 0; c < 3; ++c) EXPECT_EQ(static_cast<unsigned char>(at[12 + c]), want[p].grey);
  }
  EXPECT_EQ(defaultPointStep(3840, 2160), 17);
  EXPECT_EQ(defaultPointStep(640, 480), 1);
}

}  // namespace
}  // namespace kestrow::cli::test
