// The specialised row loops against the plain reference evaluation, bit for
// bit, over random settings and rows rich in special values: not-a-number,
// infinities, -0.0, transparent alpha, huge and subnormal numbers.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "MatteTestSupport.h"
#include "matte/MatteReference.h"

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

  // Mostly ordinary values, sometimes one of the special ones.
  float channel(float lo, float hi) {
    static constexpr float kSpecial[] = {kNaN,  -kNaN,  kInf,   -kInf,   -0.0f,   0.0f,
                                         1e30f, -1e30f, 1e-40f, -1e-40f, FLT_MAX, 0.5f,
                                         1.0f,  -1.0f,  0.25f,  2.5f};
    if (chance(0.25)) {
      return kSpecial[pick(std::size(kSpecial))];
    }
    return static_cast<float>(uniform(lo, hi));
  }
  float alpha() {
    static constexpr float kAlpha[] = {1.0f, 0.0f, -0.0f, 0.5f, kNaN, kInf, -1.0f};
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

class ReferenceAgreementTest : public ::testing::TestWithParam<int32_t> {};

TEST_P(ReferenceAgreementTest, RandomSettingsAndSpecialPixels) {
  constexpr int kDraws = 300;
  constexpr int kRow = 48;
  Draw d(0x6b657374u + static_cast<unsigned>(GetParam()));
  for (int draw = 0; draw < kDraws; ++draw) {
    std::vector<PF_PixelFloat> picture;
    const MatteSettings s = drawSettings(d, GetParam(), picture);
    PF_InData inData{};
    inData.downsample_x = {1, static_cast<A_u_long>(d.pick(5))};
    inData.downsample_y = {1, static_cast<A_u_long>(d.pick(5))};
    std::vector<PF_PixelFloat> in(kRow);
    for (PF_PixelFloat& px : in) {
      px = pixel(d.alpha(), d.channel(-4, 4), d.channel(-4, 4), d.channel(-4, 4));
    }
    PF_LayerDef output{};
    output.width = kRow;
    MatteRowContext context{&s, &inData, &output};
    auto* refcon = &context;
    std::vector<PF_PixelFloat> fast(kRow), plain(kRow);
    ASSERT_EQ(PF_Err_NONE, InvertPixelFloat(refcon, 0, 0, in.data(), fast.data()));
    ASSERT_EQ(PF_Err_NONE, InvertPixelFloatReference(refcon, 0, 0, in.data(), plain.data()));
    ASSERT_TRUE(sameRow(plain, fast))
        << "draw " << draw << ": order " << s.rotateOrder << ", axis " << s.axis << ", tile "
        << int{s.tile} << ", invert " << int{s.invert} << ", alpha matte " << int{s.alphaMatte}
        << ", feather " << s.feather;
  }
}

INSTANTIATE_TEST_SUITE_P(Modes, ReferenceAgreementTest,
                         ::testing::Values(-1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11));

}  // namespace
}  // namespace kestrow::matte::test
