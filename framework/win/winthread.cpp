#include "framework/winthread.h"

#include <process.h>
#include <climits>

#include "framework/docview.h"
#include "framework/fwres.h"
#include "framework/win/fwwin_state.h"

namespace {

CWinApp* g_pApp = nullptr;  // this module's application object

// Hand-over from CreateThread to the new thread; lives on the creator's stack
// until the new thread has signalled hStarted. Without hStarted it is the new
// thread's to free.
struct ThreadStartup {
  CWinThread* pThread;
  HANDLE hStarted;  // set by the new thread once its queue exists
  HANDLE hGo;       // created-suspended only: the new thread waits for it, then closes it
};

}  // namespace

IMPLEMENT_DYNAMIC(CWinThread, CCmdTarget)

BEGIN_MESSAGE_MAP(CWinThread, CCmdTarget)
END_MESSAGE_MAP()

CWinThread::CWinThread() = default;

CWinThread::CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam)
    : m_pfnThreadProc(pfnThreadProc), m_pThreadParams(pParam) {}

CWinThread::~CWinThread() {
  if (m_hThread != nullptr)
    ::CloseHandle(m_hThread);
  AfxThreadState* st = AfxGetThreadState();
  if (st->pThread == this)
    st->pThread = nullptr;
}

BOOL CWinThread::CreateThread(DWORD dwCreateFlags, UINT nStackSize, LPSECURITY_ATTRIBUTES lpSecurityAttrs) {
  if (m_hThread != nullptr)
    return FALSE;  // one thread per object
  const bool bSuspended = (dwCreateFlags & CREATE_SUSPENDED) != 0;
  ThreadStartup startup = {this, ::CreateEventA(nullptr, TRUE, FALSE, nullptr), nullptr};
  if (startup.hStarted == nullptr)
    return FALSE;
  if (bSuspended) {
    startup.hGo = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (startup.hGo == nullptr) {
      ::CloseHandle(startup.hStarted);
      return FALSE;
    }
  }
  unsigned nThreadID = 0;
  uintptr_t h = ::_beginthreadex(lpSecurityAttrs, nStackSize, &CWinThread::ThreadEntry, &startup,
                                 CREATE_SUSPENDED | (dwCreateFlags & STACK_SIZE_PARAM_IS_A_RESERVATION),
                                 &nThreadID);
  if (h == 0) {
    ::CloseHandle(startup.hStarted);
    if (startup.hGo)
      ::CloseHandle(startup.hGo);
    return FALSE;
  }
  m_hThread = (HANDLE)h;
  m_nThreadID = nThreadID;
  // Let it make its message queue, so messages posted from now on are kept.
  ::ResumeThread(m_hThread);
  ::WaitForSingleObject(startup.hStarted, INFINITE);
  ::CloseHandle(startup.hStarted);
  if (bSuspended) {
    // It waits on hGo: suspend it there, then release the wait, so it
    // continues only when ResumeThread is called.
    ::SuspendThread(m_hThread);
    ::SetEvent(startup.hGo);
  }
  return TRUE;
}

BOOL CWinThread::CreateSuspendedUnqueued(UINT nStackSize) {
  if (m_hThread != nullptr)
    return FALSE;  // one thread per object
  ThreadStartup* startup = new ThreadStartup{this, nullptr, nullptr};
  unsigned nThreadID = 0;
  uintptr_t h = ::_beginthreadex(nullptr, nStackSize, &CWinThread::ThreadEntry, startup, CREATE_SUSPENDED, &nThreadID);
  if (h == 0) {
    delete startup;
    return FALSE;
  }
  m_hThread = (HANDLE)h;
  m_nThreadID = nThreadID;
  return TRUE;
}

unsigned __stdcall CWinThread::ThreadEntry(void* pStartup) {
  ThreadStartup* ps = static_cast<ThreadStartup*>(pStartup);
  CWinThread* pThread = ps->pThread;
  HANDLE hGo = ps->hGo;
  AfxThreadState* st = AfxGetThreadState();
  st->pThread = pThread;
  MSG msg;
  ::PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // makes the queue
  if (ps->hStarted == nullptr)
    delete ps;  // made by CreateSuspendedUnqueued: nobody waits
  else
    ::SetEvent(ps->hStarted);  // ps is gone after this
  if (hGo != nullptr) {
    ::WaitForSingleObject(hGo, INFINITE);
    ::CloseHandle(hGo);
  }

  int nResult;
  if (pThread->m_pfnThreadProc != nullptr) {
    nResult = (int)pThread->m_pfnThreadProc(pThread->m_pThreadParams);
  } else if (!pThread->InitInstance()) {
    nResult = pThread->ExitInstance();
  } else {
    nResult = pThread->Run();
  }
  // Whatever the thread left open ends here, on its own thread.
  AfxDestroyThreadWindows();
  CWnd::DeleteTempMap();
  st->pThread = nullptr;
  pThread->Delete();
  return (unsigned)nResult;
}

