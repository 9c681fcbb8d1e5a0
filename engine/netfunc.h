// CNetFunc: the thread of one FTP connection. Its InitInstance makes the
// connection's hidden window (CFtpSocketWnd) on the new thread, which then runs
// the message loop that carries the window's socket events.
//
// The client makes it for a NetSession whose site and keeper flag are set,
// creates the thread suspended (auto-delete is off), resumes it and waits on
// the session's command-finished event. To stop it: Stop() (WM_QUIT to the
// thread and a bounded wait on its handle), then, when it ended, delete it and
// free the session. A thread that did not end still uses both: they are left.
// The thread's ExitInstance says QUIT to the server and closes the window on
// the thread that owns it; the destructor only frees.
#pragma once

#include "framework/afxwin.h"

class CFtpSocketWnd;

// The longest a connection thread takes to end once told: its QUIT exchange
// and the capped drain of the control connection take a few seconds at most.
constexpr DWORD kNetFuncStopWaitMs = 15000;
struct NetSession;

class CNetFunc : public CWinThread {
  DECLARE_DYNAMIC(CNetFunc)
public:
  // Prepares the session (see CFtpSocketWnd's constructor), on the caller's thread.
  explicit CNetFunc(NetSession* pSession);
  ~CNetFunc() override;
  CNetFunc(const CNetFunc&) = delete;
  CNetFunc& operator=(const CNetFunc&) = delete;

  BOOL InitInstance() override;
  int ExitInstance() override;
  // The loop of a window nobody sees: no idle work, so no look at the queue
  // between messages (each look is a round trip to the Wine server).
  int Run() override;

  // Client side: resets the command-finished event and runs the thread; false
  // when the thread could not be made (the caller still owns this object).
  bool Start();
  // Client side: posts WM_QUIT to the thread and waits until it has ended, at
  // most kNetFuncStopWaitMs; false when it still runs.
  bool Stop();

  NetSession* m_pSession;
  CFtpSocketWnd* m_pSocketWnd;
};
