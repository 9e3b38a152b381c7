#include "util/AEGP_SuiteHandler.h"

namespace {

struct SuiteName {
  const char* name;
  int32_t version;
};

// Indexed by slot. Names are matched by the host exactly, case and spaces
// included.
constexpr SuiteName kSuiteNames[] = {
    {kPFANSISuite, kPFANSISuiteVersion1},
    {kPFHandleSuite, kPFHandleSuiteVersion1},
    {kAEGPUtilitySuite, kAEGPUtilitySuiteVersion3},
    {kPFColorParamSuite, kPFColorParamSuiteVersion1},
    {kAEGPPFInterfaceSuite, kAEGPPFInterfaceSuiteVersion1},
    {kAEGPStreamSuite, kAEGPStreamSuiteVersion2},
    {kAEGPDynamicStreamSuite, kAEGPDynamicStreamSuiteVersion2},
    {kAEGPEffectSuite, kAEGPEffectSuiteVersion2},
    {kPFWorldSuite, kPFWorldSuiteVersion2},
    {kPFIterateFloatSuite, kPFIterateFloatSuiteVersion1},
    {kPFIterate16Suite, kPFIterate16SuiteVersion1},
    {kPFIterate8Suite, kPFIterate8SuiteVersion1},
};

}  // namespace

AEGP_SuiteHandler::AEGP_SuiteHandler(const SPBasicSuite* pica_basicP)
    : basic_(pica_basicP), slots_{} {
  static_assert(sizeof(kSuiteNames) / sizeof(kSuiteNames[0]) == kSlotCount);
  if (!basic_) {
    MissingSuiteError();
  }
}

AEGP_SuiteHandler::~AEGP_SuiteHandler() { ReleaseAllSuites(); }

const void* AEGP_SuiteHandler::Suite(Slot slot, IfMissing ifMissing) {
  if (!slots_[slot]) {
    slots_[slot] = LoadSuite(kSuiteNames[slot].name, kSuiteNames[slot].version);
    if (!slots_[slot] && ifMissing == IfMissing::kThrow) {
      MissingSuiteError();
    }
  }
  return slots_[slot];
}

const void* AEGP_SuiteHandler::LoadSuite(const char* name, int32_t version) {
  const void* suite = nullptr;
  const SPErr err = basic_->AcquireSuite(name, version, &suite);
  // A table that comes with an error is not trusted, nor given back: the
  // host reported that it gave nothing out.
  return err == kSPNoError ? suite : nullptr;
}

void AEGP_SuiteHandler::ReleaseSuite(const char* name, int32_t version) {
  (void)basic_->ReleaseSuite(name, version);
}

void AEGP_SuiteHandler::ReleaseAllSuites() {
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (slots_[slot]) {
      ReleaseSuite(kSuiteNames[slot].name, kSuiteNames[slot].version);
      slots_[slot] = nullptr;
    }
  }
}

void AEGP_SuiteHandler::MissingSuiteError() { throw PF_Err{PF_Err_BAD_CALLBACK_PARAM}; }

const PF_ANSICallbacksSuite1* AEGP_SuiteHandler::ANSICallbacksSuite1() {
  return static_cast<const PF_ANSICallbacksSuite1*>(Suite(kSlotANSI));
}
const PF_HandleSuite1* AEGP_SuiteHandler::HandleSuite1(IfMissing ifMissing) {
  return static_cast<const PF_HandleSuite1*>(Suite(kSlotHandle, ifMissing));
}
const AEGP_UtilitySuite3* AEGP_SuiteHandler::UtilitySuite3() {
  return static_cast<const AEGP_UtilitySuite3*>(Suite(kSlotUtility));
}
const PF_ColorParamSuite1* AEGP_SuiteHandler::ColorParamSuite1() {
  return static_cast<const PF_ColorParamSuite1*>(Suite(kSlotColorParam));
}
const AEGP_PFInterfaceSuite1* AEGP_SuiteHandler::PFInterfaceSuite1() {
  return static_cast<const AEGP_PFInterfaceSuite1*>(Suite(kSlotPFInterface));
}
const AEGP_StreamSuite2* AEGP_SuiteHandler::StreamSuite2() {
  return static_cast<const AEGP_StreamSuite2*>(Suite(kSlotStream));
}
const AEGP_DynamicStreamSuite2* AEGP_SuiteHandler::DynamicStreamSuite2() {
  return static_cast<const AEGP_DynamicStreamSuite2*>(Suite(kSlotDynamicStream));
}
const AEGP_EffectSuite2* AEGP_SuiteHandler::EffectSuite2() {
  return static_cast<const AEGP_EffectSuite2*>(Suite(kSlotEffect));
}
const PF_WorldSuite2* AEGP_SuiteHandler::WorldSuite2(IfMissing ifMissing) {
  return static_cast<const PF_WorldSuite2*>(Suite(kSlotWorld, ifMissing));
}
const PF_iterateFloatSuite1* AEGP_SuiteHandler::IterateFloatSuite1() {
  return static_cast<const PF_iterateFloatSuite1*>(Suite(kSlotIterateFloat));
}
const PF_iterate16Suite1* AEGP_SuiteHandler::Iterate16Suite1() {
  return static_cast<const PF_iterate16Suite1*>(Suite(kSlotIterate16));
}
const PF_Iterate8Suite1* AEGP_SuiteHandler::Iterate8Suite1() {
  return static_cast<const PF_Iterate8Suite1*>(Suite(kSlotIterate8));
}
