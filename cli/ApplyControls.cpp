#include "ApplyControls.h"

#include "Errors.h"

namespace kestrow::cli {
namespace {

void check(const host::Status& status, const ControlSpec& spec) {
  if (status.ok()) return;
  if (status.code == host::StatusCode::kInvalidArgument) usageError(spec.name, status.message);
  failure(spec.name, status.message);
}

}  // namespace

void applyControls(host::Instance& instance, const std::vector<ControlSpec>& specs,
                   const ControlValues& values, const LayerLoader& loadLayer) {
  for (const ControlSpec& spec : specs) {
    if (spec.index >= int(values.size()) || !values[spec.index]) continue;
    const ControlValue& value = *values[spec.index];
    switch (spec.kind) {
      case ControlKind::Popup:
        check(instance.setPopup(spec.index, A_long(std::get<long>(value))), spec);
        break;
      case ControlKind::Checkbox:
        check(instance.setCheckbox(spec.index, std::get<bool>(value)), spec);
        break;
      case ControlKind::Float:
        check(instance.setFloat(spec.index, std::get<double>(value)), spec);
        break;
      case ControlKind::Angle:
        check(instance.setAngle(spec.index, std::get<double>(value)), spec);
        break;
      case ControlKind::Point3D: {
        const auto& p = std::get<std::array<double, 3>>(value);
        check(instance.setPoint3D(spec.index, p[0], p[1], p[2]), spec);
        break;
      }
      case ControlKind::Color: {
        const auto& c = std::get<std::array<double, 3>>(value);
        check(instance.pickColor(spec.index, {1.f, float(c[0]), float(c[1]), float(c[2])}), spec);
        break;
      }
      case ControlKind::Layer: {
        const std::string& path = std::get<std::string>(value);
        check(instance.setLayer(spec.index, path.empty() ? nullptr : loadLayer(path)), spec);
        break;
      }
      case ControlKind::Unsupported:
        break;
    }
  }
}

ControlValue currentValue(const host::Instance& instance, const ControlSpec& spec,
                          const std::string& layerPath) {
  const PF_ParamDef def = instance.param(spec.index);
  switch (spec.kind) {
    case ControlKind::Popup:
      return long(def.u.pd.value);
    case ControlKind::Checkbox:
      return def.u.bd.value != 0;
    case ControlKind::Float:
      return def.u.fs_d.value;
    case ControlKind::Angle:
      return def.u.ad.value / 65536.0;
    case ControlKind::Point3D:
      return std::array<double, 3>{def.u.point3d_d.x_value, def.u.point3d_d.y_value,
                                   def.u.point3d_d.z_value};
    case ControlKind::Color: {
      const PF_PixelFloat c = instance.floatColor(spec.index);
      return std::array<double, 3>{c.red, c.green, c.blue};
    }
    case ControlKind::Layer:
    case ControlKind::Unsupported:
      break;
  }
  return layerPath;
}

bool matteInAlpha(const host::Instance& instance, const std::vector<ControlSpec>& specs) {
  const ControlSpec* alpha = findByRole(specs, ControlRole::AlphaMatte);
  if (!alpha) return true;
  return instance.isHidden(alpha->index) || std::get<bool>(currentValue(instance, *alpha, ""));
}

bool rendersColour(const host::Instance& instance, const std::vector<ControlSpec>& specs) {
  const ControlSpec* alpha = findByRole(specs, ControlRole::AlphaMatte);
  return alpha != nullptr && instance.isHidden(alpha->index);
}

}  // namespace kestrow::cli
