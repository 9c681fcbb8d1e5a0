// Threads with message loops (CWinThread), procedure threads, and the
// application object that runs the GUI thread (CWinApp).
//
// A thread object's thread is made by CreateThread. Before CreateThread returns
// the new thread owns a message queue, so a message posted to it right away
// (WM_QUIT included) is never lost, even while the thread is still suspended.
// A user-interface thread runs InitInstance, then (on TRUE) Run, its message
// loop, until WM_QUIT; ExitInstance then runs on that same thread and its value is
// the thread's exit code. Windows the thread still owns at its end are destroyed
// there (so their objects are unbound and PostNcDestroy runs). With m_bAutoDelete
// the object deletes itself as the thread ends; otherwise the creator waits on
// m_hThread and deletes it.
#pragma once

#include "framework/fwtypes.h"
#include "framework/object.h"
#include "framework/cmdtarget.h"
#include "framework/wnd.h"

typedef UINT(__cdecl* AFX_THREADPROC)(LPVOID);

class CWinThread : public CCmdTarget {
  DECLARE_DYNAMIC(CWinThread)
public:
  CWinThread();
  CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam);
  ~CWinThread() override;  // closes m_hThread

  // CREATE_SUSPENDED in dwCreateFlags leaves the thread suspended (ResumeThread
  // starts it); FALSE when no thread could be made.
  BOOL CreateThread(DWORD dwCreateFlags = 0, UINT nStackSize = 0, LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);
  DWORD ResumeThread();
  DWORD SuspendThread();
  int GetThreadPriority();
  BOOL SetThreadPriority(int nPriority);
  BOOL PostThreadMessage(UINT message, WPARAM wParam, LPARAM lParam);
  operator HANDLE() const { return m_hThread; }

  virtual BOOL InitInstance();     // TRUE: run the message loop
  virtual int Run();               // the message loop; returns ExitInstance()
  virtual int ExitInstance();      // on the thread; default: the WM_QUIT's exit code
  virtual BOOL PreTranslateMessage(MSG* pMsg);
  virtual BOOL PumpMessage();      // FALSE on WM_QUIT
  virtual BOOL OnIdle(LONG lCount);  // TRUE: call again before waiting
  virtual BOOL IsIdleMessage(MSG* pMsg);
  virtual void Delete();           // deletes the object when m_bAutoDelete
  virtual CWnd* GetMainWnd() { return m_pMainWnd; }

  HANDLE m_hThread = nullptr;
  DWORD m_nThreadID = 0;
  BOOL m_bAutoDelete = TRUE;
  CWnd* m_pMainWnd = nullptr;
  MSG m_msgCur = {};
  AFX_THREADPROC m_pfnThreadProc = nullptr;
  LPVOID m_pThreadParams = nullptr;

  // Runs the thread's life on the calling thread (used by thread start-up).
  static unsigned __stdcall ThreadEntry(void* pStartup);

protected:
  // Messages posted to the thread itself (no window) go through this map.
  BOOL DispatchThreadMessage(MSG* pMsg);
  DECLARE_MESSAGE_MAP()
};

// A user-interface thread of a class with DECLARE_DYNCREATE. Unless
// CREATE_SUSPENDED is given the thread runs at once.
CWinThread* AfxBeginThread(CRuntimeClass* pThreadClass, int nPriority = THREAD_PRIORITY_NORMAL,
                           UINT nStackSize = 0, DWORD dwCreateFlags = 0,
                           LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);
// A procedure thread: pfnThreadProc(pParam) is the whole thread; its value is the exit code.
CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority = THREAD_PRIORITY_NORMAL,
                           UINT nStackSize = 0, DWORD dwCreateFlags = 0,
                           LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);

class CWinApp : public CWinThread {
  DECLARE_DYNAMIC(CWinApp)
public:
  explicit CWinApp(LPCTSTR lpszAppName = nullptr);
  ~CWinApp() override;

  BOOL InitInstance() override;
  int Run() override;  // with no main window there is nothing to run: ends at once
  int ExitInstance() override;

  HINSTANCE m_hInstance = nullptr;
  HINSTANCE m_hPrevInstance = nullptr;
  LPTSTR m_lpCmdLine = nullptr;
  int m_nCmdShow = SW_SHOWNORMAL;
  LPCTSTR m_pszAppName = nullptr;  // the name given, else the program's file title

private:
  CString m_strAppName;
  friend int AfxWinMain(HINSTANCE, HINSTANCE, LPTSTR, int);
};

// The calling thread's thread object (the application on the GUI thread), or null.
CWinThread* AfxGetThread();
// This module's application object; null in a library without one.
CWinApp* AfxGetApp();
// The calling thread's main window, else the application's.
CWnd* AfxGetMainWnd();
void AfxPostQuitMessage(int nExitCode);
// The GUI program's life: call it from WinMain with WinMain's arguments.
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPTSTR lpCmdLine, int nCmdShow);
