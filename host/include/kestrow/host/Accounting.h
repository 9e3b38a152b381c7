// What one command left behind and what it did: the host's accounting,
// recorded after every call into the plug-in.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "AE_Effect.h"

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
  // anyway ("Table.member", once per call): a plug-in calling a wrong slot.
  std::vector<std::string> unimplementedCalls;

  bool empty() const;
  std::string describe() const;  // one line, "" when empty
};

// One call of the plug-in's entry point.
struct CommandRecord {
  PF_Cmd cmd = 0;
  PF_Err err = PF_Err_NONE;
  bool threw = false;  // an exception left the entry point; err is then 512
  PF_OutData out{};    // PF_OutData as the plug-in left it
  LeakReport leaks;
  // Protocol slips that are not leaks: check-ins of records never checked
  // out, releases of unknown references, calls with an unknown effect_ref.
  int strayCalls = 0;
  // Breaches of the documented protocol that After Effects would not
  // forgive, one line each: a layer check-out id that is not positive or
  // not unique, layer pixels not checked out in pre-render or taken twice,
  // a layer control read with checkout_param while smart rendering, an
  // effect reference disposed of while streams from it live, a handle
  // disposed of twice. The command still gets the answer a lenient host
  // would give, or an error where After Effects gives one.
  std::vector<std::string> misuses;
  int suitesAcquired = 0;  // acquisitions made during the command
  int paramCheckins = 0;   // checkin_param calls during the command
  int iterateRows = 0;     // rows run by iterate_origin during the command
  // Every call the plug-in made into the host, in order, by slot
  // ("Table.member"), and the one a fault was injected into (1-based; 0
  // for none).
  int hostCalls = 0;
  std::vector<std::string> hostCallLog;
  int faultAt = 0;
  // What the calls that name a parameter or a suite acted on, in call order:
  // "checkout_param 16", "checkin_param 16", "AcquireSuite PF World Suite 2",
  // "ReleaseSuite PF World Suite 2". Calls that failed are left out.
  std::vector<std::string> callTargets;
};

// Short name of a command code, e.g. "SMART_RENDER"; "CMD_<n>" if unknown.
std::string commandName(PF_Cmd cmd);

}  // namespace kestrow::host
