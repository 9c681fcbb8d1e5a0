// User-interface threads with hidden windows, procedure threads, and many
// threads making and destroying windows at once.
#include "fwtest.h"

#include <atomic>
#include <vector>

using fwtest::Event;
using fwtest::Signalled;

namespace {

const UINT UWM_PROBE = WM_USER + 300;
const UINT UWM_WHO = WM_USER + 301;
const UINT UWM_THREAD_PING = WM_USER + 302;
const UINT UWM_THREAD_MAKE = WM_USER + 303;

// The hidden window of a connection-like thread.
class CProbeWnd : public CWnd {
public:
  std::atomic<int> m_nTimer{0};
  std::atomic<int> m_nDestroy{0};
  std::atomic<bool> m_bBoundInCreate{false};
  std::atomic<DWORD> m_dwCreateThread{0};
  std::atomic<DWORD> m_dwProbeThread{0};
  Event m_evTimers;

protected:
  afx_msg int OnCreate(LPCREATESTRUCT lpcs) {
    if (CWnd::OnCreate(lpcs) == -1)
      return -1;
    m_bBoundInCreate = FromHandlePermanent(m_hWnd) == this;
    m_dwCreateThread = ::GetCurrentThreadId();
    SetTimer(7, 10);
    return 0;
  }
  afx_msg void OnTimer(UINT_PTR nID) {
    if (nID == 7 && ++m_nTimer == 3) {
      KillTimer(7);
      m_evTimers.Set();
    }
  }
  afx_msg void OnDestroy() {
    ++m_nDestroy;
    CWnd::OnDestroy();
  }
  afx_msg LRESULT OnProbe(WPARAM w, LPARAM l) {
    m_dwProbeThread = ::GetCurrentThreadId();
    return (LRESULT)(w + l);
  }
  afx_msg LRESULT OnWho(WPARAM, LPARAM) { return (LRESULT)this; }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CProbeWnd, CWnd)
  ON_WM_CREATE()
  ON_WM_TIMER()
  ON_WM_DESTROY()
  ON_MESSAGE(UWM_PROBE, OnProbe)
  ON_MESSAGE(UWM_WHO, OnWho)
END_MESSAGE_MAP()

class CWindowThread : public CWinThread {
  DECLARE_DYNCREATE(CWindowThread)
public:
  CProbeWnd m_wnd;
  Event m_evReady;
  Event m_evMade;
  HWND m_hWndMade = nullptr;
  std::atomic<DWORD> m_dwInitThread{0}, m_dwExitThread{0};
  std::atomic<bool> m_bWindowAliveAtExit{false};
  std::atomic<int> m_nPings{0};

