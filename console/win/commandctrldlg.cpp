#include "console/commandctrldlg.h"

#include <ws2tcpip.h>

#include <cctype>
#include <cstring>
#include <ctime>
#include <vector>

#include "console/commandhelpdlg.h"
#include "console/commandsetdlg.h"
#include "console/consoleres.h"
#include "engine/netsession.h"
#include "framework/commdlgs.h"
#include "toolkit/launcher.h"

namespace {

constexpr COLORREF kLogBack = 0x000000;
constexpr COLORREF kLogText = 0xFFFFFF;
constexpr COLORREF kBarStart = 0xFFFFFF;
constexpr COLORREF kBarEnd = 0x0A0A0A;
constexpr int kMaxLogLines = 400;
constexpr int kLogLinesDropped = 100;
constexpr char kLogFilter[] = "ZARN record file(*.txt)|*.txt|All files(*.*)|*.*||";

std::string ItemText(HWND dlg, int id)
{
  HWND item = ::GetDlgItem(dlg, id);
  const int len = ::GetWindowTextLengthA(item);
  std::string text(len + 1, '\0');
  ::GetWindowTextA(item, &text[0], len + 1);
  text.resize(std::strlen(text.c_str()));
  return text;
}

std::string Trimmed(const std::string& s)
{
  const char* blanks = " \t\r\n";
  const size_t first = s.find_first_not_of(blanks);
  if (first == std::string::npos)
    return std::string();
  return s.substr(first, s.find_last_not_of(blanks) - first + 1);
}

// A host that starts and ends with a digit is a dotted address; one that
// inet_addr refuses (such as "1ab.example.2") is still looked up by name.
bool ResolveHost(const std::string& typed, in_addr* out)
{
  size_t first = typed.find_first_not_of(' ');
  if (first == std::string::npos)
    return false;
  const std::string host = typed.substr(first);
  if (isdigit((unsigned char)host.front()) && isdigit((unsigned char)host.back())) {
    const unsigned long a = ::inet_addr(host.c_str());
    if (a != INADDR_NONE) {
      out->s_addr = a;
      return true;
    }
  }
  const hostent* he = ::gethostbyname(host.c_str());
  if (he == nullptr || he->h_addrtype != AF_INET || he->h_addr_list[0] == nullptr)
    return false;
  memcpy(&out->s_addr, he->h_addr_list[0], sizeof out->s_addr);
  return true;
}

}  // namespace

BEGIN_MESSAGE_MAP(CCommandCtrlDlg, CDialog)
  ON_BN_CLICKED(IDC_CTRL_CONNECT, OnConnect)
  ON_BN_CLICKED(IDC_CTRL_DISCONNECT, OnDisconnect)
  ON_BN_CLICKED(IDC_CTRL_SEND, OnSend)
  ON_BN_CLICKED(IDC_CTRL_OPTIONS, OnOptions)
  ON_BN_CLICKED(IDC_CTRL_HELP, OnHelp)
  ON_BN_CLICKED(IDC_CTRL_LOGFILE, OnLogFile)
  ON_BN_CLICKED(IDC_CTRL_CLOSE, OnCloseButton)
  ON_EN_CHANGE(IDC_CTRL_HOST, OnHostChange)
  ON_EN_CHANGE(IDC_CTRL_USER, OnUserChange)
  ON_EN_CHANGE(IDC_CTRL_PASS, OnUserChange)
  ON_MESSAGE(UWM_CTRL_SOCKET, OnCtrlSocket)
  ON_MESSAGE(UWM_DATA_SOCKET, OnDataSocket)
  ON_MESSAGE(kLogFlushMessage, OnLogFlush)
  ON_WM_TIMER()
  ON_WM_SIZE()
  ON_WM_DESTROY()
END_MESSAGE_MAP()

CCommandCtrlDlg::CCommandCtrlDlg(CWnd* parent) : CDialog(IDD_COMMAND_CTRL, parent), m_session(this) {}

