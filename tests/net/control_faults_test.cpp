// The control connection against a scripted server that does what real servers
// will not: replies cut anywhere, two in one segment, overlong lines, refusals,
// drops, silence, a flood. Each case: the right flags and log lines, a client woken in
// time, and a thread that stops within a few seconds.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/connlog.h"
#include "framework/file.h"
#include "shell/settings/settings.h"
#include "tests/net/netclient.h"
#include "tests/support/peers.h"

using nettest::Client;
using nettest::LogCount;
using nettest::LogDump;
using nettest::LogHas;

namespace {

int CountReceived(const std::vector<std::string>& lines, const std::string& prefix)
{
  return (int)std::count_if(lines.begin(), lines.end(),
                            [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
}

std::string Joined(const std::vector<std::string>& lines)
{
  std::string all;
  for (const std::string& l : lines)
    all += l.substr(0, 80) + "\n";
  return all;
}

class ControlFaults : public ::testing::Test {
protected:
  void SetUp() override
  {
    ConnLogClear();
    port = peers::Port("ZARN_SCRIPTED_PORT");
    ASSERT_NE(port, 0) << "run under tests/peers/with-peers.sh --scripted";
    nettest::SetUpSite(site, port, "zarn", "secret", false);
  }
  // Picks the scenario and logs in; true when the event came within 10 s.
  bool Start(const char* scenario, Client& client, DWORD waitMs = 10000)
  {
    EXPECT_TRUE(peers::Scenario(scenario)) << scenario;
    return client.Connect(waitMs);
  }

  int port = 0;
  CSiteItem site;
};

TEST_F(ControlFaults, RepliesCutAnywhereGiveTheSameLogin)
{
  {
    Client client(&site);
    ASSERT_TRUE(Start("greeting_bytewise", client)) << LogDump();
    EXPECT_TRUE(client.LoggedIn()) << LogDump();
    EXPECT_EQ(LogCount("127.0.0.1::Reply: 220 slow hello\r\n"), 1) << LogDump();
    EXPECT_EQ(LogCount("::Reply: "), 3);  // 220, 331, 257: no fragment logged as a line
    EXPECT_LT(client.Stop(), 3000u);
  }
  ConnLogClear();
  {
    // A welcome block cut inside lines, whose text lines begin with digits.
    Client client(&site);
    ASSERT_TRUE(Start("welcome_block", client)) << LogDump();
    EXPECT_TRUE(client.LoggedIn()) << LogDump();
    EXPECT_TRUE(client.Alive());
    for (const char* line : {"230-Welcome", "230-2300 users may log in", "123 is a text line", " 230 indented",
                             "230 Login done."})
      EXPECT_EQ(LogCount(std::string("127.0.0.1::Welcome Message:") + line + "\r\n"), 1) << line << "\n"
                                                                                           << LogDump();
    EXPECT_LT(client.Stop(), 3000u);
    // Classified once: one PWD, not one per read.
    EXPECT_EQ(CountReceived(peers::Received(), "PWD"), 1);
  }
}

TEST_F(ControlFaults, TwoRepliesInOneSegmentAreBothHandled)
{
  Client client(&site);
  ASSERT_TRUE(Start("size_and_extra", client));
  client.Session()->m_progress = 0;
  // The 213 comes first in the segment: it is the answer, not the line after it.
  ASSERT_TRUE(client.Run(VERB_SIZE, "file.bin", 5000)) << LogDump();
  EXPECT_TRUE(client.Alive());
  EXPECT_EQ(client.Session()->m_progress.load(), 4096);
  EXPECT_LT(client.Stop(), 3000u);
  // The second reply was read too (logged after the first woke the client).
  EXPECT_TRUE(LogHas("127.0.0.1::Reply: 200 extra line\r\n"));
}

TEST_F(ControlFaults, OverlongLineKeepsTheStreamInStep)
{
  Client client(&site);
  ASSERT_TRUE(Start("long_reply_line", client));
  ASSERT_TRUE(client.Run(VERB_NOOP, "", 5000));
  EXPECT_TRUE(client.Alive());
  EXPECT_TRUE(LogHas("127.0.0.1::Reply: 200 xxxxxxxxxx"));
  // The next reply is read as a reply of its own.
  ASSERT_TRUE(client.Run(VERB_SYST, "", 5000));
  EXPECT_TRUE(client.Alive());
  EXPECT_TRUE(LogHas("127.0.0.1::Reply: 215 UNIX Type: L8\r\n")) << LogDump();
  EXPECT_LT(client.Stop(), 3000u);
}

TEST_F(ControlFaults, RefusalsWakeTheClientAtOnce)
{
  struct Case {
    const char* scenario;
    const char* line;
  };
  for (const Case& c : {Case{"refuse_pass", "127.0.0.1::User ID not accepted.\r\n"},
                        Case{"refuse_greeting", "127.0.0.1::Reply: 421 Too many users, try later\r\n"},
                        Case{"close_after_greeting", nullptr}}) {
    SCOPED_TRACE(c.scenario);
    ConnLogClear();
    Client client(&site);
    ASSERT_TRUE(Start(c.scenario, client));
    EXPECT_LT(client.elapsedMs, 5000u);  // the 421 server closes only after 10 s
    EXPECT_FALSE(client.Alive());
    EXPECT_FALSE(client.LoggedIn());
    if (c.line != nullptr) {
      EXPECT_TRUE(LogHas(c.line)) << LogDump();
    }
    EXPECT_LT(client.Stop(), 3000u);
  }
}

TEST_F(ControlFaults, RefusedPasswordIsNotRetriedWithoutAProxy)
{
  Client client(&site);
  ASSERT_TRUE(Start("refuse_pass_always", client));
  EXPECT_FALSE(client.Alive());
  EXPECT_LT(client.Stop(), 3000u);
  const std::vector<std::string> received = peers::Received();
  EXPECT_EQ(CountReceived(received, "USER"), 1) << Joined(received);
  EXPECT_EQ(CountReceived(received, "PASS"), 1);
}

TEST_F(ControlFaults, FtpProxyRetriesARefusedLoginOnceOnly)
{
  // An FTP proxy that takes the target in USER; every password refused.
  g_proxyType = 11;
  CopySiteText(g_proxyHost, "127.0.0.1");
  g_proxyPort = port;
  CopySiteText(g_proxyUser, "puser");
  CopySiteText(site.m_host, "ftp.example.test");
  site.m_port = 2121;
  Client client(&site);
  const bool woke = Start("refuse_pass_always", client);
  g_proxyType = 0;
  g_proxyPort = 1080;
  g_proxyHost[0] = g_proxyUser[0] = '\0';
  ASSERT_TRUE(woke);
  EXPECT_LT(client.elapsedMs, 3000u);
  EXPECT_FALSE(client.Alive());
  EXPECT_EQ(LogCount("ftp.example.test::User ID not accepted.\r\n"), 2) << LogDump();
  EXPECT_LT(client.Stop(), 3000u);
  const std::vector<std::string> received = peers::Received();
  // The proxy's form once; the repeat names the plain user, the path to the
  // server standing.
  EXPECT_EQ(CountReceived(received, "USER zarn@ftp.example.test:2121 puser"), 1) << Joined(received);
  EXPECT_EQ(CountReceived(received, "USER"), 2);
  EXPECT_EQ(CountReceived(received, "PASS"), 2);
}

TEST_F(ControlFaults, DropsWakeTheClientAtOnce)
{
  {
    // In the middle of the welcome block.
    Client client(&site);
    ASSERT_TRUE(Start("close_inside_reply", client));
    EXPECT_LT(client.elapsedMs, 2000u);
    EXPECT_FALSE(client.Alive());
    EXPECT_FALSE(client.LoggedIn());
    EXPECT_TRUE(LogHas("127.0.0.1::Welcome Message:230-Welcome\r\n")) << LogDump();
    EXPECT_TRUE(LogHas("127.0.0.1::Welcome Message:230-more to co\r\n"));
    EXPECT_LT(client.Stop(), 3000u);
  }
  {
    // While a command waits for its reply.
    Client client(&site);
    ASSERT_TRUE(Start("drop_on_noop", client));
    ASSERT_TRUE(client.LoggedIn());
    ASSERT_TRUE(client.Run(VERB_NOOP, "", 5000));
    EXPECT_LT(client.elapsedMs, 2000u);
    EXPECT_FALSE(client.Alive());
    EXPECT_LT(client.Stop(), 3000u);
  }
}

TEST_F(ControlFaults, SilentServerWaitsOnlyForTheClientsTimeOut)
{
  Client client(&site);
  EXPECT_FALSE(Start("silent", client, 3000));
  EXPECT_GE(client.elapsedMs, 2900u);
  EXPECT_FALSE(client.LoggedIn());
  // The stop says QUIT and waits for no answer longer than about 2 s.
  const DWORD took = client.Stop();
  EXPECT_GE(took, 1500u);
  EXPECT_LT(took, 4000u);
  EXPECT_EQ(peers::Received(), std::vector<std::string>{"QUIT"});
}

TEST_F(ControlFaults, ServerGoodbyeDuringADownloadNeverReachesTheFile)
{
  char folder[MAX_PATH];
  ::GetTempPathA(MAX_PATH, folder);
  const std::string path = std::string(folder) + "zarn_control_faults.bin";
  CFile file;
  ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeBinary));
  Client client(&site);
  ASSERT_TRUE(Start("retr_then_421", client));
  client.Session()->m_pFile = &file;
  ASSERT_TRUE(client.Run(VERB_RETR, "big.bin", 8000)) << LogDump();
  EXPECT_LT(client.elapsedMs, 5000u);
  EXPECT_FALSE(client.Alive());
  EXPECT_TRUE(LogHas("127.0.0.1::Status: Sending file. \r\n"));
  EXPECT_TRUE(LogHas("127.0.0.1::Reply: 150 Opening BINARY mode data connection.\r\n"));
  EXPECT_TRUE(LogHas("127.0.0.1::Reply: 421-Notice line 39")) << LogDump();
  EXPECT_TRUE(LogHas("127.0.0.1::Reply: 421 Goodbye.\r\n"));
  EXPECT_LT(client.Stop(), 3000u);
  // The window closed the file with the data connection.
  EXPECT_EQ(client.Session()->m_pFile, nullptr);
  EXPECT_FALSE(file.IsOpen());
  WIN32_FILE_ATTRIBUTE_DATA info;
  ASSERT_TRUE(::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &info));
  EXPECT_EQ(info.nFileSizeLow, 0u);
  ::DeleteFileA(path.c_str());
}

