// Fault injection: the test host's way to make the plug-in's calls into it
// fail on purpose, so that tests reach the plug-in's error paths. Every call
// the plug-in makes into the host (basic suite, every suite function, the
// utils and inter callbacks, the smart-render callbacks) passes through one
// entry point, where the test host's observer counts it per command and
// fails it when asked to, with the failure that call can really have: an error code; a null handle
// or pointer (new and lock handle); an error and a null table (AcquireSuite); for a call that gives
// something back (check-in, release, dispose), the thing is taken back and the error reported.
// Calls that cannot fail (void ones, the ANSI helpers) are counted and never failed.
//
// All members default to "no fault". Change them only between commands.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "AE_Effect.h"
#include "AE_EffectSuites.h"
#include "kestrow/host/HostCalls.h"

namespace kestrow::host {

enum class MissingSuiteMode {
  kNullTable,     // AcquireSuite returns no error but a null table
  kError,         // returns an error and leaves the table untouched
  kErrorAndNull,  // returns an error and a null table
};

// Calls that fail: those to the slot `call` that match the rest.
struct FaultRule {
  HostCallId call;
  std::optional<A_long> index;  // only calls naming this parameter index
  std::optional<PF_Cmd> cmd;    // only calls made during this command
  std::string suite;            // AcquireSuite: only for this suite name ...
  int version = 0;              // ... and version
  MissingSuiteMode mode = MissingSuiteMode::kErrorAndNull;  // AcquireSuite's answer
  // 0: every matching call; n: only the nth from now on (1 = the next). The
  // host counts it down as calls match; it reads -1 once spent.
  int nth = 0;
};

struct FaultInjection {
  // Error code every injected failure returns (AcquireSuite: the basic
  // suite's own "not found"). Distinct from the codes the plug-in makes
  // itself, so tests can tell which side failed.
  PF_Err error = PF_Err_INVALID_CALLBACK;

  // The Nth host call (1 = the first) of each command fails, or only of
  // command `failCallIn` when set; 0: none.
  int failCall = 0;
  std::optional<PF_Cmd> failCallIn;

  std::vector<FaultRule> rules;

  // Not a failure: PF_GetPixelFormat answers this instead of the truth.
  std::optional<PF_PixelFormat> reportPixelFormat;

  // Every call to `call` fails; with `index`, only those naming that
  // parameter (checkout_param, AEGP_GetNewEffectStreamByIndex).
  FaultInjection& fail(HostCallId call, std::optional<A_long> index = {}) {
    FaultRule& rule = rules.emplace_back();
    rule.call = call;
    rule.index = index;
    return *this;
  }
  // Calls matched by the last rule added fail only during command `cmd`.
  FaultInjection& during(PF_Cmd cmd) {
    if (!rules.empty()) rules.back().cmd = cmd;
    return *this;
  }
  // Only the nth call to `call` from now on fails (1 = the next one).
  FaultInjection& failNth(HostCallId call, int nth) {
    FaultRule& rule = rules.emplace_back();
    rule.call = call;
    rule.nth = nth;
    return *this;
  }
  // The host does not have this suite: AcquireSuite answers as `mode` says.
  FaultInjection& missingSuite(std::string name, int version,
                               MissingSuiteMode mode = MissingSuiteMode::kErrorAndNull) {
    FaultRule& rule = rules.emplace_back();
    rule.call = HostCallId::SPBasicSuite_AcquireSuite;
    rule.suite = std::move(name);
    rule.version = version;
    rule.mode = mode;
    return *this;
  }
};

}  // namespace kestrow::host
