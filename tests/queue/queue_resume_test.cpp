// Failures and retries of queue items against the scripted server: a cut
// download is requeued and resumes where the local file ends; a retry finds the
// local file complete or larger; a stall, a drop and a stop end their items and
// the workers go on; a closing program ends every worker, sending nothing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/connlog.h"
#include "engine/exitrequest.h"
#include "engine/planthread.h"
#include "engine/queuerules.h"
#include "engine/xfertask.h"
#include "shell/settings/settings.h"
#include "tests/queue/queuefix.h"
#include "tests/support/peers.h"

using namespace queuetest;

namespace {

const size_t kSize = kQueueServedSize;

class QueueResume : public ::testing::Test {
protected:
  void SetUp() override
  {
    port = peers::Port("ZARN_SCRIPTED_PORT");
    ASSERT_NE(port, 0) << "run under tests/peers/with-peers.sh --scripted";
    ASSERT_TRUE(peers::Scenario("queue_files"));
  }

  CPlanItem* Add(Harness& h, const std::string& local, const char* name, int action = PLAN_FAIL_RETRY_LAST)
  {
    CPlanItem* item = h.view.Add("<-", "127.0.0.1", port, "u", "p", local.c_str(), "/", name,
                                 static_cast<int64_t>(kSize));
    item->m_failAction = action;
    return item;
  }

