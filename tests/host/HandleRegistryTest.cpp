#include "HandleRegistry.h"

#include <gtest/gtest.h>

#include <cstring>

namespace kestrow::host {
namespace {

const int kOwnerA = 0, kOwnerB = 0;

TEST(HandleRegistryTest, NewHandleHoldsItsSizeInFilledBytes) {
  HandleRegistry registry;
  for (std::size_t size : {std::size_t(0), std::size_t(1), std::size_t(8), std::size_t(9688)}) {
    PF_Handle handle = registry.allocate(size, &kOwnerA);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(registry.size(handle), size);
    const auto* bytes = static_cast<const std::uint8_t*>(*handle);
    for (std::size_t i = 0; i < size; ++i) {
      ASSERT_EQ(bytes[i], HandleRegistry::kFillByte) << "byte " << i << " of " << size;
    }
  }
  EXPECT_EQ(registry.count(&kOwnerA), 4u);
}

TEST(HandleRegistryTest, LocksAreCountedAndUnknownOrDisposedHandlesRefused) {
  HandleRegistry registry;
  PF_Handle handle = registry.allocate(16, &kOwnerA);
  EXPECT_EQ(registry.lock(handle), *handle);
  EXPECT_NE(registry.lock(handle), nullptr);
  EXPECT_EQ(registry.lockCount(handle), 2);
  EXPECT_TRUE(registry.unlock(handle));
  EXPECT_TRUE(registry.unlock(handle));
  EXPECT_FALSE(registry.unlock(handle));
  EXPECT_EQ(registry.lockCount(handle), 0);

  void* foreign[1] = {nullptr};
  EXPECT_FALSE(registry.contains(foreign));
  EXPECT_EQ(registry.lock(foreign), nullptr);
  EXPECT_FALSE(registry.dispose(foreign));
  EXPECT_FALSE(registry.dispose(nullptr));
  EXPECT_TRUE(registry.dispose(handle));
  EXPECT_FALSE(registry.dispose(handle));
  EXPECT_FALSE(registry.contains(handle));
  EXPECT_EQ(registry.size(handle), std::nullopt);
  EXPECT_FALSE(registry.resize(handle, 8));
}

TEST(HandleRegistryTest, ResizeKeepsTheContentsUpToTheSmallerSize) {
  HandleRegistry registry;
  PF_Handle handle = registry.allocate(4, &kOwnerA);
  std::memcpy(*handle, "abcd", 4);
  ASSERT_TRUE(registry.resize(handle, 6));
  EXPECT_EQ(std::memcmp(*handle, "abcd", 4), 0);
  EXPECT_EQ(static_cast<std::uint8_t*>(*handle)[5], HandleRegistry::kFillByte);
  ASSERT_TRUE(registry.resize(handle, 2));
  EXPECT_EQ(registry.size(handle), 2u);
  EXPECT_EQ(std::memcmp(*handle, "ab", 2), 0);
}

TEST(HandleRegistryTest, OwnersAreAccountedApart) {
  HandleRegistry registry;
  registry.allocate(1, &kOwnerA);
  registry.allocate(1, &kOwnerA);
  PF_Handle b = registry.allocate(1, &kOwnerB);
  EXPECT_EQ(registry.count(&kOwnerA), 2u);
  EXPECT_EQ(registry.count(&kOwnerB), 1u);
  EXPECT_EQ(registry.disposeAll(&kOwnerA), 2u);
  EXPECT_EQ(registry.count(&kOwnerA), 0u);
  EXPECT_TRUE(registry.contains(b));
}

}  // namespace
}  // namespace kestrow::host
