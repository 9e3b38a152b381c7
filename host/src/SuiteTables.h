// The function tables behind the suites the host offers, and the shared
// helpers their functions use.
#pragma once

#include "AE_EffectCB.h"
#include "AE_EffectSuites.h"
#include "AE_GeneralPlug.h"
#include "State.h"

namespace kestrow::host {

extern const PF_HandleSuite1 kHandleSuite;
extern const PF_ANSICallbacksSuite1 kAnsiSuite;
extern const PF_WorldSuite2 kWorldSuite;
extern const PF_ColorParamSuite1 kColorParamSuite;
extern const PF_Iterate8Suite1 kIterate8Suite;
extern const PF_iterate16Suite1 kIterate16Suite;
extern const PF_iterateFloatSuite1 kIterateFloatSuite;
extern const AEGP_UtilitySuite3 kUtilitySuite;
extern const AEGP_PFInterfaceSuite1 kPFInterfaceSuite;
extern const AEGP_StreamSuite2 kStreamSuite;
extern const AEGP_DynamicStreamSuite2 kDynamicStreamSuite;
extern const AEGP_EffectSuite2 kEffectSuite;

// The ANSI block of the utility callbacks: the ANSI suite's functions.
PF_ANSICallbacks ansiCallbacks();

// Handle services shared by the utils callbacks and the handle suite. A
// handle is made only inside a command (null otherwise, or when a fault is
// injected) and is attributed to that command for the leak accounting.
PF_Handle hostNewHandle(A_HandleSize size);
void* hostLockHandle(PF_Handle handle);
void hostUnlockHandle(PF_Handle handle);
void hostDisposeHandle(PF_Handle handle);
A_HandleSize hostGetHandleSize(PF_Handle handle);
PF_Err hostResizeHandle(A_HandleSize newSize, PF_Handle* handle);

// The effect_ref's instance when it is the running command's own; counts a
// stray call and returns false otherwise.
bool checkEffectRef(CommandContext* context, PF_ProgPtr effectRef);

}  // namespace kestrow::host