CCommandCtrlDlg::~CCommandCtrlDlg()
{
  // Normally done when the window went; this covers a dialog that never opened.
  CloseSocket(m_data, true);
  CloseSocket(m_listen, true);
  CloseSocket(m_ctrl, true);
  CloseLocal();
}

BOOL CCommandCtrlDlg::OnInitDialog()
{
  CDialog::OnInitDialog();
  m_log.SubclassDlgItem(IDC_CTRL_LOG, this);
  m_log.SetBkColor(kLogBack);
  m_log.SetTextColor(kLogText);
  // The 400-line rule bounds the log, not the edit's default 32 KB.
  ::SendMessageA(m_log.m_hWnd, EM_SETLIMITTEXT, 0, 0);
  m_progress.SubclassDlgItem(IDC_CTRL_PROGRESS, this);
  m_progress.SetRange(1, 99);
  m_progress.SetStep(1);
  m_progress.SetColours(kBarStart, kBarEnd, ::GetSysColor(COLOR_BTNFACE), 0xFFFFFF);

  m_filling = true;
  ::SetDlgItemTextA(m_hWnd, IDC_CTRL_HOST, m_host.GetString());
  ::SetDlgItemInt(m_hWnd, IDC_CTRL_PORT, (UINT)m_port, FALSE);
  ::SetDlgItemTextA(m_hWnd, IDC_CTRL_USER, m_user.GetString());
  ::SetDlgItemTextA(m_hWnd, IDC_CTRL_PASS, m_password.GetString());
  ::CheckDlgButton(m_hWnd, IDC_CTRL_ANONYMOUS, m_anonymous ? BST_CHECKED : BST_UNCHECKED);
  m_filling = false;
  ApplyOptions();
  EnableForState(false);

  struct Anchor {
    int id;
    int32_t flags;
  };
  const int32_t all = kAnchorLeft | kAnchorRight | kAnchorTop | kAnchorBottom;
  const int32_t bottomLeft = kAnchorLeft | kAnchorBottom;
  const int32_t stretch = kAnchorLeft | kAnchorRight | kAnchorBottom;
  const int32_t bottomRight = kAnchorRight | kAnchorBottom;
  const Anchor anchors[] = {
      {IDC_CTRL_FRAME, all},          {IDC_CTRL_LOG, all},
      {IDC_CTRL_HOST_LABEL, bottomLeft}, {IDC_CTRL_USER_LABEL, bottomLeft},
      {IDC_CTRL_COMMAND_LABEL, bottomLeft}, {IDC_CTRL_ANONYMOUS, bottomLeft},
      {IDC_CTRL_OPTIONS, bottomLeft}, {IDC_CTRL_LOGFILE, bottomLeft},
      {IDC_CTRL_COMMAND, stretch},    {IDC_CTRL_HOST, stretch},
      {IDC_CTRL_USER, stretch},       {IDC_CTRL_PORT_LABEL, bottomRight},
      {IDC_CTRL_PORT, bottomRight},   {IDC_CTRL_PASS_LABEL, bottomRight},
      {IDC_CTRL_PASS, bottomRight},   {IDC_CTRL_CONNECT, bottomRight},
      {IDC_CTRL_DISCONNECT, bottomRight}, {IDC_CTRL_SEND, bottomRight},
      {IDC_CTRL_HELP, bottomRight},   {IDC_CTRL_CLOSE, bottomRight},
      {IDC_CTRL_PROGRESS, bottomRight},
  };
  for (const Anchor& a : anchors)
    m_anchors.AddControl(::GetDlgItem(m_hWnd, a.id), a.flags);
  RECT window = {};
  ::GetWindowRect(m_hWnd, &window);
  SetMinTrackSize(CSize(window.right - window.left, window.bottom - window.top));
  ShowSizeGrip(TRUE);
  return TRUE;
}

void CCommandCtrlDlg::ApplyOptions()
{
  ConsoleOptions& o = m_session.Options();
  o.passive = m_passive != FALSE;
  o.ascii = m_ascii != FALSE;
  o.timeoutSeconds = m_timeout < 1 ? 1 : m_timeout;
  o.listOption = m_listOption;
  o.folder = m_folder.GetString();
}

