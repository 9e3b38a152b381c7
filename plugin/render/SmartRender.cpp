#include <iterator>

#include "AE_EffectSuites.h"
#include "entry/Lifecycle.h"
#include "matte/Matte.h"
#include "matte/PlannedRows.h"
#include "params/Params.h"
#include "render/ActuallyRender.h"
#include "render/Coverage.h"
#include "render/FillSettings.h"
#include "render/Render.h"
#include "util/AEFX_SuiteHelper.h"
#include "util/AEGP_SuiteHandler.h"
#include "util/Rect.h"

namespace {

// The controls the render reads, in the order they are checked out (and
// back in). "Pick Point" is never read.
constexpr PF_ParamIndex kCheckoutOrder[] = {
    MATTE_ALPHA_MATTE, MATTE_INVERT,       MATTE_MULTIPLY_VALUES, MATTE_THICKNESS, MATTE_FEATHER,
    MATTE_SCALE_Z,     MATTE_SCALE_Y,      MATTE_SCALE_X,         MATTE_OFFSET,    MATTE_FREQUENCY,
    MATTE_SIZE_Z,      MATTE_SIZE_Y,       MATTE_SIZE_X,          MATTE_RADIUS,    MATTE_AXIS,
    MATTE_POSITION,    MATTE_MODE,         MATTE_LAYER,           MATTE_TILE,      MATTE_OFFSET_U,
    MATTE_OFFSET_V,    MATTE_ROTATE_ORDER, MATTE_ROTATE_X,        MATTE_ROTATE_Y,  MATTE_ROTATE_Z};
constexpr int kCheckoutCount = static_cast<int>(std::size(kCheckoutOrder));
static_assert(kCheckoutCount == 25);

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

// Steps after the settings record is known to exist. May throw PF_Err from
// the suite handler when an iteration suite is missing.
PF_Err renderMatte(AEGP_SuiteHandler& suites, const PF_WorldSuite2* worldSuite, PF_InData* in_data,
                   PF_EffectWorld* input, const PF_ParamDef* const params[MATTE_NUM_PARAMS],
                   PF_EffectWorld* output, MatteSettings* settings) {
  FillMatteSettings(params, settings);

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

  switch (format) {
    case PF_PixelFormat_ARGB128: {
      const PF_iterateFloatSuite1* suite = suites.IterateFloatSuite1();
      // Output pixels without an input pixel become transparent black.
      ClearOutsideFloat(output, covered);
      return iterateRows(suite, in_data, input, output, covered, origin, &rows, InvertPixelFloat);
    }
    case PF_PixelFormat_ARGB64:
      // Mattes are float only: these pixel functions write nothing.
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

PF_Err renderWithSuites(AEGP_SuiteHandler& suites, PF_InData* in_data, PF_EffectWorld* input,
                        const PF_ParamDef* const params[MATTE_NUM_PARAMS], PF_OutData* out_data,
                        PF_EffectWorld* output) {
  PF_WorldSuite2* worldSuite = nullptr;
  PF_Err err = AEFX_AcquireSuite(in_data, out_data, kPFWorldSuite, kPFWorldSuiteVersion2,
                                 "Couldn't load suite.", reinterpret_cast<void**>(&worldSuite));

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
    // A missing iteration suite must not skip the release below, nor the
    // check-ins of the caller.
    try {
      err = renderMatte(suites, worldSuite, in_data, input, params, output, settings);
    } catch (PF_Err thrown) {
      err = thrown;
    }
  }

  // Only what was acquired is given back.
  if (worldSuite != nullptr) {
    PF_Err releaseErr = AEFX_ReleaseSuite(in_data, out_data, kPFWorldSuite, kPFWorldSuiteVersion2,
                                          "Couldn't release suite.");
    if (err == PF_Err_NONE) {
      err = releaseErr;
    }
  }
  return err;
}

}  // namespace

PF_Err ActuallyRender(PF_InData* in_data, PF_EffectWorld* input, const PF_ParamDef* alphaMatte,
                      const PF_ParamDef* invert, const PF_ParamDef* multiplyValues,
                      const PF_ParamDef* thickness, const PF_ParamDef* feather,
                      const PF_ParamDef* scaleZ, const PF_ParamDef* scaleY,
                      const PF_ParamDef* scaleX, const PF_ParamDef* offset,
                      const PF_ParamDef* frequency, const PF_ParamDef* sizeZ,
                      const PF_ParamDef* sizeY, const PF_ParamDef* sizeX, const PF_ParamDef* radius,
                      const PF_ParamDef* axis, const PF_ParamDef* position, const PF_ParamDef* mode,
                      const PF_ParamDef* layer, const PF_ParamDef* tile, const PF_ParamDef* offsetU,
                      const PF_ParamDef* offsetV, const PF_ParamDef* rotateOrder,
                      const PF_ParamDef* rotateX, const PF_ParamDef* rotateY,
                      const PF_ParamDef* rotateZ, PF_OutData* out_data, PF_EffectWorld* output) {
  const PF_ParamDef* params[MATTE_NUM_PARAMS] = {};
  params[MATTE_MODE] = mode;
  params[MATTE_POSITION] = position;
  params[MATTE_ROTATE_ORDER] = rotateOrder;
  params[MATTE_ROTATE_X] = rotateX;
  params[MATTE_ROTATE_Y] = rotateY;
  params[MATTE_ROTATE_Z] = rotateZ;
  params[MATTE_LAYER] = layer;
  params[MATTE_TILE] = tile;
  params[MATTE_OFFSET_U] = offsetU;
  params[MATTE_OFFSET_V] = offsetV;
  params[MATTE_AXIS] = axis;
  params[MATTE_RADIUS] = radius;
  params[MATTE_SIZE_X] = sizeX;
  params[MATTE_SIZE_Y] = sizeY;
  params[MATTE_SIZE_Z] = sizeZ;
  params[MATTE_FREQUENCY] = frequency;
  params[MATTE_OFFSET] = offset;
  params[MATTE_FEATHER] = feather;
  params[MATTE_THICKNESS] = thickness;
  params[MATTE_SCALE_X] = scaleX;
  params[MATTE_SCALE_Y] = scaleY;
  params[MATTE_SCALE_Z] = scaleZ;
  params[MATTE_MULTIPLY_VALUES] = multiplyValues;
  params[MATTE_INVERT] = invert;
  params[MATTE_ALPHA_MATTE] = alphaMatte;

  // The handler's constructor throws when there is no basic suite; caught
  // here so that the caller still checks its records back in.
  try {
    AEGP_SuiteHandler suites(in_data->pica_basicP);
    return renderWithSuites(suites, in_data, input, params, out_data, output);
  } catch (PF_Err thrown) {
    return thrown;
  }
}

PF_Err SmartRender(PF_InData* in_data, PF_OutData* out_data, PF_SmartRenderExtra* extra) {
  PF_Err err = PF_Err_NONE;
  PF_EffectWorld* input = nullptr;
  PF_EffectWorld* output = nullptr;
  PF_ParamDef records[kCheckoutCount] = {};
  int attempted = 0;  // check-outs that ran, the failed one included

  err = extra->cb->checkout_layer_pixels(in_data->effect_ref, 0, &input);
  if (err == PF_Err_NONE) {
    err = extra->cb->checkout_output(in_data->effect_ref, &output);
  }
  for (int i = 0; i < kCheckoutCount && err == PF_Err_NONE; ++i) {
    err =
        in_data->inter.checkout_param(in_data->effect_ref, kCheckoutOrder[i], in_data->current_time,
                                      in_data->time_step, in_data->time_scale, &records[i]);
    ++attempted;
  }
  // A host that reports success must hand over both worlds.
  if (err == PF_Err_NONE && (input == nullptr || output == nullptr)) {
    err = PF_Err_BAD_CALLBACK_PARAM;
  }

  if (err == PF_Err_NONE) {
    const PF_ParamDef* r = records;
    err =
        ActuallyRender(in_data, input, &r[0], &r[1], &r[2], &r[3], &r[4], &r[5], &r[6], &r[7],
                       &r[8], &r[9], &r[10], &r[11], &r[12], &r[13], &r[14], &r[15], &r[16], &r[17],
                       &r[18], &r[19], &r[20], &r[21], &r[22], &r[23], &r[24], out_data, output);
  }

  // Every record whose check-out ran goes back, in check-out order, whatever
  // failed (the host expects a failed check-out to be checked in as well).
  // Records whose check-out never ran were never seen by the host and are
  // not handed to it.
  for (int i = 0; i < attempted; ++i) {
    PF_Err checkinErr = in_data->inter.checkin_param(in_data->effect_ref, &records[i]);
    if (err == PF_Err_NONE) {
      err = checkinErr;
    }
  }
  return err;
}
