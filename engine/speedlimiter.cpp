// Speed limit of a transfer.
#include "engine/speedlimiter.h"

#include <chrono>
#include <thread>

namespace {

uint32_t SteadyMs()
{
  using namespace std::chrono;
  return (uint32_t)duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void SleepMs(uint32_t ms)
{
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace

CSpeedLimiter::CSpeedLimiter() : m_clock(SteadyMs), m_sleep(SleepMs) {}

CSpeedLimiter::CSpeedLimiter(ClockFn clock, SleepFn sleep)
    : m_clock(clock ? std::move(clock) : ClockFn(SteadyMs)), m_sleep(sleep ? std::move(sleep) : SleepFn(SleepMs))
{
}

void CSpeedLimiter::Start(int32_t limitKBps)
{
  SetLimit(limitKBps);
  m_mark = m_clock();
  m_bytesSinceMark = 0;
}

int CSpeedLimiter::Account(uint64_t count)
{
  if (m_limit == 0 || !Applies())
    return 0;
  m_bytesSinceMark += count;
  int sleeps = 0;
  for (;;) {
    const uint32_t now = m_clock();
    uint32_t elapsed = now - m_mark;  // unsigned: a wrapped tick count still subtracts right
    if (elapsed < 50)
      elapsed = 27;
    const uint64_t allowed = (uint64_t)m_limit * elapsed;
    if (m_bytesSinceMark <= allowed)
      break;
    // Checked again before every sleep: a closing program must not wait out
    // seconds of a slow limit.
    if (!Applies())
      break;
    m_bytesSinceMark -= allowed;
    m_mark = now;
    m_sleep(kSleepMs);
    ++sleeps;
  }
  return sleeps;
}
