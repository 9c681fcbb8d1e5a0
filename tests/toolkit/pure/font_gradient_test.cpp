#include <gtest/gtest.h>

#include <string>

#include "toolkit/fontsetting.h"
#include "toolkit/gradient.h"

namespace {

TEST(FontSetting, DefaultTextAndRoundTrip) {
  FontSetting s;
  EXPECT_STREQ(FormatFontSetting(s), "-12,0,0,0,400,0,0,0,0,0,0,2,18,MS Sans Serif,0");

  s.height = -30;
  s.weight = 700;
  s.italic = 1;
  s.charSet = 134;
  s.pitchAndFamily = 255;
  strcpy(s.face, "Courier New");
  s.color = 0xFFFFFFFFu;
  FontSetting back;
  ASSERT_TRUE(ParseFontSetting(FormatFontSetting(s), &back));
  EXPECT_STREQ(FormatFontSetting(back), FormatFontSetting(s));
  EXPECT_EQ(back.color, 0xFFFFFFFFu);
  EXPECT_EQ(back.charSet, 134);
}

TEST(FontSetting, ALongFaceKeeps31AndMalformedTextsAreRefused) {
  FontSetting s;
  const std::string text = "-12,0,0,0,400,0,0,0,0,0,0,2,18," + std::string(300, 'F') + ",255";
  ASSERT_TRUE(ParseFontSetting(text.c_str(), &s));
  EXPECT_EQ(std::string(s.face), std::string(31, 'F'));
  EXPECT_EQ(s.color, 255u);

  const FontSetting before = s;
  for (const char* bad : {"", "-12,0,0,0,400,0,0,0,0,0,0,2", "-12,0,0,0,400,0,0,0,0,0,0,2,18",
                          "-12,0,0,0,400,0,0,0,0,0,0,2,18,Arial", "-12,0,0,0,400,0,0,0,0,0,0,2,18,Arial,",
                          "-12,0,0,0,400,0,0,0,256,0,0,2,18,Arial,0", "-12,0,0,0,400,-1,0,0,0,0,0,2,18,Arial,0",
                          "-12,x,0,0,400,0,0,0,0,0,0,2,18,Arial,0", "-12,0,0,0,400,0,0,0,0,0,0,2,18,Arial,4294967296",
                          "-12,0,0,0,400,0,0,0,0,0,0,2,18,Arial,12red"}) {
    EXPECT_FALSE(ParseFontSetting(bad, &s)) << bad;
  }
  EXPECT_STREQ(FormatFontSetting(s), FormatFontSetting(before));
}

TEST(Gradient, BandsFollowTheLargestChannelStep) {
  GradientPlan red = PlanGradient(0x000000, 0x0000FF, 510, 510);
  ASSERT_EQ(red.bands.size(), 255u);
  EXPECT_EQ(red.bands[0].color, 0u);
  EXPECT_EQ(red.bands[254].color, 254u);  // start + 254 x 1
  EXPECT_EQ(red.bands[1].left, 2);
  EXPECT_EQ(red.bands[254].right, 510);
  EXPECT_EQ(red.backgroundLeft, 510);

  // (10, 20, 5): 20 bands, fractional increments truncated; width 30 gives 1.5-pixel bands.
  GradientPlan mixed = PlanGradient(0x000000, 0x05140A, 30, 30);
  ASSERT_EQ(mixed.bands.size(), 20u);
  EXPECT_EQ(mixed.bands[3].color, 0x000301u);  // r 1.5, g 3, b 0.75
  EXPECT_EQ(mixed.bands[1].left, 1);
  EXPECT_EQ(mixed.bands[1].right, 3);

  // Falling channels are truncated too: 255 - 0.5 is 254.
  GradientPlan down = PlanGradient(0x0000FF, 0x000000, 100, 100);
  EXPECT_EQ(down.bands[1].color, 254u);
}

TEST(Gradient, FilledWidthEqualColoursAndBarBounds) {
  GradientPlan zero = PlanGradient(0x000000, 0x0000FF, 510, 0);
  ASSERT_EQ(zero.bands.size(), 1u);  // the first band, then the background
  EXPECT_EQ(zero.backgroundLeft, 2);

  GradientPlan part = PlanGradient(0x000000, 0x0000FF, 510, 100);
  EXPECT_EQ(part.bands.back().right, 102);
  EXPECT_EQ(part.backgroundLeft, 102);

  GradientPlan flat = PlanGradient(0x336699, 0x336699, 200, 100);
  EXPECT_TRUE(flat.bands.empty());
  EXPECT_EQ(flat.backgroundLeft, 0);

  int filled = -1;
  EXPECT_TRUE(ProgressFilledWidth(200, 0, 100, 40, &filled));
  EXPECT_EQ(filled, 80);
  EXPECT_TRUE(ProgressFilledWidth(2000000, -10, 2000000000, 1999999999, &filled));  // no overflow
  EXPECT_EQ(filled, 1999999);
  EXPECT_TRUE(ProgressFilledWidth(100, -20, 10, 5, &filled));
  EXPECT_EQ(filled, 50);
  EXPECT_FALSE(ProgressFilledWidth(100, -20, 0, -5, &filled));  // no division by 0
  EXPECT_FALSE(ProgressFilledWidth(100, -20, -10, -15, &filled));
  EXPECT_FALSE(ProgressFilledWidth(100, 0, 100, 0, &filled));
  EXPECT_FALSE(ProgressFilledWidth(100, 0, 100, 100, &filled));
  EXPECT_TRUE(ProgressFilledWidth(100, -50, 10, -5, &filled));  // negative: clamped to 0
  EXPECT_EQ(filled, 0);
}

}  // namespace
