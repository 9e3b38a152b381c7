// Changing controls as the user would, and the interface commands that
// follow a change.
#include <cmath>

#include "InstanceCommand.h"

namespace kestrow::host {
namespace {

Status invalid(PF_ParamIndex index, const std::string& problem) {
  return Status::error(StatusCode::kInvalidArgument,
                       "parameter " + std::to_string(index) + ": " + problem);
}

template <typename Store>
Status change(Instance& instance, Instance::State& s, PF_ParamIndex index, PF_ParamType type,
              Store store) {
  Status status = controlOf(s, index, type);
  if (!status.ok()) return status;
  {
    std::lock_guard lock(s.mutex);
    status = store(s.values[std::size_t(index)]);
  }
  if (!status.ok()) return status;
  return afterChange(instance, s, index);
}

}  // namespace

Status controlOf(Instance::State& s, PF_ParamIndex index, PF_ParamType type) {
  if (s.closed) return Status::error(StatusCode::kWrongState, "the effect instance is closed");
  if (index <= 0 || std::size_t(index) >= s.values.size()) return invalid(index, "no such control");
  if (s.values[std::size_t(index)].param_type != type) {
    return invalid(index, "is of type " + std::to_string(s.values[std::size_t(index)].param_type) +
                              ", not " + std::to_string(type));
  }
  return Status::success();
}

Status afterChange(Instance& instance, Instance::State& s, PF_ParamIndex index) {
  const Host::State& host = *s.host;
  if ((host.params[std::size_t(index)].def.flags & PF_ParamFlag_SUPERVISE) != 0) {
    PF_UserChangedParamExtra extra{index};
    InstanceCall call;
    call.cmd = PF_Cmd_USER_CHANGED_PARAM;
    call.extra = &extra;
    Status status = runInstanceCommand(s, call);
    if (!status.ok()) return status;
    takeOverChangedValues(s, call.params);
  }
  if ((host.outFlags & PF_OutFlag_SEND_UPDATE_PARAMS_UI) != 0) {
    Status status = instance.updateParamsUI();
    if (!status.ok()) return status;
  }
  if ((host.outFlags2 & PF_OutFlag2_SUPPORTS_QUERY_DYNAMIC_FLAGS) != 0) {
    return instance.queryDynamicFlags();
  }
  return Status::success();
}

Status Instance::setFloat(PF_ParamIndex index, double value) {
  return change(*this, *state_, index, PF_Param_FLOAT_SLIDER, [&](PF_ParamDef& p) {
    const PF_FloatSliderDef& fs = p.u.fs_d;
    if (!(value >= fs.valid_min && value <= fs.valid_max)) {
      return invalid(index, std::to_string(value) + " outside " + std::to_string(fs.valid_min) +
                                " .. " + std::to_string(fs.valid_max));
    }
    p.u.fs_d.value = value;
    return Status::success();
  });
}

Status Instance::setPopup(PF_ParamIndex index, A_long value) {
  const int items = index > 0 && std::size_t(index) < state_->host->params.size()
                        ? state_->host->params[std::size_t(index)].popupItemCount
                        : 0;
  return change(*this, *state_, index, PF_Param_POPUP, [&](PF_ParamDef& p) {
    const int count = items > 0 ? items : p.u.pd.num_choices;
    if (value < 1 || value > count) {
      return invalid(index, std::to_string(value) + " outside 1 .. " + std::to_string(count));
    }
    p.u.pd.value = value;
    return Status::success();
  });
}

Status Instance::setCheckbox(PF_ParamIndex index, bool value) {
  return change(*this, *state_, index, PF_Param_CHECKBOX, [&](PF_ParamDef& p) {
    p.u.bd.value = value ? 1 : 0;
    return Status::success();
  });
}

Status Instance::setAngle(PF_ParamIndex index, double degrees) {
  return change(*this, *state_, index, PF_Param_ANGLE, [&](PF_ParamDef& p) {
    const double fixed = std::round(degrees * 65536.0);
    if (!(std::fabs(fixed) <= 2147483647.0)) return invalid(index, "angle out of range");
    p.u.ad.value = PF_Fixed(fixed);
    return Status::success();
  });
}

Status Instance::setPoint3D(PF_ParamIndex index, double x, double y, double z) {
  return change(*this, *state_, index, PF_Param_POINT_3D, [&](PF_ParamDef& p) {
    p.u.point3d_d.x_value = x;
    p.u.point3d_d.y_value = y;
    p.u.point3d_d.z_value = z;
    return Status::success();
  });
}

Status Instance::setLayer(PF_ParamIndex index, std::shared_ptr<World> layer) {
  if (layer && !layer->valid()) return invalid(index, "invalid world");
  return change(*this, *state_, index, PF_Param_LAYER, [&](PF_ParamDef&) {
    state_->layers[std::size_t(index)] = std::move(layer);
    return Status::success();
  });
}

Status Instance::pickColor(PF_ParamIndex index, PF_PixelFloat color) {
  return change(*this, *state_, index, PF_Param_COLOR, [&](PF_ParamDef& p) {
    auto to8 = [](float v) {
      const float c = std::isnan(v) ? 0.0f : std::fmin(std::fmax(v, 0.0f), 1.0f);
      return A_u_char(std::lround(c * 255.0f));
    };
    p.u.cd.value = {to8(color.alpha), to8(color.red), to8(color.green), to8(color.blue)};
    state_->floatColors[std::size_t(index)] = color;
    return Status::success();
  });
}

bool Instance::isHidden(PF_ParamIndex index) const {
  std::lock_guard lock(state_->mutex);
  if (index < 0 || std::size_t(index) >= state_->dynamicFlags.size()) return false;
  return (state_->dynamicFlags[std::size_t(index)] & AEGP_DynStreamFlag_HIDDEN) != 0;
}

std::vector<PF_ParamIndex> Instance::hiddenParams() const {
  std::vector<PF_ParamIndex> hidden;
  std::lock_guard lock(state_->mutex);
  for (std::size_t i = 0; i < state_->dynamicFlags.size(); ++i) {
    if (state_->dynamicFlags[i] & AEGP_DynStreamFlag_HIDDEN) hidden.push_back(PF_ParamIndex(i));
  }
  return hidden;
}

int Instance::rerenderRequests() const {
  std::lock_guard lock(state_->mutex);
  return state_->rerenders;
}

Status Instance::updateParamsUI() {
  InstanceCall call;
  call.cmd = PF_Cmd_UPDATE_PARAMS_UI;
  Status status = runInstanceCommand(*state_, call);
  if (!status.ok()) return status;
  takeOverChangedValues(*state_, call.params);
  if (call.out.out_flags & PF_OutFlag_FORCE_RERENDER) {
    std::lock_guard lock(state_->mutex);
    ++state_->rerenders;
  }
  return status;
}

Status Instance::queryDynamicFlags() {
  InstanceCall call;
  call.cmd = PF_Cmd_QUERY_DYNAMIC_FLAGS;
  call.presetOutFlags = state_->host->outFlags;
  call.presetOutFlags2 = state_->host->outFlags2;
  Status status = runInstanceCommand(*state_, call);
  if (!status.ok()) return status;
  std::lock_guard lock(state_->mutex);
  state_->dynamicOutFlags = call.out.out_flags;
  state_->dynamicOutFlags2 = call.out.out_flags2;
  return status;
}

PF_OutFlags Instance::dynamicOutFlags() const {
  std::lock_guard lock(state_->mutex);
  return state_->dynamicOutFlags;
}

PF_OutFlags2 Instance::dynamicOutFlags2() const {
  std::lock_guard lock(state_->mutex);
  return state_->dynamicOutFlags2;
}

}  // namespace kestrow::host
