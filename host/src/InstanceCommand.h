// Sending one command for an effect instance with the records the real host
// passes: the instance's values as the parameter array, its sequence data,
// the host's global data in both records.
#pragma once

#include "State.h"

namespace kestrow::host {

struct InstanceCall {
  PF_Cmd cmd = 0;
  void* extra = nullptr;
  PF_LayerDef* output = nullptr;
  RenderState* render = nullptr;
  const RenderOptions* options = nullptr;  // time, scale, origin of a render
  bool passParams = true;
  bool useOwnSequence = false;  // pass `sequence` instead of the instance's
  PF_Handle sequence = nullptr;
  PF_OutFlags presetOutFlags = 0;  // out_flags / out_flags2 before the call
  PF_OutFlags2 presetOutFlags2 = 0;
  PF_Handle mustDispose = nullptr;
  bool mayReturn = false;  // mustDispose may come back in out.sequence_data instead

  // Filled by the call.
  PF_OutData out{};
  ParamArray params;
  CommandOutcome outcome;
};

// kWrongState when the host is unloaded or the instance closed; otherwise
// the command's status.
Status runInstanceCommand(Instance::State& instance, InstanceCall& call);

// Success when `index` names a control of `type` of an open instance;
// kWrongState or kInvalidArgument otherwise.
Status controlOf(Instance::State& instance, PF_ParamIndex index, PF_ParamType type);

// What the real host sends after the user changed control `index`:
// PF_Cmd_USER_CHANGED_PARAM for a supervised control (taking over the
// values the plug-in marked), then PF_Cmd_UPDATE_PARAMS_UI and
// PF_Cmd_QUERY_DYNAMIC_FLAGS when the plug-in asked for them.
Status afterChange(Instance& instance, Instance::State& state, PF_ParamIndex index);

// Takes over every value the plug-in marked PF_ChangeFlag_CHANGED_VALUE.
void takeOverChangedValues(Instance::State& instance, ParamArray& params);

// What one frame's commands did, for the test library's render report.
struct FrameTrace {
  PF_PreRenderOutput preRender{};                // as the last pre-render left it
  std::vector<RenderState::Checkout> checkouts;  // the last pre-render's, in order
  PF_Err preRenderErr = PF_Err_NONE;
  PF_Err renderErr = PF_Err_NONE;
};

// One frame: options.preRenders smart pre-renders, then the smart render
// unless `preRenderOnly` (Instance::render and preRender); fills `trace`
// when given.
Status renderFrame(Instance::State& instance, World& input, World& output,
                   const RenderOptions& options, bool preRenderOnly, FrameTrace* trace);

}  // namespace kestrow::host
