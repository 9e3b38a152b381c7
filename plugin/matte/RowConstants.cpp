#include "matte/RowConstants.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "matte/MatteMath.h"
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

// Which side of a smoothstep's transition a value lies on, with t formed
// as the kernels form it: Above where the step is exactly 1, Below where
// it is exactly 0. With rising (or equal) edges t never falls as the value
// grows, so every value past one that is Above is Above too, and every
// value short of one that is Below is Below.
enum class Side { Below, Between, Above };

Side sideOf(double value, double edge0, double edge1) {
  if (edge0 == edge1) {
    return value < edge0 ? Side::Below : Side::Above;
  }
  const double t = (value - edge0) / (edge1 - edge0);
  return t > 1.0 ? Side::Above : t < 0.0 ? Side::Below : Side::Between;
}

bool rising(double edge0, double edge1) {
  return std::isfinite(edge0) && std::isfinite(edge1) && edge0 <= edge1;
}

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kNotANumber = std::numeric_limits<double>::quiet_NaN();

// The sums whose root lies in [nearest, farthest]; nearest <= 0 reaches
// down to every sum from -0 (pow's root of -0 is +0), an infinite farthest
// up to infinity. The root is the correctly rounded one: the 2^-20 margins
// on the squares keep far more than its half unit in the last place
// between the two.
FlatRange sumRange(double nearest, double farthest, double matte) {
  const auto moderate = [](double d) { return d >= 0x1p-400 && d <= 0x1p400; };
  double lowest = 0.0;
  double highest = kInfinity;
  if (nearest > 0.0) {
    if (!moderate(nearest)) return {};
    lowest = nearest * nearest * (1.0 + 0x1p-20);
  }
  if (farthest != kInfinity) {
    if (!moderate(farthest)) return {};
    highest = farthest * farthest * (1.0 - 0x1p-20);
  }
  if (!(lowest <= highest)) return {};
  return {lowest, highest, matte};
}

// Circle: 1 - smoothStep(d, radius - halfFeather, radius + halfFeather)
// is 0 from just past the outer edge on and 1 up to just short of the
// inner one.
void setCircleRanges(RowConstants& c) {
  const double edge0 = c.radius - c.halfFeather;
  const double edge1 = c.radius + c.halfFeather;
  if (!rising(edge0, edge1)) return;
  const double margin = (std::fabs(edge0) + std::fabs(edge1)) * 0x1p-30;
  const double outer = edge1 + margin;
  if (sideOf(outer, edge0, edge1) == Side::Above) {
    c.flat[0] = sumRange(outer, kInfinity, 0.0);
  }
  const double inner = edge0 - margin;
  if (sideOf(inner, edge0, edge1) == Side::Below) {
    c.flat[1] = sumRange(0.0, inner, 1.0);
  }
}

// Ring: 1 - smoothStep(|d - radius| - halfThickness, 0, halfFeather). The
// argument grows with d from the radius outwards and with falling d from
// the radius inwards, so the matte is 0 beyond a distance on either side
// where it is Above, and 1 between two distances round the radius where
// both are Below.
void setRingRanges(RowConstants& c) {
  const double r = c.radius;
  const double th = c.halfThickness;
  const double fh = c.halfFeather;
  if (!std::isfinite(r) || !std::isfinite(th) || !rising(0.0, fh)) return;
  const auto side = [&](double d) { return sideOf(std::fabs(d - r) - th, 0.0, fh); };
  const double margin = (std::fabs(r) + std::fabs(th) + std::fabs(fh)) * 0x1p-30;
  const double far = r + th + fh + margin;
  if (far >= r && side(far) == Side::Above) {
    c.flat[0] = sumRange(far, kInfinity, 0.0);
  }
  const double near = r - th - fh - margin;
  if (near <= r && side(near) == Side::Above) {
    c.flat[1] = sumRange(0.0, near, 0.0);
  }
  const double innerLow = r - th + margin;
  const double innerHigh = r + th - margin;
  if (innerLow <= r && r <= innerHigh && side(innerLow) == Side::Below &&
      side(innerHigh) == Side::Below) {
    c.flat[2] = sumRange(innerLow, innerHigh, 1.0);
  }
}

// Square: 1 - smoothStep(a, extent - halfFeather, extent + halfFeather)
// is 0 from just past the outer edge on.
double squareOutside(const RowConstants& c, double extent) {
  const double edge0 = extent - c.halfFeather;
  const double edge1 = extent + c.halfFeather;
  if (!rising(edge0, edge1)) return kNotANumber;
  const double bound = edge1 + (std::fabs(edge0) + std::fabs(edge1)) * 0x1p-30;
  return sideOf(bound, edge0, edge1) == Side::Above ? bound : kNotANumber;
}

// Box: the slab 1 - smoothStep(a, (extent - th) - fh, (extent + th) + fh)
// and the face 1 - smoothStep(|a - extent| - th, 0, fh) are both 0 from
// just past the slab's outer edge on (the face's argument grows with a
// from the extent outwards).
double boxOutside(const RowConstants& c, double extent) {
  const double th = c.halfThickness;
  const double fh = c.halfFeather;
  const double edge0 = (extent - th) - fh;
  const double edge1 = (extent + th) + fh;
  if (!rising(edge0, edge1) || !rising(0.0, fh) || !std::isfinite(th)) return kNotANumber;
  const double bound = edge1 + (std::fabs(extent) + std::fabs(th) + std::fabs(fh)) * 0x1p-30;
  const bool outside = bound >= extent && sideOf(bound, edge0, edge1) == Side::Above &&
                       sideOf(std::fabs(bound - extent) - th, 0.0, fh) == Side::Above;
  return outside ? bound : kNotANumber;
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
  c.outsideX = c.outsideY = c.outsideZ = kNotANumber;
  if (s.mode == popupValue(Mode::Circle)) {
    setCircleRanges(c);
  } else if (s.mode == popupValue(Mode::Ring)) {
    setRingRanges(c);
  } else if (s.mode == popupValue(Mode::Square) || s.mode == popupValue(Mode::Box)) {
    const auto outside = s.mode == popupValue(Mode::Square) ? squareOutside : boxOutside;
    c.outsideX = outside(c, c.extentX);
    c.outsideY = outside(c, c.extentY);
    c.outsideZ = outside(c, c.extentZ);
    // A bound is known only where the axis's factors are not-a-number for
    // not-a-number coordinates alone; the shortcut needs that of all three.
    if (std::isnan(c.outsideX) || std::isnan(c.outsideY) || std::isnan(c.outsideZ)) {
      c.outsideX = c.outsideY = c.outsideZ = kNotANumber;
    }
  }
  c.rotateOrder = rotateOrderOf(s.rotateOrder);
  c.invert = s.invert != 0;
  c.alphaMatte = s.alphaMatte != 0;
  return c;
}

}  // namespace kestrow::matte
