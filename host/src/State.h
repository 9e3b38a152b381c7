// The host's private state: what a loaded plug-in, an effect instance and a
// running command hold. Shared by the callback and suite implementations,
// which reach the running command through a thread-local pointer because the
// effect API's callbacks carry no user data.
#pragma once

#include <atomic>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

#include "AE_EffectSmartRender.h"
#include "AE_GeneralPlug.h"
#include "DynamicLibrary.h"
#include "HostObserver.h"
#include "ThreadPool.h"
#include "kestrow/host/Accounting.h"
#include "kestrow/host/Host.h"
#include "kestrow/host/Instance.h"

namespace kestrow::host {

// The state behind the public classes, for the library's own sources and
// the test library.
struct StateOf {
  static const std::shared_ptr<Host::State>& host(const Host& host) { return host.state_; }
  static const std::shared_ptr<Instance::State>& instance(const Instance& instance) {
    return instance.state_;
  }
};

// What effect_ref points to: tells the host which instance a callback is for.
struct EffectRefTag {
  static constexpr std::uint32_t kMagic = 0x4B455354;
  std::uint32_t magic = kMagic;
  Instance::State* instance = nullptr;  // null for instance-less commands
};

struct Host::State {
  explicit State(HostOptions opts) : options(opts), pool(opts.iterateThreads) {}

  HostOptions options;
  // Null in the product; set once, before the first command, by the test
  // library.
  std::shared_ptr<HostObserver> observer;
  ThreadPool pool;

  DynamicLibrary library;
  PF_FilterProc entry = nullptr;
  PiPL pipl;
  bool loaded = false;

  PF_Handle globalData = nullptr;
  A_u_long version = 0;
  PF_OutFlags outFlags = 0;
  PF_OutFlags2 outFlags2 = 0;
  std::vector<ParamInfo> params;
  EffectRefTag tag;  // effect_ref of instance-less commands

  std::mutex aegpMutex;
  A_long pluginId = 0;  // 0: not registered
  A_long nextPluginId = 0x2A;
  std::atomic<int> handleAllocations{0};

  std::mutex instancesMutex;
  // Instances to set down at unload; those gone are dropped as new ones come.
  std::vector<std::weak_ptr<Instance::State>> instances;
};

struct Instance::State {
  std::shared_ptr<Host::State> host;
  EffectRefTag tag;

  mutable std::mutex mutex;  // guards everything below
  std::vector<PF_ParamDef> values;
  std::vector<std::shared_ptr<World>> layers;  // per index, layer controls only
  std::vector<PF_PixelFloat> floatColors;      // per index, colour controls only
  std::vector<AEGP_DynStreamFlags> dynamicFlags;
  PF_Handle sequenceData = nullptr;
  A_long flatSize = 0;
  int rerenders = 0;
  PF_OutFlags dynamicOutFlags = 0;
  PF_OutFlags2 dynamicOutFlags2 = 0;
  bool closed = false;

  std::mutex renderMutex;  // serialises renders sharing one sequence block
  // Between beginRender() and endRender(): each render thread's own copy of
  // the sequence block (mutable render-time sequence data).
  bool renderOpen = false;
  std::map<std::thread::id, PF_Handle> renderCopies;
};

// A render's checked-out layers and worlds, reached by the smart callbacks.
struct RenderState {
  PF_LayerDef input{};
  PF_LayerDef output{};
  struct Checkout {
    A_long id;
    PF_ParamIndex index;
    PF_RenderRequest request;
    bool taken = false;  // its pixels were checked out in render (once only)
  };
  std::vector<Checkout> checkouts;
  std::deque<PF_LayerDef> handedOut;  // copies lent to the plug-in (stable addresses)
};

struct AegpEffectRef {
  Instance::State* instance;
};
struct AegpStreamRef {
  Instance::State* instance;
  PF_ParamIndex index;
  const AegpEffectRef* effect;  // the effect reference it came from
};

// One command in progress on this thread.
struct CommandContext {
  Host::State* host = nullptr;
  Instance::State* instance = nullptr;
  PF_Cmd cmd = 0;
  const EffectRefTag* effectRef = nullptr;
  PF_ParamDef** params = nullptr;  // the array passed with the command, if any
  // Preview resolution of a render: point controls are scaled by these.
  PF_RationalScale downsampleX{1, 1};
  PF_RationalScale downsampleY{1, 1};
  int numParams = 0;
  RenderState* render = nullptr;

