// "PF Iterate8 Suite", "PF iterate16 Suite" and "PF iterateFloat Suite"
// (each version 1): iterate and iterate_origin over the host's worker
// threads.
#include <atomic>
#include <cstdint>

#include "HostCall.h"
#include "SuiteTables.h"
#include "Unimplemented.h"
#include "kestrow/host/World.h"

namespace kestrow::host {
namespace {

template <typename Pixel>
Pixel* pixelAt(const PF_EffectWorld& world, A_long x, A_long y) {
  auto* row = reinterpret_cast<std::uint8_t*>(world.data) + std::ptrdiff_t(y) * world.rowbytes;
  return reinterpret_cast<Pixel*>(row) + x;
}

// A world the plug-in hands back must be usable at this depth: a live host
// world of that depth, or (for hand-made records in tests) any record with
// data whose rows hold its width, running down (rowbytes > 0) or up (< 0).
bool usable(const PF_EffectWorld* world, PixelDepth depth) {
  if (world == nullptr || world->data == nullptr || world->width < 0 || world->height < 0) {
    return false;
  }
  if (const World* owner = World::fromDef(world)) return owner->depth() == depth;
  const std::int64_t stride = world->rowbytes;
  return (stride < 0 ? -stride : stride) >=
         std::int64_t(world->width) * std::int64_t(pixelSize(depth));
}

// Calls pix_fn(refcon, x, y, &src[origin.h + x, origin.v + y], &dst[x, y])
// for every pixel of `area` (null: all of dst), one row per task. Every
// pixel touched must lie inside both worlds, checked once up front.
template <typename Pixel, typename PixelFn>
PF_Err iterateOrigin(PixelDepth depth, PF_InData* inData, A_long progressBase, A_long progressFinal,
                     PF_EffectWorld* src, const PF_Rect* area, const PF_Point* origin, void* refcon,
                     PixelFn pixFn, PF_EffectWorld* dst) {
  (void)inData;
  CommandContext* context = currentContext();
  if (context == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
  if (pixFn == nullptr || !usable(src, depth) || !usable(dst, depth)) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  const PF_Rect box = area ? *area : PF_Rect{0, 0, dst->width, dst->height};
  const PF_Point shift = origin ? *origin : PF_Point{0, 0};
  if (box.left >= box.right || box.top >= box.bottom) return PF_Err_NONE;
  const auto inside = [](std::int64_t lo, std::int64_t hi, std::int64_t size) {
    return lo >= 0 && hi <= size;
  };
  if (!inside(box.left, box.right, dst->width) || !inside(box.top, box.bottom, dst->height) ||
      !inside(std::int64_t(box.left) + shift.h, std::int64_t(box.right) + shift.h, src->width) ||
      !inside(std::int64_t(box.top) + shift.v, std::int64_t(box.bottom) + shift.v, src->height)) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  // Rows finished so far, mapped onto the plug-in's progress range.
  const std::int64_t rows = std::int64_t(box.bottom) - box.top;
  std::atomic<std::int64_t> finished{0};
  const auto& progress = context->host->options.progress;
  const auto row = [&](A_long y) -> PF_Err {
    Pixel* in = pixelAt<Pixel>(*src, box.left + shift.h, y + shift.v);
    Pixel* out = pixelAt<Pixel>(*dst, box.left, y);
    for (A_long x = box.left; x < box.right; ++x, ++in, ++out) {
      if (PF_Err err = pixFn(refcon, x, y, in, out)) return err;
    }
    context->iterateRows.fetch_add(1, std::memory_order_relaxed);
    const std::int64_t done = finished.fetch_add(1, std::memory_order_relaxed) + 1;
    if (progress) {
      progress(A_long(progressBase + (std::int64_t(progressFinal) - progressBase) * done / rows),
               progressFinal);
    }
    return PF_Err_NONE;
  };
  return context->host->pool.forEach(box.top, box.bottom, row);
}

// The suites' entries at one depth: with an origin, and without (no shift).
template <typename Pixel, PixelDepth kDepth, typename PixelFn>
PF_Err withOrigin(PF_InData* in, A_long base, A_long final, PF_EffectWorld* src,
                  const PF_Rect* area, const PF_Point* origin, void* refcon, PixelFn fn,
                  PF_EffectWorld* dst) {
  return iterateOrigin<Pixel>(kDepth, in, base, final, src, area, origin, refcon, fn, dst);
}

template <typename Pixel, PixelDepth kDepth, typename PixelFn>
PF_Err withoutOrigin(PF_InData* in, A_long base, A_long final, PF_EffectWorld* src,
                     const PF_Rect* area, void* refcon, PixelFn fn, PF_EffectWorld* dst) {
  return iterateOrigin<Pixel>(kDepth, in, base, final, src, area, nullptr, refcon, fn, dst);
}

}  // namespace

const PF_Iterate8Suite1 kIterate8Suite = {
    KESTROW_HOST_CALL(PF_Iterate8Suite1, iterate,
                      (withoutOrigin<PF_Pixel, PixelDepth::kU8, PF_IteratePixel8Func>), kError),
    KESTROW_HOST_CALL(PF_Iterate8Suite1, iterate_origin,
                      (withOrigin<PF_Pixel, PixelDepth::kU8, PF_IteratePixel8Func>), kError),
    KESTROW_UNIMPLEMENTED(PF_Iterate8Suite1, iterate_lut),
    KESTROW_UNIMPLEMENTED(PF_Iterate8Suite1, iterate_origin_non_clip_src),
    KESTROW_UNIMPLEMENTED(PF_Iterate8Suite1, iterate_generic)};
const PF_iterate16Suite1 kIterate16Suite = {
    KESTROW_HOST_CALL(PF_iterate16Suite1, iterate,
                      (withoutOrigin<PF_Pixel16, PixelDepth::kU16, PF_IteratePixel16Func>), kError),
    KESTROW_HOST_CALL(PF_iterate16Suite1, iterate_origin,
                      (withOrigin<PF_Pixel16, PixelDepth::kU16, PF_IteratePixel16Func>), kError),
    KESTROW_UNIMPLEMENTED(PF_iterate16Suite1, iterate_origin_non_clip_src)};
const PF_iterateFloatSuite1 kIterateFloatSuite = {
    KESTROW_HOST_CALL(
        PF_iterateFloatSuite1, iterate,
        (withoutOrigin<PF_PixelFloat, PixelDepth::kFloat32, PF_IteratePixelFloatFunc>), kError),
    KESTROW_HOST_CALL(PF_iterateFloatSuite1, iterate_origin,
                      (withOrigin<PF_PixelFloat, PixelDepth::kFloat32, PF_IteratePixelFloatFunc>),
                      kError),
    KESTROW_UNIMPLEMENTED(PF_iterateFloatSuite1, iterate_origin_non_clip_src)};

}  // namespace kestrow::host
