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

bool NetSession::WaitForLogin(uint32_t sliceMs, uint32_t limitMs, const std::function<bool()>& keepOn)
{
  WaitForEnd(sliceMs, limitMs, keepOn);
  return m_loggedIn.load() != 0 && m_alive.load() != 0;
}

HWND NetSession::PostVerb(int verb)
{
  const HWND hWnd = WindowHandle();
  if (hWnd != nullptr)
    ::PostMessageA(hWnd, UWM_NET_SEND, (WPARAM)verb, 0);
  return hWnd;
}

void NetSession::GiveUp()
{
  m_queue.Clear();
  m_alive = 0;
  // Closed before the caller goes on (bounded: a window that does not answer
  // still closes when it takes the message): a connection handed back to its
  // keeper while the close is on the way would be lent again at once.
  const HWND hWnd = WindowHandle();
  DWORD_PTR result = 0;
  if (hWnd != nullptr)
    ::SendMessageTimeoutA(hWnd, UWM_NET_SEND, (WPARAM)VERB_QUIT, 0, SMTO_NORMAL, kGiveUpCloseWaitMs, &result);
}

bool NetSession::Abort(bool send, bool afterSilence)
{
  const HWND hWnd = WindowHandle();
  if (hWnd == nullptr)
    return false;
  m_abortAfterSilence = afterSilence ? 1 : 0;
  // A closed connection set the event when it closed, and answers nothing.
  const bool answers = m_pWnd->GetControlSocket() != INVALID_SOCKET;
  if (answers)
    ::ResetEvent(m_hDoneEvent);
  if (send)
    ::SendMessageA(hWnd, UWM_NET_SEND, VERB_ABOR, 0);
  else
    ::PostMessageA(hWnd, UWM_NET_SEND, VERB_ABOR, 0);
  return answers;
}

NetSession::WaitEnd NetSession::AbortAndWait(bool send, uint32_t sliceMs, uint32_t limitMs,
                                             const std::function<bool()>& keepOn, bool afterSilence)
{
  if (!Abort(send, afterSilence))
    return WAIT_DONE;
  if (afterSilence) {
    const uint32_t bound = SilentAbortReplyMs(limitMs) + kSilentAbortMarginMs;
    if (limitMs == 0 || bound < limitMs)
      limitMs = bound;
  }
  const WaitEnd end = WaitForEnd(sliceMs, limitMs, keepOn);
  if (end == WAIT_IDLE)
    GiveUp();
  return end;
}
