// The schedule of Schedule Time Start as a state machine over moments in
// seconds (local time as the pickers give it), so that it runs without windows
// and without waiting for the wall clock.
#pragma once

#include <cstdint>

struct ScheduleState {
  int64_t start = 0;  // 0: nothing armed
  int64_t stop = 0;   // 0: no stop
  bool armed = false;
};

enum class ScheduleArmResult {
  Armed,       // start kept (and the stop, when one was kept)
  StartPassed  // the start is not in the future: the dialog closes, nothing armed
};

// Start pressed while idle. The stop is kept only when enabled, in the future
// and after the start (a stop before the start would stop an empty queue and
// close the dialog before the start could fire).
ScheduleArmResult ArmSchedule(ScheduleState& state, int64_t now, int64_t start, bool stopEnabled, int64_t stop);
// Abort: both moments cleared, idle again.
void AbortSchedule(ScheduleState& state);

struct ScheduleTick {
  bool startQueue = false;  // send the Start Queue command
  bool stopQueue = false;   // stop the queue and close
};
// One timer tick at now: each due moment fires once and is cleared.
ScheduleTick TickSchedule(ScheduleState& state, int64_t now);

// The clock the dialog reads "now" from; tests set their own.
using ScheduleClockFn = int64_t (*)();
ScheduleClockFn SetScheduleClock(ScheduleClockFn fn);  // null: the system clock; returns the previous
int64_t ScheduleNow();
