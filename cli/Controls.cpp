#include "Controls.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "Errors.h"
#include "Numbers.h"

namespace kestrow::cli {
namespace {

// What a 16.16 fixed-point angle can hold, in whole degrees.
constexpr double kAngleLimit = 32767.0;

std::string lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = char(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::vector<std::string> split(std::string_view text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find(separator, start);
    parts.emplace_back(text.substr(start, end - start));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

// Shortest text that reads back as the same double; whole numbers without
// an exponent ("1000000", not "1e+06").
std::string number(double value) {
  if (value == 0 && std::signbit(value)) return "-0";
  if (value == std::trunc(value) && std::abs(value) < 1e15)
    return std::to_string(static_cast<long long>(value));
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

double parseNumber(const ControlSpec& spec, std::string_view text) {
  const RealNumber number = readReal(text);
  const bool ranged = spec.kind == ControlKind::Float || spec.kind == ControlKind::Angle;
  if (number.status == NumberStatus::TooLarge && ranged)
    usageError(spec.name,
               "\"" + std::string(text) + "\" is outside the valid range " + allowedText(spec));
  if (number.status != NumberStatus::Ok) usageError(spec.name, numberProblem(text, number.status));
  if (!std::isfinite(number.value))
    usageError(spec.name, std::string("\"") + std::string(text) + "\" is not a finite number");
  return number.value;
}

void check(const host::Status& status, const ControlSpec& spec) {
  if (status.ok()) return;
  if (status.code == host::StatusCode::kInvalidArgument) usageError(spec.name, status.message);
  failure(spec.name, status.message);
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

std::string allowedText(const ControlSpec& spec) {
  switch (spec.kind) {
    case ControlKind::Popup: {
      std::string text;
      for (const auto& [item, value] : popupChoices(spec))
        text += (text.empty() ? "" : ", ") + item;
      return text;
    }
    case ControlKind::Checkbox:
      return "on, off";
    case ControlKind::Float:
    case ControlKind::Angle:
      return number(spec.validMin) + " to " + number(spec.validMax);
    default:
      return "";
  }
}

void checkControlValue(const ControlSpec& spec, const ControlValue& value) {
  if (spec.kind == ControlKind::Float || spec.kind == ControlKind::Angle) {
    const double v = std::get<double>(value);
    if (!std::isfinite(v) || v < spec.validMin || v > spec.validMax)
      usageError(spec.name, number(v) + " is outside the valid range " + allowedText(spec));
  } else if (spec.kind == ControlKind::Popup) {
    const long v = std::get<long>(value);
    const auto choices = popupChoices(spec);
    if (std::none_of(choices.begin(), choices.end(), [&](auto& c) { return c.second == v; }))
      usageError(spec.name,
                 std::to_string(v) + " is not a choice (choices: " + allowedText(spec) + ")");
  } else if (spec.kind == ControlKind::Point3D) {
    for (double v : std::get<std::array<double, 3>>(value))
      if (!std::isfinite(v)) usageError(spec.name, "every component must be a finite number");
  } else if (spec.kind == ControlKind::Color) {
    // The eyedropper hands the plug-in 32-bit floats: check what it will see.
    for (double v : std::get<std::array<double, 3>>(value))
      if (!std::isfinite(float(v)))
        usageError(spec.name, number(v) + " does not fit a colour component (largest " +
                                  number(std::numeric_limits<float>::max()) + ")");
  }
}

std::string tripleText(const ControlSpec& spec) {
  return spec.kind == ControlKind::Color ? "three numbers R,G,B" : "three numbers X,Y,Z";
}

ControlValue parseControlValue(const ControlSpec& spec, const std::vector<std::string>& texts) {
  const bool triple = spec.kind == ControlKind::Point3D || spec.kind == ControlKind::Color;
  if (texts.size() != (triple ? 3u : 1u)) {
    std::string given;
    for (const std::string& text : texts) given += (given.empty() ? "" : ",") + text;
    usageError(spec.name, "\"" + given + "\" is not " + (triple ? tripleText(spec) : "one value"));
  }
  const std::string_view text = texts[0];
  ControlValue value;
  switch (spec.kind) {
    case ControlKind::Popup: {
      const std::string wanted = lower(trimmed(text));
      for (const auto& [item, v] : popupChoices(spec))
        if (lower(item) == wanted) return v;
      usageError(spec.name, std::string("unknown choice \"") + std::string(text) +
                                "\" (choices: " + allowedText(spec) + ")");
    }
    case ControlKind::Checkbox: {
      const std::string t = lower(trimmed(text));
      if (t == "on" || t == "true" || t == "yes" || t == "1") return true;
      if (t == "off" || t == "false" || t == "no" || t == "0") return false;
      usageError(spec.name, std::string("\"") + std::string(text) + "\" is not on or off");
    }
    case ControlKind::Float:
    case ControlKind::Angle:
      value = parseNumber(spec, text);
      break;
    case ControlKind::Point3D:
    case ControlKind::Color:
      value = std::array<double, 3>{parseNumber(spec, texts[0]), parseNumber(spec, texts[1]),
                                    parseNumber(spec, texts[2])};
      break;
    case ControlKind::Layer: {
      // "none" (what help shows as the default) and "" mean no picture; a
      // file of that name is "./none".
      const std::string path(trimmed(text));
      return lower(path) == "none" ? std::string() : path;
    }
    case ControlKind::Unsupported:
      usageError(spec.name, "this control type cannot be set from the command line");
  }
  checkControlValue(spec, value);
  return value;
}

ControlValue parseControlValue(const ControlSpec& spec, std::string_view text) {
  const bool triple = spec.kind == ControlKind::Point3D || spec.kind == ControlKind::Color;
  return parseControlValue(spec, triple ? split(text, ',') : std::vector{std::string(text)});
}

std::string formatControlValue(const ControlSpec& spec, const ControlValue& value) {
  switch (spec.kind) {
    case ControlKind::Popup: {
      const long v = std::get<long>(value);
      if (v >= 1 && v <= long(spec.items.size())) return spec.items[std::size_t(v - 1)];
      return std::to_string(v);
    }
    case ControlKind::Checkbox:
      return std::get<bool>(value) ? "on" : "off";
    case ControlKind::Float:
    case ControlKind::Angle:
      return number(std::get<double>(value));
    case ControlKind::Point3D:
    case ControlKind::Color: {
      const auto& p = std::get<std::array<double, 3>>(value);
      return number(p[0]) + "," + number(p[1]) + "," + number(p[2]);
    }
    case ControlKind::Layer: {
      const std::string& path = std::get<std::string>(value);
      return path.empty() ? "none" : path;
    }
    case ControlKind::Unsupported:
      break;
  }
  return "";
}

void applyControls(host::Instance& instance, const std::vector<ControlSpec>& specs,
                   const ControlValues& values, const LayerLoader& loadLayer) {
  for (const ControlSpec& spec : specs) {
    if (spec.index >= int(values.size()) || !values[spec.index]) continue;
    const ControlValue& value = *values[spec.index];
    switch (spec.kind) {
      case ControlKind::Popup:
        check(instance.setPopup(spec.index, A_long(std::get<long>(value))), spec);
        break;
      case ControlKind::Checkbox:
        check(instance.setCheckbox(spec.index, std::get<bool>(value)), spec);
        break;
      case ControlKind::Float:
        check(instance.setFloat(spec.index, std::get<double>(value)), spec);
        break;
      case ControlKind::Angle:
        check(instance.setAngle(spec.index, std::get<double>(value)), spec);
        break;
      case ControlKind::Point3D: {
        const auto& p = std::get<std::array<double, 3>>(value);
        check(instance.setPoint3D(spec.index, p[0], p[1], p[2]), spec);
        break;
      }
      case ControlKind::Color: {
        const auto& c = std::get<std::array<double, 3>>(value);
        check(instance.pickColor(spec.index, {1.f, float(c[0]), float(c[1]), float(c[2])}), spec);
        break;
      }
      case ControlKind::Layer: {
        const std::string& path = std::get<std::string>(value);
        check(instance.setLayer(spec.index, path.empty() ? nullptr : loadLayer(path)), spec);
        break;
      }
      case ControlKind::Unsupported:
        break;
    }
  }
}

ControlValue currentValue(const host::Instance& instance, const ControlSpec& spec,
                          const std::string& layerPath) {
  const PF_ParamDef def = instance.param(spec.index);
  switch (spec.kind) {
    case ControlKind::Popup:
      return long(def.u.pd.value);
    case ControlKind::Checkbox:
      return def.u.bd.value != 0;
    case ControlKind::Float:
      return def.u.fs_d.value;
    case ControlKind::Angle:
      return def.u.ad.value / 65536.0;
    case ControlKind::Point3D:
      return std::array<double, 3>{def.u.point3d_d.x_value, def.u.point3d_d.y_value,
                                   def.u.point3d_d.z_value};
    case ControlKind::Color: {
      const PF_PixelFloat c = instance.floatColor(spec.index);
      return std::array<double, 3>{c.red, c.green, c.blue};
    }
    case ControlKind::Layer:
    case ControlKind::Unsupported:
      break;
  }
  return layerPath;
}

namespace {

// The single spec that `fits`, or null when none or several do.
template <typename Fits>
const ControlSpec* onlyOne(const std::vector<ControlSpec>& specs, Fits fits) {
  const ControlSpec* found = nullptr;
  for (const ControlSpec& spec : specs) {
    if (!fits(spec)) continue;
    if (found) return nullptr;
    found = &spec;
  }
  return found;
}

}  // namespace

const ControlSpec* eyedropperControl(const std::vector<ControlSpec>& specs) {
  return onlyOne(specs, [](const ControlSpec& spec) {
    return spec.kind == ControlKind::Color && (spec.flags & PF_ParamFlag_SUPERVISE);
  });
}

const ControlSpec* pictureControl(const std::vector<ControlSpec>& specs) {
  return onlyOne(specs, [](const ControlSpec& spec) { return spec.kind == ControlKind::Layer; });
}

const ControlSpec* alphaMatteControl(const std::vector<ControlSpec>& specs,
                                     const std::vector<host::ParamInfo>& params) {
  return onlyOne(specs, [&](const ControlSpec& spec) {
    return spec.kind == ControlKind::Checkbox &&
           std::get<bool>(defaultValue(spec, params[spec.index]));
  });
}

bool matteInAlpha(const host::Instance& instance, const std::vector<ControlSpec>& specs,
                  const std::vector<host::ParamInfo>& params) {
  const ControlSpec* alpha = alphaMatteControl(specs, params);
  if (!alpha) return true;
  return instance.isHidden(alpha->index) || std::get<bool>(currentValue(instance, *alpha, ""));
}

const ControlSpec* findByName(const std::vector<ControlSpec>& specs, std::string_view name) {
  for (const ControlSpec& spec : specs)
    if (spec.name == name) return &spec;
  return nullptr;
}

const ControlSpec* findByFlag(const std::vector<ControlSpec>& specs, std::string_view flag) {
  for (const ControlSpec& spec : specs)
    if (spec.flag == flag) return &spec;
  return nullptr;
}

}  // namespace kestrow::cli
