// What the host tells an observer while commands run, and the few answers it
// takes from one. The product host has none (Host::State::observer is null)
// and pays one pointer test per call into the host; the test library
// installs one that fails calls on request and keeps a record of every
// command.
//
// Thread safety: renders of one instance may run on several threads at
// once, so every hook may be called from several threads at once, each for
// its own command (context). The host may call a hook while it holds the
// context's mutex; an observer must not take that mutex.
#pragma once

#include <optional>
#include <string>

#include "AE_Effect.h"
#include "AE_EffectSuites.h"
#include "kestrow/host/HostCalls.h"

namespace kestrow::host {

struct CommandContext;
struct CommandOutcome;

// What failing looks like for one slot.
enum class Failure {
  kNever,        // cannot fail (void calls, the ANSI helpers): counted only
  kError,        // returns the error, doing nothing
  kErrorAfter,   // gives back what it was handed (a release), then reports the error
  kNull,         // returns null, doing nothing
  kMissingSuite  // AcquireSuite: no table, as the answer's suiteAnswer says
};

// One call into the host as it is entered.
struct HostCallInfo {
  HostCallId id;
  Failure failure;
  A_long index = -1;            // parameter index the call names, if any
  const char* suite = nullptr;  // AcquireSuite: the suite asked for
  int version = 0;
};

// How AcquireSuite answers when it fails.
enum class SuiteAnswer {
  kNullTable,     // no error, but a null table
  kError,         // an error; the table is left untouched
  kErrorAndNull,  // an error and a null table
};

// Whether a call runs or fails, and how it fails.
struct CallAnswer {
  bool fail = false;
  PF_Err error = PF_Err_NONE;
  SuiteAnswer suiteAnswer = SuiteAnswer::kErrorAndNull;
};

class HostObserver {
 public:
  virtual ~HostObserver() = default;

  // A call into the host during `context`'s command, before it runs; a
  // call of Failure::kNever runs whatever the answer says.
  virtual CallAnswer enterCall(CommandContext& context, const HostCallInfo& call) = 0;

  // What a call that names a parameter or a suite acted on, in call order:
  // "checkout_param 16", "AcquireSuite PF World Suite 2". Calls that failed
  // are not told.
  virtual void callTarget(CommandContext& context, std::string target) = 0;

  // PF_GetPixelFormat's answer in place of the world's own format, if any.
  virtual std::optional<PF_PixelFormat> pixelFormat(CommandContext& context) = 0;

  // The command returned; `outcome` is what the host made of it. The
  // context's counters still hold the command's values.
  virtual void commandEnded(CommandContext& context, const CommandOutcome& outcome) = 0;
};

}  // namespace kestrow::host
