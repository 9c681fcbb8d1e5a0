// The X side of the toolkit's window tests: xdotool and import run from Wine,
// waits on window states, and pixels read back from the screen.
#pragma once

#include "tests/framework_gui/guitest.h"

#include <cstdio>
#include <string>

namespace xtools {

// Runs a Unix command through /bin/sh and waits until it has ended: Wine gives
// no handle to wait on for a Unix program, so the shell leaves a mark file.
inline bool RunUnix(const std::string& unixCommand, DWORD dwMs = 30000) {
  static int s_nRun = 0;
  char marker[MAX_PATH];
  snprintf(marker, sizeof marker, "/tmp/zarn_tk_%lu_%d", ::GetCurrentProcessId(), ++s_nRun);
  std::string cmd = "Z:\\bin\\sh -c \"" + unixCommand + "; touch " + marker + "\"";
  std::string mark = std::string("Z:") + marker;
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!::CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return false;
  ::CloseHandle(pi.hThread);
  ::CloseHandle(pi.hProcess);
  // Our own windows keep answering while the X tool runs.
  return guitest::PumpUntil([&] { return ::GetFileAttributesA(mark.c_str()) != INVALID_FILE_ATTRIBUTES; }, dwMs) &&
         ::DeleteFileA(mark.c_str());
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
// The centre of a window's rectangle on the screen.
inline POINT Centre(HWND h) {
  RECT rc;
  ::GetWindowRect(h, &rc);
  return {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}
inline bool Screenshot(const char* pszPng) { return RunUnix(std::string("/usr/bin/import -window root ") + pszPng, 60000); }

// The colour of a pixel of hWnd's client area as drawn on the screen.
inline COLORREF ScreenPixel(HWND hWnd, int x, int y) {
  POINT pt = {x, y};
  ::ClientToScreen(hWnd, &pt);
  HDC hdc = ::GetDC(nullptr);
  COLORREF c = ::GetPixel(hdc, pt.x, pt.y);
  ::ReleaseDC(nullptr, hdc);
  return c;
}

}  // namespace xtools
