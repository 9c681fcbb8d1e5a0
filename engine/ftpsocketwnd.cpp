// The connection window's control side: the control socket, the command
// sequencer and the classification of replies.
#include "engine/ftpsocketwnd.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "engine/connlog.h"
#include "engine/siteitem.h"
#include "engine/viewslots.h"
#include "shell/settings/settings.h"

namespace {

// Text between the first two double quotes of a 257 reply; false without them.
bool QuotedText(const char* line, const char** begin, size_t* length)
{
  const char* open = strchr(line, '"');
  if (open == nullptr)
    return false;
  const char* close = strchr(open + 1, '"');
  if (close == nullptr)
    return false;
  *begin = open + 1;
  *length = (size_t)(close - open - 1);
  return true;
}

}  // namespace

IMPLEMENT_DYNAMIC(CFtpSocketWnd, CWnd)

BEGIN_MESSAGE_MAP(CFtpSocketWnd, CWnd)
  ON_WM_CREATE()
  ON_MESSAGE(UWM_CTRL_SOCKET, OnCtrlSocket)
  ON_MESSAGE(UWM_DATA_SOCKET, OnDataSocketEvent)
  ON_MESSAGE(UWM_NET_SEND, OnNetSend)
  ON_MESSAGE(UWM_NET_COMMAND, OnNetCommand)
  ON_MESSAGE(UWM_NET_DETACH, OnNetDetach)
  ON_WM_TIMER()
END_MESSAGE_MAP()

CFtpSocketWnd::CFtpSocketWnd(NetSession* pSession)
    : m_ctrlSocket(INVALID_SOCKET),
      m_listenSocket(INVALID_SOCKET),
      m_pSession(pSession),
      m_hTransferFile(nullptr),
      m_bufPos(0),
      m_bytesMoved(0),
      m_bufFill(0),
      m_startTick(0),
      m_dataPort(0),
      m_proxyState(PROXY_IDLE),
      m_bytesSinceMark(0),
      m_speedMark(0),
      m_uploadLimit(0),
      m_downloadLimit(0),
      m_uploadLimitOn(0),
      m_downloadLimitOn(0),
      m_proxyPort(0),
      m_proxyType(0),
      m_dataSocket(INVALID_SOCKET),
      m_hRelayReady(nullptr),
      m_secondEvent(0),
      m_pSite(pSession != nullptr ? pSession->m_pSite : nullptr),
      m_sendLen(0),
      m_sendPos(0),
      m_ctrlConnected(false),
      m_quitSent(false),
      m_closing(false),
      m_shutDown(false),
      m_userRetries(0)
{
  m_linger.l_onoff = 1;
  m_linger.l_linger = 0;
  memset(m_dataBuf, 0, sizeof(m_dataBuf));
  memset(m_sendBuf, 0, sizeof(m_sendBuf));
  memset(m_replyBuf, 0, sizeof(m_replyBuf));
  m_recvDesc.len = 0;
  m_recvDesc.buf = nullptr;
  memset(m_dataAddr, 0, sizeof(m_dataAddr));
  memset(&m_sending, 0, sizeof(m_sending));
  m_proxyHost[0] = m_proxyUser[0] = m_proxyPassword[0] = '\0';
  m_replies.SetHost(Host());

  if (m_pSession != nullptr) {
    NetSession& s = *m_pSession;
    memset(&s.m_current, 0, sizeof(s.m_current));
    s.m_queue.Clear();
    s.m_replyText[0] = '\0';
    s.m_listError = 0;
    s.m_loggedIn = 0;
    s.m_pFile = nullptr;
    s.m_pRecord = nullptr;
    s.m_pJob = nullptr;
    s.m_pItem = nullptr;
    s.m_alive = 1;
    s.ForgetAcknowledged();
    // A record used again keeps its event, so nobody waits on a closed handle.
    if (s.m_hDoneEvent != nullptr)
      ::SetEvent(s.m_hDoneEvent);
    else
      s.m_hDoneEvent = ::CreateEventA(nullptr, TRUE, TRUE, nullptr);
  }
  m_hRelayReady = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);

  // The site pages store types 10..12 as ':', ';' and '<'.
  const int32_t siteType = m_pSite != nullptr ? ProxyTypeFromDigit(m_pSite->SiteOptionDigits[9]) : 0;
  if (siteType != PROXY_TYPE_NONE) {
    m_proxyType = siteType;
    CopySiteText(m_proxyHost, m_pSite->m_proxyHost);
    CopySiteText(m_proxyUser, m_pSite->m_proxyUser);
    CopySiteText(m_proxyPassword, m_pSite->m_proxyPassword);
    m_proxyPort = m_pSite->m_proxyPort;
  } else {
    // A type no settings page offers means no proxy.
    m_proxyType = (g_proxyType >= 0 && g_proxyType <= PROXY_TYPE_FTP_PROXY) ? g_proxyType : 0;
    CopySiteText(m_proxyHost, g_proxyHost);
    CopySiteText(m_proxyUser, g_proxyUser);
    CopySiteText(m_proxyPassword, g_proxyPassword);
    m_proxyPort = g_proxyPort;
  }
}

