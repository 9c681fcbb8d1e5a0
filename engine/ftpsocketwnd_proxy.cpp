// The connection window's proxy exchanges: SOCKS4/4A, SOCKS5 and HTTP CONNECT
// on the control socket and on passive data sockets, one CProxyNegotiator per
// socket, and the USER form of the FTP proxies (types 11 and 12).
//
// Every answer is read whole before anything goes on: a refusal (or a proxy
// that closes first) is logged, its socket closed, alive cleared and the
// command-finished event set, so nobody waits for a time-out; what follows a
// granted answer on the control socket (often the server's "220") goes on as
// replies, and the answer itself never does.
#include "engine/ftpsocketwnd.h"

#include <cstdio>
#include <cstring>
#include <mutex>

#include "engine/connlog.h"
#include "engine/siteitem.h"

namespace {

const char kProxyRefused[] = "%s::Connection failed through proxy. \r\n";

std::mutex g_resolverLock;
HostResolver g_resolver;

bool SystemResolve(const char* host, uint8_t addr[4])
{
  const hostent* he = ::gethostbyname(host);
  if (he == nullptr || he->h_addrtype != AF_INET || he->h_length != 4 || he->h_addr_list[0] == nullptr)
    return false;
  memcpy(addr, he->h_addr_list[0], 4);
  return true;
}

HostResolver CurrentResolver()
{
  std::lock_guard<std::mutex> lock(g_resolverLock);
  if (g_resolver)
    return g_resolver;
  return HostResolver(&SystemResolve);
}

}  // namespace

void SetProxyHostResolver(const HostResolver& resolve)
{
  std::lock_guard<std::mutex> lock(g_resolverLock);
  g_resolver = resolve;
}

bool CFtpSocketWnd::DataThroughProxy() const
{
  return m_proxyType == PROXY_TYPE_SOCKS4 || m_proxyType == PROXY_TYPE_SOCKS5 || m_proxyType == PROXY_TYPE_HTTP;
}

// ---- one socket's exchange -------------------------------------------------

bool CFtpSocketWnd::BeginProxyExchange(bool data, const char* host, int port)
{
  CProxyNegotiator& n = data ? m_dataProxy : m_ctrlProxy;
  // Over-long credentials or a target no request can carry: refused here, never
  // cut into a one-byte length.
  if (!n.Begin(m_proxyType, host, port, m_proxyUser, m_proxyPassword, CurrentResolver())) {
    RefuseProxy(data);
    return false;
  }
  (data ? m_dataProxyOut : m_ctrlProxyOut) = n.Request();
  n.GreetingSent();
  if (!data)
    m_proxyState = n.State();
  return FlushProxyRequest(data);
}

bool CFtpSocketWnd::FlushProxyRequest(bool data)
{
  const SOCKET s = data ? m_dataSocket : m_ctrlSocket;
  std::string& out = data ? m_dataProxyOut : m_ctrlProxyOut;
  while (!out.empty()) {
    const int n = ::send(s, out.data(), (int)out.size(), 0);
    if (n == SOCKET_ERROR) {
      if (::WSAGetLastError() == WSAEWOULDBLOCK)
        return true;  // the rest at the next FD_WRITE
      ConnLogPrintf(m_proxyType == PROXY_TYPE_HTTP ? "%s::Connection failed.\r\n"
                                                   : "%s::Connection failed. Please check the network.\r\n",
                    Host());
      out.clear();
      if (data) {
        CloseDataConnection();
        FailAndSignal();
      } else {
        CloseControlConnection();
      }
      return false;
    }
    out.erase(0, (size_t)n);
  }
  return true;
}

