// Pixel worlds the host owns and lends to the plug-in as PF_LayerDef.
//
// A World holds height rows of width pixels, each row `rowbytes` bytes after
// the previous one; rows may be padded beyond width * pixel size. A
// bottom-up world stores its rows upwards in memory: its record's data
// points at row 0, the last in memory, and its rowbytes is negative. Padding
// bytes are filled with a guard pattern so that writes past the end of a row
// can be detected (by the test library). The layer def's reserved0 points to
// host-private data and is non-null exactly for real worlds; an empty layer
// (no picture) has null data and null reserved0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "AE_Effect.h"
#include "AE_EffectSuites.h"

namespace kestrow::host {

enum class PixelDepth { kFloat32, kU16, kU8 };
enum class RowOrder { kTopDown, kBottomUp };

// Bytes per pixel: 16, 8 or 4.
std::size_t pixelSize(PixelDepth depth);
// PF_PixelFormat_ARGB128, _ARGB64 or _ARGB32.
PF_PixelFormat pixelFormat(PixelDepth depth);
// 32, 16 or 8: the bit depth reported to smart render.
int bitsPerChannel(PixelDepth depth);

class World {
 public:
  // A world of width x height pixels, all channels zero, with
  // `rowPaddingBytes` extra bytes after each row. Negative sizes, or sizes
  // whose rowbytes or total do not fit the record's 32-bit fields, give an
  // empty, invalid world (valid() false) rather than an exception.
  World(int width, int height, PixelDepth depth, std::size_t rowPaddingBytes = 0,
        RowOrder order = RowOrder::kTopDown);
  ~World();
  World(World&&) noexcept;
  World& operator=(World&&) noexcept;
  World(const World&) = delete;
  World& operator=(const World&) = delete;

  bool valid() const;
  int width() const;
  int height() const;
  PixelDepth depth() const;
  // Distance between neighbouring rows in memory (positive in either order).
  std::size_t rowBytes() const;
  RowOrder rowOrder() const;

  // The record lent to the plug-in. Its reserved0 is non-null; data is null
  // only for a 0 x 0 world.
  PF_LayerDef& def();
  const PF_LayerDef& def() const;

  // Row y (0 <= y < height), cast to the caller's pixel type; null out of range.
  void* row(int y);
  const void* row(int y) const;

  // Typed pixel access; (x, y) must lie inside the world and the type match
  // depth() (checked: null otherwise).
  PF_PixelFloat* pixelFloat(int x, int y);
  PF_Pixel16* pixel16(int x, int y);
  PF_Pixel8* pixel8(int x, int y);

  // The world behind a layer def's reserved0, if it is a live World; null
  // for empty layers and foreign records. Thread-safe.
  static const World* fromDef(const PF_LayerDef* def);

  // A layer def that stands for "no layer": every field zero, data null.
  static PF_LayerDef emptyLayerDef();

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace kestrow::host
