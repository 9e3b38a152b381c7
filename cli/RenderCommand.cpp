#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "Commands.h"
#include "Errors.h"
#include "FileChecks.h"
#include "Frames.h"
#include "Presets.h"
#include "Stats.h"

namespace kestrow::cli {
namespace {

namespace fs = std::filesystem;

void unpremultiply(host::World& pass) {
  for (int y = 0; y < pass.height(); ++y) {
    auto* px = static_cast<PF_PixelFloat*>(pass.row(y));
    for (int x = 0; x < pass.width(); ++x, ++px)
      if (px->alpha > 0.f && px->alpha < 1.f) {
        px->red /= px->alpha;
        px->green /= px->alpha;
        px->blue /= px->alpha;
      }
  }
}

class Progress {
 public:
  explicit Progress(long long total) : total_(total), shown_(total > 1 && ::isatty(2)) {}
  void step(long long done) {
    if (!shown_) return;
    const int width = 30, filled = int(width * done / total_);
    std::fprintf(stderr, "\r[%s%s] %lld/%lld frames", std::string(filled, '#').c_str(),
                 std::string(width - filled, ' ').c_str(), done, total_);
    if (done == total_) std::fputc('\n', stderr);
    std::fflush(stderr);
  }

 private:
  long long total_;
  bool shown_;
};

ControlValues merged(const ControlValues& base, const ControlValues& over) {
  ControlValues values(std::max(base.size(), over.size()));
  for (std::size_t i = 0; i < values.size(); ++i)
    values[i] = i < over.size() && over[i] ? over[i] : (i < base.size() ? base[i] : std::nullopt);
  return values;
}

// The files of one run: every frame's input and output names, and what the
// run reads besides (preset, "Layer" picture, the plug-in and its side
// file), so that no output is one of them.
struct RunFiles {
  std::vector<std::string> inputs, outputs;
  ReadFiles read;
};

RunFiles runFiles(const PluginSession& session, const RenderRequest& request,
                  const FrameRange& range, bool sequence, const std::string& layerPath) {
  RunFiles files;
  for (long long i = 0; i < range.count(); ++i) {
    const int frame = int(range.first + i);
    files.inputs.push_back(sequence ? expandFramePattern(request.input, frame) : request.input);
    files.outputs.push_back(sequence ? expandFramePattern(request.output, frame) : request.output);
    files.read.add(files.inputs.back(), "the input");
  }
  files.read.add(request.preset, "the preset");
  files.read.add(layerPath, "the \"Layer\" picture");
  files.read.add(session.pluginPath(), "the plug-in");
  files.read.add(fs::path(session.pluginPath()).replace_extension(".pipl").string(),
                 "the plug-in's side file");
  for (const std::string& output : files.outputs) files.read.refuseOverwrite(output);
  if (!request.savePreset.empty()) {
    files.read.refuseOverwrite(request.savePreset);
    for (const std::string& output : files.outputs)
      if (sameFile(request.savePreset, output))
        usageError(request.savePreset, "is also an output image of this run");
  }
  return files;
}

}  // namespace

int runRender(PluginSession& session, const RenderRequest& request, const ControlValues& flags) {
  requireFileName(request.input, "INPUT");
  requireFileName(request.output, "OUTPUT");
  outputKind(request.output);  // refuses an unknown type before any work
  const bool sequence = !request.frames.empty();
  if (sequence && !hasFramePattern(request.output))
    usageError(request.output, "--frames needs a frame pattern (#### or %04d) in OUTPUT");
  if (!sequence && hasFramePattern(request.output))
    usageError(request.output, "has a frame pattern; give the frames with --frames A-B");
  if (!sequence && hasFramePattern(request.input))
    usageError(request.input, "has a frame pattern; give the frames with --frames A-B");
  const FrameRange range = sequence ? parseFrameRange(request.frames) : FrameRange{0, 0};

  ControlValues values = flags;
  if (!request.preset.empty()) values = merged(loadPreset(request.preset, session.specs()), flags);

  // The Layer control's file is kept by name for --save-preset.
  std::string layerPath;
  if (const ControlSpec* layer = pictureControl(session.specs()))
    if (layer->index < int(values.size()) && values[layer->index])
      layerPath = std::get<std::string>(*values[layer->index]);
  const RunFiles files = runFiles(session, request, range, sequence, layerPath);

  std::unique_ptr<host::Instance> instance = session.newInstance();
  applyControls(*instance, session.specs(), values,
                [&](const std::string& path) { return session.layerWorld(path); });

  Progress progress(range.count());
  for (long long i = 0; i < range.count(); ++i) {
    const int frame = int(range.first + i);
    const std::string& output = files.outputs[std::size_t(i)];
    PositionPass pass = readPositionPass(files.inputs[std::size_t(i)], request.channels);
    if (request.unpremultiply) unpremultiply(pass.world);
    if (i == 0) {
      // "Pick Point" holds one value for all frames: picked on the first.
      if (request.pick)
        pickPixel(*instance, session.specs(), pass.world, pass.window, *request.pick);
      if (!request.savePreset.empty()) {
        ControlValues all(std::size_t(session.params().size()));
        for (const ControlSpec& spec : session.specs())
          all[spec.index] = currentValue(*instance, spec, layerPath);
        savePreset(request.savePreset, session.specs(), all);
      }
    }
    const host::World result = session.render(*instance, pass.world, A_long(frame), output);
    if (request.stats) {
      const FrameStats stats = computeStats(
          pass.world, result, matteInAlpha(*instance, session.specs(), session.params()));
      std::printf("%s\n", formatStats(frame, stats).c_str());
      flushStandardOutput();
    }
    // Checked again: a file may have appeared under this name since.
    files.read.refuseOverwrite(output);
    writeImage(output, result, pass.window);
    progress.step(i + 1);
  }
  session.finish(std::move(instance));
  return 0;
}

}  // namespace kestrow::cli
