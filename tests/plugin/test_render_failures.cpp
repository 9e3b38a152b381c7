// Smart render failure paths: whatever fails, every record the host handed
// out goes back, every suite acquired is released, and the first error is
// the command's result.
#include <algorithm>
#include <iterator>
#include <string>

#include "RenderTestSupport.h"
#include "kestrow/host/Faults.h"

namespace kestrow::test {
namespace {

using host::HostCallId;

// "Layer" (8) is not among them: its picture comes as layer pixels.
constexpr PF_ParamIndex kCheckoutOrder[] = {26, 25, 24, 20, 19, 23, 22, 21, 18, 17, 16, 15,
                                            14, 13, 12, 3,  1,  9,  10, 11, 4,  5,  6,  7};

// A world of `depth` whose every byte is `byte`.
host::World filled(int width, int height, host::PixelDepth depth, std::uint8_t byte) {
  host::World w(width, height, depth);
  fillWorld(w, byte);
  return w;
}

class RenderFailureTest : public PluginInstance {
 protected:
  void SetUp() override {
    PluginInstance::SetUp();
    render_.input = &input_.def();
    render_.output = &output_.def();
    render_.block.settings.mode = 12345;  // a value no render writes
  }

  host::World input_ = positionPass(5, 4);
  host::World output_ = filled(5, 4, host::PixelDepth::kFloat32, 0x5a);
  const host::World untouched_ = filled(5, 4, host::PixelDepth::kFloat32, 0x5a);
  ManualSmartRender render_;
};

class CheckoutSweepTest : public RenderFailureTest,
                          public ::testing::WithParamInterface<PF_ParamIndex> {};

// Any control's check-out failing ends the render with the host's error;
// the records checked out before it and the failed one all go back, those
// never checked out are not handed over, and nothing is drawn.
TEST_P(CheckoutSweepTest, FailingCheckoutReturnsItsErrorAndChecksInTheRest) {
  hooks::faults(host_)
      .fail(HostCallId::PF_InteractCallbacks_checkout_param, GetParam())
      .during(PF_Cmd_SMART_RENDER);
  const host::Status status = instance_->render(input_, output_);
  EXPECT_EQ(status.code, host::StatusCode::kPluginError);
  EXPECT_EQ(status.pfErr, hooks::faults(host_).error);
  EXPECT_TRUE(leftNothing(host_.lastCommand()));
  const auto position = std::find(std::begin(kCheckoutOrder), std::end(kCheckoutOrder), GetParam());
  EXPECT_EQ(host_.lastCommand().paramCheckins, position - std::begin(kCheckoutOrder) + 1);
  EXPECT_EQ(host_.lastCommand().suitesAcquired, 0);
  EXPECT_TRUE(samePixelBytes(untouched_, output_));
}

INSTANTIATE_TEST_SUITE_P(EachControl, CheckoutSweepTest, ::testing::ValuesIn(kCheckoutOrder));

// Every host fault the render can meet: the fault's error (or 516 where the
// effect itself gives up), nothing left behind, no pixel drawn. 16 and 8
// bits per channel without a fault: success, every row visited, and the
// output (junk before) transparent black: mattes are float only.
enum class Outcome { kHostError, kEffectError, kSuccess };

struct HostFault {
  const char* name;
  void (*set)(host::FaultInjection&);
  host::PixelDepth depth = host::PixelDepth::kFloat32;
  Outcome outcome = Outcome::kHostError;
  bool drawn = false;  // the failure comes after the pixels are drawn
};

void missing(host::FaultInjection& f, const char* name, int version) {
  f.missingSuite(name, version);
}

using host::PixelDepth;
const HostFault kHostFaults[] = {
    {"InputPixels",
     [](host::FaultInjection& f) {
       f.fail(HostCallId::PF_SmartRenderCallbacks_checkout_layer_pixels);
     }},
    {"Output",
     [](host::FaultInjection& f) { f.fail(HostCallId::PF_SmartRenderCallbacks_checkout_output); }},
    {"Checkins",
     [](host::FaultInjection& f) {
       f.fail(HostCallId::PF_InteractCallbacks_checkin_param).during(PF_Cmd_SMART_RENDER);
     },
     PixelDepth::kFloat32, Outcome::kHostError, true},
    {"FormatQuery",
     [](host::FaultInjection& f) { f.fail(HostCallId::PF_WorldSuite2_PF_GetPixelFormat); }},
    {"Iteration",
     [](host::FaultInjection& f) { f.fail(HostCallId::PF_iterateFloatSuite1_iterate_origin); }},
    {"UnknownFormat",
     [](host::FaultInjection& f) { f.reportPixelFormat = PF_FOURCC('y', 'u', 'v', 'a'); },
     PixelDepth::kFloat32, Outcome::kEffectError},
    {"InvalidFormat", [](host::FaultInjection& f) { f.reportPixelFormat = PF_PixelFormat_INVALID; },
     PixelDepth::kFloat32, Outcome::kEffectError},
    {"WorldSuite", [](host::FaultInjection& f) { missing(f, "PF World Suite", 2); },
     PixelDepth::kFloat32, Outcome::kEffectError},
    {"FloatSuite", [](host::FaultInjection& f) { missing(f, "PF iterateFloat Suite", 1); },
     PixelDepth::kFloat32, Outcome::kEffectError},
    {"DeepSuite", [](host::FaultInjection& f) { missing(f, "PF iterate16 Suite", 1); },
     PixelDepth::kU16, Outcome::kEffectError},
    {"EightBitSuite", [](host::FaultInjection& f) { missing(f, "PF Iterate8 Suite", 1); },
     PixelDepth::kU8, Outcome::kEffectError},
    {"DeepFrame", [](host::FaultInjection&) {}, PixelDepth::kU16, Outcome::kSuccess, true},
    {"EightBitFrame", [](host::FaultInjection&) {}, PixelDepth::kU8, Outcome::kSuccess, true},
};

class HostFaultTest : public RenderFailureTest, public ::testing::WithParamInterface<HostFault> {};

TEST_P(HostFaultTest, ErrorComesBackAndNothingIsLeftOrDrawn) {
  const HostFault c = GetParam();
  c.set(hooks::faults(host_));
  host::World input = filled(4, 3, c.depth, 0x33);
  host::World output = filled(4, 3, c.depth, 0x5a);
  const host::Status status = instance_->render(input, output);
  const host::CommandRecord record = host_.lastCommand();
  EXPECT_TRUE(leftNothing(record));
  EXPECT_EQ(c.drawn, !samePixelBytes(filled(4, 3, c.depth, 0x5a), output));
  switch (c.outcome) {
    case Outcome::kHostError:
      EXPECT_EQ(status.pfErr, hooks::faults(host_).error);
      break;
    case Outcome::kEffectError:
      EXPECT_EQ(status.pfErr, PF_Err_BAD_CALLBACK_PARAM);
      break;
    case Outcome::kSuccess:
      EXPECT_TRUE(isOk(status));
      EXPECT_EQ(record.out.out_flags & PF_OutFlag_DISPLAY_ERROR_MESSAGE, 0);
      EXPECT_EQ(record.iterateRows, 3);
      EXPECT_TRUE(samePixelBytes(filled(4, 3, c.depth, 0), output));
      break;
  }
}

INSTANTIATE_TEST_SUITE_P(Table, HostFaultTest, ::testing::ValuesIn(kHostFaults),
                         [](const auto& info) { return std::string(info.param.name); });

// Without sequence data the input is passed through, at the origin offset.
TEST_F(RenderFailureTest, MissingSequenceDataCopiesTheInput) {
  host::World input = positionPass(7, 6);
  render_.input = &input.def();
  render_.withSequenceData = false;
  for (PF_Point origin : {PF_Point{0, 0}, PF_Point{2, 1}}) {
    SCOPED_TRACE(origin.h);
    fillWorld(output_, 0x5a);
    const PF_Err err = render_.send(*instance_, [&](PF_InData& in) {
      in.output_origin_x = origin.h;
      in.output_origin_y = origin.v;
    });
    EXPECT_EQ(err, PF_Err_INTERNAL_STRUCT_DAMAGED);
    EXPECT_TRUE(leftNothing(host_.lastCommand()));
    for (int y = 0; y < output_.height(); ++y) {
      EXPECT_TRUE(sameBytes(input.pixelFloat(origin.h, y + origin.v), output_.pixelFloat(0, y),
                            sizeof(PF_PixelFloat) * 5))
          << "row " << y;
    }
  }
}

// Without the world suite the record is not touched and the user is told.
TEST_F(RenderFailureTest, MissingWorldSuiteLeavesTheRecord) {
  hooks::faults(host_).missingSuite("PF World Suite", 2, host::MissingSuiteMode::kNullTable);
  EXPECT_EQ(render_.send(*instance_), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(render_.block.settings.mode, 12345);
  EXPECT_NE(render_.out.out_flags & PF_OutFlag_DISPLAY_ERROR_MESSAGE, 0);
  EXPECT_STREQ(render_.out.return_msg, "Couldn't load suite.");
  EXPECT_TRUE(leftNothing(host_.lastCommand()));
}

// Without a basic suite nothing can be acquired, and a host that reports
// success but hands over no world gets an error, not a crash; either way
// the records go back and nothing is drawn.
TEST_F(RenderFailureTest, NoBasicSuiteOrNullWorld) {
  EXPECT_EQ(render_.send(*instance_, [](PF_InData& in) { in.pica_basicP = nullptr; }),
            PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_TRUE(leftNothing(host_.lastCommand()));
  EXPECT_FALSE(host_.lastCommand().threw);
  for (bool nullOutput : {true, false}) {
    SCOPED_TRACE(nullOutput ? "no output" : "no input");
    render_.output = nullOutput ? nullptr : &output_.def();
    render_.input = nullOutput ? &input_.def() : nullptr;
    EXPECT_EQ(render_.send(*instance_), PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_TRUE(leftNothing(host_.lastCommand()));
  }
  EXPECT_TRUE(samePixelBytes(untouched_, output_));
}

}  // namespace
}  // namespace kestrow::test
