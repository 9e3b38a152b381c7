#include "matte/PatternKernels.h"
#include "matte/RowPlan.h"

namespace kestrow::matte {

namespace {

RowPass raysRowFor(Plane plane, Rotation rotation) {
  switch (plane) {
    case Plane::XY:
      return rowFor<RaysKernel<Plane::XY>>(rotation);
    case Plane::YZ:
      return rowFor<RaysKernel<Plane::YZ>>(rotation);
    case Plane::XZ:
      break;
  }
  return rowFor<RaysKernel<Plane::XZ>>(rotation);
}

}  // namespace

RowPass patternRowFor(int32_t mode, Plane plane, Rotation rotation) {
  switch (mode) {
    case 6:
      return rowFor<GridKernel>(rotation);
    case 7:
      return rowFor<RadialKernel>(rotation);
    case 8:
      return raysRowFor(plane, rotation);
    default:
      return nullptr;
  }
}

}  // namespace kestrow::matte
