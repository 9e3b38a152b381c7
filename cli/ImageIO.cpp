#include "ImageIO.h"

#include <OpenImageIO/filesystem.h>
#include <OpenImageIO/imagebufalgo.h>
#include <OpenImageIO/imageio.h>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <optional>
#include <system_error>
#include <tuple>

#include "AtomicFile.h"
#include "Errors.h"
#include "FileChecks.h"
#include "Numbers.h"

namespace kestrow::cli {
namespace {

namespace fs = std::filesystem;
using OIIO::ImageSpec;
using OIIO::TypeDesc;

std::unique_ptr<OIIO::ImageInput> openInput(const std::string& path, const std::string& subject) {
  requireRegularFile(path, subject);
  auto in = OIIO::ImageInput::open(path);
  if (!in) failure(subject, "cannot be read as an image" + inParentheses(OIIO::geterror()));
  return in;
}

std::vector<ImageSpec> readSpecs(OIIO::ImageInput& in) {
  std::vector<ImageSpec> specs;
  for (int s = 0; in.seek_subimage(s, 0); ++s) specs.push_back(in.spec());
  return specs;
}

// A slot readIntoWorld leaves as it is (filled by another read).
constexpr int kLeave = -2;

bool isIntegerFormat(TypeDesc format) {
  return format.basetype != TypeDesc::FLOAT && format.basetype != TypeDesc::HALF &&
         format.basetype != TypeDesc::DOUBLE;
}

template <typename T>
void widen(const unsigned char* source, std::ptrdiff_t xstride, std::ptrdiff_t ystride, int width,
           int height, unsigned char* target, std::ptrdiff_t targetXstride,
           std::ptrdiff_t targetYstride) {
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      T value;
      std::memcpy(&value, source + y * ystride + x * xstride, sizeof value);
      const float wide = float(value);
      std::memcpy(target + y * targetYstride + x * targetXstride, &wide, sizeof wide);
    }
}

// Reads file channel `source[k]` into float k of every world pixel (0 alpha,
// 1 red, 2 green, 3 blue: the host's pixel order); -1 sets 1 there, and
// kLeave leaves it as it is. Runs of
// slots whose channels follow each other in the file are read in one call,
// straight into the world through its strides. Integer channels of slots
// marked `byValue` keep their whole numbers (read in their own type, then
// widened); the others are scaled into 0 to 1, as pictures are.
void readIntoWorld(OIIO::ImageInput& in, const ImageSpec& spec, int subimage,
                   const int (&source)[4], const bool (&byValue)[4], host::World& world,
                   const std::string& subject) {
  const auto xstride = OIIO::stride_t(sizeof(PF_PixelFloat));
  // Signed: a bottom-up world's rows go downwards in memory.
  const auto ystride = OIIO::stride_t(world.def().rowbytes);
  auto* first = static_cast<float*>(world.row(0));
  auto wholeNumbers = [&](int k) {
    return source[k] >= 0 && byValue[k] && isIntegerFormat(spec.channelformat(source[k]));
  };
  for (int k = 0; k < 4;) {
    if (source[k] == kLeave) {
      ++k;
      continue;
    }
    if (source[k] < 0) {
      for (int y = 0; y < world.height(); ++y)
        for (int x = 0; x < world.width(); ++x) (&world.pixelFloat(x, y)->alpha)[k] = 1.f;
      ++k;
      continue;
    }
    if (wholeNumbers(k)) {
      const TypeDesc type = spec.channelformat(source[k]);
      std::vector<unsigned char> samples(type.size() * spec.image_pixels());
      if (!in.read_image(subimage, 0, source[k], source[k] + 1, type, samples.data()))
        failure(subject, "cannot be read" + inParentheses(in.geterror()));
      channelToFloat(samples.data(), type, std::ptrdiff_t(type.size()),
                     std::ptrdiff_t(type.size()) * spec.width, spec.width, spec.height, first + k,
                     xstride, ystride);
      ++k;
      continue;
    }
    int end = k + 1;
    while (end < 4 && source[end] >= 0 && source[end] == source[end - 1] + 1 && !wholeNumbers(end))
      ++end;
    if (!in.read_image(subimage, 0, source[k], source[end - 1] + 1, TypeDesc::FLOAT, first + k,
                       xstride, ystride))
      failure(subject, "cannot be read" + inParentheses(in.geterror()));
    k = end;
  }
}

void checkShape(const ImageSpec& spec, const std::string& subject) {
  if (spec.deep) failure(subject, "deep images are not supported");
  if (spec.depth > 1) failure(subject, "volume images are not supported");
  if (spec.width <= 0 || spec.height <= 0) failure(subject, "the image is empty");
}

bool isJpeg(const std::string& path) {
  const std::string ext = lowerExtension(path);
  return ext == ".jpg" || ext == ".jpeg";
}

// Writes through to a PendingFile and records the first short write: some
// of the library's writers do not check them, so a full disk would pass for
// a finished file, and others end the whole process on one. So the library
// is told every write succeeded, nothing more is written after the first
// failure, and the file reports it when it is committed.
class PendingFileProxy final : public OIIO::Filesystem::IOFile {
 public:
  explicit PendingFileProxy(PendingFile& file) : IOFile(file.stream(), Write), file_(file) {}
  std::size_t write(const void* data, std::size_t size) override {
    return checked(size, [&] { return IOFile::write(data, size); });
  }
  std::size_t pwrite(const void* data, std::size_t size, std::int64_t offset) override {
    return checked(size, [&] { return IOFile::pwrite(data, size, offset); });
  }

