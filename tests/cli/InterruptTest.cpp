// A sequence interrupted by SIGINT, SIGTERM or SIGHUP while a frame's file
// is unfinished: that file is removed, the finished frames stay whole, the
// interruption is reported, and the process ends by the signal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "KestrowRun.h"

namespace kestrow::cli::test {
namespace {

namespace fs = std::filesystem;

pid_t startSequence(const ScratchDir& dir, const std::string& errFile) {
  const std::string pass = dir.file("pass.exr"), out = dir.file("out.####.exr");
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int none = ::open("/dev/null", O_RDWR);
    ::dup2(none, 0);
    ::dup2(none, 1);
    ::dup2(err, 2);
    ::execl(KESTROW_EXE, "kestrow", "render", pass.c_str(), out.c_str(), "--frames", "1-400",
            static_cast<char*>(nullptr));
    ::_exit(127);
  }
  return pid;
}

// Waits for a temporary file to appear, stops the process, and delivers
// `signal` while it is stopped if the file is still there: the signal then
// arrives with that file unfinished. False if the process ended first.
bool interruptDuringAWrite(pid_t pid, const fs::path& folder, int signal) {
  const int notify = ::inotify_init1(IN_CLOEXEC);
  ::inotify_add_watch(notify, folder.c_str(), IN_CREATE);
  bool sent = false;
  while (!sent && ::waitpid(pid, nullptr, WNOHANG) == 0) {
    pollfd ready{notify, POLLIN, 0};
    if (::poll(&ready, 1, 200) <= 0) continue;
    alignas(inotify_event) char events[4096];
    const ssize_t size = ::read(notify, events, sizeof events);
    for (ssize_t at = 0; !sent && at < size;) {
      const auto* event = reinterpret_cast<const inotify_event*>(events + at);
      at += ssize_t(sizeof(inotify_event) + event->len);
      const std::string name = event->len ? event->name : "";
      if (!name.starts_with(".kestrow-")) continue;
      ::kill(pid, SIGSTOP);
      int status = 0;
      ::waitpid(pid, &status, WUNTRACED);
      if (fs::exists(folder / name)) {
        ::kill(pid, signal);
        sent = true;
      }
      ::kill(pid, SIGCONT);
    }
  }
  ::close(notify);
  return sent;
}

class Interrupted : public ::testing::TestWithParam<int> {};

TEST_P(Interrupted, RemovesTheUnfinishedFileAndEndsByTheSignal) {
  const int signal = GetParam();
  ScratchDir dir, streams;
  RgbaImage pass(128, 128);
  for (std::size_t p = 0; p < pass.pixelCount(); ++p) pass.pixels[p * 4 + 3] = 1.f;
  writeRgba(dir.file("pass.exr"), pass);
  const pid_t pid = startSequence(dir, streams.file("err"));
  ASSERT_TRUE(interruptDuringAWrite(pid, dir.path(), signal)) << "the run ended first";
  int status = 0;
  ::waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << "status " << status;

  std::ifstream in(streams.file("err"));
  std::stringstream err;
  err << in.rdbuf();
  EXPECT_EQ(err.str(), std::string("kestrow: error: SIG") + sigabbrev_np(signal) +
                           ": interrupted; unfinished files removed\n");
  for (const std::string& name : dir.entries()) {
    ASSERT_FALSE(name.starts_with(".")) << name << " was left behind";
    EXPECT_EQ(readRgba(dir.file(name)).pixelCount(), pass.pixelCount()) << name;
  }
}

INSTANTIATE_TEST_SUITE_P(Signals, Interrupted, ::testing::Values(SIGINT, SIGTERM, SIGHUP),
                         [](const auto& info) { return std::string(sigabbrev_np(info.param)); });

}  // namespace
}  // namespace kestrow::cli::test
