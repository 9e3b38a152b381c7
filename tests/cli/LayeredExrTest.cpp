// Layered EXR output: the input survives bit for bit (channels in their own
// types, every part, header attributes, windows), the mattes land as
// rendered or rounded to half, and every refusal names its problem.
#include <gtest/gtest.h>

#include <Imath/half.h>
#include <OpenImageIO/imageio.h>
#include <bit>
#include <cmath>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <tuple>

#include "Errors.h"
#include "ExrOptions.h"
#include "KestrowRun.h"
#include "LayeredExr.h"
#include "MatteSet.h"

namespace kestrow::cli::test {
namespace {

using OIIO::ImageSpec;
using OIIO::TypeDesc;

std::string contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

constexpr int kWidth = 7, kHeight = 70;  // taller than one band of rows

// A renderer's frame: beauty RGBA in half, the position as float, an
// integer object id, camera matrices and studio metadata, a data window
// inside a larger display window; optionally tiled; optionally a second
// part. Float samples include not-a-number payloads, infinities and -0.
void writeShot(const std::string& path, bool tiled, bool twoParts, const char* compression) {
  ImageSpec spec(kWidth, kHeight, 8, TypeDesc::FLOAT);
  spec.channelnames = {"R", "G", "B", "A", "P.X", "P.Y", "P.Z", "id"};
  spec.channelformats = {TypeDesc::HALF,  TypeDesc::HALF,  TypeDesc::HALF,  TypeDesc::HALF,
                         TypeDesc::FLOAT, TypeDesc::FLOAT, TypeDesc::FLOAT, TypeDesc::UINT32};
  spec.alpha_channel = 3;
  spec.x = 3;
  spec.y = -2;
  spec.full_x = 0;
  spec.full_y = -5;
  spec.full_width = 20;
  spec.full_height = 90;
  if (tiled) spec.tile_width = spec.tile_height = 16;
  spec.attribute("compression", compression);
  const float camera[16] = {1, 0, 0, 0, 0, 0.5f, 0.25f, 0, 0, -0.25f, 0.5f, 0, 3, 4, 5, 1};
  spec.attribute("worldToCamera", OIIO::TypeMatrix44, camera);
  spec.attribute("worldToNDC", OIIO::TypeMatrix44, camera);
  spec.attribute("studio:shot", "sq010_sh0040");
  spec.attribute("studio:frame", 1001);
  spec.attribute("pixelAspectRatio", 1.25f);

  std::vector<unsigned char> pixels(spec.image_bytes(true));
  unsigned char* at = pixels.data();
  const float specials[] = {std::bit_cast<float>(0x7fc01234u), -0.f,
                            std::numeric_limits<float>::infinity(), 1e-40f};
  for (int p = 0; p < kWidth * kHeight; ++p) {
    for (int c = 0; c < 4; ++c) {
      const Imath::half h(0.01f * float(p) + float(c));
      std::memcpy(at, &h, 2);
      at += 2;
    }
    for (int c = 0; c < 3; ++c) {
      const float v = p % 9 == c ? specials[p % 4] : 0.3f * float(p) - 7.1f * float(c);
      std::memcpy(at, &v, 4);
      at += 4;
    }
    const std::uint32_t id = 0x01000001u + std::uint32_t(p);  // not exact as a float
    std::memcpy(at, &id, 4);
    at += 4;
  }
  // Parts of one file share the display window and pixel aspect.
  ImageSpec second = spec;
  second.width = 5;
  second.height = 4;
  second.nchannels = 1;
  second.channelnames = {"Z"};
  second.channelformats = {TypeDesc::HALF};
  second.alpha_channel = -1;
  second.attribute("oiio:subimagename", "depth");
  spec.attribute("oiio:subimagename", "main");
  std::vector<Imath::half> depth(20, Imath::half(2.5f));
  ImageSpec specs[2] = {spec, second};

  auto out = OIIO::ImageOutput::create(path);
  ASSERT_TRUE(out);
  ASSERT_TRUE(out->open(path, twoParts ? 2 : 1, specs)) << out->geterror();
  ASSERT_TRUE(out->write_image(TypeDesc::UNKNOWN, pixels.data())) << out->geterror();
  if (twoParts) {
    ASSERT_TRUE(out->open(path, second, OIIO::ImageOutput::AppendSubimage)) << out->geterror();
    ASSERT_TRUE(out->write_image(TypeDesc::HALF, depth.data())) << out->geterror();
  }
  ASSERT_TRUE(out->close());
}

// Two mattes with values a half cannot hold exactly.
struct Mattes {
  RgbaImage a{kWidth, kHeight}, b{kWidth, kHeight};
  OIIO::ImageBuf bufA, bufB;  // what the layers point into
  Mattes() {
    for (std::size_t i = 0; i < a.pixels.size(); ++i) {
      a.pixels[i] = 1.f / float(i + 3);
      b.pixels[i] = 0.7f + 1e-4f * float(i);
    }
    bufA = imageBuf(a);
    bufB = imageBuf(b);
  }
  std::vector<MatteLayer> layers() const {
    return {matteLayer("ball", bufA), matteLayer("m.box", bufB)};
  }
};

std::vector<std::uint32_t> channelBits(const ExrSource& file, int part, const std::string& name,
                                       TypeDesc as) {
  const ImageSpec& spec = file.parts[part];
  const int c = spec.channelindex(name);
  EXPECT_GE(c, 0) << name << " missing";
  std::vector<std::uint32_t> bits;
  if (c < 0) return bits;
  std::size_t offset = 0;
  for (int i = 0; i < c; ++i) offset += spec.channelformat(i).size();
  std::vector<unsigned char> one(as.size());
  for (std::size_t p = 0; p < spec.image_pixels(); ++p) {
    const unsigned char* src = file.pixels[part].data() + p * spec.pixel_bytes(true) + offset;
    EXPECT_TRUE(OIIO::convert_pixel_values(spec.channelformat(c), src, as, one.data()));
    std::uint32_t value = 0;
    std::memcpy(&value, one.data(), one.size());
    bits.push_back(value);
  }
  return bits;
}

std::vector<std::uint32_t> matteBits(const RgbaImage& image, int component, TypeDesc as) {
  std::vector<std::uint32_t> bits;
  for (std::size_t p = 0; p < image.pixelCount(); ++p) {
    const float v = image.pixels[p * 4 + component];
    bits.push_back(as == TypeDesc::HALF ? Imath::half(v).bits() : std::bit_cast<std::uint32_t>(v));
  }
  return bits;
}

// Every attribute but those that describe the file's encoding.
std::string headerText(ImageSpec spec) {
  spec.erase_attribute("compression");
  spec.erase_attribute("openexr:dwaCompressionLevel");
  std::string text = std::to_string(spec.x) + "," + std::to_string(spec.y) + " " +
                     std::to_string(spec.full_x) + "," + std::to_string(spec.full_y) + " " +
                     std::to_string(spec.full_width) + "x" + std::to_string(spec.full_height);
  for (const OIIO::ParamValue& p : spec.extra_attribs)
    text += "\n" + p.name().string() + "=" + spec.metadata_val(p);
  return text;
}

struct OutputCase {
  bool tiled, twoParts;
  const char* inputCompression;
  const char* dataType;
  const char* compression;  // "" for the input's
};

class LayeredExrOutput : public testing::TestWithParam<OutputCase> {};

TEST_P(LayeredExrOutput, KeepsTheInputAndAddsTheMattes) {
  const OutputCase& c = GetParam();
  ScratchDir dir;
  writeShot(dir.file("shot.exr"), c.tiled, c.twoParts, c.inputCompression);
  ExrOutputOptions options;
  if (*c.dataType) parseDataType(c.dataType, options);
  if (*c.compression) options.compression = parseCompression(c.compression);
  const ExrSource in = readExrSource(dir.file("shot.exr"));
  const Mattes mattes;
  writeLayeredExr(dir.file("out.exr"), in, 0, mattes.layers(), false, options);
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"out.exr", "shot.exr"}));

  const ExrSource out = readExrSource(dir.file("out.exr"));
  ASSERT_EQ(out.parts.size(), in.parts.size());
  EXPECT_EQ(out.parts[0].get_string_attribute("compression"),
            *c.compression ? c.compression : c.inputCompression);
  EXPECT_EQ(out.parts[0].tile_width, in.parts[0].tile_width);
  for (std::size_t s = 0; s < in.parts.size(); ++s) {
    EXPECT_EQ(headerText(out.parts[s]), headerText(in.parts[s])) << "part " << s;
    for (int ch = 0; ch < in.parts[s].nchannels; ++ch) {
      const std::string& name = in.parts[s].channelnames[ch];
      TypeDesc type = in.parts[s].channelformat(ch);
      if (options.allLayers && type != TypeDesc::UINT32)
        type = options.sampleType == SampleType::Half ? TypeDesc::HALF : TypeDesc::FLOAT;
      EXPECT_EQ(out.parts[s].channelformat(out.parts[s].channelindex(name)), type) << name;
      // Compared in the output's type: a float channel written as half
      // must equal the input rounded to half.
      EXPECT_EQ(channelBits(out, int(s), name, type), channelBits(in, int(s), name, type)) << name;
    }
  }
  const TypeDesc matteType =
      options.sampleType == SampleType::Half ? TypeDesc::HALF : TypeDesc::FLOAT;
  const char* const components[] = {".R", ".G", ".B", ".A"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(channelBits(out, 0, std::string("ball") + components[i], matteType),
              matteBits(mattes.a, i, matteType));
    EXPECT_EQ(channelBits(out, 0, std::string("m.box") + components[i], matteType),
              matteBits(mattes.b, i, matteType));
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, LayeredExrOutput,
                         testing::Values(OutputCase{false, false, "zip", "", ""},
                                         OutputCase{false, true, "piz", "half", ""},
                                         OutputCase{true, false, "zips", "float", "none"},
                                         OutputCase{true, true, "none", "all=half", "rle"},
                                         OutputCase{false, false, "rle", "all=float", "zip"}));

