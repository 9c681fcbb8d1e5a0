// The data side's loops, shared by the files of the connection window's data
// side (its own transfers, and the relay of a site-to-site copy through this
// machine). Internal to the engine.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <cstdint>

class CFtpSocketWnd;

namespace ftpdata {

// How long a data socket's close waits for a partner's relay pump to let go;
// the pump looks at its stop every kRelaySliceMs, so this is a safety bound.
constexpr DWORD kRelayBusyWaitMs = 5000;
constexpr DWORD kRelaySliceMs = 100;

// CFtpSocketWnd::m_relayBusy of a relay target.
enum RelayHold : int32_t {
  RELAY_FREE = 0,
  RELAY_HELD = 1,      // the pump sends on the socket
  RELAY_STOP = 2,      // the owner wants it back and waits for the pump to let go
  RELAY_ORPHANED = 3,  // the owner stopped waiting: the pump closes it when it lets go
};

inline bool IsSoftError(int error)
{
  return error == WSAEWOULDBLOCK || error == WSA_IO_PENDING;
}

// Waits at most ms for the socket to be readable (or writable).
inline void WaitSocket(SOCKET s, bool forWrite, DWORD ms)
{
  fd_set ready, failed;
  FD_ZERO(&ready);
  FD_ZERO(&failed);
  FD_SET(s, &ready);
  FD_SET(s, &failed);
  timeval tv = {(long)(ms / 1000), (long)((ms % 1000) * 1000)};
  ::select(0, forWrite ? nullptr : &ready, forWrite ? &ready : nullptr, &failed, &tv);
}

inline void AbortiveClose(SOCKET s)
{
  LINGER abortive;
  abortive.l_onoff = 1;
  abortive.l_linger = 0;
  ::setsockopt(s, SOL_SOCKET, SO_LINGER, (const char*)&abortive, sizeof(abortive));
  ::closesocket(s);
}

}  // namespace ftpdata

// The loops, as friends of the window.
class CFtpDataPath {
public:
  enum RecvOutcome { RECV_FULL, RECV_BLOCKED, RECV_CLOSED, RECV_FAILED };

  static void SetUp(CFtpSocketWnd& w);
  static BOOL Connect(CFtpSocketWnd& w, const char* host, int port);
  static void OnAccept(CFtpSocketWnd& w, int error);
  static void OnConnect(CFtpSocketWnd& w, int error);

  static void Count(CFtpSocketWnd& w, int verb, uint32_t count);
  static RecvOutcome FillBuffer(CFtpSocketWnd& w, SOCKET s, int verb);
  static bool FlushToFile(CFtpSocketWnd& w, bool mayAbort);
  static bool AppendListing(CFtpSocketWnd& w);
  static void DropListing(CFtpSocketWnd& w);
  static void ReceiveIntoFile(CFtpSocketWnd& w, int verb);
  static void ReceiveIntoListing(CFtpSocketWnd& w);
  static void SendFromFile(CFtpSocketWnd& w, int verb);
  static void Drain(CFtpSocketWnd& w, SOCKET s, int verb);

  static DWORD RelayTimeoutMs(const CFtpSocketWnd* target);
  static bool RelayMayGoOn(const CFtpSocketWnd& w, const CFtpSocketWnd& target);
  static void Relay(CFtpSocketWnd& w);
  static SOCKET TakeRelaySocket(CFtpSocketWnd& w, CFtpSocketWnd& target, DWORD limitMs, bool* stalled);
  static bool Pump(CFtpSocketWnd& w, CFtpSocketWnd& target, SOCKET src, SOCKET dst, DWORD limitMs, bool* stalled);
  static void LetGoOfRelaySocket(CFtpSocketWnd& target, SOCKET dst);
  static void RelayTargetReady(CFtpSocketWnd& w);
  static bool TakeBackFromRelay(CFtpSocketWnd& w);
  // True on a connection thread while its pump runs: the close the pump sends
  // itself must not start the pump again.
  static bool Relaying();
};
