#include "kestrow/host/World.h"

#include <gtest/gtest.h>

#include <cstring>

#include "kestrow/host/TestHooks.h"

namespace kestrow::host {
namespace {

struct Shape {
  int width, height;
  PixelDepth depth;
  std::size_t padding;
  std::size_t rowBytes;  // expected
  RowOrder order = RowOrder::kTopDown;
};

class WorldShapeTest : public testing::TestWithParam<Shape> {};

TEST_P(WorldShapeTest, RowBytesCoverWidthPlusPaddingAlignedForThePixel) {
  const Shape& s = GetParam();
  World world(s.width, s.height, s.depth, s.padding, s.order);
  ASSERT_TRUE(world.valid());
  EXPECT_EQ(world.rowBytes(), s.rowBytes);
  const PF_LayerDef& def = world.def();
  EXPECT_EQ(def.width, s.width);
  EXPECT_EQ(def.height, s.height);
  // Bottom-up rows run upwards from data: rowbytes is negative.
  const std::ptrdiff_t step =
      std::ptrdiff_t(s.rowBytes) * (s.order == RowOrder::kBottomUp ? -1 : 1);
  EXPECT_EQ(def.rowbytes, step);
  EXPECT_EQ(def.data, world.row(0));
  EXPECT_NE(def.reserved0, nullptr);
  EXPECT_EQ(World::fromDef(&def), &world);
  for (int y = 1; y < s.height; ++y) {
    EXPECT_EQ(static_cast<std::uint8_t*>(world.row(y)) - static_cast<std::uint8_t*>(world.row(0)),
              std::ptrdiff_t(y) * step);
  }
  // Writes within the rows keep the padding intact; one byte past the
  // first row is seen.
  const std::size_t pixels = std::size_t(s.width) * pixelSize(s.depth);
  std::memset(world.row(s.height - 1), 0x11, pixels);
  EXPECT_TRUE(hooks::paddingIntact(world));
  if (s.rowBytes > pixels) {
    static_cast<std::uint8_t*>(world.row(0))[pixels] ^= 0xFF;
    EXPECT_FALSE(hooks::paddingIntact(world));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, WorldShapeTest,
    testing::Values(Shape{5, 3, PixelDepth::kFloat32, 0, 80},
                    Shape{5, 3, PixelDepth::kFloat32, 16, 96},
                    Shape{5, 3, PixelDepth::kFloat32, 3, 84}, Shape{7, 2, PixelDepth::kU16, 1, 58},
                    Shape{7, 2, PixelDepth::kU8, 5, 33}, Shape{1, 1, PixelDepth::kU8, 0, 4},
                    Shape{5, 3, PixelDepth::kFloat32, 16, 96, RowOrder::kBottomUp},
                    Shape{7, 2, PixelDepth::kU8, 0, 28, RowOrder::kBottomUp}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST(WorldTest, PixelAccessChecksDepthAndBounds) {
  World world(3, 2, PixelDepth::kU16);
  EXPECT_NE(world.pixel16(2, 1), nullptr);
  EXPECT_EQ(world.pixel16(3, 1), nullptr);
  EXPECT_EQ(world.pixel16(0, 2), nullptr);
  EXPECT_EQ(world.pixel16(-1, 0), nullptr);
  EXPECT_EQ(world.pixelFloat(0, 0), nullptr);
  EXPECT_EQ(world.pixel8(0, 0), nullptr);
  world.pixel16(2, 1)->green = 7;
  EXPECT_EQ(static_cast<PF_Pixel16*>(world.row(1))[2].green, 7);
}

TEST(WorldTest, UnusableSizesGiveAnEmptyInvalidWorld) {
  for (const auto& [w, h] :
       {std::pair{-1, 2}, std::pair{2, -1}, std::pair{1 << 30, 1}, std::pair{1 << 20, 1 << 20}}) {
    World world(w, h, PixelDepth::kFloat32);
    EXPECT_FALSE(world.valid()) << w << " x " << h;
    EXPECT_EQ(world.width(), 0);
    EXPECT_EQ(world.def().data, nullptr);
  }
}

TEST(WorldTest, FromDefKnowsOnlyLiveHostWorlds) {
  const PF_LayerDef empty = World::emptyLayerDef();
  EXPECT_EQ(empty.data, nullptr);
  EXPECT_EQ(empty.reserved0, nullptr);
  EXPECT_EQ(World::fromDef(&empty), nullptr);
  EXPECT_EQ(World::fromDef(nullptr), nullptr);

  PF_LayerDef copy;
  {
    World world(2, 2, PixelDepth::kU8);
    copy = world.def();
    EXPECT_EQ(World::fromDef(&copy), &world);
    World moved(std::move(world));
    EXPECT_EQ(World::fromDef(&copy), &moved);
  }
  EXPECT_EQ(World::fromDef(&copy), nullptr);
}

TEST(WorldTest, FormatsAndSizesFollowTheDepth) {
  EXPECT_EQ(pixelFormat(PixelDepth::kFloat32), PF_PixelFormat_ARGB128);
  EXPECT_EQ(pixelFormat(PixelDepth::kU16), PF_PixelFormat_ARGB64);
  EXPECT_EQ(pixelFormat(PixelDepth::kU8), PF_PixelFormat_ARGB32);
  EXPECT_EQ(pixelSize(PixelDepth::kFloat32), 16u);
  EXPECT_EQ(bitsPerChannel(PixelDepth::kU16), 16);
}

}  // namespace
}  // namespace kestrow::host