 private:
  template <typename Write>
  std::size_t checked(std::size_t size, Write write) {
    if (!file_.writeFailed() && write() != size) file_.noteWriteError(errno);
    return size;
  }
  PendingFile& file_;
};

ImageSpec outputSpec(const std::string& path, const host::World& world, const ImageWindow& window,
                     const ExrOutputOptions& options) {
  const bool exr = outputKind(path) == OutputKind::FloatExr;
  const TypeDesc exrType =
      options.sampleType == SampleType::Half ? TypeDesc::HALF : TypeDesc::FLOAT;
  ImageSpec spec(world.width(), world.height(), isJpeg(path) ? 3 : 4,
                 exr ? exrType : TypeDesc::UINT8);
  setWindow(spec, window);
  if (exr) {
    // The world's own pixel order; readers find the channels by name.
    spec.channelnames = {"A", "R", "G", "B"};
    spec.alpha_channel = 0;
    if (exrType == TypeDesc::HALF) {
      std::vector<std::string> keptFloat;
      const auto* first = static_cast<const unsigned char*>(world.row(0));
      for (int c = 0; c < 4; ++c) {
        const bool overflows = overflowsHalf(first + c * sizeof(float), sizeof(PF_PixelFloat),
                                             world.def().rowbytes, world.width(), world.height());
        spec.channelformats.push_back(overflows ? TypeDesc::FLOAT : TypeDesc::HALF);
        if (overflows) keptFloat.push_back(spec.channelnames[c]);
      }
      warnKeptFloat(path, keptFloat);
    }
    spec.attribute("compression", options.compression.empty() ? "zip" : options.compression);
  } else {
    // The values are written as they are, not divided by alpha.
    spec.attribute("oiio:UnassociatedAlpha", 1);
  }
  return spec;
}

// An 8-bit preview, converted a band of rows at a time: not-a-number
// would otherwise land on an arbitrary byte, and JPEG shows the colour over
// black.
bool writePreview(OIIO::ImageOutput& out, const ImageSpec& spec, const host::World& world) {
  namespace IBA = OIIO::ImageBufAlgo;
  const int band = std::max(1, (1 << 24) / (world.width() * 16));
  // The world's own order is alpha, red, green, blue.
  ImageSpec argb(world.width(), band, 4, TypeDesc::FLOAT);
  argb.channelnames = {"A", "R", "G", "B"};
  argb.alpha_channel = 0;
  static const int kRgba[4] = {1, 2, 3, 0};
  for (int y0 = 0; y0 < world.height(); y0 += band) {
    const int y1 = std::min(world.height(), y0 + band);
    argb.height = y1 - y0;
    const OIIO::ImageBuf rows(argb, const_cast<void*>(world.row(y0)),
                              OIIO::stride_t(sizeof(PF_PixelFloat)),
                              OIIO::stride_t(world.def().rowbytes));
    OIIO::ImageBuf rgba = IBA::channels(rows, 4, kRgba);
    rgba.specmod().alpha_channel = 3;
    if (spec.nchannels == 3) IBA::premult(rgba, rgba);
    // Not-a-number to 0; the rest as the 8-bit conversion would clamp it.
    IBA::clamp(rgba, rgba, 0.f, 1.f);
    if (!out.write_scanlines(spec.y + y0, spec.y + y1, 0, TypeDesc::FLOAT, rgba.localpixels(),
                             rgba.pixel_stride()))
      return false;
  }
  return true;
}

}  // namespace

