// Which part of the output the input can feed, so that the per-row function
// (which reads output-width pixels from the input pixel it is handed) never
// reads outside the input's memory.
#pragma once

#include "AE_Effect.h"

// True when `world` can hold `width` pixels of `pixelBytes` in each of its
// `height` rows: data set and rowbytes wide enough (in either direction:
// negative rowbytes run the rows upwards from data). Empty worlds qualify.
bool IsWritableWorld(const PF_LayerDef& world, A_long pixelBytes);

// The rectangle of output pixels (x, y) whose input pixel
// (x + origin.h, y + origin.v) lies inside the input, clipped to the output.
// An input without data, or whose rows hold fewer than its width pixels of
// `pixelBytes`, feeds only what its memory holds (pass 1 when the depth is
// unknown). The result may be empty (IsEmptyRect).
PF_Rect CoveredOutputArea(const PF_LayerDef& input, const PF_LayerDef& output, PF_Point origin,
                          A_long pixelBytes);

// Sets every pixel of `output` outside `keep` to transparent black (all
// bytes 0, at any depth). `output` must be a writable world of `pixelBytes`
// pixels (IsWritableWorld).
void ClearOutside(PF_LayerDef* output, const PF_Rect& keep, A_long pixelBytes);
