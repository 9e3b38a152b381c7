// Smart pre-render: the input is asked for exactly the output's request, and
// what it can deliver is merged into the output's rectangles.
#include <cstring>
#include <optional>
#include <string>

#include "RenderTestSupport.h"
#include "render/Render.h"

namespace kestrow::test {
namespace {

// What the fake checkout_layer saw and answers.
struct CheckoutLayerCall {
  int calls = 0;
  PF_ParamIndex index = -1;
  A_long id = -1, time = 0, step = 0;
  A_u_long scale = 0;
  PF_RenderRequest request{};

  PF_LRect result{};
  std::optional<PF_LRect> maxResult;  // the same as `result` unless set
  PF_Err answer = PF_Err_NONE;
};
thread_local CheckoutLayerCall* g_call = nullptr;

PF_Err fakeCheckoutLayer(PF_ProgPtr, PF_ParamIndex index, A_long id, const PF_RenderRequest* req,
                         A_long time, A_long step, A_u_long scale, PF_CheckoutResult* result) {
  CheckoutLayerCall& c = *g_call;
  ++c.calls;
  c.index = index;
  c.id = id;
  c.request = *req;
  c.time = time;
  c.step = step;
  c.scale = scale;
  // A failing host may leave anything behind; the effect must not use it.
  result->result_rect = c.result;
  result->max_result_rect = c.maxResult.value_or(c.result);
  return c.answer;
}

class PreRenderTest : public PluginInstance {
 protected:
  // Sends PF_Cmd_SMART_PRE_RENDER with `output` as the host's output record.
  // The input layer is asked for exactly this request (every field, the
  // unused and reserved ones too) at the command's time.
  PF_Err send(CheckoutLayerCall& call, PF_PreRenderOutput& output, A_short bitdepth = 32) {
    input_.output_request.rect = {3, -4, 120, 90};
    input_.output_request.field = 2;
    input_.output_request.channel_mask = 0xb;
    input_.output_request.preserve_rgb_of_zero_alpha = 1;
    input_.output_request.unused[1] = 7;
    input_.output_request.reserved[0] = 11;
    input_.output_request.reserved[3] = -5;
    PF_InData in = hooks::makeInData(*instance_);
    in.current_time = 48;
    in.time_step = 2;
    in.time_scale = 25;
    input_.bitdepth = bitdepth;
    PF_PreRenderCallbacks cb{fakeCheckoutLayer, nullptr};
    PF_PreRenderExtra extra{&input_, &output, &cb};
    PF_OutData out{};
    g_call = &call;
    const PF_Err err =
        hooks::rawCall(*instance_, PF_Cmd_SMART_PRE_RENDER, in, out, nullptr, nullptr, &extra);
    g_call = nullptr;
    EXPECT_TRUE(leftNothing(host_.lastCommand()));
    EXPECT_EQ(call.calls, 1);
    EXPECT_EQ(call.index, 0);
    EXPECT_EQ(call.id, kInputCheckoutId);
    EXPECT_TRUE(sameBytes(&input_.output_request, &call.request, sizeof call.request));
    EXPECT_EQ(call.time, 48);
    EXPECT_EQ(call.step, 2);
    EXPECT_EQ(call.scale, 25u);
    return err;
  }

