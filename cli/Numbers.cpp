#include "Numbers.h"

#include <CLI/CLI.hpp>
#include <algorithm>

#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>

namespace kestrow::cli {
std::string_view trimmed(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
    text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
    text.remove_suffix(1);
  return text;
}

std::string lowerCase(std::string_view text) {
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

int choiceIndex(const std::vector<std::string>& names, std::string_view text) {
  const CLI::IsMember member(names, [](std::string name) { return lowerCase(trimmed(name)); });
  std::string matched(text);  // the member itself once matched
  if (!member(matched).empty()) return -1;
  return int(std::find(names.begin(), names.end(), matched) - names.begin());
}

namespace {

// Drops one leading '+' that starts a number, which std::from_chars does not
// accept; "+-2" and "++2" stay malformed.
std::string_view withoutPlus(std::string_view text) {
  if (text.size() > 1 && text[0] == '+' && text[1] != '+' && text[1] != '-') text.remove_prefix(1);
  return text;
}

}  // namespace

RealNumber readReal(std::string_view text) {
  const std::string_view t = withoutPlus(trimmed(text));
  RealNumber number;
  const char* end = t.data() + t.size();
  const auto result = std::from_chars(t.data(), end, number.value);
  if (t.empty() || result.ptr != end) {
    number.status = NumberStatus::Malformed;
  } else if (result.ec == std::errc::result_out_of_range) {
    // Overflow and underflow look alike here; the wider type tells them
    // apart (and anything beyond even that is surely too large).
    long double wide = 0;
    const auto again = std::from_chars(t.data(), end, wide);
    const bool tiny = again.ec == std::errc() && std::fabs(wide) < 1;
    number.status = tiny ? NumberStatus::TooSmall : NumberStatus::TooLarge;
    number.value =
        tiny ? 0.0 : (t[0] == '-' ? -1.0 : 1.0) * std::numeric_limits<double>::infinity();
  } else if (result.ec != std::errc()) {
    number.status = NumberStatus::Malformed;
  }
  return number;
}

WholeNumber readWhole(std::string_view text) {
  const std::string_view t = withoutPlus(trimmed(text));
  WholeNumber number;
  const char* end = t.data() + t.size();
  const auto result = std::from_chars(t.data(), end, number.value);
  if (t.empty() || result.ptr != end)
    number.status = NumberStatus::Malformed;
  else if (result.ec == std::errc::result_out_of_range)
    number.status = NumberStatus::TooLarge;
  else if (result.ec != std::errc())
    number.status = NumberStatus::Malformed;
  return number;
}

std::string numberProblem(std::string_view text, NumberStatus status) {
  std::string quoted = "\"";  // appended, not concatenated: GCC 12 warns falsely on the latter
  quoted.append(text).append("\"");
  switch (status) {
    case NumberStatus::Ok:
      break;
    case NumberStatus::Malformed:
      return quoted + " is not a number";
    case NumberStatus::TooLarge:
      return quoted + " is too large";
    case NumberStatus::TooSmall:
      return quoted + " is too close to zero (write 0)";
  }
  return quoted + " is a number";
}

}  // namespace kestrow::cli
