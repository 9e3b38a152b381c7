// Helpers of the render, pre-render and control tests: synthetic position
// passes, the expected settings record and pixels (computed with the
// evaluator itself on the same input), bit-exact world comparison, and a
// smart render sent by hand with callbacks the test controls.
#pragma once

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>

#include "AE_Effect.h"
#include "AE_EffectSmartRender.h"
#include "PluginTestSupport.h"
#include "entry/Lifecycle.h"
#include "kestrow/host/Instance.h"
#include "kestrow/host/World.h"
#include "matte/Matte.h"
#include "matte/PlannedRows.h"
#include "params/Params.h"
#include "render/FillSettings.h"
#include "render/Render.h"

namespace kestrow::test {

using matte::Mode;
using matte::popupValue;

// A float world whose red, green, blue are world X, Y, Z spread around the
// origin, with a few transparent, half-covered and not-a-number pixels.
inline host::World positionPass(int width, int height, std::size_t padding = 0,
                                host::RowOrder order = host::RowOrder::kTopDown) {
  host::World world(width, height, host::PixelDepth::kFloat32, padding, order);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      PF_PixelFloat* p = world.pixelFloat(x, y);
      p->alpha = (x + y) % 7 == 3 ? 0.0f : ((x * y) % 5 == 2 ? 0.5f : 1.0f);
      p->red = -3.0f + 0.37f * static_cast<float>(x);
      p->green = -2.0f + 0.29f * static_cast<float>(y);
      p->blue = 0.23f * static_cast<float>(x - 2 * y) + 0.5f;
    }
  }
  if (width > 2 && height > 1) {
    world.pixelFloat(2, 1)->green = std::numeric_limits<float>::quiet_NaN();
  }
  return world;
}

// Every byte of every row set to `byte`, so untouched pixels are known.
inline void fillWorld(host::World& world, std::uint8_t byte) {
  const std::size_t bytes =
      static_cast<std::size_t>(world.width()) * host::pixelSize(world.depth());
  for (int y = 0; y < world.height(); ++y) {
    std::memset(world.row(y), byte, bytes);
  }
}

// The record the render should write for the instance's current values,
// filled by the effect's own settings step (its folding of "Multiply
// Values" is pinned by test_render_settings).
inline MatteSettings expectedSettings(const host::Instance& instance, const PF_LayerDef& layer) {
  PF_ParamDef values[MATTE_NUM_PARAMS];
  const PF_ParamDef* params[MATTE_NUM_PARAMS];
  for (PF_ParamIndex i = 0; i < MATTE_NUM_PARAMS; ++i) {
    values[i] = instance.param(i);
    params[i] = &values[i];
  }
  MatteSettings s{};
  s.mode = instance.param(MATTE_MODE).u.pd.value;
  FillMatteSettings(params, layer, &s);
  return s;
}

// The output the evaluator gives for `input` under `settings`: the output
// pixels in `covered` (all of them by default) read from the input at the
// origin offset; every other pixel transparent black.
inline host::World expectedMatte(const host::World& input, int width, int height,
                                 const MatteSettings& settings,
                                 const host::RenderOptions& options = {},
                                 PF_Rect covered = {0, 0, -1, -1}) {
  if (covered.right < 0) covered = {0, 0, width, height};
  host::World out(width, height, host::PixelDepth::kFloat32);
  PF_InData inData{};
  inData.downsample_x = options.downsampleX;
  inData.downsample_y = options.downsampleY;
  matte::PlannedRows rows = matte::planRows(settings, inData, covered.right - covered.left);
  // The evaluator takes a mutable input row; it only reads it.
  host::World& src = const_cast<host::World&>(input);
  for (int y = covered.top; y < covered.bottom; ++y) {
    InvertPixelFloat(
        &rows, covered.left, y,
        src.pixelFloat(covered.left + options.outputOriginX, y + options.outputOriginY),
        out.pixelFloat(covered.left, y));
  }
  return out;
}

