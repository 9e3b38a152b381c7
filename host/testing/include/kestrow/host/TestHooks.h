// Test hooks of the in-process host: a host that records every command and
// fails calls into it on request, renders that report what pre-render
// checked out, commands sent with records the caller builds, and control
// values stored unchecked. They sit apart from Host and Instance (library
// kestrow_host_testing) so that the tool, which links only kestrow_host,
// cannot reach them, and the product host keeps nothing of its commands.
#pragma once

#include <memory>
#include <vector>

#include "AE_Effect.h"
#include "AE_EffectSmartRender.h"
#include "kestrow/host/CommandRecord.h"
#include "kestrow/host/Faults.h"
#include "kestrow/host/Host.h"
#include "kestrow/host/Instance.h"
#include "kestrow/host/Status.h"
#include "kestrow/host/World.h"

namespace kestrow::host::hooks {

class TestObserver;

// A Host that keeps a record of every command it sends from its
// construction on, and fails calls into it as faults() says. Thread safety
// as Host; records of concurrent renders are kept in the order they finish.
class TestHost : public Host {
 public:
  explicit TestHost(HostOptions options = {});

  // Every command sent since construction (or the last clearCommandLog), in
  // order.
  std::vector<CommandRecord> commandLog() const;
  CommandRecord lastCommand() const;  // a default record when the log is empty
  void clearCommandLog();

 private:
  friend FaultInjection& faults(TestHost& host);
  std::shared_ptr<TestObserver> observer_;
};

// The test host's fault settings; change them only between commands.
FaultInjection& faults(TestHost& host);

// Result of one render.
struct RenderReport {
  PF_PreRenderOutput preRender{};                  // as the last pre-render left it
  std::vector<A_long> checkoutIds;                 // ids checked out in pre-render
  std::vector<PF_RenderRequest> checkoutRequests;  // their requests, same order
  PF_Err preRenderErr = PF_Err_NONE;
  PF_Err renderErr = PF_Err_NONE;
};

// Instance::render, reporting what its commands did.
Status render(Instance& instance, World& input, World& output, const RenderOptions& options,
              RenderReport& report);

// True while every padding byte of the world's rows still holds the guard
// pattern the host filled them with: nothing wrote past a row's end.
bool paddingIntact(const World& world);

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
