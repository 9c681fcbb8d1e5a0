#include "toolkit/tabrules.h"

#include <gtest/gtest.h>

#include <set>

namespace {
const COLORREF kFace = 0x00D8E9ECu, kText = 0x00000000u, kBk = 0x00C8C8C8u;
}

// Every one of the 32 looks, with and without a background colour of its own.
TEST(TabRules, BackAndTextColoursOverEveryLook) {
  for (DWORD f = 0; f < 32; ++f) {
    SCOPED_TRACE(f);
    for (COLORREF bk : {kBk, TAB_NO_COLOR}) {
      COLORREF own = bk == TAB_NO_COLOR ? kFace : bk;
      COLORREF shadeBase = (f & 2) ? own : kFace;
      // Selected tab.
      EXPECT_EQ(TabBackColorRule(f, bk, TRUE, kFace), (f & 4) ? LightenColor(shadeBase, 1.4) : kFace);
      EXPECT_EQ(TabTextColorRule(f, bk, TRUE, kFace, kText), kText);
      // Unselected tab: the plain background wins only without the full border.
      bool plain = (f & 1) && !(f & 16);
      EXPECT_EQ(TabBackColorRule(f, bk, FALSE, kFace), plain ? own : ScaleColor(shadeBase, 0.9));
      EXPECT_EQ(TabTextColorRule(f, bk, FALSE, kFace, kText), ScaleColor((f & 3) ? own : kFace, 0.5));
    }
  }
  // Spot values: the options sheet's look (31) on 0xC8C8C8.
  EXPECT_EQ(TabBackColorRule(31, kBk, TRUE, kFace), 0x00FFFFFFu);  // 200 x 1.4 capped
  EXPECT_EQ(TabBackColorRule(31, kBk, FALSE, kFace), 0x00B4B4B4u); // 200 x 0.9
  EXPECT_EQ(TabTextColorRule(31, kBk, FALSE, kFace, kText), 0x00646464u);
  EXPECT_EQ(TabGradientEndRule(31, kBk, FALSE, kFace), 0x008C8C8Cu);
  EXPECT_EQ(TabGradientEndRule(31, TAB_NO_COLOR, FALSE, kFace), ScaleColor(kFace, 0.7));
  EXPECT_EQ(TabGradientEndRule(31, kBk, TRUE, kFace), kFace);
}

TEST(TabRules, PageRectangleForEachSideAndRowCount) {
  struct Case {
    TabSide side;
    int rows;
    TabPageBox want;
  } cases[] = {
      {TAB_SIDE_TOP, 1, {4, 24, 392, 272}},    {TAB_SIDE_TOP, 2, {4, 44, 392, 252}},
      {TAB_SIDE_BOTTOM, 1, {4, 4, 392, 272}},  {TAB_SIDE_BOTTOM, 2, {4, 4, 392, 252}},
      {TAB_SIDE_LEFT, 1, {64, 4, 332, 292}},   {TAB_SIDE_LEFT, 2, {124, 4, 272, 292}},
      {TAB_SIDE_RIGHT, 1, {4, 4, 332, 292}},   {TAB_SIDE_RIGHT, 2, {4, 4, 272, 292}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.side << "/" << c.rows);
    TabPageBox b = TabPageRect(c.side, 400, 300, c.rows, 60, 20);
    EXPECT_EQ(b.x, c.want.x);
    EXPECT_EQ(b.y, c.want.y);
    EXPECT_EQ(b.cx, c.want.cx);
    EXPECT_EQ(b.cy, c.want.cy);
  }
}

TEST(ButtonRules, GreyCopyKeepsBlackAndTheHighByte) {
  uint32_t px[] = {0x00000000u, 0xFF000000u, 0xFFFF0000u, 0x0000FF00u, 0x000000FFu, 0x80FFFFFFu, 0x00010101u};
  GreyIconPixels(px, sizeof px / sizeof px[0]);
  EXPECT_EQ(px[0], 0x00000000u);
  EXPECT_EQ(px[1], 0xFF000000u);  // black with alpha stays black
  EXPECT_EQ(px[2], 0xFF4C4C4Cu);  // red: 0.299 x 255 = 76.2
  EXPECT_EQ(px[3], 0x00959595u);  // green: 149.7, truncated
  EXPECT_EQ(px[4], 0x001D1D1Du);  // blue: 29.07
  EXPECT_EQ(px[5], 0x80FFFFFFu);  // white stays white
  EXPECT_EQ(px[6], 0x00000000u);  // nearly black greys down to 0
}

TEST(ButtonRules, PaletteCellsAndHits) {
  // Column 0: the twelve greys, white at the top.
  EXPECT_EQ(PaletteCellColor(0, 0), 0x00FFFFFFu);
  EXPECT_EQ(PaletteCellColor(0, 10), 0x00171717u);
  EXPECT_EQ(PaletteCellColor(0, 11), 0u);
  // Corners of the upper block (red 0..2) and of the lower one (red 3..5).
  EXPECT_EQ(PaletteCellColor(1, 0), 0x00000000u);
  EXPECT_EQ(PaletteCellColor(1, 5), 0x00FF0000u);   // blue runs down the column
  EXPECT_EQ(PaletteCellColor(2, 0), 0x00003300u);   // the next column: next green
  EXPECT_EQ(PaletteCellColor(18, 5), 0x00FFFF66u);  // red 102, green 255, blue 255
  EXPECT_EQ(PaletteCellColor(1, 6), 0x00000099u);   // red 153
  EXPECT_EQ(PaletteCellColor(18, 11), 0x00FFFFFFu);
  std::set<COLORREF> all;
  for (int c = 1; c < PALETTE_COLUMNS; ++c)
    for (int r = 0; r < PALETTE_ROWS; ++r)
      all.insert(PaletteCellColor(c, r));
  EXPECT_EQ(all.size(), 216u);

  int col = -1, row = -1;
  EXPECT_EQ(PaletteHitTest(25, 33, 185, 145, &col, &row), PALETTE_HIT_CELL);
  EXPECT_EQ(col, 2);
  EXPECT_EQ(row, 3);
  EXPECT_EQ(PaletteHitTest(29, 33, 185, 145, &col, &row), PALETTE_HIT_LINE);
  EXPECT_EQ(PaletteHitTest(25, 39, 185, 145, &col, &row), PALETTE_HIT_LINE);
  EXPECT_EQ(PaletteHitTest(25, 125, 185, 145, &col, &row), PALETTE_HIT_BELOW);
  EXPECT_EQ(PaletteHitTest(-1, 10, 185, 145, &col, &row), PALETTE_HIT_OUTSIDE);

  char sz[8];
  FormatColorHex(0x00563412u, sz);
  EXPECT_STREQ(sz, "123456");
}
