// "AEGP Utility Suite" 7, "AEGP PF Interface Suite" 1, "AEGP Stream Suite"
// 7, "AEGP Dynamic Stream Suite" 2 and "AEGP Effect Suite" 2.
//
// AEGP_RegisterWithAEGP hands out the plug-in id; every later call that
// takes an id refuses any other. Effect and stream references belong to the
// command that made them: disposing of them there is the plug-in's duty, and
// one still alive when the command returns is a leak.
#include "SuiteTables.h"

namespace kestrow::host {
namespace {

bool idAccepted(CommandContext& context, AEGP_PluginID id) {
  std::lock_guard lock(context.host->aegpMutex);
  return context.host->pluginId != 0 && id == context.host->pluginId;
}

A_Err registerWithAEGP(AEGP_GlobalRefcon, const A_char* name, AEGP_PluginID* id) {
  CommandContext* context = currentContext();
  if (context == nullptr || name == nullptr || id == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
  Host::State& host = *context->host;
  if (host.faults.failRegisterWithAEGP) return host.faults.error;
  std::lock_guard lock(host.aegpMutex);
  if (host.pluginId == 0) host.pluginId = host.nextPluginId++;
  *id = host.pluginId;
  return PF_Err_NONE;
}

A_Err getNewEffectForEffect(AEGP_PluginID id, PF_ProgPtr effectRef, AEGP_EffectRefH* out) {
  CommandContext* context = currentContext();
  if (!checkEffectRef(context, effectRef) || out == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
  if (!idAccepted(*context, id) || context->instance == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
  auto ref = std::make_unique<AegpEffectRef>(AegpEffectRef{context->instance});
  *out = reinterpret_cast<AEGP_EffectRefH>(ref.get());
  std::lock_guard lock(context->mutex);
  context->effectRefs.emplace(ref.get(), std::move(ref));
  return PF_Err_NONE;
}

// The live reference behind `handle` among the command's `refs`; null,
// counted as a stray call, when the command made no such reference.
template <typename Ref, typename Handle>
Ref* findRef(CommandContext* context, Handle handle,
             std::unordered_map<Ref*, std::unique_ptr<Ref>> CommandContext::*refs) {
  if (context == nullptr) return nullptr;
  auto* ref = reinterpret_cast<Ref*>(handle);
  std::lock_guard lock(context->mutex);
  if ((context->*refs).count(ref) == 0) {
    ++context->stray;
    return nullptr;
  }
  return ref;
}

template <typename Ref, typename Handle>
A_Err disposeRef(Handle handle,
                 std::unordered_map<Ref*, std::unique_ptr<Ref>> CommandContext::*refs) {
  CommandContext* context = currentContext();
  Ref* ref = findRef(context, handle, refs);
  if (ref == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
  std::lock_guard lock(context->mutex);
  (context->*refs).erase(ref);
  return PF_Err_NONE;
}

A_Err getNewEffectStreamByIndex(AEGP_PluginID id, AEGP_EffectRefH effect, PF_ParamIndex index,
                                AEGP_StreamRefH* out) {
  CommandContext* context = currentContext();
  AegpEffectRef* effectRef = findRef(context, effect, &CommandContext::effectRefs);
  if (effectRef == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
  if (out == nullptr) {
    ++context->stray;
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  if (!idAccepted(*context, id)) return PF_Err_BAD_CALLBACK_PARAM;
  if (index < 0 || std::size_t(index) >= context->host->params.size()) return PF_Err_INVALID_INDEX;
  if (context->host->faults.failStreamIndex == index) return context->host->faults.error;
  auto ref = std::make_unique<AegpStreamRef>(AegpStreamRef{effectRef->instance, index});
  *out = reinterpret_cast<AEGP_StreamRefH>(ref.get());
  std::lock_guard lock(context->mutex);
  context->streamRefs.emplace(ref.get(), std::move(ref));
  return PF_Err_NONE;
}

A_Err disposeStream(AEGP_StreamRefH stream) {
  return disposeRef(stream, &CommandContext::streamRefs);
}

A_Err disposeEffect(AEGP_EffectRefH effect) {
  return disposeRef(effect, &CommandContext::effectRefs);
}

A_Err setDynamicStreamFlag(AEGP_StreamRefH stream, AEGP_DynStreamFlags flag, A_Boolean undoable,
                           A_Boolean set) {
  (void)undoable;
  AegpStreamRef* ref = findRef(currentContext(), stream, &CommandContext::streamRefs);
  if (ref == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
  Instance::State& instance = *ref->instance;
  std::lock_guard lock(instance.mutex);
  AEGP_DynStreamFlags& flags = instance.dynamicFlags.at(std::size_t(ref->index));
  flags = set ? (flags | flag) : (flags & ~flag);
  return PF_Err_NONE;
}

}  // namespace

bool checkEffectRef(CommandContext* context, PF_ProgPtr effectRef) {
  if (context == nullptr) return false;
  if (reinterpret_cast<const EffectRefTag*>(effectRef) != context->effectRef) {
    ++context->stray;
    return false;
  }
  return true;
}

const AEGP_UtilitySuite3 kUtilitySuite = {registerWithAEGP};
const AEGP_PFInterfaceSuite1 kPFInterfaceSuite = {getNewEffectForEffect};
const AEGP_StreamSuite2 kStreamSuite = {getNewEffectStreamByIndex, disposeStream};
const AEGP_DynamicStreamSuite2 kDynamicStreamSuite = {setDynamicStreamFlag};
const AEGP_EffectSuite2 kEffectSuite = {disposeEffect};

}  // namespace kestrow::host
