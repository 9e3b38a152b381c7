// Result of every host library call: a code, the plug-in's PF_Err where one
// is involved, and a message for people. The library reports every failure
// that can happen at run time this way; it never asserts and never lets an
// exception out, except std::bad_alloc where memory runs out.
#pragma once

#include <string>

#include "AE_Effect.h"

namespace kestrow::host {

enum class StatusCode {
  kOk = 0,
  kInvalidArgument,  // the caller handed something unusable (bad index, size, type)
  kWrongState,       // no plug-in loaded, instance already gone, ...
  kLoadFailed,       // file missing, not a library, entry point not found
  kPiPLInvalid,      // PiPL missing or malformed
  kPiPLMismatch,     // PiPL disagrees with what global set-up announced
  kPluginError,      // a command returned a PF_Err other than PF_Err_NONE
  kPluginThrew,      // an exception came out of the entry point
  kLeak,             // strict mode: the command left something behind
};

struct Status {
  StatusCode code = StatusCode::kOk;
  PF_Err pfErr = PF_Err_NONE;  // the command's result, when a command failed
  std::string message;

  bool ok() const { return code == StatusCode::kOk; }

  static Status success() { return {}; }
  static Status error(StatusCode code, std::string message, PF_Err pfErr = PF_Err_NONE) {
    return {code, pfErr, std::move(message)};
  }
};

// "ok", "invalid argument", ...: for messages.
const char* statusCodeName(StatusCode code);

}  // namespace kestrow::host
