#include "matte/RowConstants.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "matte/MatteMath.h"

namespace kestrow::matte {

namespace {

PictureConstants makePictureConstants(const MatteSettings& s) {
  PictureConstants p;
  p.offsetU = s.offsetU;
  p.offsetV = s.offsetV;
  // Only a readable picture is ever sampled; its width and height are
  // positive, so the aspect division is well defined.
  if (isReadablePicture(s.layer)) {
    const A_long width = s.layer.width;
    const A_long height = s.layer.height;
    p.view = {reinterpret_cast<const char*>(s.layer.data), s.layer.rowbytes, width, height};
    p.width = static_cast<double>(width);
    p.height = static_cast<double>(height);
    p.aspect = static_cast<double>(static_cast<float>(width) / static_cast<float>(height));
    p.halfWidth = static_cast<double>(width / 2);
    p.halfHeight = static_cast<double>(height / 2);
    const std::int64_t rowSpan = std::int64_t{height - 1} * s.layer.rowbytes;
    const std::int64_t lastColumn = std::int64_t{width - 1} * std::int64_t{sizeof(PF_PixelFloat)};
    p.compactOffsets = std::max<std::int64_t>(rowSpan, 0) + lastColumn <= INT32_MAX &&
                       std::min<std::int64_t>(rowSpan, 0) >= INT32_MIN;
  }
  return p;
}

}  // namespace

RowConstants makeRowConstants(const MatteSettings& s, const PF_InData& inData) {
  RowConstants c{};
  const double dx = static_cast<double>(inData.downsample_x.den);
  const double dy = static_cast<double>(inData.downsample_y.den);
  c.shiftX = s.position.x * dx;
  c.shiftY = s.position.y * dy;
  c.shiftZ = s.position.z * dy;  // depth follows the vertical denominator

  const auto ax = static_cast<float>(angleRadians(s.angleX));
  const auto ay = static_cast<float>(angleRadians(s.angleY));
  const auto az = static_cast<float>(angleRadians(s.angleZ));
  c.cosX = std::cos(ax);
  c.sinX = std::sin(ax);
  c.cosY = std::cos(ay);
  c.sinY = std::sin(ay);
  c.cosZ = std::cos(az);
  c.sinZ = std::sin(az);

  c.weightX = axisWeight(s.scaleX);
  c.weightY = axisWeight(s.scaleY);
  c.weightZ = axisWeight(s.scaleZ);
  c.radius = s.radius;
  c.halfFeather = s.feather / 2.0;
  c.halfThickness = s.thickness / 2.0;
  c.extentX = s.radius * s.sizeX;
  c.extentY = s.radius * s.sizeY;
  c.extentZ = s.radius * s.sizeZ;
  c.frequency = s.frequency;
  c.phase = s.offset * 3.14 * 2.0;
  c.picture = makePictureConstants(s);
  c.rotateOrder = rotateOrderOf(s.rotateOrder);
  c.invert = s.invert != 0;
  c.alphaMatte = s.alphaMatte != 0;
  return c;
}

}  // namespace kestrow::matte