// Writing a lossy compression again would alter the input's samples, so it
// is only kept when asked for.
TEST(LayeredExr, KeepsALossyCompressionOnlyWhenAsked) {
  ScratchDir dir;
  writeShot(dir.file("shot.exr"), false, false, "dwaa");
  const ExrSource in = readExrSource(dir.file("shot.exr"));
  const Mattes mattes;
  for (const char* asked : {"", "dwaa"}) {
    ExrOutputOptions options;
    options.compression = asked;
    writeLayeredExr(dir.file("out.exr"), in, 0, mattes.layers(), false, options);
    EXPECT_EQ(readExrSource(dir.file("out.exr")).parts[0].get_string_attribute("compression"),
              *asked ? asked : "zip");
  }
}

// Channels whose finite values half float would turn into infinity stay
// float, named in a warning; the others become half.
TEST(LayeredExr, KeepsFloatWhereHalfWouldOverflow) {
  ScratchDir dir;
  writeChannels(dir.file("pass.exr"), 2, 1, {"R", "G", "B", "A", "P.X"},
                {0, 0, 0, 1, 90000, 0, 0, 0, 1, -65520});
  RgbaImage matte(2, 1);
  matte.pixels = {0.5f, 65519, 0, 1, 70000, 0.5f, 0, 1};
  ExrOutputOptions options;
  parseDataType("all=half", options);
  testing::internal::CaptureStderr();
  writeLayeredExr(dir.file("out.exr"), readExrSource(dir.file("pass.exr")), 0,
                  {matteLayer("m", imageBuf(matte))}, false, options);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "kestrow: warning: " + dir.file("out.exr") +
                ": channel(s) P.X, m.R hold values beyond half float's range (65504) and are "
                "written as float\n");
  const ExrSource out = readExrSource(dir.file("out.exr"));
  for (const char* name : {"R", "A", "m.G", "m.A"})
    EXPECT_EQ(out.parts[0].channelformat(out.parts[0].channelindex(name)), TypeDesc::HALF) << name;
  EXPECT_EQ(channelBits(out, 0, "P.X", TypeDesc::FLOAT),
            (std::vector<std::uint32_t>{std::bit_cast<std::uint32_t>(90000.f),
                                        std::bit_cast<std::uint32_t>(-65520.f)}));
  EXPECT_EQ(channelBits(out, 0, "m.R", TypeDesc::FLOAT), matteBits(matte, 0, TypeDesc::FLOAT));
}

