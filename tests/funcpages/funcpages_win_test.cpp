// The search and site-to-site pages and the queue's two boxes under Wine, in
// the real function view: results and jobs arrive as the tasks send them,
// boxes are answered from a second thread as a user would.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "engine/confirmdlg.h"
#include "engine/engineres.h"
#include "engine/fileops.h"
#include "engine/planthread.h"
#include "engine/siteitem.h"
#include "engine/xfertask.h"
#include "framework/archive.h"
#include "framework/file.h"
#include "shell/funcview/core/queuefile.h"
#include "shell/funcview/batchpanedlg.h"
#include "shell/funcview/funcviewres.h"
#include "shell/funcview/logpanedlg.h"
#include "shell/funcview/listpagesres.h"
#include "shell/funcview/queueinfodlg.h"
#include "shell/funcview/searchpanedlg.h"
#include "shell/settings/settings.h"
#include "tests/confirm/boxdriver.h"
#include "tests/funcpages/pagesfix.h"
#include "tests/funcview/funcviewfix.h"
#include "tests/toolkit/wintest.h"

using namespace funcviewtest;
using namespace pagestest;

namespace {

void Found(Host& host, const std::string& name, const char* folder, int64_t size, int slot)
{
  EntryRecord e;
  std::memset(&e, 0xCD, sizeof e);  // the sender's garbage past the texts
  std::snprintf(e.m_name, sizeof e.m_name, "%s", name.c_str());
  std::snprintf(e.m_date, sizeof e.m_date, "2026-12-01");
  std::snprintf(e.m_second, sizeof e.m_second, "%s", folder);
  std::snprintf(e.m_attributes, sizeof e.m_attributes, "-rw-r--r--");
  e.m_size = size;
  e.m_kind = 0;
  e.m_tag = slot;
  host.view->SendMessage(UWM_SEARCH_RESULTS, 0, reinterpret_cast<LPARAM>(&e));
}

}  // namespace