  BOOL InitInstance() override {
    m_dwInitThread = ::GetCurrentThreadId();
    if (!m_wnd.CreateEx(0, nullptr, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr))
      return FALSE;
    m_pMainWnd = &m_wnd;
    m_hWndMade = m_wnd.m_hWnd;
    m_evReady.Set();
    return TRUE;
  }
  int ExitInstance() override {
    m_dwExitThread = ::GetCurrentThreadId();
    m_bWindowAliveAtExit = ::IsWindow(m_hWndMade) != FALSE;
    CWinThread::ExitInstance();
    return 42;
  }

protected:
  afx_msg void OnPing(WPARAM w, LPARAM) { m_nPings += (int)w; }
  afx_msg void OnMake(WPARAM, LPARAM l) {
    reinterpret_cast<CWnd*>(l)->CreateEx(0, nullptr, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr);
    m_evMade.Set();
  }
  DECLARE_MESSAGE_MAP()
};

IMPLEMENT_DYNCREATE(CWindowThread, CWinThread)

BEGIN_MESSAGE_MAP(CWindowThread, CWinThread)
  ON_THREAD_MESSAGE(UWM_THREAD_PING, OnPing)
  ON_THREAD_MESSAGE(UWM_THREAD_MAKE, OnMake)
END_MESSAGE_MAP()

CWindowThread* StartSuspended() {
  CWinThread* p = AfxBeginThread(RUNTIME_CLASS(CWindowThread), THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
  if (p == nullptr)
    return nullptr;
  p->m_bAutoDelete = FALSE;
  return static_cast<CWindowThread*>(p);
}

// Posts the quit and waits for the thread; TRUE when it ended in time.
bool Stop(CWinThread* p, DWORD dwMs = 30000) {
  p->PostThreadMessage(WM_QUIT, 0, 0);
  return Signalled(p->m_hThread, dwMs);
}

}  // namespace

TEST(UiThread, HiddenWindowOnWorkerGetsItsMessagesAndQuitEndsTheLoop) {
  CWindowThread* p = StartSuspended();
  ASSERT_NE(nullptr, p);
  EXPECT_NE(nullptr, p->m_hThread);
  EXPECT_NE(0u, p->m_nThreadID);
  // Still suspended: nothing has run yet.
  EXPECT_FALSE(Signalled(p->m_evReady, 200));
  EXPECT_EQ(1u, p->ResumeThread());
  ASSERT_TRUE(Signalled(p->m_evReady));

  HWND hWnd = p->m_hWndMade;
  EXPECT_EQ(p->m_nThreadID, p->m_dwInitThread.load());
  EXPECT_EQ(p->m_nThreadID, p->m_wnd.m_dwCreateThread.load());
  EXPECT_TRUE(p->m_wnd.m_bBoundInCreate);
  EXPECT_EQ(&p->m_wnd, p->m_pMainWnd);
  // The map is the same from any thread; the handler runs on the window's thread.
  EXPECT_EQ(&p->m_wnd, CWnd::FromHandlePermanent(hWnd));
  EXPECT_EQ(5, ::SendMessageA(hWnd, UWM_PROBE, 2, 3));
  EXPECT_EQ(p->m_nThreadID, p->m_wnd.m_dwProbeThread.load());
  EXPECT_TRUE(Signalled(p->m_wnd.m_evTimers));
  EXPECT_TRUE(p->PostThreadMessage(UWM_THREAD_PING, 4, 0));
  EXPECT_TRUE(p->PostThreadMessage(UWM_THREAD_PING, 5, 0));

  ASSERT_TRUE(Stop(p));
  EXPECT_EQ(9, p->m_nPings.load());
  EXPECT_EQ(p->m_nThreadID, p->m_dwExitThread.load());
  EXPECT_TRUE(p->m_bWindowAliveAtExit);
  DWORD dwCode = 0;
  EXPECT_TRUE(::GetExitCodeThread(p->m_hThread, &dwCode));
  EXPECT_EQ(42u, dwCode);
  // Whatever the thread left is destroyed on it, and unbound.
  EXPECT_FALSE(::IsWindow(hWnd));
  EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hWnd));
  EXPECT_EQ(1, p->m_wnd.m_nDestroy.load());
  EXPECT_EQ(nullptr, p->m_wnd.m_hWnd);
  delete p;
}

TEST(UiThread, QuitPostedBeforeResumeIsKept) {
  CWindowThread* p = StartSuspended();
  ASSERT_NE(nullptr, p);
  EXPECT_TRUE(p->PostThreadMessage(WM_QUIT, 0, 0));
  p->ResumeThread();
  EXPECT_TRUE(Signalled(p->m_hThread));
  EXPECT_EQ(p->m_nThreadID, p->m_dwExitThread.load());
  delete p;
}

// Made without waiting: nothing runs before ResumeThread, a post before the
// thread made its queue is refused (never kept for a thread that may not
// exist), and once it runs it takes its messages and ends on WM_QUIT; many
// made at once each start their own thread.
TEST(UiThread, UnqueuedThreadsRunOnlyOnceResumedAndTakeTheirQuit) {
  std::vector<CWindowThread*> threads;
  for (int i = 0; i < 8; ++i) {
    CWindowThread* p = new CWindowThread;
    p->m_bAutoDelete = FALSE;
    ASSERT_TRUE(p->CreateSuspendedUnqueued());
    EXPECT_FALSE(p->CreateSuspendedUnqueued());  // one thread per object
    threads.push_back(p);
  }
  CWindowThread* first = threads[0];
  EXPECT_FALSE(Signalled(first->m_evReady, 50));
  EXPECT_EQ(0u, first->m_dwInitThread.load());
  EXPECT_FALSE(first->PostThreadMessage(WM_QUIT, 0, 0));
  for (CWindowThread* p : threads)
    p->ResumeThread();
  for (CWindowThread* p : threads) {
    ASSERT_TRUE(Signalled(p->m_evReady));
    EXPECT_EQ(p->m_nThreadID, p->m_dwInitThread.load());
    p->PostThreadMessage(UWM_THREAD_PING, 3, 0);
    EXPECT_TRUE(Stop(p));
    EXPECT_EQ(3, p->m_nPings.load());
    EXPECT_EQ(p->m_nThreadID, p->m_dwExitThread.load());
    delete p;
  }
}

