#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <vector>

#include "ApplyControls.h"
#include "CameraSpace.h"
#include "CombineMattes.h"
#include "Commands.h"
#include "Errors.h"
#include "FileChecks.h"
#include "Frames.h"
#include "LayeredExr.h"
#include "MatteSet.h"
#include "Pick.h"
#include "PointCloud.h"
#include "Presets.h"
#include "Stats.h"

namespace kestrow::cli {
namespace {

namespace fs = std::filesystem;

constexpr const char* kRenderFooter = R"(
Position channels: by default R, G, B and the image's alpha (refused beside a
layer named P, Pworld, Position: name it). --position-layer P picks P.x/y/z
(or X/Y/Z, R/G/B, red/green/blue) of a multilayer file, also as the last part
of a longer layer name such as "beauty.Position". PART:NAME names a part of a
multi-part file. Alpha "none" means coverage 1 everywhere.

OUTPUT: .exr (RGBA, 32-bit float or --data-type half) or an 8-bit preview
(.png, .tif, .jpg; JPEG shows the picture over black). With --add-layer or
--matte, OUTPUT is the input EXR, every part, channel and attribute kept,
with each matte added as layer NAME.R/G/B/A. Frame sequences: put #### or
%04d in OUTPUT (and optionally INPUT) and give --frames A-B.

--position-space camera turns camera-space positions into world space with
each frame's own worldToCamera header matrix (or --world-to-camera where the
header has none). --combine NAME=OP:A,B writes layer NAME from the matte
layers A, B (OP: max, min, subtract, multiply, difference, left to right).
--point-cloud FILE.ply writes the covered pixels as a PLY point cloud
coloured by the matte.

Controls are applied in their order; a --preset is loaded first and the
control flags override it; --pick comes last and moves "Position".

Exit codes: 0 success, 1 failure, 2 usage error.)";

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

// One matte of a run: its layer ("" for a plain output), its controls and
// its own instance.
struct MatteRender {
  std::string layer;
  ControlValues values;
  std::unique_ptr<host::Instance> instance;
};

// The controls of every matte: the command line's own (--preset, then the
// control flags), or for a layered output one per layer, --add-layer's as
// the command line's and each --matte's from its preset with the control
// flags on top. Every preset is loaded before any instance is made.
std::vector<MatteRender> matteControls(PluginSession& session, const RenderRequest& request,
                                       const std::vector<MatteRequest>& layers,
                                       const ControlValues& flags) {
  const bool ownMatte = layers.empty() || layers[0].preset.empty();
  if (!ownMatte && !request.preset.empty())
    usageError("--preset", "sets the --add-layer matte; with --matte alone name each preset there");
  if (!ownMatte && !request.savePreset.empty())
    usageError("--save-preset", "saves the --add-layer matte; with --matte alone there is none");
  std::vector<MatteRender> renders;
  if (layers.empty()) renders.push_back({"", flags, nullptr});
  for (const MatteRequest& layer : layers) renders.push_back({layer.layer, flags, nullptr});
  for (std::size_t i = 0; i < renders.size(); ++i) {
    const std::string& preset =
        layers.empty() || layers[i].preset.empty() ? request.preset : layers[i].preset;
    if (!preset.empty()) renders[i].values = merged(loadPreset(preset, session.specs()), flags);
  }
  return renders;
}

// The "Layer" picture a matte's controls name ("" for none).
std::string picturePath(const PluginSession& session, const ControlValues& values) {
  if (const ControlSpec* layer = findByRole(session.specs(), ControlRole::Picture))
    if (layer->index < int(values.size()) && values[layer->index])
      return std::get<std::string>(*values[layer->index]);
  return {};
}

// --data-type and --compression, for OpenEXR outputs only; --replace-layer
// only with layers to add.
ExrOutputOptions exrOptions(const RenderRequest& request, bool layered) {
  if (!layered && request.replaceLayer)
    usageError("--replace-layer", "needs --add-layer or --matte");
  ExrOutputOptions options;
  for (const std::string* given : {&request.dataType, &request.compression})
    if (!given->empty() && outputKind(request.output) != OutputKind::FloatExr)
      usageError(given == &request.dataType ? "--data-type" : "--compression",
                 "applies to OpenEXR outputs only");
  if (!request.dataType.empty()) parseDataType(request.dataType, options);
  if (!request.compression.empty()) options.compression = parseCompression(request.compression);
  if (layered) checkLayeredOutput(request.output, options);
  return options;
}

