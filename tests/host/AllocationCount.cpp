#include "AllocationCount.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace {

std::atomic<long long> g_live{0};

// Each block carries its size in a header that keeps the block aligned as
// malloc's.
constexpr std::size_t kHeader = alignof(std::max_align_t);

void* counted(std::size_t size) noexcept {
  auto* block = static_cast<unsigned char*>(std::malloc(kHeader + size));
  if (block == nullptr) return nullptr;
  *reinterpret_cast<std::size_t*>(block) = size;
  g_live.fetch_add(static_cast<long long>(size), std::memory_order_relaxed);
  return block + kHeader;
}

void release(void* p) noexcept {
  if (p == nullptr) return;
  unsigned char* block = static_cast<unsigned char*>(p) - kHeader;
  g_live.fetch_sub(static_cast<long long>(*reinterpret_cast<std::size_t*>(block)),
                   std::memory_order_relaxed);
  std::free(block);
}

}  // namespace

// The array and sized forms reach these through their standard definitions;
// the nothrow forms are replaced too, so that every block goes through the
// header. (The aligned forms keep their own pairs and are not counted.)
void* operator new(std::size_t size) {
  if (void* p = counted(size)) return p;
  throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return counted(size); }
void operator delete(void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { release(p); }

namespace kestrow::host {

long long liveAllocatedBytes() { return g_live.load(std::memory_order_relaxed); }

}  // namespace kestrow::host
