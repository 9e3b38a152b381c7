// The one entry point: every function the host hands the plug-in is entered
// through HostCall, which tells the host's observer (if any) about the call
// and fails it when the observer says so.
//
// A table entry is written KESTROW_HOST_CALL(Table, member, function,
// failure) inside the table's designated initialiser; `failure` says what
// failing looks like for that call, and HostCallId::Table_member must exist
// (HostCalls.h).
#pragma once

#include <algorithm>
#include <cstddef>
#include <tuple>
#include <type_traits>

#include "HostObserver.h"
#include "SPBasic.h"

namespace kestrow::host {

// Answers whether the call fails: never outside a command or without an
// observer.
CallAnswer enterHostCall(const HostCallInfo& call);

// The basic suite's "no such suite" code (four characters, as the host's).
constexpr SPErr kSuiteNotFound = SPErr(PF_FOURCC('S', '!', 'F', 'd'));

// The table entry for `Fn`. `IndexArg` is the position of the argument that
// names a parameter index (-1: none); `OnFail` runs with the arguments when
// the call is failed (bookkeeping the host keeps for a failed call).
template <HostCallId Id, auto Fn, Failure F, int IndexArg = -1, auto OnFail = nullptr>
struct HostCall;

template <HostCallId Id, typename R, typename... A, R (*Fn)(A...), Failure F, int IndexArg,
          auto OnFail>
struct HostCall<Id, Fn, F, IndexArg, OnFail> {
  static R call(A... args) {
    HostCallInfo info{Id, F};
    if constexpr (IndexArg >= 0) {
      info.index = A_long(std::get<IndexArg>(std::tie(args...)));
    }
    if constexpr (F == Failure::kMissingSuite) {
      info.suite = std::get<0>(std::tie(args...));
      info.version = int(std::get<1>(std::tie(args...)));
    }
    const CallAnswer answer = enterHostCall(info);
    if constexpr (F != Failure::kNever) {
      if (answer.fail) {
        if constexpr (!std::is_same_v<decltype(OnFail), std::nullptr_t>) OnFail(args...);
        return failed(answer, args...);
      }
    }
    return Fn(args...);
  }

 private:
  static R failed(const CallAnswer& answer, A... args) {
    if constexpr (F == Failure::kNull) {
      return nullptr;
    } else if constexpr (F == Failure::kMissingSuite) {
      const void** table = std::get<2>(std::tie(args...));
      if (table != nullptr && answer.suiteAnswer != SuiteAnswer::kError) *table = nullptr;
      return answer.suiteAnswer == SuiteAnswer::kNullTable ? kSPNoError : kSuiteNotFound;
    } else {
      if constexpr (F == Failure::kErrorAfter) (void)Fn(args...);
      return R(answer.error);
    }
  }
};

}  // namespace kestrow::host

#define KESTROW_HOST_CALL(table, member, function, failure, ...)                                \
  .member = &::kestrow::host::HostCall<::kestrow::host::HostCallId::table##_##member, function, \
                                       ::kestrow::host::Failure::failure __VA_OPT__(, )         \
                                           __VA_ARGS__>::call
