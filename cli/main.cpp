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

namespace kestrow::cli {
namespace {

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

// An option given an empty value (an unset variable in a script) is
// refused rather than taken as not given, or as its default.
void refuseEmptyValues(const CLI::App& command) {
  for (const CLI::Option* option : command.get_options())
    for (const std::string& value : option->results())
      if (value.empty()) {
        const std::string& type = option->get_type_name();
        if (type == "FILE.json" || type == "FILE" || type == "PATH" || !option->nonpositional())
          requireFileName("", option->get_name());
        usageError(option->get_name(), "the value is empty");
      }
}

int run(int argc, char** argv) {
  CLI::App app{"kestrow: mattes from world-position passes, rendered by the Kestrow plug-in",
               "kestrow"};
  app.require_subcommand(1);
  app.set_help_all_flag("--help-all", "Help for every command");
  std::string pluginPath = defaultPluginPath();
  unsigned threads = 0;
  app.set_version_flag(
      "--version",
      [&] {
        std::printf("kestrow %s\n", KESTROW_VERSION);
        return pluginVersionLine(pluginPath);
      },
      "Print the tool's version and the plug-in's (the one beside the tool, or installed with it)");

  DemoRequest demoRequest;
  DescribeRequest describeRequest;
  RenderRequest renderRequest;
  CLI::App* demo = addDemo(app, demoRequest);
  CLI::App* describe = addDescribe(app, describeRequest);
  CLI::App* render = addRender(app, renderRequest);

  for (CLI::App* command : {demo, describe, render}) {
    command->add_option("--plugin", pluginPath, "Plug-in file (default: kestrow's own Kestrow.so)")
        ->type_name("PATH");
    command->add_option("--threads", threads, "Render threads (0: one per core)")
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
      render->footer(render->get_footer() + "\n\nControl flags are not listed: " + e.what());
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

  for (const CLI::App* command : {demo, describe, render}) refuseEmptyValues(*command);
  if (threads > 0) OIIO::attribute("threads", int(threads));
  if (render->parsed()) return runRender(*session, renderRequest, *controlFlags);
  session = std::make_unique<PluginSession>(pluginPath, threads);
  if (demo->parsed()) return runDemo(*session, demoRequest);
  return runDescribe(*session, describeRequest, *render);
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
