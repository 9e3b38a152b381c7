// The row kernels of every instruction set this machine runs against the
// plain reference evaluation, bit for bit, over random settings and rows
// rich in special values: not-a-number payloads, infinities, -0.0,
// transparent alpha, huge and subnormal numbers, points on the edges; rows
// of every length against the lane count, starting at any pixel.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "LaneProbes.h"
#include "MatteTestSupport.h"
#include "matte/MatteReference.h"
#include "matte/PlannedRows.h"
#include "matte/RowPlan.h"
#include "matte/SimdPath.h"

namespace kestrow::matte::test {
namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

class Draw {
 public:
  explicit Draw(unsigned seed) : rng_(seed) {}

  double uniform(double lo, double hi) { return std::uniform_real_distribution<>(lo, hi)(rng_); }
  int pick(int n) { return std::uniform_int_distribution<>(0, n - 1)(rng_); }
  bool chance(double p) { return uniform(0, 1) < p; }

  // Mostly ordinary values, sometimes one of the special ones, sometimes
  // one of the given edges (a centre plus or minus a radius or extent).
  float channel(float lo, float hi, const std::vector<float>& edges = {}) {
    static const float kSpecial[] = {kNaN,
                                     -kNaN,
                                     kInf,
                                     -kInf,
                                     -0.0f,
                                     0.0f,
                                     1e30f,
                                     -1e30f,
                                     1e-40f,
                                     -1e-40f,
                                     FLT_MAX,
                                     0.5f,
                                     1.0f,
                                     -1.0f,
                                     0.25f,
                                     2.5f,
                                     std::bit_cast<float>(0x7fa00001u),
                                     std::bit_cast<float>(0xffc12345u)};
    if (chance(0.2)) {
      return kSpecial[pick(std::size(kSpecial))];
    }
    if (!edges.empty() && chance(0.1)) {
      return edges[pick(static_cast<int>(edges.size()))];
    }
    return static_cast<float>(uniform(lo, hi));
  }
  float alpha() {
    static const float kAlpha[] = {1.0f, 0.0f, -0.0f, 0.5f,
                                   kNaN, kInf, -1.0f, std::bit_cast<float>(0x7fa00001u)};
    return chance(0.5) ? kAlpha[pick(std::size(kAlpha))] : static_cast<float>(uniform(0, 1));
  }
  // A setting: usually in its range, sometimes zero, rarely non-finite.
  double setting(double lo, double hi) {
    if (chance(0.1)) return 0.0;
    if (chance(0.03)) return chance(0.5) ? double{kNaN} : double{-kInf};
    return uniform(lo, hi);
  }
  double angle() {
    static constexpr double kDegrees[] = {0, 90, -90, 45, 180, 720, 1e-3};
    const double degrees = chance(0.5) ? kDegrees[pick(std::size(kDegrees))] : uniform(-360, 360);
    return std::round(degrees * 65536.0);  // a 16.16 value
  }

