// Drives the row function the way the render does: a settings record, the
// command's input data with its downsample denominators and an output
// world whose width is the row length. Comparison helpers report the
// index, expected and actual values with float bit patterns.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "matte/Matte.h"
#include "matte/PlannedRows.h"

namespace kestrow::matte::test {

// Settings of a plain render: no rotation, unit sizes and weights, no
// feather, thickness or offsets, no layer, "Invert" and "Alpha Matte" off.
MatteSettings plainSettings(int32_t mode);

PF_PixelFloat pixel(float alpha, float red, float green, float blue);

struct RowRunner {
  MatteSettings settings;
  PF_InData inData{};

  explicit RowRunner(const MatteSettings& s);

  // One row through InvertPixelFloat. Fails the test if any pixel after the
  // row was touched or the call did not succeed.
  std::vector<PF_PixelFloat> run(const std::vector<PF_PixelFloat>& row, A_long x = 0) const;
  // A single pixel of the given alpha at world point (wx, wy, wz).
  PF_PixelFloat at(float wx, float wy, float wz, float alpha = 1.0f) const;
};

std::uint32_t bitsOf(float value);

::testing::AssertionResult sameBits(float expected, float actual);
::testing::AssertionResult samePixel(const PF_PixelFloat& expected, const PF_PixelFloat& actual);
::testing::AssertionResult sameRow(const std::vector<PF_PixelFloat>& expected,
                                   const std::vector<PF_PixelFloat>& actual);
// Exact bits when tolerance is 0, else |expected - actual| <= tolerance.
::testing::AssertionResult near(float expected, float actual, double tolerance);

}  // namespace kestrow::matte::test
