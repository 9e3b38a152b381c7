// What the effect announces about itself: its version and both capability
// flag words. GlobalSetup writes these values into PF_OutData and the PiPL
// carries the very same ones, so both are taken from here.
#pragma once

#include "AE_Effect.h"
#include "entry/Lifecycle.h"

inline constexpr A_u_long kKestrowVersion =
    PF_VERSION(KESTROW_MAJOR_VERSION, KESTROW_MINOR_VERSION, KESTROW_BUG_VERSION,
               KESTROW_STAGE_VERSION, KESTROW_BUILD_VERSION);

// Smart rendering only, in 32-bit float; the controls shown depend on "Mode",
// so the host is asked to send interface updates.
inline constexpr PF_OutFlags kKestrowOutFlags =
    PF_OutFlag_WIDE_TIME_INPUT | PF_OutFlag_USE_OUTPUT_EXTENT | PF_OutFlag_PIX_INDEPENDENT |
    PF_OutFlag_DEEP_COLOR_AWARE | PF_OutFlag_SEND_UPDATE_PARAMS_UI;

// Threaded rendering together with mutable render-time sequence data: every
// render gets a sequence block of its own to write its settings record into.
inline constexpr PF_OutFlags2 kKestrowOutFlags2 =
    PF_OutFlag2_SUPPORTS_QUERY_DYNAMIC_FLAGS | PF_OutFlag2_PARAM_GROUP_START_COLLAPSED_FLAG |
    PF_OutFlag2_SUPPORTS_SMART_RENDER | PF_OutFlag2_FLOAT_COLOR_AWARE |
    PF_OutFlag2_AUTOMATIC_WIDE_TIME_INPUT | PF_OutFlag2_SUPPORTS_THREADED_RENDERING |
    PF_OutFlag2_MUTABLE_RENDER_SEQUENCE_DATA_SLOWER;

// Saved projects and the host's effect registry know the effect by these.
static_assert(kKestrowVersion == 0x00118001);
static_assert(kKestrowOutFlags == 0x06000442);
static_assert(kKestrowOutFlags2 == 0x18021409);
