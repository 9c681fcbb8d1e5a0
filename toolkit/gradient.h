// The gradient of the percentage bars as a list of bands, so the painter only
// fills rectangles. Colours are 0x00BBGGRR.
#pragma once

#include <vector>

#include "framework/fwtypes.h"

struct GradientBand {
  int left;   // from the bar's left edge, inclusive
  int right;  // exclusive
  DWORD color;
};

struct GradientPlan {
  std::vector<GradientBand> bands;
  int backgroundLeft;  // the background colour from here to the bar's right; width: none
};

// One band per step of the largest channel difference between start and end;
// band i spans i x width / steps to (i + 1) x width / steps (truncated) in
// start + i x (end - start) / steps per channel (truncated). The first band
// whose right edge passes filledWidth is the last: the background follows it.
// Equal colours give no band, only the background.
GradientPlan PlanGradient(DWORD start, DWORD end, int width, int filledWidth);

// The filled width of a bar clientWidth wide at pos of upper, in 64 bits and
// within 0..clientWidth. FALSE when the bar shows no gradient at all: the
// position is not strictly between the bounds, or upper is 0 or less.
BOOL ProgressFilledWidth(int clientWidth, int lower, int upper, int pos, int* filled);
