#include "KestrowRun.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <OpenImageIO/imageio.h>
#include <atomic>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace kestrow::cli::test {
namespace fs = std::filesystem;

namespace {

std::string quoted(const std::string& arg) {
  std::string q = "'";
  for (char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

std::string slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::atomic<int> scratchCounter{0};

}  // namespace

RunResult runKestrow(const std::vector<std::string>& args, const RunOptions& options) {
  ScratchDir streams;
  std::string command = (options.folder.empty() ? "" : "cd " + quoted(options.folder) + " && ") +
                        options.launcher + " " + quoted(KESTROW_EXE);
  for (const std::string& arg : args) command += " " + quoted(arg);
  command += " >" + quoted(options.stdoutFile.empty() ? streams.file("out") : options.stdoutFile) +
             " 2>" + quoted(streams.file("err")) + " </dev/null";
  const int status = std::system(command.c_str());
  RunResult result;
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = slurp(streams.file("out"));
  result.err = slurp(streams.file("err"));
  return result;
}

ScratchDir::ScratchDir() {
  path_ = fs::temp_directory_path() / ("kestrow-cli-test-" + std::to_string(::getpid()) + "-" +
                                       std::to_string(scratchCounter++));
  fs::remove_all(path_);
  fs::create_directories(path_);
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

std::vector<std::string> ScratchDir::entries() const {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(path_))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string ScratchDir::expand(std::string text) const {
  for (std::size_t at; (at = text.find('@')) != std::string::npos;)
    text.replace(at, 1, path_.string());
  return text;
}

RunResult ScratchDir::run(const std::string& commandLine, const std::string& launcher) const {
  std::vector<std::string> args;
  std::istringstream words(expand(commandLine));
  for (std::string word; words >> word;) args.push_back(word == "''" ? "" : word);
  return runKestrow(args, {"", launcher, ""});
}

OIIO::ImageBuf imageBuf(const RgbaImage& image) {
  OIIO::ImageBuf buf(OIIO::ImageSpec(image.width, image.height, 4, OIIO::TypeDesc::FLOAT));
  buf.set_pixels(buf.roi(), OIIO::TypeDesc::FLOAT, image.pixels.data());
  return buf;
}

RgbaImage makePass(int width, int height, const std::vector<PassPixel>& pixels) {
  RgbaImage image(width, height);
  for (std::size_t p = 0; p < image.pixelCount() && p < pixels.size(); ++p) {
    float* px = image.pixels.data() + p * 4;
    px[0] = pixels[p].x;
    px[1] = pixels[p].y;
    px[2] = pixels[p].z;
    px[3] = pixels[p].a;
  }
  return image;
}

void writeChannels(const std::string& path, int width, int height,
                   const std::vector<std::string>& names, const std::vector<float>& values,
                   bool halfFloat) {
  OIIO::ImageSpec spec(width, height, int(names.size()),
                       halfFloat ? OIIO::TypeDesc::HALF : OIIO::TypeDesc::FLOAT);
  spec.channelnames = names;
  spec.alpha_channel = -1;
  for (int c = 0; c < int(names.size()); ++c)
    if (names[c] == "A") spec.alpha_channel = c;
  auto out = OIIO::ImageOutput::create(path);
  ASSERT_TRUE(out) << path;
  ASSERT_TRUE(out->open(path, spec)) << out->geterror();
  ASSERT_TRUE(out->write_image(OIIO::TypeDesc::FLOAT, values.data())) << out->geterror();
  ASSERT_TRUE(out->close());
}

void writeRgba(const std::string& path, const RgbaImage& image) {
  writeChannels(path, image.width, image.height, {"R", "G", "B", "A"}, image.pixels);
}

void writeParts(const std::string& path, const std::vector<Part>& parts) {
  std::vector<OIIO::ImageSpec> specs;
  for (const Part& part : parts) {
    OIIO::ImageSpec& spec = specs.emplace_back(part.width, part.height, int(part.channels.size()),
                                               OIIO::TypeDesc::FLOAT);
    spec.channelnames = part.channels;
    spec.alpha_channel = -1;
    for (int c = 0; c < int(part.channels.size()); ++c)
      if (part.channels[c] == "A") spec.alpha_channel = c;
    spec.attribute("oiio:subimagename", part.name);
    // OpenEXR's parts share one display window: the first part's.
    spec.full_width = parts[0].width;
    spec.full_height = parts[0].height;
  }
  auto out = OIIO::ImageOutput::create(path);
  ASSERT_TRUE(out && out->open(path, int(specs.size()), specs.data()))
      << path << ": " << (out ? out->geterror() : OIIO::geterror());
  for (std::size_t s = 0; s < parts.size(); ++s) {
    if (s > 0) {
      ASSERT_TRUE(out->open(path, specs[s], OIIO::ImageOutput::AppendSubimage)) << out->geterror();
    }
    ASSERT_TRUE(out->write_image(OIIO::TypeDesc::FLOAT, parts[s].values.data())) << out->geterror();
  }
  ASSERT_TRUE(out->close());
}

void writeDeclaredSize(const std::string& path, int width, int height) {
  OIIO::ImageSpec spec(1, 1, 4, OIIO::TypeDesc::FLOAT);
  spec.attribute("compression", "none");
  const std::vector<float> pixel(4, 0.f);
  auto out = OIIO::ImageOutput::create(path);
  ASSERT_TRUE(out && out->open(path, spec) &&
              out->write_image(OIIO::TypeDesc::FLOAT, pixel.data()) && out->close());
  std::string bytes = slurp(path);
  const std::string key("dataWindow\0box2i\0", 17);
  const std::size_t at = bytes.find(key);
  ASSERT_NE(at, std::string::npos);
  const std::int32_t box[4] = {0, 0, width - 1, height - 1};
  std::memcpy(&bytes[at + key.size() + 4], box, sizeof box);
  // Room for the row offset table the header now calls for.
  bytes.append(std::size_t(height) * 8, '\0');
  std::ofstream(path, std::ios::binary) << bytes;
}

RgbaImage readRgba(const std::string& path) {
  RgbaImage image;
  auto in = OIIO::ImageInput::open(path);
  EXPECT_TRUE(in) << path << ": " << OIIO::geterror();
  if (!in) return image;
  const OIIO::ImageSpec& spec = in->spec();
  std::vector<float> all(std::size_t(spec.width) * spec.height * spec.nchannels);
  EXPECT_TRUE(in->read_image(0, 0, 0, spec.nchannels, OIIO::TypeDesc::FLOAT, all.data()));
  image = RgbaImage(spec.width, spec.height);
  for (std::size_t p = 0; p < image.pixelCount(); ++p)
    for (int c = 0; c < 4; ++c)
      image.pixels[p * 4 + c] =
          c < spec.nchannels ? all[p * spec.nchannels + c] : (c == 3 ? 1.f : 0.f);
  return image;
}

std::string bits(float value) {
  char text[64];
  std::snprintf(text, sizeof text, "0x%08x (%.9g)", std::bit_cast<std::uint32_t>(value),
                double(value));
  return text;
}

RgbaImage readLayer(const std::string& path, const std::string& prefix, const char* components) {
  auto in = OIIO::ImageInput::open(path);
  EXPECT_TRUE(in) << path;
  if (!in) return {};
  const OIIO::ImageSpec& spec = in->spec();
  RgbaImage image(spec.width, spec.height);
  std::vector<float> channel(image.pixelCount());
  for (int i = 0; i < 4; ++i) {
    const int c = spec.channelindex(prefix + components[i]);
    EXPECT_GE(c, 0) << path << ": no channel " << prefix << components[i];
    if (c < 0 || !in->read_image(0, 0, c, c + 1, OIIO::TypeDesc::FLOAT, channel.data())) return {};
    for (std::size_t p = 0; p < image.pixelCount(); ++p) image.pixels[p * 4 + i] = channel[p];
  }
  return image;
}

}  // namespace kestrow::cli::test
