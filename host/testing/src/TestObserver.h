// The observer a TestHost installs: fails calls into the host as its fault
// settings say and keeps a record of every command. One mutex guards it all;
// it never takes a command context's mutex (HostObserver.h).
#pragma once

#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "HostObserver.h"
#include "kestrow/host/CommandRecord.h"
#include "kestrow/host/Faults.h"

namespace kestrow::host::hooks {

class TestObserver final : public HostObserver {
 public:
  CallAnswer enterCall(CommandContext& context, const HostCallInfo& call) override;
  void callTarget(CommandContext& context, std::string target) override;
  std::optional<PF_PixelFormat> pixelFormat(CommandContext& context) override;
  void commandEnded(CommandContext& context, const CommandOutcome& outcome) override;

  // Changed by tests between commands only.
  FaultInjection faults;

  std::vector<CommandRecord> log() const;
  CommandRecord last() const;  // a default record when the log is empty
  void clearLog();

 private:
  // What a running command did so far that the host does not count itself.
  struct Trace {
    std::vector<HostCallId> calls;
    int faultAt = 0;
    std::vector<std::string> targets;
  };

  mutable std::mutex mutex_;
  std::unordered_map<const CommandContext*, Trace> running_;
  std::vector<CommandRecord> log_;
};

}  // namespace kestrow::host::hooks