CFtpSocketWnd::~CFtpSocketWnd()
{
  LINGER abortive;
  abortive.l_onoff = 1;
  abortive.l_linger = 0;
  for (SOCKET* s : {&m_ctrlSocket, &m_listenSocket, &m_dataSocket}) {
    if (*s != INVALID_SOCKET) {
      ::setsockopt(*s, SOL_SOCKET, SO_LINGER, (const char*)&abortive, sizeof(abortive));
      ::closesocket(*s);
      *s = INVALID_SOCKET;
    }
  }
  if (m_hRelayReady != nullptr)
    ::CloseHandle(m_hRelayReady);
  if (m_pSession != nullptr && m_pSession->m_pWnd == this)
    m_pSession->m_pWnd = nullptr;
}

BOOL CFtpSocketWnd::CreateHidden()
{
  // Message-only: the window only takes socket events and the clients'
  // messages. A top-level one, hidden or not, is made in the display driver
  // too, which costs a queue worker tens of milliseconds more before it can
  // connect, and more so while other connections move data.
  LPCTSTR cls = AfxRegisterWndClass(0);
  return CreateEx(0, cls, kConnectionWindowName, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr);
}

BOOL CFtpSocketWnd::DestroyWindow()
{
  // Every way out goes through Shutdown, so QUIT is sent on the window's own
  // thread before the window goes.
  if (!m_shutDown) {
    Shutdown();
    return TRUE;
  }
  return CWnd::DestroyWindow();
}

const char* CFtpSocketWnd::Host() const
{
  return m_pSite != nullptr ? m_pSite->m_host : "";
}

bool CFtpSocketWnd::IsKeeper() const
{
  return m_pSession != nullptr && m_pSession->m_keeper == 1;
}

void CFtpSocketWnd::SignalDone()
{
  // The client is awake: an abort still answering is no longer waited for.
  m_abortWaited = false;
  if (m_pSession != nullptr && m_pSession->m_hDoneEvent != nullptr)
    ::SetEvent(m_pSession->m_hDoneEvent);
}

void CFtpSocketWnd::FailAndSignal()
{
  if (m_pSession != nullptr) {
    m_pSession->m_alive = 0;
    m_pSession->ForgetAcknowledged();
  }
  SignalDone();
}

// ---- creation and the control connection --------------------------------

int CFtpSocketWnd::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
  if (CWnd::OnCreate(lpCreateStruct) == -1)
    return -1;
  if (m_pSession == nullptr)
    return -1;
  m_pSession->m_pWnd = this;
  m_proxyState = PROXY_IDLE;
  if (m_pSite == nullptr) {
    FailAndSignal();
    return 0;
  }
  BOOL opened;
  if (m_proxyType == 0) {
    opened = OpenControlConnection(m_pSite->m_host, m_pSite->m_port);
  } else {
    if (m_proxyType == 1 || m_proxyType == 2)
      m_proxyState = PROXY_GREETING_DUE;
    opened = OpenControlConnection(m_proxyHost, m_proxyPort);
  }
  if (!opened)
    FailAndSignal();
  return 0;
}

BOOL CFtpSocketWnd::OpenControlConnection(const char* host, int port)
{
  while (*host == ' ')
    ++host;
  sockaddr_in addr;
  memset(&addr, 0, sizeof(addr));
  addr.sin_family = AF_INET;
  addr.sin_port = htons((u_short)port);
  unsigned long number = ::inet_addr(host);
  if (number == INADDR_NONE && strcmp(host, "255.255.255.255") != 0) {
    hostent* he = *host != '\0' ? ::gethostbyname(host) : nullptr;
    if (he == nullptr || he->h_addrtype != AF_INET || he->h_addr_list[0] == nullptr) {
      ConnLogPrintf("%s::Unable to resolve Hostname. \r\n", Host());
      return FALSE;
    }
    memcpy(&addr.sin_addr, he->h_addr_list[0], 4);
  } else {
    addr.sin_addr.s_addr = number;
  }
  SOCKET s = ::WSASocketA(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_OVERLAPPED);
  if (s == INVALID_SOCKET) {
    ConnLogPrintf("%s::Initializing control Socket error. \r\n", Host());
    return FALSE;
  }
  BOOL keepAlive = TRUE;
  m_linger.l_onoff = 1;
  m_linger.l_linger = 0;
  if (::setsockopt(s, SOL_SOCKET, SO_KEEPALIVE, (const char*)&keepAlive, sizeof(keepAlive)) != 0 ||
      ::setsockopt(s, SOL_SOCKET, SO_LINGER, (const char*)&m_linger, sizeof(m_linger)) != 0 ||
      ::WSAAsyncSelect(s, m_hWnd, UWM_CTRL_SOCKET, FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE) != 0) {
    ConnLogPrintf("%s::Creating control Socket error\r\n", Host());
    ::closesocket(s);
    return FALSE;
  }
  if (port <= 0 || port > 65535 ||
      (::connect(s, (sockaddr*)&addr, sizeof(addr)) == SOCKET_ERROR && ::WSAGetLastError() != WSAEWOULDBLOCK)) {
    ConnLogPrintf("%s::Connection failed. Please check the network.\r\n", Host());
    ::closesocket(s);
    return FALSE;
  }
  m_ctrlSocket = s;
  return TRUE;
}

