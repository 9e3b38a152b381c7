// Layer mode: sampling a 200 x 100 picture laid in a local plane.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <ostream>
#include <vector>

#include "MatteTestSupport.h"

namespace kestrow::matte::test {
namespace {

constexpr A_long kWidth = 200;
constexpr A_long kHeight = 100;
constexpr A_long kStride = kWidth + 3;  // padded rows

// Every pixel names itself: alpha 0.5, red = column, green = row, blue 7.
class Picture {
 public:
  Picture() : memory_(kStride * kHeight) {
    for (A_long r = 0; r < kHeight; ++r) {
      for (A_long c = 0; c < kWidth; ++c) {
        memory_[r * kStride + c] = pixel(0.5f, static_cast<float>(c), static_cast<float>(r), 7);
      }
    }
  }
  PF_LayerDef world() {
    PF_LayerDef w{};
    w.reserved0 = this;  // any non-null host reference
    w.data = reinterpret_cast<PF_PixelPtr>(memory_.data());
    w.rowbytes = kStride * 16;
    w.width = kWidth;
    w.height = kHeight;
    return w;
  }
  PF_PixelFloat& at(A_long column, A_long row) { return memory_[row * kStride + column]; }

 private:
  std::vector<PF_PixelFloat> memory_;
};

PF_PixelFloat sampleOf(A_long column, A_long row) {
  return pixel(0.5f, static_cast<float>(column), static_cast<float>(row), 7);
}

const PF_PixelFloat kTransparent = pixel(0, 0, 0, 0);

MatteSettings layerSettings(PF_LayerDef world, int32_t axis) {
  MatteSettings s = plainSettings(10);
  s.layer = world;
  s.axis = axis;
  return s;
}

struct SampleCase {
  const char* label;
  int32_t axis;
  bool tile;
  float x, y, z;
  A_long column, row;  // -1: outside, transparent black
};

std::ostream& operator<<(std::ostream& os, const SampleCase& c) { return os << c.label; }

class LayerSampleTest : public ::testing::TestWithParam<SampleCase> {
 protected:
  Picture picture_;
};

TEST_P(LayerSampleTest, SamplesPixel) {
  const SampleCase& c = GetParam();
  MatteSettings s = layerSettings(picture_.world(), c.axis);
  s.tile = c.tile;
  const PF_PixelFloat expected = c.column < 0 ? kTransparent : sampleOf(c.column, c.row);
  EXPECT_TRUE(samePixel(expected, RowRunner(s).at(c.x, c.y, c.z)));
}

INSTANTIATE_TEST_SUITE_P(
    XY, LayerSampleTest,
    ::testing::Values(SampleCase{"centre", 2, false, 0, 0, 0, 100, 50},
                      SampleCase{"left edge", 2, false, -0.5f, 0, 0, 0, 50},
                      SampleCase{"right edge", 2, false, 0.4975f, 0, 0, 199, 50},
                      SampleCase{"past right", 2, false, 0.5f, 0, 0, -1, -1},
                      SampleCase{"past left", 2, false, -0.51f, 0, 0, -1, -1},
                      SampleCase{"top row", 2, false, 0, 0.25f, 0, 100, 0},
                      SampleCase{"bottom row", 2, false, 0, -0.2475f, 0, 100, 99},
                      SampleCase{"past bottom", 2, false, 0, -0.25f, 0, -1, -1},
                      SampleCase{"inside slab", 2, false, 0, 0, 0.99f, 100, 50},
                      SampleCase{"slab face", 2, false, 0, 0, -1, -1, -1}));

INSTANTIATE_TEST_SUITE_P(
    Tiled, LayerSampleTest,
    ::testing::Values(SampleCase{"wraps right", 2, true, 0.5f, 0, 0, 0, 50},
                      SampleCase{"wraps left", 2, true, -0.75f, 0, 0, 150, 50},
                      SampleCase{"wraps many times", 2, true, 10.25f, 0, 0, 150, 50},
                      SampleCase{"wraps rows", 2, true, 0, 0.5f, 0, 100, 50},
                      // A whole negative period lands on U = W: outside.
                      SampleCase{"negative seam", 2, true, -1.5f, 0, 0, -1, -1},
                      SampleCase{"depth still fades", 2, true, 0, 0, 2, -1, -1}));

INSTANTIATE_TEST_SUITE_P(Planes, LayerSampleTest,
                         ::testing::Values(SampleCase{"XZ", 1, false, 0.25f, 0, 0.1f, 150, 70},
                                           SampleCase{"XZ depth is y", 1, false, 0, 1, 0, -1, -1},
                                           SampleCase{"YZ", 3, false, 0, -0.1f, 0.25f, 150, 70},
                                           SampleCase{"YZ depth is x", 3, false, -1, 0, 0, -1, -1},
                                           SampleCase{"unknown axis is XZ", 0, false, 0.25f, 0,
                                                      0.1f, 150, 70}));

TEST(LayerModeTest, OffsetsShiftThePicture) {
  Picture picture;
  MatteSettings s = layerSettings(picture.world(), 2);
  s.offsetU = 0.25;  // + 50 columns
  s.offsetV = 0.1;   // - 20 rows
  EXPECT_TRUE(samePixel(sampleOf(150, 30), RowRunner(s).at(0, 0, 0)));
}

TEST(LayerModeTest, ExtentsAndSoftDepthFade) {
  Picture picture;
  MatteSettings s = layerSettings(picture.world(), 2);
  s.radius = 2;  // the picture spans 2 world units
  s.feather = 0.5;
  const RowRunner runner(s);
  EXPECT_TRUE(samePixel(sampleOf(150, 50), runner.at(0.5f, 0, 0)));
  // Half-way through the fade, every channel of the sample is halved.
  EXPECT_TRUE(samePixel(pixel(0.25f, 50, 25, 3.5f), runner.at(0, 0, -2)));
}

TEST(LayerModeTest, TransparentInputKeepsSampleAlpha) {
  Picture picture;
  const MatteSettings s = layerSettings(picture.world(), 2);
  EXPECT_TRUE(samePixel(pixel(0.5f, 0, 0, 0), RowRunner(s).at(0, 0, 0, 0)));
}

TEST(LayerModeTest, InvertFlipsColourOnly) {
  Picture picture;
  MatteSettings s = layerSettings(picture.world(), 2);
  s.invert = 1;
  s.alphaMatte = 1;  // no effect in this mode
  EXPECT_TRUE(samePixel(pixel(0.5f, -99, -49, -6), RowRunner(s).at(0, 0, 0)));
}

TEST(LayerModeTest, NonFiniteSampleIsCleared) {
  Picture picture;
  picture.at(100, 50).green = std::numeric_limits<float>::infinity();
  picture.at(101, 50).blue = std::numeric_limits<float>::quiet_NaN();
  const MatteSettings s = layerSettings(picture.world(), 2);
  const RowRunner runner(s);
  EXPECT_TRUE(samePixel(pixel(0, 100, 0, 7), runner.at(0, 0, 0)));
  EXPECT_TRUE(samePixel(pixel(0, 101, 50, 0), runner.at(0.0075f, 0, 0)));
}

TEST(LayerModeTest, SettingsOfOtherModesAreIgnored) {
  Picture picture;
  MatteSettings s = layerSettings(picture.world(), 2);
  const std::vector<PF_PixelFloat> row = {pixel(1, 0.1f, 0.2f, 0.3f), pixel(1, -0.3f, 0.1f, 0)};
  const std::vector<PF_PixelFloat> plain = RowRunner(s).run(row);
  s.scaleX = 3;
  s.scaleY = -2;
  s.thickness = 4;
  s.frequency = 9;
  s.offset = 0.3;
  EXPECT_TRUE(sameRow(plain, RowRunner(s).run(row)));
}

struct CoordinateCase {
  const char* label;
  void* reserved0;
  bool hasData;
  bool invert;
  PF_PixelFloat expected;  // for local (1, 2, 3), input alpha 0.5
};

std::ostream& operator<<(std::ostream& os, const CoordinateCase& c) { return os << c.label; }

class NoPictureTest : public ::testing::TestWithParam<CoordinateCase> {};

TEST_P(NoPictureTest, ShowsLocalCoordinates) {
  const CoordinateCase& c = GetParam();
  PF_PixelFloat one{};
  MatteSettings s = plainSettings(10);
  s.layer.reserved0 = c.reserved0;
  s.layer.data = c.hasData ? reinterpret_cast<PF_PixelPtr>(&one) : nullptr;
  s.layer.width = s.layer.height = 1;
  s.layer.rowbytes = 16;
  s.invert = c.invert;
  EXPECT_TRUE(samePixel(c.expected, RowRunner(s).at(1, 2, 3, 0.5f)));
}

int gHostReference;

INSTANTIATE_TEST_SUITE_P(
    Presence, NoPictureTest,
    ::testing::Values(CoordinateCase{"no layer", nullptr, false, false, pixel(0.5f, 1, 2, 3)},
                      CoordinateCase{"inverted", nullptr, false, true, pixel(0.5f, 0, -1, -2)},
                      CoordinateCase{"data only", nullptr, true, false, pixel(0.5f, 1, 2, 3)},
                      CoordinateCase{"reference only", &gHostReference, false, false,
                                     pixel(0.5f, 1, 2, 3)}));

TEST(NoPictureTest, InfiniteCoordinateIsCleared) {
  const float inf = std::numeric_limits<float>::infinity();
  MatteSettings s = plainSettings(10);
  s.rotateOrder = 0;  // a rotation would spread inf * 0 = NaN to every axis
  EXPECT_TRUE(samePixel(pixel(0, 1, 0, 3), RowRunner(s).at(1, inf, 3, 0.5f)));
}

// Pictures whose memory cannot hold float rows of their size are never read.
// The one pixel behind `data` makes any read past it visible to the address
// sanitizer.
struct UnsafeCase {
  const char* label;
  A_long rowbytes, width, height;
};

std::ostream& operator<<(std::ostream& os, const UnsafeCase& c) { return os << c.label; }

class UnsafePictureTest : public ::testing::TestWithParam<UnsafeCase> {};

TEST_P(UnsafePictureTest, SamplesAsTransparent) {
  const UnsafeCase& c = GetParam();
  auto one = std::make_unique<PF_PixelFloat>(pixel(1, 1, 1, 1));
  PF_LayerDef world{};
  world.reserved0 = one.get();
  world.data = reinterpret_cast<PF_PixelPtr>(one.get());
  world.rowbytes = c.rowbytes;
  world.width = c.width;
  world.height = c.height;
  for (bool tile : {false, true}) {
    MatteSettings s = layerSettings(world, 2);
    s.tile = tile;
    const std::vector<PF_PixelFloat> got = RowRunner(s).run(
        {pixel(1, 0, 0, 0), pixel(1, 0.3f, -0.2f, 0), pixel(1, -0.49f, 0.2f, 0.5f)});
    EXPECT_TRUE(sameRow(std::vector<PF_PixelFloat>(3, kTransparent), got)) << "tile " << tile;
  }
}

INSTANTIATE_TEST_SUITE_P(Mend, UnsafePictureTest,
                         ::testing::Values(UnsafeCase{"rows shorter than width", 16, 200, 100},
                                           UnsafeCase{"negative rowbytes", -3200, 200, 100},
                                           UnsafeCase{"zero width", 3200, 0, 100},
                                           UnsafeCase{"zero height", 3200, 200, 0},
                                           UnsafeCase{"negative width", 3200, -200, 100},
                                           UnsafeCase{"negative height", 3200, 200, -100},
                                           UnsafeCase{"width times 16 overflows", 16, 0x10000001,
                                                      1}));

}  // namespace
}  // namespace kestrow::matte::test