void CCommandCtrlDlg::EnableForState(bool connected)
{
  for (int id : {IDC_CTRL_HOST, IDC_CTRL_PORT, IDC_CTRL_USER, IDC_CTRL_PASS, IDC_CTRL_ANONYMOUS, IDC_CTRL_CONNECT})
    ::EnableWindow(::GetDlgItem(m_hWnd, id), !connected);
  for (int id : {IDC_CTRL_COMMAND, IDC_CTRL_SEND, IDC_CTRL_DISCONNECT})
    ::EnableWindow(::GetDlgItem(m_hWnd, id), connected);
  if (connected)
    ::SetFocus(::GetDlgItem(m_hWnd, IDC_CTRL_COMMAND));
}

void CCommandCtrlDlg::ReadFields()
{
  m_host = Trimmed(ItemText(m_hWnd, IDC_CTRL_HOST)).c_str();
  BOOL ok = FALSE;
  const UINT port = ::GetDlgItemInt(m_hWnd, IDC_CTRL_PORT, &ok, FALSE);
  m_port = ok && port > 0 && port < 65536 ? (int)port : 21;
  m_user = ItemText(m_hWnd, IDC_CTRL_USER).c_str();
  m_password = ItemText(m_hWnd, IDC_CTRL_PASS).c_str();
  m_anonymous = ::IsDlgButtonChecked(m_hWnd, IDC_CTRL_ANONYMOUS) == BST_CHECKED;
}

void CCommandCtrlDlg::OnConnect()
{
  ReadFields();
  m_session.Reset();
  ApplyOptions();
  in_addr addr = {};
  SOCKET s = INVALID_SOCKET;
  {
    // The connect blocks; the user sees why the window does not answer.
    HCURSOR old = ::SetCursor(::LoadCursor(nullptr, IDC_WAIT));
    if (ResolveHost(m_host.GetString(), &addr)) {
      s = ::WSASocketA(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_OVERLAPPED);
      if (s != INVALID_SOCKET) {
        sockaddr_in sa = {};
        sa.sin_family = AF_INET;
        sa.sin_addr = addr;
        sa.sin_port = htons((u_short)m_port);
        if (::connect(s, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0)
          CloseSocket(s, true);
      }
    }
    ::SetCursor(old);
  }
  if (s == INVALID_SOCKET)
    return;
  m_ctrl = s;
  if (::WSAAsyncSelect(s, m_hWnd, UWM_CTRL_SOCKET, FD_READ | FD_WRITE | FD_CLOSE) != 0) {
    CloseSocket(m_ctrl, true);
    return;
  }
  m_session.OnConnected((int)s, m_user.GetString(), m_password.GetString(), m_anonymous != FALSE);
}

void CCommandCtrlDlg::OnDisconnect()
{
  m_session.OnDisconnect((int)m_ctrl);
}

void CCommandCtrlDlg::OnOK()
{
  if (::GetFocus() == ::GetDlgItem(m_hWnd, IDC_CTRL_COMMAND))
    OnSend();
}

void CCommandCtrlDlg::OnSend()
{
  if (!m_session.Connected())
    return;
  const std::string text = ItemText(m_hWnd, IDC_CTRL_COMMAND);
  if (Trimmed(text).empty())
    return;
  m_session.OnTyped(text);
  HWND edit = ::GetDlgItem(m_hWnd, IDC_CTRL_COMMAND);
  ::SetWindowTextA(edit, "");
  if (::IsWindowEnabled(edit))
    ::SetFocus(edit);
}

void CCommandCtrlDlg::OnOptions()
{
  CCommandSetDlg dlg(this);
  dlg.m_ascii = m_ascii ? 1 : 0;
  dlg.m_passive = m_passive ? 1 : 0;
  dlg.m_timeout = m_timeout;
  dlg.m_folder = m_folder;
  dlg.m_listOption = m_listOption;
  if (dlg.DoModal() != IDOK)
    return;
  m_ascii = dlg.m_ascii != 0;
  m_passive = dlg.m_passive != 0;
  m_timeout = dlg.m_timeout < 1 ? 1 : dlg.m_timeout;
  m_listOption = dlg.m_listOption;
  const std::string folder = Trimmed(dlg.m_folder.GetString());
  if (!folder.empty())
    m_folder = folder.c_str();
  ApplyOptions();
}

void CCommandCtrlDlg::OnHelp()
{
  if (m_help == nullptr) {
    m_help = new CCommandHelpDlg;
    if (!m_help->Create(this)) {
      delete m_help;
      m_help = nullptr;
      return;
    }
  }
  m_help->ShowWindow(SW_SHOW);
  ::SetForegroundWindow(m_help->m_hWnd);
}

void CCommandCtrlDlg::OnLogFile()
{
  CFileDialog box(TRUE, "txt", nullptr, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST, kLogFilter, this);
  if (box.DoModal() != IDOK)
    return;
  ToolkitOpen(box.GetPathName().GetString(), SW_SHOWNORMAL);
}

void CCommandCtrlDlg::OnCloseButton()
{
  EndDialog(IDOK);
}

void CCommandCtrlDlg::OnHostChange()
{
  if (!m_filling && !m_session.Connected())
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_CTRL_CONNECT), TRUE);
}

