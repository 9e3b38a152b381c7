#include "kestrow/host/Status.h"

namespace kestrow::host {

const char* statusCodeName(StatusCode code) {
  switch (code) {
    case StatusCode::kOk:
      return "ok";
    case StatusCode::kInvalidArgument:
      return "invalid argument";
    case StatusCode::kWrongState:
      return "wrong state";
    case StatusCode::kLoadFailed:
      return "load failed";
    case StatusCode::kPiPLInvalid:
      return "invalid PiPL";
    case StatusCode::kPiPLMismatch:
      return "PiPL mismatch";
    case StatusCode::kPluginError:
      return "plug-in error";
    case StatusCode::kPluginThrew:
      return "plug-in threw";
    case StatusCode::kLeak:
      return "leak";
  }
  return "unknown";
}

}  // namespace kestrow::host
