#include "HandleRegistry.h"

#include <cstring>

namespace kestrow::host {

PF_Handle HandleRegistry::allocate(std::size_t size, const void* owner) {
  auto block = std::make_unique<Block>();
  // One byte at least, so that even an empty block has a distinct address.
  block->bytes.reset(new std::uint8_t[size == 0 ? 1 : size]);
  std::memset(block->bytes.get(), kFillByte, size == 0 ? 1 : size);
  block->master = block->bytes.get();
  block->size = size;
  block->owner = owner;
  PF_Handle handle = &block->master;
  std::lock_guard lock(mutex_);
  blocks_.emplace(handle, std::move(block));
  return handle;
}

HandleRegistry::Block* HandleRegistry::find(PF_Handle handle) const {
  auto it = blocks_.find(handle);
  return it == blocks_.end() ? nullptr : it->second.get();
}

bool HandleRegistry::dispose(PF_Handle handle) {
  std::lock_guard lock(mutex_);
  return blocks_.erase(handle) > 0;
}

void* HandleRegistry::lock(PF_Handle handle) {
  std::lock_guard lock(mutex_);
  Block* block = find(handle);
  if (block == nullptr) return nullptr;
  ++block->locks;
  return block->master;
}

bool HandleRegistry::unlock(PF_Handle handle) {
  std::lock_guard lock(mutex_);
  Block* block = find(handle);
  if (block == nullptr || block->locks == 0) return false;
  --block->locks;
  return true;
}

std::optional<std::size_t> HandleRegistry::size(PF_Handle handle) const {
  std::lock_guard lock(mutex_);
  const Block* block = find(handle);
  if (block == nullptr) return std::nullopt;
  return block->size;
}

bool HandleRegistry::resize(PF_Handle handle, std::size_t newSize) {
  std::lock_guard lock(mutex_);
  Block* block = find(handle);
  if (block == nullptr) return false;
  std::unique_ptr<std::uint8_t[]> bytes(new std::uint8_t[newSize == 0 ? 1 : newSize]);
  std::memset(bytes.get(), kFillByte, newSize == 0 ? 1 : newSize);
  std::memcpy(bytes.get(), block->bytes.get(), std::min(newSize, block->size));
  block->bytes = std::move(bytes);
  block->master = block->bytes.get();
  block->size = newSize;
  return true;
}

bool HandleRegistry::contains(PF_Handle handle) const {
  std::lock_guard lock(mutex_);
  return find(handle) != nullptr;
}

int HandleRegistry::lockCount(PF_Handle handle) const {
  std::lock_guard lock(mutex_);
  const Block* block = find(handle);
  return block == nullptr ? 0 : block->locks;
}

std::size_t HandleRegistry::count(const void* owner) const {
  std::lock_guard lock(mutex_);
  std::size_t n = 0;
  for (const auto& [handle, block] : blocks_) n += block->owner == owner;
  return n;
}

std::size_t HandleRegistry::disposeAll(const void* owner) {
  std::lock_guard lock(mutex_);
  return std::erase_if(blocks_,
                       [owner](const auto& entry) { return entry.second->owner == owner; });
}

HandleRegistry& handleRegistry() {
  static HandleRegistry registry;
  return registry;
}

}  // namespace kestrow::host
