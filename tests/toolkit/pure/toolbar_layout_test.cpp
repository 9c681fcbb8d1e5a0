#include <gtest/gtest.h>

#include "toolkit/toolbarlayout.h"

namespace {

LayoutButton Btn(UINT id, int cx = 20) {
  LayoutButton b;
  b.command = id;
  b.cx = cx;
  b.cy = 22;
  return b;
}
LayoutButton Sep(UINT id = 0) {
  LayoutButton b;
  b.command = id;
  b.separator = true;
  b.cx = id ? 60 : 8;  // a child control, or a plain separator
  b.cy = id ? 22 : 8;
  return b;
}
std::vector<int> Wraps(const std::vector<LayoutButton>& v) {
  std::vector<int> w;
  for (size_t i = 0; i < v.size(); i++)
    if (v[i].wrap)
      w.push_back((int)i);
  return w;
}

TEST(ToolbarLayout, WrapPrefersAPlainSeparatorThenFallsBackToAButton) {
  // 20 20 | 20 20 20 : a width of 70 breaks at the separator, not at button 4.
  std::vector<LayoutButton> v = {Btn(1), Btn(2), Sep(), Btn(3), Btn(4), Btn(5)};
  EXPECT_EQ(WrapToolBar(v, 70), 2);
  EXPECT_EQ(Wraps(v), (std::vector<int>{2}));
  // No separator in reach: the search meets the wrapped separator first and
  // breaks at the nearest earlier button instead.
  EXPECT_EQ(WrapToolBar(v, 45), 3);
  EXPECT_EQ(Wraps(v), (std::vector<int>{2, 4}));
  EXPECT_EQ(WrapToolBar(v, 32767), 1);
  EXPECT_TRUE(Wraps(v).empty());
}

TEST(ToolbarLayout, HiddenButtonsAreSkippedAndChildControlsCounted) {
  std::vector<LayoutButton> v = {Btn(1), Btn(2), Btn(3), Btn(4)};
  v[1].hidden = true;
  EXPECT_EQ(WrapToolBar(v, 60), 1);  // 20 + 20 + 20 visible
  // The fallback never breaks at a hidden button or a child control.
  std::vector<LayoutButton> w = {Btn(1), Btn(2), Sep(77), Btn(3)};
  w[1].hidden = true;
  EXPECT_EQ(WrapToolBar(w, 85), 2);
  EXPECT_EQ(Wraps(w), (std::vector<int>{0}));
  // A hidden child control still takes its room.
  std::vector<LayoutButton> c = {Btn(1), Sep(77), Btn(3)};
  c[1].hidden = true;
  EXPECT_EQ(WrapToolBar(c, 90), 2);
}

TEST(ToolbarLayout, SizeStacksRowsAndAddsTheWrappedSeparatorsGap) {
  std::vector<LayoutButton> v = {Btn(1), Btn(2), Sep(), Btn(3), Btn(4, 30)};
  WrapToolBar(v, 32767);
  EXPECT_EQ(CalcToolBarSize(v, 22), LayoutSize(98, 22));
  WrapToolBar(v, 60);
  EXPECT_EQ(Wraps(v), (std::vector<int>{2}));
  EXPECT_EQ(CalcToolBarSize(v, 22), LayoutSize(50, 22 + 8 + 22));
  // A row of a lone separator is one button high.
  std::vector<LayoutButton> s = {Sep()};
  s[0].wrap = true;
  EXPECT_EQ(CalcToolBarSize(s, 22), LayoutSize(8, 22));
}

TEST(ToolbarLayout, SizeToolBarBothWays) {
  std::vector<LayoutButton> v = {Btn(1), Btn(2), Sep(), Btn(3), Btn(4), Sep(), Btn(5), Btn(6)};
  // Horizontal: the narrowest width with the rows a width of 100 gives.
  // 88 is the narrowest that keeps two rows (a wrapped separator still
  // counts here: it is measured 0 wide only by the bar).
  LayoutSize h = SizeToolBar(v, 100, false, 22);
  EXPECT_EQ(h, LayoutSize(96, 22 + 8 + 22));
  EXPECT_EQ(Wraps(v), (std::vector<int>{5}));
  // Vertical: the width whose height matches; one row is 22 high.
  LayoutSize one = SizeToolBar(v, 22, true, 22);
  EXPECT_EQ(one.cy, 22);
  LayoutSize tall = SizeToolBar(v, 200, true, 22);
  EXPECT_GE(tall.cy, 22 * 3);
  EXPECT_LE(tall.cx, 56);
}

TEST(ToolbarLayout, SavedValueIsCheckedWhole) {
  SavedToolbarLayout l;
  l.iconOption = 1;
  l.textOption = 0;
  l.items = {{32801, false}, {0, true}};
  std::vector<BYTE> bytes = ToolbarLayoutBytes(l);
  ASSERT_EQ(bytes.size(), 24u);
  SavedToolbarLayout r;
  ASSERT_TRUE(ParseToolbarLayout(bytes.data(), bytes.size(), true, &r));
  EXPECT_EQ(r.iconOption, 1);
  EXPECT_EQ(r.textOption, 0);
  ASSERT_EQ(r.items.size(), 2u);
  EXPECT_TRUE(r.items[1].separator);
  for (size_t n : {0, 3, 7, 12, 20})
    EXPECT_FALSE(ParseToolbarLayout(bytes.data(), n, true, &r)) << n;
  EXPECT_FALSE(ParseToolbarLayout(bytes.data(), bytes.size(), false, &r));
  l.iconOption = 9;
  l.textOption = -1;
  bytes = ToolbarLayoutBytes(l);
  ASSERT_TRUE(ParseToolbarLayout(bytes.data(), bytes.size(), true, &r));
  EXPECT_EQ(r.iconOption, 0);
  EXPECT_EQ(r.textOption, 2);
}

}  // namespace