// The files of one run: every frame's input and output names, and what the
// run reads besides (presets, "Layer" pictures, the plug-in and its side
// file), so that no output is one of them.
struct RunFiles {
  std::vector<std::string> inputs, outputs, pointClouds;
  ReadFiles read;
};

RunFiles runFiles(const PluginSession& session, const RenderRequest& request,
                  const FrameRange& range, bool sequence, const std::vector<MatteRequest>& layers,
                  const std::vector<MatteRender>& renders) {
  RunFiles files;
  for (long long i = 0; i < range.count(); ++i) {
    const int frame = int(range.first + i);
    files.inputs.push_back(sequence ? expandFramePattern(request.input, frame) : request.input);
    files.outputs.push_back(sequence ? expandFramePattern(request.output, frame) : request.output);
    if (!request.pointCloud.empty())
      files.pointClouds.push_back(sequence ? expandFramePattern(request.pointCloud, frame)
                                           : request.pointCloud);
    files.read.add(files.inputs.back(), "the input");
  }
  files.read.add(request.preset, "the preset");
  for (const MatteRequest& layer : layers) files.read.add(layer.preset, "the preset");
  for (const MatteRender& render : renders)
    files.read.add(picturePath(session, render.values), "the \"Layer\" picture");
  files.read.add(session.pluginPath(), "the plug-in");
  files.read.add(fs::path(session.pluginPath()).replace_extension(".pipl").string(),
                 "the plug-in's side file");
  for (const std::string& output : files.outputs) {
    files.read.refuseOverwrite(output);
    requireWritableOutput(output);
  }
  for (std::size_t i = 0; i < files.pointClouds.size(); ++i) {
    const std::string& cloud = files.pointClouds[i];
    files.read.refuseOverwrite(cloud);
    requireWritableOutput(cloud);
    for (const std::string& output : files.outputs)
      if (sameFile(cloud, output)) usageError(cloud, "is also an output image of this run");
  }
  if (!request.savePreset.empty() && request.savePreset != "-") {
    files.read.refuseOverwrite(request.savePreset);
    requireWritableOutput(request.savePreset);
    for (const std::string& output : files.outputs)
      if (sameFile(request.savePreset, output))
        usageError(request.savePreset, "is also an output image of this run");
  }
  return files;
}

// One frame's input: the position pass, and for a layered output the whole
// file as read (one read serves both).
struct FrameInput {
  ExrSource source;
  PositionChannels channels;
  PositionPass pass;
};

// The --combine layers, checked against the run's matte layers: each part
// one of them, no name twice.
std::vector<CombineRequest> combineRequests(const RenderRequest& request,
                                            const std::vector<MatteRequest>& layers) {
  if (request.combines.empty()) {
    if (request.combineOnly) usageError("--combine-only", "needs --combine");
    return {};
  }
  if (layers.empty()) usageError("--combine", "needs --add-layer or --matte");
  std::vector<CombineRequest> combines;
  for (const std::string& text : request.combines) {
    CombineRequest combine = parseCombineArgument(text);
    const auto named = [&](const std::string& name) {
      for (const MatteRequest& layer : layers)
        if (layer.layer == name) return true;
      return false;
    };
    for (const CombineRequest& earlier : combines)
      if (earlier.layer == combine.layer)
        usageError("--combine", "layer \"" + combine.layer + "\" is named twice");
    if (named(combine.layer))
      usageError("--combine", "layer \"" + combine.layer + "\" is also a matte layer of the run");
    for (const std::string& part : combine.parts)
      if (!named(part))
        usageError("--combine", combine.layer + ": \"" + part +
                                    "\" is not a matte layer of this run (--add-layer or --matte)");
    combines.push_back(std::move(combine));
  }
  return combines;
}

