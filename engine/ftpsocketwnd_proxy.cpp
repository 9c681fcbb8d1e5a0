// The connection window's proxy exchanges. FTP proxies (types 11 and 12) only
// change the login's USER command. The SOCKS and HTTP CONNECT exchanges are not
// there yet: a connection through them fails at once, with its log line.
#include "engine/ftpsocketwnd.h"

#include <cstdio>

#include "engine/connlog.h"
#include "engine/siteitem.h"

void CFtpSocketWnd::SendProxyGreeting(SOCKET s)
{
  (void)s;
  ConnLogPrintf("%s::Connection failed through proxy. \r\n", Host());
  CloseControlConnection();
}

void CFtpSocketWnd::OnProxyReply(const char* data, size_t size)
{
  m_proxyState = PROXY_IDLE;
  ProcessReplyBytes(data, size);
}

void CFtpSocketWnd::SendHttpConnect(SOCKET s)
{
  (void)s;
  ConnLogPrintf("%s::Connection failed.\r\n", Host());
  CloseControlConnection();
}

BOOL CFtpSocketWnd::FormatProxyUser(char* out, size_t size) const
{
  if (m_pSite == nullptr || (m_proxyType != 11 && m_proxyType != 12))
    return FALSE;
  const bool anonymous = m_pSite->SiteOptionDigits[1] == '1';
  int n;
  if (m_proxyType == 11)
    n = snprintf(out, size, "%s@%s:%d %s", anonymous ? "anonymous" : m_pSite->m_user, m_pSite->m_host,
                 (int)m_pSite->m_port, m_proxyUser);
  else
    n = snprintf(out, size, "%s@%s:%d", m_proxyUser, m_pSite->m_host, (int)m_pSite->m_port);
  // The fields are far shorter than an argument; a cut one would name another user.
  return n > 0 && (size_t)n < size;
}
