// Control values as text: read from the command line, a preset or the
// demo's settings, checked against the control's record, and written for
// help, describe and messages.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "Controls.h"

namespace kestrow::cli {

// Parses a value as typed on the command line: popup items by name (any
// case), check-boxes as on/off, true/false, yes/no, 1/0, numbers in the C
// locale, points and colours as "x,y,z". Out-of-range values, unknown
// choices and malformed numbers throw a usage CliError naming the control
// and the allowed range or choices.
ControlValue parseControlValue(const ControlSpec& spec, std::string_view text);
// The same from the value's parts as the command line splits them: one text,
// or three for points and colours.
ControlValue parseControlValue(const ControlSpec& spec, const std::vector<std::string>& texts);

// Checks a value of the right kind against the control's valid range or
// choices; throws like parseControlValue.
void checkControlValue(const ControlSpec& spec, const ControlValue& value);

// What a point or colour takes, for messages: "three numbers X,Y,Z" or
// "three numbers R,G,B".
std::string tripleText(const ControlSpec& spec);

// Text for help, describe and presets: "Ring", "2.5", "1,2,3", "on".
std::string formatControlValue(const ControlSpec& spec, const ControlValue& value);
// "-1000000 to 1000000", "circle, ring, ...", "" where there is no limit.
std::string allowedText(const ControlSpec& spec);

}  // namespace kestrow::cli
