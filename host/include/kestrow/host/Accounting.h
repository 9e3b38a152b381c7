// What one command left behind: the host's accounting, made after every
// call into the plug-in. Strict mode (HostOptions::strict) fails a command
// that left anything, with describe() as the reason.
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

// Short name of a command code, e.g. "SMART_RENDER"; "CMD_<n>" if unknown.
std::string commandName(PF_Cmd cmd);

}  // namespace kestrow::host