DWORD CWinThread::ResumeThread() { return ::ResumeThread(m_hThread); }
DWORD CWinThread::SuspendThread() { return ::SuspendThread(m_hThread); }
int CWinThread::GetThreadPriority() { return ::GetThreadPriority(m_hThread); }
BOOL CWinThread::SetThreadPriority(int nPriority) { return ::SetThreadPriority(m_hThread, nPriority); }
BOOL CWinThread::PostThreadMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::PostThreadMessageA(m_nThreadID, message, wParam, lParam);
}

BOOL CWinThread::InitInstance() { return FALSE; }

int CWinThread::ExitInstance() { return (int)m_msgCur.wParam; }

void CWinThread::Delete() {
  if (m_bAutoDelete)
    delete this;
}

BOOL CWinThread::IsIdleMessage(MSG* pMsg) {
  // Painting and the caret's blink come all the time; they do not make the
  // thread busy.
  return pMsg->message != WM_PAINT && pMsg->message != 0x0118;
}

BOOL CWinThread::OnIdle(LONG lCount) {
  if (lCount <= 0) {
    // Bars and dialog bars of the main window run their update handlers.
    CWnd* pMain = m_pMainWnd;
    if (pMain != nullptr && pMain->m_hWnd != nullptr && ::IsWindowVisible(pMain->m_hWnd)) {
      HWND hMain = pMain->m_hWnd;
      ::SendMessageA(hMain, WM_IDLEUPDATECMDUI, TRUE, 0);
      if (::IsWindow(hMain))
        pMain->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE, TRUE);
    }
    return TRUE;
  }
  CWnd::DeleteTempMap();
  return FALSE;
}

BOOL CWinThread::PumpMessage() {
  BOOL bRet = ::GetMessageA(&m_msgCur, nullptr, 0, 0);
  if (bRet == 0 || bRet == -1)
    return FALSE;  // WM_QUIT (or a broken queue: stop rather than spin)
  if (!PreTranslateMessage(&m_msgCur)) {
    ::TranslateMessage(&m_msgCur);
    ::DispatchMessageA(&m_msgCur);
  }
  return TRUE;
}

int CWinThread::Run() {
  BOOL bIdle = TRUE;
  LONG lIdleCount = 0;
  MSG msgPeek;
  for (;;) {
    while (bIdle && !::PeekMessageA(&msgPeek, nullptr, 0, 0, PM_NOREMOVE)) {
      if (!OnIdle(lIdleCount++))
        bIdle = FALSE;
    }
    do {
      if (!PumpMessage())
        return ExitInstance();
      if (IsIdleMessage(&m_msgCur)) {
        bIdle = TRUE;
        lIdleCount = 0;
      }
    } while (::PeekMessageA(&msgPeek, nullptr, 0, 0, PM_NOREMOVE));
  }
}

BOOL CWinThread::DispatchThreadMessage(MSG* pMsg) {
  LRESULT lResult = 0;
  return DispatchMapMessage(pMsg->message, pMsg->wParam, pMsg->lParam, &lResult);
}

BOOL CWinThread::PreTranslateMessage(MSG* pMsg) {
  if (pMsg->hwnd == nullptr)
    return DispatchThreadMessage(pMsg);
  // Offer the message to the target window and its parents on this thread, up
  // to the main window (accelerators, dialog keys).
  const DWORD dwThread = ::GetCurrentThreadId();
  HWND hMain = m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr;
  for (HWND hWnd = pMsg->hwnd; hWnd != nullptr; hWnd = ::GetParent(hWnd)) {
    CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
    if (pWnd != nullptr) {
      if (::GetWindowThreadProcessId(hWnd, nullptr) != dwThread)
        break;
      if (pWnd->PreTranslateMessage(pMsg))
        return TRUE;
    }
    if (hWnd == hMain)
      break;
  }
  return FALSE;
}

namespace {

CWinThread* BeginThread(CWinThread* pThread, int nPriority, UINT nStackSize, DWORD dwCreateFlags,
                        LPSECURITY_ATTRIBUTES lpSecurityAttrs) {
  if (!pThread->CreateThread(dwCreateFlags | CREATE_SUSPENDED, nStackSize, lpSecurityAttrs)) {
    delete pThread;  // the caller never saw it
    return nullptr;
  }
  pThread->SetThreadPriority(nPriority);
  if (!(dwCreateFlags & CREATE_SUSPENDED))
    pThread->ResumeThread();
  return pThread;
}

}  // namespace

CWinThread* AfxBeginThread(CRuntimeClass* pThreadClass, int nPriority, UINT nStackSize, DWORD dwCreateFlags,
                           LPSECURITY_ATTRIBUTES lpSecurityAttrs) {
  if (pThreadClass == nullptr || !pThreadClass->IsDerivedFrom(RUNTIME_CLASS(CWinThread)))
    return nullptr;
  CObject* pObject = pThreadClass->CreateObject();
  if (pObject == nullptr)
    return nullptr;
  return BeginThread(static_cast<CWinThread*>(pObject), nPriority, nStackSize, dwCreateFlags, lpSecurityAttrs);
}

CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority, UINT nStackSize,
                           DWORD dwCreateFlags, LPSECURITY_ATTRIBUTES lpSecurityAttrs) {
  if (pfnThreadProc == nullptr)
    return nullptr;
  return BeginThread(new CWinThread(pfnThreadProc, pParam), nPriority, nStackSize, dwCreateFlags,
                     lpSecurityAttrs);
}

// ---- application ----

IMPLEMENT_DYNAMIC(CWinApp, CWinThread)

CWinApp::CWinApp(LPCTSTR lpszAppName) {
  m_bAutoDelete = FALSE;  // a global object
  if (lpszAppName != nullptr) {
    m_strAppName = lpszAppName;
    m_pszAppName = m_strAppName;
  }
  g_pApp = this;
}

CWinApp::~CWinApp() {
  for (CDocTemplate* p : m_templates)
    delete p;
  m_templates.clear();
  delete m_pRecentFileList;
  m_pRecentFileList = nullptr;
  if (g_pApp == this)
    g_pApp = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::Run() {
  if (m_pMainWnd == nullptr)
    return ExitInstance();
  return CWinThread::Run();
}


CWinThread* AfxGetThread() {
  CWinThread* pThread = AfxGetThreadState()->pThread;
  if (pThread == nullptr && g_pApp != nullptr && g_pApp->m_nThreadID == ::GetCurrentThreadId())
    pThread = g_pApp;
  return pThread;
}

CWinApp* AfxGetApp() { return g_pApp; }

CWnd* AfxGetMainWnd() {
  CWinThread* pThread = AfxGetThread();
  if (pThread != nullptr && pThread->m_pMainWnd != nullptr)
    return pThread->m_pMainWnd;
  return g_pApp != nullptr ? g_pApp->m_pMainWnd : nullptr;
}

void AfxPostQuitMessage(int nExitCode) { ::PostQuitMessage(nExitCode); }

BOOL AfxPreTranslateMessage(MSG* pMsg) {
  CWinThread* pThread = AfxGetThread();
  if (pThread != nullptr)
    return pThread->PreTranslateMessage(pMsg);
  const DWORD dwThread = ::GetCurrentThreadId();
  for (HWND hWnd = pMsg->hwnd; hWnd != nullptr; hWnd = ::GetParent(hWnd)) {
    if (::GetWindowThreadProcessId(hWnd, nullptr) != dwThread)
      break;
    CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
    if (pWnd != nullptr && pWnd->PreTranslateMessage(pMsg))
      return TRUE;
  }
  return FALSE;
}

int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPTSTR lpCmdLine, int nCmdShow) {
  CWinApp* pApp = g_pApp;
  if (pApp == nullptr)
    return -1;
  pApp->m_hInstance = hInstance;
  pApp->m_hPrevInstance = hPrevInstance;
  pApp->m_lpCmdLine = lpCmdLine;
  pApp->m_nCmdShow = nCmdShow;
  {
    char szPath[MAX_PATH] = "";
    ::GetModuleFileNameA(hInstance, szPath, MAX_PATH);
    CString strPath(szPath);
    int nSlash = strPath.ReverseFind('\\');
    CString strTitle = strPath.Mid(nSlash + 1);
    int nDot = strTitle.ReverseFind('.');
    pApp->m_strExeName = nDot > 0 ? strTitle.Left(nDot) : strTitle;
    pApp->m_pszExeName = pApp->m_strExeName;
  }
  if (pApp->m_pszAppName == nullptr) {
    // The application's title string when the program has one, else its file title.
    CString strTitle;
    if (!strTitle.LoadString(AFX_IDS_APP_TITLE) || strTitle.IsEmpty())
      strTitle = pApp->m_strExeName;
    pApp->m_strAppName = strTitle;
    pApp->m_pszAppName = pApp->m_strAppName;
  }
  if (pApp->m_hThread == nullptr)
    ::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentThread(), ::GetCurrentProcess(), &pApp->m_hThread, 0,
                      FALSE, DUPLICATE_SAME_ACCESS);
  pApp->m_nThreadID = ::GetCurrentThreadId();
  AfxThreadState* st = AfxGetThreadState();
  st->pThread = pApp;
  MSG msg;
  ::PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);

  int nResult;
  if (!pApp->InitInstance()) {
    if (pApp->m_pMainWnd != nullptr)
      pApp->m_pMainWnd->DestroyWindow();
    nResult = pApp->ExitInstance();
  } else {
    nResult = pApp->Run();
  }
  AfxDestroyThreadWindows();
  CWnd::DeleteTempMap();
  st->pThread = nullptr;
  return nResult;
}
