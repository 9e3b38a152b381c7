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
#include <filesystem>
#include <memory>
#include <new>

#include "Commands.h"
#include "Errors.h"
#include "FileChecks.h"
#include "Interrupts.h"
#include "Numbers.h"
#include "Options.h"
#include "Pick.h"

namespace kestrow::cli {
namespace {

constexpr const char* kRenderFooter = R"(
Position channels: by default R, G, B and the image's alpha (refused beside a
layer named P, Pworld, Position: name it). --position-layer P picks P.x/y/z
(or X/Y/Z, R/G/B, red/green/blue) of a multilayer file, also as the last part
of a longer layer name such as "beauty.Position". PART:NAME names a part of a
multi-part file. Alpha "none" means coverage 1 everywhere.

OUTPUT: .exr (RGBA, 32-bit float or --data-type half) or an 8-bit preview
(.png, .tif, .jpg; JPEG shows the picture over black). With --add-layer or
--matte, OUTPUT is the input EXR, every part, channel and attribute kept,
with each matte added as layer NAME.R/G/B/A. Frame sequences: put #### or
%04d in OUTPUT (and optionally INPUT) and give --frames A-B.

Controls are applied in their order; a --preset is loaded first and the
control flags override it; --pick comes last and moves "Position".

Exit codes: 0 success, 1 failure, 2 usage error.)";

// Whole numbers as the tool reads them everywhere (decimal only: CLI11 on
// its own would take "0x8" as 8 and "010" as 8).
const CLI::Validator kWholeNumber(
    [](std::string& text) {
      const WholeNumber number = readWhole(text);
      if (number.status != NumberStatus::Ok) return numberProblem(text, number.status);
      text = std::to_string(number.value);
      return std::string();
    },
    "");

// A parse error as the tool reports it. CLI11 says "A subcommand is
// required" for a misspelt command; name the word instead.
[[noreturn]] void parseFailed(const CLI::App& app, const CLI::ParseError& e) {
  if (app.get_subcommands().empty())
    for (const std::string& word : app.remaining())
      if (!word.starts_with("-"))
        usageError("command line",
                   "unknown command \"" + word + "\" (commands: demo, render, describe)");
  usageError("command line", e.what());
}

