// Helpers shared by the window framework tests.
#pragma once

#include "framework/afxwin.h"

#include <gtest/gtest.h>

namespace fwtest {

// Generous: a process's first window can wait ~10 s for Wine's desktop to start.
inline bool Signalled(HANDLE h, DWORD dwMs = 30000) { return ::WaitForSingleObject(h, dwMs) == WAIT_OBJECT_0; }

// Runs the calling thread's messages until pred() holds or the time is up.
template <class Pred>
bool PumpUntil(Pred pred, DWORD dwMs = 30000) {
  DWORD dwStart = ::GetTickCount();
  while (!pred()) {
    if (::GetTickCount() - dwStart > dwMs)
      return false;
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return true;
}

// A manual-reset event that closes itself.
class Event {
public:
  Event() : m_h(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
  ~Event() { ::CloseHandle(m_h); }
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;
  operator HANDLE() const { return m_h; }
  void Set() { ::SetEvent(m_h); }

private:
  HANDLE m_h;
};

}  // namespace fwtest
