#include "entry/Lifecycle.h"
#include "resources/Kestrow_Strings.h"
#include "util/AEGP_SuiteHandler.h"

PF_Err About(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* /*params*/[],
             PF_LayerDef* /*output*/) {
  // Premiere Pro shows its own About box.
  if (in_data->appl_id == static_cast<A_long>(PF_APPL_ID_PREMIERE)) {
    return PF_Err_NONE;
  }
  AEGP_SuiteHandler suites(in_data->pica_basicP);
  // Name and version, a carriage return, then the description with its own
  // line feeds. The string table guarantees it fits the 256-byte field.
  suites.ANSICallbacksSuite1()->sprintf(out_data->return_msg, "%s, v%d.%d\r%s",
                                        GetStringPtr(StrID_Name), KESTROW_MAJOR_VERSION,
                                        KESTROW_MINOR_VERSION, GetStringPtr(StrID_Description));
  return PF_Err_NONE;
}