int run(int argc, char** argv) {
  std::string pluginPath = defaultPluginPath();
  unsigned threads = 0;

  CLI::App app{"kestrow: mattes from world-position passes, rendered by the Kestrow plug-in",
               "kestrow"};
  app.require_subcommand(1);
  app.set_help_all_flag("--help-all", "Help for every command");
  app.set_version_flag(
      "--version",
      [&] {
        std::printf("kestrow %s\n", KESTROW_VERSION);
        return pluginVersionLine(pluginPath);
      },
      "Print the tool's version and the plug-in's (the one beside the tool, or installed with it)");

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
  std::vector<std::string> pick;
  CLI::App* render = app.add_subcommand("render", "Render mattes from a position pass");
  render->footer(kRenderFooter);
  render->add_option("INPUT", request.input, "Position pass (any image OpenImageIO reads)")
      ->type_name("FILE")
      ->required();
  render->add_option("OUTPUT", request.output, "Output image (.exr, .png, .tif, .jpg)")->required();
  CLI::Option* channels = render
                              ->add_option("--position-channels", request.channels.position,
                                           "Position channels by name: X,Y,Z (e.g. P.x,P.y,P.z)")
                              ->type_name("NAME")
                              ->delimiter(',')
                              ->expected(3);
  render
      ->add_option("--position-layer", request.channels.layer,
                   "Layer holding the position: P, Pworld, <layer>.Position, ...")
      ->type_name("LAYER")
      ->excludes(channels);
  render
      ->add_option("--alpha-channel", request.channels.alpha,
                   "Coverage channel by name, or \"none\" for 1")
      ->type_name("NAME");
  render
      ->add_option("--pick", pick,
                   "Pick the position at pixel X,Y, counted from the top left of the display "
                   "window (sets \"Pick Point\", which moves \"Position\")")
      ->type_name("N")
      ->delimiter(',')
      ->expected(2);
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
  render
      ->add_option("--add-layer", request.addLayer,
                   "Write the input (OpenEXR) with the matte added as layer NAME.R/G/B/A")
      ->type_name("NAME");
  render
      ->add_option("--matte", request.mattes,
                   "Add one more matte as layer NAME, rendered with the preset's controls and "
                   "the control flags on top (repeatable)")
      ->type_name("NAME=PRESET.json")
      ->expected(1)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  render->add_flag("--replace-layer", request.replaceLayer,
                   "Replace input layers of those names instead of refusing them");
  render
      ->add_option("--data-type", request.dataType,
                   "EXR sample type of the mattes: half or float (default); all=half or "
                   "all=float converts the input's float channels too")
      ->type_name("TYPE");
  render
      ->add_option("--compression", request.compression,
                   "EXR compression: none, rle, zips, zip, piz, pxr24, b44, b44a, dwaa, dwab "
                   "(default: the input's when adding layers, else zip)")
      ->type_name("NAME");

  for (CLI::App* sub : {demo, describe, render}) {
    sub->add_option("--plugin", pluginPath, "Plug-in file (default: kestrow's own Kestrow.so)")
        ->type_name("PATH");
    sub->add_option("--threads", threads, "Render threads (0: one per core)")
        ->type_name("N")
        ->check(CLI::Range(0u, 1024u))
        ->transform(kWholeNumber);
  }

  // Render's control flags come from the parameter records of the plug-in
  // that --plugin names: a first parse, which lets the unknown control flags
  // through, finds it (and --threads); the second, with the control flags
  // added, is the real one. Both parse the same options the same way.
  render->allow_extras();
  // Lists as typed, before CLI11 drops their empty items or cuts them.
  checkTypedLists(argc, argv,
                  {{"--pick", 2, "--pick", "a pixel X,Y"},
                   {"--position-channels", 3, "--position-channels", "three channel names X,Y,Z"}});
  bool helpAsked = false;
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    helpAsked = e.get_exit_code() == 0;
    if (!(helpAsked && render->parsed())) {
      if (helpAsked) return app.exit(e);
      parseFailed(app, e);
    }
  }
  // Load the file named, never one the system loader would find by a bare name.
  if (!pluginPath.empty()) pluginPath = std::filesystem::absolute(pluginPath).string();

  std::unique_ptr<PluginSession> session;
  std::unique_ptr<ControlFlags> controlFlags;
  if (render->parsed()) {
    try {
      session = std::make_unique<PluginSession>(pluginPath, threads);
      controlFlags = std::make_unique<ControlFlags>(*render, session->specs(), session->params());
    } catch (const CliError& e) {
      if (!helpAsked) throw;
      render->footer(std::string(kRenderFooter) + "\n\nControl flags are not listed: " + e.what());
    }
    render->allow_extras(false);
    try {
      if (controlFlags) controlFlags->checkTypedValues(argc, argv);
      app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
      if (e.get_exit_code() == 0) return app.exit(e);
      parseFailed(app, e);
    }
  }

  // An option given an empty value (an unset variable in a script) is
  // refused rather than taken as not given, or as its default.
  for (CLI::App* sub : {demo, describe, render})
    for (const CLI::Option* option : sub->get_options())
      for (const std::string& value : option->results())
        if (value.empty()) {
          const std::string& type = option->get_type_name();
          if (type == "FILE.json" || type == "FILE" || type == "PATH" || !option->nonpositional())
            requireFileName("", option->get_name());
          usageError(option->get_name(), "the value is empty");
        }
  if (threads > 0) OIIO::attribute("threads", int(threads));
  if (!pick.empty()) request.pick = parsePick(pick);
  if (render->parsed()) return runRender(*session, request, controlFlags->given());
  session = std::make_unique<PluginSession>(pluginPath, threads);
  if (demo->parsed()) return runDemo(*session, demoFolder);
  return runDescribe(*session, asJson, *render);
}

}  // namespace
}  // namespace kestrow::cli

int main(int argc, char** argv) {
  using kestrow::cli::CliError;
  kestrow::cli::installInterruptHandling();
  try {
    const int code = kestrow::cli::run(argc, argv);
    kestrow::cli::flushStandardOutput();
    return code;
  } catch (const CliError& e) {
    kestrow::cli::printError(e.subject(), e.problem());
    return e.exitCode();
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "kestrow: error: memory: out of memory\n");
    return 1;
  } catch (const std::exception& e) {
    kestrow::cli::printError("internal", e.what());
    return 1;
  }
}
