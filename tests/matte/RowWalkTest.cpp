// The row contract: exactly output width pixels from the given ones,
// whatever x is; nothing written for a bad context.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "MatteTestSupport.h"

namespace kestrow::matte::test {
namespace {

std::vector<PF_PixelFloat> sampleRow() {
  std::vector<PF_PixelFloat> row;
  for (int i = 0; i < 7; ++i) {
    const float t = static_cast<float>(i) * 0.4f - 1.2f;
    row.push_back(pixel(i == 3 ? 0.0f : 1.0f, t, -t * 0.5f, t * t));
  }
  return row;
}

class RowWalkTest : public ::testing::TestWithParam<int32_t> {};

TEST_P(RowWalkTest, WholeWidthWhateverX) {
  MatteSettings s = plainSettings(GetParam());
  s.feather = 0.3;
  s.thickness = 0.2;
  s.radius = 1.1;
  const RowRunner runner(s);
  const std::vector<PF_PixelFloat> first = runner.run(sampleRow(), 0);
  for (A_long x : {1, 1000, -5, INT_MIN, INT_MAX - 2, INT_MAX}) {
    EXPECT_TRUE(sameRow(first, runner.run(sampleRow(), x))) << "x " << x;
  }
}

TEST_P(RowWalkTest, InPlaceMatchesSeparateRows) {
  MatteSettings s = plainSettings(GetParam());
  s.feather = 0.3;
  s.invert = 1;
  const RowRunner runner(s);
  std::vector<PF_PixelFloat> row = sampleRow();
  const std::vector<PF_PixelFloat> separate = runner.run(row);
  PlannedRows rows = planRows(s, runner.inData, static_cast<A_long>(row.size()));
  ASSERT_EQ(PF_Err_NONE, InvertPixelFloat(&rows, 0, 0, row.data(), row.data()));
  EXPECT_TRUE(sameRow(separate, row));
}

INSTANTIATE_TEST_SUITE_P(Modes, RowWalkTest, ::testing::Values(1, 2, 3, 4, 5, 6, 7, 8, 10));

// A missing plan or row pointer is refused; an empty or negative width is
// no work. Either way nothing is written.
TEST(RowWalkTest, NothingWrittenWithoutWork) {
  const MatteSettings s = plainSettings(1);
  PF_InData inData{};
  PF_PixelFloat in = pixel(1, 0, 0, 0);
  PF_PixelFloat out = pixel(-7, -7, -7, -7);
  EXPECT_EQ(PF_Err_BAD_CALLBACK_PARAM, InvertPixelFloat(nullptr, 0, 0, &in, &out));
  PlannedRows whole = planRows(s, inData, 1);
  EXPECT_EQ(PF_Err_BAD_CALLBACK_PARAM, InvertPixelFloat(&whole, 0, 0, nullptr, &out));
  EXPECT_EQ(PF_Err_BAD_CALLBACK_PARAM, InvertPixelFloat(&whole, 0, 0, &in, nullptr));
  for (A_long width : {0, -1, INT_MIN}) {
    PlannedRows empty = planRows(s, inData, width);
    EXPECT_EQ(PF_Err_NONE, InvertPixelFloat(&empty, 0, 0, &in, &out)) << "width " << width;
  }
  EXPECT_TRUE(samePixel(pixel(-7, -7, -7, -7), out));
}

}  // namespace
}  // namespace kestrow::matte::test
