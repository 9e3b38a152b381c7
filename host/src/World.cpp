#include "kestrow/host/World.h"

#include <cstring>
#include <limits>
#include <mutex>
#include <unordered_set>

#include "WorldPadding.h"

namespace kestrow::host {
namespace {

// Live worlds, so that a layer def handed back by the plug-in can be traced
// to its World without trusting the pointer it carries.
std::mutex& registryMutex() {
  static std::mutex m;
  return m;
}
std::unordered_set<const World::Impl*>& registry() {
  static std::unordered_set<const World::Impl*> live;
  return live;
}

std::size_t pixelAlignment(PixelDepth depth) {
  switch (depth) {
    case PixelDepth::kFloat32:
      return alignof(PF_PixelFloat);
    case PixelDepth::kU16:
      return alignof(PF_Pixel16);
    case PixelDepth::kU8:
      return alignof(PF_Pixel8);
  }
  return 1;
}

}  // namespace

struct World::Impl {
  World* owner = nullptr;
  PixelDepth depth = PixelDepth::kFloat32;
  RowOrder order = RowOrder::kTopDown;
  bool valid = false;
  std::size_t rowBytes = 0;
  std::unique_ptr<std::uint8_t[]> bytes;
  PF_LayerDef def{};
};

std::size_t pixelSize(PixelDepth depth) {
  switch (depth) {
    case PixelDepth::kFloat32:
      return sizeof(PF_PixelFloat);
    case PixelDepth::kU16:
      return sizeof(PF_Pixel16);
    case PixelDepth::kU8:
      return sizeof(PF_Pixel8);
  }
  return 0;
}

PF_PixelFormat pixelFormat(PixelDepth depth) {
  switch (depth) {
    case PixelDepth::kFloat32:
      return PF_PixelFormat_ARGB128;
    case PixelDepth::kU16:
      return PF_PixelFormat_ARGB64;
    case PixelDepth::kU8:
      return PF_PixelFormat_ARGB32;
  }
  return PF_PixelFormat_INVALID;
}

int bitsPerChannel(PixelDepth depth) {
  switch (depth) {
    case PixelDepth::kFloat32:
      return 32;
    case PixelDepth::kU16:
      return 16;
    case PixelDepth::kU8:
      return 8;
  }
  return 0;
}

World::World(int width, int height, PixelDepth depth, std::size_t rowPaddingBytes, RowOrder order)
    : impl_(std::make_unique<Impl>()) {
  Impl& w = *impl_;
  w.depth = depth;
  w.order = order;
  const std::size_t limit = std::size_t(std::numeric_limits<A_long>::max());
  const std::size_t align = pixelAlignment(depth);
  bool ok = width >= 0 && height >= 0 && rowPaddingBytes <= limit;
  std::size_t used = 0, rowBytes = 0;
  if (ok) {
    used = std::size_t(width) * pixelSize(depth);
    // Padding is rounded up so that every row starts aligned for its pixels.
    rowBytes = (used + rowPaddingBytes + align - 1) / align * align;
    ok = used <= limit && rowBytes <= limit && (height == 0 || rowBytes <= limit / height);
  }
  if (!ok) width = height = 0, used = rowBytes = 0;
  w.valid = ok;
  w.rowBytes = rowBytes;
  const std::size_t total = rowBytes * std::size_t(height);
  if (total > 0) {
    w.bytes.reset(new std::uint8_t[total]);
    for (int y = 0; y < height; ++y) {
      std::uint8_t* row = w.bytes.get() + std::size_t(y) * rowBytes;
      std::memset(row, 0, used);
      std::memset(row + used, kPaddingGuardByte, rowBytes - used);
    }
  }
  PF_LayerDef& def = w.def;
  def.reserved0 = &w;
  def.world_flags = depth == PixelDepth::kU16 ? PF_WorldFlag_DEEP : 0;
  const bool bottomUp = order == RowOrder::kBottomUp && height > 0;
  def.data = reinterpret_cast<PF_PixelPtr>(
      bottomUp ? w.bytes.get() + std::size_t(height - 1) * rowBytes : w.bytes.get());
  def.rowbytes = bottomUp ? -A_long(rowBytes) : A_long(rowBytes);
  def.width = width;
  def.height = height;
  def.extent_hint = {0, 0, width, height};
  def.pix_aspect_ratio = {1, 1};
  w.owner = this;
  std::lock_guard lock(registryMutex());
  registry().insert(&w);
}

World::~World() {
  if (impl_) {
    std::lock_guard lock(registryMutex());
    registry().erase(impl_.get());
  }
}

World::World(World&& other) noexcept : impl_(std::move(other.impl_)) {
  if (impl_) impl_->owner = this;
}

World& World::operator=(World&& other) noexcept {
  if (this != &other) {
    if (impl_) {
      std::lock_guard lock(registryMutex());
      registry().erase(impl_.get());
    }
    impl_ = std::move(other.impl_);
    if (impl_) impl_->owner = this;
  }
  return *this;
}

bool World::valid() const { return impl_ && impl_->valid; }
int World::width() const { return impl_ ? impl_->def.width : 0; }
int World::height() const { return impl_ ? impl_->def.height : 0; }
PixelDepth World::depth() const { return impl_ ? impl_->depth : PixelDepth::kFloat32; }
std::size_t World::rowBytes() const { return impl_ ? impl_->rowBytes : 0; }
RowOrder World::rowOrder() const { return impl_ ? impl_->order : RowOrder::kTopDown; }
PF_LayerDef& World::def() { return impl_->def; }
const PF_LayerDef& World::def() const { return impl_->def; }

void* World::row(int y) {
  if (!impl_ || y < 0 || y >= impl_->def.height) return nullptr;
  return reinterpret_cast<std::uint8_t*>(impl_->def.data) + std::ptrdiff_t(y) * impl_->def.rowbytes;
}

const void* World::row(int y) const { return const_cast<World*>(this)->row(y); }

namespace {
template <typename Pixel>
Pixel* pixelAt(World& world, PixelDepth want, int x, int y) {
  if (world.depth() != want || x < 0 || x >= world.width()) return nullptr;
  auto* row = static_cast<Pixel*>(world.row(y));
  return row ? row + x : nullptr;
}
}  // namespace

PF_PixelFloat* World::pixelFloat(int x, int y) {
  return pixelAt<PF_PixelFloat>(*this, PixelDepth::kFloat32, x, y);
}
PF_Pixel16* World::pixel16(int x, int y) {
  return pixelAt<PF_Pixel16>(*this, PixelDepth::kU16, x, y);
}
PF_Pixel8* World::pixel8(int x, int y) { return pixelAt<PF_Pixel8>(*this, PixelDepth::kU8, x, y); }

const World* World::fromDef(const PF_LayerDef* def) {
  if (def == nullptr || def->reserved0 == nullptr) return nullptr;
  std::lock_guard lock(registryMutex());
  auto it = registry().find(static_cast<const Impl*>(def->reserved0));
  return it == registry().end() ? nullptr : (*it)->owner;
}

PF_LayerDef World::emptyLayerDef() { return PF_LayerDef{}; }

}  // namespace kestrow::host
