#include <cstdio>
#include <filesystem>
#include <system_error>

#include "ApplyControls.h"
#include "Commands.h"
#include "ContactSheet.h"
#include "ControlText.h"
#include "DemoScene.h"
#include "Errors.h"
#include "ImageIO.h"
#include "LayeredExr.h"
#include "PointCloud.h"
#include "Presets.h"

namespace kestrow::cli {
namespace {

namespace fs = std::filesystem;

// Name under which the built-in picture is handed to the "Layer" control.
constexpr const char* kPictureFile = "picture.exr";

struct DemoShot {
  const char* file;     // output name without extension
  const char* caption;  // what the sheet says about the settings
  std::vector<std::pair<std::string, std::string>> controls;  // display name, value
};

// One render per mode, with settings chosen to show it off in the scene
// (ground at y = 0, objects within about 3 units of the origin).
std::vector<DemoShot> demoShots(const std::string& picture) {
  return {
      {"circle",
       "ball: radius 1.8, feather 0.8",
       {{"Mode", "Circle"}, {"Position", "-0.6,0.6,0.4"}, {"Radius", "1.8"}, {"Feather", "0.8"}}},
      {"ring",
       "shell: radius 2.4, thickness 0.25",
       {{"Mode", "Ring"},
        {"Position", "0,0,0"},
        {"Radius", "2.4"},
        {"Thickness", "0.25"},
        {"Feather", "0.15"}}},
      {"square",
       "box turned 30 deg: radius 1.6, sizeY 0.5",
       {{"Mode", "Square"},
        {"Position", "0.3,0,0.3"},
        {"RotateY", "30"},
        {"Radius", "1.6"},
        {"SizeY", "0.5"},
        {"Feather", "0.3"}}},
      {"box",
       "box shell: radius 1.6, thickness 0.15",
       {{"Mode", "Box"},
        {"Position", "0,0.6,0"},
        {"Radius", "1.6"},
        {"Thickness", "0.15"},
        {"Feather", "0.1"}}},
      {"grid",
       "3D grid: cell 0.5, thickness 0.06",
       {{"Mode", "Grid"}, {"Radius", "0.5"}, {"Thickness", "0.06"}, {"Feather", "0.04"}}},
      {"radial",
       "bands: frequency 1.2, offset 0.25",
       {{"Mode", "Radial"},
        {"Position", "-1.7,1,0.2"},
        {"Frequency", "1.2"},
        {"Offset", "0.25"},
        {"Thickness", "0.5"},
        {"Feather", "0.3"}}},
      {"rays",
       "16 rays round Y, XZ plane",
       {{"Mode", "Rays"},
        {"Axis", "XZ"},
        {"Frequency", "16"},
        {"Thickness", "0.5"},
        {"Feather", "0.2"}}},
      {"layer",
       "picture tiled from above (XZ), 3 units wide",
       {{"Mode", "Layer"},
        {"Layer", picture},
        {"Axis", "XZ"},
        {"Tile", "on"},
        {"Radius", "3"},
        {"SizeZ", "2"},
        {"Feather", "0.5"}}},
  };
}

ControlValues shotValues(PluginSession& session, const DemoShot& shot) {
  ControlValues values = noValues(session.specs());
  for (const auto& [name, text] : shot.controls) {
    const ControlSpec* spec = findByName(session.specs(), name);
    if (!spec) failure(session.pluginPath(), "has no control \"" + name + "\"");
    values[spec->index] = parseControlValue(*spec, text);
  }
  return values;
}

// Every control's value after the shot's settings, so that `render
// --matte NAME=FILE` renders the same matte.
void saveShotPreset(PluginSession& session, const host::Instance& instance, const std::string& path,
                    const std::string& layerPath) {
  saveInstancePreset(path, session.specs(), instance, layerPath);
  std::printf("wrote %s\n", path.c_str());
}

// `pass` with each position taken to camera space and the matrix in the
// header as "worldToCamera", both from the matrix in single precision, as
// OpenEXR stores it.
void writeCameraSpacePass(const std::string& path, const OIIO::ImageBuf& pass,
                          const Matrix44& worldToCamera) {
  float stored[16];
  Matrix44 matrix{};
  for (std::size_t i = 0; i < 16; ++i) matrix[i] = stored[i] = float(worldToCamera[i]);
  host::World world = toWorld(pass);
  transformPositions(world, matrix);
  const OIIO::ImageBuf camera = fromWorld(world, windowOf(pass.spec()));
  OIIO::ImageSpec spec = camera.spec();
  spec.attribute("worldToCamera", OIIO::TypeMatrix44, stored);
  spec.attribute("compression", "zip");
  auto out = OIIO::ImageOutput::create(path);
  if (!out) failure(path, "no writer for this file type" + inParentheses(OIIO::geterror()));
  writeThroughPendingFile(path, *out, [&](OIIO::ImageOutput& writer, const std::string& name) {
    return writer.open(name, spec) &&
           writer.write_image(OIIO::TypeDesc::FLOAT, camera.localpixels());
  });
}

std::string title(const char* file) {
  std::string t = file;
  t[0] = char(t[0] - 'a' + 'A');
  return t;
}

}  // namespace

CLI::App* addDemo(CLI::App& app, DemoRequest& request) {
  CLI::App* demo = app.add_subcommand(
      "demo", "Render a built-in scene in every mode; write the EXRs and a contact sheet");
  demo->add_option("DIR", request.folder, "Output folder (created if missing)")
      ->capture_default_str();
  return demo;
}

int runDemo(PluginSession& session, const DemoRequest& request) {
  const std::string& folder = request.folder;
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) failure(folder, "cannot create the folder (" + ec.message() + ")");
  const fs::path dir(folder);

