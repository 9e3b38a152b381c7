#include "kestrow/host/Host.h"

#include <cstdio>

#include "AE_PiPL.h"
#include "HandleRegistry.h"
#include "State.h"
#include "kestrow/host/Instance.h"

namespace kestrow::host {
namespace {

std::string hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", value);
  return text;
}

// Popup items and check-box labels point into the host's own copies.
void pointAtOwnStrings(ParamInfo& info) {
  if (info.def.param_type == PF_Param_POPUP) {
    info.def.u.pd.u.namesptr = info.popupItems.c_str();
  } else if (info.def.param_type == PF_Param_CHECKBOX) {
    info.def.u.bd.u.nameptr = info.checkboxLabel.c_str();
  }
}

ParamInfo inputLayerParam() {
  ParamInfo info;
  info.def.param_type = PF_Param_LAYER;
  return info;
}

Status checkAnnounced(const Host::State& s) {
  const PiPL& p = s.pipl;
  auto mismatch = [](const char* what, std::uint32_t announced, std::uint32_t pipl) {
    return Status::error(StatusCode::kPiPLMismatch, std::string("global set-up announced ") + what +
                                                        " " + hex(announced) +
                                                        " but the PiPL says " + hex(pipl));
  };
  if (s.version != p.effectVersion) return mismatch("version", s.version, p.effectVersion);
  if (std::uint32_t(s.outFlags) != p.outFlags) return mismatch("out_flags", s.outFlags, p.outFlags);
  if (std::uint32_t(s.outFlags2) != p.outFlags2) {
    return mismatch("out_flags2", s.outFlags2, p.outFlags2);
  }
  return Status::success();
}

Status sendGlobalSetdown(Host::State& s) {
  CommandContext context;
  context.host = &s;
  context.effectRef = &s.tag;
  PF_InData in = baseInData(s, &s.tag);
  PF_OutData out{};
  const CommandOutcome outcome =
      runCommand(context, PF_Cmd_GLOBAL_SETDOWN, in, out, nullptr, nullptr, nullptr, s.globalData);
  s.globalData = nullptr;
  return statusOf(s, outcome);
}

// Closes the library and frees what the plug-in left behind.
void closeLibrary(Host::State& s) {
  handleRegistry().disposeAll(&s);
  s.library.close();
  s.entry = nullptr;
  s.loaded = false;
  s.globalData = nullptr;
  s.params.clear();
  std::lock_guard lock(s.aegpMutex);
  s.pluginId = 0;
}

}  // namespace

Host::Host(HostOptions options) : state_(std::make_shared<State>(options)) {}

Host::~Host() { unload(); }

Status Host::readPiPL(const std::filesystem::path& pluginFile, PiPL& out) {
  std::vector<std::uint8_t> bytes;
  std::string error;
  if (!readPiPLBytes(pluginFile, bytes, error)) {
    return Status::error(StatusCode::kPiPLInvalid, pluginFile.string() + ": " + error);
  }
  Status status = parsePiPL(bytes, out);
  if (status.ok()) status = checkPiPL(out);
  if (!status.ok()) status.message = pluginFile.string() + ": " + status.message;
  return status;
}

Status Host::load(const std::filesystem::path& pluginFile) {
  State& s = *state_;
  if (s.loaded) return Status::error(StatusCode::kWrongState, "a plug-in is already loaded");
  const std::string file = pluginFile.string();
  Status status = readPiPL(pluginFile, s.pipl);
  if (!status.ok()) return status;
  std::string error;
  if (!s.library.open(pluginFile, error)) {
    return Status::error(StatusCode::kLoadFailed, file + ": " + error);
  }
  s.entry = reinterpret_cast<PF_FilterProc>(s.library.symbol(s.pipl.entryPoint));
  if (s.entry == nullptr) {
    s.library.close();
    return Status::error(StatusCode::kLoadFailed,
                         file + ": no exported function \"" + s.pipl.entryPoint + "\"");
  }

  s.params.assign(1, inputLayerParam());
  CommandContext setup;
  setup.host = &s;
  setup.effectRef = &s.tag;
  PF_InData in = baseInData(s, &s.tag);
  PF_OutData out{};
  CommandOutcome outcome =
      runCommand(setup, PF_Cmd_GLOBAL_SETUP, in, out, nullptr, nullptr, nullptr);
  status = statusOf(s, outcome);
  if (!status.ok()) {
    closeLibrary(s);
    return status;
  }
  s.globalData = out.global_data;
  s.version = out.my_version;
  s.outFlags = out.out_flags;
  s.outFlags2 = out.out_flags2;
  if (s.globalData != nullptr && !handleRegistry().contains(s.globalData)) {
    status = Status::error(StatusCode::kPluginError,
                           "global set-up handed back global data that is not a host handle");
    s.globalData = nullptr;
  }
  if (status.ok()) status = checkAnnounced(s);

  if (status.ok()) {
    CommandContext params;
    params.host = &s;
    params.effectRef = &s.tag;
    in = baseInData(s, &s.tag);
    out = PF_OutData{};
    outcome = runCommand(params, PF_Cmd_PARAMS_SETUP, in, out, nullptr, nullptr, nullptr);
    status = statusOf(s, outcome);
    if (status.ok() && std::size_t(out.num_params) != s.params.size()) {
      status = Status::error(StatusCode::kPluginError,
                             "parameter set-up announced " + std::to_string(out.num_params) +
                                 " parameters but added " + std::to_string(s.params.size()));
    }
  }
  if (!status.ok()) {
    sendGlobalSetdown(s);
    closeLibrary(s);
    return status;
  }
  for (ParamInfo& info : s.params) pointAtOwnStrings(info);
  s.loaded = true;
  return Status::success();
}

Status Host::unload() {
  State& s = *state_;
  if (!s.loaded) return Status::success();
  Status first = Status::success();
  std::vector<std::shared_ptr<Instance::State>> live;
  {
    std::lock_guard lock(s.instancesMutex);
    for (auto& weak : s.instances) {
      if (auto instance = weak.lock()) live.push_back(instance);
    }
    s.instances.clear();
  }
  for (auto& instance : live) {
    Instance handle(instance);
    Status status = handle.close();
    if (first.ok() && !status.ok()) first = status;
  }
  Status status = sendGlobalSetdown(s);
  if (first.ok() && !status.ok()) first = status;
  closeLibrary(s);
  return first;
}

bool Host::loaded() const { return state_->loaded; }
const PiPL& Host::pipl() const { return state_->pipl; }
const HostOptions& Host::options() const { return state_->options; }
A_u_long Host::announcedVersion() const { return state_->version; }
PF_OutFlags Host::announcedOutFlags() const { return state_->outFlags; }
PF_OutFlags2 Host::announcedOutFlags2() const { return state_->outFlags2; }
const std::vector<ParamInfo>& Host::params() const { return state_->params; }

A_long Host::registeredPluginId() const {
  std::lock_guard lock(state_->aegpMutex);
  return state_->pluginId;
}

std::size_t Host::liveHandles() const { return handleRegistry().count(state_.get()); }

}  // namespace kestrow::host
