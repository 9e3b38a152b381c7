// General ("AEGP") suites used by effects: registration, effect and stream
// references, dynamic stream flags. Each table is complete, in its published
// slot order; records that only travel by pointer are declared opaque.
#pragma once

#include "AE_Effect.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef A_long AEGP_PluginID;
typedef struct _AEGP_GlobalRefcon* AEGP_GlobalRefcon;
typedef struct _AEGP_Effect** AEGP_EffectRefH;
typedef struct _AEGPp_Stream** AEGP_StreamRefH;
typedef struct _AEGP_Layer** AEGP_LayerH;
typedef struct _AEGP_Mask** AEGP_MaskRefH;
typedef struct _AEGP_MemHandle** AEGP_MemHandle;

typedef A_long AEGP_LayerStream;
typedef A_long AEGP_MaskStream;
typedef A_long AEGP_KeyInterpolationMask;
typedef A_long AEGP_StreamFlags;
typedef A_long AEGP_StreamType;
typedef A_long AEGP_LTimeMode;
typedef A_long AEGP_StreamGroupingType;
typedef A_long AEGP_EffectIndex;
typedef A_long AEGP_InstalledEffectKey;
typedef A_long AEGP_EffectFlags;

typedef struct A_Ratio {
  A_long num;
  A_u_long den;
} A_Ratio;
typedef struct A_Time A_Time;
typedef struct A_Matrix4 A_Matrix4;
typedef struct AEGP_ColorVal AEGP_ColorVal;
typedef struct AEGP_ErrReportState AEGP_ErrReportState;
typedef struct AEGP_StreamValue AEGP_StreamValue;
typedef union AEGP_StreamVal AEGP_StreamVal;

typedef A_u_long AEGP_DynStreamFlags;
enum : A_u_long {
  AEGP_DynStreamFlag_ACTIVE_EYEBALL = 1u << 0,
  AEGP_DynStreamFlag_HIDDEN = 1u << 1,
  AEGP_DynStreamFlag_DISABLED = 1u << 4,
  AEGP_DynStreamFlag_ELIDED = 1u << 5,
  AEGP_DynStreamFlag_SHOWN_WHEN_EMPTY = 1u << 10,
  AEGP_DynStreamFlag_SKIP_REVEAL_WHEN_UNHIDDEN = 1u << 16
};

// ---------------------------------------------------------------- utility
#define kAEGPUtilitySuite "AEGP Utility Suite"
#define kAEGPUtilitySuiteVersion3 7

typedef struct AEGP_UtilitySuite3 {
  A_Err (*AEGP_ReportInfo)(AEGP_PluginID aegp_plugin_id, const A_char* info_stringZ);
  A_Err (*AEGP_GetDriverPluginInitFuncVersion)(A_short* major_versionPS, A_short* minor_versionPS);
  A_Err (*AEGP_GetDriverImplementationVersion)(A_short* major_versionPS, A_short* minor_versionPS);
  A_Err (*AEGP_StartQuietErrors)(AEGP_ErrReportState* err_stateP);
  A_Err (*AEGP_EndQuietErrors)(A_Boolean report_quieted_errorsB, AEGP_ErrReportState* err_stateP);
  A_Err (*AEGP_StartUndoGroup)(const A_char* undo_nameZ);
  A_Err (*AEGP_EndUndoGroup)(void);
  // Gives the calling plug-in an identifier for the other AEGP calls.
  A_Err (*AEGP_RegisterWithAEGP)(AEGP_GlobalRefcon global_refcon, const A_char* plugin_nameZ,
                                 AEGP_PluginID* plugin_id);
  A_Err (*AEGP_GetMainHWND)(void* main_hwnd);
  A_Err (*AEGP_ShowHideAllFloaters)(A_Boolean include_tool_palB);
  A_Err (*AEGP_PaintPalGetForeColor)(AEGP_ColorVal* fore_colorP);
  A_Err (*AEGP_PaintPalGetBackColor)(AEGP_ColorVal* back_colorP);
  A_Err (*AEGP_PaintPalSetForeColor)(const AEGP_ColorVal* fore_colorP);
  A_Err (*AEGP_PaintPalSetBackColor)(const AEGP_ColorVal* back_colorP);
  A_Err (*AEGP_CharPalGetFillColor)(A_Boolean* is_fill_color_definedPB, AEGP_ColorVal* fill_colorP);
  A_Err (*AEGP_CharPalGetStrokeColor)(A_Boolean* is_stroke_color_definedPB,
                                      AEGP_ColorVal* stroke_colorP);
  A_Err (*AEGP_CharPalSetFillColor)(const AEGP_ColorVal* fill_colorP);
  A_Err (*AEGP_CharPalSetStrokeColor)(const AEGP_ColorVal* stroke_colorP);
  A_Err (*AEGP_CharPalIsFillColorUIFrontmost)(A_Boolean* is_fill_color_selectedPB);
  A_Err (*AEGP_ConvertFpLongToHSFRatio)(A_FpLong numberF, A_Ratio* ratioPR);
  A_Err (*AEGP_ConvertHSFRatioToFpLong)(A_Ratio ratioR, A_FpLong* numberPF);
  A_Err (*AEGP_CauseIdleRoutinesToBeCalled)(void);
  A_Err (*AEGP_GetSuppressInteractiveUI)(A_Boolean* ui_is_suppressedPB);
  A_Err (*AEGP_WriteToOSConsole)(const A_char* textZ);
  A_Err (*AEGP_WriteToDebugLog)(const A_char* subsystemZ, const A_char* event_typeZ,
                                const A_char* infoZ);
} AEGP_UtilitySuite3;

