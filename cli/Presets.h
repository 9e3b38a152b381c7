// Control values in JSON files, keyed by the controls' display names:
//
//   { "kestrow-preset": 1,
//     "controls": { "Mode": "Ring", "Radius": 2, "Position": [1, 2, 3],
//                   "Invert": false, "Layer": "picture.exr", ... } }
//
// Popups take their item's name, check-boxes true/false, sliders and angles
// (degrees) numbers, points and colours three numbers, "Layer" a file name
// relative to the preset's folder, or null for no layer.
#pragma once

#include <nlohmann/json_fwd.hpp>
#include <string>
#include <vector>

#include "Controls.h"
#include "kestrow/host/Instance.h"

namespace kestrow::cli {

// Reads a preset; only the controls it names are set. Everything wrong with
// the file throws a failure CliError (exit 1, like any other input file)
// naming it: unreadable, not JSON, not a preset, and, with the control,
// unknown control names, wrong JSON types and out-of-range values.
ControlValues loadPreset(const std::string& path, const std::vector<ControlSpec>& specs);

// Writes every control of `values` (which must all be set) atomically, or
// to standard output when `path` is "-".
void savePreset(const std::string& path, const std::vector<ControlSpec>& specs,
                const ControlValues& values);

// Writes every control of `instance` as it stands atomically; the "Layer"
// control's file is `layerPath` (the instance holds only its pixels).
void saveInstancePreset(const std::string& path, const std::vector<ControlSpec>& specs,
                        const host::Instance& instance, const std::string& layerPath);

// One control's value as presets store it; `describe` uses the same form
// for defaults. A "Layer" file name is made relative to the folder of
// `presetPath`; an empty name is null.
nlohmann::ordered_json controlJson(const ControlSpec& spec, const ControlValue& value,
                                   const std::string& presetPath);

}  // namespace kestrow::cli
