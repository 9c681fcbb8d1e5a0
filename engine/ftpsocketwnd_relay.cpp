// The relay of a site-to-site copy through this machine: the source
// connection's pump reads its data socket and sends what it reads on the
// target connection's data socket, which it borrows while it works.
#include "engine/ftpdatapath.h"
#include "engine/ftpsocketwnd.h"

#include "engine/connlog.h"
#include "engine/exitrequest.h"
#include "shell/settings/settings.h"

using namespace ftpdata;

// ---- relay through this machine ---------------------------------------------------

DWORD CFtpDataPath::RelayTimeoutMs(const CFtpSocketWnd* target)
{
  int32_t seconds = g_sendTimeout;
  if (target != nullptr && target->m_pSite != nullptr && target->m_pSite->m_uploadTimeout >= 11)
    seconds = target->m_pSite->m_uploadTimeout;
  if (seconds < 1)
    seconds = 1;
  if (seconds > 3600)
    seconds = 3600;
  return (DWORD)seconds * 1000;
}

bool CFtpDataPath::RelayMayGoOn(const CFtpSocketWnd& w, const CFtpSocketWnd& target)
{
  return g_exitRequested == 0 && (w.m_pSite == nullptr || w.m_pSite->m_queueRun == 1) &&
         (target.m_pSite == nullptr || target.m_pSite->m_queueRun == 1);
}

// The target side: its data socket is handed to the source's pump.
void CFtpDataPath::RelayTargetReady(CFtpSocketWnd& w)
{
  // A socket gets FD_WRITE from its connect and from the posted one of its
  // verb: only the first counts. A second one after a quick copy would raise
  // the event again and send the next copy's pump to a socket not yet there.
  if (w.m_relaySocket == w.m_dataSocket)
    return;
  // Deselected, it stays non-blocking: the pump waits on it in short slices.
  if (::WSAAsyncSelect(w.m_dataSocket, w.m_hWnd, 0, 0) != 0) {
    w.FailAndSignal();
    return;
  }
  w.m_relaySocket = w.m_dataSocket;
  ::SetEvent(w.m_hRelayReady);
}

namespace {
thread_local bool t_inRelay = false;
}  // namespace

bool CFtpDataPath::Relaying()
{
  return t_inRelay;
}

// Waits in short slices for the target to hand its data socket over, and holds
// it; INVALID_SOCKET when the copy stops or the limit passes first (*stalled).
SOCKET CFtpDataPath::TakeRelaySocket(CFtpSocketWnd& w, CFtpSocketWnd& target, DWORD limitMs, bool* stalled)
{
  const DWORD start = ::GetTickCount();
  while (RelayMayGoOn(w, target)) {
    const DWORD r = ::WaitForSingleObject(target.m_hRelayReady, kRelaySliceMs);
    if (r != WAIT_OBJECT_0 && r != WAIT_TIMEOUT)
      return INVALID_SOCKET;
    if (r == WAIT_OBJECT_0) {
      int32_t free = RELAY_FREE;
      // Held before the socket is read: from here the owner's close asks for it back.
      if (target.m_relayBusy.compare_exchange_strong(free, RELAY_HELD)) {
        const SOCKET s = target.m_relaySocket;
        if (s == INVALID_SOCKET)
          target.m_relayBusy = RELAY_FREE;  // released by the task, or closed meanwhile
        return s;
      }
      ::Sleep(kRelaySliceMs / 10);  // an earlier pump has not let go of its socket yet
    }
    if (::GetTickCount() - start >= limitMs) {
      *stalled = true;
      return INVALID_SOCKET;
    }
  }
  return INVALID_SOCKET;
}

// Everything the source server sends goes on to the target's data socket. No
// call waits longer than a slice, so the owner asking for its socket back is
// seen at once. True when the source closed its end (the only clean finish);
// *stalled when nothing moved within the limit.
bool CFtpDataPath::Pump(CFtpSocketWnd& w, CFtpSocketWnd& target, SOCKET src, SOCKET dst, DWORD limitMs, bool* stalled)
{
  auto goOn = [&]() { return RelayMayGoOn(w, target) && target.m_relayBusy.load() == RELAY_HELD; };
  DWORD moved = ::GetTickCount();
  while (goOn()) {
    const int n = ::recv(src, w.m_dataBuf, (int)kDataBufferSize, 0);
    if (n == 0)
      return true;
    if (n < 0) {
      if (!IsSoftError(::WSAGetLastError()))
        return false;
      if (::GetTickCount() - moved >= limitMs) {
        *stalled = true;
        return false;
      }
      WaitSocket(src, false, kRelaySliceMs);
      continue;
    }
    moved = ::GetTickCount();
    for (int sent = 0; sent < n;) {
      if (!goOn())
        return false;
      const int k = ::send(dst, w.m_dataBuf + sent, n - sent, 0);
      if (k > 0) {
        sent += k;
        moved = ::GetTickCount();
        continue;
      }
      if (k < 0 && IsSoftError(::WSAGetLastError())) {
        if (::GetTickCount() - moved >= limitMs) {
          *stalled = true;
          return false;
        }
        WaitSocket(dst, true, kRelaySliceMs);
        continue;
      }
      target.m_pSession->m_alive = 0;
      return false;
    }
    Count(w, VERB_RETM, (uint32_t)n);
    // The target writes its own summary and totals from this.
    target.m_bytesMoved += n;
  }
  return false;
}

