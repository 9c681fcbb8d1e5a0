#include "toolkit/colorops.h"

#include <gtest/gtest.h>

TEST(ColorOps, ScaleAndLightenClampTheirFactorAndTruncateEachChannel) {
  EXPECT_EQ(ScaleColor(0x00C86432u, 0.5), 0x00643219u);   // 200,100,50 -> 100,50,25
  EXPECT_EQ(ScaleColor(0x00FFFFFFu, 0.999), 0x00FEFEFEu); // truncated, not rounded
  EXPECT_EQ(ScaleColor(0x00123456u, 2.0), 0x00123456u);   // f above 1 is 1
  EXPECT_EQ(ScaleColor(0x00123456u, -1.0), 0u);
  EXPECT_EQ(LightenColor(0x00806040u, 1.5), 0x00C09060u);
  EXPECT_EQ(LightenColor(0x00F0F0F0u, 1.2), 0x00FFFFFFu);  // capped per channel
  EXPECT_EQ(LightenColor(0x00806040u, 0.5), 0x00806040u);  // f below 1 is 1
  EXPECT_EQ(LightenColor(0xFF806040u, 1.0), 0x00806040u);  // the high byte is no channel
}
