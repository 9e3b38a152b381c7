// Core declarations of the effect API: scalar types, error and command
// codes, capability flags, pixels, worlds, parameters, sound records, the
// interaction callbacks and the two records that travel with every command
// (PF_InData, PF_OutData).
//
// Every record has the host's published layout, member for member; the
// layout check beside these headers holds the sizes and offsets that both
// sides of the entry point rely on. The utility callbacks are in
// AE_EffectCB.h.
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
typedef unsigned char A_u_char;
typedef unsigned char A_Boolean;
typedef uint64_t A_u_longlong;
typedef double A_FpLong;
typedef float A_FpShort;
typedef A_long A_Err;
typedef A_u_longlong A_HandleSize;

typedef A_long PF_Err;
typedef A_long PF_Cmd;
typedef A_long PF_Fixed;     // 16.16 fixed point
typedef A_u_long PF_UFixed;  // unsigned 16.16 fixed point
typedef A_long PF_ParamIndex;
typedef A_long PF_ParamValue;
// One byte either way; Windows makes it a plain char, macOS an unsigned one.
#if defined(_WIN32)
typedef A_char PF_Boolean;
#else
typedef unsigned char PF_Boolean;
#endif
typedef void** PF_Handle;
typedef A_FpLong PF_FpLong;
typedef A_FpShort PF_FpShort;
typedef A_long PF_ParamType;
typedef A_long PF_ParamFlags;
typedef A_long PF_ParamUIFlags;
typedef A_long PF_ChangeFlags;
typedef A_short PF_ValueDisplayFlags;
typedef A_short PF_Precision;
typedef A_u_long PF_FSliderFlags;
typedef A_long PF_Field;
typedef A_long PF_ChannelMask;
typedef A_long PF_OutFlags;
typedef A_long PF_OutFlags2;
typedef A_long PF_InFlags;
typedef A_long PF_WorldFlags;
typedef A_long PF_Quality;
typedef A_long PF_PathID;
typedef PF_Handle PF_ArbitraryH;
typedef A_short PF_SoundChannels;
typedef A_short PF_SoundFormat;
typedef A_short PF_SoundSampleSize;
typedef void* PF_SndSamplePtr;

// The host's opaque reference to one effect instance during one command.
typedef struct PF_ProgressInfo* PF_ProgPtr;
// A layer's audio, checked out through the interaction callbacks.
typedef struct _PF_LayerAudio* PF_LayerAudio;
// Custom interface registration record (not used by effects without one).
typedef struct PF_CustomUIInfo PF_CustomUIInfo;

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

// The effect API version a host speaks (PF_InData.version).
typedef struct PF_SpecVersion {
  A_short major;
  A_short minor;
} PF_SpecVersion;

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
  PF_Cmd_RESERVED1 = 25,
  PF_Cmd_RESERVED2 = 26,
  PF_Cmd_RESERVED3 = 27,
  PF_Cmd_GET_FLATTENED_SEQUENCE_DATA = 28,
  PF_Cmd_TRANSLATE_PARAMS_TO_PREFS = 29,
  PF_Cmd_RESERVED4 = 30,
  PF_Cmd_SMART_RENDER_GPU = 31,
  PF_Cmd_GPU_DEVICE_SETUP = 32,
  PF_Cmd_GPU_DEVICE_SETDOWN = 33,
  PF_Cmd_NUM_CMDS = 34
};

// ---------------------------------------------------------------- out flags
enum : A_long {
  PF_OutFlag_NONE = 0,
  PF_OutFlag_KEEP_RESOURCE_OPEN = 1 << 0,
  PF_OutFlag_WIDE_TIME_INPUT = 1 << 1,
  PF_OutFlag_NON_PARAM_VARY = 1 << 2,
  PF_OutFlag_RESERVED6 = 1 << 3,
  PF_OutFlag_SEQUENCE_DATA_NEEDS_FLATTENING = 1 << 4,
  PF_OutFlag_I_DO_DIALOG = 1 << 5,
  PF_OutFlag_USE_OUTPUT_EXTENT = 1 << 6,
  PF_OutFlag_SEND_DO_DIALOG = 1 << 7,
  PF_OutFlag_DISPLAY_ERROR_MESSAGE = 1 << 8,
  PF_OutFlag_I_EXPAND_BUFFER = 1 << 9,
  PF_OutFlag_PIX_INDEPENDENT = 1 << 10,
  PF_OutFlag_I_WRITE_INPUT_BUFFER = 1 << 11,
  PF_OutFlag_I_SHRINK_BUFFER = 1 << 12,
  PF_OutFlag_WORKS_IN_PLACE = 1 << 13,
  PF_OutFlag_RESERVED8 = 1 << 14,
  PF_OutFlag_CUSTOM_UI = 1 << 15,
  PF_OutFlag_RESERVED7 = 1 << 16,
  PF_OutFlag_REFRESH_UI = 1 << 17,
  PF_OutFlag_NOP_RENDER = 1 << 18,
  PF_OutFlag_I_USE_SHUTTER_ANGLE = 1 << 19,
  PF_OutFlag_I_USE_AUDIO = 1 << 20,
  PF_OutFlag_I_AM_OBSOLETE = 1 << 21,
  PF_OutFlag_FORCE_RERENDER = 1 << 22,
  PF_OutFlag_PiPL_OVERRIDES_OUTDATA_OUTFLAGS = 1 << 23,
  PF_OutFlag_I_HAVE_EXTERNAL_DEPENDENCIES = 1 << 24,
  PF_OutFlag_DEEP_COLOR_AWARE = 1 << 25,
  PF_OutFlag_SEND_UPDATE_PARAMS_UI = 1 << 26,
  PF_OutFlag_AUDIO_FLOAT_ONLY = 1 << 27,
  PF_OutFlag_AUDIO_IIR = 1 << 28,
  PF_OutFlag_I_SYNTHESIZE_AUDIO = 1 << 29,
  PF_OutFlag_AUDIO_EFFECT_TOO = 1 << 30,
  PF_OutFlag_AUDIO_EFFECT_ONLY = A_long(0x80000000u)
};

