#include "Options.h"

#include "Errors.h"

namespace kestrow::cli {
namespace {

const char* typeName(ControlKind kind) {
  switch (kind) {
    case ControlKind::Popup:
      return "CHOICE";
    case ControlKind::Float:
      return "FLOAT";
    case ControlKind::Angle:
      return "DEGREES";
    case ControlKind::Point3D:  // help adds " x 3": 1,2,3 or 1 2 3
    case ControlKind::Color:
      return "NUMBER";
    case ControlKind::Layer:
      return "PICTURE";
    default:
      return "VALUE";
  }
}

// Each `--name VALUE` or `--name=VALUE` of `argv` up to a lone "--" (no
// value after a last `--name`): `visit(name, value, hasEquals)`.
template <typename Visit>
void forEachFlagValue(int argc, char** argv, Visit visit) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view word = argv[i];
    if (word == "--") return;
    if (!word.starts_with("--")) continue;
    const std::size_t equals = word.find('=');
    if (equals != std::string_view::npos)
      visit(word.substr(0, equals), word.substr(equals + 1), true);
    else if (i + 1 < argc)
      visit(word, std::string_view(argv[i + 1]), false);
  }
}

}  // namespace

void checkTypedLists(int argc, char** argv, const std::vector<ListFlag>& flags) {
  forEachFlagValue(argc, argv, [&](std::string_view name, std::string_view value, bool) {
    if (value.find(',') == std::string_view::npos) return;
    for (const ListFlag& flag : flags) {
      if (flag.flag != name) continue;
      std::size_t items = 1;
      bool emptyItem = value.front() == ',' || value.back() == ',';
      for (std::size_t at = 0; (at = value.find(',', at)) != std::string_view::npos; ++at, ++items)
        emptyItem = emptyItem || (at + 1 < value.size() && value[at + 1] == ',');
      if (items != flag.count || emptyItem)
        usageError(flag.subject, "\"" + std::string(value) + "\" is not " + flag.what);
    }
  });
}

std::string controlSummary(const ControlSpec& spec, const host::ParamInfo& info) {
  std::string text =
      kindName(spec.kind) + ", default " + formatControlValue(spec, defaultValue(spec, info));
  switch (spec.kind) {
    case ControlKind::Popup:
      text += "; choices: " + allowedText(spec);
      break;
    case ControlKind::Float:
      text += "; valid " + allowedText(spec) + " (slider " +
              formatControlValue(spec, spec.sliderMin) + " to " +
              formatControlValue(spec, spec.sliderMax) + ")";
      break;
    case ControlKind::Angle:
      text += "; valid " + allowedText(spec);
      break;
    case ControlKind::Color:
      text += "; set through the eyedropper, which moves Position";
      break;
    case ControlKind::Layer:
      text += "; any picture OpenImageIO reads";
      break;
    default:
      break;
  }
  return text;
}

ControlFlags::ControlFlags(CLI::App& app, const std::vector<ControlSpec>& specs,
                           const std::vector<host::ParamInfo>& params) {
  const std::string group = "Controls (as the plug-in registers them)";
  for (const ControlSpec& spec : specs) {
    if (spec.kind == ControlKind::Unsupported || spec.flag.empty()) continue;
    Entry& entry = entries_.emplace_back();
    entry.spec = &spec;
    const std::string description = spec.name + ": " + controlSummary(spec, params[spec.index]);
    if (spec.kind == ControlKind::Checkbox) {
      // CLI11 negates the value of the "!" form: --no-name=off is on.
      entry.option =
          app.add_flag("--" + spec.flag + ",!--no-" + spec.flag, entry.texts, description);
    } else {
      // One value, or three split at commas (or given as three words); the
      // last one given wins, as for every other flag.
      const bool triple = spec.kind == ControlKind::Point3D || spec.kind == ControlKind::Color;
      entry.option = app.add_option("--" + spec.flag, entry.texts, description)
                         ->type_name(typeName(spec.kind))
                         ->expected(triple ? 3 : 1)
                         ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
      if (triple) entry.option->delimiter(',');
    }
    entry.option->group(group);
  }
}

void ControlFlags::checkTypedValues(int argc, char** argv) const {
  std::vector<ListFlag> lists;
  for (const Entry& entry : entries_) {
    const ControlSpec& spec = *entry.spec;
    if (spec.kind == ControlKind::Point3D || spec.kind == ControlKind::Color)
      lists.push_back({"--" + spec.flag, 3, spec.name, tripleText(spec)});
  }
  checkTypedLists(argc, argv, lists);
  forEachFlagValue(argc, argv, [&](std::string_view name, std::string_view value, bool equals) {
    for (const Entry& entry : entries_)
      if (entry.spec->kind == ControlKind::Checkbox && equals && value.empty() &&
          (name == "--" + entry.spec->flag || name == "--no-" + entry.spec->flag))
        usageError(entry.spec->name, std::string(name) + "= gives no value (on or off)");
  });
}

ControlValues ControlFlags::given() const {
  ControlValues values(entries_.empty() ? 0 : std::size_t(entries_.back().spec->index) + 1);
  for (const Entry& entry : entries_) {
    if (entry.texts.empty()) continue;
    if (entry.spec->kind != ControlKind::Checkbox) {
      values[entry.spec->index] = parseControlValue(*entry.spec, entry.texts);
      continue;
    }
    for (const std::string& text : entry.texts) {
      const ControlValue state = parseControlValue(*entry.spec, text);
      if (values[entry.spec->index] && *values[entry.spec->index] != state)
        usageError(entry.spec->name, "turned both on and off (--" + entry.spec->flag + ", --no-" +
                                         entry.spec->flag + ")");
      values[entry.spec->index] = state;
    }
  }
  return values;
}

}  // namespace kestrow::cli