TEST(SearchPage, DownloadGoesOnlyToTheServerThatListedTheFile)
{
  Pages pages;
  CConfirmDlg::s_defaultTickPeriod = 100;
  Host host(1, "", CFuncViewDlg::kSearchTab);
  host.harness.frame.m_runQueue = false;
  CSiteItem* site = host.harness.AddSite(2121, "joe", "pw");
  CSearchPaneDlg& page = SearchPage(host);
  ASSERT_TRUE(page.GetSafeHwnd() != nullptr);
  SetOption(OPTBIT_QUEUE_AUTOSTART, true);

  // Download All on an empty list: nothing at all.
  std::snprintf(g_downloadPath, sizeof g_downloadPath, "%s", "");
  EXPECT_TRUE(ErrorBoxesDuring(host, [&] { page.SendMessage(WM_COMMAND, ID_SEARCH_DOWNLOAD_ALL, 0); }).empty());

  const std::string longName(255, 'L');
  Found(host, longName, "/pub/deep", 5000000000LL, 1);
  Found(host, "a.txt", "/pub", 10, 1);
  Found(host, "orphan.txt", "/x", 1, 7);  // its slot is empty
  CMySearchList& list = page.m_list;
  ASSERT_EQ(list.GetCount(), 3);
  EXPECT_EQ(std::string(list.GetItemText(0, 0)), longName);
  EXPECT_EQ(std::string(list.GetItemText(0, 1)), "127.0.0.1");
  EXPECT_EQ(std::string(list.GetItemText(0, 2)), "/pub/deep");
  EXPECT_EQ(std::string(list.GetItemText(0, 3)), "5,000,000,000");
  EXPECT_EQ(std::string(list.GetItemText(2, 1)), "");
  host.harness.Pump(200);
  wintest::Shot("funcpages_searched");

  // No receiving folder anywhere: the message and nothing queued.
  std::vector<std::string> boxes =
      ErrorBoxesDuring(host, [&] { page.SendMessage(WM_COMMAND, ID_SEARCH_DOWNLOAD_ALL, 0); });
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], "Please specify receiving path first!");
  EXPECT_EQ(host.List().GetCount(), 0);

  // With one: two items with the site's login, the orphan left out with a box.
  std::snprintf(g_downloadPath, sizeof g_downloadPath, "%s", "C:\\dl");
  const int runsBefore = host.harness.frame.Count(UWM_RUN_QUEUE);
  boxes = ErrorBoxesDuring(host, [&] { page.SendMessage(WM_COMMAND, ID_SEARCH_DOWNLOAD_ALL, 0); });
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], "Some files were not queued: their site has been deleted.");
  ASSERT_EQ(host.List().GetCount(), 2);
  const CPlanItem* item = host.List().GetPlanItem(0);
  EXPECT_EQ(std::string(item->m_fileName), longName);
  EXPECT_STREQ(item->m_remotePath, "/pub/deep");
  EXPECT_STREQ(item->m_localPath, "C:\\dl");
  EXPECT_STREQ(item->m_host, "127.0.0.1");
  EXPECT_EQ(item->m_port, 2121);
  EXPECT_STREQ(item->m_user, "joe");
  EXPECT_STREQ(item->m_password, "pw");
  EXPECT_EQ(item->m_fileSize, 5000000000LL);
  EXPECT_EQ(site->m_queueRun.load(), 1);
  EXPECT_EQ(host.harness.frame.Count(UWM_RUN_QUEUE), runsBefore + 1);
  EXPECT_TRUE(host.view->Page(CFuncViewDlg::kQueueTab)->IsWindowVisible());

  // The slot refilled by another server: no host shown, nothing queued.
  host.view->SelectTab(CFuncViewDlg::kSearchTab);
  delete host.harness.doc->m_sites[1];
  host.harness.AddSite(2122, "mallory", "x");
  EXPECT_EQ(std::string(list.GetItemText(1, 1)), "");
  list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
  boxes = ErrorBoxesDuring(host, [&] { page.SendMessage(WM_COMMAND, ID_SEARCH_DOWNLOAD, 0); });
  EXPECT_EQ(boxes.size(), 1u);
  EXPECT_EQ(host.List().GetCount(), 2);
  SetOption(OPTBIT_QUEUE_AUTOSTART, false);

  EXPECT_EQ(InfoBoxOf(page, "Search List Information", "funcpages_info_search"),
            (std::vector<std::pair<std::string, std::string>>{
                {"Tasks No.", "3"}, {"Files No.", "3"}, {"Disk space used", "4.65 GBytes"}}));
  page.SendMessage(WM_COMMAND, ID_SEARCH_CLEAR, 0);
  EXPECT_EQ(list.GetCount(), 0);
}

namespace {

// A task as the engine runs one: writes its job until stopped or done,
// clears m_running as its last touch, then reports.
struct FakeTask {
  BatchJobRecord* job;
  std::thread thread;
};

void RunTask(HWND view, BatchJobRecord* job, int32_t endState, std::atomic<int>& go, std::atomic<int>& reported)
{
  while (go.load() == 0 && job->m_stopRequested.load() == 0) {
    job->m_bytesDone += 1;
    ::Sleep(1);
  }
  job->m_state = job->m_stopRequested.load() != 0 ? JOB_INTERRUPTED : endState;
  std::snprintf(job->m_speed, sizeof job->m_speed, "1.00KB");
  job->m_running = 0;
  ::SendMessageA(view, UWM_TASK_FINISHED, reinterpret_cast<WPARAM>(job), 0);
  ++reported;
}

// The reports are sent to this thread's window: pump while they come.
bool WaitReports(Host& host, std::atomic<int>& reported, int count)
{
  const DWORD start = ::GetTickCount();
  while (reported.load() < count && ::GetTickCount() - start < 10000)
    host.harness.Pump(20);
  return reported.load() >= count;
}

}  // namespace