  PF_PreRenderInput input_{};
};

::testing::AssertionResult sameRect(const PF_LRect& expected, const PF_LRect& actual) {
  if (std::memcmp(&expected, &actual, sizeof expected) == 0) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << "(" << actual.left << ", " << actual.top << ", " << actual.right << ", "
         << actual.bottom << "), expected (" << expected.left << ", " << expected.top << ", "
         << expected.right << ", " << expected.bottom << ")";
}

struct UnionCase {
  const char* name;
  PF_LRect outputBefore, checkout, outputAfter;
  PF_Err answer = PF_Err_NONE;  // the check-out's; also the command's
};

class PreRenderUnionTest : public PreRenderTest, public ::testing::WithParamInterface<UnionCase> {};

// The same rule for both rectangles; the other output fields stay as the
// host set them, whatever the bit depth. A failed check-out leaves both
// rectangles as they were, whatever the host left in its result.
TEST_P(PreRenderUnionTest, MergesWhatTheInputDelivers) {
  const UnionCase c = GetParam();
  for (A_short depth : {8, 16, 32}) {
    SCOPED_TRACE(depth);
    CheckoutLayerCall call;
    call.result = c.checkout;
    call.answer = c.answer;
    PF_PreRenderOutput output;
    std::memset(&output, 0x3c, sizeof output);
    output.result_rect = c.outputBefore;
    output.max_result_rect = c.outputBefore;
    PF_PreRenderOutput before = output;
    ASSERT_EQ(send(call, output, depth), c.answer);
    EXPECT_TRUE(sameRect(c.outputAfter, output.result_rect));
    EXPECT_TRUE(sameRect(c.outputAfter, output.max_result_rect));
    before.result_rect = output.result_rect;
    before.max_result_rect = output.max_result_rect;
    EXPECT_TRUE(sameBytes(&before, &output, sizeof output));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, PreRenderUnionTest,
    ::testing::Values(
        UnionCase{"EmptyOutputTakesTheInput", {0, 0, 0, 0}, {1, 2, 30, 40}, {1, 2, 30, 40}},
        UnionCase{"BothEmptyTakesTheInputsValues", {0, 0, 0, 0}, {5, 1, 5, 9}, {5, 1, 5, 9}},
        UnionCase{"EmptyInputLeavesTheOutput", {0, 0, 100, 50}, {5, 5, 5, 5}, {0, 0, 100, 50}},
        UnionCase{"Grows", {0, 0, 100, 50}, {-10, 20, 80, 70}, {-10, 0, 100, 70}},
        UnionCase{"Inside", {0, 0, 100, 50}, {10, 10, 20, 20}, {0, 0, 100, 50}},
        UnionCase{"UpsideDownOutputCountsAsEmpty", {9, 9, 3, 3}, {0, 0, 4, 4}, {0, 0, 4, 4}},
        UnionCase{"FailedOnEmpty",
                  {0, 0, 0, 0},
                  {-50, -50, 500, 500},
                  {0, 0, 0, 0},
                  PF_Err_OUT_OF_MEMORY},
        UnionCase{"FailedOnEmptyPoint",
                  {7, 7, 7, 7},
                  {-50, -50, 500, 500},
                  {7, 7, 7, 7},
                  PF_Err_OUT_OF_MEMORY},
        UnionCase{
            "Failed", {0, 0, 10, 10}, {-50, -50, 500, 500}, {0, 0, 10, 10}, PF_Err_OUT_OF_MEMORY}),
    [](const auto& info) { return std::string(info.param.name); });

// Each output rectangle takes in its own counterpart of the check-out result.
TEST_F(PreRenderTest, ResultAndMaximumAreMergedSeparately) {
  CheckoutLayerCall call;
  call.result = {1, 2, 3, 4};
  call.maxResult = PF_LRect{-8, -9, 40, 30};
  PF_PreRenderOutput output{};
  output.max_result_rect = {0, 0, 50, 10};
  ASSERT_EQ(send(call, output), PF_Err_NONE);
  EXPECT_TRUE(sameRect(PF_LRect{1, 2, 3, 4}, output.result_rect));
  EXPECT_TRUE(sameRect(PF_LRect{-8, -9, 50, 30}, output.max_result_rect));
}

// Through the host's own call order: the input under id 1, and in "Layer"
// mode the picture layer whole under id 2 (its rectangles not merged); the
// host's failure comes back.
TEST_F(PreRenderTest, ThroughTheHost) {
  host::World input = positionPass(6, 4);
  host::World output(6, 4, host::PixelDepth::kFloat32);
  hooks::RenderReport report;
  ASSERT_TRUE(isOk(hooks::render(*instance_, input, output, {}, report)));
  EXPECT_EQ(report.checkoutIds, std::vector<A_long>{kInputCheckoutId});
  EXPECT_TRUE(sameRect(PF_LRect{0, 0, 6, 4}, report.preRender.result_rect));

  ASSERT_TRUE(isOk(instance_->setPopup(MATTE_MODE, popupValue(Mode::Layer))));
  for (bool picture : {false, true}) {
    SCOPED_TRACE(picture ? "picture" : "no picture");
    ASSERT_TRUE(isOk(instance_->setLayer(
        MATTE_LAYER, picture ? std::make_shared<host::World>(positionPass(40, 30)) : nullptr)));
    ASSERT_TRUE(isOk(hooks::render(*instance_, input, output, {}, report)));
    EXPECT_TRUE(leftNothing(host_.lastCommand()));
    EXPECT_EQ(report.checkoutIds, (std::vector<A_long>{kInputCheckoutId, kPictureCheckoutId}));
    ASSERT_EQ(report.checkoutRequests.size(), 2u);
    EXPECT_TRUE(sameRect(PF_LRect{0, 0, 30000, 30000}, report.checkoutRequests[1].rect));
    EXPECT_TRUE(sameRect(PF_LRect{0, 0, 6, 4}, report.preRender.result_rect));
    EXPECT_TRUE(sameRect(PF_LRect{0, 0, 6, 4}, report.preRender.max_result_rect));
  }
  // Pre-render again and again, with or without a render after it.
  host_.clearCommandLog();
  ASSERT_TRUE(isOk(instance_->render(input, output, {.preRenders = 3})));
  ASSERT_TRUE(isOk(instance_->preRender(input, output, {.preRenders = 2})));
  EXPECT_EQ(commandsOf(host_, PF_Cmd_SMART_PRE_RENDER).size(), 5u);
  for (const host::CommandRecord& record : host_.commandLog()) EXPECT_TRUE(leftNothing(record));
  EXPECT_EQ(host_.liveHandles(), 2u);

  hooks::faults(host_).fail(host::HostCallId::PF_PreRenderCallbacks_checkout_layer);
  const host::Status status = hooks::render(*instance_, input, output, {}, report);
  EXPECT_EQ(status.pfErr, hooks::faults(host_).error);
  EXPECT_EQ(report.preRenderErr, hooks::faults(host_).error);
}

}  // namespace
}  // namespace kestrow::test
