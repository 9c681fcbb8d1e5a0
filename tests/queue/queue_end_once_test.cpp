// The end of the queue: however the workers interleave, the last one alone
// reaches the end-of-queue seam, once per run; the others only log.
#include <gtest/gtest.h>

#include <string>

#include "engine/connlog.h"
#include "engine/exitrequest.h"
#include "engine/planthread.h"
#include "engine/queuerules.h"
#include "shell/settings/meteredsection.h"
#include "shell/settings/settings.h"
#include "tests/queue/queuefix.h"
#include "tests/support/peers.h"
#include "tests/task/taskfix.h"

using namespace queuetest;

namespace {

int CountOf(const std::string& text, const std::string& what)
{
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
    ++n;
  return n;
}

TEST(QueueEndOnce, TheLastWorkerAloneReachesTheSeamOncePerRun)
{
  const PeerLogin py = PyftpdPeer();
  ASSERT_NE(py.port, 0) << "run under tests/peers/with-peers.sh --pyftpd";
  const int port = py.port;
  const std::string& root = py.root;
  const std::string& user = py.user;
  const std::string& pass = py.pass;
  tasktest::MakeFolder(root, "endonce");
  for (int i = 0; i < 8; ++i)
    WriteAll(root + "\\endonce\\e" + std::to_string(i) + ".bin", Pattern(3000 + static_cast<size_t>(i) * 997));

  Harness h;
  h.AddSite(port, user.c_str(), pass.c_str());
  const std::string local = FreshTemp("endonce");
  for (int run = 0; run < 20; ++run) {
    SCOPED_TRACE("run " + std::to_string(run));
    const int workers = 3 + run % 3;
    const bool powerOff = run % 2 == 0;
    const bool goAhead = run % 4 < 2;
    g_queueThreadCount = workers;
    g_optionFlags &= ~((1u << OPTBIT_QUEUE_POWEROFF) | (1u << OPTBIT_QUEUE_HANGUP) | (1u << OPTBIT_QUEUE_QUIT));
    g_optionFlags |= powerOff ? (1u << OPTBIT_QUEUE_POWEROFF)
                              : ((1u << OPTBIT_QUEUE_HANGUP) | (1u << OPTBIT_QUEUE_QUIT));
    g_end.Reset();
    g_end.answer = goAhead ? IDOK : IDCANCEL;
    ConnLogClear();
    h.view.Clear();
    // Half the runs mix in items of a server that is no work site.
    for (int i = 0; i < 8; ++i)
      h.view.Add("<-", run % 3 == 1 && i % 2 == 1 ? "localhost" : "127.0.0.1", port, user.c_str(), pass.c_str(),
                 local.c_str(), "/endonce", ("e" + std::to_string(i) + ".bin").c_str(), 3000 + i * 997);
    ASSERT_TRUE(h.Run(30000)) << QueueLogText();
    for (CPlanItem* item : h.view.All())
      EXPECT_EQ(item->m_status, PLAN_FINISHED);
    if (powerOff) {
      EXPECT_EQ(g_end.confirmShutdown.load(), 1);
      EXPECT_EQ(g_end.powerOffs.load(), goAhead ? 1 : 0);
      EXPECT_EQ(g_end.hangUps.load() + g_end.confirmQuit.load() + g_end.closes.load(), 0);
    } else {
      EXPECT_EQ(g_end.hangUps.load(), 1);
      EXPECT_EQ(g_end.confirmQuit.load(), 1);
      EXPECT_EQ(g_end.closes.load(), goAhead ? 1 : 0);
      EXPECT_EQ(g_end.confirmShutdown.load() + g_end.powerOffs.load(), 0);
    }
    EXPECT_EQ(g_exitRequested.load(), goAhead ? 1 : 0);
    // Every worker that moved something says so; never more than there are workers.
    const int lines = CountOf(QueueLogText(), "# already finished, exit runing.");
    EXPECT_GE(lines, 1);
    EXPECT_LE(lines, workers);
    EXPECT_EQ(g_planThreadCount.load(), 0);
    EXPECT_EQ(g_queueRunning.load(), 0);
    g_exitRequested = 0;
  }
}

TEST(QueueEndOnce, NothingReachesTheSeamWhileTheProgramCloses)
{
  const PeerLogin py = PyftpdPeer();
  ASSERT_NE(py.port, 0);
  const int port = py.port;
  const std::string& root = py.root;
  const std::string& user = py.user;
  const std::string& pass = py.pass;
  tasktest::MakeFolder(root, "endclose");
  WriteAll(root + "\\endclose\\big.bin", Pattern(8u << 20));
  Harness h;
  h.AddSite(port, user.c_str(), pass.c_str());
  g_queueThreadCount = 3;
  g_optionFlags |= (1u << OPTBIT_QUEUE_POWEROFF) | (1u << OPTBIT_QUEUE_HANGUP) | (1u << OPTBIT_QUEUE_QUIT);
  const std::string local = FreshTemp("endclose");
  for (int i = 0; i < 3; ++i)
    h.view.Add("<-", "127.0.0.1", port, user.c_str(), pass.c_str(), (local + "").c_str(), "/endclose", "big.bin",
               8 << 20);
  h.doc->OnStartQueue();
  g_exitRequested = 1;
  EXPECT_TRUE(h.WaitWorkersEnded(15000));
  EXPECT_EQ(g_end.confirmShutdown.load() + g_end.confirmQuit.load() + g_end.hangUps.load() +
                g_end.powerOffs.load() + g_end.closes.load(),
            0);
  EXPECT_EQ(g_planThreadCount.load(), 0);
  g_exitRequested = 0;
}

TEST(QueueEndOnce, DestroyingTheDocumentEndsAWorkerBlockedSendingToIt)
{
  const PeerLogin py = PyftpdPeer();
  ASSERT_NE(py.port, 0);
  Harness h;
  g_queueThreadCount = 2;
  const std::string local = FreshTemp("endsend");
  for (int i = 0; i < 2; ++i)
    h.view.Add("<-", "127.0.0.1", py.port, py.user.c_str(), py.pass.c_str(), local.c_str(), "/", "none.bin", 10);
  h.doc->OnStartQueue();
  // Nothing is pumped from here on: a worker's question stays pending on this
  // thread, as it would while the program's window closes.
  const DWORD start = ::GetTickCount();
  while ((HIWORD(::GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) == 0 && ::GetTickCount() - start < 10000)
    ::Sleep(10);
  ASSERT_NE(HIWORD(::GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE, 0u);
  const DWORD closing = ::GetTickCount();
  h.doc.reset();
  EXPECT_LT(::GetTickCount() - closing, 12000u);
  EXPECT_GE(h.view.Count(UWM_NEXT_QUEUE_ITEM), 1) << "the pending question was answered";
  EXPECT_EQ(g_planThreadCount.load(), 0) << "every worker ended";
}

// The finish step holds the cross-process lock across its two reports; one
// holder that never let go stopped every worker there for good.
TEST(QueueEndOnce, AWorkerWaitingForTheCountingLockEndsOnExit)
{
  const PeerLogin py = PyftpdPeer();
  ASSERT_NE(py.port, 0);
  tasktest::MakeFolder(py.root, "endlock");
  WriteAll(py.root + "\\endlock\\small.bin", Pattern(5000));
  Harness h;
  h.AddSite(py.port, py.user.c_str(), py.pass.c_str());
  g_queueThreadCount = 1;
  g_optionFlags &= ~((1u << OPTBIT_QUEUE_POWEROFF) | (1u << OPTBIT_QUEUE_HANGUP) | (1u << OPTBIT_QUEUE_QUIT));
  ASSERT_NE(g_meteredSection, nullptr);
  ASSERT_EQ(CMeteredSection::Enter(g_meteredSection, 0), 0u);  // held by "another process"
  h.view.Add("<-", "127.0.0.1", py.port, py.user.c_str(), py.pass.c_str(), FreshTemp("endlock").c_str(), "/endlock",
             "small.bin", 5000);
  h.doc->OnStartQueue();
  const DWORD start = ::GetTickCount();
  while (g_meteredSection->shared->waiting == 0 && ::GetTickCount() - start < 30000)
    h.Pump(10);
  const bool reachedLock = g_meteredSection->shared->waiting != 0;
  g_exitRequested = 1;
  const bool ended = h.WaitWorkersEnded(15000);
  CMeteredSection::Leave(g_meteredSection, 1);  // lets a worker stuck there go, so the test ends
  EXPECT_TRUE(reachedLock) << QueueLogText();
  EXPECT_TRUE(ended);
  h.WaitWorkersEnded(30000);
  g_exitRequested = 0;
}

}  // namespace