TEST_F(ControlFaults, CommandsGoOutWholeOrNotAtAll)
{
  Client client(&site);
  ASSERT_TRUE(Start("default", client));
  // The longest argument a command takes goes out whole.
  const std::string longPath(kCommandArgLen - 1, 'd');
  ASSERT_TRUE(client.Run(VERB_CWD, longPath, 5000));
  EXPECT_TRUE(client.Alive());
  // A line break in an argument would smuggle in a second command.
  ASSERT_TRUE(client.Run(VERB_CWD, "a\r\nDELE b", 5000));
  EXPECT_FALSE(client.Alive());
  EXPECT_LT(client.Stop(), 3000u);
  const std::vector<std::string> received = peers::Received();
  EXPECT_EQ(CountReceived(received, "CWD " + longPath), 1) << Joined(received);
  EXPECT_EQ(CountReceived(received, "DELE"), 0);
  // Stopped: QUIT went out exactly once.
  EXPECT_EQ(CountReceived(received, "QUIT"), 1);
}

TEST_F(ControlFaults, KeeperSeesTheServerGo)
{
  for (char keepAlive : {'1', '0'}) {
    SCOPED_TRACE(keepAlive);
    ConnLogClear();
    CSiteItem keeperSite;
    nettest::SetUpSite(keeperSite, port, "zarn", "secret", false);
    keeperSite.SiteOptionDigits[7] = keepAlive;
    keeperSite.m_keeperRunning = 1;
    Client client(&keeperSite, true);
    ASSERT_TRUE(Start("drop_after_login", client));
    ASSERT_TRUE(client.LoggedIn());
    keeperSite.m_connected = 1;  // as the keeper thread marks it
    EXPECT_STREQ(keeperSite.m_localAddress, "127.0.0.1");
    EXPECT_STREQ(keeperSite.ReadAddresses().server, "127.0.0.1");
    ::ResetEvent(client.Session()->m_hDoneEvent);
    EXPECT_EQ(::WaitForSingleObject(client.Session()->m_hDoneEvent, 5000), WAIT_OBJECT_0);
    EXPECT_FALSE(client.Alive());
    EXPECT_EQ(keeperSite.m_connected, 0);
    EXPECT_STREQ(keeperSite.m_localAddress, "");
    EXPECT_STREQ(keeperSite.ReadAddresses().server, "");
    if (keepAlive == '1') {
      EXPECT_TRUE(LogHas("127.0.0.1::The server disconnected, preparing to reconnect\r\n")) << LogDump();
      EXPECT_EQ(keeperSite.m_keeperRunning, 1);
    } else {
      EXPECT_TRUE(LogHas("127.0.0.1::The server is disconnected, exiting\r\n")) << LogDump();
      EXPECT_EQ(keeperSite.m_keeperRunning, 0);
    }
    EXPECT_LT(client.Stop(), 3000u);
    keeperSite.m_keeperRunning = 0;
  }
}

