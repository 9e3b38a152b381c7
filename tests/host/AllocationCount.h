// Bytes this test program holds through operator new: allocated minus freed
// since it started. The program replaces the global allocation functions to
// count them (AllocationCount.cpp).
#pragma once

namespace kestrow::host {

long long liveAllocatedBytes();

}  // namespace kestrow::host
