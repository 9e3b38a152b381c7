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
    case ControlKind::Point3D:
      return "X,Y,Z";
    case ControlKind::Color:
      return "R,G,B";
    case ControlKind::Layer:
      return "PICTURE";
    default:
      return "VALUE";
  }
}

}  // namespace

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
      entry.option = app.add_flag("--" + spec.flag, entry.checked, description);
      entry.offOption =
          app.add_flag("--no-" + spec.flag)->description("Turn " + spec.name + " off");
      entry.offOption->group(group);
    } else {
      entry.option =
          app.add_option("--" + spec.flag, entry.text, description)->type_name(typeName(spec.kind));
    }
    entry.option->group(group);
  }
}

ControlValues ControlFlags::given() const {
  int highest = 0;
  for (const Entry& entry : entries_) highest = std::max(highest, entry.spec->index);
  ControlValues values(std::size_t(highest) + 1);
  for (const Entry& entry : entries_) {
    if (entry.spec->kind == ControlKind::Checkbox) {
      const bool on = entry.option->count() > 0, off = entry.offOption->count() > 0;
      if (on && off)
        usageError(entry.spec->name,
                   "both --" + entry.spec->flag + " and --no-" + entry.spec->flag + " given");
      if (on || off) values[entry.spec->index] = on;
      continue;
    }
    if (entry.option->count() > 0)
      values[entry.spec->index] = parseControlValue(*entry.spec, entry.text);
  }
  return values;
}

}  // namespace kestrow::cli
