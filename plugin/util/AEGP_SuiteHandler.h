// Per-call access to host suites by name and version.
//
// One handler lives on the stack of one command handler. Each accessor
// acquires its suite on first use and caches it; the destructor releases
// exactly the suites that were acquired, in slot order. A missing suite (or
// a null basic suite) throws the integer PF_Err_BAD_CALLBACK_PARAM, which the
// entry point returns as the command's result; objects on the stack between
// (records checked out, references held) give back what they hold as the
// throw unwinds them. The world and handle suites can also be asked for
// without a throw, by a caller that goes on without them. Not shared
// between threads.
#pragma once

#include "AE_Effect.h"
#include "AE_EffectSuites.h"
#include "AE_GeneralPlug.h"
#include "SPBasic.h"

class AEGP_SuiteHandler {
 public:
  // With IfMissing::kNull an accessor gives null for a missing suite (and
  // asks again on its next call) instead of throwing.
  enum class IfMissing { kThrow, kNull };

  explicit AEGP_SuiteHandler(const SPBasicSuite* pica_basicP);
  ~AEGP_SuiteHandler();
  AEGP_SuiteHandler(const AEGP_SuiteHandler&) = delete;
  AEGP_SuiteHandler& operator=(const AEGP_SuiteHandler&) = delete;

  const PF_ANSICallbacksSuite1* ANSICallbacksSuite1();                 // "PF ANSI Suite" 1
  const PF_HandleSuite1* HandleSuite1(IfMissing = IfMissing::kThrow);  // "PF Handle Suite" 2
  const AEGP_UtilitySuite3* UtilitySuite3();                           // "AEGP Utility Suite" 7
  const PF_ColorParamSuite1* ColorParamSuite1();                       // "PF ColorParamSuite" 1
  const AEGP_PFInterfaceSuite1* PFInterfaceSuite1();      // "AEGP PF Interface Suite" 1
  const AEGP_StreamSuite2* StreamSuite2();                // "AEGP Stream Suite" 7
  const AEGP_DynamicStreamSuite2* DynamicStreamSuite2();  // "AEGP Dynamic Stream Suite" 2
  const AEGP_EffectSuite2* EffectSuite2();                // "AEGP Effect Suite" 2
  const PF_WorldSuite2* WorldSuite2(IfMissing = IfMissing::kThrow);  // "PF World Suite" 2
  const PF_iterateFloatSuite1* IterateFloatSuite1();                 // "PF iterateFloat Suite" 1
  const PF_iterate16Suite1* Iterate16Suite1();                       // "PF iterate16 Suite" 1
  const PF_Iterate8Suite1* Iterate8Suite1();                         // "PF Iterate8 Suite" 1

 private:
  // One slot per suite; release runs in this order.
  enum Slot {
    kSlotANSI,
    kSlotHandle,
    kSlotUtility,
    kSlotColorParam,
    kSlotPFInterface,
    kSlotStream,
    kSlotDynamicStream,
    kSlotEffect,
    kSlotWorld,
    kSlotIterateFloat,
    kSlotIterate16,
    kSlotIterate8,
    kSlotCount
  };

  // The slot's suite, acquired on first use.
  const void* Suite(Slot slot, IfMissing ifMissing = IfMissing::kThrow);
  // Null when the host reports an error or hands back no table.
  const void* LoadSuite(const char* name, int32_t version);
  // The host's result is ignored: nothing can be done about it here.
  void ReleaseSuite(const char* name, int32_t version);
  void ReleaseAllSuites();
  [[noreturn]] static void MissingSuiteError();

  const SPBasicSuite* basic_;
  const void* slots_[kSlotCount];
};