TEST(BatchPage, RowsEndAsTheirTasksReportAndRunningJobsStay)
{
  Pages pages;
  Host host(1, "", CFuncViewDlg::kBatchTab);
  CBatchPaneDlg& page = BatchPage(host);
  ASSERT_TRUE(page.GetSafeHwnd() != nullptr);
  HWND view = host.view->GetSafeHwnd();
  SetOption(OPTBIT_QUEUE_AUTODELETE, true);

  std::atomic<int> go{0};
  std::atomic<int> reported{0};
  std::vector<std::thread> tasks;
  const int32_t ends[] = {JOB_FINISHED, JOB_FINISHED, JOB_ERROR, JOB_FINISHED};
  const int32_t runs[] = {JOB_SENDING, JOB_DOWNLOADING, JOB_COPYING, JOB_DOWNLOADING};
  for (int i = 0; i < 4; ++i) {
    BatchJobRecord* job = new BatchJobRecord;
    job->m_running = 1;
    job->m_state = runs[i];
    job->m_size = 1234567;
    job->m_startTick = ::GetTickCount();
    std::snprintf(job->m_source, sizeof job->m_source, "127.0.0.1/pub/file%d.bin", i);
    std::snprintf(job->m_target, sizeof job->m_target, "C:\\in\\file%d.bin", i);
    host.view->SendMessage(UWM_BATCH_ADD, 0, reinterpret_cast<LPARAM>(job));
    tasks.emplace_back(RunTask, view, job, ends[i], std::ref(go), std::ref(reported));
  }
  CMyBackList& list = page.m_list;
  ASSERT_EQ(list.GetCount(), 4);
  EXPECT_TRUE(page.TimerRunning());
  EXPECT_EQ(std::string(list.GetItemText(0, 2)), "1,234,567");
  EXPECT_EQ(std::string(list.GetItemText(2, 4)), "Copying");
  host.harness.Pump(300);
  wintest::Shot("funcpages_site_to_site");

  // Stop the last one: only asked, the row stays until its task reports.
  list.SetItemState(3, LVIS_SELECTED, LVIS_SELECTED);
  BatchJobRecord* stopped = list.Jobs().At(3);
  page.SendMessage(WM_COMMAND, ID_BATCH_STOP_SELECTION, 0);
  EXPECT_EQ(stopped->m_stopRequested.load(), 1);
  ASSERT_TRUE(WaitReports(host, reported, 1));
  tasks[3].join();
  // Its task let go: Delete frees it, the running one beside it stays.
  EXPECT_EQ(std::string(list.GetItemText(3, 4)), "Interrupt");
  EXPECT_EQ(list.GetCount(), 4);
  list.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);  // still running
  list.SetItemState(3, LVIS_SELECTED, LVIS_SELECTED);
  page.SendMessage(WM_COMMAND, ID_BATCH_DELETE, 0);
  ASSERT_EQ(list.GetCount(), 3);
  EXPECT_EQ(list.GetSelectedCount(), 0u);

  // A report for a job the list never had changes nothing.
  BatchJobRecord stranger;
  host.view->SendMessage(UWM_TASK_FINISHED, reinterpret_cast<WPARAM>(&stranger), 0);
  EXPECT_EQ(list.GetCount(), 3);

  go = 1;
  ASSERT_TRUE(WaitReports(host, reported, 4));
  for (int i = 0; i < 3; ++i) tasks[static_cast<size_t>(i)].join();
  // Finished ones went at their reports (bit 5); the error stays.
  ASSERT_EQ(list.GetCount(), 1);
  EXPECT_EQ(std::string(list.GetItemText(0, 4)), "Error");
  EXPECT_EQ(std::string(list.GetItemText(0, 5)), "1.00KB");

  const DWORD start = ::GetTickCount();
  while (page.TimerRunning() && ::GetTickCount() - start < 5000) host.harness.Pump(50);
  EXPECT_FALSE(page.TimerRunning());

  const auto rows = InfoBoxOf(page, "Batch Information", "funcpages_info_batch");
  EXPECT_EQ(ValueOf(rows, "Tasks No."), "1");
  EXPECT_EQ(ValueOf(rows, "Failed No."), "1");
  EXPECT_EQ(ValueOf(rows, "Size"), "1.17 MBytes");
  SetOption(OPTBIT_QUEUE_AUTODELETE, false);
}

