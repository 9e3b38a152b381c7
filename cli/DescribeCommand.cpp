#include <CLI/CLI.hpp>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "Commands.h"
#include "Options.h"
#include "Presets.h"
#include "kestrow/host/PiPL.h"

namespace kestrow::cli {
namespace {

using json = nlohmann::ordered_json;

struct FlagName {
  std::uint32_t bit;
  const char* name;
};

constexpr FlagName kOutFlags[] = {
    {PF_OutFlag_WIDE_TIME_INPUT, "WIDE_TIME_INPUT"},
    {PF_OutFlag_SEQUENCE_DATA_NEEDS_FLATTENING, "SEQUENCE_DATA_NEEDS_FLATTENING"},
    {PF_OutFlag_USE_OUTPUT_EXTENT, "USE_OUTPUT_EXTENT"},
    {PF_OutFlag_DISPLAY_ERROR_MESSAGE, "DISPLAY_ERROR_MESSAGE"},
    {PF_OutFlag_PIX_INDEPENDENT, "PIX_INDEPENDENT"},
    {PF_OutFlag_FORCE_RERENDER, "FORCE_RERENDER"},
    {PF_OutFlag_DEEP_COLOR_AWARE, "DEEP_COLOR_AWARE"},
    {PF_OutFlag_SEND_UPDATE_PARAMS_UI, "SEND_UPDATE_PARAMS_UI"},
};
constexpr FlagName kOutFlags2[] = {
    {PF_OutFlag2_SUPPORTS_QUERY_DYNAMIC_FLAGS, "SUPPORTS_QUERY_DYNAMIC_FLAGS"},
    {PF_OutFlag2_PARAM_GROUP_START_COLLAPSED_FLAG, "PARAM_GROUP_START_COLLAPSED_FLAG"},
    {PF_OutFlag2_SUPPORTS_SMART_RENDER, "SUPPORTS_SMART_RENDER"},
    {PF_OutFlag2_FLOAT_COLOR_AWARE, "FLOAT_COLOR_AWARE"},
    {PF_OutFlag2_AUTOMATIC_WIDE_TIME_INPUT, "AUTOMATIC_WIDE_TIME_INPUT"},
    {PF_OutFlag2_SUPPORTS_THREADED_RENDERING, "SUPPORTS_THREADED_RENDERING"},
    {PF_OutFlag2_MUTABLE_RENDER_SEQUENCE_DATA_SLOWER, "MUTABLE_RENDER_SEQUENCE_DATA_SLOWER"},
};

// Names of the set bits; bits without a name are shown as "bit N".
template <std::size_t N>
std::vector<std::string> flagNames(std::uint32_t flags, const FlagName (&table)[N]) {
  std::vector<std::string> names;
  for (int bit = 0; bit < 32; ++bit) {
    const std::uint32_t mask = std::uint32_t(1) << bit;
    if (!(flags & mask)) continue;
    const char* name = nullptr;
    for (const FlagName& f : table)
      if (f.bit == mask) name = f.name;
    names.push_back(name ? name : "bit " + std::to_string(bit));
  }
  return names;
}

struct Version {
  unsigned major, minor, bug, stage, build;
};

// Unpacks the version word laid out as PF_VERSION packs it.
Version unpack(std::uint32_t v) {
  return {((v >> 19) & 0x7) | (((v >> 26) & 0xF) << 3), (v >> 15) & 0xF, (v >> 11) & 0xF,
          (v >> 9) & 0x3, v & 0x1FF};
}

const char* stageName(unsigned stage) {
  static const char* const names[] = {"develop", "alpha", "beta", "release"};
  return names[stage & 3];
}

std::string hex(std::uint32_t v) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%08X", v);
  return buffer;
}

json describeControl(const ControlSpec& spec, const host::ParamInfo& info) {
  json c = {{"index", spec.index},
            {"name", spec.name},
            {"flag", "--" + spec.flag},
            {"type", kindName(spec.kind)},
            {"hostType", spec.type},
            {"flags", spec.flags},
            {"default", controlJson(spec, defaultValue(spec, info), "")}};
  if (spec.kind == ControlKind::Popup) {
    json choices = json::array();
    for (const auto& [item, value] : popupChoices(spec))
      choices.push_back({{"name", item}, {"value", value}});
    c["choices"] = choices;
    c["items"] = spec.items;
  }
  if (spec.kind == ControlKind::Float || spec.kind == ControlKind::Angle) {
    c["validMin"] = spec.validMin;
    c["validMax"] = spec.validMax;
  }
  if (spec.kind == ControlKind::Float) {
    c["sliderMin"] = spec.sliderMin;
    c["sliderMax"] = spec.sliderMax;
    c["precision"] = spec.precision;
  }
  return c;
}

// The render command's own options (the controls' flags are listed with
// the controls), so that a pipeline can build command lines.
json describeOptions(const CLI::App& command) {
  json options = json::array();
  for (const CLI::Option* option : command.get_options()) {
    const std::string name = option->get_name();
    if (name.starts_with("--help")) continue;
    json o = {{"name", name}, {"description", option->get_description()}};
    if (option->get_positional()) o["positional"] = true;
    if (option->get_items_expected_min() == 0)
      o["flag"] = true;
    else
      o["value"] = option->get_type_name();
    if (option->get_multi_option_policy() == CLI::MultiOptionPolicy::TakeAll)
      o["repeatable"] = true;
    options.push_back(o);
  }
  return options;
}

std::string versionNumber(const Version& v) {
  return std::to_string(v.major) + "." + std::to_string(v.minor) + "." + std::to_string(v.bug);
}

}  // namespace