// ---------------------------------------------------------------- PF interface
#define kAEGPPFInterfaceSuite "AEGP PF Interface Suite"
#define kAEGPPFInterfaceSuiteVersion1 1

typedef struct AEGP_PFInterfaceSuite1 {
  A_Err (*AEGP_GetEffectLayer)(PF_ProgPtr effect_pp_ref, AEGP_LayerH* layerPH);
  // A new reference to the effect instance behind effect_ref; the caller
  // disposes of it with AEGP_DisposeEffect.
  A_Err (*AEGP_GetNewEffectForEffect)(AEGP_PluginID aegp_plugin_id, PF_ProgPtr effect_pp_ref,
                                      AEGP_EffectRefH* effect_refPH);
  A_Err (*AEGP_ConvertEffectToCompTime)(PF_ProgPtr effect_pp_ref, A_long what_timeL,
                                        A_u_long time_scaleLu, A_Time* comp_timePT);
  A_Err (*AEGP_GetEffectCamera)(PF_ProgPtr effect_pp_ref, const A_Time* comp_timePT,
                                AEGP_LayerH* camera_layerPH);
  A_Err (*AEGP_GetEffectCameraMatrix)(PF_ProgPtr effect_pp_ref, const A_Time* comp_timePT,
                                      A_Matrix4* camera_matrixP, A_FpLong* dist_to_image_planePF,
                                      A_short* image_plane_widthPL, A_short* image_plane_heightPL);
} AEGP_PFInterfaceSuite1;

// ---------------------------------------------------------------- streams
#define kAEGPStreamSuite "AEGP Stream Suite"
#define kAEGPStreamSuiteVersion2 7

