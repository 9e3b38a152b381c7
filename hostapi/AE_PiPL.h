// The PiPL (plug-in property list): the static description a host reads
// before it loads any code. Property keys and the Windows resource location.
//
// Windows byte layout (all integers little-endian; a four-character code is
// stored as a little-endian 32-bit integer, so 'kind' reads "dnik"):
//   u16 1, u32 list version 0, u32 property count,
//   per property: u32 vendor '8BIM', u32 key, u32 id 0, u32 length, data,
//   the next property starting at the next multiple of 4.
#pragma once

#include "AE_Effect.h"

#define PiPL_RESOURCE_TYPE "PIPL"
#define PiPL_RESOURCE_ID 16000
#define PiPL_RESOURCE_LANGUAGE 1033

#define PIPL_VENDOR_8BIM PF_FOURCC('8', 'B', 'I', 'M')

#define PIPL_KEY_KIND PF_FOURCC('k', 'i', 'n', 'd')
#define PIPL_KEY_NAME PF_FOURCC('n', 'a', 'm', 'e')
#define PIPL_KEY_CATEGORY PF_FOURCC('c', 'a', 't', 'g')
#define PIPL_KEY_CODE_WIN64_X86 PF_FOURCC('8', '6', '6', '4')
#define PIPL_KEY_CODE_MAC_ARM64 PF_FOURCC('m', 'a', '6', '4')
#define PIPL_KEY_CODE_MAC_X86_64 PF_FOURCC('m', 'i', '6', '4')
// Entry point of the Linux build, read by our own host from the side file
// beside the shared library ("X.pipl" for "X.so"), same byte layout.
#define PIPL_KEY_CODE_LINUX_X86_64 PF_FOURCC('l', 'x', '6', '4')
#define PIPL_KEY_AE_PIPL_VERSION PF_FOURCC('e', 'P', 'V', 'R')
#define PIPL_KEY_AE_SPEC_VERSION PF_FOURCC('e', 'S', 'V', 'R')
#define PIPL_KEY_AE_EFFECT_VERSION PF_FOURCC('e', 'V', 'E', 'R')
#define PIPL_KEY_AE_INFO_FLAGS PF_FOURCC('e', 'I', 'N', 'F')
#define PIPL_KEY_AE_OUT_FLAGS PF_FOURCC('e', 'G', 'L', 'O')
#define PIPL_KEY_AE_OUT_FLAGS_2 PF_FOURCC('e', 'G', 'L', '2')
#define PIPL_KEY_AE_MATCH_NAME PF_FOURCC('e', 'M', 'N', 'A')
#define PIPL_KEY_AE_RESERVED_INFO PF_FOURCC('a', 'e', 'F', 'L')
#define PIPL_KEY_AE_SUPPORT_URL PF_FOURCC('e', 'U', 'R', 'L')

#define PIPL_KIND_EFFECT PF_FOURCC('e', 'F', 'K', 'T')
