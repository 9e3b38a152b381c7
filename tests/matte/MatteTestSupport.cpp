#include "MatteTestSupport.h"

#include <bit>
#include <cmath>
#include <cstdio>
#include <string>

namespace kestrow::matte::test {

MatteSettings plainSettings(int32_t mode) {
  MatteSettings s{};
  s.mode = mode;
  s.rotateOrder = 1;
  s.axis = 1;
  s.radius = 1.0;
  s.sizeX = s.sizeY = s.sizeZ = 1.0;
  s.scaleX = s.scaleY = s.scaleZ = 1.0;
  s.frequency = 1.0;
  return s;
}

PF_PixelFloat pixel(float alpha, float red, float green, float blue) {
  return PF_PixelFloat{alpha, red, green, blue};
}

RowRunner::RowRunner(const MatteSettings& s) : settings(s) {
  inData.downsample_x = {1, 1};
  inData.downsample_y = {1, 1};
}

std::vector<PF_PixelFloat> RowRunner::run(const std::vector<PF_PixelFloat>& row, A_long x) const {
  constexpr int kGuard = 4;
  const PF_PixelFloat sentinel{-7.5f, -7.5f, -7.5f, -7.5f};
  std::vector<PF_PixelFloat> in(row);
  in.resize(row.size() + kGuard, sentinel);
  std::vector<PF_PixelFloat> out(row.size() + kGuard, sentinel);
  PlannedRows rows = planRows(settings, inData, static_cast<A_long>(row.size()));
  EXPECT_EQ(PF_Err_NONE, InvertPixelFloat(&rows, x, 0, in.data(), out.data()));
  for (std::size_t i = row.size(); i < out.size(); ++i) {
    EXPECT_TRUE(samePixel(sentinel, out[i])) << "guard pixel " << i << " after the row";
  }
  out.resize(row.size());
  return out;
}

PF_PixelFloat RowRunner::at(float wx, float wy, float wz, float alpha) const {
  return run({pixel(alpha, wx, wy, wz)}).front();
}

std::uint32_t bitsOf(float value) { return std::bit_cast<std::uint32_t>(value); }

namespace {

std::string describe(float v) {
  char text[64];
  std::snprintf(text, sizeof text, "%.9g (0x%08x)", static_cast<double>(v),
                static_cast<unsigned>(bitsOf(v)));
  return text;
}

}  // namespace

::testing::AssertionResult sameBits(float expected, float actual) {
  if (bitsOf(expected) == bitsOf(actual)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "expected " << describe(expected) << ", actual " << describe(actual);
}

::testing::AssertionResult samePixel(const PF_PixelFloat& e, const PF_PixelFloat& a) {
  const char* names[] = {"alpha", "red", "green", "blue"};
  const float ev[] = {e.alpha, e.red, e.green, e.blue};
  const float av[] = {a.alpha, a.red, a.green, a.blue};
  for (int c = 0; c < 4; ++c) {
    if (auto r = sameBits(ev[c], av[c]); !r) return r << " (" << names[c] << ")";
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult sameRow(const std::vector<PF_PixelFloat>& expected,
                                   const std::vector<PF_PixelFloat>& actual) {
  if (expected.size() != actual.size()) {
    return ::testing::AssertionFailure()
           << "row length: expected " << expected.size() << ", actual " << actual.size();
  }
  for (std::size_t i = 0; i < expected.size(); ++i) {
    if (auto r = samePixel(expected[i], actual[i]); !r) {
      return ::testing::AssertionFailure() << "pixel " << i << ": " << r.message();
    }
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult near(float expected, float actual, double tolerance) {
  if (tolerance == 0.0) return sameBits(expected, actual);
  if (std::fabs(static_cast<double>(expected) - actual) <= tolerance)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "expected " << describe(expected) << " +- " << tolerance
                                       << ", actual " << describe(actual);
}

}  // namespace kestrow::matte::test