enum : A_long {
  PF_OutFlag2_NONE = 0,
  PF_OutFlag2_SUPPORTS_QUERY_DYNAMIC_FLAGS = 1 << 0,
  PF_OutFlag2_I_USE_3D_CAMERA = 1 << 1,
  PF_OutFlag2_I_USE_3D_LIGHTS = 1 << 2,
  PF_OutFlag2_PARAM_GROUP_START_COLLAPSED_FLAG = 1 << 3,
  PF_OutFlag2_I_AM_THREADSAFE = 1 << 4,
  PF_OutFlag2_CAN_COMBINE_WITH_DESTINATION = 1 << 5,
  PF_OutFlag2_DOESNT_NEED_EMPTY_PIXELS = 1 << 6,
  PF_OutFlag2_REVEALS_ZERO_ALPHA = 1 << 7,
  PF_OutFlag2_PRESERVES_FULLY_OPAQUE_PIXELS = 1 << 8,
  PF_OutFlag2_SUPPORTS_SMART_RENDER = 1 << 10,
  PF_OutFlag2_RESERVED9 = 1 << 11,
  PF_OutFlag2_FLOAT_COLOR_AWARE = 1 << 12,
  PF_OutFlag2_I_USE_COLORSPACE_ENUMERATION = 1 << 13,
  PF_OutFlag2_I_AM_DEPRECATED = 1 << 14,
  PF_OutFlag2_PPRO_DO_NOT_CLONE_SEQUENCE_DATA_FOR_RENDER = 1 << 15,
  PF_OutFlag2_RESERVED10 = 1 << 16,
  PF_OutFlag2_AUTOMATIC_WIDE_TIME_INPUT = 1 << 17,
  PF_OutFlag2_I_USE_TIMECODE = 1 << 18,
  PF_OutFlag2_DEPENDS_ON_UNREFERENCED_MASKS = 1 << 19,
  PF_OutFlag2_OUTPUT_IS_WATERMARKED = 1 << 20,
  PF_OutFlag2_I_MIX_GUID_DEPENDENCIES = 1 << 21,
  PF_OutFlag2_AE13_5_THREADSAFE = 1 << 22,
  PF_OutFlag2_SUPPORTS_GET_FLATTENED_SEQUENCE_DATA = 1 << 23,
  PF_OutFlag2_CUSTOM_UI_ASYNC_MANAGER = 1 << 24,
  PF_OutFlag2_SUPPORTS_GPU_RENDER_F32 = 1 << 25,
  PF_OutFlag2_RESERVED12 = 1 << 26,
  PF_OutFlag2_SUPPORTS_THREADED_RENDERING = 1 << 27,
  PF_OutFlag2_MUTABLE_RENDER_SEQUENCE_DATA_SLOWER = 1 << 28,
  PF_OutFlag2_SUPPORTS_DIRECTX_RENDERING = 1 << 29
};

enum : A_long { PF_InFlag_NONE = 0, PF_InFlag_PROJECT_IS_RENDER_ONLY = 1 << 0 };

enum : A_long { PF_Quality_DRAWING_AUDIO = -1, PF_Quality_LO = 0, PF_Quality_HI = 1 };

enum : A_long { PF_Field_FRAME = 0, PF_Field_UPPER = 1, PF_Field_LOWER = 2 };

