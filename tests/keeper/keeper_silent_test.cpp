// A server that logs in and then never answers: the keeper neither hangs its
// stop nor waits forever for the keep-alive's answer.
#include <gtest/gtest.h>

#include "engine/connlog.h"
#include "engine/viewslots.h"
#include "tests/keeper/keeperfix.h"
#include "tests/net/netclient.h"
#include "tests/support/peers.h"

using namespace keepertest;
using nettest::LogCount;
using nettest::LogDump;

namespace {

class KeeperSilent : public ::testing::Test {
protected:
  void SetUp() override
  {
    FastSettings();
    port = peers::Port("ZARN_SCRIPTED_PORT");
    ASSERT_NE(port, 0) << "run under tests/peers/with-peers.sh --scripted";
    ASSERT_TRUE(peers::Scenario("silent_after_login"));
  }
  int port = 0;
};

TEST_F(KeeperSilent, DeletingTheSiteReturnsWhileAKeepAliveGoesUnanswered)
{
  CSiteItem* site = new CSiteItem;
  SetUpSite(*site, port, "zarn", "secret", '1');
  site->m_downloadTimeout = 60;  // the reply wait alone would last a minute
  StartKeeper(*site);
  ASSERT_TRUE(WaitFor([&] { return site->m_connected.load() != 0; }, 15000)) << LogDump();
  // The login's PWD, then the first keep-alive, which is never answered.
  ASSERT_TRUE(WaitFor([] { return LogCount("::Sending command ---> PWD") >= 2; }, 10000)) << LogDump();
  ::Sleep(500);
  EXPECT_EQ(site->m_mainBusy.load(), 1) << "the keeper holds its connection while it waits";
  EXPECT_EQ(ClaimMainConnection(site), nullptr) << "nobody borrows a connection in use";

  const DWORD start = ::GetTickCount();
  delete site;  // as the document deletes a site: on this thread, waiting for the keeper
  const DWORD took = ::GetTickCount() - start;
  EXPECT_LT(took, 7000u) << LogDump();
  EXPECT_EQ(LogCount("::No reply to the keep-alive command"), 0);
  EXPECT_EQ(nettest::CountConnectionWindows(), 0);
}

TEST_F(KeeperSilent, AnUnansweredKeepAliveEndsInANewLogin)
{
  SinkWindow tree, tree1;
  g_pSerTrView = tree.Wnd();
  g_pSerTrView1 = tree1.Wnd();
  CSiteItem site;
  SetUpSite(site, port, "zarn", "secret", '1');
  site.m_hTreeNode = reinterpret_cast<HTREEITEM>(0x11);
  site.m_hTreeNode1 = reinterpret_cast<HTREEITEM>(0x22);
  StartKeeper(site);
  ASSERT_TRUE(WaitFor([] { return LogCount("::Login successful") >= 2; }, 25000)) << LogDump();
  ASSERT_TRUE(WaitFor([&] { return site.m_connected.load() != 0; }, 5000));
  // Both trees hear of the loss between the two logins, as after a drop. The
  // keeper posts the new state just after it marks the site connected, so
  // the last post may still be on its way.
  using Posts = std::vector<std::pair<WPARAM, LPARAM>>;
  Posts posts = tree.TakeAtLeast(UWM_SITE_STATE, 3, 5000);
  Posts posts1 = tree1.TakeAtLeast(UWM_SITE_STATE, 3, 5000);
  g_pSerTrView = nullptr;
  g_pSerTrView1 = nullptr;
  EXPECT_EQ(posts, (Posts{{0x11, 1}, {0x11, 0}, {0x11, 1}}));
  EXPECT_EQ(posts1, (Posts{{0x22, 1}, {0x22, 0}, {0x22, 1}}));
  const int timeout = FindLog("127.0.0.1::No reply to the keep-alive command, reconnecting\r\n");
  ASSERT_GE(timeout, 0) << LogDump();
  const int again = FindLog("127.0.0.1::Is conducting No. 1 connection\r\n", timeout);
  ASSERT_GT(again, timeout) << LogDump();
  EXPECT_GT(FindLog("::Login successful", again), again);
  EXPECT_EQ(site.m_keeperRunning.load(), 1);

  EXPECT_LT(StopKeeper(site), 8000u);
  ExpectEnded(site);
}

}  // namespace
