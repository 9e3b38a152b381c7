// What the host tests' fake effect announces and the ways it can be told to
// misbehave (FakeSetBehaviour, exported by the module).
#pragma once

#include "AE_Effect.h"

enum FakeBehaviour {
  kFakeWellBehaved,
  kFakeLeakHandle,      // ABOUT allocates a handle and keeps it
  kFakeLeakSuite,       // ABOUT acquires "PF ANSI Suite" 1 and keeps it
  kFakeThrow,           // ABOUT throws
  kFakeLeakCheckout,    // USER_CHANGED_PARAM checks parameter 1 out and never in
  kFakeLeakReferences,  // UPDATE_PARAMS_UI disposes of neither reference
  kFakeWrongPluginId,   // UPDATE_PARAMS_UI passes an id the host never gave
  kFakeWrongSlots,      // UPDATE_PARAMS_UI also calls two functions the host does not offer
  // Breaches of the documented protocol (CommandRecord::misuses):
  kFakeZeroCheckoutId,       // SMART_PRE_RENDER checks the input out under id 0
  kFakeRepeatedCheckoutId,   // SMART_PRE_RENDER checks the input out twice under one id
  kFakePixelsTwice,          // SMART_RENDER takes the input's pixels twice
  kFakeUnrequestedPixels,    // SMART_RENDER takes pixels of an id never checked out
  kFakeLayerParamInRender,   // SMART_RENDER reads the input layer with checkout_param
  kFakeEffectBeforeStreams,  // UPDATE_PARAMS_UI disposes of the effect before its stream
  kFakeDisposeTwice,         // SEQUENCE_SETDOWN disposes of its block twice
  // Losses the accounting catches:
  kFakeFlattenDropsBlock,  // SEQUENCE_FLATTEN hands nothing back and keeps its block
};

constexpr A_u_long kFakeVersion = 0x00080001;
constexpr PF_OutFlags kFakeOutFlags = PF_OutFlag_SEND_UPDATE_PARAMS_UI;
constexpr PF_OutFlags2 kFakeOutFlags2 = 0;