// Compares two float worlds bit for bit; names the first differing pixel and
// channel with both bit patterns.
inline ::testing::AssertionResult sameBits(const host::World& expected, const host::World& actual) {
  if (expected.width() != actual.width() || expected.height() != actual.height()) {
    return ::testing::AssertionFailure()
           << "size " << actual.width() << "x" << actual.height() << ", expected "
           << expected.width() << "x" << expected.height();
  }
  static const char* const kChannel[] = {"alpha", "red", "green", "blue"};
  for (int y = 0; y < expected.height(); ++y) {
    for (int x = 0; x < expected.width(); ++x) {
      const auto* e =
          reinterpret_cast<const float*>(static_cast<const PF_PixelFloat*>(expected.row(y)) + x);
      const auto* a =
          reinterpret_cast<const float*>(static_cast<const PF_PixelFloat*>(actual.row(y)) + x);
      for (int c = 0; c < 4; ++c) {
        if (std::bit_cast<std::uint32_t>(e[c]) != std::bit_cast<std::uint32_t>(a[c])) {
          return ::testing::AssertionFailure()
                 << "pixel (" << x << ", " << y << ") " << kChannel[c] << ": expected "
                 << floatBits(e[c]) << ", actual " << floatBits(a[c]);
        }
      }
    }
  }
  return ::testing::AssertionSuccess();
}

// Compares the raw bytes of two worlds' pixels (any depth).
inline ::testing::AssertionResult samePixelBytes(const host::World& expected,
                                                 const host::World& actual) {
  const std::size_t bytes =
      static_cast<std::size_t>(expected.width()) * host::pixelSize(expected.depth());
  for (int y = 0; y < expected.height(); ++y) {
    ::testing::AssertionResult row = sameBytes(expected.row(y), actual.row(y), bytes);
    if (!row) return row << " in row " << y;
  }
  return ::testing::AssertionSuccess();
}

// A smart render sent by hand: the test supplies the worlds the check-out
// callbacks hand over, the sequence block and the in_data fields; the host
// supplies the parameter check-outs and the suites. One at a time per
// thread (the callbacks find the worlds through a thread-local pointer).
class ManualSmartRender {
 public:
  PF_EffectWorld* input = nullptr;    // what checkout_layer_pixels hands over
  PF_EffectWorld* output = nullptr;   // what checkout_output hands over
  PF_EffectWorld* picture = nullptr;  // the "Layer" control's pixels (null: none)
  SequenceData block{};               // the instance's settings record lives here
  bool withSequenceData = true;

  // Sends PF_Cmd_SMART_RENDER; `prepare` may change in_data first.
  template <typename Prepare>
  PF_Err send(host::Instance& instance, Prepare prepare) {
    PF_InData in = hooks::makeInData(instance);
    blockPtr_ = &block;
    in.sequence_data = withSequenceData ? &blockPtr_ : nullptr;
    prepare(in);
    out = PF_OutData{};
    PF_SmartRenderInput smartIn{};
    PF_SmartRenderCallbacks cb{checkoutLayerPixels, checkinLayerPixels, checkoutOutput};
    PF_SmartRenderExtra extra{&smartIn, &cb};
    current() = this;
    const PF_Err err =
        hooks::rawCall(instance, PF_Cmd_SMART_RENDER, in, out, nullptr, nullptr, &extra);
    current() = nullptr;
    return err;
  }
  PF_Err send(host::Instance& instance) {
    return send(instance, [](PF_InData&) {});
  }

  PF_OutData out{};

 private:
  static ManualSmartRender*& current() {
    thread_local ManualSmartRender* render = nullptr;
    return render;
  }
  static PF_Err checkoutLayerPixels(PF_ProgPtr, A_long id, PF_EffectWorld** pixels) {
    if (id != kInputCheckoutId && id != kPictureCheckoutId) return PF_Err_BAD_CALLBACK_PARAM;
    *pixels = id == kInputCheckoutId ? current()->input : current()->picture;
    return PF_Err_NONE;
  }
  static PF_Err checkinLayerPixels(PF_ProgPtr, A_long) { return PF_Err_NONE; }
  static PF_Err checkoutOutput(PF_ProgPtr, PF_EffectWorld** output) {
    *output = current()->output;
    return PF_Err_NONE;
  }

  void* blockPtr_ = nullptr;
};

}  // namespace kestrow::test