// UWM_NET_SEND from a client, as the keeper and the stop buttons use it.
TEST_F(ControlFaults, NetSendAbortAndClose)
{
  Client client(&site);
  ASSERT_TRUE(Start("default", client));
  NetSession* session = client.Session();
  HWND wnd = session->m_pWnd->GetSafeHwnd();

  // No transfer reply pending: ABOR goes out at once and its answer ends it.
  ::ResetEvent(session->m_hDoneEvent);
  ::PostMessageA(wnd, UWM_NET_SEND, VERB_ABOR, 0);
  ASSERT_TRUE(client.Wait(5000));
  EXPECT_TRUE(client.Alive());

  // With the reply text set, ABOR goes through the sequencer, urgent, and its
  // answer alone ends the wait.
  CopySiteText(session->m_replyText, "227 Entering Passive Mode (127,0,0,1,4,1)");
  ::ResetEvent(session->m_hDoneEvent);
  ::PostMessageA(wnd, UWM_NET_SEND, VERB_ABOR, 0);
  ASSERT_TRUE(client.Wait(5000));
  EXPECT_FALSE(client.Alive());
  EXPECT_EQ(session->m_replyText[0], '\0');
  EXPECT_TRUE(LogHas("127.0.0.1::Status: Aborting the previous command. \r\n")) << LogDump();

  // Other verbs are pushed and sent at once.
  session->m_alive = 1;
  ::ResetEvent(session->m_hDoneEvent);
  ::SendMessageA(wnd, UWM_NET_SEND, VERB_NOOP, 0);
  ASSERT_TRUE(client.Wait(5000));
  EXPECT_TRUE(client.Alive());

  // A stopped site closes a worker's connection at the next message.
  site.m_queueRun = 0;
  ::ResetEvent(session->m_hDoneEvent);
  ::PostMessageA(wnd, UWM_NET_SEND, VERB_NOOP, 0);
  ASSERT_TRUE(client.Wait(5000));
  EXPECT_FALSE(client.Alive());
  EXPECT_LT(client.Stop(), 1000u);
  site.m_queueRun = 1;

  const std::vector<std::string> received = peers::Received();
  EXPECT_EQ(CountReceived(received, "ABOR"), 2) << Joined(received);
  EXPECT_EQ(CountReceived(received, "NOOP"), 1);
  // Closed by the stop of the site: no QUIT any more.
  EXPECT_EQ(CountReceived(received, "QUIT"), 0);
}

