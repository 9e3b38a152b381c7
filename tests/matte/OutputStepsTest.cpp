// The output steps shared by every mode: transparent input, not-a-number
// clean-up, "Invert" and "Alpha Matte", and the copy of unknown modes.
#include <gtest/gtest.h>

#include <limits>
#include <ostream>

#include "MatteTestSupport.h"

namespace kestrow::matte::test {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

struct StepCase {
  const char* label;
  int32_t mode;
  double feather;
  bool invert, alphaMatte;
  PF_PixelFloat in;
  PF_PixelFloat expected;
};

std::ostream& operator<<(std::ostream& os, const StepCase& c) { return os << c.label; }

class OutputStepTest : public ::testing::TestWithParam<StepCase> {};

TEST_P(OutputStepTest, Pixel) {
  const StepCase& c = GetParam();
  MatteSettings s = plainSettings(c.mode);
  s.feather = c.feather;
  s.invert = c.invert;
  s.alphaMatte = c.alphaMatte;
  EXPECT_TRUE(samePixel(c.expected, RowRunner(s).run({c.in}).front()));
}

// Circle of radius 1 at the origin: (0, 0, 0) is inside, m = 1.
INSTANTIATE_TEST_SUITE_P(
    Transparent, OutputStepTest,
    ::testing::Values(
        StepCase{"plain", 1, 0, false, false, pixel(0, 0, 0, 0), pixel(0, 0, 0, 0)},
        StepCase{"negative zero alpha", 1, 0, false, false, pixel(-0.0f, 0, 0, 0),
                 pixel(-0.0f, 0, 0, 0)},
        StepCase{"inverted", 1, 0, true, false, pixel(0, 0, 0, 0), pixel(0, 1, 1, 1)},
        StepCase{"inverted alpha matte", 1, 0, true, true, pixel(0, 0, 0, 0), pixel(1, 1, 1, 1)},
        StepCase{"alpha matte", 1, 0, false, true, pixel(0, 0, 0, 0), pixel(0, 1, 1, 1)},
        StepCase{"grid", 6, 0.1, false, false, pixel(0, 0.5f, 0, 0), pixel(0, 0, 0, 0)}));

INSTANTIATE_TEST_SUITE_P(
    NotANumber, OutputStepTest,
    ::testing::Values(
        StepCase{"soft edge", 1, 0.5, false, false, pixel(1, kNaN, 0, 0), pixel(0, 0, 0, 0)},
        StepCase{"soft edge inverted", 1, 0.5, true, true, pixel(1, kNaN, 0, 0), pixel(1, 1, 1, 1)},
        // The hard step maps not-a-number to 1, so m = 0 and alpha stays.
        StepCase{"hard edge", 1, 0, false, false, pixel(0.5f, kNaN, 0, 0), pixel(0.5f, 0, 0, 0)},
        StepCase{"hard edge alpha matte", 1, 0, false, true, pixel(0.5f, kNaN, 0, 0),
                 pixel(0, 1, 1, 1)}));

INSTANTIATE_TEST_SUITE_P(
    Matte, OutputStepTest,
    ::testing::Values(
        StepCase{"value", 1, 0, false, false, pixel(0.25f, 0, 0, 0), pixel(0.25f, 1, 1, 1)},
        StepCase{"inverted", 1, 0, true, false, pixel(0.25f, 0, 0, 0), pixel(0.25f, 0, 0, 0)},
        StepCase{"alpha matte", 1, 0, false, true, pixel(0.25f, 0, 0, 0), pixel(1, 1, 1, 1)},
        StepCase{"both", 1, 0, true, true, pixel(0.25f, 0, 0, 0), pixel(0, 1, 1, 1)}));

// Separators and unknown modes copy the input, then the shared steps run.
INSTANTIATE_TEST_SUITE_P(
    Copy, OutputStepTest,
    ::testing::Values(
        StepCase{"separator", 5, 0, false, false, pixel(0.5f, 3, -4, 5), pixel(0.5f, 3, -4, 5)},
        StepCase{"second separator", 9, 0, false, false, pixel(0.5f, 3, -4, 5),
                 pixel(0.5f, 3, -4, 5)},
        StepCase{"unset", -1, 0, false, false, pixel(0.5f, 3, -4, 5), pixel(0.5f, 3, -4, 5)},
        StepCase{"beyond", 11, 0, false, false, pixel(0.5f, 3, -4, 5), pixel(0.5f, 3, -4, 5)},
        StepCase{"inverted from red", 0, 0, true, false, pixel(0.5f, 3, -4, 5),
                 pixel(0.5f, -2, -2, -2)},
        StepCase{"alpha matte from red", 5, 0, false, true, pixel(0.5f, 0.75f, -4, 5),
                 pixel(0.75f, 1, 1, 1)},
        StepCase{"not-a-number green", 5, 0, false, false, pixel(0.5f, 3, kNaN, 5),
                 pixel(0, 3, 0, 5)},
        StepCase{"transparent", 9, 0, false, false, pixel(0, 3, 4, 5), pixel(0, 0, 0, 0)}));

}  // namespace
}  // namespace kestrow::matte::test
