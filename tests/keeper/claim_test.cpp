// The claim on a site's main connection under contention: one holder at a time,
// every holder sees a live logged-in record, and nothing is lent while the site
// is not connected.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

#include "engine/keeper.h"
#include "engine/netsession.h"
#include "engine/siteitem.h"

namespace {

NetSession* LoggedInRecord(CSiteItem* site)
{
  NetSession* s = new NetSession;
  s->m_pSite = site;
  s->m_keeper = 1;
  s->m_loggedIn = 1;
  s->m_alive = 1;
  return s;
}

// Each of eight borrowers gets the connection 100,000 times.
TEST(MainConnectionClaim, EightBorrowersAndAReplacingKeeperNeverOverlap)
{
  CSiteItem site;
  site.m_pMainSession = LoggedInRecord(&site);
  site.m_connected = 1;

  constexpr int kThreads = 8;
  constexpr int kRounds = 100000;
  std::atomic<int> holders{0};
  std::atomic<int> overlaps{0};
  std::atomic<int> badRecords{0};
  std::atomic<int64_t> claims{0};
  std::atomic<bool> borrowersDone{false};
  int64_t touchedUnderClaim = 0;  // plain on purpose: only a holder writes it

  std::vector<std::thread> borrowers;
  for (int t = 0; t < kThreads; ++t) {
    borrowers.emplace_back([&] {
      for (int got = 0; got < kRounds;) {
        NetSession* s = ClaimMainConnection(&site);
        if (s == nullptr)
          continue;
        ++got;
        if (holders.fetch_add(1) != 0)
          overlaps.fetch_add(1);
        // The record must be the site's own and alive for the whole loan (the
        // sanitizer catches a record freed under us).
        if (s != site.m_pMainSession || s->m_loggedIn.load() != 1 || s->m_pSite != &site)
          badRecords.fetch_add(1);
        s->m_entryCount += 1;
        ++touchedUnderClaim;
        claims.fetch_add(1);
        holders.fetch_sub(1);
        ReleaseMainConnection(&site);
      }
    });
  }
  // The keeper's side: take the word without checks and replace the record, as
  // a reconnect does.
  int replaced = 0;
  std::thread keeper([&] {
    while (!borrowersDone.load()) {
      if (!TryTakeBusyWord(site.m_mainBusy)) {
        std::this_thread::yield();
        continue;
      }
      if (holders.fetch_add(1) != 0)
        overlaps.fetch_add(1);
      NetSession* old = site.m_pMainSession;
      site.m_pMainSession = LoggedInRecord(&site);
      old->m_loggedIn = 0;
      delete old;
      ++touchedUnderClaim;
      ++replaced;
      holders.fetch_sub(1);
      GiveBackBusyWord(site.m_mainBusy);
      std::this_thread::yield();
    }
  });
  for (std::thread& t : borrowers)
    t.join();
  borrowersDone = true;
  keeper.join();

  EXPECT_EQ(overlaps.load(), 0);
  EXPECT_EQ(badRecords.load(), 0);
  EXPECT_EQ(claims.load(), (int64_t)kThreads * kRounds);
  EXPECT_GT(replaced, 0);
  EXPECT_EQ(touchedUnderClaim, claims.load() + replaced);
  EXPECT_EQ(site.m_mainBusy.load(), 0);
  delete site.m_pMainSession;
  site.m_pMainSession = nullptr;
}

TEST(MainConnectionClaim, NothingIsLentUnlessConnectedAndLoggedIn)
{
  CSiteItem site;
  // No record at all.
  site.m_connected = 1;
  EXPECT_EQ(ClaimMainConnection(&site), nullptr);
  EXPECT_EQ(site.m_mainBusy.load(), 0) << "a failed claim gives the word back";

  NetSession* record = LoggedInRecord(&site);
  site.m_pMainSession = record;
  // Not connected (a drop, or the keeper still connecting).
  site.m_connected = 0;
  EXPECT_EQ(ClaimMainConnection(&site), nullptr);
  EXPECT_EQ(site.m_mainBusy.load(), 0);
  // Connected but the record is not logged in.
  site.m_connected = 1;
  record->m_loggedIn = 0;
  EXPECT_EQ(ClaimMainConnection(&site), nullptr);
  EXPECT_EQ(site.m_mainBusy.load(), 0);
  // All well: lent once, refused while lent, lent again after the return.
  record->m_loggedIn = 1;
  EXPECT_EQ(ClaimMainConnection(&site), record);
  EXPECT_EQ(site.m_mainBusy.load(), 1);
  EXPECT_EQ(ClaimMainConnection(&site), nullptr);
  EXPECT_EQ(site.m_mainBusy.load(), 1) << "a refused claim leaves the holder's word alone";
  EXPECT_FALSE(TryTakeBusyWord(site.m_mainBusy)) << "the keeper waits too";
  ReleaseMainConnection(&site);
  EXPECT_EQ(ClaimMainConnection(&site), record);
  ReleaseMainConnection(&site);
  EXPECT_EQ(ClaimMainConnection(nullptr), nullptr);

  // Many threads while the site is not connected: not one claim, the word free.
  site.m_connected = 0;
  std::atomic<int> lent{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 20000; ++i)
        if (NetSession* s = ClaimMainConnection(&site)) {
          lent.fetch_add(1);
          (void)s;
          ReleaseMainConnection(&site);
        }
    });
  for (std::thread& t : threads)
    t.join();
  EXPECT_EQ(lent.load(), 0);
  EXPECT_EQ(site.m_mainBusy.load(), 0);
  site.m_pMainSession = nullptr;
  delete record;
}

}  // namespace
