// Shared helpers of the tests that prove the Windows build: where the built
// plug-in and the generator's PiPL bytes are, file access, and checks that
// report what differs.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "kestrow/host/CommandRecord.h"
#include "kestrow/host/Status.h"

namespace kestrow::test {

// The plug-in as built (Kestrow.aex on Windows, Kestrow.so elsewhere).
std::filesystem::path pluginFile();
// The PiPL bytes the generator wrote at build time, beside the plug-in.
std::filesystem::path piplFile();

// The whole file; empty when it can't be read.
std::vector<std::uint8_t> readFileBytes(const std::filesystem::path& file);

// "0x3f800000": a 32-bit pattern in hex, for messages.
std::string hex32(std::uint32_t v);

// Passes for an ok status; otherwise gives its code, PF_Err and message.
::testing::AssertionResult isOk(const host::Status& status);
// Passes when the command left nothing behind; otherwise names it.
::testing::AssertionResult leftNothing(const host::CommandRecord& record);
// Passes when both byte strings are equal; otherwise gives both sizes and
// the first differing offset with both bytes.
::testing::AssertionResult sameBytes(const std::vector<std::uint8_t>& expected,
                                     const std::vector<std::uint8_t>& actual);

}  // namespace kestrow::test
