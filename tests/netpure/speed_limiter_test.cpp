// The speed limiter against a fake clock: sleeps advance it by their length.
#include <gtest/gtest.h>

#include <cstdint>

#include "engine/speedlimiter.h"

namespace {

struct FakeTime {
  uint32_t now = 0;
  int sleeps = 0;
  CSpeedLimiter Limiter()
  {
    return CSpeedLimiter([this] { return now; },
                         [this](uint32_t ms) {
                           now += ms;
                           ++sleeps;
                         });
  }
};

// Moves total bytes in chunks, each taking chunkMs of the clock.
void Transfer(FakeTime& t, CSpeedLimiter& limiter, uint64_t total, uint32_t chunk, uint32_t chunkMs)
{
  while (total > 0) {
    const uint32_t n = total < chunk ? (uint32_t)total : chunk;
    t.now += chunkMs;
    limiter.Account(n);
    total -= n;
  }
}

TEST(SpeedLimiter, HoldsTheRate)
{
  FakeTime t;
  CSpeedLimiter limiter = t.Limiter();
  limiter.Start(20);
  EXPECT_TRUE(limiter.IsOn());
  Transfer(t, limiter, 200 * 1024, 8192, 1);
  // 200 KB at 20 KB/s: about ten one-second sleeps, about ten seconds.
  EXPECT_GE(t.sleeps, 9);
  EXPECT_LE(t.sleeps, 11);
  EXPECT_GE(t.now, 9000u);
  EXPECT_LE(t.now, 11500u);

  // A slow limit: one 8 KB chunk at 1 KB/s waits out nine whole seconds.
  t = FakeTime();
  CSpeedLimiter slow = t.Limiter();
  slow.Start(1);
  EXPECT_EQ(slow.Account(8192), 9);
  EXPECT_LE(slow.BytesSinceMark(), 1000u);
}

TEST(SpeedLimiter, ClockWrapsAround)
{
  FakeTime t;
  t.now = UINT32_MAX - 3000;
  CSpeedLimiter limiter = t.Limiter();
  limiter.Start(20);
  Transfer(t, limiter, 200 * 1024, 8192, 1);
  EXPECT_GE(t.sleeps, 9);
  EXPECT_LE(t.sleeps, 11);
}

TEST(SpeedLimiter, NoSleepsWithoutLimitOrWhenStopped)
{
  FakeTime t;
  CSpeedLimiter limiter = t.Limiter();
  limiter.Start(0);
  EXPECT_FALSE(limiter.IsOn());
  Transfer(t, limiter, 200 * 1024, 8192, 1);
  limiter.Start(-5);
  Transfer(t, limiter, 200 * 1024, 8192, 1);
  EXPECT_EQ(t.sleeps, 0);

  // Exit requested (or the queue stopped) before the transfer: no sleeps.
  bool applies = false;
  limiter.SetAppliesCheck([&] { return applies; });
  limiter.Start(20);
  Transfer(t, limiter, 200 * 1024, 8192, 1);
  EXPECT_EQ(t.sleeps, 0);

  // Requested during a long wait: the wait ends at the next sleep.
  applies = true;
  int checks = 0;
  limiter.SetAppliesCheck([&] { return ++checks < 3; });
  limiter.Start(1);
  EXPECT_EQ(limiter.Account(8192), 1);
  EXPECT_EQ(t.sleeps, 1);
}

}  // namespace
