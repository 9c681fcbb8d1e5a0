// The X side of the toolkit's window tests: xdotool and import run from Wine,
// waits on window states, and pixels read back from the screen.
#pragma once

#include "tests/support/xside.h"

#include <cstdio>
#include <string>

namespace xtools {

inline bool RunUnix(const std::string& unixCommand, DWORD dwMs = 30000) {
  return xside::RunUnix(unixCommand, "zarn_tk", dwMs);
}

inline bool MouseTo(int x, int y) {
  char cmd[128];
  snprintf(cmd, sizeof cmd, "/usr/bin/xdotool mousemove %d %d", x, y);
  return RunUnix(cmd);
}
// Moves there and clicks the left button.
inline bool ClickAt(int x, int y) {
  char cmd[160];
  snprintf(cmd, sizeof cmd, "/usr/bin/xdotool mousemove %d %d click 1", x, y);
  return RunUnix(cmd);
}
using xside::ScreenPixel;
inline POINT Centre(HWND h) { return xside::WindowCentre(h); }
inline bool Screenshot(const char* pszPng) { return RunUnix(std::string("/usr/bin/import -window root ") + pszPng, 60000); }

}  // namespace xtools
