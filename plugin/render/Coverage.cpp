#include "render/Coverage.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "util/Rect.h"

namespace {

// Bytes between neighbouring rows, whichever way the rows run.
int64_t rowStride(const PF_LayerDef& world) {
  const int64_t rowbytes = world.rowbytes;
  return rowbytes < 0 ? -rowbytes : rowbytes;
}

}  // namespace

bool IsWritableWorld(const PF_LayerDef& world, A_long pixelBytes) {
  if (world.width <= 0 || world.height <= 0) {
    return true;
  }
  return world.data != nullptr &&
         rowStride(world) >= static_cast<int64_t>(world.width) * pixelBytes;
}

PF_Rect CoveredOutputArea(const PF_LayerDef& input, const PF_LayerDef& output, PF_Point origin,
                          A_long pixelBytes) {
  int64_t inWidth = 0;
  int64_t inHeight = 0;
  if (input.data != nullptr && input.rowbytes != 0) {
    inWidth = std::min<int64_t>(input.width, rowStride(input) / pixelBytes);
    inHeight = input.height;
  }
  // In 64 bits: origin + size may leave the 32-bit range.
  const int64_t left = std::max<int64_t>(0, -static_cast<int64_t>(origin.h));
  const int64_t top = std::max<int64_t>(0, -static_cast<int64_t>(origin.v));
  const int64_t right = std::min<int64_t>(output.width, inWidth - origin.h);
  const int64_t bottom = std::min<int64_t>(output.height, inHeight - origin.v);
  if (left >= right || top >= bottom) {
    return PF_Rect{0, 0, 0, 0};
  }
  return PF_Rect{static_cast<A_long>(left), static_cast<A_long>(top), static_cast<A_long>(right),
                 static_cast<A_long>(bottom)};
}

void ClearOutside(PF_LayerDef* output, const PF_Rect& keep, A_long pixelBytes) {
  const bool keepNone = IsEmptyRect(&keep);
  const auto bytes = [pixelBytes](A_long pixels) {
    return static_cast<std::size_t>(pixels) * static_cast<std::size_t>(pixelBytes);
  };
  auto* base = reinterpret_cast<char*>(output->data);
  for (A_long y = 0; y < output->height; ++y) {
    char* row = base + static_cast<ptrdiff_t>(y) * output->rowbytes;
    if (keepNone || y < keep.top || y >= keep.bottom) {
      std::memset(row, 0, bytes(output->width));
    } else {
      std::memset(row, 0, bytes(keep.left));
      std::memset(row + bytes(keep.right), 0, bytes(output->width - keep.right));
    }
  }
}
