// Every function the host hands the plug-in, named by the table it sits in
// and its member there: the basic suite, each suite's table, the utils,
// interaction and smart-render callbacks, implemented or not (a slot the
// host does not implement is still a function the plug-in can call, see
// LeakReport::unimplementedCalls).
//
// KESTROW_HOST_CALL_SLOTS is the one list of them; HostCallId is made from
// it, and every table entry the host builds names its id, so a slot missing
// here, or an id naming no slot, does not compile.
#pragma once

#include <cstddef>
#include <cstdint>

// X(Table, member) for every slot, table by table in the tables' order.
#define KESTROW_HOST_CALL_SLOTS(X)                             \
  X(SPBasicSuite, AcquireSuite)                                \
  X(SPBasicSuite, ReleaseSuite)                                \
  X(SPBasicSuite, IsEqual)                                     \
  X(SPBasicSuite, AllocateBlock)                               \
  X(SPBasicSuite, FreeBlock)                                   \
  X(SPBasicSuite, ReallocateBlock)                             \
  X(SPBasicSuite, Undefined)                                   \
  X(PF_HandleSuite1, host_new_handle)                          \
  X(PF_HandleSuite1, host_lock_handle)                         \
  X(PF_HandleSuite1, host_unlock_handle)                       \
  X(PF_HandleSuite1, host_dispose_handle)                      \
  X(PF_HandleSuite1, host_get_handle_size)                     \
  X(PF_HandleSuite1, host_resize_handle)                       \
  X(PF_ANSICallbacksSuite1, atan)                              \
  X(PF_ANSICallbacksSuite1, atan2)                             \
  X(PF_ANSICallbacksSuite1, ceil)                              \
  X(PF_ANSICallbacksSuite1, cos)                               \
  X(PF_ANSICallbacksSuite1, exp)                               \
  X(PF_ANSICallbacksSuite1, fabs)                              \
  X(PF_ANSICallbacksSuite1, floor)                             \
  X(PF_ANSICallbacksSuite1, fmod)                              \
  X(PF_ANSICallbacksSuite1, hypot)                             \
  X(PF_ANSICallbacksSuite1, log)                               \
  X(PF_ANSICallbacksSuite1, log10)                             \
  X(PF_ANSICallbacksSuite1, pow)                               \
  X(PF_ANSICallbacksSuite1, sin)                               \
  X(PF_ANSICallbacksSuite1, sqrt)                              \
  X(PF_ANSICallbacksSuite1, tan)                               \
  X(PF_ANSICallbacksSuite1, sprintf)                           \
  X(PF_ANSICallbacksSuite1, strcpy)                            \
  X(PF_ANSICallbacksSuite1, asin)                              \
  X(PF_ANSICallbacksSuite1, acos)                              \
  X(PF_WorldSuite2, PF_NewWorld)                               \
  X(PF_WorldSuite2, PF_DisposeWorld)                           \
  X(PF_WorldSuite2, PF_GetPixelFormat)                         \
  X(PF_ColorParamSuite1, PF_GetFloatingPointColorFromColorDef) \
  X(PF_Iterate8Suite1, iterate)                                \
  X(PF_Iterate8Suite1, iterate_origin)                         \
  X(PF_Iterate8Suite1, iterate_lut)                            \
  X(PF_Iterate8Suite1, iterate_origin_non_clip_src)            \
  X(PF_Iterate8Suite1, iterate_generic)                        \
  X(PF_iterate16Suite1, iterate)                               \
  X(PF_iterate16Suite1, iterate_origin)                        \
  X(PF_iterate16Suite1, iterate_origin_non_clip_src)           \
  X(PF_iterateFloatSuite1, iterate)                            \
  X(PF_iterateFloatSuite1, iterate_origin)                     \
  X(PF_iterateFloatSuite1, iterate_origin_non_clip_src)        \
  X(PF_InteractCallbacks, checkout_param)                      \
  X(PF_InteractCallbacks, checkin_param)                       \
  X(PF_InteractCallbacks, add_param)                           \
  X(PF_InteractCallbacks, abort)                               \
  X(PF_InteractCallbacks, progress)                            \
  X(PF_InteractCallbacks, register_ui)                         \
  X(PF_InteractCallbacks, checkout_layer_audio)                \
  X(PF_InteractCallbacks, checkin_layer_audio)                 \
  X(PF_InteractCallbacks, get_audio_data)                      \
  X(PF_PreRenderCallbacks, checkout_layer)                     \
  X(PF_PreRenderCallbacks, GuidMixInPtr)                       \
  X(PF_SmartRenderCallbacks, checkout_layer_pixels)            \
  X(PF_SmartRenderCallbacks, checkin_layer_pixels)             \
  X(PF_SmartRenderCallbacks, checkout_output)                  \
  X(PF_UtilCallbacks, begin_sampling)                          \
  X(PF_UtilCallbacks, subpixel_sample)                         \
  X(PF_UtilCallbacks, area_sample)                             \
  X(PF_UtilCallbacks, end_sampling)                            \
  X(PF_UtilCallbacks, composite_rect)                          \
  X(PF_UtilCallbacks, blend)                                   \
  X(PF_UtilCallbacks, convolve)                                \
  X(PF_UtilCallbacks, copy)                                    \
  X(PF_UtilCallbacks, fill)                                    \
  X(PF_UtilCallbacks, gaussian_kernel)                         \
  X(PF_UtilCallbacks, premultiply)                             \
  X(PF_UtilCallbacks, premultiply_color)                       \
  X(PF_UtilCallbacks, new_world)                               \
  X(PF_UtilCallbacks, dispose_world)                           \
  X(PF_UtilCallbacks, iterate_lut)                             \
  X(PF_UtilCallbacks, transfer_rect)                           \
  X(PF_UtilCallbacks, transform_world)                         \
  X(PF_UtilCallbacks, host_new_handle)                         \
  X(PF_UtilCallbacks, host_lock_handle)                        \
  X(PF_UtilCallbacks, host_unlock_handle)                      \
  X(PF_UtilCallbacks, host_dispose_handle)                     \
  X(PF_UtilCallbacks, get_callback_addr)                       \
  X(PF_UtilCallbacks, app)                                     \
  X(PF_UtilCallbacks, get_platform_data)                       \
  X(PF_UtilCallbacks, host_get_handle_size)                    \
  X(PF_UtilCallbacks, iterate_origin_non_clip_src)             \
  X(PF_UtilCallbacks, iterate_generic)                         \
  X(PF_UtilCallbacks, host_resize_handle)                      \
  X(PF_UtilCallbacks, subpixel_sample16)                       \
  X(PF_UtilCallbacks, area_sample16)                           \
  X(PF_UtilCallbacks, fill16)                                  \
  X(PF_UtilCallbacks, premultiply_color16)                     \
  X(PF_UtilCallbacks, iterate_origin_non_clip_src16)           \
  X(PF_UtilCallbacks, get_pixel_data8)                         \
  X(PF_UtilCallbacks, get_pixel_data16)                        \
  X(PF_ColorCallbacks, RGBtoHLS)                               \
  X(PF_ColorCallbacks, HLStoRGB)                               \
  X(PF_ColorCallbacks, RGBtoYIQ)                               \
  X(PF_ColorCallbacks, YIQtoRGB)                               \
  X(PF_ColorCallbacks, Luminance)                              \
  X(PF_ColorCallbacks, Hue)                                    \
  X(PF_ColorCallbacks, Lightness)                              \
  X(PF_ColorCallbacks, Saturation)                             \
  X(AEGP_UtilitySuite3, AEGP_ReportInfo)                       \
  X(AEGP_UtilitySuite3, AEGP_GetDriverPluginInitFuncVersion)   \
  X(AEGP_UtilitySuite3, AEGP_GetDriverImplementationVersion)   \
  X(AEGP_UtilitySuite3, AEGP_StartQuietErrors)                 \
  X(AEGP_UtilitySuite3, AEGP_EndQuietErrors)                   \
  X(AEGP_UtilitySuite3, AEGP_StartUndoGroup)                   \
  X(AEGP_UtilitySuite3, AEGP_EndUndoGroup)                     \
  X(AEGP_UtilitySuite3, AEGP_RegisterWithAEGP)                 \
  X(AEGP_UtilitySuite3, AEGP_GetMainHWND)                      \
  X(AEGP_UtilitySuite3, AEGP_ShowHideAllFloaters)              \
  X(AEGP_UtilitySuite3, AEGP_PaintPalGetForeColor)             \
  X(AEGP_UtilitySuite3, AEGP_PaintPalGetBackColor)             \
  X(AEGP_UtilitySuite3, AEGP_PaintPalSetForeColor)             \
  X(AEGP_UtilitySuite3, AEGP_PaintPalSetBackColor)             \
  X(AEGP_UtilitySuite3, AEGP_CharPalGetFillColor)              \
  X(AEGP_UtilitySuite3, AEGP_CharPalGetStrokeColor)            \
  X(AEGP_UtilitySuite3, AEGP_CharPalSetFillColor)              \
  X(AEGP_UtilitySuite3, AEGP_CharPalSetStrokeColor)            \
  X(AEGP_UtilitySuite3, AEGP_CharPalIsFillColorUIFrontmost)    \
  X(AEGP_UtilitySuite3, AEGP_ConvertFpLongToHSFRatio)          \
  X(AEGP_UtilitySuite3, AEGP_ConvertHSFRatioToFpLong)          \
  X(AEGP_UtilitySuite3, AEGP_CauseIdleRoutinesToBeCalled)      \
  X(AEGP_UtilitySuite3, AEGP_GetSuppressInteractiveUI)         \
  X(AEGP_UtilitySuite3, AEGP_WriteToOSConsole)                 \
  X(AEGP_UtilitySuite3, AEGP_WriteToDebugLog)                  \
  X(AEGP_PFInterfaceSuite1, AEGP_GetEffectLayer)               \
  X(AEGP_PFInterfaceSuite1, AEGP_GetNewEffectForEffect)        \
  X(AEGP_PFInterfaceSuite1, AEGP_ConvertEffectToCompTime)      \
  X(AEGP_PFInterfaceSuite1, AEGP_GetEffectCamera)              \
  X(AEGP_PFInterfaceSuite1, AEGP_GetEffectCameraMatrix)        \
  X(AEGP_StreamSuite2, AEGP_IsStreamLegal)                     \
  X(AEGP_StreamSuite2, AEGP_CanVaryOverTime)                   \
  X(AEGP_StreamSuite2, AEGP_GetValidInterpolations)            \
  X(AEGP_StreamSuite2, AEGP_GetNewLayerStream)                 \
  X(AEGP_StreamSuite2, AEGP_GetEffectNumParamStreams)          \
  X(AEGP_StreamSuite2, AEGP_GetNewEffectStreamByIndex)         \
  X(AEGP_StreamSuite2, AEGP_GetNewMaskStream)                  \
  X(AEGP_StreamSuite2, AEGP_DisposeStream)                     \
  X(AEGP_StreamSuite2, AEGP_GetStreamName)                     \
  X(AEGP_StreamSuite2, AEGP_GetStreamUnitsText)                \
  X(AEGP_StreamSuite2, AEGP_GetStreamProperties)               \
  X(AEGP_StreamSuite2, AEGP_IsStreamTimevarying)               \
  X(AEGP_StreamSuite2, AEGP_GetStreamType)                     \
  X(AEGP_StreamSuite2, AEGP_GetNewStreamValue)                 \
  X(AEGP_StreamSuite2, AEGP_DisposeStreamValue)                \
  X(AEGP_StreamSuite2, AEGP_SetStreamValue)                    \
  X(AEGP_StreamSuite2, AEGP_GetLayerStreamValue)               \
  X(AEGP_StreamSuite2, AEGP_GetExpressionState)                \
  X(AEGP_StreamSuite2, AEGP_SetExpressionState)                \
  X(AEGP_StreamSuite2, AEGP_GetExpression)                     \
  X(AEGP_StreamSuite2, AEGP_SetExpression)                     \
  X(AEGP_StreamSuite2, AEGP_DuplicateStreamRef)                \
  X(AEGP_DynamicStreamSuite2, AEGP_GetNewStreamRefForLayer)    \
  X(AEGP_DynamicStreamSuite2, AEGP_GetStreamDepth)             \
  X(AEGP_DynamicStreamSuite2, AEGP_GetStreamGroupingType)      \
  X(AEGP_DynamicStreamSuite2, AEGP_GetNumStreamsInGroup)       \
  X(AEGP_DynamicStreamSuite2, AEGP_GetDynamicStreamFlags)      \
  X(AEGP_DynamicStreamSuite2, AEGP_SetDynamicStreamFlag)       \
  X(AEGP_DynamicStreamSuite2, AEGP_GetNewStreamRefByIndex)     \
  X(AEGP_DynamicStreamSuite2, AEGP_GetNewStreamRefByMatchname) \
  X(AEGP_DynamicStreamSuite2, AEGP_DeleteStream)               \
  X(AEGP_DynamicStreamSuite2, AEGP_ReorderStream)              \
  X(AEGP_DynamicStreamSuite2, AEGP_DuplicateStream)            \
  X(AEGP_DynamicStreamSuite2, AEGP_SetStreamName)              \
  X(AEGP_DynamicStreamSuite2, AEGP_CanAddStream)               \
  X(AEGP_DynamicStreamSuite2, AEGP_AddStream)                  \
  X(AEGP_DynamicStreamSuite2, AEGP_GetMatchName)               \
  X(AEGP_DynamicStreamSuite2, AEGP_GetNewParentStreamRef)      \
  X(AEGP_DynamicStreamSuite2, AEGP_GetStreamIsModified)        \
  X(AEGP_EffectSuite2, AEGP_GetLayerNumEffects)                \
  X(AEGP_EffectSuite2, AEGP_GetLayerEffectByIndex)             \
  X(AEGP_EffectSuite2, AEGP_GetInstalledKeyFromLayerEffect)    \
  X(AEGP_EffectSuite2, AEGP_GetEffectParamUnionByIndex)        \
  X(AEGP_EffectSuite2, AEGP_GetEffectFlags)                    \
  X(AEGP_EffectSuite2, AEGP_SetEffectFlags)                    \
  X(AEGP_EffectSuite2, AEGP_ReorderEffect)                     \
  X(AEGP_EffectSuite2, AEGP_EffectCallGeneric)                 \
  X(AEGP_EffectSuite2, AEGP_DisposeEffect)                     \
  X(AEGP_EffectSuite2, AEGP_ApplyEffect)                       \
  X(AEGP_EffectSuite2, AEGP_DeleteLayerEffect)                 \
  X(AEGP_EffectSuite2, AEGP_GetNumInstalledEffects)            \
  X(AEGP_EffectSuite2, AEGP_GetNextInstalledEffect)            \
  X(AEGP_EffectSuite2, AEGP_GetEffectName)                     \
  X(AEGP_EffectSuite2, AEGP_GetEffectMatchName)                \
  X(AEGP_EffectSuite2, AEGP_GetEffectCategory)                 \
  X(AEGP_EffectSuite2, AEGP_DuplicateEffect)

namespace kestrow::host {

// One slot: HostCallId::PF_InteractCallbacks_checkout_param, ...
enum class HostCallId : std::uint16_t {
#define KESTROW_HOST_CALL_ID(table, member) table##_##member,
  KESTROW_HOST_CALL_SLOTS(KESTROW_HOST_CALL_ID)
#undef KESTROW_HOST_CALL_ID
};

inline constexpr const char* kHostCallNames[] = {
#define KESTROW_HOST_CALL_NAME(table, member) #table "." #member,
    KESTROW_HOST_CALL_SLOTS(KESTROW_HOST_CALL_NAME)
#undef KESTROW_HOST_CALL_NAME
};

inline constexpr std::size_t kHostCallCount = sizeof kHostCallNames / sizeof kHostCallNames[0];

// "Table.member", e.g. "PF_InteractCallbacks.checkout_param".
constexpr const char* hostCallName(HostCallId id) {
  return std::size_t(id) < kHostCallCount ? kHostCallNames[std::size_t(id)] : "?";
}

}  // namespace kestrow::host
