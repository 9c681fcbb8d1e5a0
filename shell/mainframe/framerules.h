// The main window's rules without windows: the size it opens at, and the close
// sequence's wait for the keeper threads.
#pragma once

#include <cstdint>
#include <vector>

#include "shell/settings/settings.h"

// The opening size from the saved one: with the layout kept (option bit 21) a
// saved width or height is scaled from the screen it was saved on to this one;
// otherwise, or for a size never saved, the framework's default stands.
struct FrameSize {
  int cx;
  int cy;
};
FrameSize OpeningFrameSize(uint32_t optionFlags, const MainWindowSettings& saved, int screenWidth, int screenHeight,
                           FrameSize framework);

// How long the close sequence waits for keepers that do not end before it
// closes anyway (a keeper blocked in a name look-up never looks at its flag).
constexpr uint32_t kKeeperGraceMs = 15000;
constexpr uint32_t kKeeperPollMs = 1000;  // timer 100's period

// The close sequence over the keepers. Begin tells every keeper at once to stop
// (the caller clears each one's flags and resumes it); Poll then says whether
// the window may close: when none runs any longer, or once the grace is over.
class KeeperCloseWait {
public:
  enum class Step { Wait, CloseAllEnded, CloseGraceOver };

  explicit KeeperCloseWait(uint32_t graceMs = kKeeperGraceMs) : m_graceMs(graceMs) {}
  // running: how many keepers still run after they were all told; now: a tick.
  Step Begin(int running, uint32_t now);
  Step Poll(int running, uint32_t now) const;
  bool Started() const { return m_started; }

private:
  uint32_t m_graceMs;
  uint32_t m_start = 0;
  bool m_started = false;
};
