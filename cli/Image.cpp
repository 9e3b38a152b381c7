#include "Image.h"

#include "Errors.h"

namespace kestrow::cli {
namespace {

// The world's red, green and blue, then its alpha, as OpenImageIO addresses
// them: the first sample of each run and the strides of the world.
struct WorldChannels {
  void* rgb;
  void* alpha;
  OIIO::stride_t xstride, ystride;
};

WorldChannels channelsOf(const host::World& world) {
  auto* first = const_cast<PF_PixelFloat*>(static_cast<const PF_PixelFloat*>(world.row(0)));
  // Signed: a bottom-up world's rows go downwards in memory.
  return {&first->red, &first->alpha, OIIO::stride_t(sizeof(PF_PixelFloat)),
          OIIO::stride_t(world.def().rowbytes)};
}

}  // namespace

ImageWindow windowOf(const OIIO::ImageSpec& spec) {
  return {spec.x, spec.y, spec.full_x, spec.full_y, spec.full_width, spec.full_height};
}

OIIO::ImageBuf rgbaImage(int width, int height) {
  return OIIO::ImageBuf(OIIO::ImageSpec(width, height, 4, OIIO::TypeDesc::FLOAT),
                        OIIO::InitializePixels::Yes);
}

void checkHostSize(int width, int height, const std::string& subject) {
  if (width > 0 && height > 0 && (long long)width * height > kMaxHostPixels)
    failure(subject, "is " + std::to_string(width) + " x " + std::to_string(height) +
                         " pixels; the host holds at most " + std::to_string(kMaxHostPixels) +
                         " float pixels (2 GiB) in one picture");
}

host::World newFloatWorld(int width, int height, const std::string& subject) {
  checkHostSize(width, height, subject);
  host::World world(width, height, host::PixelDepth::kFloat32);
  if (!world.valid()) failure(subject, "is too large for the host");
  return world;
}

host::World toWorld(const OIIO::ImageBuf& image) {
  const OIIO::ImageSpec& spec = image.spec();
  host::World world = newFloatWorld(spec.width, spec.height, "image");
  const WorldChannels to = channelsOf(world);
  OIIO::ROI roi = image.roi();
  roi.chend = 3;
  image.get_pixels(roi, OIIO::TypeDesc::FLOAT, to.rgb, to.xstride, to.ystride);
  roi.chbegin = 3;
  roi.chend = 4;
  image.get_pixels(roi, OIIO::TypeDesc::FLOAT, to.alpha, to.xstride, to.ystride);
  return world;
}

OIIO::ImageBuf fromWorld(const host::World& world, const ImageWindow& window) {
  OIIO::ImageSpec spec(world.width(), world.height(), 4, OIIO::TypeDesc::FLOAT);
  spec.x = window.x;
  spec.y = window.y;
  spec.full_x = window.fullX;
  spec.full_y = window.fullY;
  spec.full_width = window.fullWidth;
  spec.full_height = window.fullHeight;
  OIIO::ImageBuf image(spec);
  const WorldChannels from = channelsOf(world);
  OIIO::ROI roi = image.roi();
  roi.chend = 3;
  image.set_pixels(roi, OIIO::TypeDesc::FLOAT, from.rgb, from.xstride, from.ystride);
  roi.chbegin = 3;
  roi.chend = 4;
  image.set_pixels(roi, OIIO::TypeDesc::FLOAT, from.alpha, from.xstride, from.ystride);
  return image;
}

}  // namespace kestrow::cli