void CCommandCtrlDlg::OnUserChange()
{
  if (!m_filling)
    ::CheckDlgButton(m_hWnd, IDC_CTRL_ANONYMOUS, BST_UNCHECKED);
}

LRESULT CCommandCtrlDlg::OnCtrlSocket(WPARAM wParam, LPARAM lParam)
{
  const SOCKET s = (SOCKET)wParam;
  if (s == INVALID_SOCKET || s != m_ctrl)
    return 0;
  char buffer[ConsoleSession::kBufferSize];
  switch (WSAGETSELECTEVENT(lParam)) {
  case FD_READ:
  case FD_WRITE: {
    const int got = ::recv(s, buffer, sizeof buffer, 0);
    if (got > 0)
      m_session.OnControlBytes(buffer, (size_t)got);
    break;
  }
  case FD_CLOSE:
    // A download's bytes already here go to its file before the reset.
    if (m_data != INVALID_SOCKET)
      DataReceived(m_data, false);
    // Whatever the server said before closing is still read and shown.
    for (int i = 0; i < 64 && m_ctrl == s; ++i) {
      const int got = ::recv(s, buffer, sizeof buffer, 0);
      if (got <= 0)
        break;
      m_session.OnControlBytes(buffer, (size_t)got);
    }
    if (m_ctrl == s)
      m_session.OnControlClosed((int)s);
    break;
  default:
    break;
  }
  return 0;
}

void CCommandCtrlDlg::DataReceived(SOCKET s, bool toTheEnd)
{
  char buffer[ConsoleSession::kBufferSize];
  // Several reads per event keep a fast download from waiting on the queue;
  // at the close every byte left is read.
  for (int i = 0; toTheEnd || i < 8; ++i) {
    if (m_data != s)
      return;
    const int got = ::recv(s, buffer, sizeof buffer, 0);
    if (got <= 0)
      return;
    m_session.OnDataBytes(buffer, (size_t)got);
  }
}

