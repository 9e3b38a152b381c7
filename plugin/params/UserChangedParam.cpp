#include "AE_EffectSuites.h"
#include "params/Params.h"
#include "util/AEGP_SuiteHandler.h"

// "Pick Point" picks a colour from the position pass, which is a world
// point: it moves "Position" there. The other supervised controls need no
// reaction.
PF_Err UserChangedParam(PF_InData* in_data, PF_OutData* /*out_data*/, PF_ParamDef* params[],
                        PF_LayerDef* /*output*/, const PF_UserChangedParamExtra* extra) {
  AEGP_SuiteHandler suites(in_data->pica_basicP);
  if (extra->param_index != MATTE_PICK_POINT) {
    return PF_Err_NONE;
  }

  // Read as float so that positions outside 0..1 survive; alpha is unused.
  PF_PixelFloat colour{};
  PF_Err err = suites.ColorParamSuite1()->PF_GetFloatingPointColorFromColorDef(
      in_data->effect_ref, params[MATTE_PICK_POINT], &colour);
  // Nothing written, nothing announced: the host keeps "Position" as it was.
  if (err != PF_Err_NONE) {
    return err;
  }

  PF_Point3DDef& position = params[MATTE_POSITION]->u.point3d_d;
  position.x_value = static_cast<double>(colour.red);
  position.y_value = static_cast<double>(colour.green);
  position.z_value = static_cast<double>(colour.blue);
  params[MATTE_POSITION]->uu.change_flags = PF_ChangeFlag_CHANGED_VALUE;
  return err;
}
