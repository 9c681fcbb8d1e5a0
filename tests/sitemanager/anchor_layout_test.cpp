// Controls glued to a resizable dialog's edges: stretching, moving with a
// corner, staying, and hiding once they no longer fit.
#include <gtest/gtest.h>

#include "sitemanager/anchorlayout.h"

namespace {

AnchorRect R(int l, int t, int r, int b) {
  AnchorRect a;
  a.left = l, a.top = t, a.right = r, a.bottom = b;
  return a;
}

void ExpectRect(const AnchorRect& got, int l, int t, int r, int b) {
  EXPECT_EQ(l, got.left);
  EXPECT_EQ(t, got.top);
  EXPECT_EQ(r, got.right);
  EXPECT_EQ(b, got.bottom);
}

TEST(AnchorLayout, EachEdgeRuleWhenTheDialogGrowsAndShrinks) {
  const AnchorRect edit = R(10, 20, 110, 40);  // 100 x 20 in a 200 x 100 client
  // Left and right: stretches with the width; top only keeps its height.
  ExpectRect(ComputeAnchoredRect(edit, kAnchorLeft | kAnchorRight | kAnchorTop, 200, 100, 260, 150, 100, 20), 10, 20,
             170, 40);
  // Right and bottom: moves with the lower-right corner, keeps its size.
  ExpectRect(ComputeAnchoredRect(edit, kAnchorRight | kAnchorBottom, 200, 100, 260, 150, 100, 20), 70, 70, 170, 90);
  // Left only: stays, keeping the size it has now.
  ExpectRect(ComputeAnchoredRect(edit, kAnchorLeft, 200, 100, 260, 150, 80, 20), 10, 20, 90, 40);
  // Neither: unchanged.
  ExpectRect(ComputeAnchoredRect(edit, kAnchorHideWhenClipped, 200, 100, 260, 150, 100, 20), 10, 20, 110, 40);
  // Top and bottom: stretches with the height; shrinking moves the far edge back.
  ExpectRect(ComputeAnchoredRect(edit, kAnchorLeft | kAnchorTop | kAnchorBottom, 200, 100, 180, 90, 100, 20), 10, 20,
             110, 30);
}

TEST(AnchorLayout, ARectFitsOnlyWhollyInsideTheClient) {
  EXPECT_TRUE(AnchorRectFits(R(0, 0, 200, 100), 200, 100));
  EXPECT_FALSE(AnchorRectFits(R(150, 10, 210, 30), 200, 100));
  EXPECT_FALSE(AnchorRectFits(R(-1, 10, 20, 30), 200, 100));
  // A button anchored right and bottom in a dialog shrunk below its first size.
  const AnchorRect moved = ComputeAnchoredRect(R(150, 70, 190, 90), kAnchorRight | kAnchorBottom, 200, 100, 30, 20,
                                               40, 20);
  EXPECT_FALSE(AnchorRectFits(moved, 30, 20));
}

}  // namespace
