#include "matte/RowConstants.h"

#include <cmath>

#include "matte/MatteMath.h"

namespace kestrow::matte {

Rotation rotationOf(int32_t rotateOrder) {
  switch (rotateOrder) {
    case 1:
      return Rotation::XYZ;
    case 2:
      return Rotation::XZY;
    case 3:
      return Rotation::YXZ;
    case 4:
      return Rotation::YZX;
    case 5:
      return Rotation::ZXY;
    case 6:
      return Rotation::ZYX;
    default:
      return Rotation::None;
  }
}

Plane planeOf(int32_t axis) {
  switch (axis) {
    case 2:
      return Plane::XY;
    case 3:
      return Plane::YZ;
    default:
      return Plane::XZ;
  }
}

namespace {

LayerConstants makeLayerConstants(const MatteSettings& s) {
  LayerConstants l{};
  l.data = reinterpret_cast<const char*>(s.layer.data);
  l.rowbytes = s.layer.rowbytes;
  l.width = s.layer.width;
  l.height = s.layer.height;
  l.offsetU = s.offsetU;
  l.offsetV = s.offsetV;
  // Only a readable picture is ever sampled; its width and height are
  // positive, so the aspect division is well defined.
  if (isReadablePicture(s.layer)) {
    l.w = static_cast<double>(l.width);
    l.h = static_cast<double>(l.height);
    l.aspect = static_cast<double>(static_cast<float>(l.width) / static_cast<float>(l.height));
    l.halfW = static_cast<double>(l.width / 2);
    l.halfH = static_cast<double>(l.height / 2);
  }
  return l;
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

  c.wx = axisWeight(s.scaleX);
  c.wy = axisWeight(s.scaleY);
  c.wz = axisWeight(s.scaleZ);
  c.radius = s.radius;
  c.fh = s.feather / 2.0;
  c.th = s.thickness / 2.0;
  c.hx = s.radius * s.sizeX;
  c.hy = s.radius * s.sizeY;
  c.hz = s.radius * s.sizeZ;
  c.frequency = s.frequency;
  c.phase = s.offset * 3.14 * 2.0;
  c.layer = makeLayerConstants(s);
  return c;
}

}  // namespace kestrow::matte
