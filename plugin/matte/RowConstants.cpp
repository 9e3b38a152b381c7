#include "matte/RowConstants.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "matte/MatteMath.h"
#include "matte/ModeKernels.h"
#include "matte/RoundedMath.h"

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
    p.inverseWidth = 1.0 / p.width;
    p.inverseHeight = 1.0 / p.height;
    const std::int64_t rowSpan = std::int64_t{height - 1} * s.layer.rowbytes;
    const std::int64_t lastColumn = std::int64_t{width - 1} * std::int64_t{sizeof(PF_PixelFloat)};
    p.compactOffsets = std::max<std::int64_t>(rowSpan, 0) + lastColumn <= INT32_MAX &&
                       std::min<std::int64_t>(rowSpan, 0) >= INT32_MIN;
  }
  return p;
}

}  // namespace

GridCell gridCellOf(double extent) {
  GridCell g;
  g.cell = static_cast<float>(extent);
  g.size = std::fabs(static_cast<double>(g.cell));
  g.inverse = 1.0 / g.size;
  g.exactBelow = g.size * 0x1p29;
  g.inLanes = g.size > 0.0 && g.size <= 0x1p128;
  g.half = extent / 2.0;
  return g;
}

// The exact path computes, per lane, D = |g - half| in double from the
// remainder g (each branch of the fold gives it within a few units in the
// last place of the extent), and the factor is 1 where 2D - halfThickness
// is past halfFeather and 0 where it is below 0, each by far more than
// those rounding errors. The float estimate of D, from the estimated
// quotient, is within 2^-19 (a + cell) of the exact one wherever the
// estimated quotient is at most one away from the true one; the margin
// 2^-16 (a + cell + |halfThickness| + |halfFeather|) covers that and the
// float rounding of the test itself. The quotient is that close only below
// 2^21 cells (`quickBelow`); beyond, the test decides nothing.
void planQuickGrid(GridCell& g, double extent, double weight, double halfThickness,
                   double halfFeather) {
  g.quick = false;
  const bool usable = std::isfinite(extent) && extent >= 0x1p-60 && extent <= 0x1p60 &&
                      weight >= 0.0 && weight <= 0x1p60 && halfFeather > 0.0 &&
                      halfFeather <= 0x1p60 && std::fabs(halfThickness) <= 0x1p60 && g.inLanes;
  if (!usable) return;
  const double slack = 0x1p-40 * (extent + std::fabs(halfThickness) + halfFeather);
  g.quickSize = static_cast<float>(g.size);
  g.quickInverse = static_cast<float>(1.0 / g.size);
  g.quickHalf = static_cast<float>(extent / 2.0);
  g.quickBelow = static_cast<float>(g.size * 0x1p21);  // exact: size is a float
  g.marginBase = static_cast<float>(0x1p-16 * (g.size + std::fabs(halfThickness) + halfFeather) *
                                    (1.0 + 0x1p-10));
  const double oneFrom = (halfThickness + halfFeather) / 2.0 + slack;
  const double zeroTo = halfThickness / 2.0 - slack;
  // Rounded outwards: up for the lower bound of ones, down for the upper
  // bound of zeros.
  g.oneFrom = static_cast<float>(oneFrom);
  if (static_cast<double>(g.oneFrom) < oneFrom) {
    g.oneFrom = std::nextafter(g.oneFrom, __builtin_inff());
  }
  g.zeroTo = static_cast<float>(zeroTo);
  if (static_cast<double>(g.zeroTo) > zeroTo) {
    g.zeroTo = std::nextafter(g.zeroTo, -__builtin_inff());
  }
  g.quick = true;
}

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
  c.cosX = cosRounded(ax);
  c.sinX = sinRounded(ax);
  c.cosY = cosRounded(ay);
  c.sinY = sinRounded(ay);
  c.cosZ = cosRounded(az);
  c.sinZ = sinRounded(az);

  c.weightX = axisWeight(s.scaleX);
  c.weightY = axisWeight(s.scaleY);
  c.weightZ = axisWeight(s.scaleZ);
  const auto isFloat = [](double w) { return static_cast<double>(static_cast<float>(w)) == w; };
  c.floatWeights = isFloat(c.weightX) && isFloat(c.weightY) && isFloat(c.weightZ);
  c.radius = s.radius;
  c.halfFeather = s.feather / 2.0;
  c.halfThickness = s.thickness / 2.0;
  c.extentX = s.radius * s.sizeX;
  c.extentY = s.radius * s.sizeY;
  c.extentZ = s.radius * s.sizeZ;
  const auto cellOf = [&c](double extent, double weight) {
    GridCell g = gridCellOf(extent);
    planQuickGrid(g, extent, weight, c.halfThickness, c.halfFeather);
    return g;
  };
  c.gridX = cellOf(c.extentX, c.weightX);
  c.gridY = cellOf(c.extentY, c.weightY);
  c.gridZ = cellOf(c.extentZ, c.weightZ);
  c.frequency = s.frequency;
  c.phase = s.offset * 3.14 * 2.0;
  c.picture = makePictureConstants(s);
  c.outsideX = c.outsideY = c.outsideZ = shortcuts::kNotANumber;
  forMode(s.mode, [&c]<class M>() { M::plan(c); });
  c.rotateOrder = rotateOrderOf(s.rotateOrder);
  c.invert = s.invert != 0;
  c.alphaMatte = s.alphaMatte != 0;
  return c;
}

}  // namespace kestrow::matte
