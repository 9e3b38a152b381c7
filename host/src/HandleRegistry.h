// Host handles (PF_Handle): a pointer to a master pointer to the block, as
// the effect API defines them. Every handle is registered with the host that
// made it, so the host can tell live, locked and leaked handles apart and
// refuse handles it never made. Thread-safe.
#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

#include "AE_Effect.h"

namespace kestrow::host {

class HandleRegistry {
 public:
  // Byte every new block is filled with: the effect API promises no zeroes,
  // and a fixed pattern keeps results reproducible.
  static constexpr std::uint8_t kFillByte = 0xCD;

  // A new handle of `size` bytes (0 allowed) owned by `owner`.
  PF_Handle allocate(std::size_t size, const void* owner);
  // False for a null or unknown handle; the handle is gone afterwards.
  bool dispose(PF_Handle handle);
  // The block (null for unknown handles); counts one lock.
  void* lock(PF_Handle handle);
  // False for unknown or unlocked handles.
  bool unlock(PF_Handle handle);
  std::optional<std::size_t> size(PF_Handle handle) const;
  // Keeps the contents up to the smaller size; the master pointer may move.
  bool resize(PF_Handle handle, std::size_t newSize);
  bool contains(PF_Handle handle) const;
  int lockCount(PF_Handle handle) const;
  std::size_t count(const void* owner) const;
  // Disposes of every handle of `owner`; returns how many there were.
  std::size_t disposeAll(const void* owner);

 private:
  struct Block {
    void* master = nullptr;  // first member: the PF_Handle points here
    std::unique_ptr<std::uint8_t[]> bytes;
    std::size_t size = 0;
    int locks = 0;
    const void* owner = nullptr;
  };
  Block* find(PF_Handle handle) const;

  mutable std::mutex mutex_;
  std::unordered_map<PF_Handle, std::unique_ptr<Block>> blocks_;
};

// The registry every host of the process shares.
HandleRegistry& handleRegistry();

}  // namespace kestrow::host
