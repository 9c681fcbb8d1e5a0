// The traffic graph's arithmetic: counter growth across the 32-bit wrap, the
// rate in KB per second, and the maximum of each scaling mode.
#include <gtest/gtest.h>

#include "shell/tools/trafficmath.h"

namespace {

TEST(TrafficMath, GrowthAcrossTheWrapAndTheRate)
{
  EXPECT_EQ(CounterGrowth(0xFFFFFF00u, 0x00000100u), 512u);
  EXPECT_EQ(CounterGrowth(100, 100), 0u);
  EXPECT_DOUBLE_EQ(RateKBps(3072000.0, 3000), 1000.0);
  EXPECT_DOUBLE_EQ(RateKBps(1024.0, 1000), 1.0);
  EXPECT_DOUBLE_EQ(RateKBps(5000.0, 0), 0.0);  // an interval of 0 samples nothing
}

TEST(TrafficMath, GlobalMaximumNeverFallsLocalFallsToTheLargestLeft)
{
  CTrafficHistory global;
  global.Resize(3);
  CTrafficHistory local;
  local.Resize(3);
  local.SetScaling(CTrafficHistory::kLocalMaximum);
  const double rates[] = {5.0, 9.0, 2.0, 1.0, 3.0, 0.5};
  const double localMax[] = {5.0, 9.0, 9.0, 9.0, 3.0, 3.0};
  for (size_t i = 0; i < 6; i++) {
    global.Add(rates[i]);
    local.Add(rates[i]);
    EXPECT_DOUBLE_EQ(global.Maximum(), i == 0 ? 5.0 : 9.0) << i;
    EXPECT_DOUBLE_EQ(local.Maximum(), localMax[i]) << i;
  }
  EXPECT_DOUBLE_EQ(local.Latest(), 0.5);
  EXPECT_DOUBLE_EQ(local.Samples()[0].value, 1.0);
  for (const auto& s : local.Samples())
    EXPECT_EQ(s.up, 1u);

  global.Reset();
  EXPECT_DOUBLE_EQ(global.Maximum(), 0.0);
  EXPECT_DOUBLE_EQ(global.Latest(), 0.0);

  // A graph too narrow for a sample keeps working.
  CTrafficHistory none;
  none.Resize(0);
  none.Add(4.0);
  EXPECT_DOUBLE_EQ(none.Latest(), 0.0);
}

}  // namespace
