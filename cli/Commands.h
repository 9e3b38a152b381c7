// The tool's three commands. Each registers its own options and arguments
// on the tool's command line (`add…`, called before parsing) and runs from
// what was parsed (`run…`): it returns the process exit code on success
// paths and throws CliError for everything that goes wrong.
#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

#include "ImageIO.h"
#include "Options.h"
#include "Session.h"

namespace kestrow::cli {

struct DemoRequest {
  std::string folder = "demo-out";
};
CLI::App* addDemo(CLI::App& app, DemoRequest& request);
int runDemo(PluginSession& session, const DemoRequest& request);

struct DescribeRequest {
  bool json = false;
};
CLI::App* addDescribe(CLI::App& app, DescribeRequest& request);
// `render`: the render command, whose options the JSON lists too.
int runDescribe(PluginSession& session, const DescribeRequest& request, const CLI::App& render);

struct RenderRequest {
  std::string input;   // may hold a frame pattern
  std::string output;  // may hold a frame pattern
  ChannelSelection channels;
  std::vector<std::string> pick;  // X, Y as typed; empty when not given
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
  // "world" or "camera"; for camera-space positions the matrix as typed
  // where the header has none.
  std::string positionSpace = "world";
  std::string worldToCamera;
  // Layered output: layers made of the matte layers, "NAME=OP:A,B[,...]",
  // and whether the parts are left out of the file.
  std::vector<std::string> combines;
  bool combineOnly = false;
  // The covered pixels as a PLY point cloud (may hold a frame pattern),
  // every `pointStep`-th (0: the default for the frame's size), coloured by
  // the layer `pointCloudLayer` ("": the first layer written).
  std::string pointCloud;
  int pointStep = 0;
  std::string pointCloudLayer;
};
// The render command's own options; the control flags come from the
// plug-in (ControlFlags) once it is loaded.
CLI::App* addRender(CLI::App& app, RenderRequest& request);
// `flags`: the controls given on the command line (they win over a preset).
int runRender(PluginSession& session, const RenderRequest& request, const ControlFlags& flags);

// "plug-in <name> <version> (<stage>, build <n>): <file>" for the plug-in
// at `pluginPath`, as our host loads it. Throws a failure CliError when it
// cannot be loaded.
std::string pluginVersionLine(const std::string& pluginPath);

}  // namespace kestrow::cli
