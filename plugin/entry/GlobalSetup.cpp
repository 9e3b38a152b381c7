#include "entry/Lifecycle.h"
#include "resources/Kestrow_Capabilities.h"
#include "resources/Kestrow_Strings.h"
#include "util/AEGP_SuiteHandler.h"

PF_Err GlobalSetup(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* /*params*/[],
                   PF_LayerDef* /*output*/) {
  AEGP_SuiteHandler suites(in_data->pica_basicP);

  // Written before anything can fail, so the host learns the version and
  // capabilities even from a failed set-up.
  out_data->my_version = kKestrowVersion;
  out_data->out_flags = kKestrowOutFlags;
  out_data->out_flags2 = kKestrowOutFlags2;

  // Every suite is acquired before the handle exists, so a missing suite
  // (thrown) can never strand an allocated or locked handle. Premiere Pro
  // has no AEGP registration and needs no utility suite.
  const bool premiere = in_data->appl_id == static_cast<A_long>(PF_APPL_ID_PREMIERE);
  const PF_HandleSuite1* handles = suites.HandleSuite1();
  const AEGP_UtilitySuite3* utility = premiere ? nullptr : suites.UtilitySuite3();

  PF_Handle globH = handles->host_new_handle(sizeof(GlobalData));
  if (!globH) {
    return PF_Err_INTERNAL_STRUCT_DAMAGED;
  }

  PF_Err err = PF_Err_NONE;
  auto* globP = static_cast<GlobalData*>(handles->host_lock_handle(globH));
  if (globP) {
    *globP = GlobalData{};
    globP->initialized = 1;
    if (utility) {
      err = utility->AEGP_RegisterWithAEGP(nullptr, GetStringPtr(StrID_Name), &globP->pluginId);
    }
    handles->host_unlock_handle(globH);
  } else {
    // Without its block the effect has no plug-in identifier for later
    // commands; reporting success here would only defer the failure. A
    // lock that failed is not undone.
    err = PF_Err_INTERNAL_STRUCT_DAMAGED;
  }

  if (err) {
    // The handle never reaches the host, so nobody else would free it.
    handles->host_dispose_handle(globH);
  } else {
    out_data->global_data = globH;
  }
  return err;
}

PF_Err GlobalSetdown(PF_InData* in_data) {
  AEGP_SuiteHandler suites(in_data->pica_basicP);
  if (in_data->global_data) {
    // Without the handle suite the block still goes back, through the
    // utility callbacks, which serve the same handles: the plug-in is being
    // unloaded and nobody else would free it.
    const PF_HandleSuite1* handles = suites.HandleSuite1(AEGP_SuiteHandler::IfMissing::kNull);
    if (handles) {
      handles->host_dispose_handle(in_data->global_data);
    } else {
      in_data->utils->host_dispose_handle(in_data->global_data);
    }
  }
  return PF_Err_NONE;
}