  const OIIO::ImageBuf pass = renderDemoScene({});
  const OIIO::ImageBuf picture = demoPicture(256);
  const std::string picturePath = (dir / kPictureFile).string();
  writeImage((dir / "position.exr").string(), pass);
  writeImage(picturePath, picture);
  session.addLayerPicture(picturePath, picture);
  std::printf("wrote %s\nwrote %s\n", (dir / "position.exr").c_str(), picturePath.c_str());

  std::vector<SheetTile> tiles;
  tiles.push_back({"Position pass", "world X, Y, Z as colour", displayPositions(pass)});
  const std::vector<DemoShot> shots = demoShots(picturePath);
  std::vector<OIIO::ImageBuf> results;
  for (const DemoShot& shot : shots) {
    std::unique_ptr<host::Instance> instance = session.newInstance();
    const ControlValues values = shotValues(session, shot);
    applyControls(*instance, session.specs(), values,
                  [&](const std::string& path) { return session.layerWorld(path); });
    const std::string output = (dir / (std::string(shot.file) + ".exr")).string();
    results.push_back(session.render(*instance, pass, 0, output));
    saveShotPreset(session, *instance, (dir / (std::string(shot.file) + ".json")).string(),
                   std::string(shot.file) == "layer" ? picturePath : "");
    instance->close();
    writeImage(output, results.back());
    std::printf("wrote %s\n", output.c_str());
    const bool colour = std::string(shot.file) == "layer";
    tiles.push_back(
        {title(shot.file), shot.caption,
         colour ? displayColour(results.back(), pass) : displayMatte(results.back(), true)});
  }
  // Every mode's matte as a layer beside the pass, as `render --matte`
  // with the presets just written makes it.
  std::vector<MatteLayer> layers;
  for (std::size_t i = 0; i < shots.size(); ++i)
    layers.push_back(matteLayer(shots[i].file, results[i]));
  const std::string layered = (dir / "layers.exr").string();
  writeLayeredExr(layered, readExrSource((dir / "position.exr").string()), 0, layers, false, {});
  std::printf("wrote %s\n", layered.c_str());
  // The rays matte in 3D: the covered pixels as a point cloud.
  const std::string cloud = (dir / "rays.ply").string();
  for (std::size_t i = 0; i < shots.size(); ++i)
    if (std::string(shots[i].file) == "rays")
      writePointCloud(cloud, toWorld(pass), toWorld(results[i]), PointColour::MatteInAlpha,
                      defaultPointStep(pass.spec().width, pass.spec().height));
  std::printf("wrote %s\n", cloud.c_str());
  // The pass as a renderer writes it in camera space, with its camera.
  const std::string cameraPass = (dir / "position-camera.exr").string();
  writeCameraSpacePass(cameraPass, pass, demoWorldToCamera());
  std::printf("wrote %s\n", cameraPass.c_str());
  const std::string sheet = (dir / "contact-sheet.png").string();
  writeContactSheet(sheet, "kestrow demo: one position pass, every mode", tiles, {});
  std::printf("wrote %s\n", sheet.c_str());
  session.finish(nullptr);
  return 0;
}

}  // namespace kestrow::cli
