// The host's basic suite: the one table every plug-in receives, through which
// every other suite is acquired by name and version.
#pragma once

#include <cstddef>
#include <cstdint>

#ifdef __cplusplus
extern "C" {
#endif

typedef int32_t SPErr;
// The basic suite's yes/no answer: a 32-bit integer on Windows, a byte on
// macOS (and here elsewhere).
#if defined(_WIN32)
typedef int32_t SPBoolean;
#else
typedef uint8_t SPBoolean;
#endif

#define kSPNoError 0

#define kSPBasicSuite "SP Basic Suite"
#define kSPBasicSuiteVersion 4

typedef struct SPBasicSuite {
  // Fills *suite with the named suite's function table. A missing suite is
  // reported by an error code, a null table, or both.
  SPErr (*AcquireSuite)(const char* name, int32_t version, const void** suite);
  // Gives back one acquisition of the named suite.
  SPErr (*ReleaseSuite)(const char* name, int32_t version);
  SPBoolean (*IsEqual)(const char* token1, const char* token2);
  SPErr (*AllocateBlock)(size_t size, void** block);
  SPErr (*FreeBlock)(void* block);
  SPErr (*ReallocateBlock)(void* block, size_t newSize, void** newblock);
  SPErr (*Undefined)(void);
} SPBasicSuite;

#ifdef __cplusplus
}
#endif
