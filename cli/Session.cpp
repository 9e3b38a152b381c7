#include "Session.h"

#include <filesystem>
#include <system_error>

#include "Errors.h"
#include "ImageIO.h"

namespace kestrow::cli {
namespace fs = std::filesystem;

std::string defaultPluginPath() {
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  const fs::path folder = ec ? fs::current_path() : self.parent_path();
  return (folder / "Kestrow.so").string();
}

PluginSession::PluginSession(const std::string& pluginPath, unsigned threads)
    : path_(pluginPath), host_(host::HostOptions{PF_APPL_ID_AFTER_EFFECTS, threads, false}) {
  std::error_code ec;
  if (!fs::exists(pluginPath, ec))
    failure(pluginPath, "no such plug-in file (build it, or name one with --plugin)");
  const host::Status status = host_.load(pluginPath);
  if (!status.ok()) failure(pluginPath, "cannot be loaded: " + status.message);
  specs_ = controlSpecs(host_.params());
}

PluginSession::~PluginSession() {
  layers_.clear();
  host_.unload();
}

std::unique_ptr<host::Instance> PluginSession::newInstance() {
  std::unique_ptr<host::Instance> instance;
  const host::Status status = host_.createInstance(instance);
  if (!status.ok() || !instance)
    failure(path_, "cannot create an effect instance: " + status.message);
  return instance;
}

std::shared_ptr<host::World> PluginSession::layerWorld(const std::string& path) {
  auto found = layers_.find(path);
  if (found != layers_.end()) return found->second;
  const RgbaImage picture = readPicture(path, "Layer");
  auto world = std::make_shared<host::World>(toWorld(picture));
  layers_.emplace(path, world);
  return world;
}

void PluginSession::addLayerPicture(const std::string& name, const RgbaImage& picture) {
  layers_[name] = std::make_shared<host::World>(toWorld(picture));
}

RgbaImage PluginSession::render(host::Instance& instance, const RgbaImage& pass, A_long time,
                                const std::string& subject) {
  host::World input = toWorld(pass);
  host::World output(pass.width, pass.height, host::PixelDepth::kFloat32);
  if (!output.valid()) failure(subject, "the picture is too large for the host");
  host::RenderOptions options;
  options.currentTime = time;
  const host::Status status = instance.render(input, output, options);
  if (!status.ok()) failure(subject, "render failed: " + status.message);
  return fromWorld(output, pass.window);
}

void PluginSession::finish(std::unique_ptr<host::Instance> instance) {
  if (instance) {
    const host::Status closed = instance->close();
    instance.reset();
    if (!closed.ok()) failure(path_, "effect instance set-down failed: " + closed.message);
  }
  layers_.clear();
  const host::Status status = host_.unload();
  if (!status.ok()) failure(path_, "unload failed: " + status.message);
}

host::World toWorld(const RgbaImage& image) {
  host::World world(image.width, image.height, host::PixelDepth::kFloat32);
  if (!world.valid()) failure("image", "the picture is too large for the host");
  for (int row = 0; row < image.height; ++row)
    for (int column = 0; column < image.width; ++column) {
      const float* src = image.at(column, row);
      *world.pixelFloat(column, row) = PF_PixelFloat{src[3], src[0], src[1], src[2]};
    }
  return world;
}

RgbaImage fromWorld(const host::World& world, const ImageWindow& window) {
  RgbaImage image(world.width(), world.height());
  image.window = window;
  for (int row = 0; row < image.height; ++row) {
    const auto* src = static_cast<const PF_PixelFloat*>(world.row(row));
    for (int column = 0; column < image.width; ++column) {
      float* dst = image.at(column, row);
      dst[0] = src[column].red;
      dst[1] = src[column].green;
      dst[2] = src[column].blue;
      dst[3] = src[column].alpha;
    }
  }
  return image;
}

}  // namespace kestrow::cli
