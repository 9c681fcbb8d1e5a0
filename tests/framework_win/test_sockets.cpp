// Winsock asynchronous select onto a framework window on a worker thread: the
// socket events arrive as the window's own message, through ON_MESSAGE.
#include "fwtest.h"

#include <atomic>
#include <string>

using fwtest::Event;
using fwtest::Signalled;

namespace {

const UINT UWM_SOCK = WM_USER + 400;

class CSockWnd : public CWnd {
public:
  SOCKET m_sListen = INVALID_SOCKET;
  SOCKET m_sAccepted = INVALID_SOCKET;
  SOCKET m_sRefused = INVALID_SOCKET;
  std::atomic<int> m_nEventsListen{0}, m_nEventsAccepted{0};
  std::atomic<int> m_nConnectError{0};
  std::atomic<int> m_nEventErrors{0};
  std::string m_strData;
  Event m_evClosed, m_evConnectDone;

  ~CSockWnd() override {
    for (SOCKET s : {m_sListen, m_sAccepted, m_sRefused})
      if (s != INVALID_SOCKET)
        closesocket(s);
  }

protected:
  afx_msg LRESULT OnSock(WPARAM wParam, LPARAM lParam) {
    SOCKET s = (SOCKET)wParam;
    int nEvent = WSAGETSELECTEVENT(lParam);
    int nError = WSAGETSELECTERROR(lParam);
    if (s == m_sRefused && nEvent == FD_CONNECT) {
      m_nConnectError = nError;
      m_evConnectDone.Set();
      return 0;
    }
    if (nError != 0)
      ++m_nEventErrors;
    if (s == m_sListen) {
      m_nEventsListen |= nEvent;
      if (nEvent == FD_ACCEPT) {
        m_sAccepted = accept(m_sListen, nullptr, nullptr);
        WSAAsyncSelect(m_sAccepted, m_hWnd, UWM_SOCK, FD_READ | FD_CLOSE);
      }
    } else if (s == m_sAccepted) {
      m_nEventsAccepted |= nEvent;
      char buf[16];
      if (nEvent == FD_READ) {
        int n = recv(s, buf, sizeof buf, 0);
        if (n > 0)
          m_strData.append(buf, (size_t)n);
      } else if (nEvent == FD_CLOSE) {
        int n;
        while ((n = recv(s, buf, sizeof buf, 0)) > 0)
          m_strData.append(buf, (size_t)n);
        m_evClosed.Set();
      }
    }
    return 0;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CSockWnd, CWnd)
  ON_MESSAGE(UWM_SOCK, OnSock)
END_MESSAGE_MAP()

sockaddr_in Loopback(USHORT nPort) {
  sockaddr_in sa = {};
  sa.sin_family = AF_INET;
  sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  sa.sin_port = htons(nPort);
  return sa;
}

USHORT PortOf(SOCKET s) {
  sockaddr_in sa = {};
  int n = sizeof sa;
  getsockname(s, (sockaddr*)&sa, &n);
  return ntohs(sa.sin_port);
}

class CSockThread : public CWinThread {
  DECLARE_DYNCREATE(CSockThread)
public:
  CSockWnd m_wnd;
  Event m_evReady;
  std::atomic<USHORT> m_nPort{0};
  std::atomic<bool> m_bOk{false};

  BOOL InitInstance() override {
    m_evReady.Set();  // on every path, so the test never waits in vain
    if (!m_wnd.CreateEx(0, nullptr, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr))
      return FALSE;
    m_pMainWnd = &m_wnd;
    // A listener for the client, and a connect to a port nobody listens on.
    SOCKET sListen = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in sa = Loopback(0);
    if (bind(sListen, (sockaddr*)&sa, sizeof sa) != 0 || listen(sListen, 4) != 0)
      return TRUE;
    m_wnd.m_sListen = sListen;
    WSAAsyncSelect(sListen, m_wnd.m_hWnd, UWM_SOCK, FD_ACCEPT);

    SOCKET sProbe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sa = Loopback(0);
    bind(sProbe, (sockaddr*)&sa, sizeof sa);
    USHORT nDeadPort = PortOf(sProbe);
    closesocket(sProbe);
    m_wnd.m_sRefused = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    WSAAsyncSelect(m_wnd.m_sRefused, m_wnd.m_hWnd, UWM_SOCK, FD_CONNECT);
    sa = Loopback(nDeadPort);
    if (connect(m_wnd.m_sRefused, (sockaddr*)&sa, sizeof sa) == 0 || WSAGetLastError() != WSAEWOULDBLOCK)
      m_wnd.m_evConnectDone.Set();  // refused at once: nothing will be posted
    m_nPort = PortOf(sListen);
    m_bOk = true;
    return TRUE;
  }
};

IMPLEMENT_DYNCREATE(CSockThread, CWinThread)

}  // namespace

TEST(AsyncSelect, SocketEventsReachOnMessageWithEventAndError) {
  WSADATA wsa;
  ASSERT_EQ(0, WSAStartup(MAKEWORD(2, 2), &wsa));
  CWinThread* pBase = AfxBeginThread(RUNTIME_CLASS(CSockThread), THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
  ASSERT_NE(nullptr, pBase);
  CSockThread* p = static_cast<CSockThread*>(pBase);
  p->m_bAutoDelete = FALSE;
  p->ResumeThread();
  ASSERT_TRUE(Signalled(p->m_evReady));
  for (int i = 0; i < 3000 && !p->m_bOk && ::WaitForSingleObject(p->m_hThread, 0) == WAIT_TIMEOUT; ++i)
    ::Sleep(10);
  ASSERT_TRUE(p->m_bOk);

  SOCKET sClient = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in sa = Loopback(p->m_nPort);
  ASSERT_EQ(0, connect(sClient, (sockaddr*)&sa, sizeof sa));
  const char kText[] = "hello through the window";
  ASSERT_EQ((int)sizeof kText - 1, send(sClient, kText, sizeof kText - 1, 0));
  shutdown(sClient, SD_SEND);
  EXPECT_TRUE(Signalled(p->m_wnd.m_evClosed));
  closesocket(sClient);

  EXPECT_TRUE(Signalled(p->m_wnd.m_evConnectDone));
  p->PostThreadMessage(WM_QUIT, 0, 0);
  ASSERT_TRUE(Signalled(p->m_hThread));

  EXPECT_EQ(FD_ACCEPT, p->m_wnd.m_nEventsListen.load());
  EXPECT_EQ(FD_READ | FD_CLOSE, p->m_wnd.m_nEventsAccepted.load() & (FD_READ | FD_CLOSE));
  EXPECT_EQ(kText, p->m_wnd.m_strData);
  EXPECT_EQ(0, p->m_wnd.m_nEventErrors.load());  // the graceful close carries no error
  EXPECT_EQ(WSAECONNREFUSED, p->m_wnd.m_nConnectError.load());
  delete p;
  WSACleanup();
}
