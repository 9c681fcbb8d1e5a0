#include "shell/taskdlgs/schedulerules.h"

#include <ctime>

ScheduleArmResult ArmSchedule(ScheduleState& state, int64_t now, int64_t start, bool stopEnabled, int64_t stop)
{
  if (start <= now) {
    state = ScheduleState();
    return ScheduleArmResult::StartPassed;
  }
  state.start = start;
  state.stop = stopEnabled && stop > now && stop > start ? stop : 0;
  state.armed = true;
  return ScheduleArmResult::Armed;
}

void AbortSchedule(ScheduleState& state)
{
  state = ScheduleState();
}

ScheduleTick TickSchedule(ScheduleState& state, int64_t now)
{
  ScheduleTick tick;
  if (state.start != 0 && now >= state.start) {
    state.start = 0;
    tick.startQueue = true;
  }
  if (state.stop != 0 && now >= state.stop) {
    state.stop = 0;
    tick.stopQueue = true;
  }
  return tick;
}

static ScheduleClockFn s_clock = nullptr;

ScheduleClockFn SetScheduleClock(ScheduleClockFn fn)
{
  ScheduleClockFn previous = s_clock;
  s_clock = fn;
  return previous;
}

int64_t ScheduleNow()
{
  return s_clock != nullptr ? s_clock() : static_cast<int64_t>(std::time(nullptr));
}