  int port = 0;
};

TEST_F(QueueResume, ACutDownloadIsRequeuedAndResumesAtTheLocalSize)
{
  Harness h;
  g_queueThreadCount = 2;
  g_optionFlags |= 1u << OPTBIT_QUEUE_QUIT;
  // A work site: the worker borrows the keeper's connection and lets it go at once.
  h.AddSite(port, "u", "p");
  const std::string local = FreshTemp("cut");
  CPlanItem* item = Add(h, local, "cut.bin");
  ASSERT_TRUE(h.Run(60000)) << QueueLogText();
  EXPECT_EQ(item->m_status, PLAN_FINISHED) << QueueLogText();
  EXPECT_EQ(item->m_retryCount, 1);
  EXPECT_TRUE(ReadAll(local + "\\cut.bin") == QueueServedData(kSize));
  const std::vector<std::string> got = peers::Received();
  EXPECT_TRUE(HasLine(got, "REST 1048576")) << QueueLogText();
  // The failed attempt reported its finish too: two reports for one item.
  EXPECT_EQ(h.frame.Count(UWM_TASK_FINISHED), 2);
  EXPECT_EQ(h.frame.m_finishedDownloads, 1);
  // The retry kept the queue running: its end came once, after the retry.
  EXPECT_EQ(g_end.confirmQuit.load(), 1) << QueueLogText();
}

// The failed attempt's notice answered late (a loaded machine): the workers
// wait for its tidy, so the end-of-queue actions (quit, power off) do not run
// while the item is about to be tried again.
TEST_F(QueueResume, TheQueueEndsOnceWhenItsTidyComesLate)
{
  Harness h;
  g_queueThreadCount = 2;
  g_optionFlags |= 1u << OPTBIT_QUEUE_QUIT;
  h.AddSite(port, "u", "p");
  h.view.m_tidyLateMs = 7000;
  const std::string local = FreshTemp("late");
  CPlanItem* item = Add(h, local, "cut.bin");
  ASSERT_TRUE(h.Run(90000)) << QueueLogText();
  EXPECT_EQ(item->m_status, PLAN_FINISHED) << QueueLogText();
  EXPECT_TRUE(ReadAll(local + "\\cut.bin") == QueueServedData(kSize));
  EXPECT_EQ(g_end.confirmQuit.load(), 1) << QueueLogText();
}

TEST_F(QueueResume, ARetryFindsTheLocalFileCompleteOrLarger)
{
  Harness h;
  g_queueThreadCount = 1;
  const std::string local = FreshTemp("retry");
  const std::string whole = QueueServedData(kSize);
  WriteAll(local + "\\done.bin", whole);
  CPlanItem* done = Add(h, local, "done.bin");
  done->m_retryCount = 1;
  ASSERT_TRUE(h.Run(60000)) << QueueLogText();
  EXPECT_EQ(done->m_status, PLAN_FINISHED);
  std::vector<std::string> got = peers::Received();
  EXPECT_FALSE(HasLine(got, "REST")) << "nothing past the end";
  EXPECT_FALSE(HasLine(got, "RETR"));
  EXPECT_TRUE(ReadAll(local + "\\done.bin") == whole);

  // A larger local file is overwritten from the start.
  h.view.Clear();
  WriteAll(local + "\\big.bin", whole + std::string(100, 'z'));
  CPlanItem* big = Add(h, local, "big.bin");
  big->m_retryCount = 1;
  ASSERT_TRUE(h.Run(60000)) << QueueLogText();
  EXPECT_EQ(big->m_status, PLAN_FINISHED);
  got = peers::Received();
  EXPECT_FALSE(HasLine(got, "REST"));
  EXPECT_TRUE(HasLine(got, "RETR"));
  EXPECT_TRUE(ReadAll(local + "\\big.bin") == whole);
}

TEST_F(QueueResume, AStallFailsAfterItsLimitAndADropFailsWhileTheWorkerGoesOn)
{
  Harness h;
  g_queueThreadCount = 1;
  g_recvTimeout = 3;
  const std::string local = FreshTemp("stall");
  CPlanItem* stall = Add(h, local, "stall.bin", PLAN_FAIL_MOVE_LAST);
  CPlanItem* drop = Add(h, local, "drop.bin", PLAN_FAIL_MOVE_LAST);
  CPlanItem* fine = Add(h, local, "fine.bin", PLAN_FAIL_MOVE_LAST);
  const DWORD start = ::GetTickCount();
  ASSERT_TRUE(h.Run(60000)) << QueueLogText();
  EXPECT_LT(::GetTickCount() - start, 30000u) << "the stall is given up after its limit";
  EXPECT_EQ(stall->m_status, PLAN_ERROR);
  EXPECT_EQ(stall->m_retryCount, 1);
  EXPECT_EQ(drop->m_status, PLAN_ERROR);
  EXPECT_EQ(drop->m_retryCount, 1);
  EXPECT_EQ(fine->m_status, PLAN_FINISHED) << QueueLogText();
  EXPECT_TRUE(ReadAll(local + "\\fine.bin") == QueueServedData(kSize));
}

TEST_F(QueueResume, AStoppedItemGetsNoWriteAfterItsWorkerLetItGo)
{
  Harness h;
  g_queueThreadCount = 1;
  g_recvTimeout = 20;
  const std::string local = FreshTemp("stop");
  CPlanItem* item = Add(h, local, "stall-stop.bin", PLAN_FAIL_MOVE_LAST);
  h.doc->OnStartQueue();
  const DWORD start = ::GetTickCount();
  while (h.frame.Count(UWM_DOWNLOAD_BEGIN) == 0 && ::GetTickCount() - start < 15000)
    h.Pump(20);
  h.Pump(1500);
  item->m_status = PLAN_STOPPED;
  const DWORD stopped = ::GetTickCount();
  EXPECT_TRUE(h.WaitWorkersEnded(15000));
  EXPECT_LT(::GetTickCount() - stopped, 8000u);
  EXPECT_EQ(item->m_status, PLAN_STOPPED);
  EXPECT_EQ(item->m_retryCount, 0);
  const int64_t size = FileSizeOf(local + "\\stall-stop.bin");
  EXPECT_GE(size, 0);
  EXPECT_LE(size, 65536);
  h.Pump(1000);
  EXPECT_EQ(FileSizeOf(local + "\\stall-stop.bin"), size);
}

TEST_F(QueueResume, ClosingTheProgramEndsEveryWorkerAndSendsNothing)
{
  Harness h;
  g_queueThreadCount = 3;
  g_recvTimeout = 20;
  g_optionFlags |= 1u << OPTBIT_QUEUE_QUIT;
  const std::string local = FreshTemp("exit");
  for (int i = 0; i < 3; ++i)
    Add(h, local, ("stall" + std::to_string(i) + ".bin").c_str(), PLAN_FAIL_MOVE_LAST);
  h.doc->OnStartQueue();
  const DWORD start = ::GetTickCount();
  // Each worker's start ends with its reset to the view, right after the
  // begin to the frame: the snapshot below comes after both.
  while ((h.frame.Count(UWM_DOWNLOAD_BEGIN) < 3 || h.view.Count(UWM_THREAD_RESET) < 3) &&
         ::GetTickCount() - start < 15000)
    h.Pump(20);
  ASSERT_EQ(h.frame.Count(UWM_DOWNLOAD_BEGIN), 3);
  ASSERT_EQ(h.view.Count(UWM_THREAD_RESET), 3);
  g_exitRequested = 1;
  const size_t viewSeen = h.view.m_seen.size();
  const size_t frameSeen = h.frame.m_seen.size();
  const DWORD closing = ::GetTickCount();
  EXPECT_TRUE(h.WaitWorkersEnded(15000));
  EXPECT_LT(::GetTickCount() - closing, 8000u);
  h.Pump(300);
  EXPECT_EQ(h.view.m_seen.size(), viewSeen);
  EXPECT_EQ(h.frame.m_seen.size(), frameSeen);
  EXPECT_EQ(g_end.confirmQuit.load(), 0);
  EXPECT_EQ(g_end.closes.load(), 0);
  EXPECT_EQ(g_planThreadCount.load(), 0);
  g_exitRequested = 0;
}

// A server that falls silent after the whole file or in the middle of it: the
// item fails at the site's idle limit (11 s), the ABOR nobody answers holds the
// worker only a few seconds more, and the next item starts within the limit
// plus 10 s and comes in whole.
TEST_F(QueueResume, ASilentServerFreesTheWorkerForTheNextItemSoon)
{
  const size_t kServed = 1024 * 1024;  // the scenario's SILENT_SIZE
  for (const char* name : {"nofinal.bin", "halfstall.bin"}) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(peers::Scenario("silent_transfer"));
    Harness h;
    g_queueThreadCount = 1;
    CSiteItem* site = h.AddSite(port, "u", "p");
    site->m_downloadTimeout = 11;
    const std::string local = FreshTemp(std::string("silent_") + name);
    CPlanItem* silent = h.view.Add("<-", "127.0.0.1", port, "u", "p", local.c_str(), "/", name,
                                   static_cast<int64_t>(kServed));
    CPlanItem* next = h.view.Add("<-", "127.0.0.1", port, "u", "p", local.c_str(), "/", "next.bin",
                                 static_cast<int64_t>(kServed));
    silent->m_failAction = PLAN_FAIL_MOVE_LAST;
    next->m_failAction = PLAN_FAIL_MOVE_LAST;
    h.doc->OnStartQueue();
    h.doc->m_sites[0]->m_queueRun = 0;
    auto waitBegins = [&](int n, DWORD waitMs) {
      const DWORD from = ::GetTickCount();
      while (h.frame.Count(UWM_DOWNLOAD_BEGIN) < n && ::GetTickCount() - from < waitMs)
        h.Pump(20);
      return ::GetTickCount();
    };
    const DWORD first = waitBegins(1, 20000);
    ASSERT_EQ(h.frame.Count(UWM_DOWNLOAD_BEGIN), 1) << QueueLogText();
    const DWORD second = waitBegins(2, 40000);
    ASSERT_EQ(h.frame.Count(UWM_DOWNLOAD_BEGIN), 2)
        << silent->m_status << " " << next->m_status << " " << next->m_retryCount << " "
        << h.view.Count(UWM_NEXT_QUEUE_ITEM) << "\n" << QueueLogText();
    EXPECT_GE(second - first, 11000u - 500u) << "given up before its idle limit";
    EXPECT_LT(second - first, 11000u + 10000u) << QueueLogText();
    EXPECT_TRUE(h.WaitWorkersEnded(30000));
    EXPECT_EQ(silent->m_status, PLAN_ERROR) << QueueLogText();
    EXPECT_EQ(next->m_status, PLAN_FINISHED) << QueueLogText();
    EXPECT_TRUE(ReadAll(local + "\\next.bin") == QueueServedData(kServed));
  }
}

