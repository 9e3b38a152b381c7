// Layer mode: sampling a 200 x 100 picture laid in a local plane, and the
// local coordinates shown as colour when there is no picture.
#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <vector>

#include "MatteTestSupport.h"

namespace kestrow::matte::test {
namespace {

constexpr A_long kWidth = 200;
constexpr A_long kHeight = 100;
constexpr A_long kStride = kWidth + 3;  // padded rows
constexpr float kInf = std::numeric_limits<float>::infinity();

// Every pixel names itself: alpha 0.5, red = column, green = row, blue 7.
PF_PixelFloat sampleOf(A_long column, A_long row) {
  return pixel(0.5f, static_cast<float>(column), static_cast<float>(row), 7);
}

const PF_PixelFloat kTransparent = pixel(0, 0, 0, 0);

class LayerTest : public ::testing::Test {
 protected:
  LayerTest() : memory_(kStride * kHeight) {
    for (A_long r = 0; r < kHeight; ++r) {
      for (A_long c = 0; c < kWidth; ++c) memory_[r * kStride + c] = sampleOf(c, r);
    }
  }
  // "Layer" mode on the XY plane with the picture chosen.
  MatteSettings settings() {
    MatteSettings s = plainSettings(10);
    s.axis = 2;
    s.layer.reserved0 = this;  // any non-null host reference
    s.layer.data = reinterpret_cast<PF_PixelPtr>(memory_.data());
    s.layer.rowbytes = kStride * 16;
    s.layer.width = kWidth;
    s.layer.height = kHeight;
    return s;
  }

