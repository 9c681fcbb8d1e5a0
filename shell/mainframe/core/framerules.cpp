#include "shell/mainframe/framerules.h"


FrameSize OpeningFrameSize(uint32_t optionFlags, const MainWindowSettings& saved, int screenWidth, int screenHeight,
                           FrameSize framework)
{
  FrameSize size = framework;
  if ((optionFlags & (1u << 21)) == 0)
    return size;
  // A stored screen of 0 or less would divide by nothing; it counts as 1.
  const int64_t sw = saved.savedScreenWidth > 0 ? saved.savedScreenWidth : 1;
  const int64_t sh = saved.savedScreenHeight > 0 ? saved.savedScreenHeight : 1;
  if (saved.savedWidth > 0) {
    const int64_t cx = (int64_t)saved.savedWidth * screenWidth / sw;
    size.cx = (int)(cx > 0x7FFF ? 0x7FFF : (cx < 1 ? 1 : cx));
  }
  if (saved.savedHeight > 0) {
    const int64_t cy = (int64_t)saved.savedHeight * screenHeight / sh;
    size.cy = (int)(cy > 0x7FFF ? 0x7FFF : (cy < 1 ? 1 : cy));
  }
  return size;
}

KeeperCloseWait::Step KeeperCloseWait::Begin(int running, uint32_t now)
{
  m_started = true;
  m_start = now;
  return Poll(running, now);
}

KeeperCloseWait::Step KeeperCloseWait::Poll(int running, uint32_t now) const
{
  if (running <= 0)
    return Step::CloseAllEnded;
  // Unsigned difference: a tick count that wraps still measures the wait.
  if (m_started && (uint32_t)(now - m_start) >= m_graceMs)
    return Step::CloseGraceOver;
  return Step::Wait;
}
