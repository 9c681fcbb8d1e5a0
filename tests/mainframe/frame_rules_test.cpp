#include <gtest/gtest.h>

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
