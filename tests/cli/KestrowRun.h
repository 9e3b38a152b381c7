// Test support: runs the built `kestrow` binary as a subprocess, gives each
// test a scratch folder, and writes and reads the images the tests use.
#pragma once

#include <OpenImageIO/imagebuf.h>

#include <filesystem>
#include <string>
#include <vector>

namespace kestrow::cli::test {

// A test's picture: 32-bit float RGBA, rows top to bottom, channels
// interleaved.
struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<float> pixels;  // width * height * 4 values: R, G, B, A

  RgbaImage() = default;
  RgbaImage(int w, int h) : width(w), height(h), pixels(std::size_t(w) * std::size_t(h) * 4, 0.f) {}
  std::size_t pixelCount() const { return std::size_t(width) * std::size_t(height); }
};

// A copy of `image` as the tool's code takes pictures.
OIIO::ImageBuf imageBuf(const RgbaImage& image);

struct RunResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// How runKestrow starts the tool: in `folder` when one is given, after
// `launcher` (words a shell runs it under, e.g. "prlimit --fsize=4096"), with
// standard output sent to `stdoutFile` when one is given.
struct RunOptions {
  std::string folder;
  std::string launcher;
  std::string stdoutFile;
};

// Runs kestrow with `args` (no shell expansion of the arguments).
RunResult runKestrow(const std::vector<std::string>& args, const RunOptions& options = {});

// A fresh, empty folder for one test, removed when the object goes.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  const std::filesystem::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }
  // Names of every entry, hidden ones included, sorted.
  std::vector<std::string> entries() const;
  // `text` with every "@" replaced by the folder's path.
  std::string expand(std::string text) const;
  // Runs kestrow with `commandLine` split at spaces, "@" expanded; a word
  // '' stands for an empty argument.
  RunResult run(const std::string& commandLine, const std::string& launcher = "") const;

 private:
  std::filesystem::path path_;
};

// A float position pass: each pixel {X, Y, Z, A}.
struct PassPixel {
  float x, y, z, a;
};
RgbaImage makePass(int width, int height, const std::vector<PassPixel>& pixels);

// Writes any channels: `names` and one value row per pixel; `halfFloat`
// stores them as 16-bit floats.
void writeChannels(const std::string& path, int width, int height,
                   const std::vector<std::string>& names, const std::vector<float>& values,
                   bool halfFloat = false);
void writeRgba(const std::string& path, const RgbaImage& image);

// One part of a multi-part EXR: its name, size, channels and one value row
// per pixel.
struct Part {
  std::string name;
  int width, height;
  std::vector<std::string> channels;
  std::vector<float> values;
};
void writeParts(const std::string& path, const std::vector<Part>& parts);

// A small uncompressed EXR whose header claims width x height pixels (its
// pixel data is missing).
void writeDeclaredSize(const std::string& path, int width, int height);

// Reads an output as RGBA float (fails the test when unreadable).
RgbaImage readRgba(const std::string& path);

// Channels PREFIX + R, G, B, A (or the four `components`) of an EXR as an
// RGBA image ("" for the unnamed layer); a missing channel fails the test.
RgbaImage readLayer(const std::string& path, const std::string& prefix,
                    const char* components = "RGBA");

// "0x3f800000 (1)" for messages.
std::string bits(float value);

}  // namespace kestrow::cli::test