LRESULT CFtpSocketWnd::OnCtrlSocket(WPARAM wParam, LPARAM lParam)
{
  // Events of a socket closed since (or of another socket) are stale.
  if ((SOCKET)wParam != m_ctrlSocket || m_ctrlSocket == INVALID_SOCKET)
    return 0;
  const int event = WSAGETSELECTEVENT(lParam);
  const int error = WSAGETSELECTERROR(lParam);
  switch (event) {
    case FD_CONNECT:
      OnCtrlConnect(error);
      break;
    case FD_WRITE:
      if (error != 0) {
        FailControlConnection("%s::Connection failed. Please check the network.\r\n");
      } else if (m_proxyState != PROXY_IDLE) {
        SendProxyGreeting(m_ctrlSocket);  // nothing but the exchange goes to a proxy
      } else if (m_sendLen != 0 || m_abortDue || m_pSession->m_queue.GetCount() > 0) {
        RunSequencer();
      }
      break;
    case FD_READ:
      OnCtrlRead(error);
      break;
    case FD_CLOSE:
      if (m_proxyState != PROXY_IDLE)
        OnProxyClosed();
      else if (error != 0)
        FailControlConnection("%s::Connection failed. Please check the network.\r\n");
      else
        CloseControlConnection();
      break;
    default:
      break;
  }
  return 0;
}

void CFtpSocketWnd::OnCtrlConnect(int error)
{
  if (error != 0) {
    // Refused or unreachable: nobody will ever answer, so wake the client now.
    FailControlConnection("%s::Connection failed. Please check the network.\r\n");
    return;
  }
  m_ctrlConnected = true;
  if (IsKeeper() && m_pSite != nullptr) {
    sockaddr_in local;
    int length = sizeof(local);
    char text[kSiteLocalAddressLen];
    if (::getsockname(m_ctrlSocket, (sockaddr*)&local, &length) == 0) {
      const unsigned char* b = (const unsigned char*)&local.sin_addr;
      snprintf(text, sizeof(text), "%d.%d.%d.%d", b[0], b[1], b[2], b[3]);
      m_pSite->SetLocalAddress(text);
      m_pSite->m_localPort = ntohs(local.sin_port);
    }
    // The peer is the one the socket reached (the proxy, when through one);
    // no name is looked up here.
    sockaddr_in peer;
    length = sizeof(peer);
    if (::getpeername(m_ctrlSocket, (sockaddr*)&peer, &length) == 0) {
      const unsigned char* b = (const unsigned char*)&peer.sin_addr;
      snprintf(text, sizeof(text), "%d.%d.%d.%d", b[0], b[1], b[2], b[3]);
      m_pSite->SetServerAddress(text);
    }
  }
  if (m_proxyType == 3)
    SendHttpConnect(m_ctrlSocket);
}

void CFtpSocketWnd::OnCtrlRead(int error)
{
  if (error != 0) {
    FailControlConnection("%s::Connection failed. Please check the network.\r\n");
    return;
  }
  memset(m_replyBuf, 0, sizeof(m_replyBuf));
  const int n = ::recv(m_ctrlSocket, m_replyBuf, (int)kReplyReadSize, 0);
  if (n == SOCKET_ERROR) {
    if (::WSAGetLastError() != WSAEWOULDBLOCK)
      FailControlConnection("%s::Receiving the server reply error. \r\n");
    return;
  }
  if (n == 0)
    return;  // the close follows as FD_CLOSE
  if (m_proxyState != PROXY_IDLE) {
    OnProxyReply(m_replyBuf, (size_t)n);
    return;
  }
  ProcessReplyBytes(m_replyBuf, (size_t)n);
}

void CFtpSocketWnd::ProcessReplyBytes(const char* data, size_t size)
{
  m_replies.Feed(data, size);
  DrainReplies(true);
}

void CFtpSocketWnd::DrainReplies(bool classify)
{
  FtpReplyAssembler::Event e;
  while (m_replies.NextEvent(e)) {
    if (e.kind == FtpReplyAssembler::Event::LOG)
      ConnLogWrite(e.text.c_str());
    else if (classify && m_ctrlSocket != INVALID_SOCKET)
      HandleReply(e.code, e.text.c_str());
  }
}

void CFtpSocketWnd::FailControlConnection(const char* logFormat)
{
  ConnLogPrintf(logFormat, Host());
  CloseControlConnection();
}