// A bottom-up line order is kept (and the rows with it); what the library
// cannot carry (an attribute of a type it does not know) is named; an
// environment map's tag goes with what the library derives from it.
TEST(LayeredExr, KeepsTheLineOrderAndNamesWhatItCannotCarry) {
  ScratchDir dir;
  const std::string input = dir.file("shot.exr");
  ImageSpec spec(3, 70, 4, TypeDesc::FLOAT);
  spec.attribute("compression", "none");
  spec.attribute("openexr:lineOrder", "decreasingY");
  spec.attribute("studio:a", "x");
  spec.attribute("envmaq", "y");
  RgbaImage pixels(3, 70);
  for (std::size_t i = 0; i < pixels.pixels.size(); ++i) pixels.pixels[i] = float(i);
  auto out = OIIO::ImageOutput::create(input);
  ASSERT_TRUE(out && out->open(input, spec) &&
              out->write_image(TypeDesc::FLOAT, pixels.pixels.data()) && out->close());
  std::string bytes = contents(input);
  const auto patch = [&](const std::string& from, const std::string& to) {
    const std::size_t at = bytes.find(from);
    ASSERT_NE(at, std::string::npos);
    bytes.replace(at, to.size(), to);
  };
  patch(std::string("studio:a\0string", 15), std::string("studio:a\0strang", 15));
  patch(std::string("envmaq\0string\0\1\0\0\0y", 19),
        std::string("envmap\0envmap\0\1\0\0\0\0", 19));
  std::ofstream(input, std::ios::binary) << bytes;

  testing::internal::CaptureStderr();
  writeLayeredExr(dir.file("out.exr"), readExrSource(input), 0, {matteLayer("m", imageBuf(pixels))},
                  false, {});
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "kestrow: warning: " + dir.file("out.exr") + ": header attributes of " + input +
                " that the OpenEXR writer cannot carry: envmap (dropped), studio:a (type strang, "
                "dropped)\n");
  const ExrSource written = readExrSource(dir.file("out.exr"));
  EXPECT_EQ(written.parts[0].find_attribute("textureformat"), nullptr);
  EXPECT_EQ(written.parts[0].find_attribute("openexr:chunkCount"), nullptr);
  const auto lineOrder = std::find_if(written.stored[0].begin(), written.stored[0].end(),
                                      [](const ExrAttribute& a) { return a.type == "lineOrder"; });
  ASSERT_NE(lineOrder, written.stored[0].end());
  EXPECT_EQ(lineOrder->value, std::vector<unsigned char>{1}) << "decreasingY";
  for (int c = 0; c < 4; ++c)
    EXPECT_EQ(channelBits(written, 0, std::string("m.") + "RGBA"[c], TypeDesc::FLOAT),
              matteBits(pixels, c, TypeDesc::FLOAT));
}

