// "PF ANSI Suite" 1, "PF World Suite" 2 and "PF ColorParamSuite" 1.
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "SuiteTables.h"
#include "Unimplemented.h"
#include "kestrow/host/World.h"

namespace kestrow::host {
namespace {

// Every buffer the effect API formats into is a return_msg: 256 bytes.
constexpr std::size_t kMessageBytes = PF_MAX_EFFECT_MSG_LEN + 1;

int ansiSprintf(A_char* buffer, const A_char* format, ...) {
  if (buffer == nullptr || format == nullptr) return -1;
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(buffer, kMessageBytes, format, args);
  va_end(args);
  // The count actually written, as the text is cut at the buffer's end.
  return n < 0 ? n : int(std::min<std::size_t>(std::size_t(n), kMessageBytes - 1));
}

A_char* ansiStrcpy(A_char* dest, const A_char* src) {
  if (dest == nullptr) return dest;
  if (src == nullptr) src = "";
  const std::size_t n = strnlen(src, kMessageBytes - 1);
  std::memmove(dest, src, n);
  dest[n] = '\0';
  return dest;
}

PF_Err getPixelFormat(const PF_EffectWorld* world, PF_PixelFormat* format) {
  CommandContext* context = currentContext();
  if (context == nullptr || world == nullptr || format == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
  const FaultInjection& faults = context->host->faults;
  if (faults.failGetPixelFormat) return faults.error;
  if (faults.reportPixelFormat) {
    *format = *faults.reportPixelFormat;
    return PF_Err_NONE;
  }
  const World* owner = World::fromDef(world);
  if (owner == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
  *format = pixelFormat(owner->depth());
  return PF_Err_NONE;
}

PF_Err getFloatColor(PF_ProgPtr effectRef, const PF_ParamDef* def, PF_PixelFloat* color) {
  CommandContext* context = currentContext();
  if (!checkEffectRef(context, effectRef)) return PF_Err_BAD_CALLBACK_PARAM;
  if (def == nullptr || color == nullptr || def->param_type != PF_Param_COLOR) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  if (context->host->faults.failColorRead) return context->host->faults.error;
  const PF_ParamIndex index = paramIndexOf(*context, def);
  Instance::State* instance = context->instance;
  if (index >= 0 && instance != nullptr) {
    std::lock_guard lock(instance->mutex);
    if (std::size_t(index) < instance->floatColors.size()) {
      *color = instance->floatColors[index];
      return PF_Err_NONE;
    }
  }
  // A record the host did not pass: its 8-bit value is all there is.
  const PF_Pixel& v = def->u.cd.value;
  *color = {v.alpha / 255.0f, v.red / 255.0f, v.green / 255.0f, v.blue / 255.0f};
  return PF_Err_NONE;
}

}  // namespace

// The ANSI functions, in slot order, for the suite and the utils block.
#define KESTROW_ANSI_FUNCTIONS                                                          \
  [](A_FpLong x) { return std::atan(x); },                                              \
      [](A_FpLong y, A_FpLong x) { return std::atan2(y, x); },                          \
      [](A_FpLong x) { return std::ceil(x); }, [](A_FpLong x) { return std::cos(x); },  \
      [](A_FpLong x) { return std::exp(x); }, [](A_FpLong x) { return std::fabs(x); },  \
      [](A_FpLong x) { return std::floor(x); },                                         \
      [](A_FpLong x, A_FpLong y) { return std::fmod(x, y); },                           \
      [](A_FpLong x, A_FpLong y) { return std::hypot(x, y); },                          \
      [](A_FpLong x) { return std::log(x); }, [](A_FpLong x) { return std::log10(x); }, \
      [](A_FpLong x, A_FpLong y) { return std::pow(x, y); },                            \
      [](A_FpLong x) { return std::sin(x); }, [](A_FpLong x) { return std::sqrt(x); },  \
      [](A_FpLong x) { return std::tan(x); }, ansiSprintf, ansiStrcpy,                  \
      [](A_FpLong x) { return std::asin(x); }, [](A_FpLong x) { return std::acos(x); }

const PF_ANSICallbacksSuite1 kAnsiSuite = {KESTROW_ANSI_FUNCTIONS};

PF_ANSICallbacks ansiCallbacks() { return {KESTROW_ANSI_FUNCTIONS, {0}}; }

const PF_WorldSuite2 kWorldSuite = {KESTROW_UNIMPLEMENTED(PF_WorldSuite2, PF_NewWorld),
                                    KESTROW_UNIMPLEMENTED(PF_WorldSuite2, PF_DisposeWorld),
                                    .PF_GetPixelFormat = getPixelFormat};
const PF_ColorParamSuite1 kColorParamSuite = {getFloatColor};

}  // namespace kestrow::host
