// Creating, restoring, saving and closing effect instances.
#include <cstring>
#include <vector>

#include "HandleRegistry.h"
#include "InstanceCommand.h"

namespace kestrow::host {
namespace {

std::shared_ptr<Instance::State> newState(const std::shared_ptr<Host::State>& host) {
  auto state = std::make_shared<Instance::State>();
  state->host = host;
  state->tag.instance = state.get();
  const std::size_t n = host->params.size();
  state->values.resize(n);
  state->floatColors.resize(n);
  for (std::size_t i = 0; i < n; ++i) {
    state->values[i] = host->params[i].def;
    const PF_Pixel& c = state->values[i].u.cd.value;
    if (state->values[i].param_type == PF_Param_COLOR) {
      state->floatColors[i] = {c.alpha / 255.0f, c.red / 255.0f, c.green / 255.0f, c.blue / 255.0f};
    }
  }
  state->layers.resize(n);
  state->dynamicFlags.assign(n, 0);
  return state;
}

// The bytes of a sequence block as a project stores them: flat_sdata_size
// bytes when the plug-in gave a fitting size, the whole handle otherwise;
// empty for no block (or one the host does not hold).
std::vector<std::uint8_t> flatBytes(PF_Handle block, A_long flatSize) {
  HandleRegistry& handles = handleRegistry();
  if (block == nullptr || !handles.contains(block)) return {};
  const std::size_t size = handles.size(block).value_or(0);
  const std::size_t flat =
      flatSize > 0 && std::size_t(flatSize) <= size ? std::size_t(flatSize) : size;
  const auto* bytes = static_cast<const std::uint8_t*>(*block);
  return {bytes, bytes + flat};
}

// A new host handle holding `bytes`; null for none.
PF_Handle blockOf(const std::vector<std::uint8_t>& bytes, const void* owner) {
  if (bytes.empty()) return nullptr;
  PF_Handle block = handleRegistry().allocate(bytes.size(), owner);
  std::memcpy(*block, bytes.data(), bytes.size());
  return block;
}

// `cmd` (flatten or re-setup) handing the effect `block`, which it must
// dispose of or hand back in out_data.
InstanceCall blockCall(PF_Cmd cmd, PF_Handle block) {
  InstanceCall call;
  call.cmd = cmd;
  call.useOwnSequence = true;
  call.sequence = block;
  call.mustDispose = block;
  call.mayReturn = true;
  return call;
}

// A block handed to a new instance's re-setup that the effect neither kept
// nor disposed of (already counted as leaked) goes back to the host.
void dropIfLeft(const InstanceCall& call) {
  PF_Handle block = call.sequence;
  if (block != nullptr && call.out.sequence_data != block) handleRegistry().dispose(block);
}

// PF_Cmd_SEQUENCE_FLATTEN or PF_Cmd_SEQUENCE_RESETUP with the instance's
// block: the effect disposes of it or hands it back, and the handle it
// leaves in out_data becomes the instance's block. After a failed command
// the instance keeps its old block while that still lives.
Status replaceBlock(Instance::State& s, PF_Cmd cmd) {
  PF_Handle old = nullptr;
  {
    std::lock_guard lock(s.mutex);
    old = s.sequenceData;
  }
  InstanceCall call = blockCall(cmd, old);
  Status status = runInstanceCommand(s, call);
  std::lock_guard lock(s.mutex);
  if (status.ok()) {
    s.sequenceData = call.out.sequence_data;
    s.flatSize = call.out.flat_sdata_size;
  } else if (old != nullptr && !handleRegistry().contains(old)) {
    s.sequenceData = nullptr;
  }
  return status;
}

Status finishSetup(const std::shared_ptr<Host::State>& host,
                   const std::shared_ptr<Instance::State>& state, InstanceCall& call,
                   std::unique_ptr<Instance>& out) {
  Status status = runInstanceCommand(*state, call);
  if (!status.ok()) {
    // No instance came about: nothing to set down, nothing adopted.
    state->closed = true;
    return status;
  }
  {
    std::lock_guard lock(state->mutex);
    state->sequenceData = call.out.sequence_data;
    state->flatSize = call.out.flat_sdata_size;
  }
  {
    // Instances already gone leave the list here, so that making and
    // dropping instances for a long time holds steady memory.
    std::lock_guard lock(host->instancesMutex);
    std::erase_if(host->instances, [](const auto& weak) { return weak.expired(); });
    host->instances.push_back(state);
  }
  auto instance = std::make_unique<Instance>(state);
  if (status.ok() && (host->outFlags & PF_OutFlag_SEND_UPDATE_PARAMS_UI) != 0) {
    status = instance->updateParamsUI();
  }
  if (!status.ok()) {
    instance->close();
    return status;
  }
  out = std::move(instance);
  return status;
}

}  // namespace

Status Host::createInstance(std::unique_ptr<Instance>& out) {
  if (!state_->loaded) return Status::error(StatusCode::kWrongState, "no plug-in loaded");
  auto state = newState(state_);
  InstanceCall call;
  call.cmd = PF_Cmd_SEQUENCE_SETUP;
  return finishSetup(state_, state, call, out);
}

Status Host::loadInstance(const SavedInstance& saved, std::unique_ptr<Instance>& out) {
  if (!state_->loaded) return Status::error(StatusCode::kWrongState, "no plug-in loaded");
  auto state = newState(state_);
  if (saved.values.size() != state->values.size()) {
    return Status::error(StatusCode::kInvalidArgument,
                         "saved instance has " + std::to_string(saved.values.size()) +
                             " parameters, the plug-in " + std::to_string(state->values.size()));
  }
  for (std::size_t i = 1; i < saved.values.size(); ++i) {
    if (saved.values[i].param_type != state->values[i].param_type) {
      return Status::error(StatusCode::kInvalidArgument,
                           "saved parameter " + std::to_string(i) + " has another type");
    }
    if (state->values[i].param_type == PF_Param_LAYER) continue;
    const auto uu = state->values[i].uu;
    const PF_ParamDefUnion defined = state->values[i].u;
    state->values[i].u = saved.values[i].u;
    state->values[i].uu = uu;
    // Item lists and labels stay the host's own strings.
    if (defined.pd.u.namesptr && state->values[i].param_type == PF_Param_POPUP) {
      state->values[i].u.pd.u = defined.pd.u;
    }
    if (state->values[i].param_type == PF_Param_CHECKBOX) state->values[i].u.bd.u = defined.bd.u;
    if (i < saved.floatColors.size()) state->floatColors[i] = saved.floatColors[i];
  }
  PF_Handle stored = blockOf(saved.sequenceData, state_.get());
  InstanceCall call = blockCall(PF_Cmd_SEQUENCE_RESETUP, stored);
  Status status = finishSetup(state_, state, call, out);
  dropIfLeft(call);
  return status;
}

Instance::Instance(std::shared_ptr<State> state) : state_(std::move(state)) {}

Instance::~Instance() {
  if (state_) close();
}

Status Instance::close() {
  State& s = *state_;
  if (s.closed || !s.host->loaded) {
    s.closed = true;
    return Status::success();
  }
  if (s.renderOpen) (void)endRender();
  InstanceCall call;
  call.cmd = PF_Cmd_SEQUENCE_SETDOWN;
  call.mustDispose = s.sequenceData;
  Status status = runInstanceCommand(s, call);
  std::lock_guard lock(s.mutex);
  s.sequenceData = nullptr;
  s.closed = true;
  return status;
}

int Instance::numParams() const { return int(state_->values.size()); }

PF_ParamDef Instance::param(PF_ParamIndex index) const {
  std::lock_guard lock(state_->mutex);
  if (index < 0 || std::size_t(index) >= state_->values.size()) return PF_ParamDef{};
  return state_->values[std::size_t(index)];
}

PF_PixelFloat Instance::floatColor(PF_ParamIndex index) const {
  std::lock_guard lock(state_->mutex);
  if (index < 0 || std::size_t(index) >= state_->floatColors.size()) return PF_PixelFloat{};
  return state_->floatColors[std::size_t(index)];
}

Status Instance::save(SavedInstance& out) {
  State& s = *state_;
  if (s.closed) return Status::error(StatusCode::kWrongState, "the effect instance is closed");
  Status status = replaceBlock(s, PF_Cmd_SEQUENCE_FLATTEN);
  if (!status.ok()) return status;
  std::lock_guard lock(s.mutex);
  out.values = s.values;
  for (PF_ParamDef& value : out.values) {
    if (value.param_type == PF_Param_LAYER) value.u.ld = World::emptyLayerDef();
  }
  out.floatColors = s.floatColors;
  out.sequenceData = flatBytes(s.sequenceData, s.flatSize);
  return Status::success();
}

Status Instance::resetup() {
  if (state_->closed) {
    return Status::error(StatusCode::kWrongState, "the effect instance is closed");
  }
  return replaceBlock(*state_, PF_Cmd_SEQUENCE_RESETUP);
}

Status Instance::duplicate(std::unique_ptr<Instance>& copy) {
  State& s = *state_;
  if (s.closed) return Status::error(StatusCode::kWrongState, "the effect instance is closed");
  Host::State& host = *s.host;
  if (!host.loaded) return Status::error(StatusCode::kWrongState, "no plug-in loaded");
  Status status = replaceBlock(s, PF_Cmd_SEQUENCE_FLATTEN);
  if (!status.ok()) return status;

  auto twin = std::make_shared<State>();
  twin->host = s.host;
  twin->tag.instance = twin.get();
  std::vector<std::uint8_t> flat;
  {
    std::lock_guard lock(s.mutex);
    twin->values = s.values;
    twin->layers = s.layers;
    twin->floatColors = s.floatColors;
    twin->dynamicFlags = s.dynamicFlags;
    flat = flatBytes(s.sequenceData, s.flatSize);
  }
  // Both sequences are set up again: the old one with its flattened block,
  // the new one with its own copy of those bytes.
  status = replaceBlock(s, PF_Cmd_SEQUENCE_RESETUP);
  if (!status.ok()) return status;
  PF_Handle own = blockOf(flat, &host);
  InstanceCall call = blockCall(PF_Cmd_SEQUENCE_RESETUP, own);
  status = finishSetup(s.host, twin, call, copy);
  dropIfLeft(call);
  return status;
}

std::vector<std::uint8_t> Instance::sequenceData() const {
  std::lock_guard lock(state_->mutex);
  return flatBytes(state_->sequenceData, state_->flatSize);
}

A_long Instance::flatSequenceDataSize() const {
  std::lock_guard lock(state_->mutex);
  return state_->flatSize;
}

}  // namespace kestrow::host
