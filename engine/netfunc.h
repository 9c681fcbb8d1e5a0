// CNetFunc: the thread of one FTP connection. Its InitInstance makes the
// connection's hidden window (CFtpSocketWnd) on the new thread, which then runs
// the message loop that carries the window's socket events.
//
// The client makes it for a NetSession whose site and keeper flag are set,
// creates the thread suspended (auto-delete is off), resumes it and waits on
// the session's command-finished event. To stop it: Stop() (WM_QUIT to the
// thread and a wait on its handle), then delete it, then free the session.
// The thread's ExitInstance says QUIT to the server and closes the window on
// the thread that owns it; the destructor only frees.
#pragma once

#include "framework/afxwin.h"

class CFtpSocketWnd;
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

  // Client side: resets the command-finished event and runs the thread; false
  // when the thread could not be made (the caller still owns this object).
  bool Start();
  // Client side: posts WM_QUIT to the thread and waits until it has ended.
  void Stop();

  NetSession* m_pSession;
  CFtpSocketWnd* m_pSocketWnd;
};
