// Helpers shared by the GUI framework tests.
#pragma once

#include "framework/afxwin.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace guitest {

// Makes the calling (test) thread the application's GUI thread, as AfxWinMain
// would: AfxGetThread() is then the application object.
inline void BecomeGuiThread() {
  CWinApp* pApp = AfxGetApp();
  pApp->m_nThreadID = ::GetCurrentThreadId();
  pApp->m_hInstance = ::GetModuleHandleA(nullptr);
}

// Generous: a process's first window can wait ~10 s for Wine's desktop to start.
inline bool Signalled(HANDLE h, DWORD dwMs = 30000) { return ::WaitForSingleObject(h, dwMs) == WAIT_OBJECT_0; }

// Runs the calling thread's messages, through the framework's pre-translation
// (dialog keys, accelerators), until pred() holds or the time is up.
template <class Pred>
bool PumpUntil(Pred pred, DWORD dwMs = 30000) {
  DWORD dwStart = ::GetTickCount();
  while (!pred()) {
    if (::GetTickCount() - dwStart > dwMs)
      return false;
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (!AfxPreTranslateMessage(&msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
      }
    }
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return true;
}

inline void PumpFor(DWORD dwMs) {
  DWORD dwStart = ::GetTickCount();
  PumpUntil([&] { return ::GetTickCount() - dwStart >= dwMs; }, dwMs + 1000);
}

// Top-level windows of a thread with the given class (null: any).
inline std::vector<HWND> ThreadWindows(DWORD dwThreadId, const char* pszClass = nullptr) {
  struct Ctx {
    const char* pszClass;
    std::vector<HWND> found;
  } ctx = {pszClass, {}};
  ::EnumThreadWindows(
      dwThreadId,
      [](HWND h, LPARAM l) -> BOOL {
        Ctx* c = reinterpret_cast<Ctx*>(l);
        char sz[64] = "";
        ::GetClassNameA(h, sz, sizeof sz);
        if (c->pszClass == nullptr || lstrcmpA(sz, c->pszClass) == 0)
          c->found.push_back(h);
        return TRUE;
      },
      (LPARAM)&ctx);
  return ctx.found;
}

inline CString Text(HWND h) {
  char sz[512] = "";
  ::GetWindowTextA(h, sz, sizeof sz);
  return CString(sz);
}

// Keys as a user types them: down and up through the queue of the focus window.
inline void PostKey(HWND hWnd, UINT vk) {
  ::PostMessageA(hWnd, WM_KEYDOWN, vk, 1);
  ::PostMessageA(hWnd, WM_KEYUP, vk, 0xC0000001);
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

}  // namespace guitest
