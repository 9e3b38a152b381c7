#include "Interrupts.h"

#include <unistd.h>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include <atomic>

namespace kestrow::cli {
namespace {

// Signal handlers may only read these: a slot's path is written before its
// flag is set, and the flag is cleared before the slot is reused.
struct Slot {
  std::atomic<bool> used{false};
  char path[PATH_MAX] = {};
  char target[PATH_MAX] = {};
};
Slot slots[16];

void removeUnfinished() {
  for (Slot& slot : slots)
    if (slot.used.load()) ::unlink(slot.path);
}

void writeError(const char* text) {
  // Best effort: nothing can be done about a failing stderr here.
  const ssize_t ignored = ::write(STDERR_FILENO, text, std::strlen(text));
  (void)ignored;
}

extern "C" void onInterrupt(int signal) {
  removeUnfinished();
  const char* name = signal == SIGINT    ? "SIGINT"
                     : signal == SIGTERM ? "SIGTERM"
                     : signal == SIGHUP  ? "SIGHUP"
                                         : nullptr;
  if (name) {
    writeError("kestrow: error: ");
    writeError(name);
    writeError(": interrupted; unfinished files removed\n");
  }
  // Ends the process by the signal itself, which the parent sees.
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

// `text` with its control characters as "\xNN", without allocating, so
// that a name cannot break the line or command the terminal.
void writeEscaped(const char* text) {
  static const char kHex[] = "0123456789abcdef";
  for (; *text; ++text) {
    const auto byte = static_cast<unsigned char>(*text);
    if (byte >= 0x20 && byte != 0x7f) {
      const ssize_t ignored = ::write(STDERR_FILENO, text, 1);
      (void)ignored;
      continue;
    }
    const char escaped[4] = {'\\', 'x', kHex[byte >> 4], kHex[byte & 15]};
    const ssize_t ignored = ::write(STDERR_FILENO, escaped, sizeof escaped);
    (void)ignored;
  }
}

// Reached with files registered only when a library ends the process
// while one of them is being written.
extern "C" void onExit() {
  for (Slot& slot : slots)
    if (slot.used.load()) {
      writeError("kestrow: error: ");
      writeEscaped(slot.target);
      writeError(": cannot be written (the image library stopped the program)\n");
    }
  removeUnfinished();
}

}  // namespace

void installInterruptHandling() {
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
    struct sigaction previous {};
    if (::sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
  }
  std::signal(SIGXFSZ, SIG_IGN);
  std::atexit(onExit);
}

int rememberUnfinished(const std::filesystem::path& path, const std::filesystem::path& target) {
  const std::string &text = path.native(), &name = target.native();
  if (text.size() >= PATH_MAX || name.size() >= PATH_MAX) return -1;
  for (int i = 0; i < int(std::size(slots)); ++i) {
    Slot& slot = slots[i];
    if (slot.used.load()) continue;
    std::memcpy(slot.path, text.c_str(), text.size() + 1);
    std::memcpy(slot.target, name.c_str(), name.size() + 1);
    slot.used.store(true);
    return i;
  }
  return -1;
}

void forgetUnfinished(int slot) {
  if (slot >= 0 && slot < int(std::size(slots))) slots[slot].used.store(false);
}

}  // namespace kestrow::cli
