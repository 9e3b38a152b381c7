#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <filesystem>

#include "Commands.h"
#include "Errors.h"
#include "Frames.h"
#include "Presets.h"
#include "Stats.h"

namespace kestrow::cli {
namespace {

struct PixelPick {
  int x = 0, y = 0;
};

PixelPick parsePick(const std::string& text) {
  PixelPick pick;
  const std::size_t comma = text.find(',');
  auto parse = [](std::string_view part, int& value) {
    const auto r = std::from_chars(part.data(), part.data() + part.size(), value);
    return !part.empty() && r.ec == std::errc() && r.ptr == part.data() + part.size();
  };
  if (comma == std::string::npos || !parse(std::string_view(text).substr(0, comma), pick.x) ||
      !parse(std::string_view(text).substr(comma + 1), pick.y))
    usageError("--pick", "\"" + text + "\" is not a pixel X,Y");
  return pick;
}

// Sets "Pick Point" through the eyedropper path to the pass's colour at the
// pixel, which the plug-in answers by moving "Position" there.
void pickPixel(PluginSession& session, host::Instance& instance, const RgbaImage& pass,
               const PixelPick& pick) {
  const ControlSpec* colour = nullptr;
  for (const ControlSpec& spec : session.specs())
    if (spec.kind == ControlKind::Color) colour = &spec;
  if (!colour) usageError("--pick", "the plug-in has no colour control to pick with");
  if (pick.x < 0 || pick.y < 0 || pick.x >= pass.width || pick.y >= pass.height)
    usageError("--pick", std::to_string(pick.x) + "," + std::to_string(pick.y) +
                             " is outside the " + std::to_string(pass.width) + "x" +
                             std::to_string(pass.height) + " input");
  const float* px = pass.at(pick.x, pick.y);
  if (!(px[3] > 0.f))
    warn("--pick", "pixel " + std::to_string(pick.x) + "," + std::to_string(pick.y) +
                       " is transparent; its position is probably not a surface");
  ControlValues values(std::size_t(colour->index) + 1);
  values[colour->index] = std::array<double, 3>{px[0], px[1], px[2]};
  applyControls(instance, session.specs(), values, {});
}

void unpremultiply(RgbaImage& pass) {
  for (std::size_t p = 0; p < pass.pixelCount(); ++p) {
    float* px = pass.pixels.data() + p * 4;
    if (px[3] > 0.f && px[3] < 1.f)
      for (int c = 0; c < 3; ++c) px[c] /= px[3];
  }
}

// Whether renders carry the matte in alpha: "Alpha Matte" on and a mode
// other than the colour-writing "Layer".
bool matteInAlpha(PluginSession& session, const host::Instance& instance) {
  const ControlSpec* mode = findByName(session.specs(), "Mode");
  const ControlSpec* alpha = findByName(session.specs(), "Alpha Matte");
  if (mode && formatControlValue(*mode, currentValue(instance, *mode, "")) == "Layer") return true;
  return !alpha || std::get<bool>(currentValue(instance, *alpha, ""));
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
  const std::optional<PixelPick> pick =
      request.pick.empty() ? std::nullopt : std::optional<PixelPick>(parsePick(request.pick));

  ControlValues values = flags;
  if (!request.preset.empty()) values = merged(loadPreset(request.preset, session.specs()), flags);

  std::unique_ptr<host::Instance> instance = session.newInstance();
  applyControls(*instance, session.specs(), values,
                [&](const std::string& path) { return session.layerWorld(path); });

  // The Layer control's file is kept by name for --save-preset.
  std::string layerPath;
  if (const ControlSpec* layer = findByName(session.specs(), "Layer"))
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
      if (pick) pickPixel(session, *instance, pass.image, *pick);
      if (!request.savePreset.empty()) {
        ControlValues all(std::size_t(session.params().size()));
        for (const ControlSpec& spec : session.specs())
          all[spec.index] = currentValue(*instance, spec, layerPath);
        savePreset(request.savePreset, session.specs(), all);
      }
    }
    const RgbaImage result = session.render(*instance, pass.image, A_long(frame), output);
    if (request.stats) {
      const FrameStats stats = computeStats(pass.image, result, matteInAlpha(session, *instance));
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
