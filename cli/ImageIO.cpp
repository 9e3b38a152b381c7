#include "ImageIO.h"

#include <OpenImageIO/imageio.h>
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <optional>
#include <system_error>

#include "AtomicFile.h"
#include "Errors.h"

namespace kestrow::cli {
namespace {

namespace fs = std::filesystem;
using OIIO::ImageSpec;
using OIIO::TypeDesc;

// One subimage's channels and the indices chosen from it.
struct ChosenChannels {
  int subimage = 0;
  int index[4] = {-1, -1, -1, -1};  // X, Y, Z, alpha (-1: alpha 1)
};

std::string listNames(const std::vector<std::string>& names) {
  std::string text;
  const std::size_t shown = std::min<std::size_t>(names.size(), 16);
  for (std::size_t i = 0; i < shown; ++i) text += (i ? ", " : "") + names[i];
  if (names.size() > shown) text += ", ... (" + std::to_string(names.size()) + " in all)";
  return text;
}

std::vector<std::string> allChannelNames(const std::vector<ImageSpec>& specs) {
  std::vector<std::string> names;
  for (const ImageSpec& spec : specs)
    for (const std::string& name : spec.channelnames)
      if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
  return names;
}

int channelIndex(const ImageSpec& spec, const std::string& name) {
  for (int c = 0; c < spec.nchannels; ++c)
    if (spec.channelnames[c] == name) return c;
  return -1;
}

std::unique_ptr<OIIO::ImageInput> openInput(const std::string& path, const std::string& subject) {
  std::error_code ec;
  if (!fs::exists(path, ec)) failure(subject, "no such file: " + path);
  auto in = OIIO::ImageInput::open(path);
  if (!in) {
    std::string why = OIIO::geterror();
    failure(subject, "cannot be read as an image" + (why.empty() ? "" : " (" + why + ")"));
  }
  return in;
}

std::vector<ImageSpec> readSpecs(OIIO::ImageInput& in) {
  std::vector<ImageSpec> specs;
  for (int s = 0; in.seek_subimage(s, 0); ++s) specs.push_back(in.spec());
  return specs;
}

// Channels by explicit name: the first subimage holding all three.
ChosenChannels byNames(const std::vector<ImageSpec>& specs, const std::vector<std::string>& names,
                       const std::string& path) {
  for (int s = 0; s < int(specs.size()); ++s) {
    ChosenChannels chosen{s, {-1, -1, -1, -1}};
    bool all = true;
    for (int i = 0; i < 3; ++i)
      all = all && (chosen.index[i] = channelIndex(specs[s], names[i])) >= 0;
    if (all) return chosen;
  }
  for (const std::string& name : names)
    if (channelIndex(specs[0], name) < 0 &&
        std::none_of(specs.begin(), specs.end(),
                     [&](const ImageSpec& spec) { return channelIndex(spec, name) >= 0; }))
      failure(path,
              "no channel \"" + name + "\" (channels: " + listNames(allChannelNames(specs)) + ")");
  failure(path, "channels " + names[0] + ", " + names[1] + ", " + names[2] +
                    " are not in one part of the file");
}

std::string layerOf(const std::string& channel) {
  const auto dot = channel.rfind('.');
  return dot == std::string::npos ? std::string() : channel.substr(0, dot);
}

bool layerMatches(const std::string& layer, const std::string& wanted) {
  return layer == wanted || (layer.size() > wanted.size() && layer.ends_with(wanted) &&
                             layer[layer.size() - wanted.size() - 1] == '.');
}

// Channels by layer name: <layer>.X/Y/Z (or x/y/z, R/G/B, r/g/b). A layer
// name that matches two different layers is refused as ambiguous.
ChosenChannels byLayer(const std::vector<ImageSpec>& specs, const std::string& wanted,
                       const std::string& path, std::string& foundLayer) {
  static const char* const kComponents[][3] = {
      {"X", "Y", "Z"}, {"x", "y", "z"}, {"R", "G", "B"}, {"r", "g", "b"}};
  std::vector<std::pair<std::string, ChosenChannels>> found;
  std::vector<std::string> layers;
  for (int s = 0; s < int(specs.size()); ++s) {
    for (const std::string& channel : specs[s].channelnames) {
      const std::string layer = layerOf(channel);
      if (layer.empty()) continue;
      if (std::find(layers.begin(), layers.end(), layer) == layers.end()) layers.push_back(layer);
      if (!layerMatches(layer, wanted)) continue;
      if (std::any_of(found.begin(), found.end(), [&](auto& f) { return f.first == layer; }))
        continue;
      for (const auto& names : kComponents) {
        ChosenChannels chosen{s, {-1, -1, -1, -1}};
        bool all = true;
        for (int i = 0; i < 3; ++i)
          all = all && (chosen.index[i] = channelIndex(specs[s], layer + "." + names[i])) >= 0;
        if (all) {
          found.emplace_back(layer, chosen);
          break;
        }
      }
    }
  }
  if (found.empty())
    failure(path, "no layer \"" + wanted + "\" with X, Y, Z channels (layers: " +
                      (layers.empty() ? std::string("none") : listNames(layers)) + ")");
  if (found.size() > 1) {
    std::vector<std::string> names;
    for (auto& f : found) names.push_back(f.first);
    failure(path, "layer \"" + wanted + "\" is ambiguous (matches " + listNames(names) + ")");
  }
  foundLayer = found[0].first;
  return found[0].second;
}

// Default: R, G, B if present, else the first three channels that are
// neither alpha nor depth, in the first part of the file.
ChosenChannels byDefault(const ImageSpec& spec, const std::string& path) {
  ChosenChannels chosen;
  const char* const rgb[3] = {"R", "G", "B"};
  bool all = true;
  for (int i = 0; i < 3; ++i) all = all && (chosen.index[i] = channelIndex(spec, rgb[i])) >= 0;
  if (all) return chosen;
  int n = 0;
  for (int c = 0; c < spec.nchannels && n < 3; ++c)
    if (c != spec.alpha_channel && c != spec.z_channel) chosen.index[n++] = c;
  if (n < 3)
    failure(path, "has " + std::to_string(n) +
                      " colour channel(s); a position pass needs three (X, Y, Z)");
  return chosen;
}

void chooseAlpha(const ImageSpec& spec, const std::string& wanted, const std::string& layer,
                 ChosenChannels& chosen, const std::string& path) {
  if (wanted == "none") return;
  if (!wanted.empty()) {
    chosen.index[3] = channelIndex(spec, wanted);
    if (chosen.index[3] < 0)
      failure(path, "no channel \"" + wanted + "\" beside the position channels (channels: " +
                        listNames(spec.channelnames) + ")");
    return;
  }
  if (!layer.empty())
    for (const char* name : {".A", ".a", ".alpha"})
      if ((chosen.index[3] = channelIndex(spec, layer + name)) >= 0) return;
  int alpha = spec.alpha_channel >= 0 ? spec.alpha_channel : channelIndex(spec, "A");
  for (int i = 0; i < 3; ++i)
    if (alpha == chosen.index[i]) alpha = -1;
  chosen.index[3] = alpha;
}

bool isIntegerFormat(TypeDesc format) {
  return format.basetype != TypeDesc::FLOAT && format.basetype != TypeDesc::HALF &&
         format.basetype != TypeDesc::DOUBLE;
}

std::vector<float> readAllChannels(OIIO::ImageInput& in, int subimage, const ImageSpec& spec,
                                   const std::string& subject) {
  std::vector<float> data(std::size_t(spec.width) * spec.height * spec.nchannels);
  if (!in.read_image(subimage, 0, 0, spec.nchannels, TypeDesc::FLOAT, data.data()))
    failure(subject, "cannot be read (" + in.geterror() + ")");
  return data;
}

void checkShape(const ImageSpec& spec, const std::string& subject) {
  if (spec.deep) failure(subject, "deep images are not supported");
  if (spec.depth > 1) failure(subject, "volume images are not supported");
  if (spec.width <= 0 || spec.height <= 0) failure(subject, "the image is empty");
}

ImageWindow windowOf(const ImageSpec& spec) {
  return {spec.x, spec.y, spec.full_x, spec.full_y, spec.full_width, spec.full_height};
}

}  // namespace

std::string lowerExtension(const std::string& path) {
  std::string ext = fs::path(path).extension().string();
  for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

PositionPass readPositionPass(const std::string& path, const ChannelSelection& selection) {
  auto in = openInput(path, path);
  const std::vector<ImageSpec> specs = readSpecs(*in);
  if (specs.empty()) failure(path, "holds no image");

  std::string layer;
  ChosenChannels chosen;
  if (!selection.position.empty()) {
    if (selection.position.size() != 3)
      usageError("--position-channels", "takes three channel names (X, Y, Z), got " +
                                            std::to_string(selection.position.size()));
    chosen = byNames(specs, selection.position, path);
  } else if (!selection.layer.empty()) {
    chosen = byLayer(specs, selection.layer, path, layer);
  } else {
    chosen = byDefault(specs[0], path);
  }
  const ImageSpec& spec = specs[chosen.subimage];
  checkShape(spec, path);
  chooseAlpha(spec, selection.alpha, layer, chosen, path);

  std::vector<std::string> integerChannels;
  for (int i = 0; i < 3; ++i)
    if (isIntegerFormat(spec.channelformat(chosen.index[i])))
      integerChannels.push_back(spec.channelnames[chosen.index[i]]);
  if (!integerChannels.empty())
    warn(path, "integer channels (" + listNames(integerChannels) + std::string(", ") +
                   std::string(spec.channelformat(chosen.index[0]).c_str()) +
                   ") widened to float; integer positions are probably not a position pass");

  const std::vector<float> data = readAllChannels(*in, chosen.subimage, spec, path);
  PositionPass pass;
  pass.image = RgbaImage(spec.width, spec.height);
  pass.image.window = windowOf(spec);
  const std::size_t n = pass.image.pixelCount();
  for (std::size_t p = 0; p < n; ++p) {
    const float* src = data.data() + p * spec.nchannels;
    float* dst = pass.image.pixels.data() + p * 4;
    for (int i = 0; i < 3; ++i) dst[i] = src[chosen.index[i]];
    dst[3] = chosen.index[3] >= 0 ? src[chosen.index[3]] : 1.f;
  }
  for (int i = 0; i < 4; ++i)
    pass.channels[i] = chosen.index[i] >= 0 ? spec.channelnames[chosen.index[i]] : "";
  return pass;
}

RgbaImage readPicture(const std::string& path, const std::string& subject) {
  auto in = openInput(path, subject);
  const ImageSpec spec = in->spec();
  checkShape(spec, subject);
  const std::vector<float> data = readAllChannels(*in, 0, spec, subject);
  int alpha = spec.alpha_channel;
  if (alpha < 0 && (spec.nchannels == 2 || spec.nchannels == 4)) alpha = spec.nchannels - 1;
  int colour[3] = {0, 0, 0};
  if (spec.nchannels - (alpha >= 0 ? 1 : 0) >= 3) {
    int n = 0;
    for (int c = 0; c < spec.nchannels && n < 3; ++c)
      if (c != alpha) colour[n++] = c;
  } else {
    const int grey = alpha == 0 ? 1 : 0;
    colour[0] = colour[1] = colour[2] = grey;
  }
  RgbaImage image(spec.width, spec.height);
  image.window = windowOf(spec);
  for (std::size_t p = 0; p < image.pixelCount(); ++p) {
    const float* src = data.data() + p * spec.nchannels;
    float* dst = image.pixels.data() + p * 4;
    for (int i = 0; i < 3; ++i) dst[i] = src[colour[i]];
    dst[3] = alpha >= 0 ? src[alpha] : 1.f;
  }
  return image;
}

OutputKind outputKind(const std::string& path) {
  const std::string ext = lowerExtension(path);
  if (ext == ".exr") return OutputKind::FloatExr;
  if (ext == ".png" || ext == ".jpg" || ext == ".jpeg" || ext == ".tif" || ext == ".tiff")
    return OutputKind::Preview8;
  usageError(path, "unsupported output type \"" + ext +
                       "\" (use .exr for float output, or .png, .tif, .jpg for a preview)");
}

void writeImage(const std::string& path, const RgbaImage& image) {
  const OutputKind kind = outputKind(path);
  const bool noAlpha = lowerExtension(path) == ".jpg" || lowerExtension(path) == ".jpeg";
  const int channels = noAlpha ? 3 : 4;

  ImageSpec spec(image.width, image.height, channels,
                 kind == OutputKind::FloatExr ? TypeDesc::FLOAT : TypeDesc::UINT8);
  spec.x = image.window.x;
  spec.y = image.window.y;
  spec.full_x = image.window.fullX;
  spec.full_y = image.window.fullY;
  spec.full_width = image.window.fullWidth;
  spec.full_height = image.window.fullHeight;
  if (kind == OutputKind::FloatExr) {
    spec.attribute("compression", "zip");
  } else {
    // The values are written as they are, not divided by alpha.
    spec.attribute("oiio:UnassociatedAlpha", 1);
  }

  std::vector<float> pixels;
  const std::vector<float>* source = &image.pixels;
  if (noAlpha) {
    pixels.resize(image.pixelCount() * 3);
    for (std::size_t p = 0; p < image.pixelCount(); ++p)
      for (int c = 0; c < 3; ++c)
        pixels[p * 3 + c] = image.pixels[p * 4 + c] * image.pixels[p * 4 + 3];
    source = &pixels;
  } else if (kind == OutputKind::Preview8) {
    // Not-a-number would otherwise land on an arbitrary byte.
    pixels = image.pixels;
    for (float& v : pixels)
      if (v != v) v = 0.f;
    source = &pixels;
  }

  const fs::path target(path);
  const fs::path temporary = temporaryPathFor(target);
  auto out = OIIO::ImageOutput::create(path);
  if (!out) failure(path, "no writer for this file type (" + OIIO::geterror() + ")");
  bool ok = out->open(temporary.string(), spec) &&
            out->write_image(TypeDesc::FLOAT, source->data()) && out->close();
  std::error_code ec;
  if (!ok) {
    std::string why = out->geterror();
    out.reset();
    fs::remove(temporary, ec);
    std::error_code dirError;
    if (!target.parent_path().empty() && !fs::is_directory(target.parent_path(), dirError))
      why = "folder " + target.parent_path().string() + " does not exist";
    failure(path, "cannot be written" + (why.empty() ? "" : " (" + why + ")"));
  }
  out.reset();
  commitTemporary(temporary, target);
}

}  // namespace kestrow::cli
