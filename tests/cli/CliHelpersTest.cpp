// The tool's own helpers: frame patterns, flag names from display names,
// numbers as typed, and the demo scene's geometry.
#include <gtest/gtest.h>

#include <cmath>

#include "Controls.h"
#include "DemoScene.h"
#include "Errors.h"
#include "Frames.h"
#include "KestrowRun.h"
#include "Numbers.h"

namespace kestrow::cli::test {
namespace {

TEST(Frames, PatternsExpand) {
  struct Case {
    const char* pattern;
    int frame;
    const char* want;
  };
  const Case cases[] = {
      {"out.####.exr", 7, "out.0007.exr"},
      {"out.#.exr", 12, "out.12.exr"},
      {"out.%04d.exr", 42, "out.0042.exr"},
      {"out.%d.exr", 42, "out.42.exr"},
      {"a/#/b.####.exr", 3, "a/#/b.0003.exr"},
      {"plain.exr", 3, "plain.exr"},
      {"out.####.exr", -2, "out.-002.exr"},
      {"x%5d.exr", 1, "x%5d.exr"},
      {"o.%032d.exr", -7, "o.-0000000000000000000000000000007.exr"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(expandFramePattern(c.pattern, c.frame), c.want) << c.pattern << " " << c.frame;
  EXPECT_TRUE(hasFramePattern("s.%03d.exr"));
  EXPECT_FALSE(hasFramePattern("dir#/s.exr"));
}

TEST(Frames, RangesParseOrAreRefused) {
  EXPECT_EQ(parseFrameRange("1-24").first, 1);
  EXPECT_EQ(parseFrameRange("1-24").last, 24);
  EXPECT_EQ(parseFrameRange("7").last, 7);
  EXPECT_EQ(parseFrameRange("-5--1").first, -5);
  EXPECT_EQ(parseFrameRange("-5--1").last, -1);
  for (const char* bad : {"", "a-b", "1-", "3-1", "1-2-3", "1 - 2"})
    EXPECT_THROW(parseFrameRange(bad), CliError) << bad;
}

TEST(Controls, FlagNamesFollowDisplayNames) {
  const std::pair<const char*, const char*> cases[] = {{"Mode", "mode"},
                                                       {"Pick Point", "pick-point"},
                                                       {"RotateOrder", "rotate-order"},
                                                       {"RotateX", "rotate-x"},
                                                       {"OffsetU", "offset-u"},
                                                       {"SizeZ", "size-z"},
                                                       {"Multiply Values", "multiply-values"},
                                                       {"Alpha Matte", "alpha-matte"}};
  for (const auto& [name, flag] : cases) EXPECT_EQ(flagName(name), flag) << name;
}

TEST(Numbers, OneRuleForEveryFlag) {
  struct Case {
    const char* text;
    NumberStatus status;
    double real;  // also the whole number where that reads as Ok
  };
  const Case cases[] = {
      {"2", NumberStatus::Ok, 2},          {"+2", NumberStatus::Ok, 2},
      {" -2 ", NumberStatus::Ok, -2},      {"010", NumberStatus::Ok, 10},
      {"+-2", NumberStatus::Malformed, 0}, {"++2", NumberStatus::Malformed, 0},
      {"0x8", NumberStatus::Malformed, 0}, {"", NumberStatus::Malformed, 0},
      {"2x", NumberStatus::Malformed, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(readReal(c.text).status, c.status) << c.text;
    EXPECT_EQ(readWhole(c.text).status, c.status) << c.text;
    if (c.status != NumberStatus::Ok) continue;
    EXPECT_EQ(readReal(c.text).value, c.real) << c.text;
    EXPECT_EQ(readWhole(c.text).value, int(c.real)) << c.text;
  }
  EXPECT_EQ(readReal("1e309").status, NumberStatus::TooLarge);
  EXPECT_EQ(readReal("-1e309").value, -INFINITY);
  EXPECT_EQ(readReal("1e-400").status, NumberStatus::TooSmall);
  EXPECT_EQ(readReal("1.5e3").value, 1500);
  EXPECT_EQ(readWhole("1.5").status, NumberStatus::Malformed);
  EXPECT_EQ(readWhole("99999999999").status, NumberStatus::TooLarge);
}

TEST(DemoScene, CoverageAndPositionsAreConsistent) {
  const OIIO::ImageBuf pass = renderDemoScene({160, 90, 3});
  std::size_t empty = 0, partial = 0, full = 0;
  for (OIIO::ImageBuf::ConstIterator<float> px(pass); !px.done(); ++px) {
    const std::size_t p = std::size_t(px.y()) * 160 + std::size_t(px.x());
    ASSERT_GE(px[3], 0.f) << "pixel " << p;
    ASSERT_LE(px[3], 1.f) << "pixel " << p;
    if (px[3] == 0.f) {
      ++empty;
      EXPECT_EQ(bits(px[0]), bits(0.f)) << "empty pixel " << p << " holds a position";
    } else {
      (px[3] < 1.f ? partial : full)++;
      EXPECT_GE(px[1], -1e-4f) << "pixel " << p << " lies below the ground";
    }
  }
  EXPECT_GT(empty, 0u) << "the sky shows above the ground";
  EXPECT_GT(partial, 0u) << "antialiased edges carry partial coverage";
  EXPECT_GT(full, pass.spec().image_pixels() / 2);
  // The bottom middle of the frame sees the ground plane.
  EXPECT_NEAR(pass.getchannel(80, 89, 0, 1), 0.f, 1e-5f);
}

}  // namespace
}  // namespace kestrow::cli::test
