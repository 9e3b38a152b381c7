// The plug-in loaded under our host, and what the commands share about it:
// its controls as specs, fresh effect instances, and frame renders.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Controls.h"
#include "Image.h"
#include "kestrow/host/Host.h"
#include "kestrow/host/Instance.h"

namespace kestrow::cli {

// The plug-in built beside the running executable ("Kestrow.so"), or else
// the one installed with it (in lib/kestrow/ beside the tool's bin/).
std::string defaultPluginPath();

class PluginSession {
 public:
  // Loads the plug-in (PiPL checks, global and parameter set-up). Throws a
  // failure CliError naming the plug-in file. `threads` 0: one per core.
  PluginSession(const std::string& pluginPath, unsigned threads);
  ~PluginSession();
  PluginSession(const PluginSession&) = delete;
  PluginSession& operator=(const PluginSession&) = delete;

  const std::string& pluginPath() const { return path_; }
  host::Host& host() { return host_; }
  const std::vector<ControlSpec>& specs() const { return specs_; }
  const std::vector<host::ParamInfo>& params() const { return host_.params(); }

  // A new effect instance with every control at its default.
  std::unique_ptr<host::Instance> newInstance();

  // Reads a "Layer" picture once per path and keeps it for later frames.
  std::shared_ptr<host::World> layerWorld(const std::string& path);
  // Hands a picture that is already in memory to a "Layer" control under
  // `name` (what layerWorld(name) then returns).
  void addLayerPicture(const std::string& name, const OIIO::ImageBuf& picture);

  // One full host render (smart pre-render and render) of `input` at frame
  // `time` into a new world of the same size. Throws a failure CliError
  // naming `subject` when the host or the plug-in fails.
  host::World render(host::Instance& instance, host::World& input, A_long time,
                     const std::string& subject);
  // The same for an image in memory; the result has the pass's window.
  OIIO::ImageBuf render(host::Instance& instance, const OIIO::ImageBuf& pass, A_long time,
                        const std::string& subject);

  // Closes the instance and unloads the plug-in, reporting any failure
  // (a leak or a failing set-down) as a CliError naming the plug-in.
  void finish(std::unique_ptr<host::Instance> instance);

 private:
  std::string path_;
  host::Host host_;
  std::vector<ControlSpec> specs_;
  std::map<std::string, std::shared_ptr<host::World>> layers_;
};

}  // namespace kestrow::cli
