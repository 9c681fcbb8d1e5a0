// Connecting and disconnecting sites through the document: one keeper per
// site, from any thread, and a site that always connects again.
#include "shell/doc/zarndoc.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "engine/connlog.h"
#include "engine/engineres.h"
#include "shell/settings/settings.h"
#include "tests/doc/docfix.h"
#include "tests/keeper/keeperfix.h"
#include "tests/net/netclient.h"
#include "tests/support/peers.h"

using namespace keepertest;
using nettest::LogCount;
using nettest::LogDump;

namespace {

constexpr int kSlot = 3;

// A document whose slot kSlot holds a site for 127.0.0.1:port; no registry.
std::unique_ptr<CZarnDoc> DocWithSite(int port, const char* user, const char* pass)
{
  FastSettings();
  doctest::RecordBoxes();
  auto doc = std::make_unique<CZarnDoc>();
  auto* site = new CSiteItem();
  SetUpSite(*site, port, user, pass, '1');
  doc->m_sites[kSlot] = site;
  ++doc->m_nSites;
  return doc;
}

bool KeeperAlive(CSiteItem& s)
{
  return s.m_pKeeperThread != nullptr && ::WaitForSingleObject(s.m_pKeeperThread->m_hThread, 0) == WAIT_TIMEOUT;
}

// Stops the site's keeper through the document and waits for its end.
void DisconnectAndWait(CZarnDoc& doc, CSiteItem& site)
{
  doc.DisconnectSite(kSlot, TRUE);
  EXPECT_TRUE(KeeperEnded(site, 15000));
}

TEST(DocConnect, ConnectLogsInOnceAndDisconnectEndsTheKeeperSoon)
{
  const int port = peers::Port("ZARN_PYFTPD_PORT");
  ASSERT_NE(port, 0) << "run under tests/peers/with-peers.sh --pyftpd";
  const std::string user = peers::Env("ZARN_PYFTPD_USER"), pass = peers::Env("ZARN_PYFTPD_PASS");
  auto doc = DocWithSite(port, user.c_str(), pass.c_str());
  CSiteItem& site = *doc->m_sites[kSlot];

  EXPECT_FALSE(doc->ConnectSite(kSlot + 1)) << "empty slot";
  ASSERT_TRUE(doc->ConnectSite(kSlot));
  CWinThread* keeper = site.m_pKeeperThread;
  ASSERT_NE(keeper, nullptr);
  EXPECT_FALSE(keeper->m_bAutoDelete);
  // A second Connect while connecting or connected starts no second keeper.
  EXPECT_TRUE(doc->ConnectSite(kSlot));
  EXPECT_EQ(site.m_pKeeperThread, keeper);
  ASSERT_TRUE(WaitFor([&] { return site.m_connected.load() == 1; }, 15000)) << LogDump();
  EXPECT_TRUE(doc->ConnectSite(kSlot));
  EXPECT_EQ(site.m_pKeeperThread, keeper);
  EXPECT_TRUE(doctest::g_boxes.empty());

  const DWORD start = ::GetTickCount();
  doc->DisconnectSite(kSlot, TRUE);
  EXPECT_TRUE(KeeperEnded(site, 3000)) << "keeper still running 3 s after Disconnect";
  EXPECT_LE(::GetTickCount() - start, 3500u);
  ExpectEnded(site);
}

TEST(DocConnect, DisconnectThenConnectNeverLeavesTheSiteUnconnectable)
{
  const int port = peers::Port("ZARN_PYFTPD_PORT");
  ASSERT_NE(port, 0) << "run under tests/peers/with-peers.sh --pyftpd";
  const std::string user = peers::Env("ZARN_PYFTPD_USER"), pass = peers::Env("ZARN_PYFTPD_PASS");
  auto doc = DocWithSite(port, user.c_str(), pass.c_str());
  CSiteItem& site = *doc->m_sites[kSlot];

  ASSERT_TRUE(doc->ConnectSite(kSlot));
  for (int round = 0; round < 20; ++round) {
    // Every other round lets the keeper log in first; the others stop it
    // while it connects.
    if (round % 2 == 0)
      ASSERT_TRUE(WaitFor([&] { return site.m_connected.load() == 1; }, 15000)) << round << LogDump();
    doc->DisconnectSite(kSlot, TRUE);
    if (!doc->ConnectSite(kSlot)) {
      // A keeper stopped inside its connect can outlast Connect's wait; once
      // it has ended, Connect starts a new one.
      ASSERT_TRUE(KeeperEnded(site, 15000)) << "round " << round;
      ASSERT_TRUE(doc->ConnectSite(kSlot)) << "round " << round;
    }
    // A keeper was kept or started (it may end by itself if the server
    // refuses it; the next Connect starts another).
    ASSERT_NE(site.m_pKeeperThread, nullptr) << "round " << round;
  }
  EXPECT_TRUE(WaitFor([&] { return site.m_connected.load() == 1; }, 15000)) << LogDump();
  DisconnectAndWait(*doc, site);
  ExpectEnded(site);
  // And once more after a clean end.
  ASSERT_TRUE(doc->ConnectSite(kSlot));
  EXPECT_TRUE(WaitFor([&] { return site.m_connected.load() == 1; }, 15000)) << LogDump();
  DisconnectAndWait(*doc, site);
}

TEST(DocConnect, TwoThreadsConnectingOneSiteStartOneKeeper)
{
  const int port = peers::Port("ZARN_SCRIPTED_PORT");
  ASSERT_NE(port, 0) << "run under tests/peers/with-peers.sh --scripted";
  ASSERT_TRUE(peers::Scenario("silent"));
  auto doc = DocWithSite(port, "zarn", "secret");
  CSiteItem& site = *doc->m_sites[kSlot];
  site.m_connectTimeout = 60;  // held in the connect wait until stopped
  g_optionFlags |= 1u << OPTBIT_CONFIRM_CONNECT;  // worker threads never ask

  for (int round = 0; round < 5; ++round) {
    ConnLogClear();
    std::atomic<int> go{0};
    std::atomic<int> started{0};
    BOOL results[2] = {FALSE, FALSE};
    auto body = [&](int k) {
      while (go.load() == 0)
        ;
      results[k] = doc->ConnectSite(kSlot);
      ++started;
    };
    std::thread a(body, 0), b(body, 1);
    go = 1;
    a.join();
    b.join();
    EXPECT_TRUE(results[0] && results[1]) << round;
    EXPECT_TRUE(doctest::g_boxes.empty()) << "no prompt off the GUI thread";
    ASSERT_TRUE(WaitFor([] { return LogCount("::Is conducting No. 1 connection") >= 1; }, 10000)) << LogDump();
    ::Sleep(300);
    EXPECT_EQ(LogCount("::Is conducting No. 1 connection"), 1) << round << LogDump();
    EXPECT_TRUE(KeeperAlive(site));
    // Connect during the connect wait: nothing new.
    CWinThread* keeper = site.m_pKeeperThread;
    EXPECT_TRUE(doc->ConnectSite(kSlot));
    EXPECT_EQ(site.m_pKeeperThread, keeper);
    DisconnectAndWait(*doc, site);
  }
  g_optionFlags &= ~(1u << OPTBIT_CONFIRM_CONNECT);
}

TEST(DocConnect, ConnectPromptOnTheGuiThreadCancelledLeavesTheSiteConnectable)
{
  const int port = peers::Port("ZARN_PYFTPD_PORT");
  ASSERT_NE(port, 0) << "run under tests/peers/with-peers.sh --pyftpd";
  const std::string user = peers::Env("ZARN_PYFTPD_USER"), pass = peers::Env("ZARN_PYFTPD_PASS");
  auto doc = DocWithSite(port, user.c_str(), pass.c_str());
  CSiteItem& site = *doc->m_sites[kSlot];
  g_optionFlags |= 1u << OPTBIT_CONFIRM_CONNECT;
  doctest::RecordBoxes(IDCANCEL);
  EXPECT_FALSE(doc->ConnectSite(kSlot));
  ASSERT_EQ(doctest::g_boxes.size(), 1u);
  EXPECT_EQ(doctest::g_boxes[0].stringId, (UINT)IDS_CONFIRM_CONNECT);
  EXPECT_EQ(site.m_pKeeperThread, nullptr);
  EXPECT_EQ(::WaitForSingleObject(site.m_hIdleEvent, 0), (DWORD)WAIT_OBJECT_0);

  doctest::RecordBoxes(IDOK, true);
  EXPECT_TRUE(doc->ConnectSite(kSlot));
  EXPECT_FALSE(IsOptionSet(OPTBIT_CONFIRM_CONNECT));
  EXPECT_TRUE(WaitFor([&] { return site.m_connected.load() == 1; }, 15000)) << LogDump();
  DisconnectAndWait(*doc, site);
}

}  // namespace
