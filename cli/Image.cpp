#include "Image.h"

#include "Errors.h"

namespace kestrow::cli {
namespace {

// Calls `copy(roi, first, xstride, ystride)` for the image's R, G, B, which
// the world holds from its red on, and for its A, which the world holds in
// its alpha before them: `roi` the image's channels, `first` the world's
// sample of the first pixel, strides in bytes.
template <typename Copy>
void forWorldChannels(const OIIO::ImageBuf& image, const host::World& world, Copy copy) {
  auto* first = const_cast<PF_PixelFloat*>(static_cast<const PF_PixelFloat*>(world.row(0)));
  const auto xstride = OIIO::stride_t(sizeof(PF_PixelFloat));
  // Signed: a bottom-up world's rows go downwards in memory.
  const auto ystride = OIIO::stride_t(world.def().rowbytes);
  OIIO::ROI roi = image.roi();
  roi.chend = 3;
  copy(roi, &first->red, xstride, ystride);
  roi.chbegin = 3;
  roi.chend = 4;
  copy(roi, &first->alpha, xstride, ystride);
}

}  // namespace

ImageWindow windowOf(const OIIO::ImageSpec& spec) {
  return {spec.x, spec.y, spec.full_x, spec.full_y, spec.full_width, spec.full_height};
}

void setWindow(OIIO::ImageSpec& spec, const ImageWindow& window) {
  spec.x = window.x;
  spec.y = window.y;
  spec.full_x = window.fullX;
  spec.full_y = window.fullY;
  spec.full_width = window.fullWidth;
  spec.full_height = window.fullHeight;
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
  forWorldChannels(image, world, [&](OIIO::ROI roi, float* first, auto xstride, auto ystride) {
    image.get_pixels(roi, OIIO::TypeDesc::FLOAT, first, xstride, ystride);
  });
  return world;
}

OIIO::ImageBuf fromWorld(const host::World& world, const ImageWindow& window) {
  OIIO::ImageSpec spec(world.width(), world.height(), 4, OIIO::TypeDesc::FLOAT);
  setWindow(spec, window);
  OIIO::ImageBuf image(spec);
  forWorldChannels(image, world, [&](OIIO::ROI roi, float* first, auto xstride, auto ystride) {
    image.set_pixels(roi, OIIO::TypeDesc::FLOAT, first, xstride, ystride);
  });
  return image;
}

}  // namespace kestrow::cli