TEST(QueueBoxes, ItemOptionsAppliesTheRulesAndInformationCounts)
{
  Pages pages;
  Host host(1, "");
  host.Queue("<-", 2121, "joe", "pw", "C:\\in", "/pub", "a.txt", 10);
  host.Queue("->", 21, "ann", "", "C:\\out", "/up", "b.txt", 2048);
  CPlanItem* item = host.Queue("<-", 21, "ann", "", "C:\\in", "/pub/x", "c.bin", 1LL << 32);
  item->m_kind = 7;
  host.harness.Pump(100);

  const auto info = InfoBoxOf(host.Page(), "Schedule Queue Information", "funcpages_info_queue");
  EXPECT_EQ(ValueOf(info, "Tasks No."), "3");
  EXPECT_EQ(ValueOf(info, "Files No."), "2");
  EXPECT_EQ(ValueOf(info, "Folders No."), "1");
  EXPECT_EQ(ValueOf(info, "Size"), "2.00 KBytes");
  EXPECT_EQ(ValueOf(info, "Queuing No."), "3");

  CPlanItem* first = host.List().GetPlanItem(0);
  host.List().SelectOnly(0);
  // A working or held item: no box.
  SetStatus(first, PLAN_WORKING);
  EXPECT_EQ(EditPlanItem(first, &host.Page()), 0);
  SetStatus(first, PLAN_STOPPED);
  MarkHeld(first);
  EXPECT_EQ(EditPlanItem(first, &host.Page()), 0);
  ReleaseHeld(first);
  SetStatus(first, PLAN_ERROR);

  // OK: a port out of range is refused first, then the edits land.
  std::atomic<bool> refused{false};
  boxdriver::Driver driver([&] {
    HWND box = boxdriver::WaitForBox("Item Information", 15000);
    if (box == nullptr)
      return;
    EXPECT_EQ(boxdriver::ItemText(box, IDC_ITEM_USER), "joe");
    EXPECT_EQ(first->m_status, PLAN_STOPPED);  // no worker takes it meanwhile
    wintest::Shot("funcpages_item_information");
    boxdriver::SetItemText(box, IDC_ITEM_HOST, std::string(300, 'h').c_str());
    boxdriver::SetItemText(box, IDC_ITEM_REMOTE, "/new\x0C" "dir");
    boxdriver::SetItemText(box, IDC_ITEM_NAME, "");
    boxdriver::SetItemText(box, IDC_ITEM_PORT, "70000");
    boxdriver::SetItemText(box, IDC_ITEM_RETRIES, "7");
    ::SendMessageA(::GetDlgItem(box, IDC_ITEM_STATUS), CB_SETCURSEL, PLAN_WORKING, 0);
    boxdriver::Click(box, IDOK);
    HWND error = boxdriver::WaitForBox(kErrorCaption, 10000);
    refused = error != nullptr;
    if (error != nullptr) {
      boxdriver::Click(error, IDOK);
      boxdriver::WaitGone(error);
    }
    boxdriver::SetItemText(box, IDC_ITEM_PORT, "2200");
    boxdriver::Click(box, IDOK);
    boxdriver::WaitGone(box);
  });
  host.Page().SendMessage(WM_COMMAND, ID_QUEUE_ITEM_OPTIONS, 0);
  driver.Join();
  EXPECT_TRUE(refused.load());
  EXPECT_EQ(std::strlen(first->m_host), kPlanHostLen - 1);
  EXPECT_STREQ(first->m_remotePath, "/newdir");
  EXPECT_STREQ(first->m_fileName, "a.txt");
  EXPECT_EQ(first->m_port, 2200);
  EXPECT_EQ(first->m_retryCount, 7);
  EXPECT_EQ(first->m_status, PLAN_ERROR);  // "Working" keeps the status

  // Cancel gives back the status it had.
  boxdriver::Driver cancel([&] {
    HWND box = boxdriver::WaitForBox("Item Information", 15000);
    if (box != nullptr) {
      boxdriver::Click(box, IDCANCEL);
      boxdriver::WaitGone(box);
    }
  });
  host.Page().SendMessage(WM_COMMAND, ID_QUEUE_ITEM_OPTIONS, 0);
  cancel.Join();
  EXPECT_EQ(first->m_status, PLAN_ERROR);

  // The edited item exported and imported again: every stored field in place.
  const std::string path = TempFile("edited.pln");
  ASSERT_TRUE(WritePlanFile(path.c_str(), host.List().Items()));
  CObArray back;
  int added = 0;
  ASSERT_EQ(ReadPlanFile(path.c_str(), back, &added), PlanFileRead::kLoaded);
  ASSERT_EQ(added, 3);
  const CPlanItem* again = static_cast<CPlanItem*>(back.GetAt(0));
  for (auto field : {&CPlanItem::m_localPath, &CPlanItem::m_remotePath, &CPlanItem::m_fileName})
    EXPECT_STREQ(again->*field, first->*field);
  EXPECT_STREQ(again->m_direction, first->m_direction);
  EXPECT_STREQ(again->m_host, first->m_host);
  EXPECT_STREQ(again->m_user, "joe");
  EXPECT_STREQ(again->m_password, "pw");
  EXPECT_STREQ(again->m_remotePath, "/newdir");
  EXPECT_EQ(again->m_port, 2200);
  EXPECT_EQ(again->m_fileSize, first->m_fileSize);
  EXPECT_EQ(again->m_passive, first->m_passive);
  EXPECT_EQ(again->m_anonymous, first->m_anonymous);
  EXPECT_EQ(again->m_kind, first->m_kind);
  EXPECT_EQ(again->m_failAction, first->m_failAction);
  EXPECT_EQ(again->m_status, first->m_status);
  // The item after it is read in its place: no field shifted into it.
  EXPECT_STREQ(static_cast<CPlanItem*>(back.GetAt(1))->m_fileName, "b.txt");
  for (INT_PTR i = 0; i < back.GetSize(); ++i) delete static_cast<CPlanItem*>(back.GetAt(i));
}

