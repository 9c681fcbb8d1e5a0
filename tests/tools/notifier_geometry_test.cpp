// The notifier's slide: the taskbar edge from the work area, the start and
// shown positions on each edge, and the step count of tiny skins.
#include <gtest/gtest.h>

#include "shell/tools/notifiergeometry.h"

namespace {

constexpr int kW = 1280, kH = 1024;


TEST(NotifierGeometry, FourEdgesAndTheirPaths)
{
  const struct {
    NotifierRect work;
    int direction, startX, startY, endX, endY;
  } cases[] = {
      // taskbar at the bottom (and Xvfb's whole screen): up from the bottom edge
      {{0, 0, kW, 994}, kSlideUp, kW - 200, 994, kW - 200, 994 - 100},
      {{0, 0, kW, kH}, kSlideUp, kW - 200, kH, kW - 200, kH - 100},
      // at the top: down from the work area's top
      {{0, 30, kW, kH}, kSlideDown, kW - 200, 30 - 100, kW - 200, 30},
      // at the right: left out of the work area's right edge, at its bottom
      {{0, 0, 1200, kH}, kSlideLeft, 1200, kH - 100, 1000, kH - 100},
      // at the left: right out of the work area's left edge
      {{80, 0, kW, kH}, kSlideRight, 80 - 200, kH - 100, 80, kH - 100},
  };
  for (const auto& c : cases) {
    const NotifierSlide s = PlanNotifierSlide(c.work, kW, kH, 200, 100, 2, 500, 500);
    EXPECT_EQ(s.direction, c.direction);
    EXPECT_EQ(s.startX, c.startX) << c.direction;
    EXPECT_EQ(s.startY, c.startY) << c.direction;
    EXPECT_EQ(s.endX, c.endX) << c.direction;
    EXPECT_EQ(s.endY, c.endY) << c.direction;
  }
  // Steps come from the height when sliding up or down, the width sideways.
  EXPECT_EQ(PlanNotifierSlide({0, 0, kW, kH}, kW, kH, 200, 100, 2, 500, 300).steps, 50);
  EXPECT_EQ(PlanNotifierSlide({0, 0, kW, kH}, kW, kH, 200, 100, 2, 500, 300).disappearDelay, 6);
  EXPECT_EQ(PlanNotifierSlide({80, 0, kW, kH}, kW, kH, 200, 100, 2, 500, 300).steps, 100);
}

TEST(NotifierGeometry, TinySkinsStillTakeOneStep)
{
  for (int size : {0, 1}) {
    const NotifierSlide s = PlanNotifierSlide({0, 0, kW, kH}, kW, kH, size, size, 2, 500, 500);
    EXPECT_EQ(s.steps, 1);
    EXPECT_EQ(s.appearDelay, 500);
  }
}

}  // namespace
