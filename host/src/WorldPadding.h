// What a World's row padding holds: every byte past a row's pixels is this
// guard byte from the world's construction on, so a write past the end of a
// row shows (the test library's paddingIntact).
#pragma once

#include <cstdint>

namespace kestrow::host {

constexpr std::uint8_t kPaddingGuardByte = 0xA5;

}  // namespace kestrow::host
