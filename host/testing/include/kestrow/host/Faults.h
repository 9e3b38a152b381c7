// Fault injection: the host's way to make its own services fail on purpose
// so that tests reach the plug-in's error paths. All members default to "no
// fault". Change them only between commands.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "AE_Effect.h"
#include "AE_EffectSuites.h"

namespace kestrow::host {

enum class MissingSuiteMode {
  kNullTable,     // AcquireSuite returns no error but a null table
  kError,         // returns an error and leaves the table untouched
  kErrorAndNull,  // returns an error and a null table
};

struct MissingSuite {
  std::string name;
  int version = 0;
  MissingSuiteMode mode = MissingSuiteMode::kErrorAndNull;
};

struct FaultInjection {
  // Error code every injected failure returns (unless stated otherwise).
  // Distinct from the codes the plug-in makes itself, so tests can tell
  // which side failed.
  PF_Err error = PF_Err_INVALID_CALLBACK;

  std::vector<MissingSuite> missingSuites;

  // Fail the Nth handle allocation from now on (1 = the next one), counting
  // both the utils callback and the handle suite; 0 = never. The host counts
  // this member down as allocations happen, so it reads 0 once spent.
  int failHandleAllocation = 0;

  bool failRegisterWithAEGP = false;
  std::optional<PF_ParamIndex> failCheckoutParam;  // checkout_param of this index fails
  bool failCheckinParam = false;   // every checkin_param fails (record still returned)
  bool failCheckoutLayer = false;  // pre-render checkout_layer
  bool failCheckoutLayerPixels = false;
  bool failCheckoutOutput = false;
  bool failGetPixelFormat = false;
  std::optional<PF_PixelFormat> reportPixelFormat;  // PF_GetPixelFormat answers this instead
  std::optional<PF_ParamIndex> failStreamIndex;     // AEGP_GetNewEffectStreamByIndex fails for it
  bool failColorRead = false;                       // PF_GetFloatingPointColorFromColorDef
  bool failIterate = false;                         // every iterate_origin fails, calling nothing
};

}  // namespace kestrow::host
