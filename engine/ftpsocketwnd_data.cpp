// The connection window's data side: active and passive data connections, the
// transfer loops and the transfer summary. Until they exist, no data connection
// can be opened: PORT and a passive transfer fail cleanly and the client wakes.
#include "engine/ftpsocketwnd.h"

#include "engine/connlog.h"

BOOL CFtpSocketWnd::MakePortCommand(char* out, size_t size)
{
  if (size > 0)
    out[0] = '\0';
  ConnLogPrintf("%s::Create listening socket failed. \r\n", Host());
  return FALSE;
}

BOOL CFtpSocketWnd::OpenPassiveData(const char* reply)
{
  (void)reply;
  m_pSession->m_alive = 0;
  return FALSE;
}

void CFtpSocketWnd::CloseDataSocket()
{
  if (m_dataSocket == INVALID_SOCKET)
    return;
  ::WSAAsyncSelect(m_dataSocket, m_hWnd, 0, 0);
  ::closesocket(m_dataSocket);
  m_dataSocket = INVALID_SOCKET;
  m_bytesMoved = 0;
}

LRESULT CFtpSocketWnd::OnDataSocket(WPARAM wParam, LPARAM lParam)
{
  (void)wParam;
  (void)lParam;
  return 0;
}
