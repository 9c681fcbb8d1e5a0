// The task-thread list and its reaper: finished threads are deleted and the
// reaper ends, a thread added just as the reaper ends is never left behind, and
// the GUI thread's add never waits for a slow destructor.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <functional>

#include "engine/taskthreads.h"

namespace {

std::atomic<int> g_deleted{0};
std::atomic<int> g_inSlowDestructor{0};

UINT __cdecl SleepProc(LPVOID param)
{
  ::Sleep((DWORD)(uintptr_t)param);
  return 0;
}

// A task thread whose deletion is counted; a slow one takes its time to go.
class CountedThread : public CWinThread {
public:
  CountedThread(DWORD runMs, DWORD destructMs = 0)
      : CWinThread(&SleepProc, (LPVOID)(uintptr_t)runMs), m_destructMs(destructMs)
  {
    m_bAutoDelete = FALSE;
  }
  ~CountedThread() override
  {
    if (m_destructMs != 0) {
      ++g_inSlowDestructor;
      ::Sleep(m_destructMs);
    }
    ++g_deleted;
  }
  DWORD m_destructMs;
};

CountedThread* MakeSuspended(DWORD runMs, DWORD destructMs = 0)
{
  CountedThread* t = new CountedThread(runMs, destructMs);
  if (!t->CreateThread(CREATE_SUSPENDED)) {
    delete t;
    return nullptr;
  }
  return t;
}

// Listed, the reaper asked for, then resumed: as StartTaskThread does.
void Enter(CTaskThreadList& list, CountedThread* t)
{
  list.AddTaskThread(t);
  EXPECT_TRUE(list.StartThreadReaper());
  t->ResumeThread();
}

CountedThread* Launch(CTaskThreadList& list, DWORD runMs, DWORD destructMs = 0)
{
  CountedThread* t = MakeSuspended(runMs, destructMs);
  if (t != nullptr)
    Enter(list, t);
  return t;
}

bool WaitUntil(const std::function<bool()>& pred, DWORD waitMs)
{
  const DWORD start = ::GetTickCount();
  while (!pred()) {
    if (::GetTickCount() - start >= waitMs)
      return false;
    ::Sleep(5);
  }
  return true;
}

TEST(Reaper, ManyShortThreadsAreAllDeletedAndTheReaperEnds)
{
  g_deleted = 0;
  CTaskThreadList list;
  list.m_reapIntervalMs = 20;
  for (int i = 0; i < 300; ++i)
    ASSERT_NE(Launch(list, (DWORD)(i % 7)), nullptr) << i;
  EXPECT_TRUE(WaitUntil([&] { return g_deleted.load() == 300; }, 60000)) << g_deleted.load();
  EXPECT_TRUE(WaitUntil([&] { return !list.IsReaperActive(); }, 5000));
  EXPECT_EQ(list.GetTaskThreadCount(), 0);
  EXPECT_EQ(g_deleted.load(), 300);
}

TEST(Reaper, AThreadAddedAsTheListEmptiesIsAlwaysReaped)
{
  g_deleted = 0;
  CTaskThreadList list;
  list.m_reapIntervalMs = 1;
  for (int round = 0; round < 120; ++round) {
    const int before = g_deleted.load();
    ASSERT_NE(Launch(list, 0), nullptr);
    CountedThread* next = MakeSuspended(0);
    ASSERT_NE(next, nullptr);
    // Once the reaper has taken the first one it is about to find the list
    // empty and end: add the next right then, or just after it has decided to
    // end while its thread is still on its way out.
    ASSERT_TRUE(WaitUntil([&] { return g_deleted.load() > before; }, 5000)) << round;
    if (round % 2 == 1) {
      const DWORD start = ::GetTickCount();
      // Yield while polling: a spinning poll starves the reaper on a loaded machine.
      while (list.IsReaperActive() && ::GetTickCount() - start < 5000)
        ::SwitchToThread();
    }
    Enter(list, next);
    ASSERT_TRUE(WaitUntil([&] { return g_deleted.load() >= before + 2; }, 5000))
        << "round " << round << ": left unreaped, reaper active " << list.IsReaperActive();
  }
  EXPECT_TRUE(WaitUntil([&] { return !list.IsReaperActive(); }, 5000));
  EXPECT_EQ(list.GetTaskThreadCount(), 0);
}

TEST(Reaper, AnAddDuringASlowDestructorReturnsAtOnce)
{
  g_deleted = 0;
  g_inSlowDestructor = 0;
  CTaskThreadList list;
  list.m_reapIntervalMs = 20;
  ASSERT_NE(Launch(list, 0, 3000), nullptr);
  ASSERT_TRUE(WaitUntil([] { return g_inSlowDestructor.load() == 1; }, 5000));
  const DWORD start = ::GetTickCount();
  CountedThread* next = Launch(list, 50);
  ASSERT_NE(next, nullptr);
  EXPECT_EQ(list.GetTaskThreadCount(), 1);
  EXPECT_EQ(list.GetTaskThread(0), next);
  EXPECT_LT(::GetTickCount() - start, 500u) << "the add waited for the destructor";
  EXPECT_TRUE(WaitUntil([] { return g_deleted.load() == 2; }, 10000));
  EXPECT_TRUE(WaitUntil([&] { return !list.IsReaperActive(); }, 5000));
}

TEST(Reaper, TheDocumentsOperations)
{
  g_deleted = 0;
  CTaskThreadList list;
  EXPECT_EQ(list.GetTaskThreadCount(), 0);
  EXPECT_EQ(list.GetTaskThread(0), nullptr);
  EXPECT_EQ(list.GetTaskThread(-1), nullptr);
  EXPECT_FALSE(list.RemoveTaskThread(0));
  CountedThread* a = new CountedThread(0);
  CountedThread* b = new CountedThread(0);
  list.AddTaskThread(a);
  list.AddTaskThread(b);
  list.AddTaskThread(nullptr);
  EXPECT_EQ(list.GetTaskThreadCount(), 2);
  EXPECT_EQ(list.GetTaskThread(1), b);
  EXPECT_TRUE(list.RemoveTaskThread(0));  // deletes the object
  EXPECT_EQ(g_deleted.load(), 1);
  EXPECT_EQ(list.GetTaskThread(0), b);
  EXPECT_FALSE(list.RemoveTaskThread(1));
  // A never-started thread counts as ended: the reaper takes it.
  EXPECT_TRUE(list.StartThreadReaper());
  EXPECT_TRUE(list.StartThreadReaper());  // already running: no second reaper
  EXPECT_TRUE(WaitUntil([] { return g_deleted.load() == 2; }, 5000));
  EXPECT_TRUE(WaitUntil([&] { return !list.IsReaperActive(); }, 5000));
  EXPECT_EQ(list.GetTaskThreadCount(), 0);
}

}  // namespace