// The layers the output gets: the mattes (unless --combine-only), then the
// combined ones.
std::vector<std::string> writtenLayers(const std::vector<MatteRender>& renders,
                                       const std::vector<CombineRequest>& combines,
                                       bool combineOnly) {
  std::vector<std::string> names;
  if (!combineOnly)
    for (const MatteRender& render : renders) names.push_back(render.layer);
  for (const CombineRequest& combine : combines) names.push_back(combine.layer);
  return names;
}

// The camera-to-world matrix of one frame: the inverse of its header's
// worldToCamera (`header`: the position's part, else the first), else of
// `given`.
Matrix44 frameCameraToWorld(const std::string& input, const std::optional<Matrix44>& header,
                            const std::optional<Matrix44>& given, ErrorKind kind) {
  const std::optional<Matrix44> toCamera = header ? header : given;
  if (!toCamera)
    throw CliError(kind, input,
                   "camera-space positions need the frame's worldToCamera header attribute, and "
                   "this file has none (give the matrix with --world-to-camera)");
  const std::optional<Matrix44> toWorld = inverted(*toCamera);
  if (!toWorld) throw CliError(kind, input, "its worldToCamera matrix cannot be inverted");
  return *toWorld;
}

// Every input of the run is checked from its headers before the first frame
// renders, so that a sequence does not fail after some of its frames.
void checkInputs(const RunFiles& files, const RenderRequest& request,
                 const std::vector<std::string>& written, bool layered,
                 const std::optional<Matrix44>& camera) {
  const bool cameraSpace = request.positionSpace == "camera";
  for (const std::string& input : files.inputs) {
    std::optional<Matrix44> header;
    if (!layered) {
      checkPositionInput(input, request.channels);
      if (cameraSpace) header = worldToCameraInFile(input, request.channels);
    } else {
      const std::vector<OIIO::ImageSpec> parts = readExrHeaders(input);
      const int part = choosePositionChannels(parts, request.channels, input, true).part;
      checkLayerClashes(parts, written, request.replaceLayer, input, ErrorKind::Usage);
      header = worldToCameraOf(parts, part);
    }
    if (cameraSpace) frameCameraToWorld(input, header, camera, ErrorKind::Usage);
  }
}

// A fault found only here (a file changed since it was checked) is a
// failure, not a fault of the command line.
FrameInput readFrame(const std::string& input, const RenderRequest& request,
                     const std::vector<std::string>& written, bool layered) {
  if (!layered) return {{}, {}, readPositionPass(input, request.channels)};
  ExrSource source = readExrSource(input);
  const PositionChannels channels = choosePositionChannels(source.parts, request.channels, input);
  checkLayerClashes(source.parts, written, request.replaceLayer, input, ErrorKind::Failure);
  PositionPass pass = positionFromSource(source, channels);
  return {std::move(source), channels, std::move(pass)};
}

// Which layer colours the point cloud: `--point-cloud-layer`, else the
// first layer written (the plain output's matte without layers).
struct CloudSource {
  int render = 0;    // index into the renders, or -1
  int combine = -1;  // index into the combined layers
};

CloudSource cloudSource(const RenderRequest& request, const std::vector<MatteRender>& renders,
                        const std::vector<CombineRequest>& combines) {
  if (request.pointCloud.empty()) {
    for (const auto& [given, flag] :
         {std::pair{!request.pointCloudLayer.empty(), "--point-cloud-layer"},
          std::pair{request.pointStep != 0, "--point-step"}})
      if (given) usageError(flag, "needs --point-cloud");
    return {};
  }
  checkFramePattern(request.pointCloud);
  if (request.frames.empty() != !hasFramePattern(request.pointCloud))
    usageError(request.pointCloud, request.frames.empty()
                                       ? "has a frame pattern; give the frames with --frames A-B"
                                       : "--frames needs a frame pattern (#### or %04d) here too");
  const std::string& wanted = request.pointCloudLayer;
  if (wanted.empty()) return request.combineOnly ? CloudSource{-1, 0} : CloudSource{};
  for (std::size_t r = 0; r < renders.size(); ++r)
    if (!request.combineOnly && renders[r].layer == wanted) return {int(r), -1};
  for (std::size_t c = 0; c < combines.size(); ++c)
    if (combines[c].layer == wanted) return {-1, int(c)};
  usageError("--point-cloud-layer", "\"" + wanted + "\" is not a layer this run writes");
}

