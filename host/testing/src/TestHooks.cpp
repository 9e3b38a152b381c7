#include "kestrow/host/TestHooks.h"

#include <algorithm>

#include "InstanceCommand.h"
#include "State.h"
#include "TestObserver.h"
#include "WorldPadding.h"

namespace kestrow::host::hooks {
namespace {

PF_Err call(Host::State& host, Instance::State* instance, const EffectRefTag& tag, PF_Cmd cmd,
            PF_InData& in, PF_OutData& out, PF_ParamDef** params, PF_LayerDef* output,
            void* extra) {
  if (host.entry == nullptr) return PF_Err_INVALID_CALLBACK;
  CommandContext context;
  context.host = &host;
  context.instance = instance;
  context.effectRef = &tag;
  return runCommand(context, cmd, in, out, params, output, extra).err;
}

}  // namespace

TestHost::TestHost(HostOptions options)
    : Host(options), observer_(std::make_shared<TestObserver>()) {
  // The state holds the observer too: unloading in ~Host still reports to it.
  StateOf::host(*this)->observer = observer_;
}

std::vector<CommandRecord> TestHost::commandLog() const { return observer_->log(); }

CommandRecord TestHost::lastCommand() const { return observer_->last(); }

void TestHost::clearCommandLog() { observer_->clearLog(); }

FaultInjection& faults(TestHost& host) { return host.observer_->faults; }

Status render(Instance& instance, World& input, World& output, const RenderOptions& options,
              RenderReport& report) {
  FrameTrace trace;
  const Status status =
      renderFrame(*StateOf::instance(instance), input, output, options, false, &trace);
  report.preRender = trace.preRender;
  report.checkoutIds.clear();
  report.checkoutRequests.clear();
  for (const RenderState::Checkout& c : trace.checkouts) {
    report.checkoutIds.push_back(c.id);
    report.checkoutRequests.push_back(c.request);
  }
  report.preRenderErr = trace.preRenderErr;
  report.renderErr = trace.renderErr;
  return status;
}

bool paddingIntact(const World& world) {
  const std::size_t used = std::size_t(world.width()) * pixelSize(world.depth());
  for (int y = 0; y < world.height(); ++y) {
    const auto* row = static_cast<const std::uint8_t*>(world.row(y));
    if (!std::all_of(row + used, row + world.rowBytes(),
                     [](std::uint8_t b) { return b == kPaddingGuardByte; })) {
      return false;
    }
  }
  return true;
}

PF_InData makeInData(const Host& host) {
  const Host::State& s = *StateOf::host(host);
  return baseInData(s, &s.tag);
}

PF_InData makeInData(const Instance& instance) {
  const Instance::State& s = *StateOf::instance(instance);
  PF_InData in = baseInData(*s.host, &s.tag);
  std::lock_guard lock(s.mutex);
  in.sequence_data = s.sequenceData;
  return in;
}

PF_Err rawCall(Host& host, PF_Cmd cmd, PF_InData& in, PF_OutData& out, PF_ParamDef** params,
               PF_LayerDef* output, void* extra) {
  Host::State& s = *StateOf::host(host);
  return call(s, nullptr, s.tag, cmd, in, out, params, output, extra);
}

PF_Err rawCall(Instance& instance, PF_Cmd cmd, PF_InData& in, PF_OutData& out, PF_ParamDef** params,
               PF_LayerDef* output, void* extra) {
  Instance::State& s = *StateOf::instance(instance);
  return call(*s.host, &s, s.tag, cmd, in, out, params, output, extra);
}

ParamRecords paramArray(const Instance& instance) {
  const Instance::State& s = *StateOf::instance(instance);
  ParamRecords array;
  {
    std::lock_guard lock(s.mutex);
    array.records = s.values;
  }
  for (PF_ParamDef& record : array.records) array.pointers.push_back(&record);
  return array;
}

Status setParamRecord(Instance& instance, PF_ParamIndex index, const PF_ParamDef& record) {
  Instance::State& s = *StateOf::instance(instance);
  Status status = controlOf(s, index, record.param_type);
  if (!status.ok()) return status;
  if (record.param_type == PF_Param_LAYER) {
    return Status::error(StatusCode::kInvalidArgument,
                         "parameter " + std::to_string(index) + ": use setLayer for layers");
  }
  {
    std::lock_guard lock(s.mutex);
    PF_ParamDef& stored = s.values[std::size_t(index)];
    const auto uu = stored.uu;
    stored = record;
    stored.uu = uu;
  }
  return afterChange(instance, s, index);
}

}  // namespace kestrow::host::hooks
