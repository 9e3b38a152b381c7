// What one command left behind and what became of it: the host's
// accounting, made after every call into the plug-in. Strict mode
// (HostOptions::strict) fails a command that left anything, or breached the
// protocol, with the reason.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "AE_Effect.h"
#include "kestrow/host/HostCalls.h"

namespace kestrow::host {

struct SuiteBalance {
  std::string name;
  int version = 0;
  int count = 0;  // acquisitions minus releases: > 0 still held, < 0 over-released
};

// Everything a command still held when it returned. A handle handed back to
// the host as global or sequence data is not a leak.
struct LeakReport {
  std::vector<std::uint64_t> handleSizes;  // one entry per handle left allocated
  std::vector<SuiteBalance> suites;        // non-zero balances only
  std::vector<PF_ParamIndex> paramsCheckedOut;
  int effectRefs = 0;                     // AEGP effect references not disposed
  std::vector<PF_ParamIndex> streamRefs;  // stream references not disposed (their index)
  int lockedHandles = 0;                  // handles still locked after the command
  // Slots of the published tables that the host does not implement, called
  // anyway (once per call): a plug-in calling a wrong slot.
  std::vector<HostCallId> unimplementedCalls;

  bool empty() const;
  std::string describe() const;  // one line, "" when empty
};

// What became of one call of the entry point. The host keeps it only until
// the command's status is made.
struct CommandOutcome {
  PF_Cmd cmd = 0;
  PF_Err err = PF_Err_NONE;
  bool threw = false;  // an exception left the entry point; err is then 512
  PF_OutData out{};    // PF_OutData as the plug-in left it
  LeakReport leaks;
  // Breaches of the documented protocol that After Effects would not
  // forgive, one line each: a layer check-out id that is not positive or
  // not unique, layer pixels not checked out in pre-render or taken twice,
  // a layer control read with checkout_param while smart rendering, an
  // effect reference disposed of while streams from it live, a handle
  // disposed of twice. The command still gets the answer a lenient host
  // would give, or an error where After Effects gives one.
  std::vector<std::string> misuses;
};

// Short name of a command code, e.g. "SMART_RENDER"; "CMD_<n>" if unknown.
std::string commandName(PF_Cmd cmd);

}  // namespace kestrow::host
