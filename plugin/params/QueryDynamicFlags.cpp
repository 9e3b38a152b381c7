#include "params/Params.h"
#include "util/ParamCheckout.h"

namespace {
constexpr std::array<PF_ParamIndex, 1> kRead = {MATTE_MODE};
}  // namespace

// No flag depends on a control value; "Mode" is checked out and back in only
// so the host sees the control read. Neither flag word is touched.
PF_Err QueryDynamicFlags(PF_InData* in_data, PF_OutData* /*out_data*/, PF_ParamDef* /*params*/[],
                         void* /*extra*/) {
  // Checked back in also after a failed check-out; the first error wins.
  ParamCheckout<kRead.size()> mode(in_data, kRead);
  const PF_Err err = mode.checkOut();
  return mode.checkIn(err);
}