void CFtpSocketWnd::CloseControlConnection()
{
  if (m_closing)
    return;
  m_closing = true;
  const bool wasUp = m_ctrlConnected;
  // Only the keeper's connection wrote these; another connection's close must
  // not wipe them.
  if (IsKeeper() && m_pSite != nullptr) {
    m_pSite->ClearAddresses();
    m_pSite->m_localPort = 0;
  }
  m_proxyState = PROXY_IDLE;
  m_ctrlProxy.Reset();
  m_ctrlProxyOut.clear();
  if (m_ctrlSocket != INVALID_SOCKET)
    GracefulCloseControl();
  m_ctrlConnected = false;
  m_sendLen = m_sendPos = 0;
  m_sendBuf[0] = '\0';
  m_pSession->m_alive = 0;
  m_pSession->ForgetAcknowledged();
  // A keeper whose connection never came up is still retrying: leave its
  // flags to it.
  if (IsKeeper() && m_pSite != nullptr && m_pSite->m_keeperRunning != 0 && wasUp) {
    PostSiteState(m_pSite, 0);
    if (m_pSite->SiteOptionDigits[7] != '0') {
      ConnLogPrintf("%s::The server disconnected, preparing to reconnect\r\n", Host());
      m_pSite->m_connected = 0;
      // Connecting again: a queue worker that waits for the site waits for
      // that login instead of failing its item on the old idle mark.
      if (m_pSite->m_hIdleEvent != nullptr)
        ::ResetEvent(m_pSite->m_hIdleEvent);
    } else {
      ConnLogPrintf("%s::The server is disconnected, exiting\r\n", Host());
      m_pSite->m_connected = 0;
      m_pSite->m_keeperRunning = 0;
    }
  }
  CloseDataConnection();
  // Last, so a client that wakes sees every flag of the close.
  SignalDone();
  m_closing = false;
}

void CFtpSocketWnd::GracefulCloseControl()
{
  SOCKET s = m_ctrlSocket;
  m_ctrlSocket = INVALID_SOCKET;
  // A site being torn down closes abortively; otherwise the last bytes go out.
  if (m_pSite != nullptr && m_pSite->m_queueRun == 1) {
    m_linger.l_onoff = 0;
    m_linger.l_linger = 0;
  } else {
    m_linger.l_onoff = 1;
    m_linger.l_linger = 0;
  }
  ::setsockopt(s, SOL_SOCKET, SO_LINGER, (const char*)&m_linger, sizeof(m_linger));
  ::WSAAsyncSelect(s, m_hWnd, 0, 0);
  // The server's last words (a 421, the rest of a block) are replies: they go
  // to the log, never into a transfer's file or listing. A server that keeps
  // talking is cut off after kCtrlDrainReads reads or kQuitWaitMs.
  const DWORD drainStart = ::GetTickCount();
  for (int reads = 0; reads < kCtrlDrainReads && ::GetTickCount() - drainStart < kQuitWaitMs; ++reads) {
    const int n = ::recv(s, m_replyBuf, (int)kReplyReadSize, 0);
    if (n <= 0)
      break;
    m_replies.Feed(m_replyBuf, (size_t)n);
  }
  m_replies.Finish();
  DrainReplies(false);
  ::shutdown(s, SD_BOTH);
  ::closesocket(s);
}

void CFtpSocketWnd::CloseDataConnection()
{
  if (m_listenSocket != INVALID_SOCKET) {
    ::WSAAsyncSelect(m_listenSocket, m_hWnd, 0, 0);
    ::closesocket(m_listenSocket);
    m_listenSocket = INVALID_SOCKET;
  }
  CloseDataSocket();  // also when none was opened: the transfer file goes too
  m_dataProxy.Reset();
  m_dataProxyOut.clear();
  m_dataProxyArmed = false;
  if (m_pSession != nullptr)
    m_pSession->m_queue.Clear();
}

// ---- the end of a connection ---------------------------------------------

