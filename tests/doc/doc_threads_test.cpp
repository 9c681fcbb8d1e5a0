// The document's task-thread list under its reaper, and the queue worker slots.
#include "shell/doc/zarndoc.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <memory>

#include "shell/settings/settings.h"
#include "tests/doc/docfix.h"

namespace {

std::atomic<int> g_deleted{0};

UINT __cdecl ShortProc(LPVOID param)
{
  ::Sleep((DWORD)(uintptr_t)param);
  return 0;
}

class CountedThread : public CWinThread {
public:
  explicit CountedThread(DWORD ms) : CWinThread(&ShortProc, (LPVOID)(uintptr_t)ms) { m_bAutoDelete = FALSE; }
  ~CountedThread() override { ++g_deleted; }
};

bool WaitFor(bool (*pred)(CZarnDoc&), CZarnDoc& doc, DWORD ms)
{
  for (DWORD spent = 0; spent < ms; spent += 20) {
    if (pred(doc))
      return true;
    ::Sleep(20);
  }
  return pred(doc);
}

TEST(DocThreads, EveryShortTaskThreadAddedWhileTheReaperRunsIsDeleted)
{
  doctest::RecordBoxes();
  auto doc = std::make_unique<CZarnDoc>();
  doc->TaskThreads().m_reapIntervalMs = 10;
  g_deleted = 0;
  constexpr int kThreads = 2000;
  for (int i = 0; i < kThreads; ++i) {
    auto* t = new CountedThread((DWORD)(i % 3));
    ASSERT_TRUE(t->CreateThread()) << i;
    doc->AddTaskThread(t);
    ASSERT_TRUE(doc->StartThreadReaper()) << i;
  }
  EXPECT_TRUE(WaitFor([](CZarnDoc& d) { return g_deleted.load() == kThreads && d.GetTaskThreadCount() == 0; }, *doc,
                      120000))
      << "deleted " << g_deleted.load() << " left " << doc->GetTaskThreadCount();
  doc.reset();
  EXPECT_EQ(g_deleted.load(), kThreads);
}

// ---- queue workers ----

std::atomic<int> g_made{0};
std::atomic<int> g_ready{0};

// Stands in for the queue worker: runs until a quit message.
UINT __cdecl StandInProc(LPVOID)
{
  MSG msg;
  ::PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE);  // make the queue first
  ++g_ready;
  while (::GetMessage(&msg, nullptr, 0, 0) > 0) {
  }
  return 0;
}

CWinThread* MakeStandIn(int)
{
  ++g_made;
  return new CWinThread(&StandInProc, nullptr);
}

bool Ended(CWinThread* t) { return ::WaitForSingleObject(t->m_hThread, 10000) == WAIT_OBJECT_0; }

TEST(DocThreads, StartQueueFillsTheCountedSlotsAndLeavesRunningWorkers)
{
  doctest::RecordBoxes();
  ResetSettingsDefaults();
  SetQueueWorkerFactory(&MakeStandIn);
  g_made = 0;
  g_ready = 0;
  auto doc = std::make_unique<CZarnDoc>();
  doc->m_sites[0]->m_queueRun = 0;
  g_queueThreadCount = 3;
  doc->OnStartQueue();
  EXPECT_EQ(doc->m_sites[0]->m_queueRun.load(), 1);
  for (int n = 0; n < kQueueThreadSlots; ++n)
    EXPECT_EQ(doc->m_queueThreads[n] != nullptr, n < 3) << n;
  EXPECT_EQ(g_made.load(), 3);
  for (int i = 0; i < 500 && g_ready.load() < 3; ++i)
    ::Sleep(10);
  ASSERT_EQ(g_ready.load(), 3);

  // A running worker is left alone; an ended one is replaced.
  CWinThread* first = doc->m_queueThreads[0];
  CWinThread* second = doc->m_queueThreads[1];
  ASSERT_TRUE(first->PostThreadMessage(WM_QUIT, 0, 0));
  ASSERT_TRUE(Ended(first));
  doc->StartQueueThreads();
  EXPECT_EQ(doc->m_queueThreads[1], second);
  EXPECT_NE(doc->m_queueThreads[0], nullptr);
  EXPECT_EQ(g_made.load(), 4);
  EXPECT_EQ(doc->m_queueThreads[3], nullptr);

  // One slot by number; numbers outside the slots do nothing.
  EXPECT_TRUE(doc->StartQueueThread(7));
  EXPECT_NE(doc->m_queueThreads[7], nullptr);
  EXPECT_FALSE(doc->StartQueueThread(10));
  EXPECT_FALSE(doc->StartQueueThread(-1));
  EXPECT_EQ(g_made.load(), 5);

  // The count is clamped to the ten slots.
  g_queueThreadCount = 25;
  doc->StartQueueThreads();
  for (int n = 0; n < kQueueThreadSlots; ++n)
    EXPECT_NE(doc->m_queueThreads[n], nullptr) << n;
  EXPECT_EQ(g_made.load(), 11);
  for (int i = 0; i < 500 && g_ready.load() < 11; ++i)
    ::Sleep(10);
  ASSERT_EQ(g_ready.load(), 11);

  // The destructor stops every worker (a hang here fails by time-out).
  doc.reset();
  SetQueueWorkerFactory(nullptr);
}

TEST(DocThreads, NoFactoryOrANegativeCountStartsNothing)
{
  doctest::RecordBoxes();
  SetQueueWorkerFactory(nullptr);
  CZarnDoc doc;
  g_queueThreadCount = 3;
  doc.StartQueueThreads();
  EXPECT_FALSE(doc.StartQueueThread(0));
  SetQueueWorkerFactory(&MakeStandIn);
  g_made = 0;
  g_queueThreadCount = -4;
  doc.StartQueueThreads();
  EXPECT_EQ(g_made.load(), 0);
  for (CWinThread* t : doc.m_queueThreads)
    EXPECT_EQ(t, nullptr);
  SetQueueWorkerFactory(nullptr);
}

}  // namespace
