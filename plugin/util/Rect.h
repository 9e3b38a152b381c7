// Rectangle helpers for region negotiation.
#pragma once

#include "AE_Effect.h"

// Empty when left >= right or top >= bottom.
bool IsEmptyRect(const PF_LRect* r);
// Grows dst to take in src. An empty dst takes src's four values as they
// are (even an empty src); an empty src leaves a non-empty dst unchanged.
void UnionLRect(const PF_LRect* src, PF_LRect* dst);
