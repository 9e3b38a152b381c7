// The utility callbacks of PF_InData (utils): the complete published table.
// Handles, copying, iteration and the ANSI block are implemented; every
// other member is a stand-in (Unimplemented.h).
#include <algorithm>
#include <cstring>

#include "HostCall.h"
#include "SuiteTables.h"
#include "Unimplemented.h"
#include "kestrow/host/World.h"

namespace kestrow::host {
namespace {

PF_Err copyWorld(PF_ProgPtr effectRef, PF_EffectWorld* src, PF_EffectWorld* dst, PF_Rect* srcRect,
                 PF_Rect* dstRect) {
  CommandContext* context = currentContext();
  if (!checkEffectRef(context, effectRef)) return PF_Err_BAD_CALLBACK_PARAM;
  const World* from = World::fromDef(src);
  const World* to = World::fromDef(dst);
  if (from == nullptr || to == nullptr || from->depth() != to->depth()) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  const PF_Rect s = srcRect ? *srcRect : PF_Rect{0, 0, src->width, src->height};
  if (dstRect != nullptr && (dstRect->right - dstRect->left != s.right - s.left ||
                             dstRect->bottom - dstRect->top != s.bottom - s.top)) {
    return PF_Err_BAD_CALLBACK_PARAM;  // no scaling copy
  }
  const A_long dx = (dstRect ? dstRect->left : s.left) - s.left;
  const A_long dy = (dstRect ? dstRect->top : s.top) - s.top;
  // Clip to both worlds; parts of the rectangle outside either are skipped.
  const A_long left = std::max({s.left, A_long(0), -dx});
  const A_long right = std::min({s.right, src->width, dst->width - dx});
  const A_long top = std::max({s.top, A_long(0), -dy});
  const A_long bottom = std::min({s.bottom, src->height, dst->height - dy});
  if (left >= right || top >= bottom) return PF_Err_NONE;
  const std::size_t pixel = pixelSize(from->depth());
  for (A_long y = top; y < bottom; ++y) {
    const auto* in = reinterpret_cast<const std::uint8_t*>(src->data) +
                     std::ptrdiff_t(y) * src->rowbytes + std::size_t(left) * pixel;
    auto* out = reinterpret_cast<std::uint8_t*>(dst->data) +
                std::ptrdiff_t(y + dy) * dst->rowbytes + std::size_t(left + dx) * pixel;
    std::memmove(out, in, std::size_t(right - left) * pixel);
  }
  return PF_Err_NONE;
}

// The variadic entry cannot be a generic stand-in.
PF_Err appCallback(PF_ProgPtr, A_long, ...) {
  return unimplementedSlot(HostCallId::PF_UtilCallbacks_app);
}

}  // namespace

PF_UtilCallbacks* utilCallbacks() {
  static PF_UtilCallbacks utils{
      KESTROW_UNIMPLEMENTED(PF_UtilCallbacks, begin_sampling),
      KESTROW_UNIMPLEMENTED(PF_UtilCallbacks, subpixel_sample),
      KESTROW_UNIMPLEMENTED(PF_UtilCallbacks, area_sample),
      .get_batch_func_is_deprecated = nullptr,
      KESTROW_UNIMPLEMENTED(PF_UtilCallbacks, end_sampling),
      KESTROW_UNIMPLEMENTED(PF_UtilCallbacks, composite_rect),
      KESTROW_UNIMPLEMENTED(PF_UtilCallbacks, blend),
      KESTROW_UNIMPLEMENTED(PF_UtilCallbacks, convolve),
      KESTROW_HOST_CALL(PF_UtilCallbacks, copy, copyWorld, kError),
      KESTROW_UNIMPLEMENTED(PF_UtilCallbacks, fill),
      KESTROW_UNIMPLEMENTED(PF_UtilCallbacks, gaussian_kernel),
      .iterate = kIterate8Suite.iterate,
      KESTROW_UNIMPLEMENTED(PF_UtilCallbacks, premultiply),
      KESTROW_UNIMPLEMENTED(PF_UtilCallbacks, premultiply_color),
      KESTROW_UNIMPLEMENTED(PF_UtilCallbacks, new_world),
      KESTROW_UNIMPLEMENTED(PF_UtilCallbacks, dispose_world),
      .iterate_origin = kIterate8Suite.iterate_origin,
      KESTROW_UNIMPLEMENTED(PF_UtilCallbacks, iterate_lut),
      KESTROW_UNIMPLEMENTED(PF_UtilCallbacks, transfer_rect),
      KESTROW_UNIMPLEMENTED(PF_UtilCallbacks, transform_world),
      KESTROW_HOST_CALL(PF_UtilCallbacks, host_new_handle, hostNewHandle, kNull),
      KESTROW_HOST_CALL(PF_UtilCallbacks, host_lock_handle, hostLockHandle, kNull),
      KESTROW_HOST_CALL(PF_UtilCallbacks, host_unlock_handle, hostUnlockHandle, kNever),
      KESTROW_HOST_CALL(PF_UtilCallbacks, host_dispose_handle, hostDisposeHandle, kNever),
      KESTROW_UNIMPLEMENTED(PF_UtilCallbacks, get_callback_addr),
      .app = appCallback,
      .ansi = ansiCallbacks(),
      .colorCB = {KESTROW_UNIMPLEMENTED(PF_ColorCallbacks, RGBtoHLS),
                  KESTROW_UNIMPLEMENTED(PF_ColorCallbacks, HLStoRGB),
                  KESTROW_UNIMPLEMENTED(PF_ColorCallbacks, RGBtoYIQ),
                  KESTROW_UNIMPLEMENTED(PF_ColorCallbacks, YIQtoRGB),
                  KESTROW_UNIMPLEMENTED(PF_ColorCallbacks, Luminance),
                  KESTROW_UNIMPLEMENTED(PF_ColorCallbacks, Hue),
                  KESTROW_UNIMPLEMENTED(PF_ColorCallbacks, Lightness),
                  KESTROW_UNIMPLEMENTED(PF_ColorCallbacks, Saturation)},
      KESTROW_UNIMPLEMENTED(PF_UtilCallbacks, get_platform_data),
      KESTROW_HOST_CALL(PF_UtilCallbacks, host_get_handle_size, hostGetHandleSize, kNever),
      KESTROW_UNIMPLEMENTED(PF_UtilCallbacks, iterate_origin_non_clip_src),
      KESTROW_UNIMPLEMENTED(PF_UtilCallbacks, iterate_generic),
      KESTROW_HOST_CALL(PF_UtilCallbacks, host_resize_handle, hostResizeHandle, kError),
      KESTROW_UNIMPLEMENTED(PF_UtilCallbacks, subpixel_sample16),
      KESTROW_UNIMPLEMENTED(PF_UtilCallbacks, area_sample16),
      KESTROW_UNIMPLEMENTED(PF_UtilCallbacks, fill16),
      KESTROW_UNIMPLEMENTED(PF_UtilCallbacks, premultiply_color16),
      .iterate16 = kIterate16Suite.iterate,
      .iterate_origin16 = kIterate16Suite.iterate_origin,
      KESTROW_UNIMPLEMENTED(PF_UtilCallbacks, iterate_origin_non_clip_src16),
      KESTROW_UNIMPLEMENTED(PF_UtilCallbacks, get_pixel_data8),
      KESTROW_UNIMPLEMENTED(PF_UtilCallbacks, get_pixel_data16),
      .reserved = {}};
  return &utils;
}

}  // namespace kestrow::host
