// The golden frame rendered through the host in every mode equals, bit for
// bit, the committed table of the Linux build's results. Built on Linux as
// well, where it proves the table current; under Wine it proves the Windows
// binary computes the same mattes.
//
// After a deliberate change of the results, rewrite the table on Linux by
// running build/<dir>/bin/kestrow_golden_tests --gtest_filter=GoldenTable.*
// with KESTROW_WRITE_GOLDEN=tests/windows/GoldenTable.h in the environment.
#include <bit>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "GoldenScene.h"
#include "GoldenTable.h"
#include "WindowsTestSupport.h"
#include "kestrow/host/Host.h"
#include "kestrow/host/Instance.h"
#include "kestrow/host/TestHooks.h"
#include "kestrow/host/World.h"
#include "params/Params.h"

namespace kestrow::test {
namespace {

// World X, Y, Z spread over a few units round the origin, so that every
// mode shows inside, edge and outside pixels; one transparent pixel, one
// half-covered and one not-a-number position exercise the output steps.
host::World goldenPositionPass() {
  host::World world(kGoldenWidth, kGoldenHeight, host::PixelDepth::kFloat32);
  for (int y = 0; y < kGoldenHeight; ++y) {
    for (int x = 0; x < kGoldenWidth; ++x) {
      PF_PixelFloat* p = world.pixelFloat(x, y);
      p->alpha = 1.0f;
      p->red = -2.6f + 0.71f * static_cast<float>(x);
      p->green = -1.9f + 1.13f * static_cast<float>(y);
      p->blue = 0.37f * static_cast<float>(x - 2 * y) + 0.45f;
    }
  }
  world.pixelFloat(5, 0)->alpha = 0.0f;
  world.pixelFloat(1, 2)->alpha = 0.5f;
  world.pixelFloat(6, 3)->green = std::numeric_limits<float>::quiet_NaN();
  return world;
}

host::Status setControls(host::Instance& instance) {
  struct FloatControl {
    PF_ParamIndex index;
    double value;
  };
  static constexpr FloatControl kFloats[] = {
      {MATTE_RADIUS, 1.7},    {MATTE_SIZE_X, 1.2},           {MATTE_SIZE_Y, 0.8},
      {MATTE_SIZE_Z, 1.5},    {MATTE_FREQUENCY, 1.3},        {MATTE_OFFSET, 0.25},
      {MATTE_FEATHER, 0.6},   {MATTE_THICKNESS, 0.4},        {MATTE_SCALE_X, 1.5},
      {MATTE_SCALE_Y, 0.7},   {MATTE_MULTIPLY_VALUES, 1.25}, {MATTE_OFFSET_U, 0.3},
      {MATTE_OFFSET_V, -0.2},
  };
  host::Status status = instance.setPoint3D(MATTE_POSITION, 0.2, -0.5, 0.3);
  if (status.ok()) status = instance.setPopup(MATTE_ROTATE_ORDER, 3);
  if (status.ok()) status = instance.setAngle(MATTE_ROTATE_X, 20.0);
  if (status.ok()) status = instance.setAngle(MATTE_ROTATE_Y, -35.0);
  if (status.ok()) status = instance.setAngle(MATTE_ROTATE_Z, 50.0);
  if (status.ok()) status = instance.setPopup(MATTE_AXIS, 2);
  for (const FloatControl& c : kFloats) {
    if (status.ok()) status = instance.setFloat(c.index, c.value);
  }
  return status;
}

// The table's patterns; fewer than kGoldenValues when the text is malformed.
std::vector<std::uint32_t> goldenBits(const GoldenFrame& frame) {
  std::vector<std::uint32_t> bits;
  const std::string_view hex(frame.hex);
  for (std::size_t at = 0; at + 8 <= hex.size(); at += 8) {
    std::uint32_t v = 0;
    if (std::from_chars(hex.data() + at, hex.data() + at + 8, v, 16).ptr != hex.data() + at + 8)
      break;
    bits.push_back(v);
  }
  return bits;
}

// A fresh instance of the loaded plug-in with the controls set away from
// their defaults renders the golden pass in `mode`; `bits` receives the
// output's bit patterns.
host::Status renderGolden(host::Host& host, A_long mode, std::vector<std::uint32_t>& bits) {
  std::unique_ptr<host::Instance> instance;
  host::Status status = host.createInstance(instance);
  if (status.ok()) status = setControls(*instance);
  if (status.ok()) status = instance->setPopup(MATTE_MODE, mode);
  if (!status.ok()) return status;
  host::World input = goldenPositionPass();
  host::World output(kGoldenWidth, kGoldenHeight, host::PixelDepth::kFloat32);
  status = instance->render(input, output);
  if (!status.ok()) return status;
  for (int y = 0; y < kGoldenHeight; ++y) {
    for (int x = 0; x < kGoldenWidth; ++x) {
      const PF_PixelFloat* p = output.pixelFloat(x, y);
      for (float v : {p->alpha, p->red, p->green, p->blue}) {
        bits.push_back(std::bit_cast<std::uint32_t>(v));
      }
    }
  }
  return status;
}

const char* const kChannels[] = {"alpha", "red", "green", "blue"};

// Units in the last place two finite floats of one sign lie apart; a sign
// change or a NaN counts as far apart.
std::uint32_t ulpDistance(std::uint32_t a, std::uint32_t b) {
  constexpr std::uint32_t kFar = 0xFFFFFFFFu;
  constexpr std::uint32_t kExponent = 0x7F800000u;
  if ((a & kExponent) == kExponent || (b & kExponent) == kExponent) return a == b ? 0 : kFar;
  if ((a ^ b) & 0x80000000u) return (a | b) == 0x80000000u ? 0 : kFar;
  return a > b ? a - b : b - a;
}

// Up to `limit` values further apart than `ulps`, each with its pixel,
// channel and both bit patterns.
::testing::AssertionResult sameBits(const std::vector<std::uint32_t>& expected,
                                    const std::vector<std::uint32_t>& actual, std::uint32_t ulps,
                                    int limit = 8) {
  if (expected.size() != kGoldenValues || actual.size() != kGoldenValues) {
    return ::testing::AssertionFailure()
           << expected.size() << " values in the table, " << actual.size() << " rendered, expected "
           << kGoldenValues;
  }
  ::testing::AssertionResult result = ::testing::AssertionSuccess();
  int differing = 0;
  for (int i = 0; i < kGoldenValues; ++i) {
    if (ulpDistance(expected[i], actual[i]) <= ulps) continue;
    if (differing == 0) result = ::testing::AssertionFailure();
    if (differing++ < limit) {
      const int pixel = i / 4;
      result << "\n  value " << i << " (x " << pixel % kGoldenWidth << ", y "
             << pixel / kGoldenWidth << ", " << kChannels[i % 4] << "): expected "
             << hex32(expected[i]) << ", actual " << hex32(actual[i]);
    }
  }
  if (differing > limit) result << "\n  ... " << differing << " values differ in all";
  return result;
}

class GoldenRenderTest : public ::testing::TestWithParam<GoldenFrame> {
 protected:
  void SetUp() override { ASSERT_TRUE(isOk(host_.load(pluginFile()))); }

