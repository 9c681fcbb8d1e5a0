#include "engine/netfunc.h"

#include "engine/ftpsocketwnd.h"
#include "engine/netsession.h"

IMPLEMENT_DYNAMIC(CNetFunc, CWinThread)

CNetFunc::CNetFunc(NetSession* pSession)
    : m_pSession(pSession), m_pSocketWnd(new CFtpSocketWnd(pSession))
{
  m_bAutoDelete = FALSE;
}

CNetFunc::~CNetFunc()
{
  // The window went with the thread (ExitInstance); what is left is memory.
  delete m_pSocketWnd;
}

BOOL CNetFunc::InitInstance()
{
  if (!m_pSocketWnd->CreateHidden()) {
    // No window, no connection: wake the client with the failure.
    if (m_pSession != nullptr) {
      m_pSession->m_alive = 0;
      if (m_pSession->m_hDoneEvent != nullptr)
        ::SetEvent(m_pSession->m_hDoneEvent);
    }
    return FALSE;
  }
  m_pMainWnd = m_pSocketWnd;
  return TRUE;
}

int CNetFunc::Run()
{
  for (;;) {
    if (!PumpMessage())
      return ExitInstance();
    // Nothing here outlives its message: temporary objects go at once rather
    // than at an idle time this loop never has.
    CWnd::DeleteTempMap();
  }
}

int CNetFunc::ExitInstance()
{
  m_pSocketWnd->Shutdown();
  m_pMainWnd = nullptr;
  return CWinThread::ExitInstance();
}

bool CNetFunc::Start()
{
  ::ResetEvent(m_pSession->m_hDoneEvent);
  if (!CreateThread(CREATE_SUSPENDED))
    return false;
  ResumeThread();
  return true;
}

bool CNetFunc::Stop()
{
  if (m_hThread == nullptr)
    return true;
  PostThreadMessage(WM_QUIT, 0, 0);
  return ::WaitForSingleObject(m_hThread, kNetFuncStopWaitMs) == WAIT_OBJECT_0;
}
