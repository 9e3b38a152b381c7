#include "TestObserver.h"

#include "State.h"

namespace kestrow::host::hooks {
namespace {

bool matches(const FaultRule& rule, const HostCallInfo& call, PF_Cmd cmd) {
  if (rule.nth < 0 || rule.call != call.id) return false;
  if (rule.cmd && *rule.cmd != cmd) return false;
  if (rule.index && *rule.index != call.index) return false;
  if (!rule.suite.empty() &&
      (call.suite == nullptr || rule.suite != call.suite || rule.version != call.version)) {
    return false;
  }
  return true;
}

SuiteAnswer answerFor(MissingSuiteMode mode) {
  switch (mode) {
    case MissingSuiteMode::kNullTable:
      return SuiteAnswer::kNullTable;
    case MissingSuiteMode::kError:
      return SuiteAnswer::kError;
    case MissingSuiteMode::kErrorAndNull:
      break;
  }
  return SuiteAnswer::kErrorAndNull;
}

}  // namespace

CallAnswer TestObserver::enterCall(CommandContext& context, const HostCallInfo& call) {
  std::lock_guard lock(mutex_);
  Trace& trace = running_[&context];
  trace.calls.push_back(call.id);
  const int number = int(trace.calls.size());
  if (call.failure == Failure::kNever) return {};

  CallAnswer answer{false, faults.error, SuiteAnswer::kErrorAndNull};
  if (faults.failCall == number && (!faults.failCallIn || *faults.failCallIn == context.cmd)) {
    answer.fail = true;
  }
  for (FaultRule& rule : faults.rules) {
    if (answer.fail) break;
    if (!matches(rule, call, context.cmd)) continue;
    if (rule.nth > 0) {
      if (--rule.nth > 0) continue;
      rule.nth = -1;  // spent
    }
    answer = {true, faults.error, answerFor(rule.mode)};
  }
  if (answer.fail) trace.faultAt = number;
  return answer;
}

void TestObserver::callTarget(CommandContext& context, std::string target) {
  std::lock_guard lock(mutex_);
  running_[&context].targets.push_back(std::move(target));
}

std::optional<PF_PixelFormat> TestObserver::pixelFormat(CommandContext&) {
  std::lock_guard lock(mutex_);
  return faults.reportPixelFormat;
}

void TestObserver::commandEnded(CommandContext& context, const CommandOutcome& outcome) {
  CommandRecord record;
  static_cast<CommandOutcome&>(record) = outcome;
  record.strayCalls = context.stray;
  record.suitesAcquired = context.suitesAcquired;
  record.paramCheckins = context.paramCheckins;
  record.iterateRows = context.iterateRows.load();
  std::lock_guard lock(mutex_);
  if (auto it = running_.find(&context); it != running_.end()) {
    record.hostCalls = int(it->second.calls.size());
    record.hostCallLog = std::move(it->second.calls);
    record.faultAt = it->second.faultAt;
    record.callTargets = std::move(it->second.targets);
    running_.erase(it);
  }
  log_.push_back(std::move(record));
}

std::vector<CommandRecord> TestObserver::log() const {
  std::lock_guard lock(mutex_);
  return log_;
}

CommandRecord TestObserver::last() const {
  std::lock_guard lock(mutex_);
  return log_.empty() ? CommandRecord{} : log_.back();
}

void TestObserver::clearLog() {
  std::lock_guard lock(mutex_);
  log_.clear();
}

}  // namespace kestrow::host::hooks
