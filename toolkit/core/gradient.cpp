#include "toolkit/gradient.h"

#include <algorithm>
#include <cstdlib>

namespace {
int Channel(DWORD c, int shift) { return (int)((c >> shift) & 0xFF); }
}  // namespace

GradientPlan PlanGradient(DWORD start, DWORD end, int width, int filledWidth) {
  GradientPlan plan;
  if (width < 0)
    width = 0;
  plan.backgroundLeft = 0;
  int d[3], s[3];
  int steps = 0;
  for (int k = 0; k < 3; k++) {
    s[k] = Channel(start, 8 * k);
    d[k] = Channel(end, 8 * k) - s[k];
    steps = std::max(steps, std::abs(d[k]));
  }
  if (steps == 0)
    return plan;
  plan.bands.reserve((size_t)steps);
  for (int i = 0; i < steps; i++) {
    GradientBand band;
    band.left = (int)((long long)i * width / steps);
    band.right = (int)((long long)(i + 1) * width / steps);
    DWORD color = 0;
    for (int k = 0; k < 3; k++) {
      // start + i x d / steps, truncated: the value is never negative, so exact
      // integer division gives what truncating the fraction would.
      const long long v = ((long long)s[k] * steps + (long long)i * d[k]) / steps;
      color |= (DWORD)v << (8 * k);
    }
    band.color = color;
    plan.bands.push_back(band);
    if (band.right > filledWidth) {
      plan.backgroundLeft = band.right;
      return plan;
    }
  }
  plan.backgroundLeft = width;
  return plan;
}

BOOL ProgressFilledWidth(int clientWidth, int lower, int upper, int pos, int* filled) {
  if (!(lower < pos && pos < upper) || upper <= 0 || clientWidth <= 0)
    return FALSE;
  long long w = (long long)clientWidth * pos / upper;
  w = std::min<long long>(std::max<long long>(w, 0), clientWidth);
  *filled = (int)w;
  return TRUE;
}
