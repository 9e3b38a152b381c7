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

#include "Controls.h"

namespace kestrow::cli {

class ControlFlags {
 public:
  // `params` are the host's records, `specs` built from them; both must
  // outlive this object, which must outlive `app`'s parsing.
  ControlFlags(CLI::App& app, const std::vector<ControlSpec>& specs,
               const std::vector<host::ParamInfo>& params);

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

// One line per control for help and describe: "float, default 2.5, valid
// -1000000 to 1000000".
std::string controlSummary(const ControlSpec& spec, const host::ParamInfo& info);

}  // namespace kestrow::cli
