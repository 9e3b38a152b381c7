// "PF ANSI Suite" 1, "PF World Suite" 2 and "PF ColorParamSuite" 1.
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "HostCall.h"
#include "SuiteTables.h"
#include "Unimplemented.h"
#include "kestrow/host/World.h"

namespace kestrow::host {
namespace {

// Every buffer the effect API formats into is a return_msg: 256 bytes.
constexpr std::size_t kMessageBytes = PF_MAX_EFFECT_MSG_LEN + 1;

// Variadic, so it enters the host call itself; it cannot fail.
int ansiSprintf(A_char* buffer, const A_char* format, ...) {
  (void)enterHostCall({HostCallId::PF_ANSICallbacksSuite1_sprintf, Failure::kNever});
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
  if (HostObserver* observer = context->host->observer.get()) {
    if (const std::optional<PF_PixelFormat> reported = observer->pixelFormat(*context)) {
      *format = *reported;
      return PF_Err_NONE;
    }
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

// The ANSI helpers cannot fail; they are entered like every call to be counted.
double atanOf(A_FpLong x) { return std::atan(x); }
double atan2Of(A_FpLong y, A_FpLong x) { return std::atan2(y, x); }
double ceilOf(A_FpLong x) { return std::ceil(x); }
double cosOf(A_FpLong x) { return std::cos(x); }
double expOf(A_FpLong x) { return std::exp(x); }
double fabsOf(A_FpLong x) { return std::fabs(x); }
double floorOf(A_FpLong x) { return std::floor(x); }
double fmodOf(A_FpLong x, A_FpLong y) { return std::fmod(x, y); }
double hypotOf(A_FpLong x, A_FpLong y) { return std::hypot(x, y); }
double logOf(A_FpLong x) { return std::log(x); }
double log10Of(A_FpLong x) { return std::log10(x); }
double powOf(A_FpLong x, A_FpLong y) { return std::pow(x, y); }
double sinOf(A_FpLong x) { return std::sin(x); }
double sqrtOf(A_FpLong x) { return std::sqrt(x); }
double tanOf(A_FpLong x) { return std::tan(x); }
double asinOf(A_FpLong x) { return std::asin(x); }
double acosOf(A_FpLong x) { return std::acos(x); }

}  // namespace

#define KESTROW_ANSI(member, function) \
  KESTROW_HOST_CALL(PF_ANSICallbacksSuite1, member, function, kNever)

// The ANSI functions, in slot order, for the suite and the utils block.
#define KESTROW_ANSI_FUNCTIONS                                                                \
  KESTROW_ANSI(atan, atanOf), KESTROW_ANSI(atan2, atan2Of), KESTROW_ANSI(ceil, ceilOf),       \
      KESTROW_ANSI(cos, cosOf), KESTROW_ANSI(exp, expOf), KESTROW_ANSI(fabs, fabsOf),         \
      KESTROW_ANSI(floor, floorOf), KESTROW_ANSI(fmod, fmodOf), KESTROW_ANSI(hypot, hypotOf), \
      KESTROW_ANSI(log, logOf), KESTROW_ANSI(log10, log10Of), KESTROW_ANSI(pow, powOf),       \
      KESTROW_ANSI(sin, sinOf), KESTROW_ANSI(sqrt, sqrtOf), KESTROW_ANSI(tan, tanOf),         \
      .sprintf = ansiSprintf, KESTROW_ANSI(strcpy, ansiStrcpy), KESTROW_ANSI(asin, asinOf),   \
      KESTROW_ANSI(acos, acosOf)

const PF_ANSICallbacksSuite1 kAnsiSuite = {KESTROW_ANSI_FUNCTIONS};

PF_ANSICallbacks ansiCallbacks() { return {KESTROW_ANSI_FUNCTIONS, .ansi_procs = {0}}; }

const PF_WorldSuite2 kWorldSuite = {
    KESTROW_UNIMPLEMENTED(PF_WorldSuite2, PF_NewWorld),
    KESTROW_UNIMPLEMENTED(PF_WorldSuite2, PF_DisposeWorld),
    KESTROW_HOST_CALL(PF_WorldSuite2, PF_GetPixelFormat, getPixelFormat, kError)};
const PF_ColorParamSuite1 kColorParamSuite = {KESTROW_HOST_CALL(
    PF_ColorParamSuite1, PF_GetFloatingPointColorFromColorDef, getFloatColor, kError)};

}  // namespace kestrow::host
