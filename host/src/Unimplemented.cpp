#include "Unimplemented.h"

#include "HostCall.h"
#include "State.h"

namespace kestrow::host {

PF_Err unimplementedSlot(const char* slot) {
  // Counted, and failed on request, like every call: a failed stand-in still
  // records the slot.
  const InjectedFault fault = enterHostCall({slot, Failure::kError});
  if (CommandContext* context = currentContext()) {
    std::lock_guard lock(context->mutex);
    context->unimplementedCalls.emplace_back(slot);
  }
  return fault.fail ? fault.error : PF_Err_INVALID_CALLBACK;
}

}  // namespace kestrow::host