TEST(LayeredExr, ReplacesALayerOnlyWhenAsked) {
  ScratchDir dir;
  writeShot(dir.file("shot.exr"), false, false, "zip");
  const ExrSource in = readExrSource(dir.file("shot.exr"));
  const Mattes mattes;
  const std::vector<MatteLayer> layers = {matteLayer("P", mattes.bufA)};
  EXPECT_THROW(writeLayeredExr(dir.file("out.exr"), in, 0, layers, false, {}), CliError);
  writeLayeredExr(dir.file("out.exr"), in, 0, layers, true, {});
  const ExrSource out = readExrSource(dir.file("out.exr"));
  EXPECT_EQ(out.parts[0].channelindex("P.X"), -1);
  EXPECT_EQ(channelBits(out, 0, "P.G", TypeDesc::FLOAT), matteBits(mattes.a, 1, TypeDesc::FLOAT));
  EXPECT_EQ(out.parts[0].nchannels, 9);
}

// Each refusal names the problem.
TEST(LayeredExr, RefusalsNameTheProblem) {
  ScratchDir dir;
  writeShot(dir.file("shot.exr"), false, false, "zip");
  writeRgba(dir.file("pass.tif"), RgbaImage(2, 2));
  const ExrSource in = readExrSource(dir.file("shot.exr"));
  const Mattes mattes;
  const RgbaImage small(3, 3);
  ExrOutputOptions options;
  struct Case {
    std::function<void()> run;
    const char* problem;
  };
  const Case cases[] = {
      {[&] { checkLayeredOutput(dir.file("out.png"), {}); }, "OpenEXR only"},
      {[&] { readExrSource(dir.file("pass.tif")); }, "OpenEXR inputs only"},
      {[&] {
         writeLayeredExr(dir.file("o.exr"), in, 0, {matteLayer("P", mattes.bufA)}, false, {});
       },
       "already holds layer \"P\" (channel P.X)"},
      {[&] {
         writeLayeredExr(dir.file("o.exr"), in, 0, {matteLayer("s", imageBuf(small))}, false, {});
       },
       "is 3x3, the input 7x70"},
      {[&] { parseDataType("double", options); }, "is not half, float"},
      {[&] { parseCompression("zip:12"); }, "is not an OpenEXR compression"},
      {[&] { parseCompression("dwaa:x"); }, "is not an OpenEXR compression"},
      {[&] { parseCompression("lzw"); }, "is not an OpenEXR compression"},
      {[&] { parseMatteArgument("ball.json"); }, "is not NAME=PRESET.json"},
      {[&] { parseMatteArgument("ball="); }, "names no preset file"},
      {[&] { parseMatteArgument("=b.json"); }, "layer name is empty"},
      {[&] { checkLayerName("a..b", "--add-layer"); }, "dots between parts"},
      {[&] { checkLayerName("a b", "--add-layer"); }, "dots between parts"},
      {[&] { checkLayerName(".a", "--add-layer"); }, "dots between parts"},
      {[&] { checkLayerName(std::string(201, 'a'), "--add-layer"); }, "longer than 200"},
      {[&] { matteRequests("ball", {"ball=b.json"}); }, "layer \"ball\" is named twice"},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    try {
      cases[i].run();
      ADD_FAILURE() << "case " << i << " was not refused";
    } catch (const CliError& e) {
      EXPECT_NE(std::string(e.what()).find(cases[i].problem), std::string::npos)
          << "case " << i << ": " << e.what();
    }
  }
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"pass.tif", "shot.exr"}));
}

TEST(LayeredExr, NamesThatPass) {
  for (const char* name : {"ball", "mattes.ball", "crypto_00", "A-1"})
    EXPECT_NO_THROW(checkLayerName(name, "--add-layer")) << name;
  // Choices in any case, white space around the name left out.
  EXPECT_EQ(parseCompression("DWAA:45"), "dwaa:45");
  EXPECT_EQ(parseCompression(" Piz "), "piz");
  const std::tuple<const char*, bool, SampleType> types[] = {
      {"ALL=Half", true, SampleType::Half},
      {"Float", false, SampleType::Float},
      {"half", false, SampleType::Half},
      {"all=FLOAT", true, SampleType::Float}};
  for (const auto& [text, all, type] : types) {
    ExrOutputOptions options;
    parseDataType(text, options);
    EXPECT_TRUE(options.allLayers == all && options.sampleType == type) << text;
  }
  const std::vector<MatteRequest> all = matteRequests("a", {"b=x=y.json", "c=c.json"});
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[0].preset, "");
  EXPECT_EQ(all[1].preset, "x=y.json");
}

}  // namespace
}  // namespace kestrow::cli::test
