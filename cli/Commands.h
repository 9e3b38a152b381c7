// The tool's three commands. Each returns the process exit code on success
// paths and throws CliError for everything that goes wrong.
#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <string>
#include <vector>

#include "Controls.h"
#include "ImageIO.h"
#include "Pick.h"
#include "Session.h"

namespace kestrow::cli {

struct RenderRequest {
  std::string input;   // may hold a frame pattern
  std::string output;  // may hold a frame pattern
  ChannelSelection channels;
  std::optional<PixelPick> pick;
  std::string preset;
  std::string savePreset;
  std::string frames;  // "A-B" or empty
  bool unpremultiply = false;
  bool stats = false;
  // Layered output: the input with the command line's matte as layer
  // `addLayer` and one more per `mattes` entry "NAME=PRESET.json".
  std::string addLayer;
  std::vector<std::string> mattes;
  bool replaceLayer = false;
  std::string dataType, compression;  // as given; empty for the defaults
};

// `flags`: the controls given on the command line (they win over a preset).
int runRender(PluginSession& session, const RenderRequest& request, const ControlValues& flags);

int runDemo(PluginSession& session, const std::string& folder);

// "plug-in <name> <version> (<stage>, build <n>): <file>" for the plug-in
// at `pluginPath`, as our host loads it. Throws a failure CliError when it
// cannot be loaded.
std::string pluginVersionLine(const std::string& pluginPath);

// `render`: the render command, whose options the JSON lists too.
int runDescribe(PluginSession& session, bool asJson, const CLI::App& render);

}  // namespace kestrow::cli
