// CSpeedLimiter: holds a transfer to a rate in KB per second by sleeping in
// whole seconds.
//
// Rule, after each receive or send while the limit applies: the bytes since the
// mark grow by the count; then, while the limit is on: elapsed := now - mark
// (ms; below 50 counts as 27); allowed := limit * elapsed bytes; within it, go
// on; else the bytes since the mark drop by allowed, the mark := now and the
// thread sleeps 1000 ms.
//
// Whether the limit applies (the site's queue-run flag 1, the record's status 1
// working, the program not closing) is asked of a callback before every count
// and before every sleep, so a stopped queue or a closing program never waits.
#pragma once

#include <cstdint>
#include <functional>

class CSpeedLimiter {
public:
  typedef std::function<uint32_t()> ClockFn;       // milliseconds, may wrap
  typedef std::function<void(uint32_t ms)> SleepFn;
  typedef std::function<bool()> AppliesFn;

  static constexpr uint32_t kSleepMs = 1000;

  // Steady clock and a real sleep.
  CSpeedLimiter();
  CSpeedLimiter(ClockFn clock, SleepFn sleep);

  // The condition under which the limit applies; none set: always.
  void SetAppliesCheck(AppliesFn applies) { m_applies = std::move(applies); }

  // A transfer's set-up: limit in KB per second (0 or less: off), mark := now,
  // bytes since the mark := 0.
  void Start(int32_t limitKBps);
  // The limit of the verb that turned out current (download or upload), set
  // after Start without moving the mark.
  void SetLimit(int32_t limitKBps) { m_limit = limitKBps > 0 ? (uint32_t)limitKBps : 0; }
  // Limit off; Account then does nothing.
  void Stop() { m_limit = 0; }

  // After a receive or send of count bytes; returns the number of sleeps taken.
  int Account(uint64_t count);

  bool IsOn() const { return m_limit > 0; }
  uint32_t Limit() const { return m_limit; }
  uint64_t BytesSinceMark() const { return m_bytesSinceMark; }

private:
  bool Applies() const { return !m_applies || m_applies(); }

  ClockFn m_clock;
  SleepFn m_sleep;
  AppliesFn m_applies;
  uint32_t m_limit = 0;
  uint32_t m_mark = 0;
  uint64_t m_bytesSinceMark = 0;
};