TEST(UiThread, ObjectDeletedFromAnotherThreadLetsItsThreadDestroyTheWindow) {
  CWindowThread* p = StartSuspended();
  ASSERT_NE(nullptr, p);
  p->ResumeThread();
  ASSERT_TRUE(Signalled(p->m_evReady));
  // A second window, made on the worker, whose object this thread deletes.
  CProbeWnd* pExtra = new CProbeWnd;
  ASSERT_TRUE(p->PostThreadMessage(UWM_THREAD_MAKE, 0, (LPARAM)pExtra));
  ASSERT_TRUE(Signalled(p->m_evMade));
  HWND hWnd = pExtra->m_hWnd;
  ASSERT_NE(nullptr, hWnd);
  EXPECT_EQ(p->m_nThreadID, ::GetWindowThreadProcessId(hWnd, nullptr));
  delete pExtra;  // Win32 will not destroy it from here: its own thread does
  EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hWnd));
  for (int i = 0; i < 500 && ::IsWindow(hWnd); ++i)
    ::Sleep(10);
  EXPECT_FALSE(::IsWindow(hWnd));
  EXPECT_TRUE(Stop(p));
  delete p;
}

namespace {

std::atomic<int> g_nLiveChurn{0};

class CChurnWnd : public CProbeWnd {
public:
  CChurnWnd() { ++g_nLiveChurn; }
  ~CChurnWnd() override { --g_nLiveChurn; }
  void PostNcDestroy() override { delete this; }
};

const int kChurnWindows = 24;

class CChurnThread : public CWinThread {
  DECLARE_DYNCREATE(CChurnThread)
public:
  CProbeWnd m_main;
  Event m_evReady;
  HANDLE m_hGo = nullptr;  // all threads start churning together
  std::atomic<int> m_nBad{0};
  std::vector<HWND> m_made;

