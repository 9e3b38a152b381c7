// `kestrow demo` and `kestrow describe` through the binary.
#include <gtest/gtest.h>

#include <OpenImageIO/imageio.h>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "KestrowRun.h"

namespace kestrow::cli::test {
namespace {

TEST(Demo, WritesThePassEveryModeAndTheContactSheet) {
  ScratchDir dir;
  const std::string folder = dir.file("demo");
  const RunResult run = runKestrow({"demo", folder});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  // Every file is listed and readable; every matte (all but the first
  // three) shows something and leaves something out.
  const char* const names[] = {"position.exr", "picture.exr", "layer.exr", "circle.exr",
                               "ring.exr",     "square.exr",  "box.exr",   "grid.exr",
                               "radial.exr",   "rays.exr"};
  for (std::size_t i = 0; i < std::size(names); ++i) {
    const std::string name = names[i];
    const RgbaImage image = readRgba(folder + "/" + name);
    ASSERT_GT(image.pixelCount(), 0u) << name;
    EXPECT_NE(run.out.find(folder + "/" + name), std::string::npos) << name;
    if (i < 3) continue;
    std::size_t on = 0;
    for (std::size_t p = 0; p < image.pixelCount(); ++p) on += image.pixels[p * 4 + 3] > 0.5f;
    EXPECT_GT(on, image.pixelCount() / 50) << name;
    EXPECT_LT(on, image.pixelCount() * 9 / 10) << name;
  }
  auto sheet = OIIO::ImageInput::open(folder + "/contact-sheet.png");
  ASSERT_TRUE(sheet);
  EXPECT_GT(sheet->spec().width, 600);
  EXPECT_EQ(sheet->spec().format, OIIO::TypeDesc::UINT8);
}

TEST(Describe, JsonListsIdentityAndTheControls) {
  const RunResult run = runKestrow({"describe", "--json"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const nlohmann::json d = nlohmann::json::parse(run.out);
  EXPECT_EQ(d.at("plugin").at("name"), "Kestrow");
  EXPECT_EQ(d.at("plugin").at("version"), "2.3.0");
  const nlohmann::json& controls = d.at("controls");
  ASSERT_EQ(controls.size(), 26u);
  for (std::size_t i = 0; i < controls.size(); ++i)
    EXPECT_EQ(controls[i].at("index"), int(i) + 1) << i;

  const nlohmann::json& mode = controls[0];
  EXPECT_EQ(mode.at("name"), "Mode");
  EXPECT_EQ(mode.at("default"), "Circle");
  EXPECT_EQ(mode.at("items").size(), 10u);
  ASSERT_EQ(mode.at("choices").size(), 8u);
  EXPECT_EQ(mode.at("choices")[4], (nlohmann::json{{"name", "Grid"}, {"value", 6}}));
  EXPECT_EQ(mode.at("choices")[7], (nlohmann::json{{"name", "Layer"}, {"value", 10}}));

  const nlohmann::json& feather = controls[18];
  EXPECT_EQ(feather.at("name"), "Feather");
  EXPECT_EQ(feather.at("flag"), "--feather");
  EXPECT_EQ(feather.at("default"), 0.5);
  EXPECT_EQ(feather.at("validMax"), 1000000.0);
  EXPECT_EQ(controls[25].at("name"), "Alpha Matte");
  EXPECT_EQ(controls[25].at("default"), true);
  EXPECT_EQ(controls[1].at("type"), "color");
  EXPECT_EQ(controls[1].at("flags"), 66);
}

// A plug-in named without a folder is the file in the current folder, not
// one the system loader finds by that name.
TEST(Describe, PluginWithoutAFolderIsTheFileHere) {
  ScratchDir dir;
  const std::filesystem::path built = std::filesystem::path(KESTROW_EXE).parent_path();
  for (const char* name : {"Kestrow.so", "Kestrow.pipl"})
    std::filesystem::copy_file(built / name, dir.path() / name);
  const RunResult run =
      runKestrow({"describe", "--plugin", "Kestrow.so"}, {dir.path().string(), "", ""});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.out.find("(" + dir.file("Kestrow.so") + ")"), std::string::npos) << run.out;
}

TEST(Describe, TextNamesEveryControl) {
  const RunResult run = runKestrow({"describe"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.out.find("controls (26):"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("--multiply-values"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace kestrow::cli::test
