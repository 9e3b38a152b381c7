// Effect ("PF") suites, acquired through SPBasicSuite by exact name and
// version. Names are case- and space-sensitive. Each table is complete, in
// its published slot order.
#pragma once

#include "AE_Effect.h"
#include "AE_EffectCB.h"

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

// The ANSI block of the utility callbacks as a suite of its own (without
// the block's trailing member).
typedef struct PF_ANSICallbacksSuite1 {
  A_FpLong (*atan)(A_FpLong);
  A_FpLong (*atan2)(A_FpLong y, A_FpLong x);
  A_FpLong (*ceil)(A_FpLong);
  A_FpLong (*cos)(A_FpLong);
  A_FpLong (*exp)(A_FpLong);
  A_FpLong (*fabs)(A_FpLong);
  A_FpLong (*floor)(A_FpLong);
  A_FpLong (*fmod)(A_FpLong x, A_FpLong y);
  A_FpLong (*hypot)(A_FpLong x, A_FpLong y);
  A_FpLong (*log)(A_FpLong);
  A_FpLong (*log10)(A_FpLong);
  A_FpLong (*pow)(A_FpLong x, A_FpLong y);
  A_FpLong (*sin)(A_FpLong);
  A_FpLong (*sqrt)(A_FpLong);
  A_FpLong (*tan)(A_FpLong);
  int (*sprintf)(A_char*, const A_char*, ...);
  A_char* (*strcpy)(A_char*, const A_char*);
  A_FpLong (*asin)(A_FpLong);
  A_FpLong (*acos)(A_FpLong);
} PF_ANSICallbacksSuite1;

// ---------------------------------------------------------------- colour
#define kPFColorParamSuite "PF ColorParamSuite"
#define kPFColorParamSuiteVersion1 1

typedef struct PF_ColorParamSuite1 {
  // The colour control's value as float channels, not limited to 0..1.
  PF_Err (*PF_GetFloatingPointColorFromColorDef)(PF_ProgPtr effect_ref,
                                                 const PF_ParamDef* color_defP,
                                                 PF_PixelFloat* fp_colorP);
} PF_ColorParamSuite1;

// ---------------------------------------------------------------- worlds
#define kPFWorldSuite "PF World Suite"
#define kPFWorldSuiteVersion2 2

// Pixel formats: four characters packed first character in the lowest
// byte, so 'ae32' reads "ae32" from memory on a little-endian machine.
typedef A_long PF_PixelFormat;
#define PF_PIXEL_FORMAT_CODE(a, b, c, d)                                     \
  ((PF_PixelFormat)((A_u_long)(A_u_char)(a) | (A_u_long)(A_u_char)(b) << 8 | \
                    (A_u_long)(A_u_char)(c) << 16 | (A_u_long)(A_u_char)(d) << 24))
#define PF_PixelFormat_ARGB32 PF_PIXEL_FORMAT_CODE('a', 'r', 'g', 'b')
#define PF_PixelFormat_ARGB64 PF_PIXEL_FORMAT_CODE('a', 'e', '1', '6')
#define PF_PixelFormat_ARGB128 PF_PIXEL_FORMAT_CODE('a', 'e', '3', '2')
#define PF_PixelFormat_GPU_BGRA128 PF_PIXEL_FORMAT_CODE('@', 'C', 'D', 'A')
#define PF_PixelFormat_RESERVED PF_PIXEL_FORMAT_CODE('@', 'C', 'D', 'a')
#define PF_PixelFormat_BGRA32 PF_PIXEL_FORMAT_CODE('b', 'g', 'r', 'a')
#define PF_PixelFormat_VUYA32 PF_PIXEL_FORMAT_CODE('v', 'u', 'y', 'a')
#define PF_PixelFormat_NTSCDV25 PF_PIXEL_FORMAT_CODE('d', 'v', 'n', '2')
#define PF_PixelFormat_PALDV25 PF_PIXEL_FORMAT_CODE('d', 'v', 'p', '2')
#define PF_PixelFormat_INVALID PF_PIXEL_FORMAT_CODE('b', 'a', 'd', 'f')
#define PF_PixelFormat_FORCE_LONG_INT ((PF_PixelFormat)0xFFFFFFFFu)

