#include "tests/framemsgs/framefix.h"

#include "shell/app/clientapp.h"

#include <windows.h>

CClientApp theApp;

namespace framefix {

bool StartApp()
{
  // Settings other tests stored in the shared prefix (a global proxy, a speed
  // limit) would change what these runs connect to: start from the defaults.
  ::RegDeleteKeyA(HKEY_CURRENT_USER, "SOFTWARE\\ZARN\\SETUP");  // values only, no subkeys
  SetClientAppSeam(nullptr);
  theApp.m_lpCmdLine = const_cast<LPTSTR>("-Embedding");
  theApp.m_hInstance = ::GetModuleHandleA(nullptr);
  theApp.m_nThreadID = ::GetCurrentThreadId();
  if (!theApp.InitInstance() || Frame() == nullptr)
    return false;
  Pump(300, [] { return false; });
  return true;
}

CMainFrame* Frame() { return DYNAMIC_DOWNCAST(CMainFrame, theApp.m_pMainWnd); }

bool Pump(DWORD ms, const std::function<bool()>& done)
{
  const DWORD start = ::GetTickCount();
  MSG msg;
  for (;;) {
    if (done())
      return true;
    if (::GetTickCount() - start >= ms)
      return false;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT)
        continue;
      if (!theApp.PreTranslateMessage(&msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
      }
    }
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

bool ExitApp()
{
  CMainFrame* frame = Frame();
  if (frame == nullptr)
    return true;
  HWND hwnd = frame->m_hWnd;
  frame->PostMessage(WM_COMMAND, ID_APP_EXIT, 0);
  return Pump(20000, [&] { return !::IsWindow(hwnd); });
}

}  // namespace framefix