LRESULT CCommandCtrlDlg::OnDataSocket(WPARAM wParam, LPARAM lParam)
{
  const SOCKET s = (SOCKET)wParam;
  if (s == INVALID_SOCKET || (s != m_data && s != m_listen))
    return 0;
  const int error = WSAGETSELECTERROR(lParam);
  switch (WSAGETSELECTEVENT(lParam)) {
  case FD_ACCEPT: {
    if (s != m_listen)
      break;
    SOCKET accepted = ::accept(s, nullptr, nullptr);
    if (accepted == INVALID_SOCKET) {
      Log("Creating Data Socket error.\r\n");
      break;
    }
    CloseSocket(m_listen, false);
    DropPendingEvents(s);
    m_data = accepted;
    ::WSAAsyncSelect(accepted, m_hWnd, UWM_DATA_SOCKET, FD_READ | FD_WRITE | FD_CLOSE);
    m_session.OnDataConnected((int)accepted, true);
    if (m_data == accepted)
      m_session.OnDataWritable();
    break;
  }
  case FD_CONNECT:
    if (s != m_data)
      break;
    if (error != 0) {
      m_session.OnDataConnectFailed();
      break;
    }
    m_session.OnDataConnected((int)s, false);
    if (m_data == s)
      m_session.OnDataWritable();
    break;
  case FD_READ:
    if (s == m_data)
      DataReceived(s, false);
    break;
  case FD_WRITE:
    if (s == m_data)
      m_session.OnDataWritable();
    break;
  case FD_CLOSE:
    if (s != m_data)
      break;
    DataReceived(s, true);
    if (m_data == s)
      m_session.OnDataClosed();
    break;
  default:
    break;
  }
  return 0;
}

void CCommandCtrlDlg::OnTimer(UINT_PTR id)
{
  if (id == kPumpTimer)
    m_session.OnPumpTick();
  else if (id == kTimeoutTimer)
    m_session.OnTimeout();
}

void CCommandCtrlDlg::OnSize(UINT type, int cx, int cy)
{
  CDialog::OnSize(type, cx, cy);
  if (type != SIZE_MINIMIZED) {
    m_anchors.Relayout(this);
    // Moved controls leave their old places painted.
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
  }
}

void CCommandCtrlDlg::OnDestroy()
{
  if (m_help != nullptr) {
    if (::IsWindow(m_help->m_hWnd))
      m_help->DestroyWindow();  // deletes itself
    else
      delete m_help;
    m_help = nullptr;
  }
  m_session.Reset();
  CloseLocal();
  CDialog::OnDestroy();
}

// ---- ConsoleSessionHost -----------------------------------------------------

void CCommandCtrlDlg::CloseSocket(SOCKET& s, bool abortive)
{
  if (s == INVALID_SOCKET)
    return;
  if (abortive) {
    linger l = {1, 0};
    ::setsockopt(s, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&l), sizeof l);
  }
  ::closesocket(s);
  s = INVALID_SOCKET;
}

// Events already posted for a socket that is gone would reach a later socket
// that happens to get the same number.
void CCommandCtrlDlg::DropPendingEvents(SOCKET s)
{
  if (m_hWnd == nullptr)
    return;
  std::vector<MSG> keep;
  MSG msg;
  while (::PeekMessageA(&msg, m_hWnd, UWM_CTRL_SOCKET, UWM_DATA_SOCKET, PM_REMOVE))
    if ((SOCKET)msg.wParam != s)
      keep.push_back(msg);
  for (const MSG& m : keep)
    ::PostMessageA(m_hWnd, m.message, m.wParam, m.lParam);
}

bool CCommandCtrlDlg::SendControl(const char* data, size_t size)
{
  if (m_ctrl == INVALID_SOCKET)
    return false;
  size_t done = 0;
  int waits = 0;
  while (done < size) {
    const int sent = ::send(m_ctrl, data + done, (int)(size - done), 0);
    if (sent > 0) {
      done += (size_t)sent;
      continue;
    }
    // A command line fits any send buffer; a full one only for a moment.
    if (sent < 0 && ::WSAGetLastError() == WSAEWOULDBLOCK && ++waits < 100) {
      ::Sleep(10);
      continue;
    }
    return false;
  }
  return true;
}

void CCommandCtrlDlg::CloseControl()
{
  const SOCKET old = m_ctrl;
  CloseSocket(m_ctrl, true);
  DropPendingEvents(old);
}

