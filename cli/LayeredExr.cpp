#include "LayeredExr.h"

#include <algorithm>
#include <atomic>

#include "Errors.h"
#include "FileChecks.h"
#include "ImageIO.h"

namespace kestrow::cli {
namespace {

using OIIO::ImageSpec;
using OIIO::TypeDesc;

// Rows converted and written per call: small next to the frame, large
// enough for OpenEXR's largest scanline blocks (32 rows for PIZ, B44).
constexpr int kBandRows = 64;

// Where one output channel's values come from.
struct ChannelSource {
  const unsigned char* origin = nullptr;  // top-left pixel
  std::ptrdiff_t xstride = 0, ystride = 0;
  TypeDesc type;
};

// One part as written: its header and where each channel is taken from.
struct PartPlan {
  ImageSpec spec;
  std::vector<ChannelSource> sources;
};

std::string layerOf(const std::string& channel) {
  const std::size_t dot = channel.rfind('.');
  return dot == std::string::npos ? std::string() : channel.substr(0, dot);
}

TypeDesc sampleTypeDesc(SampleType type) {
  return type == SampleType::Half ? TypeDesc::HALF : TypeDesc::FLOAT;
}

bool isFloatType(TypeDesc type) {
  return type.basetype == TypeDesc::HALF || type.basetype == TypeDesc::FLOAT;
}

// The input's own compression unless told otherwise, but never a lossy one
// by default: decoding and encoding again would alter the input's samples.
std::string outputCompression(const ImageSpec& in, const ExrOutputOptions& options) {
  if (!options.compression.empty()) return options.compression;
  const std::string own = in.get_string_attribute("compression", "zip");
  if (!isLossyCompression(own)) return own;
  static std::atomic<bool> warned{false};
  if (!warned.exchange(true))
    warn("--compression", "the input's " + own +
                              " compression is lossy and would alter its samples when written "
                              "again; writing zip");
  return "zip";
}

// The type a float or half channel is written in: the one asked for, but
// float where half would turn a finite value into infinity (named in
// `keptFloat`).
TypeDesc writtenType(const std::string& name, const ChannelSource& source, TypeDesc wanted,
                     int width, int height, std::vector<std::string>& keptFloat) {
  if (wanted != TypeDesc::HALF || source.type != TypeDesc::FLOAT ||
      !overflowsHalf(source.origin, source.xstride, source.ystride, width, height))
    return wanted;
  keptFloat.push_back(name);
  return TypeDesc::FLOAT;
}

// `replaced`: layers whose channels are left out; `mattes`: the layers added.
PartPlan planPart(const ImageSpec& in, const unsigned char* pixels, const ExrOutputOptions& options,
                  const std::vector<MatteLayer>& mattes, const std::vector<std::string>& replaced,
                  std::vector<std::string>& keptFloat) {
  PartPlan plan{in, {}};
  ImageSpec& out = plan.spec;
  out.channelnames.clear();
  out.channelformats.clear();
  const std::ptrdiff_t pixelBytes = std::ptrdiff_t(in.pixel_bytes(true));
  std::ptrdiff_t offset = 0;
  for (int c = 0; c < in.nchannels; ++c) {
    const TypeDesc type = in.channelformat(c);
    const std::string& name = in.channelnames[c];
    if (std::find(replaced.begin(), replaced.end(), layerOf(name)) == replaced.end()) {
      const ChannelSource source{pixels + offset, pixelBytes, pixelBytes * in.width, type};
      out.channelnames.push_back(name);
      out.channelformats.push_back(options.allLayers && isFloatType(type)
                                       ? writtenType(name, source,
                                                     sampleTypeDesc(options.sampleType), in.width,
                                                     in.height, keptFloat)
                                       : type);
      plan.sources.push_back(source);
    }
    offset += std::ptrdiff_t(type.size());
  }
  static const char* const kComponents[4] = {".R", ".G", ".B", ".A"};
  for (const MatteLayer& matte : mattes)
    for (int i = 0; i < 4; ++i) {
      const ChannelSource source{reinterpret_cast<const unsigned char*>(matte.channel[i]),
                                 matte.xstride, matte.ystride, TypeDesc::FLOAT};
      out.channelnames.push_back(matte.name + kComponents[i]);
      out.channelformats.push_back(writtenType(out.channelnames.back(), source,
                                               sampleTypeDesc(options.sampleType), matte.width,
                                               matte.height, keptFloat));
      plan.sources.push_back(source);
    }
  out.nchannels = int(out.channelnames.size());
  out.format = out.channelformats.empty() ? in.format : out.channelformats[0];
  auto indexOf = [&](int inIndex) {
    if (inIndex < 0) return -1;
    const auto found =
        std::find(out.channelnames.begin(), out.channelnames.end(), in.channelnames[inIndex]);
    return found == out.channelnames.end() ? -1 : int(found - out.channelnames.begin());
  };
  out.alpha_channel = indexOf(in.alpha_channel);
  out.z_channel = indexOf(in.z_channel);
  out.attribute("compression", outputCompression(in, options));
  return plan;
}

// Converts rows [row, row + rows) of every channel into `band` (the output's
// native layout) and hands them to the writer.
bool writeBand(OIIO::ImageOutput& out, const PartPlan& plan, int row, int rows,
               std::vector<unsigned char>& band) {
  const ImageSpec& spec = plan.spec;
  const std::ptrdiff_t pixelBytes = std::ptrdiff_t(spec.pixel_bytes(true));
  const std::ptrdiff_t rowBytes = pixelBytes * spec.width;
  band.resize(std::size_t(rowBytes) * std::size_t(rows));
  std::ptrdiff_t offset = 0;
  for (int c = 0; c < spec.nchannels; ++c) {
    const ChannelSource& source = plan.sources[c];
    // Same types copy the bytes as they are (not-a-number payloads too).
    if (!OIIO::convert_image(1, spec.width, rows, 1, source.origin + row * source.ystride,
                             source.type, source.xstride, source.ystride, OIIO::AutoStride,
                             band.data() + offset, spec.channelformat(c), pixelBytes, rowBytes,
                             OIIO::AutoStride))
      return false;
    offset += std::ptrdiff_t(spec.channelformat(c).size());
  }
  const int y = spec.y + row;
  if (spec.tile_width > 0)
    return out.write_tiles(spec.x, spec.x + spec.width, y, y + rows, spec.z, spec.z + 1,
                           TypeDesc::UNKNOWN, band.data());
  return out.write_scanlines(y, y + rows, spec.z, TypeDesc::UNKNOWN, band.data());
}

bool writeParts(OIIO::ImageOutput& out, const std::string& file,
                const std::vector<PartPlan>& plans) {
  std::vector<ImageSpec> specs;
  for (const PartPlan& plan : plans) specs.push_back(plan.spec);
  if (!out.open(file, int(specs.size()), specs.data())) return false;
  std::vector<unsigned char> band;
  for (std::size_t s = 0; s < plans.size(); ++s) {
    const ImageSpec& spec = specs[s];
    if (s > 0 && !out.open(file, spec, OIIO::ImageOutput::AppendSubimage)) return false;
    // Scanlines stored bottom up go to the library in one call: it hands
    // them on in the order the file stores them.
    const bool bottomUp = spec.get_string_attribute("openexr:lineOrder") == "decreasingY";
    const int step = spec.tile_height > 0
                         ? (kBandRows + spec.tile_height - 1) / spec.tile_height * spec.tile_height
                     : bottomUp ? spec.height
                                : kBandRows;
    for (int row = 0; row < spec.height; row += step)
      if (!writeBand(out, plans[s], row, std::min(step, spec.height - row), band)) return false;
  }
  return out.close();
}

// Opens `path` and checks every header as readExrSource promises.
std::unique_ptr<OIIO::ImageInput> openExr(const std::string& path, std::vector<ImageSpec>& parts) {
  requireRegularFile(path, path);
  auto in = OIIO::ImageInput::open(path);
  if (!in) failure(path, "cannot be read as an image" + inParentheses(OIIO::geterror()));
  if (std::string(in->format_name()) != "openexr")
    failure(path,
            "layers are added to OpenEXR inputs only; this is " + std::string(in->format_name()));
  // Every header is checked before any pixel memory is taken: a small file
  // may claim any size.
  unsigned long long bytes = 0;
  for (int s = 0; in->seek_subimage(s, 0); ++s) {
    const ImageSpec& spec = in->spec();
    if (spec.deep) failure(path, "deep images cannot take matte layers");
    if (spec.width <= 0 || spec.height <= 0 || spec.depth > 1)
      failure(path, "part " + std::to_string(s) + " is empty or a volume");
    if (in->seek_subimage(s, 1))
      failure(path, "MIP-mapped images cannot take matte layers (their levels would be lost)");
    in->seek_subimage(s, 0);
    checkHostSize(in->spec().width, in->spec().height, path);
    bytes += in->spec().image_bytes(true);
    if (bytes > kMaxLayeredInputBytes)
      failure(path, "holds more than 16 GiB of pixels, more than a layered output reads at once");
    parts.push_back(in->spec());
  }
  if (parts.empty()) failure(path, "holds no image");
  // OpenImageIO writes the parts of one file either all tiled or all in
  // scanlines; anything else fails or crashes inside OpenEXR.
  for (const ImageSpec& spec : parts)
    if ((spec.tile_width > 0) != (parts[0].tile_width > 0))
      failure(path, "mixes tiled and scanline parts, which cannot be written back unchanged");
  return in;
}

}  // namespace

std::vector<ImageSpec> readExrHeaders(const std::string& path) {
  std::vector<ImageSpec> parts;
  openExr(path, parts);
  return parts;
}

ExrSource readExrSource(const std::string& path) {
  ExrSource source{path, {}, {}, {}};
  const auto in = openExr(path, source.parts);
  source.stored = readExrAttributes(path);
  for (int s = 0; s < int(source.parts.size()); ++s) {
    const ImageSpec& spec = source.parts[std::size_t(s)];
    source.pixels.emplace_back(spec.image_bytes(true));
    if (!in->read_image(s, 0, 0, spec.nchannels, TypeDesc::UNKNOWN, source.pixels.back().data()))
      failure(path, "cannot be read" + inParentheses(in->geterror()));
  }
  return source;
}

PositionPass positionFromSource(const ExrSource& source, const PositionChannels& channels) {
  const ImageSpec& spec = source.parts.at(std::size_t(channels.part));
  PositionPass pass{newFloatWorld(spec.width, spec.height, source.path), windowOf(spec), {}};
  host::World& world = pass.world;
  // The host's pixel order: alpha, red (X), green (Y), blue (Z).
  const int slot[4] = {1, 2, 3, 0};
  for (int i = 0; i < 4; ++i) {
    const int c = channels.index[i];
    if (c < 0) {
      for (int y = 0; y < world.height(); ++y)
        for (int x = 0; x < world.width(); ++x) world.pixelFloat(x, y)->alpha = 1.f;
      continue;
    }
    // The alpha may come from another part of the same pixel window.
    const int part = i < 3 ? channels.part : channels.partOfAlpha();
    const ImageSpec& from = source.parts.at(std::size_t(part));
    const std::ptrdiff_t pixelBytes = std::ptrdiff_t(from.pixel_bytes(true));
    pass.channels[i] = from.channelnames[c];
    std::ptrdiff_t offset = 0;
    for (int before = 0; before < c; ++before)
      offset += std::ptrdiff_t(from.channelformat(before).size());
    // Signed row stride: a bottom-up world's rows go downwards in memory.
    // An integer alpha is a coverage from 0 to its maximum, as pictures read.
    const unsigned char* first = source.pixels[std::size_t(part)].data() + offset;
    float* target = static_cast<float*>(world.row(0)) + slot[i];
    const auto targetXstride = OIIO::stride_t(sizeof(PF_PixelFloat));
    if (i < 3)
      channelToFloat(first, from.channelformat(c), pixelBytes, pixelBytes * from.width, from.width,
                     from.height, target, targetXstride, world.def().rowbytes);
    else
      OIIO::convert_image(1, from.width, from.height, 1, first, from.channelformat(c), pixelBytes,
                          pixelBytes * from.width, OIIO::AutoStride, target, TypeDesc::FLOAT,
                          targetXstride, OIIO::stride_t(world.def().rowbytes), OIIO::AutoStride);
  }
  return pass;
}

MatteLayer matteLayer(const std::string& name, const host::World& world) {
  MatteLayer layer;
  layer.name = name;
  layer.width = world.width();
  layer.height = world.height();
  const auto* first = static_cast<const PF_PixelFloat*>(world.row(0));
  layer.channel[0] = &first->red;
  layer.channel[1] = &first->green;
  layer.channel[2] = &first->blue;
  layer.channel[3] = &first->alpha;
  layer.xstride = sizeof(PF_PixelFloat);
  layer.ystride = world.def().rowbytes;
  return layer;
}

MatteLayer matteLayer(const std::string& name, const OIIO::ImageBuf& image) {
  MatteLayer layer;
  layer.name = name;
  layer.width = image.spec().width;
  layer.height = image.spec().height;
  for (int i = 0; i < 4; ++i) layer.channel[i] = static_cast<const float*>(image.localpixels()) + i;
  layer.xstride = image.pixel_stride();
  layer.ystride = image.scanline_stride();
  return layer;
}

void checkLayerClashes(const std::vector<ImageSpec>& parts, const std::vector<std::string>& names,
                       bool replace, const std::string& subject, ErrorKind kind) {
  if (replace) return;
  for (const std::string& name : names)
    for (std::size_t s = 0; s < parts.size(); ++s)
      for (const std::string& channel : parts[s].channelnames)
        if (layerOf(channel) == name) {
          const std::string part = parts[s].get_string_attribute("oiio:subimagename");
          const std::string where =
              parts.size() == 1 ? "" : " in part " + (part.empty() ? std::to_string(s) : part);
          throw CliError(kind, subject,
                         "already holds layer \"" + name + "\" (channel " + channel + where +
                             "); name another layer or give --replace-layer");
        }
}

void checkLayeredOutput(const std::string& path, const ExrOutputOptions& options) {
  if (lowerExtension(path) != ".exr")
    usageError(path, "matte layers are written to OpenEXR only; name an .exr output");
  // OpenEXR compresses every channel of a part alike, and the mattes share
  // the part of the input's position.
  if (isLossyCompression(options.compression))
    usageError("--compression", "\"" + options.compression +
                                    "\" is lossy and would alter the input's channels written "
                                    "with the mattes; name a lossless one (none, rle, zips, zip, "
                                    "piz)");
}

void writeLayeredExr(const std::string& path, const ExrSource& source, int part,
                     const std::vector<MatteLayer>& mattes, bool replace,
                     const ExrOutputOptions& options) {
  checkLayeredOutput(path, {});
  const ImageSpec& target = source.parts.at(std::size_t(part));
  std::vector<std::string> names;
  for (const MatteLayer& matte : mattes) {
    if (matte.width != target.width || matte.height != target.height)
      failure(path, "matte \"" + matte.name + "\" is " + std::to_string(matte.width) + "x" +
                        std::to_string(matte.height) + ", the input " +
                        std::to_string(target.width) + "x" + std::to_string(target.height));
    names.push_back(matte.name);
  }
  checkLayerClashes(source.parts, names, replace, source.path, ErrorKind::Failure);

  // A replaced layer goes wherever it is; a part left with no channels goes
  // with it.
  std::vector<PartPlan> plans;
  std::vector<std::string> keptFloat;
  const std::vector<ExrAttribute> none;
  for (std::size_t s = 0; s < source.parts.size(); ++s) {
    PartPlan plan = planPart(source.parts[s], source.pixels[s].data(), options,
                             int(s) == part ? mattes : std::vector<MatteLayer>{},
                             replace ? names : std::vector<std::string>{}, keptFloat);
    // The library's own bookkeeping, which it would write as a stray
    // attribute; the file's real chunk counts are the writer's.
    plan.spec.erase_attribute("openexr:chunkCount");
    // A texture format (which the library also derives from an environment
    // map's tag) makes its writer expect further levels: it leaves the file
    // unfinished, with an empty offset table. The library reads no line
    // order but writes the one it is given.
    plan.spec.erase_attribute("textureformat");
    for (const ExrAttribute& a : s < source.stored.size() ? source.stored[s] : none) {
      if (a.type == "envmap")
        for (const char* derived : {"oiio:updirection", "oiio:sampleborder"})
          plan.spec.erase_attribute(derived);
      if (a.type == "lineOrder" && !a.value.empty() && a.value[0] <= 2)
        plan.spec.attribute("openexr:lineOrder", a.value[0] == 0   ? "increasingY"
                                                 : a.value[0] == 1 ? "decreasingY"
                                                                   : "randomY");
    }
    if (plan.spec.nchannels > 0) plans.push_back(std::move(plan));
  }
  warnKeptFloat(path, keptFloat);
  const std::vector<std::string> lost = uncarriedAttributes(source.stored);
  if (!lost.empty()) {
    std::string names;
    for (const std::string& text : lost) names += (names.empty() ? "" : ", ") + text;
    warn(path,
         "header attributes of " + source.path + " that the OpenEXR writer cannot carry: " + names);
  }

  auto out = OIIO::ImageOutput::create("openexr");
  if (!out) failure(path, "no OpenEXR writer (" + OIIO::geterror() + ")");
  writeThroughPendingFile(path, *out, [&](OIIO::ImageOutput& writer, const std::string& name) {
    return writeParts(writer, name, plans);
  });
}

}  // namespace kestrow::cli
