#include "tests/net/netclient.h"

#include <cstring>

#include "engine/connlog.h"
#include "engine/ftpsocketwnd.h"
#include "tests/support/peers.h"

namespace nettest {

void SetUpSite(CSiteItem& site, int port, const char* user, const char* password, bool anonymous)
{
  peers::StartSockets();
  InitFtpVerbNames();
  CopySiteText(site.m_host, "127.0.0.1");
  site.m_port = port;
  CopySiteText(site.m_user, user);
  CopySiteText(site.m_password, password);
  site.SiteOptionDigits[1] = anonymous ? '1' : '0';
}

Client::Client(CSiteItem* site, bool keeper) : m_session(new NetSession)
{
  m_session->m_pSite = site;
  m_session->m_keeper = keeper ? 1 : 0;
}

Client::~Client()
{
  Stop();
  if (m_abandoned)
    return;
  // The client owns the event once the connection is gone.
  if (m_session->m_hDoneEvent != nullptr) {
    ::CloseHandle(m_session->m_hDoneEvent);
    m_session->m_hDoneEvent = nullptr;
  }
  delete m_session;
}

bool Client::Wait(DWORD waitMs)
{
  const DWORD start = ::GetTickCount();
  const DWORD r = ::WaitForSingleObject(m_session->m_hDoneEvent, waitMs);
  elapsedMs = ::GetTickCount() - start;
  return r == WAIT_OBJECT_0;
}

bool Client::Begin()
{
  m_thread = new CNetFunc(m_session);
  if (!m_thread->Start()) {
    delete m_thread;
    m_thread = nullptr;
    return false;
  }
  return true;
}

bool Client::Run(const std::vector<std::pair<int, std::string>>& commands, DWORD waitMs)
{
  // As every client does: a new operation starts with an empty queue and a
  // live connection.
  m_session->BeginOperation(false);
  for (const auto& c : commands)
    m_session->PushCommand(c.first, c.second.c_str());
  m_session->PostCommands();
  return Wait(waitMs);
}

DWORD Client::Stop()
{
  if (m_thread == nullptr)
    return 0;
  const DWORD start = ::GetTickCount();
  const bool ended = m_thread->Stop();
  const DWORD took = ::GetTickCount() - start;
  if (ended)
    delete m_thread;  // one that would not end is left with its session
  else
    m_abandoned = true;
  m_thread = nullptr;
  return took;
}

std::vector<std::string> LogLines()
{
  std::vector<std::string> lines;
  const int n = ConnLogCount();
  for (int i = 0; i < n; ++i)
    lines.push_back(static_cast<const char*>(ConnLogRowText(i)));
  return lines;
}

bool LogHas(const std::string& text)
{
  return LogCount(text) > 0;
}

int LogCount(const std::string& text)
{
  int count = 0;
  for (const std::string& l : LogLines())
    if (l.find(text) != std::string::npos)
      ++count;
  return count;
}

std::string LogDump()
{
  std::string all;
  for (const std::string& l : LogLines()) {
    all += l;
    if (all.empty() || all.back() != '\n')
      all += "\n";
  }
  return all;
}

int CountConnectionWindows()
{
  // Connection windows are message-only: EnumWindows does not list them.
  int count = 0;
  for (HWND h = nullptr; (h = ::FindWindowExA(HWND_MESSAGE, h, nullptr, kConnectionWindowName)) != nullptr;) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(h, &pid);
    if (pid == ::GetCurrentProcessId())
      ++count;
  }
  return count;
}

}  // namespace nettest
