#include "tests/keeper/keeperfix.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "engine/connlog.h"
#include "engine/netsession.h"
#include "shell/settings/settings.h"
#include "tests/net/netclient.h"
#include "tests/support/peers.h"

namespace keepertest {

void FastSettings()
{
  ResetSettingsDefaults();
  g_idleTimeout = 1;
  g_connectTimeout = 1;
  g_retryDelay = 1;
  g_recvTimeout = 3;
  g_optionFlags |= 1u << OPTBIT_LAN_USER;
  peers::StartSockets();
  InitFtpVerbNames();
  ConnLogClear();
}

void SetUpSite(CSiteItem& site, int port, const char* user, const char* password, char keepAlive)
{
  nettest::SetUpSite(site, port, user, password, false);
  site.SiteOptionDigits[7] = keepAlive;
}

void StartKeeper(CSiteItem& site)
{
  CWinThread* thread =
      AfxBeginThread(ConnectKeeperProc, &site, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
  ASSERT_NE(thread, nullptr);
  thread->m_bAutoDelete = FALSE;
  site.m_pKeeperThread = thread;
  thread->ResumeThread();
}

bool KeeperEnded(CSiteItem& site, DWORD waitMs)
{
  if (site.m_pKeeperThread == nullptr)
    return true;
  return ::WaitForSingleObject(site.m_pKeeperThread->m_hThread, waitMs) == WAIT_OBJECT_0;
}

void StartWorkerSite(CSiteItem& site)
{
  site.SiteOptionDigits[4] = '1';
  site.m_queueRun = 1;
  site.m_workerFlag = 1;
  StartKeeper(site);
  ASSERT_TRUE(WaitFor([&] { return site.m_connected.load() != 0; }, 15000)) << nettest::LogDump();
}

DWORD StopKeeper(CSiteItem& site, DWORD waitMs)
{
  const DWORD start = ::GetTickCount();
  site.m_keeperRunning = 0;
  if (!KeeperEnded(site, waitMs))
    return waitMs + 1;
  return ::GetTickCount() - start;
}

bool WaitFor(const std::function<bool()>& pred, DWORD waitMs)
{
  const DWORD start = ::GetTickCount();
  for (;;) {
    if (pred())
      return true;
    if (::GetTickCount() - start >= waitMs)
      return false;
    ::Sleep(50);
  }
}

namespace {

std::string WindowsPath(const std::string& unixPath)
{
  std::string out = "Z:" + unixPath;
  for (char& c : out)
    if (c == '/')
      c = '\\';
  return out;
}

}  // namespace

std::vector<std::string> ServerCommands(int clientPort)
{
  std::vector<std::string> commands;
  const std::string path = peers::Env("ZARN_PYFTPD_LOG");
  if (path.empty() || clientPort == 0)
    return commands;
  FILE* f = fopen(WindowsPath(path).c_str(), "rb");
  if (f == nullptr)
    return commands;
  // Lines look like "DEBUG:pyftpdlib:127.0.0.1:54321-[zarn] <- NOOP".
  const std::string who = "127.0.0.1:" + std::to_string(clientPort) + "-";
  char line[2048];
  while (fgets(line, sizeof(line), f) != nullptr) {
    std::string l(line);
    while (!l.empty() && (l.back() == '\n' || l.back() == '\r'))
      l.pop_back();
    if (l.find(who) == std::string::npos)
      continue;
    const size_t arrow = l.find("] <- ");
    if (arrow != std::string::npos)
      commands.push_back(l.substr(arrow + 5));
  }
  fclose(f);
  return commands;
}

std::vector<std::string> KeepAliveCommands(int clientPort)
{
  std::vector<std::string> all = ServerCommands(clientPort);
  std::vector<std::string> after;
  bool loginDone = false;
  for (const std::string& c : all) {
    if (loginDone)
      after.push_back(c);
    else if (c == "PWD")
      loginDone = true;
  }
  return after;
}

std::string Joined(const std::vector<std::string>& lines)
{
  std::string all;
  for (const std::string& l : lines)
    all += l + "\n";
  return all;
}

int FindLog(const std::string& text, int from)
{
  const std::vector<std::string> lines = nettest::LogLines();
  for (int i = from < 0 ? 0 : from; i < (int)lines.size(); ++i)
    if (lines[(size_t)i].find(text) != std::string::npos)
      return i;
  return -1;
}

SinkWindow::SinkWindow()
{
  m_wnd.CreateEx(0, AfxRegisterWndClass(0), "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr);
}

SinkWindow::~SinkWindow()
{
  if (m_wnd.GetSafeHwnd() != nullptr)
    m_wnd.DestroyWindow();
}

std::vector<std::pair<WPARAM, LPARAM>> SinkWindow::Take(UINT message)
{
  std::vector<std::pair<WPARAM, LPARAM>> got;
  MSG msg;
  while (::PeekMessageA(&msg, m_wnd.GetSafeHwnd(), message, message, PM_REMOVE))
    got.emplace_back(msg.wParam, msg.lParam);
  return got;
}

std::vector<std::pair<WPARAM, LPARAM>> SinkWindow::TakeAtLeast(UINT message, size_t count, DWORD waitMs)
{
  std::vector<std::pair<WPARAM, LPARAM>> got;
  WaitFor(
      [&] {
        for (const auto& post : Take(message))
          got.push_back(post);
        return got.size() >= count;
      },
      waitMs);
  return got;
}

void ExpectEnded(CSiteItem& site)
{
  EXPECT_TRUE(KeeperEnded(site, 0));
  EXPECT_EQ(site.m_keeperRunning.load(), 0);
  EXPECT_EQ(site.m_connected.load(), 0);
  EXPECT_EQ(site.m_mainBusy.load(), 0);
  EXPECT_EQ(site.m_queueRun.load(), 0);
  EXPECT_EQ(site.m_pMainSession, nullptr);
  EXPECT_EQ(site.m_localAddress[0], '\0');
  EXPECT_EQ(site.m_serverAddress[0], '\0');
  EXPECT_EQ(::WaitForSingleObject(site.m_hIdleEvent, 0), (DWORD)WAIT_OBJECT_0) << "the idle event is set";
  EXPECT_EQ(nettest::CountConnectionWindows(), 0) << "a connection thread was left";
}

}  // namespace keepertest
