#include "SuiteRegistry.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "HostCall.h"
#include "SuiteTables.h"

namespace kestrow::host {

const std::vector<SuiteEntry>& allSuites() {
  static const std::vector<SuiteEntry> suites = {
      {kPFHandleSuite, kPFHandleSuiteVersion1, &kHandleSuite},
      {kPFANSISuite, kPFANSISuiteVersion1, &kAnsiSuite},
      {kPFWorldSuite, kPFWorldSuiteVersion2, &kWorldSuite},
      {kPFColorParamSuite, kPFColorParamSuiteVersion1, &kColorParamSuite},
      {kPFIterate8Suite, kPFIterate8SuiteVersion1, &kIterate8Suite},
      {kPFIterate16Suite, kPFIterate16SuiteVersion1, &kIterate16Suite},
      {kPFIterateFloatSuite, kPFIterateFloatSuiteVersion1, &kIterateFloatSuite},
      {kAEGPUtilitySuite, kAEGPUtilitySuiteVersion3, &kUtilitySuite},
      {kAEGPPFInterfaceSuite, kAEGPPFInterfaceSuiteVersion1, &kPFInterfaceSuite},
      {kAEGPStreamSuite, kAEGPStreamSuiteVersion2, &kStreamSuite},
      {kAEGPDynamicStreamSuite, kAEGPDynamicStreamSuiteVersion2, &kDynamicStreamSuite},
      {kAEGPEffectSuite, kAEGPEffectSuiteVersion2, &kEffectSuite},
  };
  return suites;
}

const void* findSuite(std::string_view name, int version) {
  for (const SuiteEntry& entry : allSuites()) {
    if (entry.version == version && name == entry.name) return entry.table;
  }
  return nullptr;
}

namespace {

// The basic suite's own error code for a bad argument.
constexpr SPErr kBadParameter = SPErr(PF_FOURCC('P', 'a', 'r', '!'));

SPErr acquireSuite(const char* name, int32_t version, const void** suite) {
  CommandContext* context = currentContext();
  if (name == nullptr || suite == nullptr) return kBadParameter;
  if (context == nullptr) {
    *suite = nullptr;
    return kBadParameter;
  }
  const void* table = findSuite(name, version);
  *suite = table;
  if (table == nullptr) return kSuiteNotFound;
  std::lock_guard lock(context->mutex);
  ++context->suites[{name, version}];
  ++context->suitesAcquired;
  noteTarget(*context,
             [&] { return std::string("AcquireSuite ") + name + " " + std::to_string(version); });
  return kSPNoError;
}

SPErr releaseSuite(const char* name, int32_t version) {
  CommandContext* context = currentContext();
  if (context == nullptr || name == nullptr || findSuite(name, version) == nullptr) {
    if (context) ++context->stray;
    return kSuiteNotFound;
  }
  std::lock_guard lock(context->mutex);
  // A release without an acquisition shows as a negative balance.
  --context->suites[{name, version}];
  noteTarget(*context,
             [&] { return std::string("ReleaseSuite ") + name + " " + std::to_string(version); });
  return kSPNoError;
}

SPBoolean isEqual(const char* a, const char* b) {
  return a != nullptr && b != nullptr && std::strcmp(a, b) == 0;
}

SPErr allocateBlock(size_t size, void** block) {
  if (block == nullptr) return kBadParameter;
  *block = std::malloc(size == 0 ? 1 : size);
  return *block ? kSPNoError : kBadParameter;
}

SPErr freeBlock(void* block) {
  std::free(block);
  return kSPNoError;
}

SPErr reallocateBlock(void* block, size_t newSize, void** newBlock) {
  if (newBlock == nullptr) return kBadParameter;
  void* moved = std::realloc(block, newSize == 0 ? 1 : newSize);
  if (moved == nullptr) return kBadParameter;
  *newBlock = moved;
  return kSPNoError;
}

SPErr undefined() { return kBadParameter; }

const SPBasicSuite kBasicSuite = {
    KESTROW_HOST_CALL(SPBasicSuite, AcquireSuite, acquireSuite, kMissingSuite),
    KESTROW_HOST_CALL(SPBasicSuite, ReleaseSuite, releaseSuite, kErrorAfter),
    KESTROW_HOST_CALL(SPBasicSuite, IsEqual, isEqual, kNever),
    KESTROW_HOST_CALL(SPBasicSuite, AllocateBlock, allocateBlock, kError),
    KESTROW_HOST_CALL(SPBasicSuite, FreeBlock, freeBlock, kErrorAfter),
    KESTROW_HOST_CALL(SPBasicSuite, ReallocateBlock, reallocateBlock, kError),
    KESTROW_HOST_CALL(SPBasicSuite, Undefined, undefined, kError)};

}  // namespace

const SPBasicSuite* basicSuite() { return &kBasicSuite; }

}  // namespace kestrow::host
