// Core records of the effect API: scalar types, error and command codes,
// capability flags, pixels, worlds, parameters and the two records that
// travel with every command (PF_InData, PF_OutData).
//
// Declarations only. Record layouts are the ones this project's host fills;
// the values that the plug-in and the host must agree on are spelled out.
#pragma once

#include <cstddef>
#include <cstdint>

#include "SPBasic.h"

#ifdef __cplusplus
extern "C" {
#endif

// ---------------------------------------------------------------- scalars
typedef int32_t A_long;
typedef uint32_t A_u_long;
typedef int16_t A_short;
typedef uint16_t A_u_short;
typedef char A_char;
typedef uint8_t A_u_char;
typedef uint8_t A_Boolean;
typedef int64_t A_longlong;
typedef uint64_t A_u_longlong;
typedef double A_FpLong;
typedef float A_FpShort;
typedef int32_t A_Err;
typedef uint64_t A_HandleSize;

typedef A_long PF_Err;
typedef A_long PF_Cmd;
typedef A_long PF_Fixed;  // 16.16 fixed point
typedef A_long PF_ParamIndex;
typedef A_u_char PF_Boolean;
typedef A_FpLong PF_FpLong;
typedef A_FpShort PF_FpShort;
typedef void** PF_Handle;
typedef A_long PF_ParamType;
typedef A_long PF_ParamFlags;
typedef A_long PF_ParamUIFlags;
typedef A_long PF_ChangeFlags;
typedef A_long PF_ValueDisplayFlags;
typedef A_short PF_Precision;
typedef A_long PF_Field;
typedef A_long PF_ChannelMask;
typedef A_long PF_OutFlags;
typedef A_long PF_OutFlags2;
typedef A_long PF_InFlags;
typedef A_long PF_WorldFlags;
typedef A_long PF_Quality;

// The host's opaque reference to one effect instance during one command.
typedef struct _PF_LayerAudio* PF_ProgPtr;

// Four-character codes as 32-bit integers: the first character is the most
// significant byte ('PrMr' is 0x50724D72).
#define PF_FOURCC(a, b, c, d)                                                                     \
  ((A_u_long)(A_u_char)(a) << 24 | (A_u_long)(A_u_char)(b) << 16 | (A_u_long)(A_u_char)(c) << 8 | \
   (A_u_long)(A_u_char)(d))

#define PF_APPL_ID_AFTER_EFFECTS PF_FOURCC('F', 'X', 'T', 'C')
#define PF_APPL_ID_PREMIERE PF_FOURCC('P', 'r', 'M', 'r')

// ---------------------------------------------------------------- version
enum { PF_Stage_DEVELOP = 0, PF_Stage_ALPHA = 1, PF_Stage_BETA = 2, PF_Stage_RELEASE = 3 };

// Packs a version: major in bits 19-21 (further high bits 26-29), minor in
// 15-18, fix level in 11-14, stage in 9-10, build in 0-8.
#define PF_VERSION(vers, subvers, bugvers, stage, build)                              \
  (A_u_long)((((A_u_long)(vers) >> 3 & 0xF) << 26) | (((A_u_long)(vers)&0x7) << 19) | \
             (((A_u_long)(subvers)&0xF) << 15) | (((A_u_long)(bugvers)&0xF) << 11) |  \
             (((A_u_long)(stage)&0x3) << 9) | ((A_u_long)(build)&0x1FF))

// ---------------------------------------------------------------- errors
enum {
  PF_Err_NONE = 0,
  PF_Err_OUT_OF_MEMORY = 4,
  PF_Err_INTERNAL_STRUCT_DAMAGED = 512,
  PF_Err_INVALID_INDEX = 513,
  PF_Err_UNRECOGNIZED_PARAM_TYPE = 514,
  PF_Err_INVALID_CALLBACK = 515,
  PF_Err_BAD_CALLBACK_PARAM = 516,
  PF_Interrupt_CANCEL = 517,
  PF_Err_CANNOT_PARSE_KEYFRAME_TEXT = 518
};

// ---------------------------------------------------------------- commands
enum {
  PF_Cmd_ABOUT = 0,
  PF_Cmd_GLOBAL_SETUP = 1,
  PF_Cmd_UNUSED_0 = 2,
  PF_Cmd_GLOBAL_SETDOWN = 3,
  PF_Cmd_PARAMS_SETUP = 4,
  PF_Cmd_SEQUENCE_SETUP = 5,
  PF_Cmd_SEQUENCE_RESETUP = 6,
  PF_Cmd_SEQUENCE_FLATTEN = 7,
  PF_Cmd_SEQUENCE_SETDOWN = 8,
  PF_Cmd_DO_DIALOG = 9,
  PF_Cmd_FRAME_SETUP = 10,
  PF_Cmd_RENDER = 11,
  PF_Cmd_FRAME_SETDOWN = 12,
  PF_Cmd_USER_CHANGED_PARAM = 13,
  PF_Cmd_UPDATE_PARAMS_UI = 14,
  PF_Cmd_EVENT = 15,
  PF_Cmd_GET_EXTERNAL_DEPENDENCIES = 16,
  PF_Cmd_COMPLETELY_GENERAL = 17,
  PF_Cmd_QUERY_DYNAMIC_FLAGS = 18,
  PF_Cmd_AUDIO_RENDER = 19,
  PF_Cmd_AUDIO_SETUP = 20,
  PF_Cmd_AUDIO_SETDOWN = 21,
  PF_Cmd_ARBITRARY_CALLBACK = 22,
  PF_Cmd_SMART_PRE_RENDER = 23,
  PF_Cmd_SMART_RENDER = 24,
  PF_Cmd_NUM_CMDS = 25
};

// ---------------------------------------------------------------- out flags
#define PF_OutFlag_NONE 0L
#define PF_OutFlag_WIDE_TIME_INPUT (1L << 1)
#define PF_OutFlag_SEQUENCE_DATA_NEEDS_FLATTENING (1L << 2)
#define PF_OutFlag_USE_OUTPUT_EXTENT (1L << 6)
#define PF_OutFlag_DISPLAY_ERROR_MESSAGE (1L << 8)
#define PF_OutFlag_PIX_INDEPENDENT (1L << 10)
#define PF_OutFlag_FORCE_RERENDER (1L << 22)
#define PF_OutFlag_DEEP_COLOR_AWARE (1L << 25)
#define PF_OutFlag_SEND_UPDATE_PARAMS_UI (1L << 26)

#define PF_OutFlag2_NONE 0L
#define PF_OutFlag2_SUPPORTS_QUERY_DYNAMIC_FLAGS (1L << 0)
#define PF_OutFlag2_PARAM_GROUP_START_COLLAPSED_FLAG (1L << 3)
#define PF_OutFlag2_SUPPORTS_SMART_RENDER (1L << 10)
#define PF_OutFlag2_FLOAT_COLOR_AWARE (1L << 12)
#define PF_OutFlag2_AUTOMATIC_WIDE_TIME_INPUT (1L << 17)
#define PF_OutFlag2_SUPPORTS_THREADED_RENDERING (1L << 27)
#define PF_OutFlag2_MUTABLE_RENDER_SEQUENCE_DATA_SLOWER (1L << 28)

// ---------------------------------------------------------------- geometry
typedef struct PF_LRect {
  A_long left, top, right, bottom;
} PF_LRect;
typedef PF_LRect PF_Rect;
typedef PF_LRect PF_UnionableRect;

typedef struct PF_Point {
  A_long h, v;
} PF_Point;

typedef struct PF_RationalScale {
  A_long num;
  A_u_long den;
} PF_RationalScale;

// ---------------------------------------------------------------- pixels
// Channel order in memory is alpha, red, green, blue at every depth.
typedef struct PF_Pixel {
  A_u_char alpha, red, green, blue;
} PF_Pixel;
typedef PF_Pixel PF_Pixel8;

typedef struct PF_Pixel16 {
  A_u_short alpha, red, green, blue;
} PF_Pixel16;

typedef struct PF_PixelFloat {
  PF_FpShort alpha, red, green, blue;
} PF_PixelFloat;
typedef PF_PixelFloat PF_Pixel32;

typedef PF_Pixel* PF_PixelPtr;

// ---------------------------------------------------------------- worlds
// A picture the host owns: `height` rows of `width` pixels, each row starting
// `rowbytes` bytes after the previous one (rows may be padded).
typedef struct PF_LayerDef {
  void* reserved0;  // host's private world reference; non-null for a real layer
  void* reserved1;
  PF_WorldFlags world_flags;
  PF_PixelPtr data;
  A_long rowbytes;
  A_long width;
  A_long height;
  PF_UnionableRect extent_hint;
  void* platform_ref;
  A_long reserved_long1;
  void* reserved_long4;
  PF_RationalScale pix_aspect_ratio;
  void* reserved_long2;
  A_long origin_x;
  A_long origin_y;
  A_long reserved_long3;
  A_long dephault;
} PF_LayerDef;
typedef PF_LayerDef PF_EffectWorld;

#define PF_WorldFlag_DEEP (1L << 0)

// ---------------------------------------------------------------- parameters
enum {
  PF_Param_LAYER = 0,
  PF_Param_SLIDER = 1,
  PF_Param_FIX_SLIDER = 2,
  PF_Param_ANGLE = 3,
  PF_Param_CHECKBOX = 4,
  PF_Param_COLOR = 5,
  PF_Param_POINT = 6,
  PF_Param_POPUP = 7,
  PF_Param_CUSTOM = 8,
  PF_Param_NO_DATA = 9,
  PF_Param_FLOAT_SLIDER = 10,
  PF_Param_ARBITRARY_DATA = 11,
  PF_Param_PATH = 12,
  PF_Param_GROUP_START = 13,
  PF_Param_GROUP_END = 14,
  PF_Param_BUTTON = 15,
  PF_Param_RESERVED2 = 16,
  PF_Param_RESERVED3 = 17,
  PF_Param_POINT_3D = 18
};

#define PF_ParamFlag_RESERVED1 (1L << 0)
#define PF_ParamFlag_CANNOT_TIME_VARY (1L << 1)
#define PF_ParamFlag_CANNOT_INTERP (1L << 2)
#define PF_ParamFlag_SUPERVISE (1L << 6)

#define PF_PUI_NONE 0L
#define PF_PUI_INVISIBLE (1L << 5)
#define PF_PUI_DISABLED (1L << 6)

#define PF_ChangeFlag_NONE 0L
#define PF_ChangeFlag_CHANGED_VALUE (1L << 0)

#define PF_LayerDefault_NONE 0
#define PF_LayerDefault_MYSELF (-1)

#define PF_ValueDisplayFlag_NONE 0
#define PF_ValueDisplayFlag_PERCENT (1 << 0)
#define PF_ValueDisplayFlag_PIXEL (1 << 1)

#define PF_MAX_EFFECT_PARAM_NAME_LEN 31
#define PF_MAX_EFFECT_MSG_LEN 255

typedef struct PF_SliderDef {
  A_long value;
  A_char value_str[32];
  A_char value_desc[32];
  A_long valid_min, valid_max;
  A_long slider_min, slider_max;
  A_long dephault;
} PF_SliderDef;

typedef struct PF_AngleDef {
  PF_Fixed value;  // degrees, 16.16
  PF_Fixed dephault;
  A_long valid_min, valid_max;
} PF_AngleDef;

typedef struct PF_CheckBoxDef {
  A_long value;
  A_char dephault;
  A_char reserved;
  A_short reserved1;
  union {
    A_long id;
    const A_char* nameptr;  // label beside the box
  } u;
} PF_CheckBoxDef;

typedef struct PF_ColorDef {
  PF_Pixel value;
  PF_Pixel dephault;
} PF_ColorDef;

// Popup value and default are 1-based; every item of the list occupies a
// value, separators ("(-") included.
typedef struct PF_PopupDef {
  A_long value;
  A_short num_choices;
  A_short dephault;
  union {
    A_long id;
    const A_char* namesptr;  // items separated by '|'
  } u;
} PF_PopupDef;

typedef struct PF_FloatSliderDef {
  PF_FpLong value;
  PF_FpLong phase;
  PF_ValueDisplayFlags display_flags;
  PF_FpShort valid_min, valid_max;
  PF_FpShort slider_min, slider_max;
  PF_FpShort dephault;
  PF_Precision precision;
  A_short reserved;
  A_long fs_flags;
  PF_FpShort curve_tolerance;
  A_long useExponent;
  PF_FpShort exponent;
} PF_FloatSliderDef;

typedef struct PF_Point3DDef {
  PF_FpLong x_value, y_value, z_value;
  PF_FpLong x_dephault, y_dephault, z_dephault;
  A_char reserved[16];
} PF_Point3DDef;

typedef union PF_ParamDefUnion {
  PF_LayerDef ld;
  PF_SliderDef sd;
  PF_AngleDef ad;
  PF_CheckBoxDef bd;
  PF_ColorDef cd;
  PF_PopupDef pd;
  PF_FloatSliderDef fs_d;
  PF_Point3DDef point3d_d;
} PF_ParamDefUnion;

typedef struct PF_ParamDef {
  union {
    A_long id;                    // when defining
    PF_ChangeFlags change_flags;  // when the plug-in changes a value
  } uu;
  PF_ParamType param_type;
  A_char name[PF_MAX_EFFECT_PARAM_NAME_LEN + 1];
  PF_ParamUIFlags ui_flags;
  A_short ui_width;
  A_short ui_height;
  PF_ParamFlags flags;
  PF_ParamDefUnion u;
} PF_ParamDef;
typedef PF_ParamDef* PF_ParamDefPtr;
typedef PF_ParamDef** PF_ParamList;

// ---------------------------------------------------------------- callbacks
typedef struct PF_ANSICallbacks {
  A_FpLong (*atan)(A_FpLong);
  A_FpLong (*atan2)(A_FpLong y, A_FpLong x);
  A_FpLong (*ceil)(A_FpLong);
  A_FpLong (*cos)(A_FpLong);
  A_FpLong (*exp)(A_FpLong);
  A_FpLong (*fabs)(A_FpLong);
  A_FpLong (*floor)(A_FpLong);
  A_FpLong (*fmod)(A_FpLong, A_FpLong);
  A_FpLong (*hypot)(A_FpLong, A_FpLong);
  A_FpLong (*log)(A_FpLong);
  A_FpLong (*log10)(A_FpLong);
  A_FpLong (*pow)(A_FpLong, A_FpLong);
  A_FpLong (*sin)(A_FpLong);
  A_FpLong (*sqrt)(A_FpLong);
  A_FpLong (*tan)(A_FpLong);
  // Formats into buffer, which the caller sizes (return_msg holds 256 bytes).
  int (*sprintf)(A_char* buffer, const A_char* format, ...);
  A_char* (*strcpy)(A_char* dest, const A_char* src);
  A_FpLong (*asin)(A_FpLong);
  A_FpLong (*acos)(A_FpLong);
} PF_ANSICallbacks;

typedef struct PF_UtilCallbacks {
  // Copies src_r of src to the same-sized rectangle of dst (dst_r null: the
  // rectangle's own position).
  PF_Err (*copy)(PF_ProgPtr effect_ref, PF_EffectWorld* src, PF_EffectWorld* dst, PF_Rect* src_r,
                 PF_Rect* dst_r);
  PF_Handle (*host_new_handle)(A_HandleSize size);
  void* (*host_lock_handle)(PF_Handle pf_handle);
  void (*host_unlock_handle)(PF_Handle pf_handle);
  void (*host_dispose_handle)(PF_Handle pf_handle);
  A_HandleSize (*get_handle_size)(PF_Handle pf_handle);
  PF_Err (*host_resize_handle)(A_HandleSize new_sizeL, PF_Handle* handlePH);
  PF_ANSICallbacks ansi;
} PF_UtilCallbacks;

typedef struct PF_InteractCallbacks {
  PF_Err (*checkout_param)(PF_ProgPtr effect_ref, PF_ParamIndex index, A_long what_time,
                           A_long time_step, A_u_long time_scale, PF_ParamDef* param);
  PF_Err (*checkin_param)(PF_ProgPtr effect_ref, PF_ParamDef* param);
  // index -1 appends after the last parameter; the record is copied.
  PF_Err (*add_param)(PF_ProgPtr effect_ref, PF_ParamIndex index, PF_ParamDefPtr def);
  PF_Err (*abort)(PF_ProgPtr effect_ref);
  PF_Err (*progress)(PF_ProgPtr effect_ref, A_long current, A_long total);
} PF_InteractCallbacks;

// ---------------------------------------------------------------- in / out
typedef struct PF_InData {
  PF_InteractCallbacks inter;
  PF_UtilCallbacks* utils;
  PF_ProgPtr effect_ref;
  PF_Quality quality;
  A_u_long version;  // API version the host speaks
  A_long serial_num;
  A_long appl_id;  // four-character code of the host application
  A_long num_params;
  A_long reserved;
  A_long what_cpu;
  A_long what_fpu;
  A_long current_time;
  A_long time_step;
  A_long total_time;
  A_long local_time_step;
  A_u_long time_scale;
  PF_Field field;
  PF_Fixed shutter_angle;
  A_long width;
  A_long height;
  PF_Rect extent_hint;
  A_long output_origin_x;
  A_long output_origin_y;
  PF_RationalScale downsample_x;
  PF_RationalScale downsample_y;
  PF_RationalScale pixel_aspect_ratio;
  PF_InFlags in_flags;
  PF_Handle global_data;
  PF_Handle sequence_data;
  PF_Handle frame_data;
  A_long start_sampL;
  A_long dur_sampL;
  A_long total_sampL;
  const SPBasicSuite* pica_basicP;
  A_long pre_effect_source_origin_x;
  A_long pre_effect_source_origin_y;
  PF_Fixed shutter_phase;
} PF_InData;

typedef struct PF_OutData {
  A_u_long my_version;
  A_char name[32];
  PF_Handle global_data;
  A_long num_params;
  PF_Handle sequence_data;
  A_long flat_sdata_size;
  PF_Handle frame_data;
  A_long width;
  A_long height;
  PF_Point origin;
  PF_OutFlags out_flags;
  A_char return_msg[PF_MAX_EFFECT_MSG_LEN + 1];
  A_long start_sampL;
  A_long dur_sampL;
  void* dest_snd;
  PF_OutFlags2 out_flags2;
} PF_OutData;

// Extra record of PF_Cmd_USER_CHANGED_PARAM.
typedef struct PF_UserChangedParamExtra {
  PF_ParamIndex param_index;
} PF_UserChangedParamExtra;

// ---------------------------------------------------------------- entry
typedef PF_Err (*PF_EntryPointFunc)(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data,
                                    PF_ParamDef* params[], PF_LayerDef* output, void* extra);

#define PF_ENTRY_POINT_NAME "EntryPointFunc"

#ifdef __cplusplus
}
#endif

// Declares a function exported under its plain C name and nothing else.
#if defined(_WIN32)
#define PF_EXPORT extern "C" __declspec(dllexport)
#else
#define PF_EXPORT extern "C" __attribute__((visibility("default")))
#endif