// ---- page ownership ----

// While `g_trackFrees` is on, blocks given back are kept (not freed) and a
// second delete of one is counted instead of reaching the heap.
namespace {
std::atomic<bool> g_trackFrees{false};
std::mutex g_freesLock;
void* g_freed[8192];
size_t g_freedCount = 0;
std::atomic<int> g_doubleDeletes{0};

void* TrackedNew(size_t n)
{
  void* p = std::malloc(n != 0 ? n : 1);
  if (p == nullptr)
    throw std::bad_alloc();
  if (g_trackFrees) {
    std::lock_guard<std::mutex> lock(g_freesLock);
    for (size_t i = 0; i < g_freedCount; ++i)
      if (g_freed[i] == p)
        g_freed[i] = g_freed[--g_freedCount];
  }
  return p;
}

void TrackedDelete(void* p)
{
  if (p == nullptr)
    return;
  if (g_trackFrees) {
    std::lock_guard<std::mutex> lock(g_freesLock);
    for (size_t i = 0; i < g_freedCount; ++i)
      if (g_freed[i] == p) {
        ++g_doubleDeletes;
        return;
      }
    if (g_freedCount < sizeof g_freed / sizeof g_freed[0]) {
      g_freed[g_freedCount++] = p;
      return;  // kept: a second delete still finds its object's table intact
    }
  }
  std::free(p);
}
}  // namespace

void* operator new(size_t n) { return TrackedNew(n); }
void* operator new[](size_t n) { return TrackedNew(n); }
void operator delete(void* p) noexcept { TrackedDelete(p); }
void operator delete[](void* p) noexcept { TrackedDelete(p); }
void operator delete(void* p, size_t) noexcept { TrackedDelete(p); }
void operator delete[](void* p, size_t) noexcept { TrackedDelete(p); }

// Pages from a maker delete themselves with their windows; closing the view
// (as the program does at exit) must not delete them a second time.
TEST(FunctionView, ClosingTheViewDeletesEveryPageOnce)
{
  Pages pages;
  RegisterLogPanes();
  Host host(1, "", CFuncViewDlg::kQueueTab);
  for (int tab : {CFuncViewDlg::kLogTab, CFuncViewDlg::kBatchTab, CFuncViewDlg::kSearchTab, CFuncViewDlg::kSitesTab})
    ASSERT_NE(host.view->Page(tab), nullptr);
  g_doubleDeletes = 0;
  g_trackFrees = true;
  host.Close();
  g_trackFrees = false;
  EXPECT_EQ(g_doubleDeletes.load(), 0);
}