typedef struct AEGP_StreamSuite2 {
  A_Err (*AEGP_IsStreamLegal)(AEGP_LayerH layerH, AEGP_LayerStream which_stream,
                              A_Boolean* is_legalP);
  A_Err (*AEGP_CanVaryOverTime)(AEGP_StreamRefH streamH, A_Boolean* can_varyPB);
  A_Err (*AEGP_GetValidInterpolations)(AEGP_StreamRefH streamH,
                                       AEGP_KeyInterpolationMask* valid_interpolationsP);
  A_Err (*AEGP_GetNewLayerStream)(AEGP_PluginID aegp_plugin_id, AEGP_LayerH layerH,
                                  AEGP_LayerStream which_stream, AEGP_StreamRefH* streamPH);
  A_Err (*AEGP_GetEffectNumParamStreams)(AEGP_EffectRefH effect_refH, A_long* num_paramsPL);
  // A new reference to parameter `param_index` of the effect; disposed of
  // with AEGP_DisposeStream.
  A_Err (*AEGP_GetNewEffectStreamByIndex)(AEGP_PluginID aegp_plugin_id, AEGP_EffectRefH effect_refH,
                                          PF_ParamIndex param_index, AEGP_StreamRefH* streamPH);
  A_Err (*AEGP_GetNewMaskStream)(AEGP_PluginID aegp_plugin_id, AEGP_MaskRefH mask_refH,
                                 AEGP_MaskStream which_stream, AEGP_StreamRefH* mask_streamPH);
  A_Err (*AEGP_DisposeStream)(AEGP_StreamRefH streamH);
  A_Err (*AEGP_GetStreamName)(AEGP_StreamRefH streamH, A_Boolean force_englishB, A_char* nameZ);
  A_Err (*AEGP_GetStreamUnitsText)(AEGP_StreamRefH streamH, A_Boolean force_englishB,
                                   A_char* unitsZ);
  A_Err (*AEGP_GetStreamProperties)(AEGP_StreamRefH streamH, AEGP_StreamFlags* flagsP,
                                    A_FpLong* minP0, A_FpLong* maxP0);
  A_Err (*AEGP_IsStreamTimevarying)(AEGP_StreamRefH streamH, A_Boolean* is_timevaryingPB);
  A_Err (*AEGP_GetStreamType)(AEGP_StreamRefH streamH, AEGP_StreamType* stream_typeP);
  A_Err (*AEGP_GetNewStreamValue)(AEGP_PluginID aegp_plugin_id, AEGP_StreamRefH streamH,
                                  AEGP_LTimeMode time_mode, const A_Time* timePT,
                                  A_Boolean pre_expressionB, AEGP_StreamValue* valueP);
  A_Err (*AEGP_DisposeStreamValue)(AEGP_StreamValue* valueP);
  A_Err (*AEGP_SetStreamValue)(AEGP_PluginID aegp_plugin_id, AEGP_StreamRefH streamH,
                               AEGP_StreamValue* valueP);
  A_Err (*AEGP_GetLayerStreamValue)(AEGP_LayerH layerH, AEGP_LayerStream which_stream,
                                    AEGP_LTimeMode time_mode, const A_Time* timePT,
                                    A_Boolean pre_expressionB, AEGP_StreamVal* stream_valP,
                                    AEGP_StreamType* stream_typeP0);
  A_Err (*AEGP_GetExpressionState)(AEGP_PluginID aegp_plugin_id, AEGP_StreamRefH streamH,
                                   A_Boolean* enabledPB);
  A_Err (*AEGP_SetExpressionState)(AEGP_PluginID aegp_plugin_id, AEGP_StreamRefH streamH,
                                   A_Boolean enabledB);
  A_Err (*AEGP_GetExpression)(AEGP_PluginID aegp_plugin_id, AEGP_StreamRefH streamH,
                              AEGP_MemHandle* expressionHZ);
  A_Err (*AEGP_SetExpression)(AEGP_PluginID aegp_plugin_id, AEGP_StreamRefH streamH,
                              const A_char* expressionP);
  A_Err (*AEGP_DuplicateStreamRef)(AEGP_PluginID aegp_plugin_id, AEGP_StreamRefH streamH,
                                   AEGP_StreamRefH* dup_streamPH);
} AEGP_StreamSuite2;

// ---------------------------------------------------------------- dynamic streams
#define kAEGPDynamicStreamSuite "AEGP Dynamic Stream Suite"
#define kAEGPDynamicStreamSuiteVersion2 2

typedef struct AEGP_DynamicStreamSuite2 {
  A_Err (*AEGP_GetNewStreamRefForLayer)(AEGP_PluginID aegp_plugin_id, AEGP_LayerH layerH,
                                        AEGP_StreamRefH* streamPH);
  A_Err (*AEGP_GetStreamDepth)(AEGP_StreamRefH streamH, A_long* depthPL);
  A_Err (*AEGP_GetStreamGroupingType)(AEGP_StreamRefH streamH,
                                      AEGP_StreamGroupingType* group_typeP);
  A_Err (*AEGP_GetNumStreamsInGroup)(AEGP_StreamRefH streamH, A_long* num_streamsPL);
  A_Err (*AEGP_GetDynamicStreamFlags)(AEGP_StreamRefH streamH, AEGP_DynStreamFlags* stream_flagsP);
  A_Err (*AEGP_SetDynamicStreamFlag)(AEGP_StreamRefH streamH, AEGP_DynStreamFlags one_flag,
                                     A_Boolean undoableB, A_Boolean setB);
  A_Err (*AEGP_GetNewStreamRefByIndex)(AEGP_PluginID aegp_plugin_id, AEGP_StreamRefH parent_groupH,
                                       A_long indexL, AEGP_StreamRefH* streamPH);
  A_Err (*AEGP_GetNewStreamRefByMatchname)(AEGP_PluginID aegp_plugin_id,
                                           AEGP_StreamRefH parent_groupH, const A_char* match_nameZ,
                                           AEGP_StreamRefH* streamPH);
  A_Err (*AEGP_DeleteStream)(AEGP_StreamRefH streamH);
  A_Err (*AEGP_ReorderStream)(AEGP_StreamRefH streamH, A_long new_indexL);
  A_Err (*AEGP_DuplicateStream)(AEGP_PluginID aegp_plugin_id, AEGP_StreamRefH streamH,
                                A_long* new_indexPL0);
  A_Err (*AEGP_SetStreamName)(AEGP_StreamRefH streamH, const A_char* nameZ);
  A_Err (*AEGP_CanAddStream)(AEGP_StreamRefH group_streamH, const A_char* match_nameZ,
                             A_Boolean* can_addPB);
  A_Err (*AEGP_AddStream)(AEGP_PluginID aegp_plugin_id, AEGP_StreamRefH indexed_group_streamH,
                          const A_char* match_nameZ, AEGP_StreamRefH* streamPH0);
  A_Err (*AEGP_GetMatchName)(AEGP_StreamRefH streamH, A_char* nameZ);
  A_Err (*AEGP_GetNewParentStreamRef)(AEGP_PluginID aegp_plugin_id, AEGP_StreamRefH streamH,
                                      AEGP_StreamRefH* parent_streamPH);
  A_Err (*AEGP_GetStreamIsModified)(AEGP_StreamRefH streamH, A_Boolean* modifiedPB);
} AEGP_DynamicStreamSuite2;

