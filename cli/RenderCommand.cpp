#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "Commands.h"
#include "Errors.h"
#include "Frames.h"
#include "Presets.h"
#include "Stats.h"

namespace kestrow::cli {
namespace {

void unpremultiply(RgbaImage& pass) {
  for (std::size_t p = 0; p < pass.pixelCount(); ++p) {
    float* px = pass.pixels.data() + p * 4;
    if (px[3] > 0.f && px[3] < 1.f)
      for (int c = 0; c < 3; ++c) px[c] /= px[3];
  }
}

class Progress {
 public:
  explicit Progress(int total) : total_(total), shown_(total > 1 && ::isatty(2)) {}
  void step(int done) {
    if (!shown_) return;
    const int width = 30, filled = width * done / total_;
    std::fprintf(stderr, "\r[%s%s] %d/%d frames", std::string(filled, '#').c_str(),
                 std::string(width - filled, ' ').c_str(), done, total_);
    if (done == total_) std::fputc('\n', stderr);
    std::fflush(stderr);
  }

 private:
  int total_;
  bool shown_;
};

ControlValues merged(const ControlValues& base, const ControlValues& over) {
  ControlValues values(std::max(base.size(), over.size()));
  for (std::size_t i = 0; i < values.size(); ++i)
    values[i] = i < over.size() && over[i] ? over[i] : (i < base.size() ? base[i] : std::nullopt);
  return values;
}

}  // namespace

int runRender(PluginSession& session, const RenderRequest& request, const ControlValues& flags) {
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

  std::unique_ptr<host::Instance> instance = session.newInstance();
  applyControls(*instance, session.specs(), values,
                [&](const std::string& path) { return session.layerWorld(path); });

  // The Layer control's file is kept by name for --save-preset.
  std::string layerPath;
  if (const ControlSpec* layer = pictureControl(session.specs()))
    if (layer->index < int(values.size()) && values[layer->index])
      layerPath = std::get<std::string>(*values[layer->index]);

  Progress progress(range.last - range.first + 1);
  for (int frame = range.first; frame <= range.last; ++frame) {
    const std::string input = sequence ? expandFramePattern(request.input, frame) : request.input;
    const std::string output =
        sequence ? expandFramePattern(request.output, frame) : request.output;
    PositionPass pass = readPositionPass(input, request.channels);
    if (request.unpremultiply) unpremultiply(pass.image);
    if (frame == range.first) {
      // "Pick Point" holds one value for all frames: picked on the first.
      if (request.pick) pickPixel(*instance, session.specs(), pass.image, *request.pick);
      if (!request.savePreset.empty()) {
        ControlValues all(std::size_t(session.params().size()));
        for (const ControlSpec& spec : session.specs())
          all[spec.index] = currentValue(*instance, spec, layerPath);
        savePreset(request.savePreset, session.specs(), all);
      }
    }
    const RgbaImage result = session.render(*instance, pass.image, A_long(frame), output);
    if (request.stats) {
      const FrameStats stats = computeStats(
          pass.image, result, matteInAlpha(*instance, session.specs(), session.params()));
      std::printf("%s\n", formatStats(frame, stats).c_str());
      std::fflush(stdout);
    }
    writeImage(output, result);
    progress.step(frame - range.first + 1);
  }
  session.finish(std::move(instance));
  return 0;
}

}  // namespace kestrow::cli
