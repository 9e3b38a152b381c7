#include "render/FillSettings.h"

void FillMatteSettings(const PF_ParamDef* const params[MATTE_NUM_PARAMS],
                       const PF_LayerDef& picture, MatteSettings* settings) {
  using kestrow::matte::Multiply;
  const Multiply rule = kestrow::matte::modeInfo(params[MATTE_MODE]->u.pd.value).multiply;
  const double multiply = params[MATTE_MULTIPLY_VALUES]->u.fs_d.value;
  const double frequency = params[MATTE_FREQUENCY]->u.fs_d.value;
  const double feather = params[MATTE_FEATHER]->u.fs_d.value;
  const double thickness = params[MATTE_THICKNESS]->u.fs_d.value;

  // The picture is copied by value; its pixels stay valid only for this
  // render.
  settings->layer = picture;
  settings->tile = static_cast<PF_Boolean>(params[MATTE_TILE]->u.bd.value);
  settings->offsetU = params[MATTE_OFFSET_U]->u.fs_d.value;
  settings->offsetV = params[MATTE_OFFSET_V]->u.fs_d.value;
  settings->position.x = params[MATTE_POSITION]->u.point3d_d.x_value;
  settings->position.y = params[MATTE_POSITION]->u.point3d_d.y_value;
  settings->position.z = params[MATTE_POSITION]->u.point3d_d.z_value;
  settings->rotateOrder = params[MATTE_ROTATE_ORDER]->u.pd.value;
  // Raw 16.16 values: degrees x 65536, scaled down by the evaluator.
  settings->angleX = static_cast<double>(params[MATTE_ROTATE_X]->u.ad.value);
  settings->angleY = static_cast<double>(params[MATTE_ROTATE_Y]->u.ad.value);
  settings->angleZ = static_cast<double>(params[MATTE_ROTATE_Z]->u.ad.value);
  settings->axis = params[MATTE_AXIS]->u.pd.value;
  settings->radius = params[MATTE_RADIUS]->u.fs_d.value * multiply;
  settings->sizeX = params[MATTE_SIZE_X]->u.fs_d.value;
  settings->sizeY = params[MATTE_SIZE_Y]->u.fs_d.value;
  settings->sizeZ = params[MATTE_SIZE_Z]->u.fs_d.value;
  settings->scaleX = params[MATTE_SCALE_X]->u.fs_d.value;
  settings->scaleY = params[MATTE_SCALE_Y]->u.fs_d.value;
  settings->scaleZ = params[MATTE_SCALE_Z]->u.fs_d.value;
  settings->offset = params[MATTE_OFFSET]->u.fs_d.value;
  settings->invert = static_cast<PF_Boolean>(params[MATTE_INVERT]->u.bd.value);
  settings->alphaMatte = static_cast<PF_Boolean>(params[MATTE_ALPHA_MATTE]->u.bd.value);

  // The factor scales lengths. A factor of 0 gives an infinity, or NaN
  // with frequency 0, where it divides: the evaluator copes.
  switch (rule) {
    case Multiply::WaveSpacing:
      settings->frequency = frequency / multiply;
      settings->feather = feather;
      settings->thickness = thickness;
      break;
    case Multiply::AngularSpacing:
      settings->frequency = frequency;
      settings->feather = feather;
      settings->thickness = thickness;
      break;
    case Multiply::Lengths:
      settings->frequency = frequency;
      settings->feather = feather * multiply;
      settings->thickness = thickness * multiply;
      break;
  }
}
