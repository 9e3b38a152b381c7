// The golden frame's size and modes, and the form of its committed table:
// a fixed position pass and controls rendered through the host on every
// platform, so that the Windows binary can be compared bit for bit with the
// results the Linux build gives.
#pragma once

#include <cstdint>

#include "AE_Effect.h"

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

// The wide scenes: a pass of kSceneWidth x kSceneHeight positions spread
// far round the origin, rendered with one scene's settings; the table
// holds the 64-bit FNV-1a hash of the output's bytes.
inline constexpr int kSceneWidth = 256;
inline constexpr int kSceneHeight = 128;

struct GoldenDigest {
  const char* scene;
  std::uint64_t hash;
};

}  // namespace kestrow::test
