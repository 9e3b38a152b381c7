#include "InstanceCommand.h"

namespace kestrow::host {

Status runInstanceCommand(Instance::State& instance, InstanceCall& call) {
  Host::State& host = *instance.host;
  if (!host.loaded || instance.closed) {
    return Status::error(StatusCode::kWrongState, "the effect instance is no longer open");
  }
  CommandContext context;
  context.host = &host;
  context.instance = &instance;
  context.effectRef = &instance.tag;
  context.render = call.render;
  PF_InData in = baseInData(host, &instance.tag);
  if (const RenderOptions* o = call.options) {
    in.current_time = o->currentTime;
    in.time_step = o->timeStep;
    in.local_time_step = o->timeStep;
    in.time_scale = o->timeScale;
    in.downsample_x = o->downsampleX;
    in.downsample_y = o->downsampleY;
    in.output_origin_x = o->outputOriginX;
    in.output_origin_y = o->outputOriginY;
    context.downsampleX = o->downsampleX;
    context.downsampleY = o->downsampleY;
  }
  if (call.render != nullptr) {
    in.width = call.render->input.width;
    in.height = call.render->input.height;
    in.extent_hint = {0, 0, in.width, in.height};
  }
  {
    std::lock_guard lock(instance.mutex);
    in.sequence_data = call.useOwnSequence ? call.sequence : instance.sequenceData;
    if (call.passParams) {
      call.params.fill(instance.values);
      call.params.records[0].u.ld = call.render ? call.render->input : World::emptyLayerDef();
      for (std::size_t i = 1; i < call.params.records.size(); ++i) {
        if (call.params.records[i].param_type == PF_Param_LAYER && instance.layers[i]) {
          call.params.records[i].u.ld = instance.layers[i]->def();
        }
      }
    }
  }
  // Global and sequence data arrive in PF_InData only; PF_OutData's handle
  // fields are empty on entry, and what the effect leaves there is its
  // answer.
  PF_OutData& out = call.out;
  out = PF_OutData{};
  out.out_flags = call.presetOutFlags;
  out.out_flags2 = call.presetOutFlags2;
  call.outcome = runCommand(context, call.cmd, in, out, call.params.data(), call.output, call.extra,
                            call.mustDispose, call.mayReturn);
  return statusOf(host, call.outcome);
}

void takeOverChangedValues(Instance::State& instance, ParamArray& params) {
  std::lock_guard lock(instance.mutex);
  for (std::size_t i = 1; i < params.records.size() && i < instance.values.size(); ++i) {
    PF_ParamDef& changed = params.records[i];
    if ((changed.uu.change_flags & PF_ChangeFlag_CHANGED_VALUE) == 0) continue;
    if (changed.param_type != instance.values[i].param_type) continue;
    if (changed.param_type == PF_Param_LAYER) continue;  // layers are chosen by the user only
    const auto id = instance.values[i].uu;
    instance.values[i].u = changed.u;
    instance.values[i].uu = id;
  }
}

}  // namespace kestrow::host
