// Lending the kept connection: free the moment the site reads connected, no
// keep-alive while lent and the rota after the return, one winner among racing
// borrowers, and a drop while lent that waits for the return before the keeper
// reconnects.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "engine/connlog.h"
#include "tests/keeper/keeperfix.h"
#include "tests/net/netclient.h"
#include "tests/support/peers.h"

using namespace keepertest;
using nettest::LogCount;
using nettest::LogDump;

namespace {

// Claims the connection, retrying while the keeper runs a keep-alive.
NetSession* Borrow(CSiteItem& site, DWORD waitMs = 8000)
{
  NetSession* lent = nullptr;
  WaitFor([&] { return (lent = ClaimMainConnection(&site)) != nullptr; }, waitMs);
  return lent;
}

// One command on a borrowed connection, as a worker runs it.
bool RunOn(NetSession* s, int verb, const char* arg, DWORD waitMs)
{
  s->m_queue.Clear();
  s->m_alive = 1;
  ::ResetEvent(s->m_hDoneEvent);
  s->PushCommand(verb, arg);
  ::PostMessageA(s->m_pWnd->GetSafeHwnd(), UWM_NET_COMMAND, 0, 0);
  return ::WaitForSingleObject(s->m_hDoneEvent, waitMs) == WAIT_OBJECT_0;
}

TEST(KeeperLending, NoKeepAliveWhileLentAndTheRotaGoesOnAfter)
{
  FastSettings();
  const int port = peers::Port("ZARN_PYFTPD_PORT");
  ASSERT_NE(port, 0) << "run under tests/peers/with-peers.sh --pyftpd --scripted";
  CSiteItem site;
  SetUpSite(site, port, peers::Env("ZARN_PYFTPD_USER").c_str(), peers::Env("ZARN_PYFTPD_PASS").c_str(), '1');
  StartKeeper(site);
  ASSERT_TRUE(WaitFor([&] { return site.m_connected.load() != 0; }, 15000)) << LogDump();
  const int clientPort = site.m_localPort;
  // Let one keep-alive pass first, so the rota is known to run.
  ASSERT_TRUE(WaitFor([&] { return !KeepAliveCommands(clientPort).empty(); }, 10000));

  NetSession* lent = Borrow(site);
  ASSERT_NE(lent, nullptr);
  EXPECT_EQ(lent, site.m_pMainSession);
  const size_t before = KeepAliveCommands(clientPort).size();
  // The borrower works the connection; five idle intervals pass.
  EXPECT_TRUE(RunOn(lent, VERB_SYST, "", 5000));
  EXPECT_TRUE(lent->m_alive.load());
  ::Sleep(5000);
  const std::vector<std::string> during = KeepAliveCommands(clientPort);
  ASSERT_EQ(during.size(), before + 1) << "only the borrower's SYST\n" << Joined(during);
  EXPECT_EQ(during.back(), "SYST");
  EXPECT_EQ(site.m_mainBusy.load(), 1);
  ReleaseMainConnection(&site);

  EXPECT_TRUE(WaitFor([&] { return KeepAliveCommands(clientPort).size() > before + 1; }, 6000))
      << "the rota goes on after the return\n" << Joined(KeepAliveCommands(clientPort));
  EXPECT_LT(StopKeeper(site), 8000u);
  ExpectEnded(site);
}

// A borrower that sees the site connected finds the connection free and the
// idle event set (keep-alive '0': the keeper itself never takes it).
TEST(KeeperLending, ASiteSeenConnectedLendsAtOnce)
{
  FastSettings();
  const int port = peers::Port("ZARN_PYFTPD_PORT");
  ASSERT_NE(port, 0);
  CSiteItem site;
  SetUpSite(site, port, peers::Env("ZARN_PYFTPD_USER").c_str(), peers::Env("ZARN_PYFTPD_PASS").c_str(), '0');
  StartKeeper(site);
  // No polling interval: look the moment the flag turns.
  const DWORD start = ::GetTickCount();
  while (site.m_connected.load() == 0 && ::GetTickCount() - start < 15000)
    std::this_thread::yield();
  ASSERT_NE(site.m_connected.load(), 0) << LogDump();
  NetSession* lent = ClaimMainConnection(&site);
  EXPECT_NE(lent, nullptr) << "connected, but still held by the keeper";
  EXPECT_EQ(site.m_queueRun, 1);
  EXPECT_NE(site.m_hConnSemaphore.load(), nullptr);
  EXPECT_EQ(::WaitForSingleObject(site.m_hIdleEvent, 15000), (DWORD)WAIT_OBJECT_0);
  if (lent != nullptr)
    ReleaseMainConnection(&site);
  EXPECT_LT(StopKeeper(site), 8000u);
  ExpectEnded(site);
}

TEST(KeeperLending, OfTwoRacingBorrowersOneGetsIt)
{
  FastSettings();
  const int port = peers::Port("ZARN_PYFTPD_PORT");
  ASSERT_NE(port, 0);
  CSiteItem site;
  SetUpSite(site, port, peers::Env("ZARN_PYFTPD_USER").c_str(), peers::Env("ZARN_PYFTPD_PASS").c_str(), '1');
  StartKeeper(site);
  ASSERT_TRUE(WaitFor([&] { return site.m_connected.load() != 0; }, 15000)) << LogDump();

  for (int round = 0; round < 20; ++round) {
    std::atomic<int> winners{0};
    std::atomic<bool> go{false};
    std::atomic<bool> decided{false};
    auto worker = [&] {
      while (!go.load())
        std::this_thread::yield();
      // Until someone has it (the keeper may be running a keep-alive).
      const DWORD start = ::GetTickCount();
      while (!decided.load() && ::GetTickCount() - start < 8000) {
        if (ClaimMainConnection(&site) != nullptr) {
          ++winners;
          decided = true;
          return;  // holds it until the round is checked
        }
        ::Sleep(1);
      }
    };
    std::thread a(worker), b(worker);
    go = true;
    a.join();
    b.join();
    ASSERT_EQ(winners.load(), 1) << "round " << round;
    EXPECT_EQ(site.m_mainBusy.load(), 1);
    ReleaseMainConnection(&site);
  }
  EXPECT_LT(StopKeeper(site), 8000u);
  ExpectEnded(site);
}

TEST(KeeperLending, ADropWhileLentWaitsForTheReturn)
{
  FastSettings();
  const int port = peers::Port("ZARN_SCRIPTED_PORT");
  ASSERT_NE(port, 0);
  ASSERT_TRUE(peers::Scenario("drop_on_site"));
  CSiteItem site;
  SetUpSite(site, port, "zarn", "secret", '1');
  StartKeeper(site);
  ASSERT_TRUE(WaitFor([&] { return site.m_connected.load() != 0; }, 15000)) << LogDump();

  NetSession* lent = Borrow(site);
  ASSERT_NE(lent, nullptr);
  EXPECT_TRUE(RunOn(lent, VERB_SITE, "DROP", 10000));
  EXPECT_EQ(lent->m_alive.load(), 0) << "the borrower sees the drop";
  ASSERT_TRUE(WaitFor([] { return LogCount("::The server disconnected, preparing to reconnect") == 1; }, 5000))
      << LogDump();
  // The keeper waits: the record stays as it is while lent.
  ::Sleep(4500);
  EXPECT_EQ(site.m_pMainSession, lent);
  EXPECT_EQ(lent->m_loggedIn.load(), 1);
  EXPECT_EQ(LogCount("::Is conducting No. "), 1) << LogDump();
  EXPECT_EQ(site.m_mainBusy.load(), 1);
  ReleaseMainConnection(&site);

  ASSERT_TRUE(WaitFor([] { return LogCount("::Login successful") == 2; }, 15000)) << LogDump();
  EXPECT_EQ(LogCount("::Is conducting No. 1 connection"), 2);
  ASSERT_TRUE(WaitFor([&] { return site.m_connected.load() != 0; }, 5000));
  // The keeper may hold the connection for a moment itself (its own keep-alive).
  NetSession* again = nullptr;
  EXPECT_TRUE(WaitFor([&] { return (again = ClaimMainConnection(&site)) != nullptr; }, 5000))
      << "the new connection is lent again";
  if (again != nullptr)
    ReleaseMainConnection(&site);
  EXPECT_LT(StopKeeper(site), 8000u);
  ExpectEnded(site);
}

}  // namespace
