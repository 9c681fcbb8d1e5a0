// The document's task-thread list under its reaper, the queue worker slots, and
// the lifetimes of sites that tasks and keepers still use (exit, delete).
#include "shell/doc/zarndoc.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include "engine/exitrequest.h"
#include "engine/progthread.h"
#include "engine/queuerules.h"
#include "shell/settings/settings.h"
#include "shell/sitestore/storemessage.h"
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
  // Enough for adds to meet the reaper mid-sweep many times; Wine makes each
  // thread slowly, more so on a loaded machine.
  constexpr int kThreads = 600;
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

// Polls for up to five seconds; the condition's last answer.
bool WaitUntil(const std::function<bool()>& done)
{
  for (int i = 0; i < 500 && !done(); ++i)
    ::Sleep(10);
  return done();
}

// A document whose Start Queue made `workers` workers through factory.
std::unique_ptr<CZarnDoc> StartedDoc(CWinThread* (*factory)(int), int workers)
{
  doctest::RecordBoxes();
  ResetSettingsDefaults();
  SetQueueWorkerFactory(factory);
  g_made = 0;
  auto doc = std::make_unique<CZarnDoc>();
  doc->m_sites[0]->m_queueRun = 0;
  g_queueThreadCount = workers;
  doc->OnStartQueue();
  return doc;
}
bool ThreadRunningForTest(CWinThread* t) { return ::WaitForSingleObject(t->m_hThread, 0) == WAIT_TIMEOUT; }

TEST(DocThreads, StartQueueFillsTheCountedSlotsAndLeavesRunningWorkers)
{
  g_ready = 0;
  auto doc = StartedDoc(&MakeStandIn, 3);
  EXPECT_EQ(doc->m_sites[0]->m_queueRun.load(), 1);
  for (int n = 0; n < kQueueThreadSlots; ++n)
    EXPECT_EQ(doc->m_queueThreads[n] != nullptr, n < 3) << n;
  EXPECT_EQ(g_made.load(), 3);
  WaitUntil([] { return g_ready.load() >= 3; });
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
  WaitUntil([] { return g_ready.load() >= 11; });
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

// ---- Start Queue meeting a worker on its way out ----

std::atomic<int> g_looks{0};
std::atomic<bool> g_pastLastLook{false};
HANDLE g_outOfItems = nullptr;

// Looks for items until the test says there are none, then leaves as a real
// worker does: only when no Start asked it to look once more; it then takes a
// moment to end (its report on the way out).
UINT __cdecl LeavingProc(LPVOID param)
{
  const int slot = static_cast<int>(reinterpret_cast<uintptr_t>(param));
  do {
    ++g_looks;
    ::WaitForSingleObject(g_outOfItems, 20000);
  } while (!QueueSlotLeave(slot));
  g_pastLastLook = true;
  ::Sleep(1000);
  return 0;
}

CWinThread* MakeLeaving(int n)
{
  ++g_made;
  return new CWinThread(&LeavingProc, reinterpret_cast<LPVOID>(static_cast<uintptr_t>(n)));
}

TEST(DocThreads, AStartThatMeetsAWorkerOnItsWayOutIsNotLost)
{
  g_looks = 0;
  g_pastLastLook = false;
  g_outOfItems = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  auto doc = StartedDoc(&MakeLeaving, 1);
  WaitUntil([] { return g_looks.load() >= 1; });
  ASSERT_EQ(g_looks.load(), 1);

  // Still looking: asked to look once more, no second worker.
  doc->OnStartQueue();
  EXPECT_EQ(g_made.load(), 1);
  ::SetEvent(g_outOfItems);
  ASSERT_TRUE(WaitUntil([] { return g_pastLastLook.load(); }));
  EXPECT_EQ(g_looks.load(), 2);

  // Past its last look but not yet ended: let end, then another one starts.
  ASSERT_TRUE(ThreadRunningForTest(doc->m_queueThreads[0]));
  doc->OnStartQueue();
  EXPECT_EQ(g_made.load(), 2);
  WaitUntil([] { return g_looks.load() >= 3; });
  EXPECT_EQ(g_looks.load(), 3);

  doc.reset();
  SetQueueWorkerFactory(nullptr);
  ::CloseHandle(g_outOfItems);
}

// ---- site lifetimes ----

std::atomic<bool> g_siteFreed{false};
std::atomic<int> g_taskDeletes{0};
std::atomic<bool> g_taskSawFreedSite{false};

class WatchedSite : public CSiteItem {
public:
  ~WatchedSite() override { g_siteFreed = true; }
};

// A task that runs until its site is stopped and, as a real task's destructor
// does, gives its site back when it is deleted.
UINT __cdecl SiteTaskProc(LPVOID param)
{
  CSiteItem* site = static_cast<CSiteItem*>(param);
  while (site->m_queueRun.load() != 0)
    ::Sleep(5);
  return 0;
}

class SiteTask : public CWinThread {
public:
  explicit SiteTask(CSiteItem* site) : CWinThread(&SiteTaskProc, site), m_site(site)
  {
    m_bAutoDelete = FALSE;
    ++m_site->m_taskCount;
  }
  ~SiteTask() override
  {
    g_taskSawFreedSite = g_siteFreed.load();
    ++g_taskDeletes;
    if (!g_siteFreed.load())
      --m_site->m_taskCount;
  }
  CSiteItem* m_site;
};

TEST(DocThreads, AtExitSitesAreFreedOnlyAfterTheTaskThreadsThatUseThem)
{
  doctest::RecordBoxes();
  g_siteFreed = false;
  g_taskDeletes = 0;
  g_taskSawFreedSite = false;
  auto doc = std::make_unique<CZarnDoc>();
  WatchedSite* site = new WatchedSite;
  site->m_queueRun = 1;
  doc->m_sites[1] = site;
  ++doc->m_nSites;
  auto* task = new SiteTask(site);
  ASSERT_TRUE(task->CreateThread());
  doc->AddTaskThread(task);  // the reaper keeps its usual 2 s pause
  ASSERT_TRUE(doc->StartThreadReaper());
  doc.reset();
  EXPECT_EQ(g_taskDeletes.load(), 1);
  EXPECT_FALSE(g_taskSawFreedSite.load());
  EXPECT_TRUE(g_siteFreed.load());
}

// Tasks of a site whose keeper is still connecting: each count is up as soon
// as the start returns, and an exit ends their wait for the site.
TEST(DocThreads, TaskCountIsUpAtStartAndAnExitEndsTheWaitForTheSite)
{
  CSiteItem site;
  ::ResetEvent(site.m_hIdleEvent);  // the keeper is connecting
  CTaskThreadList list;
  list.m_reapIntervalMs = 10;
  constexpr int kTasks = 40;
  int seenLow = 0;
  for (int i = 0; i < kTasks; ++i) {
    auto* task = new CProgThread(1, TASK_LIST, &site, nullptr, "/x", 0, nullptr);
    ASSERT_TRUE(StartTaskThread(list, task)) << i;
    if (site.m_taskCount.load() != i + 1)
      ++seenLow;
  }
  EXPECT_EQ(seenLow, 0);
  g_exitRequested = 1;
  const DWORD start = ::GetTickCount();
  while ((list.GetTaskThreadCount() != 0 || site.m_taskCount.load() != 0) && ::GetTickCount() - start < 30000)
    ::Sleep(10);
  EXPECT_EQ(list.GetTaskThreadCount(), 0);
  EXPECT_EQ(site.m_taskCount.load(), 0);
  g_exitRequested = 0;
}

// A keeper stand-in that ends when its event is set.
UINT __cdecl KeeperStandInProc(LPVOID param)
{
  ::WaitForSingleObject(static_cast<HANDLE>(param), INFINITE);
  return 0;
}

struct InnerCalls {
  CZarnDoc* doc = nullptr;
  HANDLE keeperGo = nullptr;
  bool exitInstead = false;
  int deleteResult = -1;
  int connectResult = -1;
};
InnerCalls g_inner;
constexpr UINT kInnerMessage = WM_APP + 7;

// Runs inside DeleteSite's wait, as a click or a posted command would.
LRESULT CALLBACK InnerWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
  if (message != kInnerMessage)
    return ::DefWindowProcA(hWnd, message, wParam, lParam);
  g_inner.deleteResult = g_inner.doc->DeleteSite(1);
  g_inner.connectResult = g_inner.doc->ConnectSite(1);
  if (g_inner.exitInstead)
    g_exitRequested = 1;
  else
    ::SetEvent(g_inner.keeperGo);
  return 0;
}