void CFtpSocketWnd::Shutdown()
{
  if (m_shutDown)
    return;
  m_shutDown = true;
  if (m_ctrlSocket != INVALID_SOCKET && m_ctrlConnected && !m_quitSent) {
    SOCKET s = m_ctrlSocket;
    ::WSAAsyncSelect(s, m_hWnd, 0, 0);
    // A command cut by a full socket buffer is finished first, so QUIT starts
    // a line of its own.
    char text[kSendBufferSize + 8];
    size_t length = 0;
    if (m_sendPos < m_sendLen) {
      length = m_sendLen - m_sendPos;
      memcpy(text, m_sendBuf + m_sendPos, length);
    }
    memcpy(text + length, "QUIT\r\n", 6);
    length += 6;
    m_quitSent = true;
    if (IsKeeper()) {
      ConnLogPrintf("%s::Sending command ---> %s\r\n", Host(), "QUIT");
      ConnLogPrintf("%s::Status: Disconnect. \r\n", Host());
    }
    const DWORD start = ::GetTickCount();
    auto remaining = [start]() -> long {
      const DWORD spent = ::GetTickCount() - start;
      return spent >= kQuitWaitMs ? 0 : (long)(kQuitWaitMs - spent);
    };
    size_t sent = 0;
    bool failed = false;
    while (sent < length && !failed) {
      const int n = ::send(s, text + sent, (int)(length - sent), 0);
      if (n != SOCKET_ERROR) {
        sent += (size_t)n;
        continue;
      }
      if (::WSAGetLastError() != WSAEWOULDBLOCK || remaining() == 0) {
        failed = true;
        break;
      }
      fd_set w;
      FD_ZERO(&w);
      FD_SET(s, &w);
      timeval tv = {remaining() / 1000, (remaining() % 1000) * 1000};
      ::select(0, nullptr, &w, nullptr, &tv);
    }
    // The answer to QUIT (or the close) ends the wait; a silent server only
    // until kQuitWaitMs.
    bool answered = false;
    while (!failed && !answered) {
      const long left = remaining();
      if (left == 0)
        break;
      fd_set r;
      FD_ZERO(&r);
      FD_SET(s, &r);
      timeval tv = {left / 1000, (left % 1000) * 1000};
      if (::select(0, &r, nullptr, nullptr, &tv) <= 0)
        break;
      const int n = ::recv(s, m_replyBuf, (int)kReplyReadSize, 0);
      if (n <= 0)
        break;
      m_replies.Feed(m_replyBuf, (size_t)n);
      FtpReplyAssembler::Event e;
      while (m_replies.NextEvent(e)) {
        if (e.kind == FtpReplyAssembler::Event::LOG)
          ConnLogWrite(e.text.c_str());
        else
          answered = true;
      }
    }
    m_linger.l_onoff = 0;
    m_linger.l_linger = 0;
    ::setsockopt(s, SOL_SOCKET, SO_LINGER, (const char*)&m_linger, sizeof(m_linger));
    ::shutdown(s, SD_BOTH);
    ::closesocket(s);
    m_ctrlSocket = INVALID_SOCKET;
  } else if (m_ctrlSocket != INVALID_SOCKET) {
    ::WSAAsyncSelect(m_ctrlSocket, m_hWnd, 0, 0);
    ::closesocket(m_ctrlSocket);  // linger on, 0 s: nothing more to say
    m_ctrlSocket = INVALID_SOCKET;
  }
  m_ctrlConnected = false;
  m_sendLen = m_sendPos = 0;
  CloseDataConnection();
  FailAndSignal();
  if (m_hWnd != nullptr)
    CWnd::DestroyWindow();
}

// ---- messages from clients -----------------------------------------------

LRESULT CFtpSocketWnd::OnNetSend(WPARAM wParam, LPARAM lParam)
{
  const int verb = (int)wParam;
  const char* text = (const char*)lParam;
  if (!IsKeeper() && m_pSite != nullptr && m_pSite->m_queueRun == 0) {
    CloseControlConnection();
    return 0;
  }
  if (verb == VERB_QUIT) {
    CloseControlConnection();
    return 0;
  }
  PushWindowSide(verb, text != nullptr ? text : "");
  return 0;
}

LRESULT CFtpSocketWnd::OnNetCommand(WPARAM, LPARAM)
{
  if (m_pSession->m_current.m_verb == VERB_NONE && m_pSession->m_queue.GetCount() > 0)
    RunSequencer();
  return 0;
}

LRESULT CFtpSocketWnd::OnNetDetach(WPARAM, LPARAM)
{
  // On this thread, so no receive or send loop is half way through the file
  // or the record while the client takes them back.
  CloseDataConnection();
  // A listing block stays: its client frees it.
  if (m_pSession != nullptr) {
    m_pSession->m_pFile = nullptr;
    m_pSession->m_pJob = nullptr;
    m_pSession->m_pItem = nullptr;
  }
  return m_ctrlSocket != INVALID_SOCKET && m_ctrlConnected ? 1 : 0;
}

// ---- commands --------------------------------------------------------------

void CFtpSocketWnd::PushWindowSide(int verb, const char* arg)
{
  if (verb == VERB_ABOR) {
    SendAbort();
    return;
  }
  if (verb == VERB_QUIT)
    CloseDataConnection();
  m_pSession->m_queue.PushWindow(Host(), verb, arg);
  if (m_pSession->m_current.m_verb == VERB_NONE && m_pSession->m_queue.GetCount() > 0)
    RunSequencer();
}

void CFtpSocketWnd::PushFront(int verb, const char* arg)
{
  m_pSession->m_queue.PushFront(Host(), verb, arg);
}

