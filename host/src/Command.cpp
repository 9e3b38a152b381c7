#include <algorithm>
#include <cstring>
#include <exception>

#include "HandleRegistry.h"
#include "State.h"

namespace kestrow::host {
namespace {
thread_local CommandContext* t_current = nullptr;
}  // namespace

CommandContext* currentContext() { return t_current; }

void noteMisuse(CommandContext* context, std::string what) {
  if (context == nullptr) return;
  std::lock_guard lock(context->mutex);
  context->misuses.push_back(std::move(what));
}

ContextScope::ContextScope(CommandContext& context) : previous_(t_current) { t_current = &context; }
ContextScope::~ContextScope() { t_current = previous_; }

PF_InData baseInData(const Host::State& host, const EffectRefTag* effectRef) {
  PF_InData in{};
  in.inter = interactCallbacks();
  in.utils = utilCallbacks();
  in.effect_ref = reinterpret_cast<PF_ProgPtr>(const_cast<EffectRefTag*>(effectRef));
  in.quality = 1;
  in.version = {13, 27};  // effect API 13.27, as the PiPL's spec version
  in.appl_id = host.options.applId;
  in.num_params = A_long(host.params.size());
  in.current_time = 0;
  in.time_step = 1;
  in.local_time_step = 1;
  in.time_scale = 24;
  in.total_time = 24;
  in.downsample_x = {1, 1};
  in.downsample_y = {1, 1};
  in.pixel_aspect_ratio = {1, 1};
  in.global_data = host.globalData;
  // The published record points at a mutable table; ours is constant and
  // never written through.
  in.pica_basicP = const_cast<SPBasicSuite*>(basicSuite());
  return in;
}

PF_ParamIndex paramIndexOf(const CommandContext& context, const PF_ParamDef* def) {
  for (int i = 0; context.params != nullptr && i < context.numParams; ++i) {
    if (context.params[i] == def) return i;
  }
  return -1;
}

void ParamArray::fill(const std::vector<PF_ParamDef>& values) {
  records = values;
  pointers.resize(records.size());
  for (std::size_t i = 0; i < records.size(); ++i) pointers[i] = &records[i];
}

CommandOutcome runCommand(CommandContext& context, PF_Cmd cmd, PF_InData& in, PF_OutData& out,
                          PF_ParamDef** params, PF_LayerDef* output, void* extra,
                          PF_Handle mustDispose, bool mayReturn) {
  Host::State& host = *context.host;
  context.cmd = cmd;
  context.params = params;
  context.numParams = params ? in.num_params : 0;
  CommandOutcome outcome;
  outcome.cmd = cmd;
  {
    ContextScope scope(context);
    try {
      outcome.err = host.entry(cmd, &in, &out, params, output, extra);
    } catch (...) {
      // Nothing may cross back into the host's caller; an exception is the
      // plug-in's failure, reported as damaged internals.
      outcome.threw = true;
      outcome.err = PF_Err_INTERNAL_STRUCT_DAMAGED;
    }
  }
  outcome.out = out;
  outcome.misuses = std::move(context.misuses);
  context.misuses.clear();

  LeakReport& leaks = outcome.leaks;
  HandleRegistry& handles = handleRegistry();
  for (PF_Handle handle : context.handlesMade) {
    if (!handles.contains(handle)) continue;
    if (handles.lockCount(handle) > 0) ++leaks.lockedHandles;
    // Handed back to the host, which adopts them only from a successful command.
    if (outcome.err == PF_Err_NONE && (handle == out.global_data || handle == out.sequence_data)) {
      continue;
    }
    leaks.handleSizes.push_back(handles.size(handle).value_or(0));
  }
  const bool returned = mayReturn && outcome.err == PF_Err_NONE && mustDispose == out.sequence_data;
  if (mustDispose != nullptr && handles.contains(mustDispose) && !returned) {
    leaks.handleSizes.push_back(handles.size(mustDispose).value_or(0));
  }
  for (const auto& [key, count] : context.suites) {
    if (count != 0) leaks.suites.push_back({key.first, key.second, count});
  }
  for (const auto& [def, index] : context.checkedOut) leaks.paramsCheckedOut.push_back(index);
  leaks.effectRefs = int(context.effectRefs.size());
  for (const auto& [ref, owned] : context.streamRefs) leaks.streamRefs.push_back(ref->index);
  std::sort(leaks.streamRefs.begin(), leaks.streamRefs.end());
  leaks.unimplementedCalls = std::move(context.unimplementedCalls);
  context.unimplementedCalls.clear();
  context.effectRefs.clear();
  context.streamRefs.clear();
  context.suites.clear();
  context.checkedOut.clear();
  context.failedCheckouts.clear();
  context.handlesMade.clear();
  context.keepAlive.clear();

  if (HostObserver* observer = host.observer.get()) observer->commandEnded(context, outcome);
  return outcome;
}

Status statusOf(const Host::State& host, const CommandOutcome& outcome) {
  const std::string name = commandName(outcome.cmd);
  if (outcome.threw) {
    return Status::error(StatusCode::kPluginThrew, name + ": the plug-in threw an exception",
                         outcome.err);
  }
  if (outcome.err != PF_Err_NONE) {
    std::string message = name + " failed with error " + std::to_string(outcome.err);
    if ((outcome.out.out_flags & PF_OutFlag_DISPLAY_ERROR_MESSAGE) != 0) {
      const char* msg = outcome.out.return_msg;
      message += ": " + std::string(msg, strnlen(msg, sizeof outcome.out.return_msg));
    }
    return Status::error(StatusCode::kPluginError, message, outcome.err);
  }
  if (host.options.strict && !outcome.leaks.empty()) {
    return Status::error(StatusCode::kLeak, name + ": " + outcome.leaks.describe());
  }
  if (host.options.strict && !outcome.misuses.empty()) {
    return Status::error(StatusCode::kLeak, name + ": " + outcome.misuses.front());
  }
  return Status::success();
}

}  // namespace kestrow::host
