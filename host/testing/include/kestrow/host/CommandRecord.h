// What the test host keeps of one call of the plug-in's entry point: what
// became of it and every call the plug-in made into the host.
#pragma once

#include <string>
#include <vector>

#include "AE_Effect.h"
#include "kestrow/host/Accounting.h"
#include "kestrow/host/HostCalls.h"

namespace kestrow::host {

struct CommandRecord : CommandOutcome {
  // Protocol slips that are not leaks: check-ins of records never checked
  // out, releases of unknown references, calls with an unknown effect_ref.
  int strayCalls = 0;
  int suitesAcquired = 0;  // acquisitions made during the command
  int paramCheckins = 0;   // checkin_param calls during the command
  int iterateRows = 0;     // rows run by iterate_origin during the command
  // Every call the plug-in made into the host, in order, and the one a
  // fault was injected into (1-based; 0 for none).
  int hostCalls = 0;
  std::vector<HostCallId> hostCallLog;
  int faultAt = 0;
  // What the calls that name a parameter or a suite acted on, in call order:
  // "checkout_param 16", "checkin_param 16", "AcquireSuite PF World Suite 2",
  // "ReleaseSuite PF World Suite 2". Calls that failed are left out.
  std::vector<std::string> callTargets;
};

}  // namespace kestrow::host