BOOL CFtpSocketWnd::FormatCommand(NetCommand& cmd)
{
  const char* verbText = FtpVerbName(cmd.m_verb);
  const char* arg = cmd.m_arg;
  // A line break inside an argument would send a second command.
  if (strpbrk(arg, "\r\n") != nullptr)
    return FALSE;
  int n = -1;
  switch (cmd.m_verb) {
    case VERB_CWD: case VERB_DELE: case VERB_PASS: case VERB_RETR: case VERB_STOR:
    case VERB_APPE: case VERB_TYPE: case VERB_USER: case VERB_MKD: case VERB_RMD:
    case VERB_REST: case VERB_RNFR: case VERB_RNTO: case VERB_SITE: case VERB_CONNECT:
    case VERB_SIZE:
      n = snprintf(m_sendBuf, sizeof(m_sendBuf), "%s %s\r\n", verbText, arg);
      break;
    case VERB_RETM: case VERB_RETW:
      n = snprintf(m_sendBuf, sizeof(m_sendBuf), "%s %s\r\n", "RETR", arg);
      break;
    case VERB_STOM: case VERB_STOW:
      n = snprintf(m_sendBuf, sizeof(m_sendBuf), "%s %s\r\n", "STOR", arg);
      break;
    case VERB_ABOR: case VERB_PWD: case VERB_QUIT: case VERB_NOOP: case VERB_SYST:
    case VERB_CDUP: case VERB_PASV:
      n = snprintf(m_sendBuf, sizeof(m_sendBuf), "%s\r\n", verbText);
      break;
    case VERB_LIST:
      if (arg[0] == '\0')
        n = snprintf(m_sendBuf, sizeof(m_sendBuf), "%s\r\n", verbText);
      else
        n = snprintf(m_sendBuf, sizeof(m_sendBuf), "%s %s\r\n", verbText, arg);
      break;
    case VERB_PORT:
      if (arg[0] != '\0') {
        n = snprintf(m_sendBuf, sizeof(m_sendBuf), "%s %s\r\n", verbText, arg);
      } else if (m_proxyType == 3) {
        // An HTTP proxy carries connections to the server only: passive it is.
        cmd.m_verb = VERB_PASV;
        strcpy(cmd.m_arg, "PASV");
        n = snprintf(m_sendBuf, sizeof(m_sendBuf), "%s\r\n", "PASV");
      } else {
        if (!MakePortCommand(m_sendBuf, sizeof(m_sendBuf)))
          return FALSE;
        n = (int)strlen(m_sendBuf);
      }
      break;
    default:
      return FALSE;
  }
  // The buffer holds the longest command, so nothing is ever cut.
  if (n <= 0 || (size_t)n >= sizeof(m_sendBuf))
    return FALSE;
  m_sendLen = (size_t)n;
  m_sendPos = 0;
  return TRUE;
}

void CFtpSocketWnd::RunSequencer()
{
  NetSession& s = *m_pSession;
  if (m_ctrlSocket == INVALID_SOCKET) {
    // Nothing can go out any more: whoever queued this is waiting.
    s.m_queue.Clear();
    FailAndSignal();
    return;
  }
  if (m_abortDue) {
    FlushAbort();
    return;
  }
  // Nothing goes out before the replies owed after ABOR are in.
  if (s.m_current.m_verb != VERB_NONE || m_repliesOwed > 0)
    return;
  // Commands wait until the proxy has opened the path to the server.
  if (m_proxyState != PROXY_IDLE)
    return;
  if (m_sendLen == 0) {
    NetCommand cmd;
    bool skipped = false;
    for (;;) {
      if (!s.m_queue.Pop(cmd)) {
        // Nothing left but what the server already stands in: done.
        if (skipped)
          SignalDone();
        return;
      }
      // A CWD or TYPE the server acknowledged last is not sent again (nor
      // logged: nothing went out).
      if (!s.RepeatsAcknowledged(cmd))
        break;
      skipped = true;
    }
    if (cmd.m_verb == VERB_ABOR) {
      SendAbort();
      return;
    }
    if (!FormatCommand(cmd)) {
      if (cmd.m_verb != VERB_PORT)
        ConnLogPrintf("%s::Sending commands failed. \r\n", Host());
      m_sendLen = m_sendPos = 0;
      m_sendBuf[0] = '\0';
      CloseDataConnection();
      FailAndSignal();
      return;
    }
    m_sending = cmd;
  }
  while (m_sendPos < m_sendLen) {
    const int n = ::send(m_ctrlSocket, m_sendBuf + m_sendPos, (int)(m_sendLen - m_sendPos), 0);
    if (n == SOCKET_ERROR) {
      if (::WSAGetLastError() == WSAEWOULDBLOCK)
        return;  // the rest goes at the next FD_WRITE
      ConnLogPrintf("%s::Sending commands failed. \r\n", Host());
      m_sendLen = m_sendPos = 0;
      m_sendBuf[0] = '\0';
      CloseDataConnection();
      FailAndSignal();
      return;
    }
    m_sendPos += (size_t)n;
  }
  const int verb = m_sending.m_verb;

  if (IsKeeper() || (verb != VERB_USER && verb != VERB_PASS && verb != VERB_QUIT)) {
    if (verb == VERB_PASS) {
      ConnLogPrintf("%s::Sending command ---> %s\r\n", Host(), "PASS xxxxxxxxxxxxxxxx");
    } else if (verb == VERB_SITE && std::strncmp(m_sending.m_arg, "PSWD", 4) == 0) {
      // Both passwords of a change: shown masked like PASS.
      ConnLogPrintf("%s::Sending command ---> %s\r\n", Host(), "SITE PSWD xxxxxxxxxxxxxxxx xxxxxxxxxxxxxxxx");
    } else {
      const int shown = (int)(m_sendLen >= 2 ? m_sendLen - 2 : m_sendLen);
      ConnLogPrintf("%s::Sending command ---> %.*s\r\n", Host(), shown, m_sendBuf);
    }
  }
  m_sendLen = m_sendPos = 0;
  m_sendBuf[0] = '\0';
  s.m_current = m_sending;
  m_transferReplyDue = IsTransferVerb(verb);
  if (verb == VERB_QUIT)
    m_quitSent = true;

  switch (verb) {
    case VERB_PASS:
      if (IsKeeper())
        ConnLogPrintf("%s::Status: Authenticating password. \r\n", Host());
      break;
    case VERB_USER:
      if (IsKeeper())
        ConnLogPrintf("%s::Status: Authenticating User ID. \r\n", Host());
      break;
    case VERB_QUIT:
      if (IsKeeper())
        ConnLogPrintf("%s::Status: Disconnect. \r\n", Host());
      break;
    case VERB_RETR:
      ConnLogPrintf("%s::Status: Sending file. \r\n", Host());
      break;
    case VERB_STOR:
      ConnLogPrintf("%s::Status: Receiving file. \r\n", Host());
      break;
    case VERB_LIST:
      ConnLogPrintf("%s::Status: Receiving folder information. \r\n", Host());
      break;
    case VERB_PASV:
      ConnLogPrintf("%s::Status: Listen mode, wait for connection. \r\n", Host());
      break;
    default:
      break;
  }
  OnCommandCurrent(verb);
}

