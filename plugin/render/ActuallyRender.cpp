#include "render/ActuallyRender.h"
#include "AE_EffectCB.h"
#include "AE_EffectSuites.h"
#include "entry/Lifecycle.h"
#include "matte/Matte.h"
#include "matte/PlannedRows.h"
#include "params/Params.h"
#include "render/Coverage.h"
#include "render/FillSettings.h"
#include "util/AEGP_SuiteHandler.h"
#include "util/ParamCheckout.h"
#include "util/Rect.h"

namespace {

// The settings record at the start of the instance's block, or null when
// the instance has none. Reached by one dereference: the host gives each
// render a block of its own, so no lock is needed.
MatteSettings* sequenceSettings(const PF_InData* in_data) {
  if (in_data->sequence_data == nullptr || *in_data->sequence_data == nullptr) {
    return nullptr;
  }
  return &static_cast<SequenceData*>(*in_data->sequence_data)->settings;
}

// Bytes per pixel of the three formats the effect iterates; 0 for any other.
A_long pixelBytesOf(PF_PixelFormat format) {
  switch (format) {
    case PF_PixelFormat_ARGB128:
      return sizeof(PF_PixelFloat);
    case PF_PixelFormat_ARGB64:
      return sizeof(PF_Pixel16);
    case PF_PixelFormat_ARGB32:
      return sizeof(PF_Pixel8);
    default:
      return 0;
  }
}

// Runs `iterate_origin` of one iteration suite over the covered part of the
// output, one call per row: the area is a column one pixel wide at the
// first covered output column, so the input pixel handed over is always
// inside the input and the row function (whose width comes from
// `rowWorld`) stays inside it too.
template <typename Suite, typename PixelFn>
PF_Err iterateRows(const Suite* suite, PF_InData* in_data, PF_EffectWorld* input,
                   PF_EffectWorld* output, const PF_Rect& covered, PF_Point origin,
                   kestrow::matte::PlannedRows* rows, PixelFn pixelFn) {
  if (IsEmptyRect(&covered)) {
    return PF_Err_NONE;
  }
  const PF_Rect area{covered.left, covered.top, covered.left + 1, covered.bottom};
  return suite->iterate_origin(in_data, 0, covered.bottom - covered.top, input, &area, &origin,
                               rows, pixelFn, output);
}

// Steps after the settings record is known to exist. A missing iteration
// suite throws from the suite handler.
PF_Err renderMatte(AEGP_SuiteHandler& suites, const PF_WorldSuite2* worldSuite, PF_InData* in_data,
                   PF_EffectWorld* input, const RenderParams& controls, const PF_LayerDef& picture,
                   PF_EffectWorld* output, MatteSettings* settings) {
  const PF_ParamDef* params[MATTE_NUM_PARAMS] = {};
  controls.byIndex(params);
  FillMatteSettings(params, picture, settings);

  // Written last, and only when it changes.
  const A_long mode = params[MATTE_MODE]->u.pd.value;
  if (settings->mode != mode) {
    settings->mode = mode;
  }

  const PF_Point origin{in_data->output_origin_x, in_data->output_origin_y};

  PF_PixelFormat format = PF_PixelFormat_INVALID;
  // A failed query says nothing reliable about the format: nothing is
  // iterated and the query's error is the result.
  if (PF_Err err = worldSuite->PF_GetPixelFormat(input, &format); err != PF_Err_NONE) {
    return err;
  }

  const A_long pixelBytes = pixelBytesOf(format);
  if (pixelBytes == 0) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  if (!IsWritableWorld(*output, pixelBytes)) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  const PF_Rect covered = CoveredOutputArea(*input, *output, origin, pixelBytes);
  // Planned once, with the record complete; every row call only evaluates.
  // A row is the covered width, narrower than the output when the input
  // covers only part of it.
  kestrow::matte::PlannedRows rows =
      kestrow::matte::planRows(*settings, *in_data, covered.right - covered.left);

  // Output pixels without an input pixel become transparent black.
  ClearOutside(output, covered, pixelBytes);
  switch (format) {
    case PF_PixelFormat_ARGB128:
      return iterateRows(suites.IterateFloatSuite1(), in_data, input, output, covered, origin,
                         &rows, InvertPixelFloat);
    case PF_PixelFormat_ARGB64:
      // Mattes are float only: these rows come out transparent black.
      return iterateRows(suites.Iterate16Suite1(), in_data, input, output, covered, origin, &rows,
                         InvertPixel16);
    default:
      return iterateRows(suites.Iterate8Suite1(), in_data, input, output, covered, origin, &rows,
                         InvertPixel8);
  }
}

// Output pixel (x, y) stands for input pixel (x + output_origin_x,
// y + output_origin_y). The depth is not known here; the copy moves whole
// pixels, so coverage is counted in worlds whose rows hold their width.
void passThrough(PF_InData* in_data, PF_EffectWorld* input, PF_EffectWorld* output) {
  const PF_Point origin{in_data->output_origin_x, in_data->output_origin_y};
  PF_Rect target = CoveredOutputArea(*input, *output, origin, 1);
  if (IsEmptyRect(&target)) {
    return;
  }
  PF_Rect source{target.left + origin.h, target.top + origin.v, target.right + origin.h,
                 target.bottom + origin.v};
  (void)in_data->utils->copy(in_data->effect_ref, input, output, &source, &target);
}

// Tells the user why the frame failed, as the host shows it.
void showMessage(PF_InData* in_data, PF_OutData* out_data, const char* text) {
  out_data->out_flags |= PF_OutFlag_DISPLAY_ERROR_MESSAGE;
  // Passed as an argument, not as the format, so a '%' in a message can
  // never be read as a conversion.
  in_data->utils->ansi.sprintf(out_data->return_msg, "%s", text);
}

}  // namespace

PF_Err ActuallyRender(PF_InData* in_data, PF_EffectWorld* input, const RenderParams& params,
                      const PF_LayerDef& picture, PF_OutData* out_data, PF_EffectWorld* output) {
  // Throws when there is no basic suite; every suite acquired here is
  // released when the handler goes, in slot order: the world suite, then
  // the iteration suite.
  AEGP_SuiteHandler suites(in_data->pica_basicP);
  PF_Err err = PF_Err_NONE;
  const PF_WorldSuite2* worldSuite = suites.WorldSuite2(AEGP_SuiteHandler::IfMissing::kNull);
  if (worldSuite == nullptr) {
    showMessage(in_data, out_data, "Couldn't load suite.");
    err = PF_Err_BAD_CALLBACK_PARAM;
  }

  MatteSettings* settings = sequenceSettings(in_data);
  if (settings == nullptr) {
    // Without a record there is no matte: pass the input through, each
    // output pixel taking the input pixel it stands for, over the part of
    // the output the input covers. The copy's own result is not what the
    // caller needs to hear.
    passThrough(in_data, input, output);
    err = PF_Err_INTERNAL_STRUCT_DAMAGED;
  }

  if (err == PF_Err_NONE) {
    err = renderMatte(suites, worldSuite, in_data, input, params, picture, output, settings);
  }
  return err;
}
