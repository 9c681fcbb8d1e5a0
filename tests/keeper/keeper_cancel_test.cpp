// A stop while the keeper waits for a server that accepts and never greets.
#include <gtest/gtest.h>

#include "engine/connlog.h"
#include "tests/keeper/keeperfix.h"
#include "tests/net/netclient.h"
#include "tests/support/peers.h"

using namespace keepertest;
using nettest::LogCount;
using nettest::LogDump;

namespace {

TEST(KeeperCancel, AStopDuringTheConnectWaitEndsTheKeeperSoon)
{
  FastSettings();
  const int port = peers::Port("ZARN_SCRIPTED_PORT");
  ASSERT_NE(port, 0) << "run under tests/peers/with-peers.sh --scripted";
  ASSERT_TRUE(peers::Scenario("silent"));
  CSiteItem site;
  SetUpSite(site, port, "zarn", "secret", '1');
  site.m_connectTimeout = 60;  // a connect wait of 63 s: only the stop ends it
  site.m_retryCount = 3;
  StartKeeper(site);
  ASSERT_TRUE(WaitFor([] { return LogCount("::Is conducting No. 1 connection") == 1; }, 10000)) << LogDump();
  // Connected at the TCP level, waiting for the greeting.
  ASSERT_TRUE(WaitFor([&] { return site.m_localPort != 0; }, 10000)) << LogDump();
  ::Sleep(700);
  EXPECT_EQ(::WaitForSingleObject(site.m_hIdleEvent, 0), (DWORD)WAIT_TIMEOUT) << "reset while connecting";

  const DWORD took = StopKeeper(site, 20000);
  EXPECT_LT(took, 7000u) << LogDump();
  EXPECT_EQ(LogCount("127.0.0.1::Connecting canceled by user\r\n"), 1) << LogDump();
  EXPECT_EQ(LogCount("::Connecting error, back."), 0);
  EXPECT_EQ(LogCount("::Is conducting No. 2"), 0) << "no attempt after a stop";
  ExpectEnded(site);
}

}  // namespace
