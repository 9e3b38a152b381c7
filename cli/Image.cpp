#include "Image.h"

#include "Errors.h"

namespace kestrow::cli {

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

host::World toWorld(const RgbaImage& image) {
  host::World world = newFloatWorld(image.width, image.height, "image");
  for (int row = 0; row < image.height; ++row)
    for (int column = 0; column < image.width; ++column) {
      const float* src = image.at(column, row);
      *world.pixelFloat(column, row) = PF_PixelFloat{src[3], src[0], src[1], src[2]};
    }
  return world;
}

RgbaImage fromWorld(const host::World& world, const ImageWindow& window) {
  RgbaImage image(world.width(), world.height());
  image.window = window;
  for (int row = 0; row < image.height; ++row) {
    const auto* src = static_cast<const PF_PixelFloat*>(world.row(row));
    for (int column = 0; column < image.width; ++column) {
      float* dst = image.at(column, row);
      dst[0] = src[column].red;
      dst[1] = src[column].green;
      dst[2] = src[column].blue;
      dst[3] = src[column].alpha;
    }
  }
  return image;
}

}  // namespace kestrow::cli
