#include "Unimplemented.h"

#include "HostCall.h"
#include "State.h"

namespace kestrow::host {

PF_Err unimplementedSlot(HostCallId slot) {
  // Entered like every call, so it can be failed: a failed stand-in still
  // records the slot.
  const CallAnswer answer = enterHostCall({slot, Failure::kError});
  if (CommandContext* context = currentContext()) {
    std::lock_guard lock(context->mutex);
    context->unimplementedCalls.push_back(slot);
  }
  return answer.fail ? answer.error : PF_Err_INVALID_CALLBACK;
}

}  // namespace kestrow::host
