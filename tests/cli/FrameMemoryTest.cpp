// What one frame costs: pixels go straight between the files and the host's
// two worlds, so a render's peak memory grows by about two frames, not by a
// copy per step (file buffer, picture, world, result, output buffer).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "KestrowRun.h"

namespace kestrow::cli::test {
namespace {

// Peak resident memory (KiB) of `kestrow render input output`.
long peakKilobytes(const std::string& input, const std::string& output) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    // Memory the sanitizer would hold back after a free would count as used.
    ::setenv("ASAN_OPTIONS", "quarantine_size_mb=0", 1);
    const int none = ::open("/dev/null", O_RDWR);
    ::dup2(none, 1);
    ::execl(KESTROW_EXE, "kestrow", "render", input.c_str(), output.c_str(),
            static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int status = 0;
  rusage usage{};
  ::wait4(pid, &status, 0, &usage);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << input;
  return usage.ru_maxrss;
}

TEST(FrameMemory, ARenderCostsAtMostThreeFrames) {
  ScratchDir dir;
  // Large enough that the frames, not loading the plug-in and the image
  // library, make the peak.
  constexpr int kSize = 2048;
  RgbaImage pass(kSize, kSize);
  for (std::size_t p = 0; p < pass.pixelCount(); ++p) pass.pixels[p * 4 + 3] = 1.f;
  writeRgba(dir.file("big.exr"), pass);
  writeRgba(dir.file("small.exr"), RgbaImage(1, 1));
  const long base = peakKilobytes(dir.file("small.exr"), dir.file("small-out.exr"));
  const long big = peakKilobytes(dir.file("big.exr"), dir.file("big-out.exr"));
  const long frame = long(pass.pixelCount()) * 16 / 1024;
  EXPECT_LE(big - base, 3 * frame) << "peak " << big << " KiB against " << base
                                   << " KiB for one pixel; one frame is " << frame << " KiB";
}

}  // namespace
}  // namespace kestrow::cli::test
