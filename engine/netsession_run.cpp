// The client side of one operation on a connection: every caller starts,
// waits for and gives up its command sequences the same way.
#include "engine/netsession.h"

#include "engine/ftpsocketwnd.h"

void NetSession::BeginOperation(bool zeroProgress)
{
  m_queue.Clear();
  m_alive = 1;
  if (zeroProgress)
    m_progress = 0;
  ::ResetEvent(m_hDoneEvent);
}

int NetSession::PushDataConnection(const CSiteItem* site)
{
  if (site != nullptr && site->UsesPassiveMode())
    return PushCommand(VERB_PASV, "PASV");
  return PushCommand(VERB_PORT, "");
}

HWND NetSession::WindowHandle() const
{
  return m_pWnd != nullptr ? m_pWnd->GetSafeHwnd() : nullptr;
}

HWND NetSession::PostCommands()
{
  const HWND hWnd = WindowHandle();
  if (hWnd != nullptr)
    ::PostMessageA(hWnd, UWM_NET_COMMAND, 0, 0);
  return hWnd;
}

NetSession::WaitEnd NetSession::WaitForEnd(uint32_t sliceMs, uint32_t idleMs, const std::function<bool()>& keepOn,
                                           const std::function<bool()>& moved)
{
  DWORD start = ::GetTickCount();
  while (!keepOn || keepOn()) {
    DWORD slice = sliceMs;
    if (idleMs != 0) {
      const DWORD spent = ::GetTickCount() - start;
      if (spent >= idleMs)
        return WAIT_IDLE;
      if (!moved && idleMs - spent < slice)
        slice = idleMs - spent;
    }
    if (::WaitForSingleObject(m_hDoneEvent, slice) != WAIT_TIMEOUT)
      return WAIT_DONE;
    if (moved && moved())
      start = ::GetTickCount();
    else if (idleMs != 0 && ::GetTickCount() - start >= idleMs)
      return WAIT_IDLE;
  }
  return WAIT_ENDED;
}

void NetSession::GiveUp()
{
  m_queue.Clear();
  m_alive = 0;
  const HWND hWnd = WindowHandle();
  if (hWnd != nullptr)
    ::PostMessageA(hWnd, UWM_NET_SEND, VERB_QUIT, 0);
}

void NetSession::Abort(bool send)
{
  const HWND hWnd = WindowHandle();
  if (hWnd == nullptr)
    return;
  if (send)
    ::SendMessageA(hWnd, UWM_NET_SEND, VERB_ABOR, 0);
  else
    ::PostMessageA(hWnd, UWM_NET_SEND, VERB_ABOR, 0);
}