TEST_F(ControlFaults, NetSendQuitClosesAtOnce)
{
  Client client(&site);
  ASSERT_TRUE(Start("default", client));
  ::ResetEvent(client.Session()->m_hDoneEvent);
  ::PostMessageA(client.Session()->m_pWnd->GetSafeHwnd(), UWM_NET_SEND, VERB_QUIT, 0);
  ASSERT_TRUE(client.Wait(5000));
  EXPECT_LT(client.elapsedMs, 1000u);
  EXPECT_FALSE(client.Alive());
  EXPECT_LT(client.Stop(), 1000u);
}

// A server that never stops talking once held the close of the control
// connection (and the thread's stop behind it) for good.
TEST_F(ControlFaults, CloseDuringAReplyFloodEndsAndTheThreadStops)
{
  Client client(&site);
  ASSERT_TRUE(Start("ctrl_flood", client)) << LogDump();
  ASSERT_TRUE(client.LoggedIn());
  EXPECT_FALSE(client.Run(VERB_SYST, "", 0));  // the flood never ends in a reply
  const DWORD start = ::GetTickCount();
  while (!LogHas("::Reply: 211-") && ::GetTickCount() - start < 10000)
    ::Sleep(20);
  ASSERT_TRUE(LogHas("::Reply: 211-"));
  ::ResetEvent(client.Session()->m_hDoneEvent);
  ::PostMessageA(client.Session()->m_pWnd->GetSafeHwnd(), UWM_NET_SEND, VERB_QUIT, 0);
  ASSERT_TRUE(client.Wait(30000));
  EXPECT_FALSE(client.Alive());
  EXPECT_LT(client.Stop(), kNetFuncStopWaitMs);
}

}  // namespace
