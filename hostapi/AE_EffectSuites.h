// Effect ("PF") suites, acquired through SPBasicSuite by exact name and
// version. Names are case- and space-sensitive.
#pragma once

#include "AE_Effect.h"

#ifdef __cplusplus
extern "C" {
#endif

// ---------------------------------------------------------------- handles
#define kPFHandleSuite "PF Handle Suite"
#define kPFHandleSuiteVersion1 2

typedef struct PF_HandleSuite1 {
  PF_Handle (*host_new_handle)(A_HandleSize size);
  void* (*host_lock_handle)(PF_Handle pf_handle);
  void (*host_unlock_handle)(PF_Handle pf_handle);
  void (*host_dispose_handle)(PF_Handle pf_handle);
  A_HandleSize (*host_get_handle_size)(PF_Handle pf_handle);
  PF_Err (*host_resize_handle)(A_HandleSize new_sizeL, PF_Handle* handlePH);
} PF_HandleSuite1;

// ---------------------------------------------------------------- ANSI
#define kPFANSISuite "PF ANSI Suite"
#define kPFANSISuiteVersion1 1

typedef PF_ANSICallbacks PF_ANSICallbacksSuite1;

// ---------------------------------------------------------------- colour
#define kPFColorParamSuite "PF ColorParamSuite"
#define kPFColorParamSuiteVersion1 1

typedef struct PF_ColorParamSuite1 {
  // The colour control's value as float channels, not limited to 0..1.
  PF_Err (*PF_GetFloatingPointColorFromColorDef)(PF_ProgPtr effect_ref,
                                                 const PF_ParamDef* color_param_def,
                                                 PF_PixelFloat* floating_point_colorP);
} PF_ColorParamSuite1;

// ---------------------------------------------------------------- worlds
#define kPFWorldSuite "PF World Suite"
#define kPFWorldSuiteVersion2 2

typedef A_long PF_PixelFormat;
#define PF_PixelFormat_ARGB32 ((PF_PixelFormat)PF_FOURCC('a', 'r', 'g', 'b'))
#define PF_PixelFormat_ARGB64 ((PF_PixelFormat)PF_FOURCC('a', 'r', '6', '4'))
#define PF_PixelFormat_ARGB128 ((PF_PixelFormat)PF_FOURCC('a', 'r', 'f', '4'))
#define PF_PixelFormat_INVALID ((PF_PixelFormat)PF_FOURCC('b', 'a', 'd', 'f'))

typedef struct PF_WorldSuite2 {
  PF_Err (*PF_GetPixelFormat)(const PF_EffectWorld* effect_worldP, PF_PixelFormat* pixel_formatP);
} PF_WorldSuite2;

// ---------------------------------------------------------------- iteration
// Pixel functions receive the reference value, the pixel's coordinates, the
// source pixel (offset by the origin) and the destination pixel.
typedef PF_Err (*PF_IteratePixel8Func)(void* refconP, A_long xL, A_long yL, PF_Pixel* inP,
                                       PF_Pixel* outP);
typedef PF_Err (*PF_IteratePixel16Func)(void* refconP, A_long xL, A_long yL, PF_Pixel16* inP,
                                        PF_Pixel16* outP);
typedef PF_Err (*PF_IteratePixelFloatFunc)(void* refconP, A_long xL, A_long yL, PF_PixelFloat* inP,
                                           PF_PixelFloat* outP);

#define kPFIterate8Suite "PF Iterate8 Suite"
#define kPFIterate8SuiteVersion1 1
#define kPFIterate16Suite "PF iterate16 Suite"
#define kPFIterate16SuiteVersion1 1
#define kPFIterateFloatSuite "PF iterateFloat Suite"
#define kPFIterateFloatSuiteVersion1 1

// iterate_origin calls pix_fn for every pixel of `area` in dst; the source
// pixel is the one at the same place shifted by `origin`. Rows may run on
// several threads at once. Progress runs from progress_base to
// progress_final.
typedef struct PF_Iterate8Suite1 {
  PF_Err (*iterate_origin)(PF_InData* in_data, A_long progress_base, A_long progress_final,
                           PF_EffectWorld* src, const PF_Rect* area, const PF_Point* origin,
                           void* refcon, PF_IteratePixel8Func pix_fn, PF_EffectWorld* dst);
} PF_Iterate8Suite1;

typedef struct PF_iterate16Suite1 {
  PF_Err (*iterate_origin)(PF_InData* in_data, A_long progress_base, A_long progress_final,
                           PF_EffectWorld* src, const PF_Rect* area, const PF_Point* origin,
                           void* refcon, PF_IteratePixel16Func pix_fn, PF_EffectWorld* dst);
} PF_iterate16Suite1;

typedef struct PF_iterateFloatSuite1 {
  PF_Err (*iterate_origin)(PF_InData* in_data, A_long progress_base, A_long progress_final,
                           PF_EffectWorld* src, const PF_Rect* area, const PF_Point* origin,
                           void* refcon, PF_IteratePixelFloatFunc pix_fn, PF_EffectWorld* dst);
} PF_iterateFloatSuite1;

#ifdef __cplusplus
}
#endif
