// Outputs appear complete or not at all: everything is written to a hidden
// temporary file in the target's folder (so the final rename stays on one
// file system and is atomic) and renamed over the target at the end.
#pragma once

#include <filesystem>
#include <string>

namespace kestrow::cli {

// ".<stem>.kestrow-<pid>-<n><ext>" beside `target`; unique per call.
std::filesystem::path temporaryPathFor(const std::filesystem::path& target);

// Renames `temporary` over `target`; on failure removes `temporary` and
// throws CliError naming `target`.
void commitTemporary(const std::filesystem::path& temporary, const std::filesystem::path& target);

// Writes `text` to `target` atomically; throws CliError naming `target`.
void writeTextAtomically(const std::filesystem::path& target, const std::string& text);

}  // namespace kestrow::cli
