// The seven-segment display's geometry: which cells light, where, in which
// colour.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "shell/tools/sevensegment.h"

namespace {

std::set<int> LitCells(const std::vector<Segment>& segments)
{
  std::set<int> cells;
  for (const Segment& s : segments)
    if (s.lit)
      cells.insert(s.cell);
  return cells;
}

int LitCount(const std::vector<Segment>& segments, int cell)
{
  int n = 0;
  for (const Segment& s : segments)
    n += s.lit && s.cell == cell ? 1 : 0;
  return n;
}

TEST(SevenSegment, DigitsPointAndColon)
{
  // Two characters after the point at most: the 4 is not drawn at all.
  auto segs = ComputeSegments("1.234", 0, 100, true);
  EXPECT_EQ(LitCells(segs), (std::set<int>{0, 1, 2, 3}));
  EXPECT_EQ(LitCount(segs, 0), 2);  // 1: b c
  EXPECT_EQ(LitCount(segs, 1), 1);  // the point
  EXPECT_EQ(LitCount(segs, 2), 5);  // 2
  EXPECT_EQ(LitCount(segs, 3), 5);  // 3
  for (const Segment& s : segs)
    EXPECT_LE(s.cell, 3);

  // Height 100: t = 6, L = 35; a digit advances L + 4t, a colon L + t and the
  // character after it L + 1.
  segs = ComputeSegments("8:8", 0, 100, false);
  ASSERT_EQ(LitCount(segs, 0), 7);
  ASSERT_EQ(LitCount(segs, 1), 2);
  int colonX = -1, lastX = -1;
  for (const Segment& s : segs) {
    if (s.cell == 1 && colonX < 0)
      colonX = s.x1 - 4 * 6;
    if (s.cell == 2 && s.y1 == 6 && s.y2 == 6)  // segment a starts at x + 2t
      lastX = s.x1 - 2 * 6;
  }
  EXPECT_EQ(colonX, 35 + 6);
  EXPECT_EQ(lastX, 35 + 6 + 35 + 1);
  // No unlit segments for a colon even when they are drawn.
  for (const Segment& s : ComputeSegments(":", 0, 100, true))
    EXPECT_TRUE(s.lit);

  // Letters take their place and light nothing.
  segs = ComputeSegments("abc", 0, 20, true);
  EXPECT_TRUE(LitCells(segs).empty());
  EXPECT_EQ(segs.size(), 21u);
  EXPECT_TRUE(ComputeSegments("", 0, 20, true).empty());
}

TEST(SevenSegment, MinimumWidthHeightZeroAndColours)
{
  // "1.5" in six cells: the 1 is in the fourth cell, three advances in.
  auto segs = ComputeSegments("1.5", 6, 100, true);
  EXPECT_EQ(LitCells(segs), (std::set<int>{3, 4, 5}));
  int oneX = 1 << 30;
  for (const Segment& s : segs)
    if (s.lit && s.cell == 3)
      oneX = std::min(oneX, s.x1);
  EXPECT_EQ(oneX, 3 * (35 + 4 * 6) + 35 + 6);  // segment b at x + L + t

  const SegmentMetrics zero = SegmentMetricsForHeight(0);
  EXPECT_EQ(zero.thickness, 1);
  EXPECT_EQ(zero.length, 1);
  EXPECT_EQ(zero.penWidth, 1);
  EXPECT_FALSE(ComputeSegments("99:99", 0, 0, true).empty());

  SegmentColours c;
  c.lit = 0x64FF64;
  EXPECT_EQ(UnlitSegmentColour(c), 0x215521u);
  c.customOff = true;
  c.off = 0x102030;
  for (const Segment& s : ComputeSegments("7", 0, 50, true, c))
    EXPECT_EQ(s.colour, s.lit ? 0x64FF64u : 0x102030u);
}

}  // namespace
