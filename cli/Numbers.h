// Numbers (and words) as users type them on the command line: decimal, in the C
// locale, with an optional leading '+' or '-'. The same rules hold for
// every flag, so "+2" and "2" are always the same value.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kestrow::cli {

// `text` without the white space at either end.
std::string_view trimmed(std::string_view text);

// `text` in lower case (ASCII letters only, as choices are matched).
std::string lowerCase(std::string_view text);

// The parts of `text` between `separator`s, empty ones included.
std::vector<std::string> split(std::string_view text, char separator);

// The index in `names` of the name `text` gives, in any case and without
// the white space around it (CLI11's IsMember matches them); -1 for none.
int choiceIndex(const std::vector<std::string>& names, std::string_view text);

enum class NumberStatus {
  Ok,
  Malformed,  // not a number at all ("2x", "", "0x8", "++2")
  TooLarge,   // beyond the range of the type ("1e309", "99999999999")
  TooSmall    // a non-zero real closer to zero than a double holds ("1e-400")
};

struct RealNumber {
  double value = 0;  // ±infinity when TooLarge
  NumberStatus status = NumberStatus::Ok;
};

// Reads a real number: digits with an optional fraction and exponent, or
// "inf" / "nan" (which callers refuse where only finite values make sense).
// Surrounding white space is ignored.
RealNumber readReal(std::string_view text);

// Reads a whole number in decimal (no hex or octal forms) that fits in an
// int; Malformed or TooLarge otherwise.
struct WholeNumber {
  int value = 0;
  NumberStatus status = NumberStatus::Ok;
};
WholeNumber readWhole(std::string_view text);

// The reason a number was refused, for messages: "\"2x\" is not a number",
// "\"1e309\" is too large", "\"1e-400\" is too close to zero (write 0)".
std::string numberProblem(std::string_view text, NumberStatus status);

}  // namespace kestrow::cli
