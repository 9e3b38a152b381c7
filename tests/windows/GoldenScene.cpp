#include "GoldenScene.h"

#include <bit>
#include <charconv>
#include <limits>
#include <string_view>

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

}  // namespace

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

host::Status renderGolden(host::Instance& instance, A_long mode, std::vector<std::uint32_t>& bits) {
  host::Status status = setControls(instance);
  if (status.ok()) status = instance.setPopup(MATTE_MODE, mode);
  if (!status.ok()) return status;
  host::World input = goldenPositionPass();
  host::World output(kGoldenWidth, kGoldenHeight, host::PixelDepth::kFloat32);
  status = instance.render(input, output);
  if (!status.ok()) return status;
  bits.clear();
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

}  // namespace kestrow::test
