#include "Presets.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "ApplyControls.h"
#include "AtomicFile.h"
#include "ControlText.h"
#include "Errors.h"
#include "FileChecks.h"

namespace kestrow::cli {
namespace {

namespace fs = std::filesystem;
using json = nlohmann::ordered_json;

constexpr const char* kFormatKey = "kestrow-preset";
constexpr int kFormatVersion = 1;

[[noreturn]] void refuse(const std::string& path, const ControlSpec& spec,
                         const std::string& problem) {
  failure(path, spec.name + ": " + problem);
}

ControlValue fromJson(const std::string& path, const ControlSpec& spec, const json& j) {
  ControlValue value;
  switch (spec.kind) {
    case ControlKind::Popup:
      if (!j.is_string()) refuse(path, spec, "expected one of " + allowedText(spec));
      break;
    case ControlKind::Checkbox:
      if (!j.is_boolean()) refuse(path, spec, "expected true or false");
      return j.get<bool>();
    case ControlKind::Float:
    case ControlKind::Angle:
      if (!j.is_number()) refuse(path, spec, "expected a number");
      value = j.get<double>();
      break;
    case ControlKind::Point3D:
    case ControlKind::Color: {
      if (!j.is_array() || j.size() != 3 ||
          !std::all_of(j.begin(), j.end(), [](const json& e) { return e.is_number(); }))
        refuse(path, spec, "expected an array of three numbers");
      value = std::array<double, 3>{j[0].get<double>(), j[1].get<double>(), j[2].get<double>()};
      break;
    }
    case ControlKind::Layer: {
      if (j.is_null()) return std::string();
      if (!j.is_string()) refuse(path, spec, "expected a file name or null");
      fs::path picture(j.get<std::string>());
      if (picture.empty()) return std::string();
      if (picture.is_relative()) picture = fs::path(path).parent_path() / picture;
      return picture.lexically_normal().string();
    }
    case ControlKind::Unsupported:
      refuse(path, spec, "this control cannot be set");
  }
  try {
    if (spec.kind == ControlKind::Popup) return parseControlValue(spec, j.get<std::string>());
    checkControlValue(spec, value);
  } catch (const CliError& e) {
    refuse(path, spec, e.problem());
  }
  return value;
}

}  // namespace

json controlJson(const ControlSpec& spec, const ControlValue& value,
                 const std::string& presetPath) {
  switch (spec.kind) {
    case ControlKind::Popup:
      return formatControlValue(spec, value);
    case ControlKind::Checkbox:
      return std::get<bool>(value);
    case ControlKind::Float:
    case ControlKind::Angle:
      return std::get<double>(value);
    case ControlKind::Point3D:
    case ControlKind::Color: {
      const auto& p = std::get<std::array<double, 3>>(value);
      return json::array({p[0], p[1], p[2]});
    }
    case ControlKind::Layer: {
      const std::string& picture = std::get<std::string>(value);
      if (picture.empty()) return nullptr;
      // Stored relative to the preset, so that both can move together.
      const fs::path base = fs::absolute(fs::path(presetPath)).parent_path();
      const fs::path relative = fs::absolute(picture).lexically_relative(base);
      return relative.empty() ? fs::absolute(picture).string() : relative.string();
    }
    case ControlKind::Unsupported:
      break;
  }
  return nullptr;
}

ControlValues loadPreset(const std::string& path, const std::vector<ControlSpec>& specs) {
  requireRegularFile(path, path);
  std::ifstream in(path, std::ios::binary);
  if (!in) failure(path, fs::exists(path) ? "cannot be read" : "no such file");
  json document;
  // A key given twice in one object would silently take its last value.
  std::vector<std::vector<std::string>> keys;  // per open object
  const auto refuseDuplicates = [&](int, json::parse_event_t event, json& parsed) {
    if (event == json::parse_event_t::object_start) keys.emplace_back();
    if (event == json::parse_event_t::object_end) keys.pop_back();
    if (event == json::parse_event_t::key) {
      const std::string key = parsed.get<std::string>();
      if (std::find(keys.back().begin(), keys.back().end(), key) != keys.back().end())
        failure(path, "is not a valid preset (key \"" + key + "\" is given twice)");
      keys.back().push_back(key);
    }
    return true;
  };
  try {
    document = json::parse(in, refuseDuplicates);
  } catch (const json::exception& e) {
    failure(path, std::string("is not valid JSON (") + e.what() + ")");
  }
  if (!document.is_object() || !document.contains("controls") || !document["controls"].is_object())
    failure(path, "is not a preset (no \"controls\" object)");
  if (document.contains(kFormatKey)) {
    const json& format = document[kFormatKey];
    if (!format.is_number_integer() || format.get<long long>() < 1)
      failure(path, "\"" + std::string(kFormatKey) + "\" is " + format.dump() +
                        ", not a format number (this tool reads format " +
                        std::to_string(kFormatVersion) + ")");
    if (format.get<long long>() > kFormatVersion)
      failure(path, "preset format " + format.dump() + " is newer than this tool understands (" +
                        std::to_string(kFormatVersion) + ")");
  }

  ControlValues values = noValues(specs);
  for (const auto& [name, j] : document["controls"].items()) {
    const ControlSpec* spec = findByName(specs, name);
    if (!spec) failure(path, "unknown control \"" + name + "\"");
    values[spec->index] = fromJson(path, *spec, j);
  }
  return values;
}

void savePreset(const std::string& path, const std::vector<ControlSpec>& specs,
                const ControlValues& values) {
  // Controls in index order keep the file readable next to the tool's help.
  json controls = json::object();
  json document = {{kFormatKey, kFormatVersion}};
  for (const ControlSpec& spec : specs) {
    if (spec.kind == ControlKind::Unsupported) continue;
    if (spec.index >= int(values.size()) || !values[spec.index]) continue;
    controls[spec.name] = controlJson(spec, *values[spec.index], path);
  }
  document["controls"] = controls;
  if (path != "-") return writeTextAtomically(path, document.dump(2) + "\n");
  std::fputs((document.dump(2) + "\n").c_str(), stdout);
  flushStandardOutput();
}

void saveInstancePreset(const std::string& path, const std::vector<ControlSpec>& specs,
                        const host::Instance& instance, const std::string& layerPath) {
  ControlValues all = noValues(specs);
  for (const ControlSpec& spec : specs) all[spec.index] = currentValue(instance, spec, layerPath);
  savePreset(path, specs, all);
}

}  // namespace kestrow::cli