std::string lowerExtension(const std::string& path) {
  return lowerCase(fs::path(path).extension().string());
}

PositionChannels choosePositionChannels(const std::vector<ImageSpec>& specs,
                                        const ChannelSelection& selection, const std::string& path,
                                        bool quiet) {
  const PositionChannels chosen = selectPositionChannels(specs, selection, path);
  const ImageSpec& spec = specs[chosen.part];
  checkShape(spec, path);

  std::vector<std::string> integerChannels;
  for (int i = 0; i < 3; ++i) {
    const TypeDesc type = spec.channelformat(chosen.index[i]);
    if (isIntegerFormat(type))
      integerChannels.push_back(spec.channelnames[chosen.index[i]] + " (" + type.c_str() + ")");
  }
  if (!integerChannels.empty() && !quiet)
    warn(path, "integer channels " + listNames(integerChannels) +
                   " are read as the whole numbers they hold; integer positions are probably "
                   "not a position pass");
  return chosen;
}

void checkPositionInput(const std::string& path, const ChannelSelection& selection) {
  auto in = openInput(path, path);
  const std::vector<ImageSpec> specs = readSpecs(*in);
  const ImageSpec& spec = specs[choosePositionChannels(specs, selection, path, true).part];
  checkHostSize(spec.width, spec.height, path);
}

PositionPass readPositionPass(const std::string& path, const ChannelSelection& selection) {
  auto in = openInput(path, path);
  const std::vector<ImageSpec> specs = readSpecs(*in);
  const PositionChannels chosen = choosePositionChannels(specs, selection, path);
  const ImageSpec& spec = specs[chosen.part];

  PositionPass pass{newFloatWorld(spec.width, spec.height, path), windowOf(spec), {}};
  const bool alphaApart = chosen.partOfAlpha() != chosen.part;
  const int source[4] = {alphaApart ? kLeave : chosen.index[3], chosen.index[0], chosen.index[1],
                         chosen.index[2]};
  // X, Y, Z are numbers; an integer alpha is a coverage from 0 to its maximum.
  readIntoWorld(*in, spec, chosen.part, source, {false, true, true, true}, pass.world, path);
  const ImageSpec& alphaSpec = specs[chosen.partOfAlpha()];
  if (alphaApart)
    readIntoWorld(*in, alphaSpec, chosen.alphaPart, {chosen.index[3], kLeave, kLeave, kLeave},
                  {false, false, false, false}, pass.world, path);
  for (int i = 0; i < 4; ++i)
    pass.channels[i] =
        chosen.index[i] >= 0 ? (i < 3 ? spec : alphaSpec).channelnames[chosen.index[i]] : "";
  return pass;
}

host::World readPicture(const std::string& path, const std::string& subject) {
  auto in = openInput(path, subject);
  const ImageSpec spec = in->spec();
  checkShape(spec, subject);
  int alpha = spec.alpha_channel;
  if (alpha < 0 && (spec.nchannels == 2 || spec.nchannels == 4)) alpha = spec.nchannels - 1;
  int colour[3] = {0, 0, 0};
  if (spec.nchannels == 1 && alpha == 0)
    failure(subject, path + " holds only an alpha channel; a picture needs colour or grey");
  if (spec.nchannels - (alpha >= 0 ? 1 : 0) >= 3) {
    int n = 0;
    for (int c = 0; c < spec.nchannels && n < 3; ++c)
      if (c != alpha) colour[n++] = c;
  } else {
    const int grey = alpha == 0 ? 1 : 0;
    colour[0] = colour[1] = colour[2] = grey;
  }
  host::World world = newFloatWorld(spec.width, spec.height, subject);
  const int source[4] = {alpha, colour[0], colour[1], colour[2]};
  readIntoWorld(*in, spec, 0, source, {false, false, false, false}, world, subject);
  return world;
}

