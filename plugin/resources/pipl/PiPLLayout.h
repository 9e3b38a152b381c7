// Byte layout of a PiPL as a Windows resource stores it.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "resources/PiPL.h"

// Little-endian throughout; four-character codes as 32-bit integers. Each
// property's data is padded with zero bytes to a multiple of 4 and its
// length field counts the padding, except for a 16-bit value (length 2). Throws
// std::invalid_argument for a text too long for its length byte.
std::vector<uint8_t> WindowsPiPLBytes(std::span<const PiPLProperty> properties);
