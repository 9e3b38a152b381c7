// What happens to files in progress when the run is cut short.
//
// SIGINT, SIGTERM and SIGHUP remove every unfinished file the run has
// registered, print `kestrow: error: SIGINT: interrupted; unfinished files
// removed`, and end the process by the same signal, so that its parent sees
// the conventional status (a shell's $? is 128 + the signal number) and a
// script that runs the tool stops too. A signal ignored when the tool
// started (nohup) stays ignored. SIGPIPE removes the files silently and ends
// the process likewise. SIGXFSZ is ignored, so that a file-size limit shows
// as a failed write rather than killing the process. An exit() from inside a
// library (the JPEG library ends the process when a write fails) removes the
// registered files as well and names each one's target in a last
// `kestrow: error: <target>: cannot be written` line.
#pragma once

#include <filesystem>

namespace kestrow::cli {

// Installs the handlers; once per process, before any file is registered.
void installInterruptHandling();

// Registers `path`, which will become `target`, for removal until
// forgetUnfinished(slot). Paths longer than the platform's PATH_MAX are not
// registered (slot -1). At most 16 at once: further ones are not registered
// either. For one thread at a time.
int rememberUnfinished(const std::filesystem::path& path, const std::filesystem::path& target);
void forgetUnfinished(int slot);

}  // namespace kestrow::cli