bool CCommandCtrlDlg::OpenListen(uint8_t addr[4], uint16_t* port)
{
  CloseData(true);
  SOCKET s = ::WSASocketA(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_OVERLAPPED);
  if (s == INVALID_SOCKET) {
    Log("status:>Binding Listen Socket error.");
    ::MessageBeep(MB_ICONEXCLAMATION);
    return false;
  }
  sockaddr_in any = {};
  any.sin_family = AF_INET;
  any.sin_addr.s_addr = htonl(INADDR_ANY);
  if (::bind(s, reinterpret_cast<sockaddr*>(&any), sizeof any) != 0) {
    ::closesocket(s);
    Log("status:>Binding Listen Socket error.");
    ::MessageBeep(MB_ICONEXCLAMATION);
    return false;
  }
  m_listen = s;
  ::WSAAsyncSelect(s, m_hWnd, UWM_DATA_SOCKET, FD_READ | FD_WRITE | FD_ACCEPT | FD_CLOSE);
  char line[96];
  snprintf(line, sizeof line, "status:>Listen Socket already bound(socket %d)", (int)s);
  Log(line);
  sockaddr_in mine = {}, bound = {};
  int mineSize = sizeof mine, boundSize = sizeof bound;
  if (::listen(s, 3) != 0 || ::getsockname(s, reinterpret_cast<sockaddr*>(&bound), &boundSize) != 0) {
    CloseSocket(m_listen, true);
    Log("status:>Binding Listen Socket error.");
    ::MessageBeep(MB_ICONEXCLAMATION);
    return false;
  }
  if (::getsockname(m_ctrl, reinterpret_cast<sockaddr*>(&mine), &mineSize) != 0) {
    CloseSocket(m_listen, true);
    ::MessageBoxA(m_hWnd, "getsockname problem", "ZARN-Manual Control Center", MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  memcpy(addr, &mine.sin_addr.s_addr, 4);
  *port = ntohs(bound.sin_port);
  return true;
}

bool CCommandCtrlDlg::ConnectData(const char* addr, int port)
{
  CloseData(true);
  SOCKET s = ::WSASocketA(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_OVERLAPPED);
  if (s == INVALID_SOCKET) {
    Log("::Create Data Socket error.\r\n");
    return false;
  }
  const BOOL on = TRUE;
  ::setsockopt(s, SOL_SOCKET, SO_KEEPALIVE, reinterpret_cast<const char*>(&on), sizeof on);
  m_data = s;
  ::WSAAsyncSelect(s, m_hWnd, UWM_DATA_SOCKET, FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE);
  sockaddr_in sa = {};
  sa.sin_family = AF_INET;
  sa.sin_addr.s_addr = ::inet_addr(addr);
  sa.sin_port = htons((u_short)port);
  if (sa.sin_addr.s_addr == INADDR_NONE || port <= 0 || port > 65535) {
    CloseSocket(m_data, true);
    Log("::Initializing Data Socket error.\r\n");
    return false;
  }
  if (::connect(s, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 && ::WSAGetLastError() != WSAEWOULDBLOCK) {
    CloseSocket(m_data, true);
    DropPendingEvents(s);
    Log("::Connecting error,please check network condition.\r\n");
    return false;
  }
  return true;
}

int CCommandCtrlDlg::SendData(const char* data, size_t size)
{
  if (m_data == INVALID_SOCKET)
    return -1;
  const int sent = ::send(m_data, data, (int)size, 0);
  if (sent >= 0)
    return sent;
  return ::WSAGetLastError() == WSAEWOULDBLOCK ? 0 : -1;
}

void CCommandCtrlDlg::ShutdownDataSend()
{
  if (m_data != INVALID_SOCKET)
    ::shutdown(m_data, SD_SEND);
}

void CCommandCtrlDlg::CloseData(bool abortive)
{
  const SOCKET data = m_data, listen = m_listen;
  CloseSocket(m_data, abortive);
  CloseSocket(m_listen, abortive);
  if (data != INVALID_SOCKET)
    DropPendingEvents(data);
  if (listen != INVALID_SOCKET)
    DropPendingEvents(listen);
}

void CCommandCtrlDlg::SetPumpTimer(bool on)
{
  if (m_hWnd == nullptr)
    return;
  if (on)
    SetTimer(kPumpTimer, kPumpMs);
  else
    KillTimer(kPumpTimer);
}

void CCommandCtrlDlg::SetTimeoutTimer(bool on)
{
  if (m_hWnd == nullptr)
    return;
  if (on)
    SetTimer(kTimeoutTimer, (UINT)m_session.Options().timeoutSeconds * 1000u);
  else
    KillTimer(kTimeoutTimer);
}

bool CCommandCtrlDlg::OpenLocal(const char* path, const char* mode, uint64_t* size)
{
  CloseLocal();
  m_file = fopen(path, mode);
  if (m_file == nullptr)
    return false;
  if (size != nullptr) {
    *size = 0;
    if (mode[0] == 'r' && _fseeki64(m_file, 0, SEEK_END) == 0) {
      const long long end = _ftelli64(m_file);
      *size = end > 0 ? (uint64_t)end : 0;
      _fseeki64(m_file, 0, SEEK_SET);
    }
  }
  return true;
}

size_t CCommandCtrlDlg::ReadLocal(void* buffer, size_t size)
{
  return m_file != nullptr ? fread(buffer, 1, size, m_file) : 0;
}

bool CCommandCtrlDlg::WriteLocal(const void* data, size_t size)
{
  return m_file != nullptr && fwrite(data, 1, size, m_file) == size;
}

void CCommandCtrlDlg::CloseLocal()
{
  if (m_file != nullptr)
    fclose(m_file);
  m_file = nullptr;
}

void CCommandCtrlDlg::Log(const std::string& line)
{
  AddLog(line);
}

void CCommandCtrlDlg::AddLog(const std::string& text)
{
  if (m_log.m_hWnd == nullptr)
    return;
  // The same 400/100 rule on what waits, so a huge listing never piles up.
  AppendConsoleLog(m_pendingLog, text);
  if (!m_flushPosted && ::PostMessageA(m_hWnd, kLogFlushMessage, 0, 0))
    m_flushPosted = true;
}

LRESULT CCommandCtrlDlg::OnLogFlush(WPARAM, LPARAM)
{
  m_flushPosted = false;
  HWND log = m_log.m_hWnd;
  if (log == nullptr || m_pendingLog.empty())
    return 0;
  const int end = ::GetWindowTextLengthA(log);
  ::SendMessageA(log, EM_SETSEL, (WPARAM)end, (LPARAM)end);
  ::SendMessageA(log, EM_REPLACESEL, FALSE, (LPARAM)m_pendingLog.c_str());
  m_pendingLog.clear();
  // Past 400 lines the first 100 go, as often as needed, in one cut.
  int lines = (int)::SendMessageA(log, EM_GETLINECOUNT, 0, 0);
  int drop = 0;
  while (lines - drop > kMaxLogLines)
    drop += kLogLinesDropped;
  if (drop > 0) {
    const int cut = (int)::SendMessageA(log, EM_LINEINDEX, (WPARAM)drop, 0);
    if (cut > 0) {
      ::SendMessageA(log, EM_SETSEL, 0, (LPARAM)cut);
      ::SendMessageA(log, EM_REPLACESEL, FALSE, (LPARAM) "");
    }
  }
  const int now = ::GetWindowTextLengthA(log);
  ::SendMessageA(log, EM_SETSEL, (WPARAM)now, (LPARAM)now);
  ::SendMessageA(log, EM_SCROLLCARET, 0, 0);
  return 0;
}

void CCommandCtrlDlg::Progress(int position)
{
  if (m_progress.m_hWnd != nullptr)
    m_progress.SetPos(position);
}

void CCommandCtrlDlg::ConnectedChanged(bool connected)
{
  if (m_hWnd != nullptr)
    EnableForState(connected);
}

uint32_t CCommandCtrlDlg::TickCount()
{
  return ::GetTickCount();
}

std::string CCommandCtrlDlg::TimeStamp()
{
  const time_t now = time(nullptr);
  tm local = {};
  localtime_s(&local, &now);
  char text[16] = "";
  strftime(text, sizeof text, "%H-%M-%S", &local);
  return text;
}