  host::hooks::TestHost host_{host::HostOptions{.strict = true}};
};

TEST_P(GoldenRenderTest, MatchesTheLinuxBuild) {
  const GoldenFrame& golden = GetParam();
  std::vector<std::uint32_t> bits;
  ASSERT_TRUE(isOk(renderGolden(host_, golden.mode, bits)));
  EXPECT_TRUE(leftNothing(host_.lastCommand()));
  EXPECT_TRUE(sameBits(goldenBits(golden), bits, 0));
}

INSTANTIATE_TEST_SUITE_P(EveryMode, GoldenRenderTest, ::testing::ValuesIn(kGoldenFrames),
                         [](const auto& info) { return "Mode" + std::to_string(info.param.mode); });

// The wide scenes: every mode, and the wave modes where their library
// functions decide the most: "Rays" round every axis with hard edges,
// "Radial" with hard edges and phases in the thousands of turns.
struct Scene {
  const char* name;
  A_long mode;
  A_long axis = 2;
  double feather = 0.6, thickness = 0.4, frequency = 1.3, offset = 0.25, spread = 4.0;
};

const Scene kScenes[] = {
    {"Circle", 1},
    {"Ring", 2},
    {"Square", 3},
    {"Box", 4},
    {"Grid", 6},
    {"Layer", 10},
    {"RaysXZHard", 8, 1, 0.0, 0.5, 7.0},
    {"RaysXYHard", 8, 2, 0.0, 0.5, 7.0},
    {"RaysYZHard", 8, 3, 0.0, 0.5, 7.0},
    {"RaysFarSoft", 8, 2, 0.3, 0.9, 3.0, 0.25, 900.0},
    {"RadialHardFar", 7, 2, 0.0, 0.5, 370.0, 1000.25, 900.0},
    {"RadialSoft", 7, 2, 0.6, 0.4, 2.3, 0.25, 40.0},
};

// Positions drawn from a fixed sequence over -spread .. spread, every 97th
// transparent.
host::World scenePass(double spread) {
  host::World world(kSceneWidth, kSceneHeight, host::PixelDepth::kFloat32);
  std::uint64_t state = 0x9E3779B97F4A7C15u;
  auto next = [&state, spread] {
    state = state * 6364136223846793005u + 1442695040888963407u;
    return static_cast<float>((static_cast<double>(state >> 11) * 0x1p-53 * 2.0 - 1.0) * spread);
  };
  for (int y = 0; y < kSceneHeight; ++y) {
    for (int x = 0; x < kSceneWidth; ++x) {
      PF_PixelFloat* p = world.pixelFloat(x, y);
      p->red = next();
      p->green = next();
      p->blue = next();
      p->alpha = (x + y * kSceneWidth) % 97 == 0 ? 0.0f : 1.0f;
    }
  }
  return world;
}

host::Status renderScene(host::Host& host, const Scene& scene, std::uint64_t& hash) {
  std::unique_ptr<host::Instance> instance;
  host::Status status = host.createInstance(instance);
  if (status.ok()) status = setControls(*instance);
  const std::pair<PF_ParamIndex, double> floats[] = {{MATTE_FEATHER, scene.feather},
                                                     {MATTE_THICKNESS, scene.thickness},
                                                     {MATTE_FREQUENCY, scene.frequency},
                                                     {MATTE_OFFSET, scene.offset}};
  for (auto [index, value] : floats) {
    if (status.ok()) status = instance->setFloat(index, value);
  }
  if (status.ok()) status = instance->setPopup(MATTE_AXIS, scene.axis);
  if (status.ok()) status = instance->setPopup(MATTE_MODE, scene.mode);
  if (!status.ok()) return status;
  host::World input = scenePass(scene.spread);
  host::World output(kSceneWidth, kSceneHeight, host::PixelDepth::kFloat32);
  status = instance->render(input, output);
  hash = 0xcbf29ce484222325u;
  for (int y = 0; y < kSceneHeight; ++y) {
    const auto* bytes = static_cast<const unsigned char*>(output.row(y));
    for (std::size_t i = 0; i < kSceneWidth * sizeof(PF_PixelFloat); ++i) {
      hash = (hash ^ bytes[i]) * 0x100000001b3u;
    }
  }
  return status;
}

class GoldenSceneTest : public ::testing::TestWithParam<GoldenDigest> {
 protected:
  void SetUp() override { ASSERT_TRUE(isOk(host_.load(pluginFile()))); }