// ---------------------------------------------------------------- effects
#define kAEGPEffectSuite "AEGP Effect Suite"
#define kAEGPEffectSuiteVersion2 2

typedef struct AEGP_EffectSuite2 {
  A_Err (*AEGP_GetLayerNumEffects)(AEGP_LayerH layerH, A_long* num_effectsPL);
  A_Err (*AEGP_GetLayerEffectByIndex)(AEGP_PluginID aegp_plugin_id, AEGP_LayerH layerH,
                                      AEGP_EffectIndex layer_effect_indexL,
                                      AEGP_EffectRefH* effectPH);
  A_Err (*AEGP_GetInstalledKeyFromLayerEffect)(AEGP_EffectRefH effect_refH,
                                               AEGP_InstalledEffectKey* installed_effect_keyP);
  A_Err (*AEGP_GetEffectParamUnionByIndex)(AEGP_PluginID aegp_plugin_id,
                                           AEGP_EffectRefH effect_refH, PF_ParamIndex param_index,
                                           PF_ParamType* param_typeP, PF_ParamDefUnion* uP0);
  A_Err (*AEGP_GetEffectFlags)(AEGP_EffectRefH effect_refH, AEGP_EffectFlags* effect_flagsP);
  A_Err (*AEGP_SetEffectFlags)(AEGP_EffectRefH effect_refH, AEGP_EffectFlags effect_flags_set_mask,
                               AEGP_EffectFlags effect_flags);
  A_Err (*AEGP_ReorderEffect)(AEGP_EffectRefH effect_refH, A_long effect_indexL);
  A_Err (*AEGP_EffectCallGeneric)(AEGP_PluginID aegp_plugin_id, AEGP_EffectRefH effect_refH,
                                  const A_Time* timePT, void* effect_extraPV);
  A_Err (*AEGP_DisposeEffect)(AEGP_EffectRefH effect_refH);
  A_Err (*AEGP_ApplyEffect)(AEGP_PluginID aegp_plugin_id, AEGP_LayerH layerH,
                            AEGP_InstalledEffectKey installed_effect_key,
                            AEGP_EffectRefH* effect_refPH);
  A_Err (*AEGP_DeleteLayerEffect)(AEGP_EffectRefH effect_refH);
  A_Err (*AEGP_GetNumInstalledEffects)(A_long* num_installed_effectsPL);
  A_Err (*AEGP_GetNextInstalledEffect)(AEGP_InstalledEffectKey installed_effect_key,
                                       AEGP_InstalledEffectKey* next_effectPH);
  A_Err (*AEGP_GetEffectName)(AEGP_InstalledEffectKey installed_effect_key, A_char* nameZ);
  A_Err (*AEGP_GetEffectMatchName)(AEGP_InstalledEffectKey installed_effect_key,
                                   A_char* match_nameZ);
  A_Err (*AEGP_GetEffectCategory)(AEGP_InstalledEffectKey installed_effect_key, A_char* categoryZ);
  A_Err (*AEGP_DuplicateEffect)(AEGP_EffectRefH original_effect_refH,
                                AEGP_EffectRefH* duplicate_effect_refPH);
} AEGP_EffectSuite2;

#ifdef __cplusplus
}
#endif
