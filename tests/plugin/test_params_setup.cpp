// The 26 controls as the host receives them in parameter set-up.
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "PluginTestSupport.h"
#include "params/Params.h"

namespace kestrow::test {
namespace {

constexpr PF_ParamFlags kSup = PF_ParamFlag_SUPERVISE;
constexpr PF_ParamType kPopup = PF_Param_POPUP, kSlider = PF_Param_FLOAT_SLIDER,
                       kBox = PF_Param_CHECKBOX;
constexpr float kMax = 1000000.0f;

// Row n is control n + 1. Popups: items and choices, value and default 1.
// Sliders: valid minimum, slider maximum and default (valid maximum one
// million, slider minimum 0, precision 2). Check-boxes: default in `dflt`.
// Everything else in the record is zero.
struct ExpectedControl {
  const char* name;
  PF_ParamType type;
  PF_ParamFlags flags;
  const char* items = nullptr;
  A_short choices = 0;
  float validMin = 0, sliderMax = 0, dflt = 0;
};

const ExpectedControl kControls[] = {
    {"Mode", kPopup, kSup, "Circle|Ring|Square|Box|(-|Grid|Radial|Rays|(-|Layer", 8},
    {"Pick Point", PF_Param_COLOR, kSup | PF_ParamFlag_CANNOT_TIME_VARY},
    {"Position", PF_Param_POINT_3D, 0},
    {"RotateOrder", kPopup, 0, "XYZ|XZY|YXZ|YZX|ZXY|ZYX", 6},
    {"RotateX", PF_Param_ANGLE, 0},
    {"RotateY", PF_Param_ANGLE, 0},
    {"RotateZ", PF_Param_ANGLE, 0},
    {"Layer", PF_Param_LAYER, kSup},
    {"Tile", kBox, kSup},
    {"OffsetU", kSlider, kSup, nullptr, 0, -kMax, 50, 0},
    {"OffsetV", kSlider, kSup, nullptr, 0, -kMax, 50, 0},
    {"Axis", kPopup, 0, "XZ|XY|YZ", 3},
    {"Radius", kSlider, 0, nullptr, 0, -kMax, 50, 2.5f},
    {"SizeX", kSlider, 0, nullptr, 0, -kMax, 50, 1},
    {"SizeY", kSlider, 0, nullptr, 0, -kMax, 50, 1},
    {"SizeZ", kSlider, 0, nullptr, 0, -kMax, 50, 1},
    {"Frequency", kSlider, 0, nullptr, 0, -kMax, 2, 1},
    {"Offset", kSlider, 0, nullptr, 0, -kMax, 2, 1},
    {"Feather", kSlider, 0, nullptr, 0, 0, 10, 0.5f},
    {"Thickness", kSlider, 0, nullptr, 0, 0, 10, 1},
    {"ScaleX", kSlider, 0, nullptr, 0, -kMax, 2, 1},
    {"ScaleY", kSlider, 0, nullptr, 0, -kMax, 2, 1},
    {"ScaleZ", kSlider, 0, nullptr, 0, -kMax, 2, 1},
    {"Multiply Values", kSlider, 0, nullptr, 0, -kMax, 2, 1},
    {"Invert", kBox, 0},
    {"Alpha Matte", kBox, 0, nullptr, 0, 0, 0, 1},
};

// The record the table row stands for; the name is compared apart. Fields
// are stored one by one so that padding stays zero.
PF_ParamDef expectedRecord(const ExpectedControl& e) {
  PF_ParamDef d{};
  d.param_type = e.type;
  d.flags = e.flags;
  if (e.type == kPopup) {
    d.u.pd.value = d.u.pd.dephault = 1;
    d.u.pd.num_choices = e.choices;
  } else if (e.type == kSlider) {
    d.u.fs_d.value = e.dflt;
    d.u.fs_d.valid_min = e.validMin;
    d.u.fs_d.valid_max = kMax;
    d.u.fs_d.slider_max = e.sliderMax;
    d.u.fs_d.dephault = e.dflt;
    d.u.fs_d.precision = 2;
  } else if (e.type == kBox) {
    d.u.bd.value = d.u.bd.dephault = A_char(e.dflt);
  }
  return d;
}

using ParamsSetup = LoadedPlugin;

// Every field bit for bit: the header before the name, the fields after it,
// and the whole union (the popup items and check-box label are compared as
// strings, their pointers set aside).
TEST_F(ParamsSetup, EveryControlFieldByField) {
  const std::vector<host::ParamInfo>& params = host_.params();
  ASSERT_EQ(params.size(), static_cast<std::size_t>(MATTE_NUM_PARAMS));
  static_assert(std::size(kControls) == MATTE_NUM_PARAMS - 1);
  for (std::size_t i = 0; i < std::size(kControls); ++i) {
    const ExpectedControl& e = kControls[i];
    SCOPED_TRACE("index " + std::to_string(i + 1) + " \"" + e.name + "\"");
    PF_ParamDef got = params[i + 1].def;
    const PF_ParamDef want = expectedRecord(e);
    EXPECT_EQ(std::string(got.name), e.name);
    EXPECT_EQ(params[i + 1].popupItems, e.items ? e.items : "");
    if (e.type == kPopup) got.u.pd.u.namesptr = nullptr;
    if (e.type == kBox) {
      EXPECT_EQ(params[i + 1].checkboxLabel, "");
      got.u.bd.u.nameptr = nullptr;
    }
    constexpr std::size_t kAfterName = offsetof(PF_ParamDef, u) - offsetof(PF_ParamDef, flags);
    EXPECT_TRUE(sameBytes(&want, &got, offsetof(PF_ParamDef, name))) << "before the name";
    EXPECT_TRUE(sameBytes(&want.flags, &got.flags, kAfterName)) << "after the name";
    EXPECT_TRUE(sameBytes(&want.u, &got.u, sizeof want.u)) << "union";
  }
}

// add_param stand-in: records the calls and fails the Nth one.
struct AddParamLog {
  int failAt = 0;  // 1-based; 0 = never
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
  return static_cast<int>(log.indices.size()) == log.failAt ? PF_Err_OUT_OF_MEMORY : PF_Err_NONE;
}

class ParamsSetupAddFailure : public LoadedPlugin, public ::testing::WithParamInterface<int> {};

// The first failing add_param ends the adding and is the result; the
// parameter count is reported whatever happened.
TEST_P(ParamsSetupAddFailure, StopsAtTheFirstFailure) {
  AddParamLog log;
  log.failAt = GetParam();
  g_addParamLog = &log;
  PF_InData in = hooks::makeInData(host_);
  in.inter.add_param = recordAddParam;
  log.effectRef = in.effect_ref;
  PF_OutData out{};
  const PF_Err err = hooks::rawCall(host_, PF_Cmd_PARAMS_SETUP, in, out, nullptr, nullptr, nullptr);
  g_addParamLog = nullptr;

  const int expectedCalls = log.failAt == 0 ? 26 : log.failAt;
  EXPECT_EQ(err, log.failAt == 0 ? PF_Err_NONE : PF_Err_OUT_OF_MEMORY);
  EXPECT_EQ(out.num_params, MATTE_NUM_PARAMS);
  ASSERT_EQ(static_cast<int>(log.indices.size()), expectedCalls);
  EXPECT_TRUE(log.sameEffectRef);
  for (int i = 0; i < expectedCalls; ++i) {
    EXPECT_EQ(log.indices[i], -1) << "call " << i;
    EXPECT_EQ(log.names[i], kControls[i].name) << "call " << i;
  }
  EXPECT_TRUE(leftNothing(host_.lastCommand()));
}

INSTANTIATE_TEST_SUITE_P(FailAt, ParamsSetupAddFailure, ::testing::Values(0, 1, 13, 26));

}  // namespace
}  // namespace kestrow::test
