#include "Session.h"

#include <filesystem>
#include <system_error>

#include "Errors.h"
#include "FileChecks.h"
#include "ImageIO.h"

namespace kestrow::cli {
namespace fs = std::filesystem;

std::string defaultPluginPath() {
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  const fs::path folder = ec ? fs::current_path() : self.parent_path();
  const fs::path beside = folder / "Kestrow.so";
  // An installed tool: the plug-in sits where the install put it, found
  // from the executable so that the installed tree can move as a whole.
  const fs::path installed = folder / KESTROW_PLUGIN_FROM_TOOL / "Kestrow.so";
  if (!fs::exists(beside, ec) && fs::exists(installed, ec))
    return installed.lexically_normal().string();
  return beside.string();
}

PluginSession::PluginSession(const std::string& pluginPath, unsigned threads)
    : path_(pluginPath), host_(host::HostOptions{PF_APPL_ID_AFTER_EFFECTS, threads, false}) {
  requireFileName(pluginPath, "--plugin");
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
  auto world = std::make_shared<host::World>(readPicture(path, "Layer"));
  layers_.emplace(path, world);
  return world;
}

void PluginSession::addLayerPicture(const std::string& name, const OIIO::ImageBuf& picture) {
  layers_[name] = std::make_shared<host::World>(toWorld(picture));
}

host::World PluginSession::render(host::Instance& instance, host::World& input, A_long time,
                                  const std::string& subject) {
  host::World output = newFloatWorld(input.width(), input.height(), subject);
  host::RenderOptions options;
  options.currentTime = time;
  const host::Status status = instance.render(input, output, options);
  if (!status.ok()) failure(subject, "render failed: " + status.message);
  return output;
}

OIIO::ImageBuf PluginSession::render(host::Instance& instance, const OIIO::ImageBuf& pass,
                                     A_long time, const std::string& subject) {
  host::World input = toWorld(pass);
  return fromWorld(render(instance, input, time, subject), windowOf(pass.spec()));
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

}  // namespace kestrow::cli