// An option given once per value, every use kept.
void addRepeatable(CLI::App& app, const std::string& name, std::vector<std::string>& values,
                   const std::string& description, const std::string& typeName) {
  app.add_option(name, values, description)
      ->type_name(typeName)
      ->expected(1)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
}

}  // namespace

CLI::App* addRender(CLI::App& app, RenderRequest& request) {
  CLI::App* render = app.add_subcommand("render", "Render mattes from a position pass");
  render->footer(kRenderFooter);
  render->add_option("INPUT", request.input, "Position pass (any image OpenImageIO reads)")
      ->type_name("FILE")
      ->required();
  render->add_option("OUTPUT", request.output, "Output image (.exr, .png, .tif, .jpg)")->required();
  CLI::Option* channels = render
                              ->add_option("--position-channels", request.channels.position,
                                           "Position channels by name: X,Y,Z (e.g. P.x,P.y,P.z)")
                              ->type_name("NAME")
                              ->delimiter(',')
                              ->expected(3);
  render
      ->add_option("--position-layer", request.channels.layer,
                   "Layer holding the position: P, Pworld, <layer>.Position, ...")
      ->type_name("LAYER")
      ->excludes(channels);
  render
      ->add_option("--alpha-channel", request.channels.alpha,
                   "Coverage channel by name, or \"none\" for 1")
      ->type_name("NAME");
  render
      ->add_option("--pick", request.pick,
                   "Pick the position at pixel X,Y, counted from the top left of the display "
                   "window (sets \"Pick Point\", which moves \"Position\")")
      ->type_name("N")
      ->delimiter(',')
      ->expected(2);
  render->add_option("--preset", request.preset, "Load control values from a JSON preset")
      ->type_name("FILE.json");
  render
      ->add_option("--save-preset", request.savePreset,
                   "Write the control values used to a JSON preset")
      ->type_name("FILE.json");
  render->add_flag("--unpremultiply", request.unpremultiply,
                   "Divide X, Y, Z by alpha where 0 < alpha < 1 before rendering");
  render->add_flag("--stats", request.stats,
                   "Per frame: position range, transparent and NaN pixels, matte coverage");
  render->add_option("--frames", request.frames, "Frame range A-B for sequence patterns")
      ->type_name("A-B");
  render
      ->add_option("--add-layer", request.addLayer,
                   "Write the input (OpenEXR) with the matte added as layer NAME.R/G/B/A")
      ->type_name("NAME");
  addRepeatable(*render, "--matte", request.mattes,
                "Add one more matte as layer NAME, rendered with the preset's controls and the "
                "control flags on top (repeatable)",
                "NAME=PRESET.json");
  render->add_flag("--replace-layer", request.replaceLayer,
                   "Replace input layers of those names instead of refusing them");
  render
      ->add_option("--data-type", request.dataType,
                   "EXR sample type of the mattes: half or float (default); all=half or "
                   "all=float converts the input's float channels too")
      ->type_name("TYPE");
  render
      ->add_option("--compression", request.compression,
                   "EXR compression: none, rle, zips, zip, piz, pxr24, b44, b44a, dwaa, dwab "
                   "(default: the input's when adding layers, else zip)")
      ->type_name("NAME");
  render
      ->add_option("--position-space", request.positionSpace,
                   "Space of the input positions: world (default) or camera (turned into world "
                   "space with each frame's worldToCamera header matrix)")
      ->check(CLI::IsMember({"world", "camera"}))
      ->type_name("SPACE");
  render
      ->add_option("--world-to-camera", request.worldToCamera,
                   "The worldToCamera matrix where the header has none: 16 numbers, row by row, "
                   "as OpenEXR stores it")
      ->type_name("M");
  addRepeatable(*render, "--combine", request.combines,
                "Add layer NAME combining matte layers A, B, ... left to right; OP one of " +
                    combineOpNames() + " (repeatable)",
                "NAME=OP:A,B");
  render->add_flag("--combine-only", request.combineOnly,
                   "Leave the combined layers' parts out of the output");
  render
      ->add_option("--point-cloud", request.pointCloud,
                   "Write the covered pixels' world positions, coloured by the matte, as a binary "
                   "PLY point cloud")
      ->type_name("FILE.ply");
  render
      ->add_option("--point-step", request.pointStep,
                   "Keep every Nth covered pixel in the point cloud (default: at most about "
                   "500,000 points a frame)")
      ->check(CLI::Range(1, 1 << 30))
      ->type_name("N");
  render
      ->add_option("--point-cloud-layer", request.pointCloudLayer,
                   "The layer that colours the point cloud (default: the first written)")
      ->type_name("NAME");
  return render;
}

