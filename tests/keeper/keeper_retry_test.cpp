// Connecting with retries against a closed port: the attempts and their lines,
// the delay between them, the end state; and records that take their event
// with them.
#include <gtest/gtest.h>

#include <memory>

#include "engine/connlog.h"
#include "engine/netsession.h"
#include "engine/viewslots.h"
#include "shell/settings/settings.h"
#include "tests/keeper/keeperfix.h"
#include "tests/net/netclient.h"
#include "tests/support/peers.h"

using namespace keepertest;
using nettest::LogCount;
using nettest::LogDump;

namespace {

TEST(KeeperRetry, EveryAttemptFailsThenTheKeeperEnds)
{
  FastSettings();
  SinkWindow funcView;
  g_pFuncView = funcView.Wnd();
  CSiteItem site;
  SetUpSite(site, peers::UnusedPort(), "zarn", "secret", '1');
  site.m_retryCount = 3;
  const DWORD start = ::GetTickCount();
  StartKeeper(site);
  ASSERT_TRUE(KeeperEnded(site, 30000)) << LogDump();
  const DWORD took = ::GetTickCount() - start;
  g_pFuncView = nullptr;
  // The connection-log tab is brought forward once, at the start.
  EXPECT_EQ(funcView.Take(UWM_SHOW_FUNC_TAB), (std::vector<std::pair<WPARAM, LPARAM>>{{0, 1}}));

  int at = 0;
  for (int n = 1; n <= 3; ++n) {
    const std::string attempt = "127.0.0.1::Is conducting No. " + std::to_string(n) + " connection\r\n";
    at = FindLog(attempt, at);
    ASSERT_GE(at, 0) << attempt << LogDump();
    at = FindLog("127.0.0.1::Connecting error, back.\r\n", at);
    ASSERT_GE(at, 0) << n << "\n" << LogDump();
  }
  EXPECT_EQ(LogCount("::Is conducting No. "), 3) << LogDump();
  EXPECT_EQ(LogCount("::Connecting error, back.\r\n"), 3);
  EXPECT_EQ(LogCount("::Connecting canceled by user"), 0);
  // One second between attempts, none after the last.
  EXPECT_GE(took, 1900u);
  EXPECT_LT(took, 12000u);
  ExpectEnded(site);
}

TEST(KeeperRetry, ASiteWithoutItsOwnCountUsesTheDefault)
{
  FastSettings();
  g_defRetryCount = 2;
  CSiteItem site;
  SetUpSite(site, peers::UnusedPort(), "zarn", "secret", '1');
  site.m_retryCount = 0;
  StartKeeper(site);
  ASSERT_TRUE(KeeperEnded(site, 30000)) << LogDump();
  EXPECT_EQ(LogCount("::Is conducting No. "), 2) << LogDump();
  EXPECT_EQ(LogCount("::Connecting error, back.\r\n"), 2);
  ExpectEnded(site);
}

TEST(KeeperRetry, AFreedRecordClosesItsEvent)
{
  NetSession* record = new NetSession;
  record->m_hDoneEvent = ::CreateEventA(nullptr, TRUE, TRUE, nullptr);
  HANDLE copy = nullptr;
  ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), record->m_hDoneEvent, ::GetCurrentProcess(), &copy, 0,
                                FALSE, DUPLICATE_SAME_ACCESS));
  const HANDLE original = record->m_hDoneEvent;
  delete record;
  DWORD flags = 0;
  EXPECT_FALSE(::GetHandleInformation(original, &flags)) << "the event's handle is closed";
  EXPECT_TRUE(::GetHandleInformation(copy, &flags));
  ::CloseHandle(copy);
  // A record that never got its event frees quietly.
  delete new NetSession;
}

}  // namespace
