// The one fault point: every function the host hands the plug-in is entered
// through HostCall, which counts the call for the running command, logs its
// slot, and fails it when the test asked for that (Faults.h).
//
// A table entry is written KESTROW_HOST_CALL(Table, member, function,
// failure) inside the table's designated initialiser; `failure` says what
// failing looks like for that call.
#pragma once

#include <algorithm>
#include <cstddef>
#include <tuple>
#include <type_traits>

#include "SPBasic.h"
#include "kestrow/host/Faults.h"

namespace kestrow::host {

enum class Failure {
  kNever,        // cannot fail (void calls, the ANSI helpers): counted only
  kError,        // returns the error, doing nothing
  kErrorAfter,   // gives back what it was handed (a release), then reports the error
  kNull,         // returns null, doing nothing
  kMissingSuite  // AcquireSuite: no table, as the rule's mode says
};

// One call as the fault point sees it.
struct HostCallInfo {
  const char* slot;  // "Table.member"
  Failure failure;
  A_long index = -1;            // parameter index the call names, if any
  const char* suite = nullptr;  // AcquireSuite: the suite asked for
  int version = 0;
};

struct InjectedFault {
  bool fail = false;
  PF_Err error = PF_Err_NONE;
  MissingSuiteMode mode = MissingSuiteMode::kErrorAndNull;
};

// Counts and logs the call in the running command (none outside a command:
// nothing is counted or failed) and decides whether it fails.
InjectedFault enterHostCall(const HostCallInfo& call);

// The basic suite's "no such suite" code (four characters, as the host's).
constexpr SPErr kSuiteNotFound = SPErr(PF_FOURCC('S', '!', 'F', 'd'));

// A slot name as a template argument.
template <std::size_t N>
struct SlotName {
  constexpr SlotName(const char (&text)[N]) { std::copy_n(text, N, this->text); }
  char text[N];
};

// The table entry for `Fn`. `IndexArg` is the position of the argument that
// names a parameter index (-1: none); `OnFail` runs with the arguments when
// the call is failed (bookkeeping the host keeps for a failed call).
template <SlotName Slot, auto Fn, Failure F, int IndexArg = -1, auto OnFail = nullptr>
struct HostCall;

template <SlotName Slot, typename R, typename... A, R (*Fn)(A...), Failure F, int IndexArg,
          auto OnFail>
struct HostCall<Slot, Fn, F, IndexArg, OnFail> {
  static R call(A... args) {
    HostCallInfo info{Slot.text, F};
    if constexpr (IndexArg >= 0) {
      info.index = A_long(std::get<IndexArg>(std::tie(args...)));
    }
    if constexpr (F == Failure::kMissingSuite) {
      info.suite = std::get<0>(std::tie(args...));
      info.version = int(std::get<1>(std::tie(args...)));
    }
    const InjectedFault fault = enterHostCall(info);
    if constexpr (F != Failure::kNever) {
      if (fault.fail) {
        if constexpr (!std::is_same_v<decltype(OnFail), std::nullptr_t>) OnFail(args...);
        return failed(fault, args...);
      }
    }
    return Fn(args...);
  }

 private:
  static R failed(const InjectedFault& fault, A... args) {
    if constexpr (F == Failure::kNull) {
      return nullptr;
    } else if constexpr (F == Failure::kMissingSuite) {
      const void** table = std::get<2>(std::tie(args...));
      if (table != nullptr && fault.mode != MissingSuiteMode::kError) *table = nullptr;
      return fault.mode == MissingSuiteMode::kNullTable ? kSPNoError : kSuiteNotFound;
    } else {
      if constexpr (F == Failure::kErrorAfter) (void)Fn(args...);
      return R(fault.error);
    }
  }
};

}  // namespace kestrow::host

#define KESTROW_HOST_CALL(table, member, function, failure, ...)                        \
  .member = &::kestrow::host::HostCall<#table "." #member, function,                    \
                                       ::kestrow::host::Failure::failure __VA_OPT__(, ) \
                                           __VA_ARGS__>::call
