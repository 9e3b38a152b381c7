// The evaluator's names for the popup values it reads from the settings
// record (the "Mode" values with their table in matte/Modes.h), and the plain picture view its
// Layer mode samples. The record keeps the raw 32-bit values (its layout is stored with projects);
// these names are what the parameters, the row plan, the reference and the benchmarks use to speak
// of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "AE_Effect.h"
#include "matte/Modes.h"

namespace kestrow::matte {

// "RotateOrder" popup values; any other value applies no rotation (None).
enum class RotateOrder : int32_t { None = 0, XYZ = 1, XZY = 2, YXZ = 3, YZX = 4, ZXY = 5, ZYX = 6 };

// "Axis" popup values: the plane used by Rays and Layer.
enum class Plane : int32_t { XZ = 1, XY = 2, YZ = 3 };

// The popup value a name stands for.
template <class Enum>
constexpr int32_t popupValue(Enum value) {
  return static_cast<std::underlying_type_t<Enum>>(value);
}

// Stored values to names. Values outside the popup's range count as no
// rotation, and as the control's default plane XZ.
constexpr RotateOrder rotateOrderOf(int32_t value) {
  return value >= 1 && value <= 6 ? static_cast<RotateOrder>(value) : RotateOrder::None;
}
constexpr Plane planeOf(int32_t axis) {
  return axis == 2 ? Plane::XY : axis == 3 ? Plane::YZ : Plane::XZ;
}

// A picture of float pixels as Layer mode reads it: `data` is the first
// row, rows are `rowBytes` apart. Made from the layer record once per
// render, and only for a picture that is readable (see isReadablePicture).
struct PictureView {
  const char* data = nullptr;
  std::ptrdiff_t rowBytes = 0;
  A_long width = 0;
  A_long height = 0;
};

}  // namespace kestrow::matte
