// Stand-ins for the slots of the published tables that this host does not
// implement. A host table is always complete, so a plug-in that calls a slot
// by the wrong position reaches one of these: the call is recorded by slot
// in the running command's leak report (a leak in strict mode) and answered
// with PF_Err_INVALID_CALLBACK, or with the observer's error when it fails
// the call (it is entered like every host call, HostCall.h).
#pragma once

#include "AE_Effect.h"
#include "kestrow/host/HostCalls.h"

namespace kestrow::host {

// Records the call of `slot` and returns the error.
PF_Err unimplementedSlot(HostCallId slot);

}  // namespace kestrow::host

// Designated initialiser of one unimplemented slot: `.slot = stand-in`. The
// stand-in takes the slot's published parameters, whatever they are.
#define KESTROW_UNIMPLEMENTED(table, slot)                                                  \
  .slot = [](auto...) -> PF_Err {                                                           \
    return ::kestrow::host::unimplementedSlot(::kestrow::host::HostCallId::table##_##slot); \
  }
