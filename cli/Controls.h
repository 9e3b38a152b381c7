// The plug-in's controls as the tool sees them: one ControlSpec per
// parameter record that the plug-in registered under the host (names,
// types, defaults, ranges and choices all come from those records), and the
// typed values the tool sets them to. Reading values from text is in
// ControlText.h, setting them on an instance in ApplyControls.h.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "AE_Effect.h"
#include "kestrow/host/Host.h"

namespace kestrow::cli {

enum class ControlKind { Popup, Checkbox, Float, Angle, Point3D, Color, Layer, Unsupported };

// What the tool itself does with a control beyond setting it.
enum class ControlRole {
  None,
  Eyedropper,  // --pick sets it; the plug-in answers by moving its position control
  Picture,     // takes a picture file, read and handed to the plug-in as a layer
  AlphaMatte,  // on (or hidden): renders carry the matte in alpha, off: in red
};

struct ControlSpec {
  int index = 0;     // parameter index in the host's array
  std::string name;  // display name, e.g. "Multiply Values"
  std::string flag;  // command-line name, e.g. "multiply-values"
  ControlKind kind = ControlKind::Unsupported;
  ControlRole role = ControlRole::None;
  PF_ParamType type = 0;
  PF_ParamFlags flags = 0;
  std::vector<std::string> items;  // popup items, separators ("(-") included
  double validMin = 0, validMax = 0, sliderMin = 0, sliderMax = 0;  // Float, Angle
  int precision = 0;                                                // Float
};

// Value of one control: Checkbox bool; Popup 1-based item number; Float a
// double; Angle degrees; Point3D and Color three doubles (Color: R, G, B);
// Layer the picture's file name ("" for none).
using ControlValue = std::variant<bool, long, double, std::array<double, 3>, std::string>;

// Values the user set, by parameter index; unset controls keep what the
// instance holds.
using ControlValues = std::vector<std::optional<ControlValue>>;

// Controls 1 .. n-1 of the host's records (index 0 is the input layer),
// each with its role.
std::vector<ControlSpec> controlSpecs(const std::vector<host::ParamInfo>& params);

// "Multiply Values" -> "multiply-values", "RotateOrder" -> "rotate-order",
// "OffsetU" -> "offset-u".
std::string flagName(std::string_view displayName);

std::string kindName(ControlKind kind);

// Popup items a user can choose (separators left out), with their values.
std::vector<std::pair<std::string, long>> popupChoices(const ControlSpec& spec);

// The default the plug-in registered, from its record.
ControlValue defaultValue(const ControlSpec& spec, const host::ParamInfo& info);

// An empty set of values with room for every control of `specs`.
ControlValues noValues(const std::vector<ControlSpec>& specs);

const ControlSpec* findByName(const std::vector<ControlSpec>& specs, std::string_view name);
// The control with `role`; null when the plug-in registered none.
const ControlSpec* findByRole(const std::vector<ControlSpec>& specs, ControlRole role);

}  // namespace kestrow::cli
