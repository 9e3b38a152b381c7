// The tool's three commands. Each returns the process exit code on success
// paths and throws CliError for everything that goes wrong.
#pragma once

#include <optional>
#include <string>

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
};

// `flags`: the controls given on the command line (they win over a preset).
int runRender(PluginSession& session, const RenderRequest& request, const ControlValues& flags);

int runDemo(PluginSession& session, const std::string& folder);

int runDescribe(PluginSession& session, bool asJson);

}  // namespace kestrow::cli
