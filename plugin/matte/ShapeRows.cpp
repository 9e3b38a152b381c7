#include "matte/RowPlan.h"
#include "matte/ShapeKernels.h"

namespace kestrow::matte {

RowPass shapeRowFor(int32_t mode, Rotation rotation) {
  switch (mode) {
    case 1:
      return rowFor<CircleKernel>(rotation);
    case 2:
      return rowFor<RingKernel>(rotation);
    case 3:
      return rowFor<SquareKernel>(rotation);
    case 4:
      return rowFor<BoxKernel>(rotation);
    default:
      return nullptr;
  }
}

}  // namespace kestrow::matte