void CFtpSocketWnd::RefuseProxy(bool data)
{
  ConnLogPrintf(kProxyRefused, Host());
  if (data) {
    // The transfer command still pending goes with the data connection.
    CloseDataConnection();
    FailAndSignal();
    return;
  }
  // Abortive, and without reading on: the rest of a refusal (an error page)
  // is no server reply.
  m_ctrlProxy.Reset();
  m_ctrlProxyOut.clear();
  m_proxyState = PROXY_IDLE;
  if (m_ctrlSocket != INVALID_SOCKET) {
    const SOCKET s = m_ctrlSocket;
    m_ctrlSocket = INVALID_SOCKET;
    LINGER abortive;
    abortive.l_onoff = 1;
    abortive.l_linger = 0;
    ::WSAAsyncSelect(s, m_hWnd, 0, 0);
    ::setsockopt(s, SOL_SOCKET, SO_LINGER, (const char*)&abortive, sizeof(abortive));
    ::closesocket(s);
  }
  CloseControlConnection();  // flags, data connection, alive 0, event
}

void CFtpSocketWnd::FeedProxy(bool data, const char* bytes, size_t size)
{
  CProxyNegotiator& n = data ? m_dataProxy : m_ctrlProxy;
  const CProxyNegotiator::Step step = n.Feed(bytes, size);
  if (!data)
    m_proxyState = n.State();
  switch (step) {
    case CProxyNegotiator::STEP_MORE:
      break;
    case CProxyNegotiator::STEP_SEND:
      (data ? m_dataProxyOut : m_ctrlProxyOut) = n.Request();
      FlushProxyRequest(data);
      break;
    case CProxyNegotiator::STEP_REFUSED:
      RefuseProxy(data);
      break;
    case CProxyNegotiator::STEP_DONE: {
      const std::string rest = n.Leftover();
      if (!data) {
        // The server speaks from here on.
        if (!rest.empty())
          ProcessReplyBytes(rest.data(), rest.size());
        if (m_ctrlSocket != INVALID_SOCKET && m_pSession->m_current.m_verb == VERB_NONE &&
            m_pSession->m_queue.GetCount() > 0)
          RunSequencer();
        break;
      }
      // Nothing has been asked of the server yet, so bytes behind the answer
      // belong to no transfer: taking them would corrupt one.
      if (!rest.empty()) {
        RefuseProxy(true);
        break;
      }
      // The path stands: the transfer command goes now (an upload verb that
      // becomes current gets its FD_WRITE from the sequencer).
      m_pSession->m_replyText[0] = '\0';
      RunSequencer();
      break;
    }
  }
}

// ---- the control socket ------------------------------------------------------

void CFtpSocketWnd::SendProxyGreeting(SOCKET s)
{
  if (s != m_ctrlSocket || m_ctrlSocket == INVALID_SOCKET)
    return;
  if (!m_ctrlProxyOut.empty()) {
    FlushProxyRequest(false);
    return;
  }
  if (m_proxyState == PROXY_GREETING_DUE && !m_ctrlProxy.IsActive() &&
      (m_proxyType == PROXY_TYPE_SOCKS4 || m_proxyType == PROXY_TYPE_SOCKS5) && m_pSite != nullptr)
    BeginProxyExchange(false, m_pSite->m_host, (int)m_pSite->m_port);
}

void CFtpSocketWnd::SendHttpConnect(SOCKET s)
{
  if (s != m_ctrlSocket || m_ctrlSocket == INVALID_SOCKET || m_pSite == nullptr || m_ctrlProxy.IsActive())
    return;
  BeginProxyExchange(false, m_pSite->m_host, (int)m_pSite->m_port);
}

void CFtpSocketWnd::OnProxyReply(const char* data, size_t size)
{
  // A proxy that speaks before it was asked is no proxy of this type: the
  // negotiator refuses an answer nobody waits for.
  FeedProxy(false, data, size);
}

