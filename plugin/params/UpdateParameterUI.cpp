#include <iterator>

#include "AE_GeneralPlug.h"
#include "entry/Lifecycle.h"
#include "params/Params.h"
#include "util/AEGP_SuiteHandler.h"

namespace {

using kestrow::matte::ControlGroup;

// Whether each group is hidden under a "Mode" value (the table of modes
// says which it shows; separators and values out of range show everything
// but the wave controls).
struct Visibility {
  unsigned shown;
  bool hidden(ControlGroup group) const { return (shown & group) == 0; }
};

Visibility visibilityFor(A_long mode) { return {kestrow::matte::modeInfo(mode).shown}; }

struct Control {
  PF_ParamIndex index;
  ControlGroup group;
};

// Order in which stream references are obtained and their flags set.
using namespace kestrow::matte;  // the ControlGroup names
constexpr Control kControls[] = {
    {MATTE_RADIUS, kRadiusControl},   {MATTE_THICKNESS, kThicknessControl},
    {MATTE_AXIS, kAxisControl},       {MATTE_SIZE_X, kSizeControls},
    {MATTE_SIZE_Y, kSizeControls},    {MATTE_SIZE_Z, kSizeControls},
    {MATTE_FREQUENCY, kWaveControls}, {MATTE_OFFSET, kWaveControls},
    {MATTE_LAYER, kLayerControls},    {MATTE_TILE, kLayerControls},
    {MATTE_OFFSET_U, kLayerControls}, {MATTE_OFFSET_V, kLayerControls},
    {MATTE_SCALE_X, kScaleControls},  {MATTE_SCALE_Y, kScaleControls},
    {MATTE_SCALE_Z, kScaleControls},  {MATTE_ALPHA_MATTE, kAlphaMatteControl}};
constexpr int kControlCount = static_cast<int>(std::size(kControls));
static_assert(kControlCount == 16);

// Positions in kControls in the order the streams are disposed of.
constexpr int kReleaseOrder[kControlCount] = {0, 1, 2, 3, 4, 5, 6, 7, 12, 13, 14, 15, 8, 9, 10, 11};

struct References {
  AEGP_EffectRefH effect = nullptr;
  AEGP_StreamRefH streams[kControlCount] = {};
};

// The four suites the call needs. All are acquired before any reference is
// obtained, so that a missing suite (thrown as PF_Err) never strands a
// reference that could no longer be disposed of.
struct StreamSuites {
  const AEGP_PFInterfaceSuite1* pfInterface;
  const AEGP_StreamSuite2* stream;
  const AEGP_DynamicStreamSuite2* dynamicStream;
  const AEGP_EffectSuite2* effect;
};

StreamSuites acquireStreamSuites(AEGP_SuiteHandler& suites) {
  StreamSuites s{};
  s.pfInterface = suites.PFInterfaceSuite1();
  s.stream = suites.StreamSuite2();
  s.dynamicStream = suites.DynamicStreamSuite2();
  s.effect = suites.EffectSuite2();
  return s;
}

// Obtains the references and sets every flag, stopping at the first error.
PF_Err applyVisibility(const StreamSuites& suites, AEGP_PluginID pluginId, PF_ProgPtr effect_ref,
                       const Visibility& visibility, References* refs) {
  PF_Err err = suites.pfInterface->AEGP_GetNewEffectForEffect(pluginId, effect_ref, &refs->effect);
  for (int c = 0; c < kControlCount && err == PF_Err_NONE; ++c) {
    err = suites.stream->AEGP_GetNewEffectStreamByIndex(pluginId, refs->effect, kControls[c].index,
                                                        &refs->streams[c]);
  }
  // Every control is set, hidden or shown, so none stays hidden from an
  // earlier mode.
  for (int c = 0; c < kControlCount && err == PF_Err_NONE; ++c) {
    err = suites.dynamicStream->AEGP_SetDynamicStreamFlag(
        refs->streams[c], AEGP_DynStreamFlag_HIDDEN, false, visibility.hidden(kControls[c].group));
  }
  return err;
}

// Disposes of every reference obtained, keeping the first error; every
// disposal is attempted. The streams go first: the host's check-out
// bookkeeping needs the effect reference until its streams are gone.
PF_Err releaseReferences(const StreamSuites& suites, const References& refs) {
  PF_Err err = PF_Err_NONE;
  auto keep = [&err](PF_Err e) {
    if (err == PF_Err_NONE) {
      err = e;
    }
  };
  for (int k = 0; k < kControlCount; ++k) {
    const AEGP_StreamRefH stream = refs.streams[kReleaseOrder[k]];
    if (stream != nullptr) {
      keep(suites.stream->AEGP_DisposeStream(stream));
    }
  }
  if (refs.effect != nullptr) {
    keep(suites.effect->AEGP_DisposeEffect(refs.effect));
  }
  return err;
}

}  // namespace

PF_Err UpdateParameterUI(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                         PF_LayerDef* /*output*/) {
  AEGP_SuiteHandler suites(in_data->pica_basicP);
  // The plug-in identifier comes from global set-up, whose block the host
  // hands back in in_data; without it no stream can be named.
  if (in_data->global_data == nullptr || *in_data->global_data == nullptr) {
    return PF_Err_INTERNAL_STRUCT_DAMAGED;
  }
  const AEGP_PluginID pluginId = static_cast<const GlobalData*>(*in_data->global_data)->pluginId;
  const Visibility visibility = visibilityFor(params[MATTE_MODE]->u.pd.value);

  const StreamSuites streamSuites = acquireStreamSuites(suites);
  References refs;
  PF_Err err = applyVisibility(streamSuites, pluginId, in_data->effect_ref, visibility, &refs);
  const PF_Err releaseErr = releaseReferences(streamSuites, refs);
  if (err == PF_Err_NONE) {
    err = releaseErr;
  }

  if (err == PF_Err_NONE) {
    out_data->out_flags |= PF_OutFlag_FORCE_RERENDER;
  }
  return err;
}