  BOOL InitInstance() override {
    ::WaitForSingleObject(m_hGo, INFINITE);
    if (!m_main.CreateEx(0, AfxRegisterWndClass(CS_HREDRAW), "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr))
      return FALSE;
    m_pMainWnd = &m_main;
    for (int i = 0; i < kChurnWindows; ++i) {
      CChurnWnd* pWnd = new CChurnWnd;
      LPCTSTR lpszClass = (i % 3 == 0) ? nullptr : AfxRegisterWndClass(i % 2 ? CS_VREDRAW : CS_DBLCLKS);
      if (!pWnd->CreateEx(0, lpszClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr)) {
        ++m_nBad;
        continue;
      }
      HWND hWnd = pWnd->m_hWnd;
      m_made.push_back(hWnd);
      if (!pWnd->m_bBoundInCreate || CWnd::FromHandlePermanent(hWnd) != pWnd ||
          ::SendMessageA(hWnd, UWM_WHO, 0, 0) != (LRESULT)pWnd)
        ++m_nBad;
      if (i % 4 != 0)
        pWnd->DestroyWindow();  // the rest are left for the thread's end
      ::Sleep(0);
    }
    m_evReady.Set();
    return TRUE;
  }
};

IMPLEMENT_DYNCREATE(CChurnThread, CWinThread)

}  // namespace

TEST(UiThread, SixteenThreadsCreateAndDestroyWindowsAtOnce) {
  const int kThreads = 16;
  Event evGo;
  std::vector<CChurnThread*> threads;
  for (int i = 0; i < kThreads; ++i) {
    CWinThread* p = AfxBeginThread(RUNTIME_CLASS(CChurnThread), THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(nullptr, p);
    p->m_bAutoDelete = FALSE;
    static_cast<CChurnThread*>(p)->m_hGo = evGo;
    threads.push_back(static_cast<CChurnThread*>(p));
  }
  for (CChurnThread* p : threads)
    p->ResumeThread();
  evGo.Set();
  // While they churn, ask each main window who it is, from this thread.
  int nAsked = 0;
  for (int round = 0; round < 200 && nAsked < kThreads * 5; ++round) {
    for (CChurnThread* p : threads) {
      HWND hMain = p->m_main.m_hWnd;
      if (hMain == nullptr)
        continue;
      DWORD_PTR result = 0;
      if (::SendMessageTimeoutA(hMain, UWM_WHO, 0, 0, SMTO_BLOCK, 5000, &result)) {
        EXPECT_EQ((DWORD_PTR)&p->m_main, result);
        ++nAsked;
      }
    }
    ::Sleep(5);
  }
  for (CChurnThread* p : threads)
    ASSERT_TRUE(Signalled(p->m_evReady, 30000));
  std::vector<HANDLE> handles;
  for (CChurnThread* p : threads) {
    EXPECT_EQ(0, p->m_nBad.load());
    EXPECT_EQ((size_t)kChurnWindows, p->m_made.size());
    EXPECT_EQ(&p->m_main, CWnd::FromHandlePermanent(p->m_main.m_hWnd));
    p->PostThreadMessage(WM_QUIT, 0, 0);
    handles.push_back(p->m_hThread);
  }
  ASSERT_EQ(WAIT_OBJECT_0, ::WaitForMultipleObjects((DWORD)handles.size(), handles.data(), TRUE, 30000));
  EXPECT_EQ(0, g_nLiveChurn.load());  // every self-deleting window deleted itself
  for (CChurnThread* p : threads) {
    for (HWND hWnd : p->m_made) {
      EXPECT_FALSE(::IsWindow(hWnd));
      EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hWnd));
    }
    EXPECT_EQ(nullptr, p->m_main.m_hWnd);
    delete p;
  }
}

namespace {

UINT __cdecl AddProc(LPVOID pParam) {
  auto* pValues = static_cast<std::atomic<int>*>(pParam);
  pValues[1] = (int)(AfxGetThread() != nullptr);
  return (UINT)pValues[0].load() + 1;
}

Event* g_pAutoDeleted = nullptr;

class CAutoThread : public CWinThread {
  DECLARE_DYNCREATE(CAutoThread)
public:
  ~CAutoThread() override {
    if (g_pAutoDeleted)
      g_pAutoDeleted->Set();
  }
  BOOL InitInstance() override { return FALSE; }  // nothing to run: ends at once
};

IMPLEMENT_DYNCREATE(CAutoThread, CWinThread)

}  // namespace

TEST(ProcThread, ProcedureThreadsAndAutoDelete) {
  std::atomic<int> values[2];
  values[0] = 41;
  values[1] = 0;
  CWinThread* p = AfxBeginThread(AddProc, values, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
  ASSERT_NE(nullptr, p);
  p->m_bAutoDelete = FALSE;
  p->ResumeThread();
  ASSERT_TRUE(Signalled(p->m_hThread));
  DWORD dwCode = 0;
  ::GetExitCodeThread(p->m_hThread, &dwCode);
  EXPECT_EQ(42u, dwCode);
  EXPECT_EQ(1, values[1].load());  // the thread knew its own object
  delete p;

  Event evDeleted;
  g_pAutoDeleted = &evDeleted;
  EXPECT_NE(nullptr, AfxBeginThread(RUNTIME_CLASS(CAutoThread)));
  EXPECT_TRUE(Signalled(evDeleted));  // deleted itself at its end
  g_pAutoDeleted = nullptr;

  // A class that is not a thread is refused.
  EXPECT_EQ(nullptr, AfxBeginThread(RUNTIME_CLASS(CWnd)));
}