void CFtpSocketWnd::NextOrDone()
{
  if (m_pSession->m_queue.GetCount() > 0)
    RunSequencer();
  else
    SignalDone();
}

void CFtpSocketWnd::PushLoginUser()
{
  char arg[kCommandArgLen];
  if (!FormatProxyUser(arg, sizeof(arg))) {
    if (m_proxyType == PROXY_TYPE_FTP_SITE || m_proxyType == PROXY_TYPE_FTP_PROXY) {
      // Without its target the proxy would take the login to a server of its own choosing.
      ConnLogPrintf("%s::Connection failed through proxy. \r\n", Host());
      CloseControlConnection();
      return;
    }
    const bool anonymous = m_pSite->SiteOptionDigits[1] == '1';
    CopySiteText(arg, anonymous ? "anonymous" : m_pSite->m_user);
  }
  PushWindowSide(VERB_USER, arg);
}

// ---- replies ---------------------------------------------------------------

void CFtpSocketWnd::HandleReply(int code, const char* line)
{
  NetSession& s = *m_pSession;
  const char kind = line[0];
  // Replies owed after ABOR come before any reply to a later command.
  if (m_repliesOwed > 0) {
    if (kind >= '2')
      ConsumeOwedReply(code);
    return;
  }
  const NetCommand command = s.m_current;
  const int verb = command.m_verb;
  if (kind >= '2' && IsTransferVerb(verb))
    m_transferReplyDue = false;
  if (kind != '1' && !IsTransferVerb(verb))
    memset(&s.m_current, 0, sizeof(s.m_current));
  if (kind == '0' || kind == '1') {
    // A transfer between two servers has no data connection here: its
    // preliminary reply is the client's only sign that this server is ready.
    if (kind == '1' && s.m_replyText[0] != '\0' && IsTransferVerb(verb))
      s.m_progress += 1;
    if (kind == '1')
      OnPreliminaryReply(verb);
    return;
  }
  if (kind == '2')
    s.NoteAcknowledged(command);
  else if (kind >= '4')
    s.ForgetAcknowledged();
  if (kind == '2') {
    if (verb == VERB_PASV && code == 227) {
      if (command.m_arg[0] == '\0') {
        CopySiteText(s.m_replyText, line);
        SignalDone();
      } else if (!OpenPassiveData(line)) {
        PushWindowSide(VERB_ABOR, "");
      }
      return;
    }
    HandlePositive(code, verb, line);
  } else if (kind == '3') {
    HandleIntermediate(verb);
  } else if (verb == VERB_PASV && command.m_arg[0] == '\0') {
    // A bare PASV asks for the address for another server: active mode on
    // this machine is no substitute, the client has to hear the refusal.
    FailAndSignal();
  } else {
    HandleNegative(code, verb);
  }
}

void CFtpSocketWnd::EndTransfer()
{
  m_secondEvent = 0;
  memset(&m_pSession->m_current, 0, sizeof(m_pSession->m_current));
  m_pSession->m_replyText[0] = '\0';
  SignalDone();
}

// The final reply of a transfer: the end when the data close came already (or
// no data connection is wanted), else the close is still to come.
void CFtpSocketWnd::TransferReplyArrived()
{
  if (m_pSession->m_replyText[0] != '\0' || m_secondEvent != 0)
    EndTransfer();
  else
    m_secondEvent = 1;
}

