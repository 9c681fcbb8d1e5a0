// The colour and layout rules of the shaded tabs, the page host, the grey
// icon and the colour palette: pure functions, so they are tested natively.
#pragma once

#include <cstddef>
#include <cstdint>

#include "toolkit/colorops.h"

// g_tabLookFlags bits: the look of every CShadedTabCtrl in the module.
enum : DWORD {
  TABLOOK_PLAIN_UNSELECTED = 1,  // unselected tabs in the control's background colour
  TABLOOK_OWN_SHADES = 2,        // shades from the background colour, not the face colour
  TABLOOK_BRIGHT_SELECTED = 4,   // the selected tab x 1.4
  TABLOOK_GRADIENT = 8,          // horizontal gradient (16 bits per pixel or more)
  TABLOOK_FULL_BORDER = 16,      // unselected tabs framed like the selected one
};

const COLORREF TAB_NO_COLOR = (COLORREF)-1;

// bk: the control's background colour or TAB_NO_COLOR; face and text: the
// system's COLOR_3DFACE and COLOR_WINDOWTEXT.
COLORREF TabBackColorRule(DWORD flags, COLORREF bk, BOOL bSelected, COLORREF face);
COLORREF TabTextColorRule(DWORD flags, COLORREF bk, BOOL bSelected, COLORREF face, COLORREF text);
// Where a tab's gradient ends.
COLORREF TabGradientEndRule(DWORD flags, COLORREF bk, BOOL bSelected, COLORREF face);

enum TabSide { TAB_SIDE_TOP, TAB_SIDE_BOTTOM, TAB_SIDE_LEFT, TAB_SIDE_RIGHT };
struct TabPageBox {
  int x, y, cx, cy;
};
// The page of a w x h tab control with nRows rows of tabs of size tabW x tabH.
TabPageBox TabPageRect(TabSide side, int w, int h, int nRows, int tabW, int tabH);

// The grey copy of an icon's colour image (0x00RRGGBB pixels, the high byte
// kept): every pixel that is not black becomes 0.299 R + 0.587 G + 0.114 B.
void GreyIconPixels(uint32_t* pixels, size_t count);

// The colour palette: 19 columns x 12 rows of 10-pixel cells.
enum : int { PALETTE_COLUMNS = 19, PALETTE_ROWS = 12, PALETTE_CELL = 10 };
// Column 0 holds greys; columns 1..18 the 216 web colours, blue fastest, then
// green, then red, down each column in two blocks of six rows.
COLORREF PaletteCellColor(int col, int row);
enum PaletteHit { PALETTE_HIT_CELL, PALETTE_HIT_LINE, PALETTE_HIT_BELOW, PALETTE_HIT_OUTSIDE };
// What a point of the palette's client area (w x h) is over.
PaletteHit PaletteHitTest(int x, int y, int w, int h, int* pCol, int* pRow);
// "RRGGBB" (red first) into a buffer of at least 7 characters.
void FormatColorHex(COLORREF c, char* psz);