void CFtpSocketWnd::OnProxyClosed()
{
  // What the proxy said before it closed decides.
  char buf[kReplyReadSize];
  while (m_ctrlSocket != INVALID_SOCKET && m_ctrlProxy.IsActive()) {
    const int n = ::recv(m_ctrlSocket, buf, (int)sizeof(buf), 0);
    if (n <= 0)
      break;
    FeedProxy(false, buf, (size_t)n);
  }
  if (m_ctrlSocket == INVALID_SOCKET)
    return;  // refused, and closed with it
  if (m_proxyState != PROXY_IDLE)
    RefuseProxy(false);
  else
    CloseControlConnection();  // granted, then the server went away
}

// ---- the data socket ---------------------------------------------------------

LRESULT CFtpSocketWnd::OnDataSocketEvent(WPARAM wParam, LPARAM lParam)
{
  const SOCKET s = (SOCKET)wParam;
  if (s == INVALID_SOCKET || s != m_dataSocket)
    return OnDataSocket(wParam, lParam);
  const int event = WSAGETSELECTEVENT(lParam);
  const int error = WSAGETSELECTERROR(lParam);
  const bool exchanging = m_dataProxyArmed || m_dataProxy.IsActive();
  switch (event) {
    case FD_CONNECT:
      // Every new data socket connects first: its exchange starts afresh.
      m_dataProxy.Reset();
      m_dataProxyOut.clear();
      m_dataProxyArmed = error == 0 && DataThroughProxy();
      break;  // the data side sets the transfer up
    case FD_WRITE:
      if (m_dataProxyArmed) {
        // Once per socket: the request for the 227 address.
        m_dataProxyArmed = false;
        if (error != 0)
          RefuseProxy(true);
        else
          BeginProxyExchange(true, m_dataAddr, (int)m_dataPort);
        return 0;
      }
      if (m_dataProxy.IsActive()) {
        if (!m_dataProxyOut.empty())
          FlushProxyRequest(true);
        return 0;
      }
      break;
    case FD_READ:
      if (exchanging) {
        if (m_dataProxyArmed || error != 0) {
          m_dataProxyArmed = false;
          RefuseProxy(true);  // spoke before it was asked
          return 0;
        }
        char buf[kReplyReadSize];
        const int n = ::recv(s, buf, (int)sizeof(buf), 0);
        if (n > 0)
          FeedProxy(true, buf, (size_t)n);
        else if (n == SOCKET_ERROR && ::WSAGetLastError() != WSAEWOULDBLOCK)
          RefuseProxy(true);
        return 0;
      }
      break;
    case FD_CLOSE:
      if (exchanging) {
        m_dataProxyArmed = false;
        char buf[kReplyReadSize];
        while (m_dataSocket == s && m_dataProxy.IsActive()) {
          const int n = ::recv(s, buf, (int)sizeof(buf), 0);
          if (n <= 0)
            break;
          FeedProxy(true, buf, (size_t)n);
        }
        if (m_dataSocket != s)
          return 0;  // refused and closed
        if (m_dataProxy.IsActive()) {
          RefuseProxy(true);
          return 0;
        }
        // Granted just before the close: the data side ends the transfer.
      }
      break;
    default:
      break;
  }
  return OnDataSocket(wParam, lParam);
}

// ---- FTP proxies ---------------------------------------------------------------

BOOL CFtpSocketWnd::FormatProxyUser(char* out, size_t size) const
{
  if (size > 0)
    out[0] = '\0';
  if (m_pSite == nullptr || (m_proxyType != PROXY_TYPE_FTP_SITE && m_proxyType != PROXY_TYPE_FTP_PROXY))
    return FALSE;
  const bool anonymous = m_pSite->SiteOptionDigits[1] == '1';
  CString text;
  if (!FormatFtpProxyUser(m_proxyType, anonymous ? "anonymous" : m_pSite->m_user, m_pSite->m_host,
                          (int)m_pSite->m_port, m_proxyUser, text))
    return FALSE;
  // A cut argument would name another user.
  if ((size_t)text.GetLength() >= size)
    return FALSE;
  memcpy(out, (const char*)text, (size_t)text.GetLength() + 1);
  return TRUE;
}
