// Command-line flags for the plug-in's controls, built from the parameter
// records the plug-in registered under the host: one `--<name>` per control
// (`--multiply-values 2`, `--rotate-order zyx`, `--position 1,2,3` or
// `--position 1 2 3`), and `--<name>` / `--no-<name>` for check-boxes, which
// also take a value (`--invert=off`, `--no-tile=false`). Help text gives each
// control's type, default and valid range or choices as registered.
#pragma once

#include <CLI/CLI.hpp>
#include <deque>
#include <string>
#include <vector>

#include "ControlText.h"

namespace kestrow::cli {

class ControlFlags {
 public:
  // `params` are the host's records, `specs` built from them; both must
  // outlive this object, which must outlive `app`'s parsing.
  ControlFlags(CLI::App& app, const std::vector<ControlSpec>& specs,
               const std::vector<host::ParamInfo>& params);

  // Checks the control flags' values as typed in `argv`, which CLI11 no
  // longer shows once it has split them: a point or colour written with
  // commas must hold exactly three items, none empty (CLI11 drops empty
  // items and keeps the last three of more), and a check-box's "=" must be
  // followed by a value. Throws a usage CliError naming the control and
  // quoting the value as typed.
  void checkTypedValues(int argc, char** argv) const;

  // The controls given on the command line, parsed and range-checked.
  // Throws a usage CliError naming the control for a bad value.
  ControlValues given() const;

 private:
  struct Entry {
    const ControlSpec* spec = nullptr;
    CLI::Option* option = nullptr;
    // What CLI11 collected: the value's parts (three for points and colours,
    // split at commas), or one state per check-box flag given ("true",
    // "false" or the text after '=', already negated for --no-name).
    std::vector<std::string> texts;
  };
  std::deque<Entry> entries_;  // stable addresses for CLI11's bindings
};

// A flag whose value is a comma-separated list: when the value as typed in
// `argv` (`--flag A,B` or `--flag=A,B`) holds a comma, it must hold exactly
// `count` items, none empty; else a usage CliError naming `subject` reads
// "\"<value>\" is not <what>".
struct ListFlag {
  std::string flag;  // with its dashes
  std::size_t count;
  std::string subject, what;
};
void checkTypedLists(int argc, char** argv, const std::vector<ListFlag>& flags);

// One line per control for help and describe: "float, default 2.5, valid
// -1000000 to 1000000".
std::string controlSummary(const ControlSpec& spec, const host::ParamInfo& info);

}  // namespace kestrow::cli
