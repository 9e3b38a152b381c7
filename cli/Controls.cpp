#include "Controls.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "Numbers.h"

namespace kestrow::cli {
namespace {

// What a 16.16 fixed-point angle can hold, in whole degrees.
constexpr double kAngleLimit = 32767.0;

// The controls the tool gives a role, known by what their records declare:
// the type, the flags the role needs (the eyedropper must be supervised, so
// that the plug-in hears of a pick), and the display name, by which presets
// and the demo know every control too.
struct RoleRecord {
  ControlRole role;
  PF_ParamType type;
  PF_ParamFlags flags;
  const char* name;
};
constexpr RoleRecord kRoles[] = {
    {ControlRole::Eyedropper, PF_Param_COLOR, PF_ParamFlag_SUPERVISE, "Pick Point"},
    {ControlRole::Picture, PF_Param_LAYER, 0, "Layer"},
    {ControlRole::AlphaMatte, PF_Param_CHECKBOX, 0, "Alpha Matte"},
};

ControlRole roleOf(const ControlSpec& spec) {
  for (const RoleRecord& r : kRoles)
    if (spec.type == r.type && (spec.flags & r.flags) == r.flags && spec.name == r.name)
      return r.role;
  return ControlRole::None;
}

}  // namespace

std::string flagName(std::string_view displayName) {
  std::string flag;
  for (std::size_t i = 0; i < displayName.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(displayName[i]);
    if (std::isspace(c) || c == '_' || c == '-') {
      if (!flag.empty() && flag.back() != '-') flag += '-';
      continue;
    }
    if (std::isupper(c) && i > 0 && std::islower(static_cast<unsigned char>(displayName[i - 1])))
      flag += '-';
    if (std::isalnum(c)) flag += char(std::tolower(c));
  }
  while (!flag.empty() && flag.back() == '-') flag.pop_back();
  return flag;
}

std::string kindName(ControlKind kind) {
  switch (kind) {
    case ControlKind::Popup:
      return "popup";
    case ControlKind::Checkbox:
      return "checkbox";
    case ControlKind::Float:
      return "float";
    case ControlKind::Angle:
      return "angle";
    case ControlKind::Point3D:
      return "point3d";
    case ControlKind::Color:
      return "color";
    case ControlKind::Layer:
      return "layer";
    case ControlKind::Unsupported:
      break;
  }
  return "unsupported";
}

std::vector<ControlSpec> controlSpecs(const std::vector<host::ParamInfo>& params) {
  std::vector<ControlSpec> specs;
  for (std::size_t i = 1; i < params.size(); ++i) {
    const PF_ParamDef& def = params[i].def;
    ControlSpec spec;
    spec.index = int(i);
    spec.name = std::string(def.name, strnlen(def.name, sizeof def.name));
    spec.flag = flagName(spec.name);
    spec.type = def.param_type;
    spec.flags = def.flags;
    switch (def.param_type) {
      case PF_Param_POPUP:
        spec.kind = ControlKind::Popup;
        spec.items = split(params[i].popupItems, '|');
        break;
      case PF_Param_CHECKBOX:
        spec.kind = ControlKind::Checkbox;
        break;
      case PF_Param_FLOAT_SLIDER:
        spec.kind = ControlKind::Float;
        spec.validMin = def.u.fs_d.valid_min;
        spec.validMax = def.u.fs_d.valid_max;
        spec.sliderMin = def.u.fs_d.slider_min;
        spec.sliderMax = def.u.fs_d.slider_max;
        spec.precision = def.u.fs_d.precision;
        break;
      case PF_Param_ANGLE:
        spec.kind = ControlKind::Angle;
        // A record without limits takes any angle the fixed-point value holds.
        if (def.u.ad.valid_min < def.u.ad.valid_max) {
          spec.validMin = def.u.ad.valid_min / 65536.0;
          spec.validMax = def.u.ad.valid_max / 65536.0;
        } else {
          spec.validMin = -kAngleLimit;
          spec.validMax = kAngleLimit;
        }
        break;
      case PF_Param_POINT_3D:
        spec.kind = ControlKind::Point3D;
        break;
      case PF_Param_COLOR:
        spec.kind = ControlKind::Color;
        break;
      case PF_Param_LAYER:
        spec.kind = ControlKind::Layer;
        break;
      default:
        spec.kind = ControlKind::Unsupported;
        break;
    }
    spec.role = roleOf(spec);
    specs.push_back(std::move(spec));
  }
  return specs;
}

std::vector<std::pair<std::string, long>> popupChoices(const ControlSpec& spec) {
  std::vector<std::pair<std::string, long>> choices;
  for (std::size_t i = 0; i < spec.items.size(); ++i)
    if (!spec.items[i].starts_with("(-")) choices.emplace_back(spec.items[i], long(i + 1));
  return choices;
}

ControlValue defaultValue(const ControlSpec& spec, const host::ParamInfo& info) {
  const PF_ParamDef& def = info.def;
  switch (spec.kind) {
    case ControlKind::Popup:
      return long(def.u.pd.dephault);
    case ControlKind::Checkbox:
      return def.u.bd.dephault != 0;
    case ControlKind::Float:
      return double(def.u.fs_d.dephault);
    case ControlKind::Angle:
      return def.u.ad.dephault / 65536.0;
    case ControlKind::Point3D:
      return std::array<double, 3>{def.u.point3d_d.x_dephault, def.u.point3d_d.y_dephault,
                                   def.u.point3d_d.z_dephault};
    case ControlKind::Color:
      return std::array<double, 3>{def.u.cd.dephault.red / 255.0, def.u.cd.dephault.green / 255.0,
                                   def.u.cd.dephault.blue / 255.0};
    case ControlKind::Layer:
    case ControlKind::Unsupported:
      break;
  }
  return std::string();
}

ControlValues noValues(const std::vector<ControlSpec>& specs) {
  int highest = 0;
  for (const ControlSpec& spec : specs) highest = std::max(highest, spec.index);
  return ControlValues(std::size_t(highest) + 1);
}

const ControlSpec* findByName(const std::vector<ControlSpec>& specs, std::string_view name) {
  for (const ControlSpec& spec : specs)
    if (spec.name == name) return &spec;
  return nullptr;
}

const ControlSpec* findByRole(const std::vector<ControlSpec>& specs, ControlRole role) {
  for (const ControlSpec& spec : specs)
    if (spec.role == role) return &spec;
  return nullptr;
}

}  // namespace kestrow::cli
