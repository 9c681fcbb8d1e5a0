#include "toolkit/colorops.h"

namespace {
COLORREF MapChannels(COLORREF c, double f) {
  COLORREF out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    double v = (double)((c >> shift) & 0xFF) * f;
    if (v > 255.0) v = 255.0;
    out |= (COLORREF)(unsigned)v << shift;
  }
  return out;
}
}  // namespace

COLORREF ScaleColor(COLORREF c, double f) {
  if (!(f > 0.0)) f = 0.0;  // NaN too
  if (f > 1.0) f = 1.0;
  return MapChannels(c, f);
}

COLORREF LightenColor(COLORREF c, double f) {
  if (!(f >= 1.0)) f = 1.0;
  return MapChannels(c, f);
}
