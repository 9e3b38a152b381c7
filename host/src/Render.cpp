// One frame: smart pre-render, then smart render, as the real host sends them.
#include <cstring>
#include <thread>

#include "HandleRegistry.h"
#include "InstanceCommand.h"

namespace kestrow::host {
namespace {

constexpr PF_ChannelMask kAllChannels = 0xF;  // alpha, red, green, blue

Status checkWorlds(const World& input, const World& output, const RenderOptions& o) {
  auto bad = [](const std::string& what) {
    return Status::error(StatusCode::kInvalidArgument, "render: " + what);
  };
  if (!input.valid() || !output.valid()) return bad("invalid world");
  if (input.depth() != output.depth()) return bad("input and output differ in depth");
  if (o.downsampleX.den == 0 || o.downsampleY.den == 0) return bad("downsample denominator 0");
  if (o.preRenders < 1) return bad("at least one pre-render");
  // The pixel function walks whole output rows of the input from the
  // origin on, so the input must cover the output there.
  if (o.outputOriginX < 0 || o.outputOriginY < 0 ||
      std::int64_t(o.outputOriginX) + output.width() > input.width() ||
      std::int64_t(o.outputOriginY) + output.height() > input.height()) {
    return bad("the input does not cover the output at the origin");
  }
  return Status::success();
}

// A writable copy of the sequence block for one render; null if none.
PF_Handle copyOf(PF_Handle block, const void* owner) {
  HandleRegistry& handles = handleRegistry();
  if (block == nullptr || !handles.contains(block)) return nullptr;
  const std::size_t size = handles.size(block).value_or(0);
  PF_Handle copy = handles.allocate(size, owner);
  std::memcpy(*copy, *block, size);
  return copy;
}

// The sequence block a render on this thread writes: the instance's own
// (renders take turns), this thread's copy for the open render span, or a
// copy for this render alone. `dropAfter` is set for the last kind.
PF_Handle blockForRender(Instance::State& s, bool ownCopy, bool& dropAfter) {
  const Host::State& host = *s.host;
  std::lock_guard lock(s.mutex);
  dropAfter = false;
  if (!ownCopy) return s.sequenceData;
  if (!s.renderOpen) {
    dropAfter = true;
    return copyOf(s.sequenceData, &host);
  }
  PF_Handle& copy = s.renderCopies[std::this_thread::get_id()];
  if (copy == nullptr) copy = copyOf(s.sequenceData, &host);
  return copy;
}

// Frees what a pre-render left for its render; a throwing deleter is the
// plug-in's failure.
void deletePreRenderData(PF_PreRenderOutput& output, Status& status) {
  if (output.pre_render_data == nullptr || output.delete_pre_render_data_func == nullptr) return;
  try {
    output.delete_pre_render_data_func(output.pre_render_data);
  } catch (...) {
    if (status.ok()) {
      status = Status::error(StatusCode::kPluginThrew, "pre-render data deleter threw");
    }
  }
  output.pre_render_data = nullptr;
}

}  // namespace

Status renderFrame(Instance::State& s, World& input, World& output, const RenderOptions& options,
                   bool preRenderOnly, FrameTrace* trace) {
  Host::State& host = *s.host;
  Status status = checkWorlds(input, output, options);
  if (!status.ok()) return status;
  if (!host.loaded || s.closed) {
    return Status::error(StatusCode::kWrongState, "the effect instance is no longer open");
  }

  const bool ownCopy = (host.outFlags2 & PF_OutFlag2_MUTABLE_RENDER_SEQUENCE_DATA_SLOWER) != 0;
  std::unique_lock turn(s.renderMutex, std::defer_lock);
  if (!ownCopy) turn.lock();
  bool dropAfter = false;
  PF_Handle sequence = blockForRender(s, ownCopy, dropAfter);

  RenderState render;
  render.input = input.def();
  render.output = output.def();
  PF_RenderRequest request{};
  request.rect = {options.outputOriginX, options.outputOriginY,
                  options.outputOriginX + output.width(), options.outputOriginY + output.height()};
  request.channel_mask = kAllChannels;
  const A_short bits = A_short(bitsPerChannel(input.depth()));

  // Both passes: no parameter array, this render's sequence block.
  auto renderCall = [&](PF_Cmd cmd, void* extra) {
    InstanceCall call;
    call.cmd = cmd;
    call.extra = extra;
    call.render = &render;
    call.options = &options;
    call.passParams = false;
    call.useOwnSequence = true;
    call.sequence = sequence;
    return call;
  };

  // A CPU render: no GPU data or device. Each pre-render starts afresh; the
  // render sees the last one's check-outs and data.
  PF_PreRenderInput preInput{request, bits, nullptr, PF_GPU_Framework_NONE, 0};
  PF_PreRenderOutput preOutput{};
  InstanceCall pre;
  for (int pass = 0; pass < options.preRenders && status.ok(); ++pass) {
    deletePreRenderData(preOutput, status);
    render.checkouts.clear();
    preOutput = PF_PreRenderOutput{};
    PF_PreRenderExtra preExtra{&preInput, &preOutput, preRenderCallbacks()};
    pre = renderCall(PF_Cmd_SMART_PRE_RENDER, &preExtra);
    status = runInstanceCommand(s, pre);
  }

  PF_SmartRenderInput smartInput{
      request, bits, preOutput.pre_render_data, nullptr, PF_GPU_Framework_NONE, 0};
  PF_SmartRenderExtra smartExtra{&smartInput, smartRenderCallbacks()};
  InstanceCall smart = renderCall(PF_Cmd_SMART_RENDER, &smartExtra);
  if (status.ok() && !preRenderOnly) status = runInstanceCommand(s, smart);
  deletePreRenderData(preOutput, status);
  if (dropAfter && sequence != nullptr) handleRegistry().dispose(sequence);

  if (trace != nullptr) {
    trace->preRender = preOutput;
    trace->checkouts = render.checkouts;
    trace->preRenderErr = pre.outcome.err;
    trace->renderErr = smart.outcome.err;
  }
  return status;
}

Status Instance::render(World& input, World& output, const RenderOptions& options) {
  return renderFrame(*state_, input, output, options, false, nullptr);
}

Status Instance::preRender(World& input, World& output, const RenderOptions& options) {
  return renderFrame(*state_, input, output, options, true, nullptr);
}

Status Instance::beginRender() {
  State& s = *state_;
  std::lock_guard lock(s.mutex);
  if (s.closed) return Status::error(StatusCode::kWrongState, "the effect instance is closed");
  if (s.renderOpen) return Status::error(StatusCode::kWrongState, "a render is already open");
  s.renderOpen = true;
  return Status::success();
}

Status Instance::endRender() {
  State& s = *state_;
  std::lock_guard lock(s.mutex);
  if (!s.renderOpen) return Status::error(StatusCode::kWrongState, "no render is open");
  for (auto& [thread, copy] : s.renderCopies) {
    if (copy != nullptr) handleRegistry().dispose(copy);
  }
  s.renderCopies.clear();
  s.renderOpen = false;
  return Status::success();
}

}  // namespace kestrow::host
