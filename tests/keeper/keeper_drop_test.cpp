// The server drops the kept connection at its first keep-alive command: with
// keep-alive on the keeper logs in again, with it off the keeper ends.
#include <gtest/gtest.h>

#include "engine/connlog.h"
#include "tests/keeper/keeperfix.h"
#include "tests/net/netclient.h"
#include "tests/support/peers.h"

using namespace keepertest;
using nettest::LogCount;
using nettest::LogDump;

namespace {

class KeeperDrop : public ::testing::Test {
protected:
  void SetUp() override
  {
    FastSettings();
    port = peers::Port("ZARN_SCRIPTED_PORT");
    ASSERT_NE(port, 0) << "run under tests/peers/with-peers.sh --scripted";
    ASSERT_TRUE(peers::Scenario("close_after_keepalive"));
  }
  int port = 0;
};

TEST_F(KeeperDrop, KeepAliveOnReconnectsFromTheFirstAttempt)
{
  CSiteItem site;
  SetUpSite(site, port, "zarn", "secret", '1');
  site.m_retryCount = 2;
  StartKeeper(site);
  ASSERT_TRUE(WaitFor([] { return LogCount("::Login successful") >= 2; }, 20000)) << LogDump();
  const int drop = FindLog("127.0.0.1::The server disconnected, preparing to reconnect\r\n");
  ASSERT_GE(drop, 0) << LogDump();
  const int again = FindLog("127.0.0.1::Is conducting No. 1 connection\r\n", drop);
  ASSERT_GT(again, drop) << "reconnecting starts at attempt 1\n" << LogDump();
  EXPECT_GT(FindLog("::Login successful", again), again) << LogDump();
  EXPECT_EQ(site.m_keeperRunning.load(), 1);

  EXPECT_LT(StopKeeper(site), 8000u);
  ExpectEnded(site);
}

TEST_F(KeeperDrop, KeepAliveOffEndsTheKeeper)
{
  CSiteItem site;
  SetUpSite(site, port, "zarn", "secret", '0');
  // With no keep-alive nothing would make the server close: a borrower's
  // command does it instead.
  StartKeeper(site);
  ASSERT_TRUE(WaitFor([&] { return site.m_connected.load() != 0; }, 15000)) << LogDump();
  NetSession* lent = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (lent = ClaimMainConnection(&site)) != nullptr; }, 5000));
  ::ResetEvent(lent->m_hDoneEvent);
  ::PostMessageA(lent->m_pWnd->GetSafeHwnd(), UWM_NET_SEND, VERB_NOOP, 0);
  EXPECT_EQ(::WaitForSingleObject(lent->m_hDoneEvent, 10000), (DWORD)WAIT_OBJECT_0);
  EXPECT_EQ(lent->m_alive.load(), 0) << "the borrower sees the drop";
  ReleaseMainConnection(&site);

  ASSERT_TRUE(KeeperEnded(site, 15000)) << LogDump();
  EXPECT_EQ(LogCount("127.0.0.1::The server is disconnected, exiting\r\n"), 1) << LogDump();
  EXPECT_EQ(LogCount("::Login successful"), 1);
  EXPECT_EQ(LogCount("::Is conducting No. "), 1);
  ExpectEnded(site);
}

}  // namespace