OutputKind outputKind(const std::string& path) {
  const std::string ext = lowerExtension(path);
  if (ext == ".exr") return OutputKind::FloatExr;
  if (ext == ".png" || ext == ".jpg" || ext == ".jpeg" || ext == ".tif" || ext == ".tiff")
    return OutputKind::Preview8;
  usageError(path, "unsupported output type \"" + ext +
                       "\" (use .exr for float output, or .png, .tif, .jpg for a preview)");
}

void writeImage(const std::string& path, const host::World& world, const ImageWindow& window,
                const ExrOutputOptions& exr) {
  const ImageSpec spec = outputSpec(path, world, window, exr);
  // The JPEG library ends the process on larger sizes: refused here.
  constexpr int kJpegLimit = 65500;
  if (isJpeg(path) && (spec.width > kJpegLimit || spec.height > kJpegLimit))
    failure(path, "is " + std::to_string(spec.width) + " x " + std::to_string(spec.height) +
                      " pixels; JPEG holds at most 65500 x 65500 (use .exr, .png or .tif)");
  auto out = OIIO::ImageOutput::create(path);
  if (!out) failure(path, "no writer for this file type" + inParentheses(OIIO::geterror()));

  writeThroughPendingFile(path, *out, [&](OIIO::ImageOutput& writer, const std::string& name) {
    if (!writer.open(name, spec)) return false;
    if (spec.format != TypeDesc::UINT8)
      return writer.write_image(TypeDesc::FLOAT, world.row(0),
                                OIIO::stride_t(sizeof(PF_PixelFloat)),
                                OIIO::stride_t(world.def().rowbytes));
    return writePreview(writer, spec, world);
  });
}

void writeThroughPendingFile(
    const std::string& path, OIIO::ImageOutput& out,
    const std::function<bool(OIIO::ImageOutput& out, const std::string& name)>& write) {
  PendingFile file(path);
  PendingFileProxy proxy(file);
  bool ok = out.set_ioproxy(&proxy) && write(out, file.temporary().string());
  ok = out.close() && ok;
  const std::string why = out.geterror();
  out.set_ioproxy(nullptr);
  if (!ok) {
    // The library names the file it was given: the temporary, not the output.
    std::string text = why;
    for (std::size_t at; (at = text.find(file.temporary().string())) != std::string::npos;)
      text.replace(at, file.temporary().string().size(), path);
    file.failWrite(text);
  }
  file.commit();
}

void channelToFloat(const unsigned char* source, TypeDesc type, std::ptrdiff_t xstride,
                    std::ptrdiff_t ystride, int width, int height, float* target,
                    std::ptrdiff_t targetXstride, std::ptrdiff_t targetYstride) {
  auto* out = reinterpret_cast<unsigned char*>(target);
  const auto args =
      std::tuple(source, xstride, ystride, width, height, out, targetXstride, targetYstride);
  switch (type.basetype) {
    case TypeDesc::UINT8:
      return std::apply(widen<std::uint8_t>, args);
    case TypeDesc::INT8:
      return std::apply(widen<std::int8_t>, args);
    case TypeDesc::UINT16:
      return std::apply(widen<std::uint16_t>, args);
    case TypeDesc::INT16:
      return std::apply(widen<std::int16_t>, args);
    case TypeDesc::UINT32:
      return std::apply(widen<std::uint32_t>, args);
    case TypeDesc::INT32:
      return std::apply(widen<std::int32_t>, args);
    case TypeDesc::UINT64:
      return std::apply(widen<std::uint64_t>, args);
    case TypeDesc::INT64:
      return std::apply(widen<std::int64_t>, args);
    default:
      OIIO::convert_image(1, width, height, 1, source, type, xstride, ystride, OIIO::AutoStride,
                          target, TypeDesc::FLOAT, targetXstride, targetYstride, OIIO::AutoStride);
  }
}

void writeImage(const std::string& path, const OIIO::ImageBuf& image) {
  writeImage(path, toWorld(image), windowOf(image.spec()));
}

}  // namespace kestrow::cli
