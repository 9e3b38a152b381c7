// Parameter records of the effect API: the per-type definitions, their
// union, PF_ParamDef and the constants of its members. Part of AE_Effect.h,
// which includes it after the worlds: include AE_Effect.h instead.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

enum : A_long {
  PF_Param_RESERVED = -1,
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

enum : A_long {
  PF_ParamFlag_NONE = 0,
  PF_ParamFlag_RESERVED1 = 1 << 0,
  PF_ParamFlag_CANNOT_TIME_VARY = 1 << 1,
  PF_ParamFlag_CANNOT_INTERP = 1 << 2,
  PF_ParamFlag_RESERVED2 = 1 << 3,
  PF_ParamFlag_RESERVED3 = 1 << 4,
  PF_ParamFlag_COLLAPSE_TWIRLY = 1 << 5,
  PF_ParamFlag_SUPERVISE = 1 << 6,
  PF_ParamFlag_START_COLLAPSED = PF_ParamFlag_COLLAPSE_TWIRLY,
  PF_ParamFlag_USE_VALUE_FOR_OLD_PROJECTS = 1 << 7,
  PF_ParamFlag_LAYER_PARAM_IS_TRACKMATTE = 1 << 7,
  PF_ParamFlag_EXCLUDE_FROM_HAVE_INPUTS_CHANGED = 1 << 8,
  PF_ParamFlag_SKIP_REVEAL_WHEN_UNHIDDEN = 1 << 9,
  PF_ParamFlag_unused1 = 1 << 10,
  PF_ParamFlag_RESERVED4 = 1 << 11
};

enum : A_long {
  PF_PUI_NONE = 0,
  PF_PUI_TOPIC = 1 << 0,
  PF_PUI_CONTROL = 1 << 1,
  PF_PUI_STD_CONTROL_ONLY = 1 << 2,
  PF_PUI_NO_ECW_UI = 1 << 3,
  PF_PUI_ECW_SEPARATOR = 1 << 4,
  PF_PUI_DISABLED = 1 << 5,
  PF_PUI_DONT_ERASE_TOPIC = 1 << 6,
  PF_PUI_DONT_ERASE_CONTROL = 1 << 7,
  PF_PUI_RADIO_BUTTON = 1 << 8,
  PF_PUI_INVISIBLE = 1 << 9,
  PF_PUI_RESERVED = 1 << 10
};

enum : A_long {
  PF_ChangeFlag_NONE = 0,
  PF_ChangeFlag_CHANGED_VALUE = 1 << 0,
  PF_ChangeFlag_RESERVED = 1 << 1,
  PF_ChangeFlag_SET_TO_VARY = 1 << 2,
  PF_ChangeFlag_SET_TO_CONSTANT = 1 << 3
};

enum : A_short {
  PF_ValueDisplayFlag_NONE = 0,
  PF_ValueDisplayFlag_PERCENT = 1 << 0,
  PF_ValueDisplayFlag_PIXEL = 1 << 1,
  PF_ValueDisplayFlag_RESERVED1 = 1 << 2,
  PF_ValueDisplayFlag_REVERSE = 1 << 3
};

enum : A_u_long { PF_FSliderFlag_NONE = 0, PF_FSliderFlag_WANT_PHASE = 1 << 0 };

enum : A_short {
  PF_Precision_INTEGER = 0,
  PF_Precision_TENTHS = 1,
  PF_Precision_HUNDREDTHS = 2,
  PF_Precision_THOUSANDTHS = 3,
  PF_Precision_TEN_THOUSANDTHS = 4
};

typedef struct PF_SliderDef {
  PF_ParamValue value;
  A_char value_str[PF_MAX_PARAM_VALUE_LEN + 1];
  A_char value_desc[PF_MAX_PARAM_DESCRIPTION_LEN + 1];
  PF_ParamValue valid_min, valid_max;
  PF_ParamValue slider_min, slider_max;
  PF_ParamValue dephault;
} PF_SliderDef;

typedef struct PF_FixedSliderDef {
  PF_Fixed value;
  A_char value_str[PF_MAX_PARAM_VALUE_LEN + 1];
  A_char value_desc[PF_MAX_PARAM_DESCRIPTION_LEN + 1];
  PF_Fixed valid_min, valid_max;
  PF_Fixed slider_min, slider_max;
  PF_Fixed dephault;
  PF_Precision precision;
  PF_ValueDisplayFlags display_flags;
} PF_FixedSliderDef;

typedef struct PF_AngleDef {
  PF_Fixed value;  // degrees, 16.16
  PF_Fixed dephault;
  PF_Fixed valid_min, valid_max;
} PF_AngleDef;

typedef struct PF_CheckBoxDef {
  PF_ParamValue value;
  PF_Boolean dephault;
  A_char reserved;
  A_short reserved1;
  union {
    const A_char* nameptr;  // label beside the box
  } u;
} PF_CheckBoxDef;

typedef struct PF_ColorDef {
  PF_Pixel value;
  PF_Pixel dephault;
} PF_ColorDef;

typedef struct PF_PointDef {
  PF_Fixed x_value;
  PF_Fixed y_value;
  A_char reserved[3];
  PF_Boolean restrict_bounds;
  PF_Fixed x_dephault;
  PF_Fixed y_dephault;
} PF_PointDef;

// Popup value and default are 1-based; every item of the list occupies a
// value, separators ("(-") included.
typedef struct PF_PopupDef {
  PF_ParamValue value;
  A_short num_choices;
  A_short dephault;
  union {
    const A_char* namesptr;  // items separated by '|'
  } u;
} PF_PopupDef;

typedef struct PF_FloatSliderDef {
  PF_FpLong value;
  PF_FpLong phase;
  A_char value_desc[PF_MAX_PARAM_DESCRIPTION_LEN + 1];
  PF_FpShort valid_min, valid_max;
  PF_FpShort slider_min, slider_max;
  PF_FpShort dephault;
  PF_Precision precision;
  PF_ValueDisplayFlags display_flags;
  PF_FSliderFlags fs_flags;
  PF_FpShort curve_tolerance;
  PF_Boolean useExponent;
  PF_FpShort exponent;
} PF_FloatSliderDef;

typedef struct PF_ArbitraryDef {
  A_short id;
  A_short pad;
  PF_ArbitraryH dephault;
  PF_ArbitraryH value;
  void* refconPV;
} PF_ArbitraryDef;

typedef struct PF_PathDef {
  PF_PathID path_id;
  A_long reserved0;
  A_long dephault;
} PF_PathDef;

typedef struct PF_ButtonDef {
  PF_ParamValue value;
  union {
    const A_char* namesptr;
  } u;
} PF_ButtonDef;

typedef struct PF_Point3DDef {
  PF_FpLong x_value, y_value, z_value;
  PF_FpLong x_dephault, y_dephault, z_dephault;
  char reserved[16];
} PF_Point3DDef;

typedef union PF_ParamDefUnion {
  PF_LayerDef ld;
  PF_SliderDef sd;
  PF_FixedSliderDef fd;
  PF_AngleDef ad;
  PF_CheckBoxDef bd;
  PF_ColorDef cd;
  PF_PointDef td;
  PF_PopupDef pd;
  PF_FloatSliderDef fs_d;
  PF_ArbitraryDef arb_d;
  PF_PathDef path_d;
  PF_ButtonDef button_d;
  PF_Point3DDef point3d_d;
} PF_ParamDefUnion;

typedef struct PF_ParamDef {
  union {
    A_long id;                    // when defining
    PF_ChangeFlags change_flags;  // when the plug-in changes a value
  } uu;
  PF_ParamUIFlags ui_flags;
  A_short ui_width;
  A_short ui_height;
  PF_ParamType param_type;
  A_char name[PF_MAX_EFFECT_PARAM_NAME_LEN + 1];
  PF_ParamFlags flags;
  A_long unused;
  PF_ParamDefUnion u;
} PF_ParamDef;
typedef PF_ParamDef* PF_ParamDefPtr;
typedef PF_ParamDef** PF_ParamList;

#ifdef __cplusplus
}
#endif
