// The plug-in's controls as the tool sees them: one ControlSpec per
// parameter record that the plug-in registered under the host (names,
// types, defaults, ranges and choices all come from those records), typed
// values, their parsing from text with range checks, and applying them to
// a host instance the way a user would set them.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "AE_Effect.h"
#include "kestrow/host/Host.h"
#include "kestrow/host/Instance.h"

namespace kestrow::cli {

enum class ControlKind { Popup, Checkbox, Float, Angle, Point3D, Color, Layer, Unsupported };

struct ControlSpec {
  int index = 0;     // parameter index in the host's array
  std::string name;  // display name, e.g. "Multiply Values"
  std::string flag;  // command-line name, e.g. "multiply-values"
  ControlKind kind = ControlKind::Unsupported;
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

// Controls 1 .. n-1 of the host's records (index 0 is the input layer).
std::vector<ControlSpec> controlSpecs(const std::vector<host::ParamInfo>& params);

// "Multiply Values" -> "multiply-values", "RotateOrder" -> "rotate-order",
// "OffsetU" -> "offset-u".
std::string flagName(std::string_view displayName);

std::string kindName(ControlKind kind);

// Popup items a user can choose (separators left out), with their values.
std::vector<std::pair<std::string, long>> popupChoices(const ControlSpec& spec);

// The default the plug-in registered, from its record.
ControlValue defaultValue(const ControlSpec& spec, const host::ParamInfo& info);

// Parses a value as typed on the command line: popup items by name (any
// case), check-boxes as on/off, true/false, yes/no, 1/0, numbers in the C
// locale, points and colours as "x,y,z". Out-of-range values, unknown
// choices and malformed numbers throw a usage CliError naming the control
// and the allowed range or choices.
ControlValue parseControlValue(const ControlSpec& spec, std::string_view text);
// The same from the value's parts as the command line splits them: one text,
// or three for points and colours.
ControlValue parseControlValue(const ControlSpec& spec, const std::vector<std::string>& texts);

// Checks a value of the right kind against the control's valid range or choices;
// throws like parseControlValue. `subject` names the control in errors.
void checkControlValue(const ControlSpec& spec, const ControlValue& value);

// What a point or colour takes, for messages: "three numbers X,Y,Z" or
// "three numbers R,G,B".
std::string tripleText(const ControlSpec& spec);

// Text for help, describe and presets: "Ring", "2.5", "1,2,3", "on".
std::string formatControlValue(const ControlSpec& spec, const ControlValue& value);
// "-1000000 to 1000000", "circle, ring, ...", "" where there is no limit.
std::string allowedText(const ControlSpec& spec);

// Values the user set, by parameter index; unset controls keep what the
// instance holds.
using ControlValues = std::vector<std::optional<ControlValue>>;

// Loads the picture named by a Layer control into a host world.
using LayerLoader = std::function<std::shared_ptr<host::World>(const std::string& path)>;

// Sets every value in index order through the instance's user-facing
// setters (so the plug-in sees the same commands as when a user edits the
// controls). A colour goes through the eyedropper path, which lets the
// plug-in move "Position" to it. Host refusals throw a usage CliError
// naming the control.
void applyControls(host::Instance& instance, const std::vector<ControlSpec>& specs,
                   const ControlValues& values, const LayerLoader& loadLayer);

// The instance's current value of a control (layers: `layerPath`).
ControlValue currentValue(const host::Instance& instance, const ControlSpec& spec,
                          const std::string& layerPath);

// The controls whose roles the tool relies on, recognised by what their
// records declare (type, flags, default) rather than by display names, which
// are the plug-in's text to change. Null when no single control fits.
//
// The eyedropper: the one colour control the plug-in supervises (it answers
// a pick by moving its position control).
const ControlSpec* eyedropperControl(const std::vector<ControlSpec>& specs);
// The picture: the one layer control.
const ControlSpec* pictureControl(const std::vector<ControlSpec>& specs);
// The switch that puts the matte in alpha: the one check-box registered on.
// The plug-in hides it in modes where it has no effect.
const ControlSpec* alphaMatteControl(const std::vector<ControlSpec>& specs,
                                     const std::vector<host::ParamInfo>& params);

// Whether to read the coverage of renders of `instance` from alpha rather
// than red: red only while the alpha-matte switch is shown and off. Where
// the plug-in hides it, it writes colour and alpha keeps the coverage.
bool matteInAlpha(const host::Instance& instance, const std::vector<ControlSpec>& specs,
                  const std::vector<host::ParamInfo>& params);

const ControlSpec* findByName(const std::vector<ControlSpec>& specs, std::string_view name);
const ControlSpec* findByFlag(const std::vector<ControlSpec>& specs, std::string_view flag);

}  // namespace kestrow::cli
