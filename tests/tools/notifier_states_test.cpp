// The notifier's states: a slide out, a stay and a slide back, and what a
// second Popup does in each state.
#include <gtest/gtest.h>

#include "shell/tools/notifiergeometry.h"

namespace {

constexpr int kW = 1280, kH = 1024;

// Runs the appear timer until shown; returns the positions it passed.
int Appear(CNotifierAnimation& a)
{
  int ticks = 0;
  while (!a.AppearStep() && ticks < 1000)
    ticks++;
  return ticks + 1;
}

TEST(NotifierStates, SlideOutStayAndBack)
{
  const NotifierSlide s = PlanNotifierSlide({0, 0, kW, kH}, kW, kH, 200, 101, 2, 500, 500);
  CNotifierAnimation a(2);
  EXPECT_EQ(a.Popup(s), CNotifierAnimation::kStartAppearing);
  EXPECT_EQ(a.GetState(), CNotifierAnimation::kAppearing);
  EXPECT_EQ(a.Y(), kH);
  a.AppearStep();
  EXPECT_EQ(a.Y(), kH - 2);
  EXPECT_EQ(Appear(a), 50);  // 101 pixels: the last step is the odd one
  EXPECT_EQ(a.Y(), kH - 101);
  EXPECT_EQ(a.GetState(), CNotifierAnimation::kShowing);
  a.StayOver();
  EXPECT_EQ(a.GetState(), CNotifierAnimation::kDisappearing);
  int ticks = 1;
  while (!a.DisappearStep())
    ticks++;
  EXPECT_EQ(ticks, 51);
  EXPECT_EQ(a.Y(), kH);
  EXPECT_EQ(a.GetState(), CNotifierAnimation::kHidden);
}

TEST(NotifierStates, SecondPopupInEachState)
{
  const NotifierSlide s = PlanNotifierSlide({0, 0, kW, kH}, kW, kH, 200, 100, 2, 500, 500);
  NotifierSlide other = s;
  other.startY = 0;  // a path a visible window must not take
  CNotifierAnimation a(2);
  a.Popup(s);
  a.AppearStep();
  // Appearing: only the text changes, the slide goes on from where it is.
  EXPECT_EQ(a.Popup(other), CNotifierAnimation::kTextOnly);
  EXPECT_EQ(a.Y(), kH - 2);
  Appear(a);
  // Showing: the stay starts again, nothing moves.
  EXPECT_EQ(a.Popup(other), CNotifierAnimation::kRestartStay);
  EXPECT_EQ(a.GetState(), CNotifierAnimation::kShowing);
  EXPECT_EQ(a.Y(), kH - 100);
  // Disappearing: back to fully shown at once.
  a.StayOver();
  a.DisappearStep();
  a.DisappearStep();
  EXPECT_EQ(a.Y(), kH - 96);
  EXPECT_EQ(a.Popup(other), CNotifierAnimation::kBackToShowing);
  EXPECT_EQ(a.GetState(), CNotifierAnimation::kShowing);
  EXPECT_EQ(a.Y(), kH - 100);
  // Hidden again: the new path is taken.
  a.Retract();
  EXPECT_EQ(a.Popup(other), CNotifierAnimation::kStartAppearing);
  EXPECT_EQ(a.Y(), 0);
}

}  // namespace
