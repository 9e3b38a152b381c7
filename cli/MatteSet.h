// The named mattes of one layered render: `--add-layer NAME` (the matte of
// the command line's own controls) and `--matte NAME=PRESET.json`
// (repeatable, one matte per preset), each written as the layer NAME
// (channels NAME.R, NAME.G, NAME.B, NAME.A) beside the input's channels.
#pragma once

#include <string>
#include <vector>

namespace kestrow::cli {

struct MatteRequest {
  std::string layer;
  std::string preset;  // empty: the command line's controls alone
  std::string option;  // the flag it came from, for messages
};

// Refuses a layer name that pipelines could not take apart again: empty,
// longer than 200 characters, or not dot-separated parts of letters,
// digits, '_' and '-' ("matte", "mattes.ball", "crypto_00"). Throws a usage
// CliError naming `option` and the name.
void checkLayerName(const std::string& name, const std::string& option);

// Parses one `--matte` value "NAME=PRESET.json"; throws a usage CliError
// naming --matte when there is no '=', the name is refused or the preset
// is empty.
MatteRequest parseMatteArgument(const std::string& text);

// Every matte of a command line: `addLayer` first (when not empty), then
// each `--matte` in order. A layer named twice is refused.
std::vector<MatteRequest> matteRequests(const std::string& addLayer,
                                        const std::vector<std::string>& matteArguments);

}  // namespace kestrow::cli