void CFtpSocketWnd::FailTransfer(bool permanent)
{
  m_pSession->m_alive = 0;
  PushWindowSide(VERB_ABOR, "");
  if (permanent)
    TransferReplyArrived();
  else
    EndTransfer();
}

void CFtpSocketWnd::HandlePositive(int code, int verb, const char* line)
{
  NetSession& s = *m_pSession;
  switch (verb) {
    case VERB_NONE:
      if (code == 220) {
        if (IsKeeper())
          ConnLogPrintf("%s::is connected, is authenticating user informationg\r\n", Host());
        PushLoginUser();
      }
      break;
    case VERB_CWD: case VERB_DELE: case VERB_MKD: case VERB_RMD: case VERB_RNTO: case VERB_CDUP:
      NextOrDone();
      break;
    case VERB_USER: case VERB_PASS:
      if (code == 230) {
        if (IsKeeper())
          ConnLogPrintf("%s::Login successful\r\n", Host());
        PushWindowSide(VERB_PWD, "");
      }
      break;
    case VERB_PORT: case VERB_TYPE:
      // Preparing commands start the next; alone, they end the wait.
      NextOrDone();
      break;
    case VERB_RETR: case VERB_STOR: case VERB_APPE: case VERB_RETM:
    case VERB_STOM: case VERB_RETW: case VERB_STOW: case VERB_LIST:
      TransferReplyArrived();
      break;
    case VERB_SITE: case VERB_NOOP: case VERB_SYST:
      NextOrDone();
      break;
    case VERB_PWD:
      if (code == 257)
        OnLoginFolderReply(line);
      NextOrDone();
      break;
    case VERB_QUIT:
      CloseControlConnection();
      break;
    case VERB_SIZE:
      if (code == 213) {
        s.m_progress = strtoll(line + 3, nullptr, 10);
        SignalDone();
      }
      break;
    default:
      break;
  }
}

void CFtpSocketWnd::OnLoginFolderReply(const char* line)
{
  NetSession& s = *m_pSession;
  s.m_loggedIn = 1;
  if (!IsKeeper() || m_pSite == nullptr || m_pSite->m_connected != 0)
    return;
  CSiteItem& site = *m_pSite;
  site.m_connectedSince = (int64_t)time(nullptr);
  if (site.m_remoteFolder[0] == '\0' || strcmp(site.m_remoteFolder, "/") == 0) {
    const char* begin = nullptr;
    size_t length = 0;
    // A folder that does not fit is left alone: a cut path names another folder.
    if (QuotedText(line, &begin, &length) && length > 0 && length < sizeof(site.m_remoteFolder)) {
      memcpy(site.m_remoteFolder, begin, length);
      site.m_remoteFolder[length] = '\0';
    }
  }
  // The keeper thread marks the site connected once it can lend the link.
}

void CFtpSocketWnd::HandleIntermediate(int verb)
{
  switch (verb) {
    case VERB_USER: {
      const bool anonymous = m_pSite->SiteOptionDigits[1] == '1';
      PushWindowSide(VERB_PASS, anonymous ? g_anonymousPassword : m_pSite->m_password);
      break;
    }
    case VERB_REST: case VERB_RNFR:
      NextOrDone();
      break;
    default:
      break;
  }
}

void CFtpSocketWnd::HandleNegative(int code, int verb)
{
  const bool permanent = code >= 500;
  switch (verb) {
    case VERB_PASS:
      ConnLogPrintf("%s::User ID not accepted.\r\n", Host());
      // Through a proxy the login is tried once more, now with the plain user
      // (the path to the server stands); never again, since every refused try
      // may count against the account.
      if (m_proxyType != 0 && m_userRetries == 0 && m_pSite != nullptr) {
        ++m_userRetries;
        PushWindowSide(VERB_USER, m_pSite->SiteOptionDigits[1] == '1' ? "anonymous" : m_pSite->m_user);
        break;
      }
      if (IsKeeper() && m_pSite != nullptr && m_pSite->m_hIdleEvent != nullptr)
        ::SetEvent(m_pSite->m_hIdleEvent);
      FailAndSignal();
      break;
    case VERB_PASV:
      if (m_proxyType != 3) {
        // Passive refused: active mode instead, unnoticed by the client.
        PushFront(VERB_PORT, "");
        RunSequencer();
      } else {
        FailAndSignal();
      }
      break;
    case VERB_PORT:
      if (m_pSession->m_replyText[0] != '\0')
        ConnLogPrintf("%s::The server doesn't support FXP transfer method or the port already is occupied.\r\n",
                      Host());
      FailTransfer(permanent);
      break;
    case VERB_APPE:
      ConnLogPrintf("%s::The site doesn't resuming upload, please select overwrite if same name file exists.\r\n",
                    Host());
      FailTransfer(permanent);
      break;
    case VERB_RETR: case VERB_RETW: case VERB_STOR: case VERB_STOW:
      FailTransfer(permanent);
      break;
    default:
      FailAndSignal();
      break;
  }
}
