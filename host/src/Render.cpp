// One frame: smart pre-render, then smart render, as the real host sends them.
#include <cstring>

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

}  // namespace

Status Instance::render(World& input, World& output, const RenderOptions& options,
                        RenderReport* report) {
  State& s = *state_;
  Host::State& host = *s.host;
  Status status = checkWorlds(input, output, options);
  if (!status.ok()) return status;
  if (!host.loaded || s.closed) {
    return Status::error(StatusCode::kWrongState, "the effect instance is no longer open");
  }

  // With mutable render-time sequence data every render writes its own
  // copy; without it renders of this instance take turns on the one block.
  const bool ownCopy = (host.outFlags2 & PF_OutFlag2_MUTABLE_RENDER_SEQUENCE_DATA_SLOWER) != 0;
  std::unique_lock turn(s.renderMutex, std::defer_lock);
  if (!ownCopy) turn.lock();
  PF_Handle sequence = nullptr;
  {
    std::lock_guard lock(s.mutex);
    sequence = ownCopy ? copyOf(s.sequenceData, &host) : s.sequenceData;
  }

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

  // A CPU render: no GPU data or device.
  PF_PreRenderInput preInput{request, bits, nullptr, PF_GPU_Framework_NONE, 0};
  PF_PreRenderOutput preOutput{};
  PF_PreRenderExtra preExtra{&preInput, &preOutput, preRenderCallbacks()};
  InstanceCall pre = renderCall(PF_Cmd_SMART_PRE_RENDER, &preExtra);
  status = runInstanceCommand(s, pre);

  PF_SmartRenderInput smartInput{
      request, bits, preOutput.pre_render_data, nullptr, PF_GPU_Framework_NONE, 0};
  PF_SmartRenderExtra smartExtra{&smartInput, smartRenderCallbacks()};
  InstanceCall smart = renderCall(PF_Cmd_SMART_RENDER, &smartExtra);
  if (status.ok()) status = runInstanceCommand(s, smart);
  if (preOutput.pre_render_data != nullptr && preOutput.delete_pre_render_data_func != nullptr) {
    try {
      preOutput.delete_pre_render_data_func(preOutput.pre_render_data);
    } catch (...) {
      if (status.ok()) {
        status = Status::error(StatusCode::kPluginThrew, "pre-render data deleter threw");
      }
    }
  }
  if (ownCopy && sequence != nullptr) handleRegistry().dispose(sequence);

  if (report != nullptr) {
    report->preRender = preOutput;
    report->checkoutIds.clear();
    report->checkoutRequests.clear();
    for (const RenderState::Checkout& c : render.checkouts) {
      report->checkoutIds.push_back(c.id);
      report->checkoutRequests.push_back(c.request);
    }
    report->preRenderErr = pre.record.err;
    report->renderErr = smart.record.err;
  }
  return status;
}

}  // namespace kestrow::host