// The last the pump does with the target's socket: while the target still
// owns it, it ends the copy on the target's own thread; when the target gave
// up waiting, the pump closes it.
void CFtpDataPath::LetGoOfRelaySocket(CFtpSocketWnd& target, SOCKET dst)
{
  if (target.m_relayBusy.load() != RELAY_ORPHANED)
    ::ResetEvent(target.m_hRelayReady);
  if (target.m_relayBusy.load() == RELAY_HELD) {
    ::WSAAsyncSelect(dst, target.m_hWnd, UWM_DATA_SOCKET, FD_CLOSE);
    // Posted while held, so it is in the target's queue before anything that
    // could give the handle to another socket.
    ::PostMessageA(target.m_hWnd, UWM_DATA_SOCKET, (WPARAM)dst, FD_CLOSE);
  }
  int32_t state = target.m_relayBusy.load();
  while (state != RELAY_ORPHANED && !target.m_relayBusy.compare_exchange_weak(state, RELAY_FREE)) {
  }
  if (state == RELAY_ORPHANED) {
    AbortiveClose(dst);
    target.m_relayBusy = RELAY_FREE;
  }
}

// The source side, on the source's thread: a stall, an error or a stop ends it
// with both connections not alive; only the source closing its end is a clean
// finish.
void CFtpDataPath::Relay(CFtpSocketWnd& w)
{
  struct InRelay {
    InRelay() { t_inRelay = true; }
    ~InRelay() { t_inRelay = false; }
  } inRelay;
  NetSession& session = *w.m_pSession;
  CFtpSocketWnd* target = session.m_pPartner != &w ? session.m_pPartner : nullptr;
  const SOCKET src = w.m_dataSocket;
  const DWORD limitMs = RelayTimeoutMs(target);
  ::WSAAsyncSelect(src, w.m_hWnd, 0, 0);  // and non-blocking it stays

  bool clean = false;
  bool stalled = false;  // no byte (or no ready target) within the limit
  const SOCKET dst = target != nullptr ? TakeRelaySocket(w, *target, limitMs, &stalled) : INVALID_SOCKET;
  if (dst != INVALID_SOCKET)
    clean = Pump(w, *target, src, dst, limitMs, &stalled);

  if (!clean) {
    ConnLogPrintf("%s::Relay stalled, transfer aborted.\r\n", w.Host());
    session.m_relayStalled = stalled ? 1 : 0;
    session.m_alive = 0;
    if (target != nullptr && target->m_pSession != nullptr)
      target->m_pSession->m_alive = 0;
  }
  // The target's end of the copy (abortive when it failed).
  if (dst != INVALID_SOCKET) {
    LetGoOfRelaySocket(*target, dst);
  } else if (target != nullptr && target->m_hWnd != nullptr) {
    // Never handed over: whatever data socket the target has ends its STOR.
    const SOCKET targetSocket = target->m_dataSocket;
    if (targetSocket != INVALID_SOCKET)
      ::SendMessageA(target->m_hWnd, UWM_DATA_SOCKET, (WPARAM)targetSocket, FD_CLOSE);
  }
  if (clean) {
    w.SendMessage(UWM_DATA_SOCKET, (WPARAM)src, FD_CLOSE);
  } else {
    // A stalled source server may never answer: the client wakes now, the
    // connection counts as lost.
    w.PushWindowSide(VERB_ABOR, "");
    w.FailAndSignal();
  }
}

// The owner's close of a socket handed to a pump: asks for it back and waits
// (bounded) for the pump to let go. False when the pump still holds it and is
// left to close it.
bool CFtpDataPath::TakeBackFromRelay(CFtpSocketWnd& w)
{
  int32_t held = RELAY_HELD;
  if (!w.m_relayBusy.compare_exchange_strong(held, RELAY_STOP))
    return true;
  const DWORD start = ::GetTickCount();
  while (w.m_relayBusy.load() == RELAY_STOP && ::GetTickCount() - start < kRelayBusyWaitMs)
    ::Sleep(5);
  int32_t stop = RELAY_STOP;
  return !w.m_relayBusy.compare_exchange_strong(stop, RELAY_ORPHANED);
}
