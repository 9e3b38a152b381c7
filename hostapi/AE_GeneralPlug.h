// General ("AEGP") suites used by effects: registration, effect and stream
// references, dynamic stream flags.
#pragma once

#include "AE_Effect.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef A_long AEGP_PluginID;
typedef void* AEGP_GlobalRefcon;
typedef struct _AEGP_EffectRefH* AEGP_EffectRefH;
typedef struct _AEGP_StreamRefH* AEGP_StreamRefH;

typedef A_long AEGP_DynStreamFlags;
enum {
  AEGP_DynStreamFlag_ACTIVE_EYEBALL = 0x01,
  AEGP_DynStreamFlag_HIDDEN = 0x02,
  AEGP_DynStreamFlag_DISABLED = 0x04,
  AEGP_DynStreamFlag_ELIDED = 0x08
};

#define kAEGPUtilitySuite "AEGP Utility Suite"
#define kAEGPUtilitySuiteVersion3 7

typedef struct AEGP_UtilitySuite3 {
  // Gives the calling plug-in an identifier for the other AEGP calls.
  A_Err (*AEGP_RegisterWithAEGP)(AEGP_GlobalRefcon global_refcon, const A_char* plugin_name,
                                 AEGP_PluginID* plugin_id);
} AEGP_UtilitySuite3;

#define kAEGPPFInterfaceSuite "AEGP PF Interface Suite"
#define kAEGPPFInterfaceSuiteVersion1 1

typedef struct AEGP_PFInterfaceSuite1 {
  // A new reference to the effect instance behind effect_ref; the caller
  // disposes of it with AEGP_DisposeEffect.
  A_Err (*AEGP_GetNewEffectForEffect)(AEGP_PluginID aegp_plugin_id, PF_ProgPtr effect_ref,
                                      AEGP_EffectRefH* effectPH);
} AEGP_PFInterfaceSuite1;

#define kAEGPStreamSuite "AEGP Stream Suite"
#define kAEGPStreamSuiteVersion2 7

typedef struct AEGP_StreamSuite2 {
  // A new reference to parameter `param_index` of the effect; disposed of
  // with AEGP_DisposeStream.
  A_Err (*AEGP_GetNewEffectStreamByIndex)(AEGP_PluginID aegp_plugin_id, AEGP_EffectRefH effectH,
                                          PF_ParamIndex param_index, AEGP_StreamRefH* streamPH);
  A_Err (*AEGP_DisposeStream)(AEGP_StreamRefH streamH);
} AEGP_StreamSuite2;

#define kAEGPDynamicStreamSuite "AEGP Dynamic Stream Suite"
#define kAEGPDynamicStreamSuiteVersion2 2

typedef struct AEGP_DynamicStreamSuite2 {
  A_Err (*AEGP_SetDynamicStreamFlag)(AEGP_StreamRefH streamH, AEGP_DynStreamFlags one_flag,
                                     A_Boolean undoableB, A_Boolean setB);
} AEGP_DynamicStreamSuite2;

#define kAEGPEffectSuite "AEGP Effect Suite"
#define kAEGPEffectSuiteVersion2 2

typedef struct AEGP_EffectSuite2 {
  A_Err (*AEGP_DisposeEffect)(AEGP_EffectRefH effectH);
} AEGP_EffectSuite2;

#ifdef __cplusplus
}
#endif
