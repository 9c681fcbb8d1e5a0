// Listing tasks on a borrowed connection against servers that misbehave: a
// stalled LIST is aborted, a drop during LIST gives the error line and the
// keeper reconnects after the return, a silent CWD ends on the idle limit; every
// case ends within its bound and leaves the site as it found it.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "engine/connlog.h"
#include "engine/exitrequest.h"
#include "engine/siteitem.h"
#include "shell/settings/settings.h"
#include "tests/keeper/keeperfix.h"
#include "tests/net/netclient.h"
#include "tests/support/peers.h"
#include "tests/task/taskfix.h"

using namespace keepertest;
using namespace tasktest;
using nettest::LogDump;

namespace {

class ListingFault : public ::testing::Test {
protected:
  void Start(const char* scenario, char keepAlive = '0')
  {
    FastSettings();
    g_recvTimeout = 3;
    g_sendTimeout = 3;
    g_taskConnectWaitMs = 8000;
    g_optionFlags &= ~(1u << OPTBIT_NOTIFIER);
    port = peers::Port("ZARN_SCRIPTED_PORT");
    ASSERT_NE(port, 0) << "run under tests/peers/with-peers.sh --scripted";
    ASSERT_TRUE(peers::Scenario(scenario));
    SetUpSite(site, port, "zarn", "secret", keepAlive);
    site.SiteOptionDigits[2] = '0';
    ASSERT_NO_FATAL_FAILURE(StartWorkerSite(site));
  }

  void TearDown() override
  {
    StopKeeper(site);
    g_exitRequested = 0;
  }

  // Runs a listing of /x and returns the milliseconds it took.
  DWORD RunListing(TaskCode task = TASK_LIST)
  {
    const DWORD start = ::GetTickCount();
    EXPECT_TRUE(RunTask(list, new CProgThread(1, task, &site, nullptr, "/x", 0, nullptr), 40000));
    return ::GetTickCount() - start;
  }

  int port = 0;
  CSiteItem site;
  CTaskThreadList list;
};

bool NoListingMessages(const RecordingWnd& wnd)
{
  return wnd.Of(UWM_LISTING_READY).empty() && wnd.Of(UWM_LISTING_STATUS).empty() &&
         wnd.Of(UWM_CACHED_LISTING).empty();
}

bool Sent(const std::string& verb)
{
  std::vector<std::string> got = peers::Received();
  return std::any_of(got.begin(), got.end(), [&](const std::string& l) { return l.rfind(verb, 0) == 0; });
}

}  // namespace

TEST_F(ListingFault, StalledListIsAbortedOnTheIdleLimit)
{
  Start("list_stall");
  Sinks sinks;
  const int before = ConnLogCount();
  const DWORD took = RunListing();
  EXPECT_LT(took, 15000u);
  EXPECT_TRUE(Sent("ABOR"));
  EXPECT_GE(FindLog("127.0.0.1::/x listing timeout,search is complete", before), 0) << LogDump();
  EXPECT_TRUE(NoListingMessages(sinks.serTrView));
  EXPECT_TRUE(TaskCountReachesZero(site));
}

TEST_F(ListingFault, DropDuringListGivesTheErrorLineAndTheKeeperReconnects)
{
  Start("list_drop", '1');
  Sinks sinks;
  const int before = ConnLogCount();
  const DWORD took = RunListing();
  EXPECT_LT(took, 15000u);
  EXPECT_GE(FindLog("127.0.0.1::/x listing error,search is complete", before), 0) << LogDump();
  EXPECT_TRUE(NoListingMessages(sinks.serTrView));
  // The keeper takes its connection back and logs in again.
  EXPECT_TRUE(WaitFor([] { return nettest::LogCount("::Login successful") >= 2; }, 20000)) << LogDump();
  EXPECT_TRUE(WaitFor([&] { return site.m_connected.load() != 0; }, 5000));
  EXPECT_TRUE(TaskCountReachesZero(site));
}

TEST_F(ListingFault, SilentAfterCwdEndsWithinTheBound)
{
  Start("cwd_silent");
  Sinks sinks;
  const int before = ConnLogCount();
  const DWORD took = RunListing();
  // The idle limit for the listing and again for the ABOR's answer.
  EXPECT_LT(took, 15000u);
  EXPECT_GE(FindLog("127.0.0.1::/x listing timeout,search is complete", before), 0) << LogDump();
  EXPECT_TRUE(NoListingMessages(sinks.serTrView));
  EXPECT_TRUE(TaskCountReachesZero(site));
  // The silent connection was closed rather than lent on.
  EXPECT_TRUE(Sent("QUIT") || site.m_connected.load() == 0 || WaitFor([] {
    return nettest::LogCount("::Login successful") >= 2; }, 15000)) << LogDump();
}

TEST_F(ListingFault, NothingReachesTheViewsOnceExitIsRequested)
{
  Start("cwd_550");
  Sinks sinks;
  const int before = ConnLogCount();
  g_exitRequested = 1;
  RunListing();
  g_exitRequested = 0;
  EXPECT_TRUE(NoListingMessages(sinks.serTrView));
  EXPECT_TRUE(sinks.mainFrame.m_got.empty());
  EXPECT_LT(FindLog("127.0.0.1::/x", before), 0) << LogDump();
}

TEST_F(ListingFault, RefusedCwdIsNotAnEmptyFolder)
{
  Start("cwd_550");
  Sinks sinks;
  const int before = ConnLogCount();
  const DWORD took = RunListing();
  EXPECT_LT(took, 15000u);
  EXPECT_TRUE(NoListingMessages(sinks.serTrView)) << LogDump();
  EXPECT_LT(FindLog("127.0.0.1::/x is empty", before), 0) << LogDump();
  EXPECT_GE(FindLog("127.0.0.1::/x listing", before), 0) << LogDump();
}

TEST_F(ListingFault, SilentAfterCwdOfTheCachedListingEndsWithinTheBound)
{
  Start("cwd_silent");
  Sinks sinks;
  const int before = ConnLogCount();
  EXPECT_LT(RunListing(TASK_SEARCH_LIST), 15000u);
  EXPECT_GE(FindLog("127.0.0.1::/x listing timeout,search is complete", before), 0) << LogDump();
  EXPECT_TRUE(NoListingMessages(sinks.serTrView));
  EXPECT_TRUE(TaskCountReachesZero(site));
}
