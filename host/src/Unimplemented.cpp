#include "Unimplemented.h"

#include "State.h"

namespace kestrow::host {

PF_Err unimplementedSlot(const char* slot) {
  if (CommandContext* context = currentContext()) {
    std::lock_guard lock(context->mutex);
    context->unimplementedCalls.emplace_back(slot);
  }
  return PF_Err_INVALID_CALLBACK;
}

}  // namespace kestrow::host
