// Outputs that cannot be finished: a full disk (a file-size limit stands in
// for it), a size the format cannot hold, a standard output that refuses
// writes or whose reader has gone, and names near the file system's limit;
// and every output type by each of its names.
#include <OpenImageIO/imageio.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "KestrowRun.h"

namespace kestrow::cli::test {
namespace {

namespace fs = std::filesystem;

std::string contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Positions at random inside and outside the ball: a matte that does not
// compress, so every output type is larger than the limit below.
RgbaImage noisyPass(int size) {
  std::mt19937 random(7);
  std::uniform_real_distribution<float> coordinate(-4.f, 4.f);
  RgbaImage pass(size, size);
  for (std::size_t p = 0; p < pass.pixelCount(); ++p)
    for (int c = 0; c < 4; ++c) pass.pixels[p * 4 + c] = c == 3 ? 1.f : coordinate(random);
  return pass;
}

class FullDisk : public ::testing::TestWithParam<const char*> {};

TEST_P(FullDisk, KeepsTheOldFileAndNamesTheOutput) {
  ScratchDir dir;
  writeRgba(dir.file("pass.exr"), noisyPass(128));
  const std::string output = dir.file(std::string("out") + GetParam());
  std::ofstream(output) << "the previous output";
  const RunResult run =
      dir.run("render @/pass.exr " + output + " --feather 0.5", "prlimit --fsize=4096");
  EXPECT_EQ(run.exitCode, 1);
  // The last line names the output (the JPEG library prints a line of its
  // own before it ends the process).
  const std::size_t last = run.err.rfind('\n', run.err.size() - 2) + 1;
  EXPECT_TRUE(
      run.err.substr(last).starts_with("kestrow: error: " + output + ": cannot be written (") &&
      run.err.ends_with(")\n"))
      << run.err;
  EXPECT_EQ(run.err.find(".kestrow-"), std::string::npos) << "names the temporary file";
  EXPECT_EQ(contents(output), "the previous output");
  EXPECT_EQ(dir.entries().size(), 2u) << "a temporary file was left behind";
}

INSTANTIATE_TEST_SUITE_P(Types, FullDisk, ::testing::Values(".exr", ".png", ".tif", ".jpg"),
                         [](const auto& info) { return std::string(info.param + 1); });

TEST(Outputs, JpegLargerThanTheFormatIsRefusedInOneLine) {
  ScratchDir dir;
  writeRgba(dir.file("wide.exr"), RgbaImage(65501, 1));
  const RunResult run = dir.run("render @/wide.exr @/out.jpg");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "kestrow: error: " + dir.file("out.jpg") +
                         ": is 65501 x 1 pixels; JPEG holds at most 65500 x 65500 (use .exr, "
                         ".png or .tif)\n");
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"wide.exr"});
}

TEST(Outputs, NameNearTheFileSystemLimitIsWritten) {
  ScratchDir dir;
  writeRgba(dir.file("pass.exr"), makePass(1, 1, {{0, 0, 0, 1}}));
  const std::string name = std::string(251, 'n') + ".exr";  // 255 bytes
  const RunResult run = dir.run("render @/pass.exr @/" + name);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{name, "pass.exr"}));
}

// A linked output is written where the link leads, and a replaced file
// keeps its mode and group; "-" sends the preset to standard output.
TEST(Outputs, ReplaceOnlyTheFileALinkLeadsToAndKeepItsModeAndGroup) {
  ScratchDir dir;
  writeRgba(dir.file("pass.exr"), makePass(1, 1, {{0, 0, 0, 1}}));
  fs::create_directory(dir.file("real"));
  for (const char* name : {"out.exr", "look.json"}) {
    const std::string target = dir.file(std::string("real/") + name);
    std::ofstream(target) << "old";
    ASSERT_EQ(::chown(target.c_str(), ::getuid(), 65534), 0);
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink(target, dir.file(name));
  }
  RunResult run = dir.run("render @/pass.exr @/out.exr --save-preset @/look.json");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  for (const char* name : {"out.exr", "look.json"}) {
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir.file(name)))) << name;
    struct stat info {};
    ASSERT_EQ(::stat(dir.file(std::string("real/") + name).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u) << name;
    EXPECT_EQ(info.st_gid, 65534u) << name;
  }
  EXPECT_NE(contents(dir.file("look.json")).find("\"controls\""), std::string::npos);
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"look.json", "out.exr", "pass.exr", "real"}));

  run = dir.run("render @/pass.exr @/out.exr --save-preset -");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(run.out.starts_with("{\n  \"kestrow-preset\": 1,")) << run.out;
  EXPECT_FALSE(fs::exists(dir.file("-")));
}

