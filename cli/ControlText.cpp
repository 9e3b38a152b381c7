#include "ControlText.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>

#include "Errors.h"
#include "Numbers.h"

namespace kestrow::cli {
namespace {

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

}  // namespace

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
      const auto choices = popupChoices(spec);
      std::vector<std::string> names;
      for (const auto& [item, v] : choices) names.push_back(item);
      if (const int chosen = choiceIndex(names, text); chosen >= 0) return choices[chosen].second;
      usageError(spec.name, std::string("unknown choice \"") + std::string(text) +
                                "\" (choices: " + allowedText(spec) + ")");
    }
    case ControlKind::Checkbox: {
      const std::string t = lowerCase(trimmed(text));
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
      return lowerCase(path) == "none" ? std::string() : path;
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

}  // namespace kestrow::cli