int runRender(PluginSession& session, const RenderRequest& request,
              const ControlFlags& controlFlags) {
  const std::optional<PixelPick> pick =
      request.pick.empty() ? std::nullopt : std::optional(parsePick(request.pick));
  const ControlValues flags = controlFlags.given();
  requireFileName(request.input, "INPUT");
  requireFileName(request.output, "OUTPUT");
  outputKind(request.output);  // refuses an unknown type before any work
  const std::vector<MatteRequest> layers = matteRequests(request.addLayer, request.mattes);
  const bool layered = !layers.empty();
  const ExrOutputOptions exr = exrOptions(request, layered);
  const bool sequence = !request.frames.empty();
  if (sequence && !hasFramePattern(request.output))
    usageError(request.output, "--frames needs a frame pattern (#### or %04d) in OUTPUT");
  if (!sequence && hasFramePattern(request.output))
    usageError(request.output, "has a frame pattern; give the frames with --frames A-B");
  // An input whose own name holds '#' or "%d" is read as that file.
  std::error_code missing;
  if (!sequence && hasFramePattern(request.input) && !fs::exists(request.input, missing))
    usageError(request.input, "has a frame pattern; give the frames with --frames A-B");
  const FrameRange range = sequence ? parseFrameRange(request.frames) : FrameRange{0, 0};
  for (const std::string* name : {&request.input, &request.output}) checkFramePattern(*name);

  const bool cameraSpace = request.positionSpace == "camera";
  if (!cameraSpace && !request.worldToCamera.empty())
    usageError("--world-to-camera", "needs --position-space camera");
  const std::optional<Matrix44> givenCamera =
      request.worldToCamera.empty()
          ? std::nullopt
          : std::optional(parseMatrix(request.worldToCamera, "--world-to-camera"));
  const std::vector<CombineRequest> combines = combineRequests(request, layers);

  std::vector<MatteRender> renders = matteControls(session, request, layers, flags);
  const CloudSource cloud = cloudSource(request, renders, combines);
  const std::vector<std::string> written = writtenLayers(renders, combines, request.combineOnly);
  const RunFiles files = runFiles(session, request, range, sequence, layers, renders);
  checkInputs(files, request, written, layered, givenCamera);
  for (MatteRender& render : renders) {
    render.instance = session.newInstance();
    applyControls(*render.instance, session.specs(), render.values,
                  [&](const std::string& path) { return session.layerWorld(path); });
    // The run is one render, as a render queue item is: each render thread
    // keeps its copy of the sequence data for every frame (set-down ends it).
    if (const host::Status opened = render.instance->beginRender(); !opened.ok())
      failure(session.pluginPath(), "cannot start the render: " + opened.message);
  }
  // A "Layer" mode render is a colour: it cannot be combined.
  std::vector<std::vector<int>> combineParts;
  for (const CombineRequest& combine : combines) {
    combineParts.emplace_back();
    for (const std::string& part : combine.parts)
      for (std::size_t r = 0; r < renders.size(); ++r)
        if (renders[r].layer == part) {
          if (rendersColour(*renders[r].instance, session.specs()))
            usageError("--combine", combine.layer + ": \"" + part +
                                        "\" is a colour (\"Layer\" mode), not a matte");
          combineParts.back().push_back(int(r));
        }
  }

  Progress progress(range.count());
  for (long long i = 0; i < range.count(); ++i) {
    const int frame = int(range.first + i);
    const std::string& output = files.outputs[std::size_t(i)];
    const std::string& input = files.inputs[std::size_t(i)];
    FrameInput in = readFrame(input, request, written, layered);
    if (request.unpremultiply) unpremultiply(in.pass.world);
    // After the division: the conversion is not linear in the coverage.
    if (cameraSpace) {
      // A layered frame's headers are already read; a plain one's are read again.
      const std::optional<Matrix44> header =
          layered ? worldToCameraOf(in.source.parts, in.channels.part)
                  : worldToCameraInFile(input, request.channels);
      transformPositions(in.pass.world,
                         frameCameraToWorld(input, header, givenCamera, ErrorKind::Failure));
    }
    // "Pick Point" holds one value for all frames: picked on the first.
    if (i == 0 && pick) {
      std::vector<host::Instance*> instances;
      for (MatteRender& render : renders) instances.push_back(render.instance.get());
      pickPixel(instances, session.specs(), in.pass.world, in.pass.window, *pick);
    }
    std::vector<host::World> results;
    for (MatteRender& render : renders) {
      results.push_back(session.render(*render.instance, in.pass.world, A_long(frame), output));
      if (request.stats) {
        const FrameStats stats = computeStats(in.pass.world, results.back(),
                                              matteInAlpha(*render.instance, session.specs()));
        std::printf("%s%s\n", layered ? (render.layer + ": ").c_str() : "",
                    formatStats(frame, stats).c_str());
        flushStandardOutput();
      }
    }
    std::vector<host::World> combined;
    for (std::size_t c = 0; c < combines.size(); ++c) {
      std::vector<CombinePart> parts;
      for (int r : combineParts[c])
        parts.push_back({&results[std::size_t(r)],
                         matteInAlpha(*renders[std::size_t(r)].instance, session.specs())});
      combined.push_back(combineMattes(combines[c].op, parts));
    }
    // Checked again: a file may have appeared under this name since.
    files.read.refuseOverwrite(output, ErrorKind::Failure);
    if (layered) {
      std::vector<MatteLayer> mattes;
      if (!request.combineOnly)
        for (std::size_t m = 0; m < renders.size(); ++m)
          mattes.push_back(matteLayer(renders[m].layer, results[m]));
      for (std::size_t c = 0; c < combines.size(); ++c)
        mattes.push_back(matteLayer(combines[c].layer, combined[c]));
      writeLayeredExr(output, in.source, in.channels.part, mattes, request.replaceLayer, exr);
    } else {
      writeImage(output, results[0], in.pass.window, exr);
    }
    if (!files.pointClouds.empty()) {
      const std::string& path = files.pointClouds[std::size_t(i)];
      files.read.refuseOverwrite(path, ErrorKind::Failure);
      PointColour colour = PointColour::MatteInAlpha;
      const host::World* render = nullptr;
      if (cloud.combine >= 0) {
        render = &combined[std::size_t(cloud.combine)];
      } else {
        const host::Instance& instance = *renders[std::size_t(cloud.render)].instance;
        render = &results[std::size_t(cloud.render)];
        colour = rendersColour(instance, session.specs())  ? PointColour::Colour
                 : matteInAlpha(instance, session.specs()) ? PointColour::MatteInAlpha
                                                           : PointColour::MatteInRed;
      }
      const int step = request.pointStep > 0
                           ? request.pointStep
                           : defaultPointStep(in.pass.world.width(), in.pass.world.height());
      writePointCloud(path, in.pass.world, *render, colour, step);
    }
    progress.step(i + 1);
  }
  // Only a run that succeeded leaves a preset; the command line's own
  // matte comes first.
  if (!request.savePreset.empty())
    saveInstancePreset(request.savePreset, session.specs(), *renders[0].instance,
                       picturePath(session, renders[0].values));
  // Set-down failures are reported like the last one's, which unloads.
  for (std::size_t m = 1; m < renders.size(); ++m)
    if (const host::Status closed = renders[m].instance->close(); !closed.ok())
      failure(session.pluginPath(), "effect instance set-down failed: " + closed.message);
  session.finish(std::move(renders[0].instance));
  return 0;
}

}  // namespace kestrow::cli