TEST(DocThreads, DeleteSiteIsNotReenteredWhileItWaitsForTheKeeper)
{
  doctest::RecordBoxes();
  // No store here: its "cannot delete the key" box is not the point.
  SiteStoreMessageFn storeBoxes = SetSiteStoreMessageHook([](int, const char*, const char*) {});
  g_optionFlags &= ~((1u << OPTBIT_CONFIRM_CONNECT) | (1u << OPTBIT_CONFIRM_DELETE_SITE));
  WNDCLASSA wc = {};
  wc.lpfnWndProc = &InnerWndProc;
  wc.hInstance = ::GetModuleHandleA(nullptr);
  wc.lpszClassName = "ZarnInnerCalls";
  ::RegisterClassA(&wc);
  HWND wnd = ::CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(wnd, nullptr);
  auto doc = std::make_unique<CZarnDoc>();
  g_inner = InnerCalls();
  g_inner.doc = doc.get();
  g_inner.keeperGo = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round == 0 ? "the keeper ends" : "the program closes");
    g_inner.exitInstead = round == 1;
    g_inner.deleteResult = g_inner.connectResult = -1;
    ::ResetEvent(g_inner.keeperGo);
    CSiteItem* site = new CSiteItem;
    doc->m_sites[1] = site;
    ++doc->m_nSites;
    site->m_pKeeperThread = new CWinThread(&KeeperStandInProc, g_inner.keeperGo);
    site->m_pKeeperThread->m_bAutoDelete = FALSE;
    ASSERT_TRUE(site->m_pKeeperThread->CreateThread());
    site->m_keeperRunning = 1;
    ::PostMessageA(wnd, kInnerMessage, 0, 0);
    const BOOL deleted = doc->DeleteSite(1);
    EXPECT_EQ(g_inner.deleteResult, FALSE);
    EXPECT_EQ(g_inner.connectResult, FALSE);
    if (round == 0) {
      EXPECT_TRUE(deleted);
      EXPECT_EQ(doc->m_sites[1], nullptr);
    } else {
      // Closing: the keeper has not ended, so the site stays (stopped).
      EXPECT_FALSE(deleted);
      EXPECT_EQ(doc->m_sites[1], site);
      EXPECT_EQ(site->m_keeperRunning.load(), 0);
      g_exitRequested = 0;
      ::SetEvent(g_inner.keeperGo);  // the site's teardown waits for its keeper
    }
  }
  doc.reset();
  ::CloseHandle(g_inner.keeperGo);
  ::DestroyWindow(wnd);
  SetSiteStoreMessageHook(storeBoxes);
}

}  // namespace