typedef struct PF_WorldSuite2 {
  PF_Err (*PF_NewWorld)(PF_ProgPtr effect_ref, A_long widthL, A_long heightL, PF_Boolean clear_pixB,
                        PF_PixelFormat pixel_format, PF_EffectWorld* worldP);
  PF_Err (*PF_DisposeWorld)(PF_ProgPtr effect_ref, PF_EffectWorld* worldP);
  PF_Err (*PF_GetPixelFormat)(const PF_EffectWorld* worldP, PF_PixelFormat* pixel_formatP);
} PF_WorldSuite2;

// ---------------------------------------------------------------- iteration
#define kPFIterate8Suite "PF Iterate8 Suite"
#define kPFIterate8SuiteVersion1 1
#define kPFIterate16Suite "PF iterate16 Suite"
#define kPFIterate16SuiteVersion1 1
#define kPFIterateFloatSuite "PF iterateFloat Suite"
#define kPFIterateFloatSuiteVersion1 1

// Declares the iteration entries of one pixel depth: `iterate` calls pix_fn
// for every pixel of `area` (null: all of dst) with the source pixel at the
// same place; the `origin` variants shift the source pixel by `origin`, the
// non-clipping one lets that shifted pixel lie outside src. Rows may run on
// several threads at once. Progress runs from progress_base to
// progress_final.
#define PF_ITERATE_ENTRIES(PixelFunc)                                                          \
  PF_Err (*iterate)(PF_InData * in_data, A_long progress_base, A_long progress_final,          \
                    PF_EffectWorld * src, const PF_Rect* area, void* refcon, PixelFunc pix_fn, \
                    PF_EffectWorld* dst);                                                      \
  PF_Err (*iterate_origin)(PF_InData * in_data, A_long progress_base, A_long progress_final,   \
                           PF_EffectWorld * src, const PF_Rect* area, const PF_Point* origin,  \
                           void* refcon, PixelFunc pix_fn, PF_EffectWorld* dst)
#define PF_ITERATE_NON_CLIP_ENTRY(PixelFunc)                                                       \
  PF_Err (*iterate_origin_non_clip_src)(PF_InData * in_data, A_long progress_base,                 \
                                        A_long progress_final, PF_EffectWorld * src,               \
                                        const PF_Rect* area, const PF_Point* origin, void* refcon, \
                                        PixelFunc pix_fn, PF_EffectWorld* dst)

typedef struct PF_Iterate8Suite1 {
  PF_ITERATE_ENTRIES(PF_IteratePixel8Func);
  PF_Err (*iterate_lut)(PF_InData* in_data, A_long progress_base, A_long progress_final,
                        PF_EffectWorld* src, const PF_Rect* area, A_u_char* a_lut0,
                        A_u_char* r_lut0, A_u_char* g_lut0, A_u_char* b_lut0, PF_EffectWorld* dst);
  PF_ITERATE_NON_CLIP_ENTRY(PF_IteratePixel8Func);
  PF_Err (*iterate_generic)(A_long iterationsL, void* refconPV,
                            PF_Err (*fn_func)(void* refconPV, A_long thread_indexL, A_long i,
                                              A_long iterationsL));
} PF_Iterate8Suite1;

typedef struct PF_iterate16Suite1 {
  PF_ITERATE_ENTRIES(PF_IteratePixel16Func);
  PF_ITERATE_NON_CLIP_ENTRY(PF_IteratePixel16Func);
} PF_iterate16Suite1;

typedef struct PF_iterateFloatSuite1 {
  PF_ITERATE_ENTRIES(PF_IteratePixelFloatFunc);
  PF_ITERATE_NON_CLIP_ENTRY(PF_IteratePixelFloatFunc);
} PF_iterateFloatSuite1;

#ifdef __cplusplus
}
#endif
