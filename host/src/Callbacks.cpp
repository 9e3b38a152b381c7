// The interaction callbacks of PF_InData (inter) and the callback tables of
// the two smart rendering commands.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "HostCall.h"
#include "SuiteTables.h"
#include "Unimplemented.h"
#include "kestrow/host/World.h"

namespace kestrow::host {
namespace {

bool isLayerParam(const Host::State& host, PF_ParamIndex index) {
  return index == 0 || (index > 0 && std::size_t(index) < host.params.size() &&
                        host.params[std::size_t(index)].def.param_type == PF_Param_LAYER);
}

// The picture behind a layer control for this command: the render's input
// for index 0, the instance's layer otherwise (kept alive for the command).
// A layer control's picture as a render at a preview resolution sees it:
// After Effects adjusts layer parameters' dimensions to the downsample
// factors. Every den/num-th pixel of every den/num-th row, the size
// rounded up (a 5-pixel side at 1/2 gives 3).
std::shared_ptr<World> atPreviewResolution(std::shared_ptr<World> layer,
                                           const CommandContext& context) {
  const PF_RationalScale sx = context.downsampleX, sy = context.downsampleY;
  const bool full = sx.num == static_cast<A_long>(sx.den) && sy.num == static_cast<A_long>(sy.den);
  if (context.render == nullptr || full || sx.num <= 0 || sy.num <= 0 || sx.den == 0 ||
      sy.den == 0) {
    return layer;
  }
  const auto scaled = [](int size, const PF_RationalScale& s) {
    return static_cast<int>((std::int64_t{size} * s.num + s.den - 1) / s.den);
  };
  const auto source = [](int at, const PF_RationalScale& s) {
    return static_cast<int>(std::int64_t{at} * s.den / s.num);
  };
  auto small = std::make_shared<World>(scaled(layer->width(), sx), scaled(layer->height(), sy),
                                       layer->depth());
  const std::size_t bytes = pixelSize(layer->depth());
  for (int y = 0; y < small->height(); ++y) {
    const auto* from = static_cast<const unsigned char*>(layer->row(source(y, sy)));
    auto* to = static_cast<unsigned char*>(small->row(y));
    for (int x = 0; x < small->width(); ++x) {
      std::memcpy(to + std::size_t(x) * bytes, from + std::size_t(source(x, sx)) * bytes, bytes);
    }
  }
  return small;
}

PF_LayerDef layerFor(CommandContext& context, PF_ParamIndex index) {
  if (index == 0) return context.render ? context.render->input : World::emptyLayerDef();
  Instance::State* instance = context.instance;
  if (instance == nullptr) return World::emptyLayerDef();
  std::shared_ptr<World> layer;
  {
    std::lock_guard lock(instance->mutex);
    if (std::size_t(index) < instance->layers.size()) layer = instance->layers[std::size_t(index)];
  }
  if (!layer) return World::emptyLayerDef();
  layer = atPreviewResolution(std::move(layer), context);
  std::lock_guard lock(context.mutex);
  context.keepAlive.push_back(layer);
  return layer->def();
}

bool smartCommand(const CommandContext& context) {
  return context.cmd == PF_Cmd_SMART_PRE_RENDER || context.cmd == PF_Cmd_SMART_RENDER;
}

// A point control as the effect sees it at the render's preview
// resolution: scaled by the downsample factors, in double. A 3D point's z
// takes the vertical factor (the documentation does not say).
void scaleForPreview(const CommandContext& context, PF_ParamDef& param) {
  if (param.param_type != PF_Param_POINT_3D) return;
  const PF_RationalScale& sx = context.downsampleX;
  const PF_RationalScale& sy = context.downsampleY;
  if (sx.den == 0 || sy.den == 0) return;
  PF_Point3DDef& p = param.u.point3d_d;
  p.x_value = p.x_value * double(sx.num) / double(sx.den);
  p.y_value = p.y_value * double(sy.num) / double(sy.den);
  p.z_value = p.z_value * double(sy.num) / double(sy.den);
}

// ------------------------------------------------------------------ inter

// Like the real host, a record whose check-out failed may still be checked
// in; that is not a protocol slip.
void noteFailedCheckout(PF_ProgPtr, PF_ParamIndex, A_long, A_long, A_u_long, PF_ParamDef* param) {
  if (CommandContext* context = currentContext()) {
    std::lock_guard lock(context->mutex);
    context->failedCheckouts.push_back(param);
  }
}

PF_Err checkoutParam(PF_ProgPtr effectRef, PF_ParamIndex index, A_long, A_long, A_u_long,
                     PF_ParamDef* param) {
  CommandContext* context = currentContext();
  if (!checkEffectRef(context, effectRef) || param == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
  Host::State& host = *context->host;
  if (index < 0 || std::size_t(index) >= host.params.size()) return PF_Err_INVALID_INDEX;
  if (context->instance != nullptr) {
    std::lock_guard lock(context->instance->mutex);
    *param = context->instance->values[std::size_t(index)];
  } else {
    *param = host.params[std::size_t(index)].def;
  }
  if (isLayerParam(host, index)) {
    if (smartCommand(*context)) {
      // Layers come only through the smart callbacks: the record is that
      // of a layer control set to none.
      param->u.ld = PF_LayerDef{};
      noteMisuse(context,
                 "checkout_param " + std::to_string(index) +
                     ": a layer parameter read while smart rendering (use checkout_layer)");
    } else {
      const A_long dephault = param->u.ld.dephault;
      param->u.ld = layerFor(*context, index);
      param->u.ld.dephault = dephault;
    }
  }
  scaleForPreview(*context, *param);
  std::lock_guard lock(context->mutex);
  context->checkedOut.emplace_back(param, index);
  noteTarget(*context, [index] { return "checkout_param " + std::to_string(index); });
  return PF_Err_NONE;
}

PF_Err checkinParam(PF_ProgPtr effectRef, PF_ParamDef* param) {
  CommandContext* context = currentContext();
  if (!checkEffectRef(context, effectRef)) return PF_Err_BAD_CALLBACK_PARAM;
  {
    std::lock_guard lock(context->mutex);
    ++context->paramCheckins;
    auto& out = context->checkedOut;
    auto it = std::find_if(out.begin(), out.end(), [param](auto& e) { return e.first == param; });
    if (it == out.end()) {
      auto& failed = context->failedCheckouts;
      if (auto f = std::find(failed.begin(), failed.end(), param); f != failed.end()) {
        failed.erase(f);
        return PF_Err_NONE;
      }
      // Handing back a record that was never checked out is harmless; it is
      // counted so tests can see it.
      ++context->stray;
      return PF_Err_NONE;
    }
    noteTarget(*context, [index = it->second] { return "checkin_param " + std::to_string(index); });
    out.erase(it);
  }
  return PF_Err_NONE;
}

void keepStrings(ParamInfo& info) {
  PF_ParamDef& def = info.def;
  if (def.param_type == PF_Param_POPUP) {
    const char* items = def.u.pd.u.namesptr;
    info.popupItems = items ? items : "";
    info.popupItemCount =
        items ? int(std::count(info.popupItems.begin(), info.popupItems.end(), '|')) + 1 : 0;
  } else if (def.param_type == PF_Param_CHECKBOX) {
    const char* label = def.u.bd.u.nameptr;
    info.checkboxLabel = label ? label : "";
  }
}

PF_Err addParam(PF_ProgPtr effectRef, PF_ParamIndex index, PF_ParamDefPtr def) {
  CommandContext* context = currentContext();
  if (!checkEffectRef(context, effectRef) || def == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
  if (context->cmd != PF_Cmd_PARAMS_SETUP) return PF_Err_BAD_CALLBACK_PARAM;
  std::vector<ParamInfo>& params = context->host->params;
  if (index != -1 && std::size_t(index) != params.size()) return PF_Err_INVALID_INDEX;
  ParamInfo info;
  info.def = *def;
  info.def.name[sizeof info.def.name - 1] = '\0';
  keepStrings(info);
  params.push_back(std::move(info));
  return PF_Err_NONE;
}

PF_Err abortCheck(PF_ProgPtr) { return PF_Err_NONE; }
PF_Err progress(PF_ProgPtr, A_long, A_long) { return PF_Err_NONE; }

// ------------------------------------------------------------------ smart

PF_LRect intersect(const PF_LRect& a, const PF_LRect& b) {
  PF_LRect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
             std::min(a.bottom, b.bottom)};
  if (r.left >= r.right || r.top >= r.bottom) r = {0, 0, 0, 0};
  return r;
}

PF_Err checkoutLayer(PF_ProgPtr effectRef, PF_ParamIndex index, A_long id,
                     const PF_RenderRequest* request, A_long, A_long, A_u_long,
                     PF_CheckoutResult* result) {
  CommandContext* context = currentContext();
  if (!checkEffectRef(context, effectRef) || context->render == nullptr || request == nullptr ||
      result == nullptr || !isLayerParam(*context->host, index)) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  const std::string call = "checkout_layer " + std::to_string(index) + " id " + std::to_string(id);
  if (context->cmd != PF_Cmd_SMART_PRE_RENDER) {
    noteMisuse(context, call + ": layers are checked out in smart pre-render only");
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  if (id <= 0) {
    noteMisuse(context, call + ": check-out ids must be positive");
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  {
    std::lock_guard lock(context->mutex);
    const auto& checkouts = context->render->checkouts;
    if (std::any_of(checkouts.begin(), checkouts.end(),
                    [id](const RenderState::Checkout& c) { return c.id == id; })) {
      context->misuses.push_back(call + ": check-out ids must be unique");
      return PF_Err_BAD_CALLBACK_PARAM;
    }
  }
  const PF_LayerDef layer = layerFor(*context, index);
  const PF_LRect extent{0, 0, layer.width, layer.height};
  *result = PF_CheckoutResult{};
  result->result_rect = intersect(request->rect, extent);
  result->max_result_rect = extent;
  result->par = {1, 1};
  result->ref_width = layer.width;
  result->ref_height = layer.height;
  std::lock_guard lock(context->mutex);
  context->render->checkouts.push_back({id, index, *request});
  return PF_Err_NONE;
}

PF_Err checkoutLayerPixels(PF_ProgPtr effectRef, A_long id, PF_EffectWorld** pixels) {
  CommandContext* context = currentContext();
  if (!checkEffectRef(context, effectRef) || context->render == nullptr || pixels == nullptr) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  const std::string call = "checkout_layer_pixels id " + std::to_string(id);
  if (context->cmd != PF_Cmd_SMART_RENDER) {
    noteMisuse(context, call + ": layer pixels are taken in smart render only");
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  RenderState& render = *context->render;
  PF_ParamIndex index = 0;
  {
    std::lock_guard lock(context->mutex);
    auto it = std::find_if(render.checkouts.begin(), render.checkouts.end(),
                           [id](const RenderState::Checkout& c) { return c.id == id; });
    if (it == render.checkouts.end()) {
      context->misuses.push_back(call + ": not checked out in pre-render");
      return PF_Err_BAD_CALLBACK_PARAM;
    }
    if (it->taken) {
      context->misuses.push_back(call + ": taken twice (one take per pre-render check-out)");
      return PF_Err_BAD_CALLBACK_PARAM;
    }
    it->taken = true;
    index = it->index;
  }
  const PF_LayerDef layer = layerFor(*context, index);
  // A layer control set to none has no pixels: no world is handed over.
  if (layer.data == nullptr) {
    *pixels = nullptr;
    return PF_Err_NONE;
  }
  std::lock_guard lock(context->mutex);
  render.handedOut.push_back(layer);
  *pixels = &render.handedOut.back();
  return PF_Err_NONE;
}

PF_Err checkinLayerPixels(PF_ProgPtr effectRef, A_long id) {
  CommandContext* context = currentContext();
  if (!checkEffectRef(context, effectRef) || context->render == nullptr) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  const auto& checkouts = context->render->checkouts;
  const bool known = std::any_of(checkouts.begin(), checkouts.end(),
                                 [id](const RenderState::Checkout& c) { return c.id == id; });
  return known ? PF_Err_NONE : PF_Err_BAD_CALLBACK_PARAM;
}

PF_Err checkoutOutput(PF_ProgPtr effectRef, PF_EffectWorld** output) {
  CommandContext* context = currentContext();
  if (!checkEffectRef(context, effectRef) || context->render == nullptr || output == nullptr) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  std::lock_guard lock(context->mutex);
  context->render->handedOut.push_back(context->render->output);
  *output = &context->render->handedOut.back();
  return PF_Err_NONE;
}

}  // namespace

PF_InteractCallbacks interactCallbacks() {
  return {KESTROW_HOST_CALL(PF_InteractCallbacks, checkout_param, checkoutParam, kError, 1,
                            noteFailedCheckout),
          KESTROW_HOST_CALL(PF_InteractCallbacks, checkin_param, checkinParam, kErrorAfter),
          KESTROW_HOST_CALL(PF_InteractCallbacks, add_param, addParam, kError),
          KESTROW_HOST_CALL(PF_InteractCallbacks, abort, abortCheck, kError),
          KESTROW_HOST_CALL(PF_InteractCallbacks, progress, progress, kError),
          KESTROW_UNIMPLEMENTED(PF_InteractCallbacks, register_ui),
          KESTROW_UNIMPLEMENTED(PF_InteractCallbacks, checkout_layer_audio),
          KESTROW_UNIMPLEMENTED(PF_InteractCallbacks, checkin_layer_audio),
          KESTROW_UNIMPLEMENTED(PF_InteractCallbacks, get_audio_data),
          .reserved_str = {},
          .reserved = {}};
}

PF_PreRenderCallbacks* preRenderCallbacks() {
  static PF_PreRenderCallbacks callbacks{
      KESTROW_HOST_CALL(PF_PreRenderCallbacks, checkout_layer, checkoutLayer, kError),
      KESTROW_UNIMPLEMENTED(PF_PreRenderCallbacks, GuidMixInPtr)};
  return &callbacks;
}

PF_SmartRenderCallbacks* smartRenderCallbacks() {
  static PF_SmartRenderCallbacks callbacks{
      KESTROW_HOST_CALL(PF_SmartRenderCallbacks, checkout_layer_pixels, checkoutLayerPixels,
                        kError),
      KESTROW_HOST_CALL(PF_SmartRenderCallbacks, checkin_layer_pixels, checkinLayerPixels,
                        kErrorAfter),
      KESTROW_HOST_CALL(PF_SmartRenderCallbacks, checkout_output, checkoutOutput, kError)};
  return &callbacks;
}

}  // namespace kestrow::host