  std::vector<PF_PixelFloat> memory_;
};

struct LayerCase {
  void (*tweak)(MatteSettings&);  // applied to settings(); nullptr: none
  float x, y, z, alpha;
  PF_PixelFloat expected;
};

void tiled(MatteSettings& s) { s.tile = 1; }
void onXZ(MatteSettings& s) { s.axis = 1; }
void onYZ(MatteSettings& s) { s.axis = 3; }
void onUnknownAxis(MatteSettings& s) { s.axis = 0; }
void noLayer(MatteSettings& s) { s.layer = PF_LayerDef{}; }

TEST_F(LayerTest, Samples) {
  const LayerCase cases[] = {
      {nullptr, 0, 0, 0, 1, sampleOf(100, 50)},
      {nullptr, -0.5f, 0, 0, 1, sampleOf(0, 50)},
      {nullptr, 0.4975f, 0, 0, 1, sampleOf(199, 50)},
      {nullptr, 0.5f, 0, 0, 1, kTransparent},
      {nullptr, -0.51f, 0, 0, 1, kTransparent},
      {nullptr, 0, 0.25f, 0, 1, sampleOf(100, 0)},
      {nullptr, 0, -0.2475f, 0, 1, sampleOf(100, 99)},
      {nullptr, 0, -0.25f, 0, 1, kTransparent},
      {nullptr, 0, 0, 0.99f, 1, sampleOf(100, 50)},  // inside the slab
      {nullptr, 0, 0, -1, 1, kTransparent},          // on its face
      {nullptr, 0, 0, 0, 0, pixel(0.5f, 0, 0, 0)},   // transparent input keeps sample alpha
      {tiled, 0.5f, 0, 0, 1, sampleOf(0, 50)},
      {tiled, -0.75f, 0, 0, 1, sampleOf(150, 50)},
      {tiled, 10.25f, 0, 0, 1, sampleOf(150, 50)},
      {tiled, 0, 0.5f, 0, 1, sampleOf(100, 50)},
      {tiled, -1.5f, 0, 0, 1, kTransparent},  // a whole negative period lands on U = W
      {tiled, 0, 0, 2, 1, kTransparent},      // depth still fades
      {onXZ, 0.25f, 0, 0.1f, 1, sampleOf(150, 70)},
      {onXZ, 0, 1, 0, 1, kTransparent},
      {onYZ, 0, -0.1f, 0.25f, 1, sampleOf(150, 70)},
      {onYZ, -1, 0, 0, 1, kTransparent},
      {onUnknownAxis, 0.25f, 0, 0.1f, 1, sampleOf(150, 70)},
      {[](MatteSettings& s) {
         s.offsetU = 0.25;  // + 50 columns
         s.offsetV = 0.1;   // - 20 rows
       },
       0, 0, 0, 1, sampleOf(150, 30)},
      // The picture spans 2 world units; half-way through the depth fade,
      // every channel of the sample is halved.
      {[](MatteSettings& s) { s.radius = 2, s.feather = 0.5; }, 0.5f, 0, 0, 1, sampleOf(150, 50)},
      {[](MatteSettings& s) { s.radius = 2, s.feather = 0.5; }, 0, 0, -2, 1,
       pixel(0.25f, 50, 25, 3.5f)},
      // "Invert" flips colour only; "Alpha Matte" has no effect here.
      {[](MatteSettings& s) { s.invert = s.alphaMatte = 1; }, 0, 0, 0, 1,
       pixel(0.5f, -99, -49, -6)},
      // Settings of other modes are ignored.
      {[](MatteSettings& s) {
         s.scaleX = 3, s.scaleY = -2, s.thickness = 4, s.frequency = 9, s.offset = 0.3;
       },
       0.125f, 0.0625f, 0, 1, sampleOf(125, 37)},
      // No picture: local coordinates as colour, unless both the data and
      // the host reference are there.
      {noLayer, 1, 2, 3, 0.5f, pixel(0.5f, 1, 2, 3)},
      {[](MatteSettings& s) { s.layer.reserved0 = nullptr; }, 1, 2, 3, 0.5f, pixel(0.5f, 1, 2, 3)},
      {[](MatteSettings& s) { s.layer.data = nullptr; }, 1, 2, 3, 0.5f, pixel(0.5f, 1, 2, 3)},
      {[](MatteSettings& s) { noLayer(s), s.invert = 1; }, 1, 2, 3, 0.5f, pixel(0.5f, 0, -1, -2)},
      // Without rotation (which would spread inf * 0 = NaN to every axis)
      // only the infinite coordinate is cleared.
      {[](MatteSettings& s) { noLayer(s), s.rotateOrder = 0; }, 1, kInf, 3, 0.5f,
       pixel(0, 1, 0, 3)},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const LayerCase& c = cases[i];
    MatteSettings s = settings();
    if (c.tweak != nullptr) c.tweak(s);
    EXPECT_TRUE(samePixel(c.expected, RowRunner(s).at(c.x, c.y, c.z, c.alpha))) << "case " << i;
  }
}

TEST_F(LayerTest, NonFiniteSampleIsCleared) {
  memory_[50 * kStride + 100].green = kInf;
  memory_[50 * kStride + 101].blue = std::numeric_limits<float>::quiet_NaN();
  const RowRunner runner(settings());
  EXPECT_TRUE(samePixel(pixel(0, 100, 0, 7), runner.at(0, 0, 0)));
  EXPECT_TRUE(samePixel(pixel(0, 101, 50, 0), runner.at(0.0075f, 0, 0)));
}

// Pictures whose memory cannot hold float rows of their size (in either
// direction) are never read. The one pixel behind `data` makes any read past it visible to the
// address sanitizer.
TEST_F(LayerTest, UnsafePictureSamplesAsTransparent) {
  struct Shape {
    A_long rowbytes, width, height;
  };
  const Shape shapes[] = {{16, 200, 100},    {-16, 200, 100},   {3200, 0, 100},     {3200, 200, 0},
                          {3200, -200, 100}, {3200, 200, -100}, {16, 0x10000001, 1}};
  auto one = std::make_unique<PF_PixelFloat>(pixel(1, 1, 1, 1));
  for (const Shape& shape : shapes) {
    for (PF_Boolean tile : {0, 1}) {
      MatteSettings s = settings();
      s.layer.data = reinterpret_cast<PF_PixelPtr>(one.get());
      s.layer.rowbytes = shape.rowbytes;
      s.layer.width = shape.width;
      s.layer.height = shape.height;
      s.tile = tile;
      const std::vector<PF_PixelFloat> got = RowRunner(s).run(
          {pixel(1, 0, 0, 0), pixel(1, 0.3f, -0.2f, 0), pixel(1, -0.49f, 0.2f, 0.5f)});
      EXPECT_TRUE(sameRow(std::vector<PF_PixelFloat>(3, kTransparent), got))
          << "rowbytes " << shape.rowbytes << ", " << shape.width << " x " << shape.height
          << ", tile " << int{tile};
    }
  }
}

}  // namespace
}  // namespace kestrow::matte::test
