#include "toolkit/tabrules.h"

#include <cstdio>

namespace {
inline COLORREF OwnColor(COLORREF bk, COLORREF face) { return bk == TAB_NO_COLOR ? face : bk; }
inline COLORREF Rgb(int r, int g, int b) { return (COLORREF)(r | (g << 8) | (b << 16)); }
}  // namespace

COLORREF TabBackColorRule(DWORD flags, COLORREF bk, BOOL bSelected, COLORREF face) {
  COLORREF base = (flags & TABLOOK_OWN_SHADES) ? OwnColor(bk, face) : face;
  if (bSelected)
    return (flags & TABLOOK_BRIGHT_SELECTED) ? LightenColor(base, 1.4) : face;
  if ((flags & TABLOOK_PLAIN_UNSELECTED) && !(flags & TABLOOK_FULL_BORDER))
    return OwnColor(bk, face);
  return ScaleColor(base, 0.9);
}

COLORREF TabTextColorRule(DWORD flags, COLORREF bk, BOOL bSelected, COLORREF face, COLORREF text) {
  if (bSelected)
    return text;
  return ScaleColor((flags & (TABLOOK_PLAIN_UNSELECTED | TABLOOK_OWN_SHADES)) ? OwnColor(bk, face) : face, 0.5);
}

COLORREF TabGradientEndRule(DWORD flags, COLORREF bk, BOOL bSelected, COLORREF face) {
  if (bSelected)
    return face;
  return ScaleColor(((flags & TABLOOK_OWN_SHADES) && bk != TAB_NO_COLOR) ? bk : face, 0.7);
}

TabPageBox TabPageRect(TabSide side, int w, int h, int nRows, int tabW, int tabH) {
  if (side == TAB_SIDE_TOP || side == TAB_SIDE_BOTTOM) {
    int band = nRows * tabH;
    return {4, side == TAB_SIDE_BOTTOM ? 4 : band + 4, w - 8, h - band - 8};
  }
  int band = nRows * tabW;
  return {side == TAB_SIDE_RIGHT ? 4 : band + 4, 4, w - band - 8, h - 8};
}

void GreyIconPixels(uint32_t* pixels, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    uint32_t p = pixels[i];
    if ((p & 0xFFFFFFu) == 0)
      continue;
    unsigned r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
    unsigned y = (unsigned)(0.299 * r + 0.587 * g + 0.114 * b);
    pixels[i] = (p & 0xFF000000u) | (y << 16) | (y << 8) | y;
  }
}

COLORREF PaletteCellColor(int col, int row) {
  static const int kGreys[PALETTE_ROWS] = {255, 232, 209, 186, 163, 140, 117, 94, 71, 48, 23, 0};
  if (col < 0 || col >= PALETTE_COLUMNS || row < 0 || row >= PALETTE_ROWS)
    return 0;
  if (col == 0)
    return Rgb(kGreys[row], kGreys[row], kGreys[row]);
  int n = (row / 6) * 108 + (col - 1) * 6 + row % 6;
  return Rgb(n / 36 * 51, n / 6 % 6 * 51, n % 6 * 51);
}

PaletteHit PaletteHitTest(int x, int y, int w, int h, int* pCol, int* pRow) {
  if (x < 0 || y < 0 || x >= w || y >= h)
    return PALETTE_HIT_OUTSIDE;
  if (y >= PALETTE_ROWS * PALETTE_CELL || x >= PALETTE_COLUMNS * PALETTE_CELL)
    return PALETTE_HIT_BELOW;
  if (x % PALETTE_CELL == PALETTE_CELL - 1 || y % PALETTE_CELL == PALETTE_CELL - 1)
    return PALETTE_HIT_LINE;
  *pCol = x / PALETTE_CELL;
  *pRow = y / PALETTE_CELL;
  return PALETTE_HIT_CELL;
}

void FormatColorHex(COLORREF c, char* psz) {
  snprintf(psz, 7, "%02X%02X%02X", (unsigned)(c & 0xFF), (unsigned)((c >> 8) & 0xFF), (unsigned)((c >> 16) & 0xFF));
}
