#include "Unimplemented.h"

#include "HostCall.h"
#include "State.h"

namespace kestrow::host {

PF_Err unimplementedSlot(const char* slot) {
  (void)enterHostCall({slot, Failure::kNever});  // counted like every call
  if (CommandContext* context = currentContext()) {
    std::lock_guard lock(context->mutex);
    context->unimplementedCalls.emplace_back(slot);
  }
  return PF_Err_INVALID_CALLBACK;
}

}  // namespace kestrow::host
