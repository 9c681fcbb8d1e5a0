#include <gtest/gtest.h>

#include "toolkit/sizingbarrules.h"

namespace {

TEST(SizingBarRules, NonClientFramePerSide) {
  const SizingRect w(0, 0, 300, 250);
  struct Case {
    SizingBarSide side;
    SizingRect client, edge;
    DWORD removed;
  } const cases[] = {
      {kSizingTop, {17, 2, 298, 245}, {0, 245, 300, 250}, 0x0800},
      {kSizingLeft, {2, 17, 295, 248}, {295, 0, 300, 250}, 0x0400},
      {kSizingRight, {5, 17, 298, 248}, {0, 0, 5, 250}, 0x0100},
      {kSizingBottom, {17, 5, 298, 248}, {0, 0, 300, 5}, 0x0200},
      {kSizingFloating, {0, 0, 300, 250}, {}, 0},
  };
  for (const Case& c : cases) {
    SizingBarFrame f = SizingBarNcLayout(c.side, w);
    EXPECT_EQ(f.client, c.client) << c.side;
    EXPECT_EQ(f.edge, c.edge) << c.side;
    EXPECT_EQ(f.borderRemoved, c.removed) << c.side;
  }
  // Too small for its frame: an empty client, never an inverted one.
  SizingBarFrame tiny = SizingBarNcLayout(kSizingBottom, SizingRect(0, 0, 10, 4));
  EXPECT_TRUE(tiny.client.IsEmpty());
  EXPECT_GE(tiny.client.Width(), 0);
}

TEST(SizingBarRules, HitTestFindsTheCaptionParts) {
  const SizingRect w(0, 0, 300, 250);
  EXPECT_EQ(SizingBarHitTest(kSizingBottom, w, {10, 15}), 3);   // close: HTSYSMENU
  EXPECT_EQ(SizingBarHitTest(kSizingBottom, w, {10, 28}), 8);   // undock: HTMINBUTTON
  EXPECT_EQ(SizingBarHitTest(kSizingBottom, w, {10, 100}), 2);  // gripper: HTCAPTION
  EXPECT_EQ(SizingBarHitTest(kSizingBottom, w, {150, 2}), 4);   // edge: HTSIZE
  EXPECT_EQ(SizingBarHitTest(kSizingBottom, w, {150, 100}), 0);
  EXPECT_EQ(SizingBarHitTest(kSizingLeft, w, {285, 10}), 3);
  EXPECT_EQ(SizingBarHitTest(kSizingLeft, w, {272, 10}), 8);
  EXPECT_EQ(SizingBarHitTest(kSizingLeft, w, {298, 100}), 4);
  EXPECT_EQ(SizingBarHitTest(kSizingFloating, w, {10, 15}), 0);
}

TEST(SizingBarRules, DynamicLayoutByMode) {
  const SizingSize minimum(200, 200);
  SizingSize f(300, 250);
  EXPECT_TRUE(SizingBarDynamicLayout(-1, 0x08 | 0x02, f, minimum).dock);
  EXPECT_TRUE(SizingBarDynamicLayout(-1, 0x10, f, minimum).dock);
  EXPECT_EQ(SizingBarDynamicLayout(0, 0x04 | 0x02, f, minimum).size, SizingSize(300, 250));
  EXPECT_EQ(SizingBarDynamicLayout(120, 0x02, f, minimum).size, SizingSize(200, 250));  // not stored
  EXPECT_EQ(f, SizingSize(300, 250));
  EXPECT_EQ(SizingBarDynamicLayout(150, 0x20, f, minimum).size, SizingSize(300, 200));
  EXPECT_EQ(SizingBarDynamicLayout(420, 0x40 | 0x02, f, minimum).size, SizingSize(420, 200));
  EXPECT_EQ(f, SizingSize(420, 200));
}

TEST(SizingBarRules, TrackedSizeKeepsBothBounds) {
  // Bottom dock: up (negative dy) makes the bar taller.
  EXPECT_EQ(SizingBarTrackedSize(kSizingBottom, 250, {0, -30}, 600, 200), 280);
  EXPECT_EQ(SizingBarTrackedSize(kSizingTop, 250, {0, 30}, 600, 200), 280);
  EXPECT_EQ(SizingBarTrackedSize(kSizingLeft, 250, {30, 0}, 600, 200), 280);
  EXPECT_EQ(SizingBarTrackedSize(kSizingRight, 250, {-30, 0}, 600, 200), 280);
  EXPECT_EQ(SizingBarTrackedSize(kSizingTop, 250, {0, 5000}, 600, 200), 850);
  EXPECT_EQ(SizingBarTrackedSize(kSizingBottom, 250, {0, 240}, 600, 200), 200);
  EXPECT_EQ(SizingBarTrackedSize(kSizingFloating, 250, {0, 99}, 600, 200), 250);
}

TEST(SizingBarRules, StoredSizeIsRaisedAndCut) {
  EXPECT_EQ(SizingBarStoredSize(120, 200, 1280), 200);
  EXPECT_EQ(SizingBarStoredSize(100000, 200, 1280), 1280);
  EXPECT_EQ(SizingBarStoredSize(640, 200, 1280), 640);
  EXPECT_EQ(SizingBarStoredSize(-5, 200, 0), 200);
}

}  // namespace
