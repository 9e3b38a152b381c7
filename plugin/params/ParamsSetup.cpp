#include "AE_EffectCB.h"
#include "params/Params.h"
#include "resources/Kestrow_Strings.h"

namespace {

constexpr float kLimit = 1000000.0f;

// One control as the host is told about it. Fields that a type does not
// use stay zero.
struct Control {
  int index = 0;
  uint32_t nameId = 0;
  PF_ParamType type = PF_Param_LAYER;
  PF_ParamFlags flags = 0;
  A_short choices = 0;          // popup
  const char* items = nullptr;  // popup, '|'-separated; null: the "Mode" list of the string table
  float validMin = 0, validMax = 0, sliderMin = 0, sliderMax = 0;  // float slider
  float dephault = 0;                                              // float slider, popup, checkbox
};

constexpr Control plain(int index, uint32_t nameId, PF_ParamType type, PF_ParamFlags flags) {
  return {.index = index, .nameId = nameId, .type = type, .flags = flags};
}

// Value and default 1, the first item.
constexpr Control popup(int index, uint32_t nameId, PF_ParamFlags flags, A_short choices,
                        const char* items) {
  return {.index = index,
          .nameId = nameId,
          .type = PF_Param_POPUP,
          .flags = flags,
          .choices = choices,
          .items = items,
          .dephault = 1};
}

// Every slider starts at 0 and accepts typed values up to one million.
constexpr Control slider(int index, uint32_t nameId, PF_ParamFlags flags, float validMin,
                         float sliderMax, float dephault) {
  return {.index = index,
          .nameId = nameId,
          .type = PF_Param_FLOAT_SLIDER,
          .flags = flags,
          .validMin = validMin,
          .validMax = kLimit,
          .sliderMin = 0,
          .sliderMax = sliderMax,
          .dephault = dephault};
}

constexpr Control checkbox(int index, uint32_t nameId, PF_ParamFlags flags, bool on) {
  return {.index = index,
          .nameId = nameId,
          .type = PF_Param_CHECKBOX,
          .flags = flags,
          .dephault = on ? 1.0f : 0.0f};
}

constexpr PF_ParamFlags kSupervise = PF_ParamFlag_SUPERVISE;

// Index order is stored with projects and never changes.
constexpr Control kControls[] = {
    popup(MATTE_MODE, StrID_Mode_Param_Name, kSupervise, kestrow::matte::modeChoiceCount(),
          nullptr),
    plain(MATTE_PICK_POINT, StrID_PickPoint_Param_Name, PF_Param_COLOR,
          kSupervise | PF_ParamFlag_CANNOT_TIME_VARY),
    plain(MATTE_POSITION, StrID_Position_Param_Name, PF_Param_POINT_3D, 0),
    popup(MATTE_ROTATE_ORDER, StrID_RotateOrder_Param_Name, 0, 6, "XYZ|XZY|YXZ|YZX|ZXY|ZYX"),
    plain(MATTE_ROTATE_X, StrID_RotateX_Param_Name, PF_Param_ANGLE, 0),
    plain(MATTE_ROTATE_Y, StrID_RotateY_Param_Name, PF_Param_ANGLE, 0),
    plain(MATTE_ROTATE_Z, StrID_RotateZ_Param_Name, PF_Param_ANGLE, 0),
    plain(MATTE_LAYER, StrID_Layer_Param_Name, PF_Param_LAYER, kSupervise),
    checkbox(MATTE_TILE, StrID_Tile_Param_Name, kSupervise, false),
    slider(MATTE_OFFSET_U, StrID_OffsetU_Param_Name, kSupervise, -kLimit, 50, 0),
    slider(MATTE_OFFSET_V, StrID_OffsetV_Param_Name, kSupervise, -kLimit, 50, 0),
    popup(MATTE_AXIS, StrID_Axis_Param_Name, 0, 3, "XZ|XY|YZ"),
    slider(MATTE_RADIUS, StrID_Radius_Param_Name, 0, -kLimit, 50, 2.5f),
    slider(MATTE_SIZE_X, StrID_SizeX_Param_Name, 0, -kLimit, 50, 1),
    slider(MATTE_SIZE_Y, StrID_SizeY_Param_Name, 0, -kLimit, 50, 1),
    slider(MATTE_SIZE_Z, StrID_SizeZ_Param_Name, 0, -kLimit, 50, 1),
    slider(MATTE_FREQUENCY, StrID_Frequency_Param_Name, 0, -kLimit, 2, 1),
    slider(MATTE_OFFSET, StrID_Offset_Param_Name, 0, -kLimit, 2, 1),
    slider(MATTE_FEATHER, StrID_Feather_Param_Name, 0, 0, 10, 0.5f),
    slider(MATTE_THICKNESS, StrID_Thickness_Param_Name, 0, 0, 10, 1),
    slider(MATTE_SCALE_X, StrID_ScaleX_Param_Name, 0, -kLimit, 2, 1),
    slider(MATTE_SCALE_Y, StrID_ScaleY_Param_Name, 0, -kLimit, 2, 1),
    slider(MATTE_SCALE_Z, StrID_ScaleZ_Param_Name, 0, -kLimit, 2, 1),
    slider(MATTE_MULTIPLY_VALUES, StrID_MultiplyValues_Param_Name, 0, -kLimit, 2, 1),
    checkbox(MATTE_INVERT, StrID_Invert_Param_Name, 0, false),
    checkbox(MATTE_ALPHA_MATTE, StrID_AlphaMatte_Param_Name, 0, true),
};

constexpr bool inIndexOrder() {
  int expected = MATTE_MODE;
  for (const Control& c : kControls) {
    if (c.index != expected++) return false;
  }
  return expected == MATTE_NUM_PARAMS;
}
static_assert(inIndexOrder(), "one control per index, in index order");

// Fills the record for one control: everything not set here is zero, and
// every value starts at its default. Colour, point and angle controls
// default to all zeros and the layer control to no layer.
void fill(const Control& c, PF_ParamDef* def) {
  *def = PF_ParamDef{};
  def->param_type = c.type;
  def->flags = c.flags;
  switch (c.type) {
    case PF_Param_POPUP:
      def->u.pd.num_choices = c.choices;
      def->u.pd.dephault = static_cast<A_short>(c.dephault);
      def->u.pd.value = def->u.pd.dephault;
      def->u.pd.u.namesptr = c.items ? c.items : GetStringPtr(StrID_Mode_Param_Choices);
      break;
    case PF_Param_FLOAT_SLIDER:
      def->u.fs_d.valid_min = c.validMin;
      def->u.fs_d.valid_max = c.validMax;
      def->u.fs_d.slider_min = c.sliderMin;
      def->u.fs_d.slider_max = c.sliderMax;
      def->u.fs_d.dephault = c.dephault;
      def->u.fs_d.value = c.dephault;
      def->u.fs_d.precision = 2;
      def->u.fs_d.display_flags = PF_ValueDisplayFlag_NONE;
      break;
    case PF_Param_CHECKBOX:
      def->u.bd.dephault = static_cast<A_char>(c.dephault);
      def->u.bd.value = def->u.bd.dephault;
      def->u.bd.u.nameptr = "";
      break;
    case PF_Param_LAYER:
      def->u.ld.dephault = PF_LayerDefault_NONE;
      break;
    default:
      break;
  }
}

}  // namespace

PF_Err ParamsSetup(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* /*params*/[],
                   PF_LayerDef* /*output*/) {
  PF_Err err = PF_Err_NONE;
  PF_ParamDef def;
  for (const Control& c : kControls) {
    fill(c, &def);
    in_data->utils->ansi.strcpy(def.name, GetStringPtr(c.nameId));
    // The first failure ends the adding; the host keeps what it was given.
    if (!err) {
      err = in_data->inter.add_param(in_data->effect_ref, -1, &def);
    }
  }
  out_data->num_params = MATTE_NUM_PARAMS;
  return err;
}
