// kestrow: renders mattes from position passes on disk through our host and
// the real plug-in.
//
//   kestrow demo [DIR]                    built-in scene, every mode, contact sheet
//   kestrow render INPUT OUTPUT [flags]   one frame or a sequence
//   kestrow describe [--json]             the plug-in's identity and controls
//
// Exit codes: 0 success, 1 failure, 2 usage error. Errors are printed as
// `kestrow: error: <file or control>: <problem>`.
#include <OpenImageIO/imageio.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <string_view>

#include "Commands.h"
#include "Errors.h"
#include "Options.h"

namespace kestrow::cli {
namespace {

constexpr const char* kRenderFooter = R"(
Position channels: by default the first three colour channels (R, G, B) and
the image's alpha. --position-layer P picks P.x/y/z (or X/Y/Z, R/G/B) of a
multilayer file, also as the last part of a longer layer name such as
"beauty.Position". Alpha "none" means coverage 1 everywhere.

OUTPUT: .exr (32-bit float RGBA) or an 8-bit preview (.png, .tif, .jpg; JPEG
shows the picture over black). Frame sequences: put #### or %04d in OUTPUT
(and optionally INPUT) and give --frames A-B.

Controls are applied in their order; a --preset is loaded first and the
control flags override it; --pick comes last and moves "Position".

Exit codes: 0 success, 1 failure, 2 usage error.)";

// The value of `--name VALUE` or `--name=VALUE` before the real parse: the
// plug-in must be loaded to know the control flags. The real parse checks
// the same flags again.
std::optional<std::string> earlyValue(int argc, char** argv, std::string_view name) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == name && i + 1 < argc) return std::string(argv[i + 1]);
    if (arg.size() > name.size() && arg.starts_with(name) && arg[name.size()] == '=')
      return std::string(arg.substr(name.size() + 1));
  }
  return std::nullopt;
}

bool wantsHelp(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) return true;
  return false;
}

std::string commandOf(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (argv[i][0] != '-') return argv[i];
  return "";
}

unsigned earlyThreads(int argc, char** argv) {
  const auto text = earlyValue(argc, argv, "--threads");
  if (!text) return 0;
  try {
    const long n = std::stol(*text);
    return n > 0 && n <= 1024 ? unsigned(n) : 0;
  } catch (const std::exception&) {
    return 0;  // the real parse reports it
  }
}

int run(int argc, char** argv) {
  std::string pluginPath = earlyValue(argc, argv, "--plugin").value_or(defaultPluginPath());
  unsigned threads = earlyThreads(argc, argv);

  CLI::App app{"kestrow: mattes from world-position passes, rendered by the Kestrow plug-in",
               "kestrow"};
  app.require_subcommand(1);
  app.set_help_all_flag("--help-all", "Help for every command");

  // demo
  std::string demoFolder = "demo-out";
  CLI::App* demo = app.add_subcommand(
      "demo", "Render a built-in scene in every mode; write the EXRs and a contact sheet");
  demo->add_option("DIR", demoFolder, "Output folder (created if missing)")->capture_default_str();

  // describe
  bool asJson = false;
  CLI::App* describe =
      app.add_subcommand("describe", "Show the plug-in's identity (PiPL) and its controls");
  describe->add_flag("--json", asJson, "Machine-readable output");

  // render
  RenderRequest request;
  std::string positionChannels;
  CLI::App* render = app.add_subcommand("render", "Render mattes from a position pass");
  render->footer(kRenderFooter);
  render->add_option("INPUT", request.input, "Position pass (any image OpenImageIO reads)")
      ->type_name("FILE")
      ->required();
  render->add_option("OUTPUT", request.output, "Output image (.exr, .png, .tif, .jpg)")->required();
  render
      ->add_option("--position-channels", positionChannels,
                   "Position channels by name: X,Y,Z (e.g. P.x,P.y,P.z)")
      ->type_name("X,Y,Z");
  render
      ->add_option("--position-layer", request.channels.layer,
                   "Layer holding the position: P, Pworld, <layer>.Position, ...")
      ->type_name("LAYER");
  render
      ->add_option("--alpha-channel", request.channels.alpha,
                   "Coverage channel by name, or \"none\" for 1")
      ->type_name("NAME");
  render
      ->add_option("--pick", request.pick,
                   "Pick the position at pixel X,Y (sets \"Pick Point\", which moves "
                   "\"Position\")")
      ->type_name("X,Y");
  render->add_option("--preset", request.preset, "Load control values from a JSON preset")
      ->type_name("FILE.json");
  render
      ->add_option("--save-preset", request.savePreset,
                   "Write the control values used to a JSON preset")
      ->type_name("FILE.json");
  render->add_flag("--unpremultiply", request.unpremultiply,
                   "Divide X, Y, Z by alpha where 0 < alpha < 1 before rendering");
  render->add_flag("--stats", request.stats,
                   "Per frame: position range, transparent and NaN pixels, matte coverage");
  render->add_option("--frames", request.frames, "Frame range A-B for sequence patterns")
      ->type_name("A-B");

  for (CLI::App* sub : {demo, describe, render}) {
    sub->add_option("--plugin", pluginPath, "Plug-in file (default: Kestrow.so beside kestrow)")
        ->type_name("PATH");
    sub->add_option("--threads", threads, "Render threads (0: one per core)")
        ->type_name("N")
        ->check(CLI::Range(0u, 1024u));
  }

  // Render's control flags come from the plug-in's parameter records.
  std::unique_ptr<PluginSession> session;
  std::unique_ptr<ControlFlags> controlFlags;
  if (commandOf(argc, argv) == "render") {
    try {
      session = std::make_unique<PluginSession>(pluginPath, threads);
      controlFlags = std::make_unique<ControlFlags>(*render, session->specs(), session->params());
    } catch (const CliError& e) {
      if (!wantsHelp(argc, argv)) throw;
      render->footer(std::string(kRenderFooter) + "\n\nControl flags are not listed: " + e.what());
    }
  }

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) return app.exit(e);
    usageError("command line", e.what());
  }

  if (threads > 0) OIIO::attribute("threads", int(threads));
  if (!positionChannels.empty()) {
    request.channels.position.clear();
    std::size_t start = 0;
    for (;;) {
      const std::size_t comma = positionChannels.find(',', start);
      request.channels.position.push_back(positionChannels.substr(start, comma - start));
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
    if (request.channels.position.size() != 3)
      usageError("--position-channels",
                 "takes three channel names X,Y,Z, got \"" + positionChannels + "\"");
  }

  if (render->parsed()) return runRender(*session, request, controlFlags->given());
  session = std::make_unique<PluginSession>(pluginPath, threads);
  if (demo->parsed()) return runDemo(*session, demoFolder);
  return runDescribe(*session, asJson);
}

}  // namespace
}  // namespace kestrow::cli

int main(int argc, char** argv) {
  using kestrow::cli::CliError;
  try {
    return kestrow::cli::run(argc, argv);
  } catch (const CliError& e) {
    std::fprintf(stderr, "kestrow: error: %s: %s\n", e.subject().c_str(), e.problem().c_str());
    return e.exitCode();
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "kestrow: error: memory: out of memory\n");
    return 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kestrow: error: internal: %s\n", e.what());
    return 1;
  }
}
