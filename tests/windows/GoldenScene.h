// A fixed frame rendered through the host: the same position pass and
// controls on every platform, so that the Windows binary can be compared
// bit for bit with the results the Linux build gives.
#pragma once

#include <cstdint>
#include <vector>

#include "AE_Effect.h"
#include "kestrow/host/Instance.h"
#include "kestrow/host/Status.h"

namespace kestrow::test {

inline constexpr int kGoldenWidth = 8;
inline constexpr int kGoldenHeight = 4;
// Four 32-bit patterns per pixel (alpha, red, green, blue), rows in order.
inline constexpr int kGoldenValues = kGoldenWidth * kGoldenHeight * 4;

// The modes compared: "Circle", "Ring", "Square", "Box", "Grid", "Radial",
// "Rays" and "Layer" (without a picture: local coordinates as colour).
inline constexpr A_long kGoldenModes[] = {1, 2, 3, 4, 6, 7, 8, 10};

// One mode's output as the Linux build renders it: kGoldenValues bit
// patterns of 8 hex digits each, without separators.
struct GoldenFrame {
  A_long mode;
  const char* hex;
};

// The frame's patterns; fewer than kGoldenValues when the text is malformed.
std::vector<std::uint32_t> goldenBits(const GoldenFrame& frame);

// Sets the instance's controls away from their defaults (rotation, sizes,
// feather, pattern and layer controls), selects `mode` and renders the
// golden position pass. `bits` receives the output's bit patterns.
host::Status renderGolden(host::Instance& instance, A_long mode, std::vector<std::uint32_t>& bits);

}  // namespace kestrow::test