// ---------------------------------------------------------------- lengths
#define PF_MAX_EFFECT_NAME_LEN 31
#define PF_MAX_EFFECT_CATEGORY_NAME_LEN 31
#define PF_MAX_EFFECT_PARAM_NAME_LEN 31
#define PF_MAX_PARAM_DESCRIPTION_LEN 31
#define PF_MAX_PARAM_VALUE_LEN 31
#define PF_MAX_EFFECT_MSG_LEN 255
#define PF_MAX_WORLD_WIDTH 30000
#define PF_MAX_WORLD_HEIGHT 30000
#define PF_MAX_CHAN8 255
#define PF_MAX_CHAN16 32768
#define PF_MAX_TIME_LEN 31
#define PF_MAX_PATH_NAME_LEN 31

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
// A picture the host owns: `height` rows of `width` pixels, row y starting
// y * rowbytes bytes after `data`. Rows may be padded, and rowbytes may be
// negative: the rows then run upwards in memory from `data` (bottom-up).
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

enum : A_long {
  PF_WorldFlag_DEEP = 1 << 0,
  PF_WorldFlag_WRITEABLE = 1 << 1,
  PF_WorldFlag_RESERVED0 = 1 << 24,
  PF_WorldFlag_RESERVED1 = 1 << 25,
  PF_WorldFlag_RESERVED2 = 1 << 26,
  PF_WorldFlag_RESERVED3 = 1 << 27,
  PF_WorldFlag_RESERVED4 = 1 << 28,
  PF_WorldFlag_RESERVED5 = 1 << 29,
  PF_WorldFlag_RESERVED6 = 1 << 30,
  PF_WorldFlag_RESERVED = A_long(0x80000000u)
};

enum : A_long { PF_LayerDefault_MYSELF = -1, PF_LayerDefault_NONE = 0 };

#ifdef __cplusplus
}
#endif

#include "AE_EffectParams.h"

#ifdef __cplusplus
extern "C" {
#endif

// ---------------------------------------------------------------- sound
typedef struct PF_SoundFormatInfo {
  PF_FpLong rateF;
  PF_SoundChannels num_channels;
  PF_SoundFormat format;
  PF_SoundSampleSize sample_size;
} PF_SoundFormatInfo;

typedef struct PF_SoundWorld {
  PF_SoundFormatInfo fi;
  A_long num_samples;
  void* dataP;
} PF_SoundWorld;

// ---------------------------------------------------------------- interaction
typedef struct PF_InteractCallbacks {
  PF_Err (*checkout_param)(PF_ProgPtr effect_ref, PF_ParamIndex index, A_long what_time,
                           A_long time_step, A_u_long time_scale, PF_ParamDef* param);
  PF_Err (*checkin_param)(PF_ProgPtr effect_ref, PF_ParamDef* param);
  // index -1 appends after the last parameter; the record is copied.
  PF_Err (*add_param)(PF_ProgPtr effect_ref, PF_ParamIndex index, PF_ParamDefPtr def);
  PF_Err (*abort)(PF_ProgPtr effect_ref);
  PF_Err (*progress)(PF_ProgPtr effect_ref, A_long current, A_long total);
  PF_Err (*register_ui)(PF_ProgPtr effect_ref, PF_CustomUIInfo* cust_info);
  PF_Err (*checkout_layer_audio)(PF_ProgPtr effect_ref, PF_ParamIndex index, A_long start_time,
                                 A_long duration, A_u_long time_scale, PF_UFixed rate,
                                 A_long bytes_per_sample, A_long num_channels, A_long fmt_signed,
                                 PF_LayerAudio* audio);
  PF_Err (*checkin_layer_audio)(PF_ProgPtr effect_ref, PF_LayerAudio audio);
  PF_Err (*get_audio_data)(PF_ProgPtr effect_ref, PF_LayerAudio audio, PF_SndSamplePtr* data0,
                           A_long* num_samples0, PF_UFixed* rate0, A_long* bytes_per_sample0,
                           A_long* num_channels0, A_long* fmt_signed0);
  void* reserved_str[3];
  void* reserved[10];
} PF_InteractCallbacks;

// ---------------------------------------------------------------- in / out
typedef struct PF_UtilCallbacks PF_UtilCallbacks;  // AE_EffectCB.h

typedef struct PF_InData {
  PF_InteractCallbacks inter;
  PF_UtilCallbacks* utils;
  PF_ProgPtr effect_ref;
  PF_Quality quality;
  PF_SpecVersion version;  // API version the host speaks
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
  PF_SoundWorld src_snd;
  SPBasicSuite* pica_basicP;
  A_long pre_effect_source_origin_x;
  A_long pre_effect_source_origin_y;
  PF_Fixed shutter_phase;
} PF_InData;

typedef struct PF_OutData {
  A_u_long my_version;
  A_char name[PF_MAX_EFFECT_NAME_LEN + 1];
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
  PF_SoundWorld dest_snd;
  PF_OutFlags2 out_flags2;
} PF_OutData;

// Extra record of PF_Cmd_USER_CHANGED_PARAM.
typedef struct PF_UserChangedParamExtra {
  PF_ParamIndex param_index;
} PF_UserChangedParamExtra;

// ---------------------------------------------------------------- entry
typedef PF_Err (*PF_FilterProc)(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data,
                                PF_ParamList params, PF_LayerDef* output, void* extra);

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
