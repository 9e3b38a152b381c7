// Test hooks of the in-process host: fault injection, commands sent with
// records the caller builds, and control values stored unchecked. They sit
// apart from Host and Instance (library kestrow_host_testing) so that the
// tool, which links only kestrow_host, cannot reach them.
#pragma once

#include <vector>

#include "AE_Effect.h"
#include "kestrow/host/Faults.h"
#include "kestrow/host/Host.h"
#include "kestrow/host/Instance.h"
#include "kestrow/host/Status.h"

namespace kestrow::host::hooks {

// The host's fault settings; change them only between commands.
FaultInjection& faults(Host& host);

// PF_InData as the host fills it for a command without an instance:
// callbacks, basic suite, appl_id, global data, default time.
PF_InData makeInData(const Host& host);
// The same under the instance's effect_ref, with its sequence data.
PF_InData makeInData(const Instance& instance);

// Sends any command with records the caller controls, outside any instance
// (effect_ref is the host's own) or under the instance's effect_ref. Fill
// `in` from makeInData() and change what the test needs. Accounted like
// every other command; returns the plug-in's PF_Err (512 if it threw). The
// host adopts nothing from `out`. PF_Err_INVALID_CALLBACK when nothing is
// loaded.
PF_Err rawCall(Host& host, PF_Cmd cmd, PF_InData& in, PF_OutData& out, PF_ParamDef** params,
               PF_LayerDef* output, void* extra);
PF_Err rawCall(Instance& instance, PF_Cmd cmd, PF_InData& in, PF_OutData& out, PF_ParamDef** params,
               PF_LayerDef* output, void* extra);

// Copies of an instance's current value records and the pointer array the
// host passes with a command; data() stays valid while this object lives.
struct ParamRecords {
  std::vector<PF_ParamDef> records;
  std::vector<PF_ParamDef*> pointers;
  PF_ParamDef** data() { return pointers.data(); }
};
ParamRecords paramArray(const Instance& instance);

// Stores any record of the control's type, unchecked apart from the type
// (not for layers), then sends what a user's change sends. For tests of
// out-of-range values.
Status setParamRecord(Instance& instance, PF_ParamIndex index, const PF_ParamDef& record);

}  // namespace kestrow::host::hooks
