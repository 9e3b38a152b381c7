// "PF Handle Suite" 2 and the handle callbacks of PF_UtilCallbacks.
#include "HandleRegistry.h"
#include "HostCall.h"
#include "SuiteTables.h"

namespace kestrow::host {

PF_Handle hostNewHandle(A_HandleSize size) {
  CommandContext* context = currentContext();
  if (context == nullptr) return nullptr;
  Host::State& host = *context->host;
  if (size > (A_HandleSize(1) << 40)) return nullptr;  // refuse absurd sizes instead of dying
  PF_Handle handle = handleRegistry().allocate(std::size_t(size), &host);
  std::lock_guard lock(context->mutex);
  context->handlesMade.push_back(handle);
  return handle;
}

void* hostLockHandle(PF_Handle handle) { return handleRegistry().lock(handle); }

void hostUnlockHandle(PF_Handle handle) {
  if (!handleRegistry().unlock(handle)) {
    if (CommandContext* context = currentContext()) ++context->stray;
  }
}

void hostDisposeHandle(PF_Handle handle) {
  if (handle == nullptr) return;
  if (!handleRegistry().dispose(handle)) {
    if (CommandContext* context = currentContext()) {
      ++context->stray;
      noteMisuse(context, "host_dispose_handle: a handle the host does not hold (disposed twice?)");
    }
  }
}

A_HandleSize hostGetHandleSize(PF_Handle handle) {
  return handleRegistry().size(handle).value_or(0);
}

PF_Err hostResizeHandle(A_HandleSize newSize, PF_Handle* handle) {
  if (handle == nullptr || !handleRegistry().resize(*handle, std::size_t(newSize))) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  return PF_Err_NONE;
}

const PF_HandleSuite1 kHandleSuite = {
    KESTROW_HOST_CALL(PF_HandleSuite1, host_new_handle, hostNewHandle, kNull),
    KESTROW_HOST_CALL(PF_HandleSuite1, host_lock_handle, hostLockHandle, kNull),
    KESTROW_HOST_CALL(PF_HandleSuite1, host_unlock_handle, hostUnlockHandle, kNever),
    KESTROW_HOST_CALL(PF_HandleSuite1, host_dispose_handle, hostDisposeHandle, kNever),
    KESTROW_HOST_CALL(PF_HandleSuite1, host_get_handle_size, hostGetHandleSize, kNever),
    KESTROW_HOST_CALL(PF_HandleSuite1, host_resize_handle, hostResizeHandle, kError)};

}  // namespace kestrow::host
