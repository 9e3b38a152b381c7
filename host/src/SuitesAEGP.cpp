// "AEGP Utility Suite" 7, "AEGP PF Interface Suite" 1, "AEGP Stream Suite"
// 7, "AEGP Dynamic Stream Suite" 2 and "AEGP Effect Suite" 2.
//
// AEGP_RegisterWithAEGP hands out the plug-in id; every later call that
// takes an id refuses any other. Effect and stream references belong to the
// command that made them: disposing of them there is the plug-in's duty, and
// one still alive when the command returns is a leak.
#include <algorithm>
#include <string>

#include "HostCall.h"
#include "SuiteTables.h"
#include "Unimplemented.h"

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
  auto ref = std::make_unique<AegpStreamRef>(AegpStreamRef{effectRef->instance, index, effectRef});
  *out = reinterpret_cast<AEGP_StreamRefH>(ref.get());
  std::lock_guard lock(context->mutex);
  context->streamRefs.emplace(ref.get(), std::move(ref));
  return PF_Err_NONE;
}

A_Err disposeStream(AEGP_StreamRefH stream) {
  return disposeRef(stream, &CommandContext::streamRefs);
}

// Streams taken from an effect reference keep it checked out: disposing of
// it first unbalances After Effects' check-out mechanism.
A_Err disposeEffect(AEGP_EffectRefH effect) {
  CommandContext* context = currentContext();
  if (context != nullptr) {
    const auto* ref = reinterpret_cast<const AegpEffectRef*>(effect);
    std::lock_guard lock(context->mutex);
    const auto live = std::count_if(context->streamRefs.begin(), context->streamRefs.end(),
                                    [ref](const auto& s) { return s.first->effect == ref; });
    if (live > 0 && context->effectRefs.count(const_cast<AegpEffectRef*>(ref)) != 0) {
      context->misuses.push_back("AEGP_DisposeEffect: " + std::to_string(live) +
                                 " stream reference(s) from it still live");
    }
  }
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

#define KESTROW_UNIMPLEMENTED_UTILITY(slot) KESTROW_UNIMPLEMENTED(AEGP_UtilitySuite3, slot)
const AEGP_UtilitySuite3 kUtilitySuite = {
    KESTROW_UNIMPLEMENTED_UTILITY(AEGP_ReportInfo),
    KESTROW_UNIMPLEMENTED_UTILITY(AEGP_GetDriverPluginInitFuncVersion),
    KESTROW_UNIMPLEMENTED_UTILITY(AEGP_GetDriverImplementationVersion),
    KESTROW_UNIMPLEMENTED_UTILITY(AEGP_StartQuietErrors),
    KESTROW_UNIMPLEMENTED_UTILITY(AEGP_EndQuietErrors),
    KESTROW_UNIMPLEMENTED_UTILITY(AEGP_StartUndoGroup),
    KESTROW_UNIMPLEMENTED_UTILITY(AEGP_EndUndoGroup),
    KESTROW_HOST_CALL(AEGP_UtilitySuite3, AEGP_RegisterWithAEGP, registerWithAEGP, kError),
    KESTROW_UNIMPLEMENTED_UTILITY(AEGP_GetMainHWND),
    KESTROW_UNIMPLEMENTED_UTILITY(AEGP_ShowHideAllFloaters),
    KESTROW_UNIMPLEMENTED_UTILITY(AEGP_PaintPalGetForeColor),
    KESTROW_UNIMPLEMENTED_UTILITY(AEGP_PaintPalGetBackColor),
    KESTROW_UNIMPLEMENTED_UTILITY(AEGP_PaintPalSetForeColor),
    KESTROW_UNIMPLEMENTED_UTILITY(AEGP_PaintPalSetBackColor),
    KESTROW_UNIMPLEMENTED_UTILITY(AEGP_CharPalGetFillColor),
    KESTROW_UNIMPLEMENTED_UTILITY(AEGP_CharPalGetStrokeColor),
    KESTROW_UNIMPLEMENTED_UTILITY(AEGP_CharPalSetFillColor),
    KESTROW_UNIMPLEMENTED_UTILITY(AEGP_CharPalSetStrokeColor),
    KESTROW_UNIMPLEMENTED_UTILITY(AEGP_CharPalIsFillColorUIFrontmost),
    KESTROW_UNIMPLEMENTED_UTILITY(AEGP_ConvertFpLongToHSFRatio),
    KESTROW_UNIMPLEMENTED_UTILITY(AEGP_ConvertHSFRatioToFpLong),
    KESTROW_UNIMPLEMENTED_UTILITY(AEGP_CauseIdleRoutinesToBeCalled),
    KESTROW_UNIMPLEMENTED_UTILITY(AEGP_GetSuppressInteractiveUI),
    KESTROW_UNIMPLEMENTED_UTILITY(AEGP_WriteToOSConsole),
    KESTROW_UNIMPLEMENTED_UTILITY(AEGP_WriteToDebugLog)};

const AEGP_PFInterfaceSuite1 kPFInterfaceSuite = {
    KESTROW_UNIMPLEMENTED(AEGP_PFInterfaceSuite1, AEGP_GetEffectLayer),
    KESTROW_HOST_CALL(AEGP_PFInterfaceSuite1, AEGP_GetNewEffectForEffect, getNewEffectForEffect,
                      kError),
    KESTROW_UNIMPLEMENTED(AEGP_PFInterfaceSuite1, AEGP_ConvertEffectToCompTime),
    KESTROW_UNIMPLEMENTED(AEGP_PFInterfaceSuite1, AEGP_GetEffectCamera),
    KESTROW_UNIMPLEMENTED(AEGP_PFInterfaceSuite1, AEGP_GetEffectCameraMatrix)};

#define KESTROW_UNIMPLEMENTED_STREAM(slot) KESTROW_UNIMPLEMENTED(AEGP_StreamSuite2, slot)
const AEGP_StreamSuite2 kStreamSuite = {
    KESTROW_UNIMPLEMENTED_STREAM(AEGP_IsStreamLegal),
    KESTROW_UNIMPLEMENTED_STREAM(AEGP_CanVaryOverTime),
    KESTROW_UNIMPLEMENTED_STREAM(AEGP_GetValidInterpolations),
    KESTROW_UNIMPLEMENTED_STREAM(AEGP_GetNewLayerStream),
    KESTROW_UNIMPLEMENTED_STREAM(AEGP_GetEffectNumParamStreams),
    KESTROW_HOST_CALL(AEGP_StreamSuite2, AEGP_GetNewEffectStreamByIndex, getNewEffectStreamByIndex,
                      kError, 2),
    KESTROW_UNIMPLEMENTED_STREAM(AEGP_GetNewMaskStream),
    KESTROW_HOST_CALL(AEGP_StreamSuite2, AEGP_DisposeStream, disposeStream, kErrorAfter),
    KESTROW_UNIMPLEMENTED_STREAM(AEGP_GetStreamName),
    KESTROW_UNIMPLEMENTED_STREAM(AEGP_GetStreamUnitsText),
    KESTROW_UNIMPLEMENTED_STREAM(AEGP_GetStreamProperties),
    KESTROW_UNIMPLEMENTED_STREAM(AEGP_IsStreamTimevarying),
    KESTROW_UNIMPLEMENTED_STREAM(AEGP_GetStreamType),
    KESTROW_UNIMPLEMENTED_STREAM(AEGP_GetNewStreamValue),
    KESTROW_UNIMPLEMENTED_STREAM(AEGP_DisposeStreamValue),
    KESTROW_UNIMPLEMENTED_STREAM(AEGP_SetStreamValue),
    KESTROW_UNIMPLEMENTED_STREAM(AEGP_GetLayerStreamValue),
    KESTROW_UNIMPLEMENTED_STREAM(AEGP_GetExpressionState),
    KESTROW_UNIMPLEMENTED_STREAM(AEGP_SetExpressionState),
    KESTROW_UNIMPLEMENTED_STREAM(AEGP_GetExpression),
    KESTROW_UNIMPLEMENTED_STREAM(AEGP_SetExpression),
    KESTROW_UNIMPLEMENTED_STREAM(AEGP_DuplicateStreamRef)};

#define KESTROW_UNIMPLEMENTED_DYNAMIC(slot) KESTROW_UNIMPLEMENTED(AEGP_DynamicStreamSuite2, slot)
const AEGP_DynamicStreamSuite2 kDynamicStreamSuite = {
    KESTROW_UNIMPLEMENTED_DYNAMIC(AEGP_GetNewStreamRefForLayer),
    KESTROW_UNIMPLEMENTED_DYNAMIC(AEGP_GetStreamDepth),
    KESTROW_UNIMPLEMENTED_DYNAMIC(AEGP_GetStreamGroupingType),
    KESTROW_UNIMPLEMENTED_DYNAMIC(AEGP_GetNumStreamsInGroup),
    KESTROW_UNIMPLEMENTED_DYNAMIC(AEGP_GetDynamicStreamFlags),
    KESTROW_HOST_CALL(AEGP_DynamicStreamSuite2, AEGP_SetDynamicStreamFlag, setDynamicStreamFlag,
                      kError),
    KESTROW_UNIMPLEMENTED_DYNAMIC(AEGP_GetNewStreamRefByIndex),
    KESTROW_UNIMPLEMENTED_DYNAMIC(AEGP_GetNewStreamRefByMatchname),
    KESTROW_UNIMPLEMENTED_DYNAMIC(AEGP_DeleteStream),
    KESTROW_UNIMPLEMENTED_DYNAMIC(AEGP_ReorderStream),
    KESTROW_UNIMPLEMENTED_DYNAMIC(AEGP_DuplicateStream),
    KESTROW_UNIMPLEMENTED_DYNAMIC(AEGP_SetStreamName),
    KESTROW_UNIMPLEMENTED_DYNAMIC(AEGP_CanAddStream),
    KESTROW_UNIMPLEMENTED_DYNAMIC(AEGP_AddStream),
    KESTROW_UNIMPLEMENTED_DYNAMIC(AEGP_GetMatchName),
    KESTROW_UNIMPLEMENTED_DYNAMIC(AEGP_GetNewParentStreamRef),
    KESTROW_UNIMPLEMENTED_DYNAMIC(AEGP_GetStreamIsModified)};

#define KESTROW_UNIMPLEMENTED_EFFECT(slot) KESTROW_UNIMPLEMENTED(AEGP_EffectSuite2, slot)
const AEGP_EffectSuite2 kEffectSuite = {
    KESTROW_UNIMPLEMENTED_EFFECT(AEGP_GetLayerNumEffects),
    KESTROW_UNIMPLEMENTED_EFFECT(AEGP_GetLayerEffectByIndex),
    KESTROW_UNIMPLEMENTED_EFFECT(AEGP_GetInstalledKeyFromLayerEffect),
    KESTROW_UNIMPLEMENTED_EFFECT(AEGP_GetEffectParamUnionByIndex),
    KESTROW_UNIMPLEMENTED_EFFECT(AEGP_GetEffectFlags),
    KESTROW_UNIMPLEMENTED_EFFECT(AEGP_SetEffectFlags),
    KESTROW_UNIMPLEMENTED_EFFECT(AEGP_ReorderEffect),
    KESTROW_UNIMPLEMENTED_EFFECT(AEGP_EffectCallGeneric),
    KESTROW_HOST_CALL(AEGP_EffectSuite2, AEGP_DisposeEffect, disposeEffect, kErrorAfter),
    KESTROW_UNIMPLEMENTED_EFFECT(AEGP_ApplyEffect),
    KESTROW_UNIMPLEMENTED_EFFECT(AEGP_DeleteLayerEffect),
    KESTROW_UNIMPLEMENTED_EFFECT(AEGP_GetNumInstalledEffects),
    KESTROW_UNIMPLEMENTED_EFFECT(AEGP_GetNextInstalledEffect),
    KESTROW_UNIMPLEMENTED_EFFECT(AEGP_GetEffectName),
    KESTROW_UNIMPLEMENTED_EFFECT(AEGP_GetEffectMatchName),
    KESTROW_UNIMPLEMENTED_EFFECT(AEGP_GetEffectCategory),
    KESTROW_UNIMPLEMENTED_EFFECT(AEGP_DuplicateEffect)};

}  // namespace kestrow::host
