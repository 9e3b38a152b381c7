#include "matte/LayerKernels.h"
#include "matte/MatteMath.h"
#include "matte/RowPlan.h"

namespace kestrow::matte {

namespace {

template <Plane P>
RowPass pictureRowFor(const MatteSettings& s, Rotation rotation) {
  // A picture whose rows cannot hold its width in float pixels, or whose
  // size is not positive, is never read: it samples as transparent.
  if (!isReadablePicture(s.layer)) {
    return rowFor<LayerTransparentKernel<P>>(rotation);
  }
  if (s.tile) {
    return rowFor<LayerPictureKernel<P, true>>(rotation);
  }
  return rowFor<LayerPictureKernel<P, false>>(rotation);
}

}  // namespace

RowPass layerRowFor(const MatteSettings& s, Rotation rotation) {
  if (s.mode != 10) {
    return nullptr;
  }
  if (!hasPicture(s.layer)) {
    return rowFor<LayerCoordinatesKernel>(rotation);
  }
  switch (planeOf(s.axis)) {
    case Plane::XY:
      return pictureRowFor<Plane::XY>(s, rotation);
    case Plane::YZ:
      return pictureRowFor<Plane::YZ>(s, rotation);
    case Plane::XZ:
      break;
  }
  return pictureRowFor<Plane::XZ>(s, rotation);
}

}  // namespace kestrow::matte