  host::Host host_{host::HostOptions{.strict = true}};
};

TEST_P(GoldenSceneTest, HashesAsTheLinuxBuild) {
  const GoldenDigest& golden = GetParam();
  const Scene* scene = nullptr;
  for (const Scene& s : kScenes) {
    if (std::string_view(s.name) == golden.scene) scene = &s;
  }
  ASSERT_NE(scene, nullptr) << golden.scene;
  std::uint64_t hash = 0;
  ASSERT_TRUE(isOk(renderScene(host_, *scene, hash)));
  EXPECT_EQ(hash, golden.hash) << golden.scene;
}

INSTANTIATE_TEST_SUITE_P(EveryScene, GoldenSceneTest, ::testing::ValuesIn(kGoldenDigests),
                         [](const auto& info) { return std::string(info.param.scene); });

// The table covers exactly the compared modes, in order.
TEST(GoldenTable, HoldsEveryComparedMode) {
  ASSERT_EQ(std::size(kGoldenDigests), std::size(kScenes));
  ASSERT_EQ(std::size(kGoldenFrames), std::size(kGoldenModes));
  for (std::size_t i = 0; i < std::size(kGoldenModes); ++i) {
    EXPECT_EQ(kGoldenFrames[i].mode, kGoldenModes[i]) << "entry " << i;
  }
}

// Writes the table from this build's results when KESTROW_WRITE_GOLDEN
// names the file; skipped otherwise.
TEST(GoldenTable, WriteWhenAsked) {
  const char* target = std::getenv("KESTROW_WRITE_GOLDEN");
  if (target == nullptr) GTEST_SKIP() << "KESTROW_WRITE_GOLDEN not set";
  host::Host host(host::HostOptions{.strict = true});
  ASSERT_TRUE(isOk(host.load(pluginFile())));
  std::ofstream out(target, std::ios::trunc);
  out << "// The golden frame's output in every compared mode, as the Linux build\n"
         "// renders it: per mode, alpha, red, green, blue bit patterns per pixel, rows\n"
         "// in order, as 8 hex digits each. Written by GoldenTable.WriteWhenAsked; do\n"
         "// not edit by hand.\n"
         "#pragma once\n\n#include \"GoldenScene.h\"\n\nnamespace kestrow::test {\n\n"
         "// clang-format off\ninline constexpr GoldenFrame kGoldenFrames[] = {\n";
  for (A_long mode : kGoldenModes) {
    std::vector<std::uint32_t> bits;
    ASSERT_TRUE(isOk(renderGolden(host, mode, bits)));
    out << "    {" << mode << ", \"";
    for (std::uint32_t v : bits) out << hex32(v).substr(2);
    out << "\"},\n";
  }
  out << "};\n\ninline constexpr GoldenDigest kGoldenDigests[] = {\n";
  for (const Scene& scene : kScenes) {
    std::uint64_t hash = 0;
    ASSERT_TRUE(isOk(renderScene(host, scene, hash)));
    char text[24];
    std::snprintf(text, sizeof text, "0x%016llxu", static_cast<unsigned long long>(hash));
    out << "    {\"" << scene.name << "\", " << text << "},\n";
  }
  out << "};\n// clang-format on\n\n}  // namespace kestrow::test\n";
  ASSERT_TRUE(out.good()) << target;
}

}  // namespace
}  // namespace kestrow::test
