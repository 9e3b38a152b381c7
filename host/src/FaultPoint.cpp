#include <cstring>

#include "HostCall.h"
#include "State.h"

namespace kestrow::host {
namespace {

// The member name of "Table.member".
const char* memberOf(const char* slot) {
  const char* dot = std::strrchr(slot, '.');
  return dot ? dot + 1 : slot;
}

bool matches(const FaultRule& rule, const HostCallInfo& call, PF_Cmd cmd) {
  if (rule.nth < 0 || rule.call != memberOf(call.slot)) return false;
  if (rule.cmd && *rule.cmd != cmd) return false;
  if (rule.index && *rule.index != call.index) return false;
  if (!rule.suite.empty() &&
      (call.suite == nullptr || rule.suite != call.suite || rule.version != call.version)) {
    return false;
  }
  return true;
}

}  // namespace

InjectedFault enterHostCall(const HostCallInfo& call) {
  CommandContext* context = currentContext();
  if (context == nullptr) return {};
  int number = 0;
  {
    std::lock_guard lock(context->mutex);
    number = ++context->hostCalls;
    context->hostCallLog.push_back(call.slot);
  }
  if (call.failure == Failure::kNever) return {};

  Host::State& host = *context->host;
  std::lock_guard lock(host.faultMutex);
  FaultInjection& faults = host.faults;
  InjectedFault fault{false, faults.error, MissingSuiteMode::kErrorAndNull};
  if (faults.failCall == number && (!faults.failCallIn || *faults.failCallIn == context->cmd)) {
    fault.fail = true;
  }
  for (FaultRule& rule : faults.rules) {
    if (fault.fail) break;
    if (!matches(rule, call, context->cmd)) continue;
    if (rule.nth > 0) {
      if (--rule.nth > 0) continue;
      rule.nth = -1;  // spent
    }
    fault = {true, faults.error, rule.mode};
  }
  if (fault.fail) {
    std::lock_guard contextLock(context->mutex);
    context->faultAt = number;
  }
  return fault;
}

}  // namespace kestrow::host