// Only temporaries of processes that ended long ago are removed.
TEST(Outputs, TemporariesLeftByKilledRunsAreRemoved) {
  ScratchDir dir;
  writeRgba(dir.file("pass.exr"), makePass(1, 1, {{0, 0, 0, 1}}));
  const std::string stale = ".kestrow-99999999-0.tmp", recent = ".kestrow-99999999-1.tmp",
                    running = ".kestrow-" + std::to_string(::getpid()) + "-0.tmp";
  for (const std::string& name : {stale, recent, running}) {
    std::ofstream(dir.file(name)) << "part of a frame";
    if (name != recent)
      fs::last_write_time(dir.file(name), fs::file_time_type::clock::now() - std::chrono::hours(1));
  }
  const RunResult run = dir.run("render @/pass.exr @/out.exr");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err, "kestrow: warning: " + dir.file(stale) +
                         ": removed: the unfinished file of a run that was killed\n");
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{running, recent, "out.exr", "pass.exr"}));
}

TEST(Outputs, StandardOutputThatRefusesWritesFails) {
  ScratchDir dir;
  writeRgba(dir.file("pass.exr"), makePass(1, 1, {{0, 0, 0, 1}}));
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"describe", "--json"},
           {"render", dir.file("pass.exr"), dir.file("out.exr"), "--stats"}}) {
    const RunResult run = runKestrow(args, {"", "", "/dev/full"});
    EXPECT_EQ(run.exitCode, 1) << args[0];
    EXPECT_TRUE(run.err.starts_with("kestrow: error: standard output: cannot be written") &&
                run.err.find('\n') == run.err.size() - 1)
        << run.err;
  }
}

// A reader that has gone ends the tool by SIGPIPE, as any Unix tool, and
// no output is left unfinished; where SIGPIPE is ignored the write fails
// and the tool says so, exit 1.
TEST(Outputs, StandardOutputWhoseReaderHasGone) {
  ScratchDir dir;
  writeRgba(dir.file("pass.exr"), makePass(1, 1, {{0, 0, 0, 1}}));
  for (const bool ignored : {false, true})
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"describe", "--json"},
             {"render", dir.file("pass.exr"), dir.file("out.exr"), "--stats"}}) {
      int ends[2];
      ASSERT_EQ(::pipe(ends), 0);
      ::close(ends[0]);
      const std::string errFile = dir.file("err.txt");
      const pid_t pid = ::fork();
      if (pid == 0) {
        if (ignored) ::signal(SIGPIPE, SIG_IGN);
        const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(ends[1], 1);
        ::dup2(err, 2);
        std::vector<char*> argv{const_cast<char*>("kestrow")};
        for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        ::execv(KESTROW_EXE, argv.data());
        ::_exit(127);
      }
      ::close(ends[1]);
      int status = 0;
      ::waitpid(pid, &status, 0);
      std::ifstream errText(errFile);
      const std::string err((std::istreambuf_iterator<char>(errText)), {});
      if (ignored) {
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << args[0] << ": " << status;
        EXPECT_TRUE(err.starts_with("kestrow: error: standard output: cannot be written") &&
                    err.find('\n') == err.size() - 1)
            << err;
      } else {
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGPIPE)
            << args[0] << ": " << status;
        EXPECT_EQ(err, "") << args[0];
      }
      fs::remove(errFile);
      EXPECT_EQ(dir.entries(), (std::vector<std::string>{"pass.exr"})) << args[0];
    }
}

TEST(Outputs, EveryNameOfAnOutputTypeIsWritten) {
  ScratchDir dir;
  writeRgba(dir.file("pass.exr"), makePass(1, 1, {{0, 0, 0, 1}}));
  for (const std::string name : {"a.EXR", "b.tiff", "c.TIF", "d.jpeg", "e.JPG", "f.Png"}) {
    const RunResult run = dir.run("render @/pass.exr @/" + name);
    EXPECT_EQ(run.exitCode, 0) << name << ": " << run.err;
    EXPECT_TRUE(OIIO::ImageInput::open(dir.file(name))) << name;
  }
}

}  // namespace
}  // namespace kestrow::cli::test
