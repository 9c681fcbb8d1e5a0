#include <gtest/gtest.h>

#include "shell/mainframe/captionlayout.h"
#include "shell/mainframe/framerules.h"

namespace {
constexpr uint32_t kKeepLayout = 1u << 21;
const FrameSize kDefault = {640, 480};
}  // namespace

TEST(FrameSize, KeptLayoutScalesToTheScreenElseTheDefaultStands)
{
  MainWindowSettings saved;
  saved.savedWidth = 800;
  saved.savedHeight = 600;
  saved.savedScreenWidth = 1024;
  saved.savedScreenHeight = 768;
  // Bit 21 clear: whatever was saved, the framework's size.
  FrameSize s = OpeningFrameSize(0, saved, 1024, 768, kDefault);
  EXPECT_EQ(640, s.cx);
  EXPECT_EQ(480, s.cy);
  // A screen twice as wide: twice the width, the height kept.
  s = OpeningFrameSize(kKeepLayout, saved, 2048, 768, kDefault);
  EXPECT_EQ(1600, s.cx);
  EXPECT_EQ(600, s.cy);
  // Never saved (fields 7-8 of 0): the default.
  saved.savedWidth = saved.savedHeight = 0;
  s = OpeningFrameSize(kKeepLayout, saved, 2048, 768, kDefault);
  EXPECT_EQ(640, s.cx);
  EXPECT_EQ(480, s.cy);
  // Fields of 100000 and a broken screen size of 0: bounded, no division by zero.
  saved.savedWidth = saved.savedHeight = 100000;
  saved.savedScreenWidth = 0;
  saved.savedScreenHeight = -5;
  s = OpeningFrameSize(kKeepLayout, saved, 1024, 768, kDefault);
  EXPECT_EQ(0x7FFF, s.cx);
  EXPECT_EQ(0x7FFF, s.cy);
}

TEST(KeeperCloseWait, ClosesWhenAllEndOrOnceTheGraceIsOver)
{
  // No keeper running when told: closes at once.
  KeeperCloseWait none(5000);
  EXPECT_EQ(KeeperCloseWait::Step::CloseAllEnded, none.Begin(0, 100));

  // Two running: waits; once both have ended, closes before the grace.
  KeeperCloseWait two(5000);
  EXPECT_FALSE(two.Started());
  EXPECT_EQ(KeeperCloseWait::Step::Wait, two.Begin(2, 1000));
  EXPECT_TRUE(two.Started());
  EXPECT_EQ(KeeperCloseWait::Step::Wait, two.Poll(1, 2000));
  EXPECT_EQ(KeeperCloseWait::Step::CloseAllEnded, two.Poll(0, 3000));

  // One stuck for good: waits until the grace, then closes anyway, also
  // across a wrapping tick count.
  KeeperCloseWait stuck(5000);
  const uint32_t start = 0xFFFFF000u;
  EXPECT_EQ(KeeperCloseWait::Step::Wait, stuck.Begin(1, start));
  EXPECT_EQ(KeeperCloseWait::Step::Wait, stuck.Poll(1, start + 4999));
  EXPECT_EQ(KeeperCloseWait::Step::CloseGraceOver, stuck.Poll(1, start + 5000));
  EXPECT_EQ(KeeperCloseWait::Step::CloseGraceOver, stuck.Poll(1, start + 90000));
}

// The own caption: buttons inside the band, apart, never overlapping; the
// bitmap per state; what a press does.
TEST(CaptionButtons, LayoutHitsBitmapsAndPresses)
{
  const CaptionLayout l = LayOutCaption(800, 4, 4, 18);
  EXPECT_EQ(4, l.caption.left);
  EXPECT_EQ(796, l.caption.right);
  EXPECT_EQ(22, l.caption.bottom);
  for (int i = 0; i < kCaptionButtonCount; ++i) {
    const CaptionRect& b = l.buttons[i];
    EXPECT_GT(b.Width(), 0);
    EXPECT_GE(b.left, l.caption.left);
    EXPECT_LE(b.right, l.caption.right);
    EXPECT_GE(b.top, l.caption.top);
    EXPECT_LE(b.bottom, l.caption.bottom);
    for (int j = i + 1; j < kCaptionButtonCount; ++j)
      EXPECT_TRUE(b.right <= l.buttons[j].left || l.buttons[j].right <= b.left) << i << " and " << j;
    // Each button's own centre finds it again.
    EXPECT_EQ((CaptionButton)i, CaptionButtonAt(l, (b.left + b.right) / 2, (b.top + b.bottom) / 2));
  }
  // Right to left: close, maximise, minimise, help.
  EXPECT_GT(l.buttons[0].left, l.buttons[1].left);
  EXPECT_GT(l.buttons[1].left, l.buttons[2].left);
  EXPECT_GT(l.buttons[2].left, l.buttons[3].left);
  EXPECT_EQ(CaptionButton::None, CaptionButtonAt(l, 100, 10));
  EXPECT_EQ(CaptionButton::None, CaptionButtonAt(l, l.buttons[0].right, l.buttons[0].top));
  // A window narrower than its frame or a caption of 0: no inverted rectangles.
  const CaptionLayout tiny = LayOutCaption(3, 4, 4, 0);
  EXPECT_GE(tiny.caption.right, tiny.caption.left);
  for (const CaptionRect& b : tiny.buttons) {
    EXPECT_GT(b.Width(), 0);
    EXPECT_GT(b.Height(), 0);
  }

  EXPECT_EQ(177u, CaptionButtonBitmap(CaptionButton::Close, false, false));
  EXPECT_EQ(161u, CaptionButtonBitmap(CaptionButton::Close, true, true));
  EXPECT_EQ(166u, CaptionButtonBitmap(CaptionButton::Maximize, false, false));
  EXPECT_EQ(165u, CaptionButtonBitmap(CaptionButton::Maximize, true, false));
  EXPECT_EQ(164u, CaptionButtonBitmap(CaptionButton::Maximize, false, true));
  EXPECT_EQ(163u, CaptionButtonBitmap(CaptionButton::Maximize, true, true));
  EXPECT_EQ(168u, CaptionButtonBitmap(CaptionButton::Minimize, false, false));
  EXPECT_EQ(169u, CaptionButtonBitmap(CaptionButton::Help, true, false));

  EXPECT_EQ(CaptionPress::Restore, CaptionPressAction(CaptionButton::Maximize, true, true));
  EXPECT_EQ(CaptionPress::Maximize, CaptionPressAction(CaptionButton::Maximize, true, false));
  EXPECT_EQ(CaptionPress::Close, CaptionPressAction(CaptionButton::Close, true, true));
  // A maximised window's caption is not dragged; a normal one's is, and the
  // frame's borders stay the system's.
  EXPECT_EQ(CaptionPress::Ignore, CaptionPressAction(CaptionButton::None, true, true));
  EXPECT_EQ(CaptionPress::PassOn, CaptionPressAction(CaptionButton::None, true, false));
  EXPECT_EQ(CaptionPress::PassOn, CaptionPressAction(CaptionButton::None, false, true));
}