// A queue item whose file is gone (550) or busy (450) is refused and aborted;
// the answer owed to that ABOR, late or of any code, is never taken for the
// next item's commands on the same connection, which then runs whole.
TEST_F(QueueResume, TheNextItemAfterARefusedOneIsNotAnsweredByItsAbort)
{
  const size_t kServed = 100003;  // the scenarios' DATA_SIZE
  for (const char* scenario : {"retr_450_abor_late", "retr_550_closed_abor_500", "retr_550_open_abor_500"}) {
    SCOPED_TRACE(scenario);
    ASSERT_TRUE(peers::Scenario(scenario));
    Harness h;
    g_queueThreadCount = 1;
    const std::string local = FreshTemp(std::string("refused_") + scenario);
    CPlanItem* gone = h.view.Add("<-", "127.0.0.1", port, "u", "p", local.c_str(), "/", "gone.bin",
                                 static_cast<int64_t>(kServed));
    CPlanItem* fine = h.view.Add("<-", "127.0.0.1", port, "u", "p", local.c_str(), "/", "fine.bin",
                                 static_cast<int64_t>(kServed));
    gone->m_failAction = PLAN_FAIL_MOVE_LAST;
    fine->m_failAction = PLAN_FAIL_MOVE_LAST;
    ASSERT_TRUE(h.Run(60000)) << QueueLogText();
    EXPECT_EQ(gone->m_status, PLAN_ERROR) << QueueLogText();
    EXPECT_EQ(fine->m_status, PLAN_FINISHED) << QueueLogText();
    EXPECT_EQ(fine->m_retryCount, 0);
    EXPECT_TRUE(ReadAll(local + "\\fine.bin") == QueueServedData(kServed));
    // Both items went over one connection.
    const std::vector<std::string> got = peers::Received();
    EXPECT_TRUE(HasLine(got, "RETR gone.bin") || HasLine(got, "RETR /gone.bin")) << QueueLogText();
    EXPECT_TRUE(HasLine(got, "RETR fine.bin") || HasLine(got, "RETR /fine.bin")) << QueueLogText();
  }
}

}  // namespace