std::string pluginVersionLine(const std::string& pluginPath) {
  PluginSession session(pluginPath, 1);
  const host::PiPL& pipl = session.host().pipl();
  const Version v = unpack(pipl.effectVersion);
  const std::string text = "plug-in " + pipl.name + " " + versionNumber(v) + " (" +
                           stageName(v.stage) + ", build " + std::to_string(v.build) +
                           "): " + session.pluginPath();
  session.finish(nullptr);
  return text;
}

CLI::App* addDescribe(CLI::App& app, DescribeRequest& request) {
  CLI::App* describe =
      app.add_subcommand("describe", "Show the plug-in's identity (PiPL) and its controls");
  describe->add_flag("--json", request.json, "Machine-readable output");
  return describe;
}

int runDescribe(PluginSession& session, const DescribeRequest& request, const CLI::App& render) {
  const host::PiPL& pipl = session.host().pipl();
  const Version v = unpack(pipl.effectVersion);
  const std::string version = versionNumber(v);
  if (request.json) {
    json plugin = {{"file", session.pluginPath()},
                   {"name", pipl.name},
                   {"category", pipl.category},
                   {"matchName", pipl.matchName},
                   {"kind", host::fourCCToString(pipl.kind)},
                   {"entryPoint", pipl.entryPoint},
                   {"version", version},
                   {"stage", stageName(v.stage)},
                   {"build", v.build},
                   {"versionCode", pipl.effectVersion},
                   {"outFlags", pipl.outFlags},
                   {"outFlagNames", flagNames(pipl.outFlags, kOutFlags)},
                   {"outFlags2", pipl.outFlags2},
                   {"outFlags2Names", flagNames(pipl.outFlags2, kOutFlags2)}};
    json controls = json::array();
    for (const ControlSpec& spec : session.specs())
      controls.push_back(describeControl(spec, session.params()[spec.index]));
    std::printf("%s\n", json({{"plugin", plugin},
                              {"controls", controls},
                              {"renderOptions", describeOptions(render)}})
                            .dump(2)
                            .c_str());
  } else {
    auto joined = [](const std::vector<std::string>& names) {
      std::string text;
      for (const std::string& n : names) text += (text.empty() ? "" : " ") + n;
      return text.empty() ? std::string("none") : text;
    };
    std::printf("%s (%s)\n", pipl.name.c_str(), session.pluginPath().c_str());
    std::printf("  category    %s\n", pipl.category.c_str());
    std::printf("  match name  %s\n", pipl.matchName.c_str());
    std::printf("  version     %s (%s, build %u)\n", version.c_str(), stageName(v.stage), v.build);
    std::printf("  out flags   %s %s\n", hex(pipl.outFlags).c_str(),
                joined(flagNames(pipl.outFlags, kOutFlags)).c_str());
    std::printf("  out flags 2 %s %s\n", hex(pipl.outFlags2).c_str(),
                joined(flagNames(pipl.outFlags2, kOutFlags2)).c_str());
    std::printf("controls (%zu):\n", session.specs().size());
    for (const ControlSpec& spec : session.specs())
      std::printf("  %2d  %-16s --%-16s %s\n", spec.index, spec.name.c_str(), spec.flag.c_str(),
                  controlSummary(spec, session.params()[spec.index]).c_str());
  }
  session.finish(nullptr);
  return 0;
}

}  // namespace kestrow::cli
