// The X side of the window tests: programs of the host (xdotool, import) run
// from Wine, sleeping waits for threads without windows, and window geometry.
#pragma once

#include "tests/framework_gui/guitest.h"

#include <cstdio>
#include <string>

namespace xside {

// Waits without running messages (for threads that own no windows) until
// pred() holds or the time is up.
template <class Pred>
bool WaitFor(Pred pred, DWORD dwMs = 10000, DWORD dwPollMs = 10) {
  const DWORD dwStart = ::GetTickCount();
  while (!pred()) {
    if (::GetTickCount() - dwStart > dwMs)
      return false;
    ::Sleep(dwPollMs);
  }
  return true;
}

// Closes what CreateProcess gave for a started program. Wine starts a Unix
// program without a Windows process: it answers with no process handle and
// leaves the thread word as it found it (any value, at times one of this
// process's own handles, such as standard output), so nothing is closed then.
inline void CloseStarted(const PROCESS_INFORMATION& pi) {
  if (pi.hProcess == nullptr)
    return;
  ::CloseHandle(pi.hThread);
  ::CloseHandle(pi.hProcess);
}

// Runs a Unix command through /bin/sh and waits until it has ended: Wine gives
// no handle to wait on for a Unix program, so the shell leaves a marker file
// (/tmp/<tag>_<pid>_<n>). With bPump the calling thread's windows keep
// answering meanwhile; without, it only sleeps (for threads owning no windows).
inline bool RunUnix(const std::string& unixCommand, const char* pszTag, DWORD dwMs, bool bPump = true) {
  static LONG s_nRun = 0;
  char marker[MAX_PATH];
  snprintf(marker, sizeof marker, "/tmp/%s_%lu_%ld", pszTag, ::GetCurrentProcessId(), ::InterlockedIncrement(&s_nRun));
  std::string cmd = "Z:\\bin\\sh -c \"" + unixCommand + "; touch " + marker + "\"";
  const std::string mark = std::string("Z:") + marker;
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!::CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return false;
  CloseStarted(pi);
  auto marked = [&] { return ::GetFileAttributesA(mark.c_str()) != INVALID_FILE_ATTRIBUTES; };
  const bool bDone = bPump ? guitest::PumpUntil(marked, dwMs) : WaitFor(marked, dwMs, 20);
  ::DeleteFileA(mark.c_str());
  return bDone;
}

// Runs a Windows command line (Z:\usr\bin\xdotool ...) and waits for its
// process to end, without running messages.
inline bool RunCommand(const std::string& command, DWORD dwMs = 10000) {
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  std::string line = command;
  if (!::CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return false;
  const bool bEnded = ::WaitForSingleObject(pi.hProcess, dwMs) == WAIT_OBJECT_0;
  CloseStarted(pi);
  return bEnded;
}

// The centre of a window's rectangle on the screen.
inline POINT WindowCentre(HWND h) {
  RECT rc;
  ::GetWindowRect(h, &rc);
  return {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

// The colour of a pixel of hWnd's client area as drawn on the screen.
inline COLORREF ScreenPixel(HWND hWnd, int x, int y) {
  POINT pt = {x, y};
  ::ClientToScreen(hWnd, &pt);
  HDC hdc = ::GetDC(nullptr);
  COLORREF c = ::GetPixel(hdc, pt.x, pt.y);
  ::ReleaseDC(nullptr, hdc);
  return c;
}

}  // namespace xside
