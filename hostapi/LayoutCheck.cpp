// Compile-time check of the host API's binary layout: the sizes, member
// offsets and suite slots that the plug-in and the host both rely on, as the
// real host lays them out on x86-64 (Linux and Windows alike). Compiled into
// every target that uses these headers, so no build can drift from them.
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "AE_Effect.h"
#include "AE_EffectCB.h"
#include "AE_EffectSmartRender.h"
#include "AE_EffectSuites.h"
#include "AE_GeneralPlug.h"
#include "AE_PiPL.h"
#include "SPBasic.h"

namespace {

#define KESTROW_SIZE(type, size) static_assert(sizeof(type) == (size), #type " size")
#define KESTROW_AT(type, member, offset) \
  static_assert(offsetof(type, member) == (offset), #type "." #member " offset")
#define KESTROW_SLOT(suite, function, slot) \
  static_assert(offsetof(suite, function) == 8 * (slot), #suite "." #function " slot")

// ---------------------------------------------------------------- scalars
static_assert(sizeof(void*) == 8, "x86-64 only");
KESTROW_SIZE(A_long, 4);
KESTROW_SIZE(A_short, 2);
KESTROW_SIZE(A_u_longlong, 8);
KESTROW_SIZE(PF_Boolean, 1);
KESTROW_SIZE(PF_ValueDisplayFlags, 2);
KESTROW_SIZE(PF_RenderOutputFlags, 2);
KESTROW_SIZE(AEGP_DynStreamFlags, 4);
#if defined(_WIN32)
static_assert(std::is_same_v<PF_Boolean, char>, "PF_Boolean is char on Windows");
static_assert(std::is_same_v<SPBoolean, int32_t>, "SPBoolean is a 32-bit int on Windows");
#endif

// ---------------------------------------------------------------- records
KESTROW_SIZE(PF_LRect, 16);
KESTROW_SIZE(PF_Point, 8);
KESTROW_SIZE(PF_RationalScale, 8);
KESTROW_SIZE(PF_Pixel, 4);
KESTROW_SIZE(PF_Pixel16, 8);
KESTROW_SIZE(PF_PixelFloat, 16);
KESTROW_SIZE(PF_LayerDef, 120);
KESTROW_AT(PF_LayerDef, reserved0, 0);
KESTROW_AT(PF_LayerDef, world_flags, 16);
KESTROW_AT(PF_LayerDef, data, 24);
KESTROW_AT(PF_LayerDef, rowbytes, 32);
KESTROW_AT(PF_LayerDef, width, 36);
KESTROW_AT(PF_LayerDef, height, 40);
KESTROW_AT(PF_LayerDef, extent_hint, 44);
KESTROW_AT(PF_LayerDef, pix_aspect_ratio, 88);
KESTROW_AT(PF_LayerDef, origin_x, 104);
KESTROW_AT(PF_LayerDef, origin_y, 108);
KESTROW_AT(PF_LayerDef, dephault, 116);
KESTROW_SIZE(PF_SliderDef, 88);
KESTROW_SIZE(PF_FixedSliderDef, 92);
KESTROW_SIZE(PF_AngleDef, 16);
KESTROW_AT(PF_AngleDef, value, 0);
KESTROW_AT(PF_AngleDef, dephault, 4);
KESTROW_AT(PF_AngleDef, valid_min, 8);
KESTROW_AT(PF_AngleDef, valid_max, 12);
KESTROW_SIZE(PF_CheckBoxDef, 16);
KESTROW_AT(PF_CheckBoxDef, value, 0);
KESTROW_AT(PF_CheckBoxDef, dephault, 4);
KESTROW_AT(PF_CheckBoxDef, u, 8);
KESTROW_SIZE(PF_ColorDef, 8);
KESTROW_AT(PF_ColorDef, value, 0);
KESTROW_AT(PF_ColorDef, dephault, 4);
KESTROW_SIZE(PF_PointDef, 20);
KESTROW_SIZE(PF_PopupDef, 16);
KESTROW_AT(PF_PopupDef, value, 0);
KESTROW_AT(PF_PopupDef, num_choices, 4);
KESTROW_AT(PF_PopupDef, dephault, 6);
KESTROW_AT(PF_PopupDef, u, 8);
KESTROW_SIZE(PF_FloatSliderDef, 88);
KESTROW_AT(PF_FloatSliderDef, value, 0);
KESTROW_AT(PF_FloatSliderDef, valid_min, 48);
KESTROW_AT(PF_FloatSliderDef, valid_max, 52);
KESTROW_AT(PF_FloatSliderDef, slider_min, 56);
KESTROW_AT(PF_FloatSliderDef, slider_max, 60);
KESTROW_AT(PF_FloatSliderDef, dephault, 64);
KESTROW_AT(PF_FloatSliderDef, precision, 68);
KESTROW_AT(PF_FloatSliderDef, display_flags, 70);
KESTROW_AT(PF_FloatSliderDef, fs_flags, 72);
KESTROW_AT(PF_FloatSliderDef, curve_tolerance, 76);
KESTROW_AT(PF_FloatSliderDef, useExponent, 80);
KESTROW_AT(PF_FloatSliderDef, exponent, 84);
KESTROW_SIZE(PF_ArbitraryDef, 32);
KESTROW_SIZE(PF_PathDef, 12);
KESTROW_SIZE(PF_ButtonDef, 16);
KESTROW_SIZE(PF_Point3DDef, 64);
KESTROW_AT(PF_Point3DDef, x_value, 0);
KESTROW_AT(PF_Point3DDef, y_value, 8);
KESTROW_AT(PF_Point3DDef, z_value, 16);
KESTROW_AT(PF_Point3DDef, x_dephault, 24);
KESTROW_AT(PF_Point3DDef, y_dephault, 32);
KESTROW_AT(PF_Point3DDef, z_dephault, 40);
KESTROW_SIZE(PF_ParamDefUnion, 120);
KESTROW_SIZE(PF_ParamDef, 176);
KESTROW_AT(PF_ParamDef, uu, 0);
KESTROW_AT(PF_ParamDef, ui_flags, 4);
KESTROW_AT(PF_ParamDef, ui_width, 8);
KESTROW_AT(PF_ParamDef, ui_height, 10);
KESTROW_AT(PF_ParamDef, param_type, 12);
KESTROW_AT(PF_ParamDef, name, 16);
KESTROW_AT(PF_ParamDef, flags, 48);
KESTROW_AT(PF_ParamDef, unused, 52);
KESTROW_AT(PF_ParamDef, u, 56);
KESTROW_SIZE(PF_SpecVersion, 4);
KESTROW_SIZE(PF_SoundFormatInfo, 16);
KESTROW_SIZE(PF_SoundWorld, 32);
KESTROW_SIZE(PF_InteractCallbacks, 176);
KESTROW_AT(PF_InteractCallbacks, checkout_param, 0);
KESTROW_AT(PF_InteractCallbacks, checkin_param, 8);
KESTROW_AT(PF_InteractCallbacks, add_param, 16);
KESTROW_AT(PF_InteractCallbacks, abort, 24);
KESTROW_AT(PF_InteractCallbacks, progress, 32);
KESTROW_AT(PF_InteractCallbacks, register_ui, 40);
KESTROW_AT(PF_InteractCallbacks, get_audio_data, 64);
KESTROW_AT(PF_InteractCallbacks, reserved_str, 72);
KESTROW_AT(PF_InteractCallbacks, reserved, 96);
KESTROW_SIZE(PF_ANSICallbacks, 160);
KESTROW_AT(PF_ANSICallbacks, atan2, 8);
KESTROW_AT(PF_ANSICallbacks, sprintf, 120);
KESTROW_AT(PF_ANSICallbacks, strcpy, 128);
KESTROW_AT(PF_ANSICallbacks, acos, 144);
KESTROW_AT(PF_ANSICallbacks, ansi_procs, 152);
KESTROW_SIZE(PF_ColorCallbacks, 64);
KESTROW_SIZE(PF_UtilCallbacks, 552);
KESTROW_AT(PF_UtilCallbacks, copy, 64);
KESTROW_AT(PF_UtilCallbacks, iterate, 88);
KESTROW_AT(PF_UtilCallbacks, iterate_origin, 128);
KESTROW_AT(PF_UtilCallbacks, host_new_handle, 160);
KESTROW_AT(PF_UtilCallbacks, host_lock_handle, 168);
KESTROW_AT(PF_UtilCallbacks, host_unlock_handle, 176);
KESTROW_AT(PF_UtilCallbacks, host_dispose_handle, 184);
KESTROW_AT(PF_UtilCallbacks, app, 200);
KESTROW_AT(PF_UtilCallbacks, ansi, 208);
KESTROW_AT(PF_UtilCallbacks, colorCB, 368);
KESTROW_AT(PF_UtilCallbacks, host_get_handle_size, 440);
KESTROW_AT(PF_UtilCallbacks, host_resize_handle, 464);
KESTROW_AT(PF_UtilCallbacks, iterate16, 504);
KESTROW_AT(PF_UtilCallbacks, iterate_origin16, 512);
KESTROW_AT(PF_UtilCallbacks, reserved, 544);
KESTROW_SIZE(PF_InData, 408);
KESTROW_AT(PF_InData, inter, 0);
KESTROW_AT(PF_InData, utils, 176);
KESTROW_AT(PF_InData, effect_ref, 184);
KESTROW_AT(PF_InData, quality, 192);
KESTROW_AT(PF_InData, version, 196);
KESTROW_AT(PF_InData, appl_id, 204);
KESTROW_AT(PF_InData, num_params, 208);
KESTROW_AT(PF_InData, current_time, 224);
KESTROW_AT(PF_InData, time_step, 228);
KESTROW_AT(PF_InData, total_time, 232);
KESTROW_AT(PF_InData, local_time_step, 236);
KESTROW_AT(PF_InData, time_scale, 240);
KESTROW_AT(PF_InData, width, 252);
KESTROW_AT(PF_InData, height, 256);
KESTROW_AT(PF_InData, extent_hint, 260);
KESTROW_AT(PF_InData, output_origin_x, 276);
KESTROW_AT(PF_InData, output_origin_y, 280);
KESTROW_AT(PF_InData, downsample_x, 284);
KESTROW_AT(PF_InData, downsample_y, 292);
KESTROW_AT(PF_InData, pixel_aspect_ratio, 300);
KESTROW_AT(PF_InData, global_data, 312);
KESTROW_AT(PF_InData, sequence_data, 320);
KESTROW_AT(PF_InData, src_snd, 352);
KESTROW_AT(PF_InData, pica_basicP, 384);
KESTROW_AT(PF_InData, shutter_phase, 400);
KESTROW_SIZE(PF_OutData, 408);
KESTROW_AT(PF_OutData, my_version, 0);
KESTROW_AT(PF_OutData, global_data, 40);
KESTROW_AT(PF_OutData, num_params, 48);
KESTROW_AT(PF_OutData, sequence_data, 56);
KESTROW_AT(PF_OutData, flat_sdata_size, 64);
KESTROW_AT(PF_OutData, out_flags, 96);
KESTROW_AT(PF_OutData, return_msg, 100);
KESTROW_AT(PF_OutData, dest_snd, 368);
KESTROW_AT(PF_OutData, out_flags2, 400);
KESTROW_SIZE(PF_UserChangedParamExtra, 4);
KESTROW_SIZE(PF_RenderRequest, 44);
KESTROW_AT(PF_RenderRequest, rect, 0);
KESTROW_AT(PF_RenderRequest, field, 16);
KESTROW_AT(PF_RenderRequest, channel_mask, 20);
KESTROW_AT(PF_RenderRequest, preserve_rgb_of_zero_alpha, 24);
KESTROW_AT(PF_RenderRequest, reserved, 28);
KESTROW_SIZE(PF_CheckoutResult, 76);
KESTROW_AT(PF_CheckoutResult, result_rect, 0);
KESTROW_AT(PF_CheckoutResult, max_result_rect, 16);
KESTROW_AT(PF_CheckoutResult, par, 32);
KESTROW_AT(PF_CheckoutResult, solid, 40);
KESTROW_AT(PF_CheckoutResult, ref_width, 44);
KESTROW_AT(PF_CheckoutResult, ref_height, 48);
KESTROW_SIZE(PF_PreRenderInput, 64);
KESTROW_AT(PF_PreRenderInput, output_request, 0);
KESTROW_AT(PF_PreRenderInput, bitdepth, 44);
KESTROW_AT(PF_PreRenderInput, gpu_data, 48);
KESTROW_AT(PF_PreRenderInput, what_gpu, 56);
KESTROW_AT(PF_PreRenderInput, device_index, 60);
KESTROW_SIZE(PF_PreRenderOutput, 56);
KESTROW_AT(PF_PreRenderOutput, result_rect, 0);
KESTROW_AT(PF_PreRenderOutput, max_result_rect, 16);
KESTROW_AT(PF_PreRenderOutput, solid, 32);
KESTROW_AT(PF_PreRenderOutput, flags, 34);
KESTROW_AT(PF_PreRenderOutput, pre_render_data, 40);
KESTROW_AT(PF_PreRenderOutput, delete_pre_render_data_func, 48);
KESTROW_SIZE(PF_PreRenderCallbacks, 16);
KESTROW_AT(PF_PreRenderCallbacks, checkout_layer, 0);
KESTROW_AT(PF_PreRenderCallbacks, GuidMixInPtr, 8);
KESTROW_SIZE(PF_PreRenderExtra, 24);
KESTROW_AT(PF_PreRenderExtra, input, 0);
KESTROW_AT(PF_PreRenderExtra, output, 8);
KESTROW_AT(PF_PreRenderExtra, cb, 16);
KESTROW_SIZE(PF_SmartRenderInput, 72);
KESTROW_AT(PF_SmartRenderInput, output_request, 0);
KESTROW_AT(PF_SmartRenderInput, bitdepth, 44);
KESTROW_AT(PF_SmartRenderInput, pre_render_data, 48);
KESTROW_AT(PF_SmartRenderInput, gpu_data, 56);
KESTROW_AT(PF_SmartRenderInput, what_gpu, 64);
KESTROW_AT(PF_SmartRenderInput, device_index, 68);
KESTROW_SIZE(PF_SmartRenderCallbacks, 24);
KESTROW_AT(PF_SmartRenderCallbacks, checkout_layer_pixels, 0);
KESTROW_AT(PF_SmartRenderCallbacks, checkin_layer_pixels, 8);
KESTROW_AT(PF_SmartRenderCallbacks, checkout_output, 16);
KESTROW_SIZE(PF_SmartRenderExtra, 16);
KESTROW_AT(PF_SmartRenderExtra, input, 0);
KESTROW_AT(PF_SmartRenderExtra, cb, 8);

// ---------------------------------------------------------------- suites
KESTROW_SIZE(SPBasicSuite, 56);
KESTROW_SLOT(SPBasicSuite, AcquireSuite, 0);
KESTROW_SLOT(SPBasicSuite, ReleaseSuite, 1);
KESTROW_SLOT(SPBasicSuite, IsEqual, 2);
KESTROW_SLOT(SPBasicSuite, AllocateBlock, 3);
KESTROW_SLOT(SPBasicSuite, FreeBlock, 4);
KESTROW_SLOT(SPBasicSuite, ReallocateBlock, 5);
KESTROW_SLOT(SPBasicSuite, Undefined, 6);
KESTROW_SIZE(PF_HandleSuite1, 48);
KESTROW_SLOT(PF_HandleSuite1, host_new_handle, 0);
KESTROW_SLOT(PF_HandleSuite1, host_lock_handle, 1);
KESTROW_SLOT(PF_HandleSuite1, host_unlock_handle, 2);
KESTROW_SLOT(PF_HandleSuite1, host_dispose_handle, 3);
KESTROW_SLOT(PF_HandleSuite1, host_get_handle_size, 4);
KESTROW_SLOT(PF_HandleSuite1, host_resize_handle, 5);
KESTROW_SIZE(PF_ANSICallbacksSuite1, 152);
KESTROW_SLOT(PF_ANSICallbacksSuite1, atan2, 1);
KESTROW_SLOT(PF_ANSICallbacksSuite1, sprintf, 15);
KESTROW_SLOT(PF_ANSICallbacksSuite1, strcpy, 16);
KESTROW_SLOT(PF_ANSICallbacksSuite1, acos, 18);
KESTROW_SIZE(PF_ColorParamSuite1, 8);
KESTROW_SLOT(PF_ColorParamSuite1, PF_GetFloatingPointColorFromColorDef, 0);
KESTROW_SIZE(PF_WorldSuite2, 24);
KESTROW_SLOT(PF_WorldSuite2, PF_GetPixelFormat, 2);
KESTROW_SIZE(PF_Iterate8Suite1, 40);
KESTROW_SLOT(PF_Iterate8Suite1, iterate, 0);
KESTROW_SLOT(PF_Iterate8Suite1, iterate_origin, 1);
KESTROW_SIZE(PF_iterate16Suite1, 24);
KESTROW_SLOT(PF_iterate16Suite1, iterate, 0);
KESTROW_SLOT(PF_iterate16Suite1, iterate_origin, 1);
KESTROW_SIZE(PF_iterateFloatSuite1, 24);
KESTROW_SLOT(PF_iterateFloatSuite1, iterate, 0);
KESTROW_SLOT(PF_iterateFloatSuite1, iterate_origin, 1);
KESTROW_SIZE(AEGP_UtilitySuite3, 200);
KESTROW_SLOT(AEGP_UtilitySuite3, AEGP_RegisterWithAEGP, 7);
KESTROW_SIZE(AEGP_PFInterfaceSuite1, 40);
KESTROW_SLOT(AEGP_PFInterfaceSuite1, AEGP_GetNewEffectForEffect, 1);
KESTROW_SIZE(AEGP_StreamSuite2, 176);
KESTROW_SLOT(AEGP_StreamSuite2, AEGP_GetNewEffectStreamByIndex, 5);
KESTROW_SLOT(AEGP_StreamSuite2, AEGP_DisposeStream, 7);
KESTROW_SIZE(AEGP_DynamicStreamSuite2, 136);
KESTROW_SLOT(AEGP_DynamicStreamSuite2, AEGP_SetDynamicStreamFlag, 5);
KESTROW_SIZE(AEGP_EffectSuite2, 136);
KESTROW_SLOT(AEGP_EffectSuite2, AEGP_DisposeEffect, 8);

// ---------------------------------------------------------------- constants
static_assert(PF_PixelFormat_ARGB32 == 0x62677261, "'argb', first character lowest");
static_assert(PF_PixelFormat_ARGB64 == 0x36316561, "'ae16'");
static_assert(PF_PixelFormat_ARGB128 == 0x32336561, "'ae32'");
static_assert(PF_PixelFormat_INVALID == 0x66646162, "'badf'");
static_assert(PF_APPL_ID_AFTER_EFFECTS == 0x46585443u, "'FXTC', first character highest");
static_assert(PIPL_KEY_CODE_MAC_ARM64 == 0x6D613634u, "'ma64'");
static_assert(PF_OutFlag_SEQUENCE_DATA_NEEDS_FLATTENING == 16);
static_assert(PF_PUI_DISABLED == 32 && PF_PUI_INVISIBLE == 512);
static_assert(AEGP_DynStreamFlag_HIDDEN == 2 && AEGP_DynStreamFlag_DISABLED == 16);
static_assert(PF_Cmd_SMART_RENDER == 24 && PF_Cmd_NUM_CMDS == 34);

}  // namespace
