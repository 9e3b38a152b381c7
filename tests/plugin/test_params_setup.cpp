// The 26 controls as the host receives them in parameter set-up.
#include <bit>
#include <cstdint>
#include <string>
#include <vector>

#include "PluginTestSupport.h"
#include "params/Params.h"

namespace kestrow::test {
namespace {

constexpr PF_ParamFlags kSup = PF_ParamFlag_SUPERVISE;

struct ExpectedControl {
  int index;
  const char* name;
  PF_ParamType type;
  PF_ParamFlags flags;
  // Popup: item list and num_choices; value and default are 1.
  const char* items = nullptr;
  int choices = 0;
  // Float slider: limits and default; precision 2, plain number display.
  float validMin = 0, validMax = 0, sliderMin = 0, sliderMax = 0, dflt = 0;
  // Check-box: value and default.
  bool on = false;
};

constexpr float kMax = 1000000.0f;

ExpectedControl popup(int i, const char* name, PF_ParamFlags flags, const char* items,
                      int choices) {
  return {.index = i,
          .name = name,
          .type = PF_Param_POPUP,
          .flags = flags,
          .items = items,
          .choices = choices};
}
ExpectedControl slider(int i, const char* name, PF_ParamFlags flags, float validMin,
                       float sliderMax, float dflt) {
  return {.index = i,
          .name = name,
          .type = PF_Param_FLOAT_SLIDER,
          .flags = flags,
          .validMin = validMin,
          .validMax = kMax,
          .sliderMin = 0,
          .sliderMax = sliderMax,
          .dflt = dflt};
}
ExpectedControl other(int i, const char* name, PF_ParamType type, PF_ParamFlags flags,
                      bool on = false) {
  return {.index = i, .name = name, .type = type, .flags = flags, .on = on};
}

const std::vector<ExpectedControl>& expectedControls() {
  static const std::vector<ExpectedControl> table = {
      popup(1, "Mode", kSup, "Circle|Ring|Square|Box|(-|Grid|Radial|Rays|(-|Layer", 8),
      other(2, "Pick Point", PF_Param_COLOR, kSup | PF_ParamFlag_CANNOT_TIME_VARY),
      other(3, "Position", PF_Param_POINT_3D, 0),
      popup(4, "RotateOrder", 0, "XYZ|XZY|YXZ|YZX|ZXY|ZYX", 6),
      other(5, "RotateX", PF_Param_ANGLE, 0),
      other(6, "RotateY", PF_Param_ANGLE, 0),
      other(7, "RotateZ", PF_Param_ANGLE, 0),
      other(8, "Layer", PF_Param_LAYER, kSup),
      other(9, "Tile", PF_Param_CHECKBOX, kSup),
      slider(10, "OffsetU", kSup, -kMax, 50, 0),
      slider(11, "OffsetV", kSup, -kMax, 50, 0),
      popup(12, "Axis", 0, "XZ|XY|YZ", 3),
      slider(13, "Radius", 0, -kMax, 50, 2.5f),
      slider(14, "SizeX", 0, -kMax, 50, 1),
      slider(15, "SizeY", 0, -kMax, 50, 1),
      slider(16, "SizeZ", 0, -kMax, 50, 1),
      slider(17, "Frequency", 0, -kMax, 2, 1),
      slider(18, "Offset", 0, -kMax, 2, 1),
      slider(19, "Feather", 0, 0, 10, 0.5f),
      slider(20, "Thickness", 0, 0, 10, 1),
      slider(21, "ScaleX", 0, -kMax, 2, 1),
      slider(22, "ScaleY", 0, -kMax, 2, 1),
      slider(23, "ScaleZ", 0, -kMax, 2, 1),
      slider(24, "Multiply Values", 0, -kMax, 2, 1),
      other(25, "Invert", PF_Param_CHECKBOX, 0, false),
      other(26, "Alpha Matte", PF_Param_CHECKBOX, 0, true),
  };
  return table;
}

#define EXPECT_FLOAT_BITS(expected, actual) \
  EXPECT_EQ(floatBits(expected), floatBits(actual)) << #actual

void expectFields(const ExpectedControl& e, const host::ParamInfo& info) {
  const PF_ParamDef& d = info.def;
  EXPECT_EQ(std::string(d.name), e.name);
  EXPECT_EQ(d.param_type, e.type);
  EXPECT_EQ(d.flags, e.flags);
  EXPECT_EQ(d.uu.id, 0);
  EXPECT_EQ(d.ui_flags, 0);
  EXPECT_EQ(d.ui_width, 0);
  EXPECT_EQ(d.ui_height, 0);
  switch (e.type) {
    case PF_Param_POPUP:
      EXPECT_EQ(d.u.pd.num_choices, e.choices);
      EXPECT_EQ(d.u.pd.value, 1);
      EXPECT_EQ(d.u.pd.dephault, 1);
      EXPECT_EQ(info.popupItems, e.items);
      break;
    case PF_Param_FLOAT_SLIDER:
      EXPECT_FLOAT_BITS(e.validMin, d.u.fs_d.valid_min);
      EXPECT_FLOAT_BITS(e.validMax, d.u.fs_d.valid_max);
      EXPECT_FLOAT_BITS(e.sliderMin, d.u.fs_d.slider_min);
      EXPECT_FLOAT_BITS(e.sliderMax, d.u.fs_d.slider_max);
      EXPECT_FLOAT_BITS(e.dflt, d.u.fs_d.dephault);
      EXPECT_EQ(std::bit_cast<std::uint64_t>(static_cast<double>(e.dflt)),
                std::bit_cast<std::uint64_t>(d.u.fs_d.value))
          << "value " << d.u.fs_d.value;
      EXPECT_EQ(d.u.fs_d.precision, 2);
      EXPECT_EQ(d.u.fs_d.display_flags, PF_ValueDisplayFlag_NONE);
      EXPECT_EQ(d.u.fs_d.phase, 0.0);
      EXPECT_EQ(d.u.fs_d.fs_flags, 0);
      EXPECT_EQ(d.u.fs_d.curve_tolerance, 0.0f);
      EXPECT_EQ(d.u.fs_d.useExponent, 0);
      EXPECT_EQ(d.u.fs_d.exponent, 0.0f);
      break;
    case PF_Param_CHECKBOX:
      EXPECT_EQ(d.u.bd.value, e.on ? 1 : 0);
      EXPECT_EQ(d.u.bd.dephault, e.on ? 1 : 0);
      EXPECT_EQ(info.checkboxLabel, "");
      break;
    case PF_Param_COLOR: {
      const PF_Pixel black{0, 0, 0, 0};
      EXPECT_EQ(firstDifference(&d.u.cd.value, &black, sizeof black), -1);
      EXPECT_EQ(firstDifference(&d.u.cd.dephault, &black, sizeof black), -1);
      break;
    }
    case PF_Param_POINT_3D:
      for (double v :
           {d.u.point3d_d.x_value, d.u.point3d_d.y_value, d.u.point3d_d.z_value,
            d.u.point3d_d.x_dephault, d.u.point3d_d.y_dephault, d.u.point3d_d.z_dephault}) {
        EXPECT_EQ(std::bit_cast<std::uint64_t>(v), 0u);
      }
      break;
    case PF_Param_ANGLE:
      EXPECT_EQ(d.u.ad.value, 0);
      EXPECT_EQ(d.u.ad.dephault, 0);
      EXPECT_EQ(d.u.ad.valid_min, 0);
      EXPECT_EQ(d.u.ad.valid_max, 0);
      break;
    case PF_Param_LAYER:
      EXPECT_EQ(d.u.ld.dephault, PF_LayerDefault_NONE);
      break;
    default:
      ADD_FAILURE() << "unexpected type " << e.type;
  }
}

using ParamsSetup = LoadedPlugin;

TEST_F(ParamsSetup, EveryControlFieldByField) {
  const std::vector<host::ParamInfo>& params = host_.params();
  ASSERT_EQ(params.size(), static_cast<std::size_t>(MATTE_NUM_PARAMS));
  for (const ExpectedControl& e : expectedControls()) {
    SCOPED_TRACE("index " + std::to_string(e.index) + " \"" + e.name + "\"");
    expectFields(e, params[e.index]);
  }
}

// add_param stand-in: records the calls and fails the Nth one.
struct AddParamLog {
  int failAt = 0;  // 1-based; 0 = never
  PF_Err error = PF_Err_OUT_OF_MEMORY;
  std::vector<PF_ParamIndex> indices;
  std::vector<std::string> names;
  PF_ProgPtr effectRef = nullptr;
  bool sameEffectRef = true;
};
AddParamLog* g_addParamLog = nullptr;

PF_Err recordAddParam(PF_ProgPtr effect_ref, PF_ParamIndex index, PF_ParamDefPtr def) {
  AddParamLog& log = *g_addParamLog;
  log.sameEffectRef = log.sameEffectRef && effect_ref == log.effectRef;
  log.indices.push_back(index);
  log.names.push_back(def->name);
  return static_cast<int>(log.indices.size()) == log.failAt ? log.error : PF_Err_NONE;
}

class ParamsSetupAddFailure : public LoadedPlugin, public ::testing::WithParamInterface<int> {};

// The first failing add_param ends the adding and is the result; the
// parameter count is reported whatever happened.
TEST_P(ParamsSetupAddFailure, StopsAtTheFirstFailure) {
  AddParamLog log;
  log.failAt = GetParam();
  g_addParamLog = &log;
  PF_InData in = host_.makeInData();
  in.inter.add_param = recordAddParam;
  log.effectRef = in.effect_ref;
  PF_OutData out{};
  const PF_Err err = host_.rawCall(PF_Cmd_PARAMS_SETUP, in, out, nullptr, nullptr, nullptr);
  g_addParamLog = nullptr;

  const int expectedCalls = log.failAt == 0 ? 26 : log.failAt;
  EXPECT_EQ(err, log.failAt == 0 ? PF_Err_NONE : log.error);
  EXPECT_EQ(out.num_params, MATTE_NUM_PARAMS);
  ASSERT_EQ(static_cast<int>(log.indices.size()), expectedCalls);
  EXPECT_TRUE(log.sameEffectRef);
  for (int i = 0; i < expectedCalls; ++i) {
    EXPECT_EQ(log.indices[i], -1) << "call " << i;
    EXPECT_EQ(log.names[i], expectedControls()[i].name) << "call " << i;
  }
  EXPECT_TRUE(leftNothing(host_.lastCommand()));
}

INSTANTIATE_TEST_SUITE_P(FailAt, ParamsSetupAddFailure, ::testing::Values(0, 1, 13, 26));

}  // namespace
}  // namespace kestrow::test