 private:
  std::mt19937 rng_;
};

int gHostReference;

// Random settings; the layer is a small padded picture in `memory`, or one
// of the degenerate layer states.
MatteSettings drawSettings(Draw& d, int32_t mode, std::vector<PF_PixelFloat>& memory) {
  MatteSettings s{};
  s.mode = mode;
  const A_long width = 1 + d.pick(40), height = 1 + d.pick(30), stride = width + d.pick(3);
  memory.resize(static_cast<std::size_t>(stride) * height);
  for (PF_PixelFloat& px : memory) {
    px = pixel(d.alpha(), d.channel(-2, 2), d.channel(-2, 2), d.channel(-2, 2));
  }
  s.layer.reserved0 = &gHostReference;
  s.layer.data = reinterpret_cast<PF_PixelPtr>(memory.data());
  s.layer.rowbytes = stride * 16;
  s.layer.width = width;
  s.layer.height = height;
  switch (d.pick(6)) {
    case 0:
      s.layer.data = nullptr;  // no layer chosen
      break;
    case 1:
      s.layer.reserved0 = nullptr;
      break;
    case 2:
      s.layer.rowbytes = width * 16 - 16;  // rows too short: never read
      break;
  }
  s.tile = d.chance(0.5);
  s.offsetU = d.setting(-1, 1);
  s.offsetV = d.setting(-1, 1);
  s.position = {d.setting(-2, 2), d.setting(-2, 2), d.setting(-2, 2)};
  s.rotateOrder = d.pick(9) - 1;
  s.angleX = d.angle();
  s.angleY = d.angle();
  s.angleZ = d.angle();
  s.axis = d.pick(5);
  s.radius = d.setting(0.2, 3);
  s.sizeX = d.setting(0, 2);
  s.sizeY = d.setting(0, 2);
  s.sizeZ = d.setting(0, 2);
  s.scaleX = d.setting(-1, 3);
  s.scaleY = d.setting(-1, 3);
  s.scaleZ = d.setting(-1, 3);
  s.invert = d.chance(0.5);
  s.alphaMatte = d.chance(0.5);
  s.frequency = d.setting(-3, 8);
  s.offset = d.setting(-1, 1);
  s.feather = d.chance(0.3) ? 0.0 : d.setting(0, 1);
  s.thickness = d.setting(0, 1);
  return s;
}

// World coordinates on the edges of the drawn shape: the centre plus or
// minus the radius, the feathered radius and each extent.
std::vector<float> edgesOf(const MatteSettings& s) {
  std::vector<float> edges;
  const double centres[] = {s.position.x, s.position.y, s.position.z};
  const double offsets[] = {s.radius,           s.radius + s.feather / 2, s.radius - s.feather / 2,
                            s.radius * s.sizeX, s.radius * s.sizeY,       s.radius * s.sizeZ};
  for (double centre : centres) {
    for (double offset : offsets) {
      edges.push_back(static_cast<float>(centre + offset));
      edges.push_back(static_cast<float>(centre - offset));
    }
  }
  return edges;
}

class ReferenceAgreementTest : public ::testing::TestWithParam<std::tuple<int32_t, SimdPath>> {};

TEST_P(ReferenceAgreementTest, RandomSettingsAndSpecialPixels) {
  const auto [mode, path] = GetParam();
  if (!simdPathAvailable(path)) {
    GTEST_SKIP() << simdPathName(path) << " is not supported by this CPU";
  }
  constexpr int kDraws = 400;
  constexpr int kLongestRow = 300;  // past a run of blocks of every lane count
  Draw d(0x6b657374u + static_cast<unsigned>(mode));
  std::vector<PF_PixelFloat> in(kLongestRow + 3), fast(kLongestRow + 3), plain(kLongestRow);
  for (int draw = 0; draw < kDraws; ++draw) {
    std::vector<PF_PixelFloat> picture;
    const MatteSettings s = drawSettings(d, mode, picture);
    PF_InData inData{};
    inData.downsample_x = {1, static_cast<A_u_long>(d.pick(5))};
    inData.downsample_y = {1, static_cast<A_u_long>(d.pick(5))};
    // Any length, mostly short ones, from any pixel of the buffer (rows
    // need not be aligned to the vector width), sometimes in place.
    const int length = 1 + d.pick(d.chance(0.1) ? kLongestRow : 70);
    const bool inPlace = d.chance(0.2);
    const int start = d.pick(4);
    const std::vector<float> edges = edgesOf(s);
    for (int i = 0; i < length; ++i) {
      in[start + i] = pixel(d.alpha(), d.channel(-4, 4, edges), d.channel(-4, 4, edges),
                            d.channel(-4, 4, edges));
    }
    PF_LayerDef output{};
    output.width = length;
    MatteRowContext context{&s, &inData, &output};
    ASSERT_EQ(PF_Err_NONE, InvertPixelFloatReference(&context, 0, 0, &in[start], plain.data()));
    PlannedRows rows = planRows(s, inData, length, path);
    if (inPlace) {
      std::copy(in.begin() + start, in.begin() + start + length, fast.begin() + start);
    }
    ASSERT_EQ(PF_Err_NONE,
              InvertPixelFloat(&rows, 0, 0, inPlace ? &fast[start] : &in[start], &fast[start]));
    const std::vector<PF_PixelFloat> got(fast.begin() + start, fast.begin() + start + length);
    plain.resize(length);
    ASSERT_TRUE(sameRow(plain, got))
        << "draw " << draw << ": order " << s.rotateOrder << ", axis " << s.axis << ", tile "
        << int{s.tile} << ", invert " << int{s.invert} << ", alpha matte " << int{s.alphaMatte}
        << ", feather " << s.feather << ", length " << length << (inPlace ? ", in place" : "");
    plain.resize(kLongestRow);
  }
}

INSTANTIATE_TEST_SUITE_P(
    ModesAndPaths, ReferenceAgreementTest,
    ::testing::Combine(::testing::Values(-1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11),
                       ::testing::ValuesIn(kSimdPaths)),
    [](const auto& info) {
      const int32_t mode = std::get<0>(info.param);
      return "mode" + (mode < 0 ? "Minus" + std::to_string(-mode) : std::to_string(mode)) + "_" +
             simdPathName(std::get<1>(info.param));
    });

// The reference row against every path this machine runs.
void expectEveryPathAgrees(const MatteSettings& s, std::vector<PF_PixelFloat> row,
                           const std::string& label) {
  PF_InData inData{};
  inData.downsample_x = inData.downsample_y = {1, 1};
  PF_LayerDef output{};
  output.width = static_cast<A_long>(row.size());
  MatteRowContext context{&s, &inData, &output};
  std::vector<PF_PixelFloat> plain(row.size()), fast(row.size());
  ASSERT_EQ(PF_Err_NONE, InvertPixelFloatReference(&context, 0, 0, row.data(), plain.data()));
  for (SimdPath path : kSimdPaths) {
    if (!simdPathAvailable(path)) continue;
    PlannedRows rows = planRows(s, inData, output.width, path);
    ASSERT_EQ(PF_Err_NONE, InvertPixelFloat(&rows, 0, 0, row.data(), fast.data()));
    EXPECT_TRUE(sameRow(plain, fast)) << simdPathName(path) << ", " << label;
  }
}

// 64 floats: 32 steps below v and 31 above.
std::vector<float> around(double v) {
  float x = static_cast<float>(v);
  for (int k = 0; k < 32; ++k) x = std::nextafter(x, -kInf);
  std::vector<float> steps;
  for (int k = 0; k < 64; ++k, x = std::nextafter(x, kInf)) steps.push_back(x);
  return steps;
}

// Circle and Ring take whole blocks beyond their soft edges as constants,
// Square and Box blocks past an axis's outer edge as 0: rows of points a
// few float steps either side of every edge, so that blocks wholly inside
// such a range meet lanes right at its end.
TEST(ReferenceAgreementEdgeTest, ShapesOnEveryEdge) {
  struct Shape {
    Mode mode;
    double radius, thickness, feather, scaleX;
  };
  const Shape shapes[] = {
      {Mode::Circle, 2.5, 0, 0.5, 1}, {Mode::Circle, 2.5, 0, 0, 1},
      {Mode::Circle, 1e-3, 0, 2, 1},  {Mode::Circle, 1.7, 0, 0.3, 0.5},
      {Mode::Ring, 2.5, 1, 0.5, 1},   {Mode::Ring, 2.5, 0, 0, 1},
      {Mode::Ring, 0.3, 1, 0.2, 0.5}, {Mode::Ring, 2.5, 0.4, 0, 3},
      {Mode::Square, 2.5, 0, 0.5, 1}, {Mode::Square, 1.5, 0, 0, 0.5},
      {Mode::Box, 1, 0.2, 0.1, 1},    {Mode::Box, 2.5, 0.4, 0, 3},
  };
  for (const Shape& shape : shapes) {
    MatteSettings s = plainSettings(popupValue(shape.mode));
    s.radius = shape.radius;
    s.thickness = shape.thickness;
    s.feather = shape.feather;
    s.scaleX = shape.scaleX;
    const double weight = shape.scaleX > 1 ? shape.scaleX * shape.scaleX : shape.scaleX;
    std::vector<PF_PixelFloat> row;
    for (int a = -1; a <= 1; ++a) {
      for (int b = -1; b <= 1; ++b) {
        const double edge = s.radius + a * s.thickness / 2 + b * s.feather / 2;
        for (float x : around(edge / std::sqrt(weight))) row.push_back(pixel(1, x, 0, 0));
      }
    }
    expectEveryPathAgrees(
        s, row, "mode " + std::to_string(s.mode) + ", radius " + std::to_string(s.radius));
  }
}

// Grid takes lanes whose distance from the middle of their cell is clearly
// past the lines' ramp as 0 or 1 from a float estimate: points a few float
// steps either side of both ends of the ramp, in cells near 0 and up to and
// past 2^21 cells out, where the estimate stops being tried. The other two
// axes sit where their factor is 1, 0 or on the ramp, or follow x.
TEST(ReferenceAgreementEdgeTest, GridLinesOnEveryEdge) {
  struct Lines {
    double radius, size, thickness, feather, scale;
  };
  const Lines lines[] = {
      {1, 1, 0.2, 0.1, 1},
      {0.37, 0.8, 0.05, 0.3, 2.2},
      {2.5, 1, 0.4, 1e-6, 0.7},
      {1e-3, 1, 0, 1e-4, 1},
  };
  const double cells[] = {0, 1, 7, 1000, 0x1p20, 0x1p21 - 1, 0x1p21, 0x1p21 + 1, 0x1p30};
  for (const Lines& l : lines) {
    MatteSettings s = plainSettings(popupValue(Mode::Grid));
    s.radius = l.radius;
    s.sizeX = s.sizeY = s.sizeZ = l.size;
    s.thickness = l.thickness;
    s.feather = l.feather;
    s.scaleX = s.scaleY = s.scaleZ = l.scale;
    const double weight = l.scale > 1 ? l.scale * l.scale : l.scale;
    const double extent = l.radius * l.size, size = std::fabs(static_cast<float>(extent));
    const double ramp[] = {l.thickness / 4, (l.thickness / 2 + l.feather / 2) / 2};
    const float partners[] = {0, static_cast<float>(extent / 2 / weight),
                              static_cast<float>((extent / 2 + ramp[0] + l.feather / 8) / weight)};
    std::vector<PF_PixelFloat> row;
    for (double cell : cells) {
      for (double end : ramp) {
        for (int side : {-1, 1}) {
          const std::vector<float> xs = around((cell * size + extent / 2 + side * end) / weight);
          for (float partner : partners) {
            for (float x : xs) row.push_back(pixel(1, x, partner, -partner));
          }
          for (float x : xs) row.push_back(pixel(1, x, -x, x));
        }
      }
    }
    expectEveryPathAgrees(s, row, "grid of radius " + std::to_string(l.radius));
  }
}

// A tiled picture wraps each coordinate into it: points a few float steps
// either side of whole multiples of its size (near 0 and far out, either
// sign) and just below 0, where the wrapped value can round to the size
// itself and so fall outside; on pictures whose half size rounds down and
// with offsets that a third of a cell cannot hold exactly.
TEST(ReferenceAgreementEdgeTest, TiledPictureAtWholeMultiples) {
  struct Picture {
    A_long width, height;
  };
  for (const Picture size : {Picture{1, 1}, Picture{3, 2}, Picture{4, 4}}) {
    std::vector<PF_PixelFloat> picture(static_cast<std::size_t>(size.width) * size.height);
    for (std::size_t i = 0; i < picture.size(); ++i) {
      picture[i] = pixel(1, static_cast<float>(i), static_cast<float>(i) / 8, 0.5f);
    }
    MatteSettings s = plainSettings(popupValue(Mode::Layer));
    s.axis = popupValue(Plane::XY);
    s.tile = 1;
    s.radius = 1;
    s.sizeZ = 4;
    s.layer.reserved0 = &gHostReference;
    s.layer.data = reinterpret_cast<PF_PixelPtr>(picture.data());
    s.layer.rowbytes = size.width * static_cast<A_long>(sizeof(PF_PixelFloat));
    s.layer.width = size.width;
    s.layer.height = size.height;
    std::vector<PF_PixelFloat> row;
    const float tiny[] = {-0x1p-60f, -1e-30f, -std::numeric_limits<float>::denorm_min(), -0.0f};
    for (double whole : {0.0, 1.0, -1.0, 2.0, -3.0, 1e6, -1e6, 0x1p40, -0x1p40}) {
      for (float x : around(whole)) {
        row.push_back(pixel(1, x, 0.3f, 0));
        row.push_back(pixel(1, 0.3f, x, 0));
        row.push_back(pixel(1, x, -x, 0));
      }
    }
    for (float x : tiny) {
      row.push_back(pixel(1, x, tiny[0], 0));
      row.push_back(pixel(1, 0.3f, x, 0));
    }
    for (double offset : {0.0, -1.0 / 3.0}) {
      s.offsetU = s.offsetV = offset;
      expectEveryPathAgrees(s, row,
                            "picture " + std::to_string(size.width) + " x " +
                                std::to_string(size.height) + ", offset " + std::to_string(offset));
    }
  }
}

// Each path's arithmetic keeps both roundings of a * b + c: with
// a * b = 1 - 2^-60, rounded to 1, the sum is 0, where a fused multiply-add
// gives -2^-60.
TEST(LaneArithmeticTest, MultiplyAddIsNotFused) {
  constexpr double a = 1.0 + 0x1p-30, b = 1.0 - 0x1p-30, c = -1.0;
  ASSERT_NE(0.0, std::fma(a, b, c));
  for (SimdPath path : kSimdPaths) {
    if (!simdPathAvailable(path)) {
      continue;
    }
    const LaneProbes& set = laneProbesFor(path);
    std::vector<double> as(set.lanes, a), bs(set.lanes, b), cs(set.lanes, c), out(set.lanes, 1);
    set.multiplyAdd(as.data(), bs.data(), cs.data(), out.data());
    for (double v : out) {
      EXPECT_EQ(0.0, v) << simdPathName(path);
    }
  }
}

}  // namespace
}  // namespace kestrow::matte::test