  std::map<std::pair<std::string, int>, int> suites;
  std::vector<std::pair<PF_ParamDef*, PF_ParamIndex>> checkedOut;
  std::vector<PF_ParamDef*> failedCheckouts;  // may be checked in without a slip
  std::unordered_map<AegpEffectRef*, std::unique_ptr<AegpEffectRef>> effectRefs;
  std::unordered_map<AegpStreamRef*, std::unique_ptr<AegpStreamRef>> streamRefs;
  std::vector<PF_Handle> handlesMade;
  std::vector<std::shared_ptr<World>> keepAlive;  // layers lent out during the command
  // Protocol slips that are not leaks: check-ins of records never checked
  // out, releases of unknown references, calls with an unknown effect_ref.
  int stray = 0;
  std::vector<std::string> misuses;            // see CommandOutcome::misuses
  std::vector<HostCallId> unimplementedCalls;  // see Unimplemented.h
  int suitesAcquired = 0;                      // acquisitions made during the command
  int paramCheckins = 0;                       // checkin_param calls, accepted or not
  std::atomic<int> iterateRows{0};             // rows run by iterate_origin
  std::mutex mutex;  // for the few members callbacks might touch from iterate workers
};

// The command running on this thread, or null.
CommandContext* currentContext();

// Records a breach of the documented protocol in the running command (if
// any): `what` says which call and why.
void noteMisuse(CommandContext* context, std::string what);

// Tells the host's observer, if there is one, what a call of the running
// command acted on; `describe()` makes the text only then.
template <typename Describe>
void noteTarget(CommandContext& context, Describe describe) {
  if (HostObserver* observer = context.host->observer.get()) {
    observer->callTarget(context, describe());
  }
}

// Makes `context` the current one for its lifetime.
class ContextScope {
 public:
  explicit ContextScope(CommandContext& context);
  ~ContextScope();
  ContextScope(const ContextScope&) = delete;
  ContextScope& operator=(const ContextScope&) = delete;

 private:
  CommandContext* previous_;
};

// The tables handed to the plug-in.
const SPBasicSuite* basicSuite();
PF_UtilCallbacks* utilCallbacks();
PF_InteractCallbacks interactCallbacks();
PF_PreRenderCallbacks* preRenderCallbacks();
PF_SmartRenderCallbacks* smartRenderCallbacks();

// Calls the entry point inside `context`, catching anything it throws, and
// makes the command's outcome: leaks are what the context still holds
// (handles a successful command handed back in out.global_data or
// out.sequence_data excepted). Leaked references are freed. The host's
// observer, if any, is told the outcome.
// `mustDispose` is a handle the command is expected to dispose of (global
// or sequence data at set-down) or, with `mayReturn`, to dispose of or hand
// back in out.sequence_data (re-setup, flatten); still alive otherwise, it
// counts as leaked.
CommandOutcome runCommand(CommandContext& context, PF_Cmd cmd, PF_InData& in, PF_OutData& out,
                          PF_ParamDef** params, PF_LayerDef* output, void* extra,
                          PF_Handle mustDispose = nullptr, bool mayReturn = false);

// Status of a finished command: ok, kPluginError (with return_msg when the
// plug-in asked to show it), kPluginThrew, or kLeak in strict mode.
Status statusOf(const Host::State& host, const CommandOutcome& outcome);

// PF_InData as the host fills it (callbacks, basic suite, appl_id, global
// data, default time, full-resolution scale).
PF_InData baseInData(const Host::State& host, const EffectRefTag* effectRef);

// The records the host passes with a command: copies of `values` (index 0
// replaced by `input`), and the pointer array to them.
struct ParamArray {
  std::vector<PF_ParamDef> records;
  std::vector<PF_ParamDef*> pointers;
  void fill(const std::vector<PF_ParamDef>& values);
  PF_ParamDef** data() { return pointers.empty() ? nullptr : pointers.data(); }
};

// Parameter index of a PF_ParamDef pointer within the context's array, or -1.
PF_ParamIndex paramIndexOf(const CommandContext& context, const PF_ParamDef* def);

}  // namespace kestrow::host
