// Handlers of the plug-in's and each effect instance's lifecycle, and the
// data they keep between commands.
#pragma once

#include "AE_Effect.h"
#include "AE_GeneralPlug.h"
#include "matte/Matte.h"

// Version announced to the host (major 2, minor 3, develop stage, build 1).
#define KESTROW_MAJOR_VERSION 2
#define KESTROW_MINOR_VERSION 3
#define KESTROW_BUG_VERSION 0
#define KESTROW_STAGE_VERSION PF_Stage_DEVELOP
#define KESTROW_BUILD_VERSION 1

// Plug-in-wide block, in an 8-byte host handle.
struct GlobalData {
  PF_Boolean initialized;
  AEGP_PluginID pluginId;
};
static_assert(sizeof(GlobalData) == 8);

// Per-instance block, stored flat with projects. Only the settings record
// at its start is ever read or written.
constexpr A_long kSequenceDataSize = 9688;
struct SequenceData {
  MatteSettings settings;
  char unused[kSequenceDataSize - sizeof(MatteSettings)];
};
static_assert(sizeof(MatteSettings) <= kSequenceDataSize, "settings must fit the sequence block");
static_assert(sizeof(SequenceData) == kSequenceDataSize);

PF_Err About(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[], PF_LayerDef* output);
PF_Err GlobalSetup(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                   PF_LayerDef* output);
PF_Err GlobalSetdown(PF_InData* in_data);
PF_Err SequenceSetup(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                     PF_LayerDef* output);
PF_Err SequenceResetup(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                       PF_LayerDef* output);
// Hands the instance's block back in out_data as its flat form (saving,
// duplicating).
PF_Err SequenceFlatten(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                       PF_LayerDef* output);
PF_Err SequenceSetdown(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                       PF_LayerDef* output);
