// Stand-ins for the slots of the published tables that this host does not
// implement. A host table is always complete, so a plug-in that calls a slot
// by the wrong position reaches one of these: the call is recorded by slot
// name in the running command's report (a leak in strict mode) and answered
// with PF_Err_INVALID_CALLBACK, or with the injected error when the fault
// point fails it (it is counted and failed like every host call).
#pragma once

#include "AE_Effect.h"

namespace kestrow::host {

// Records the call of `slot` ("Table.member") and returns the error.
PF_Err unimplementedSlot(const char* slot);

}  // namespace kestrow::host

// Designated initialiser of one unimplemented slot: `.slot = stand-in`. The
// stand-in takes the slot's published parameters, whatever they are.
#define KESTROW_UNIMPLEMENTED(table, slot) \
  .slot = [](auto...) -> PF_Err { return ::kestrow::host::unimplementedSlot(#table "." #slot); }
