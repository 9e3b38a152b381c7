#include "kestrow/host/TestHooks.h"

#include "InstanceCommand.h"
#include "State.h"

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

FaultInjection& faults(Host& host) { return StateOf::host(host)->faults; }

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
