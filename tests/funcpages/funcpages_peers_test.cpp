// The search and site-to-site pages fed by the real tasks: searches, uploads,
// downloads and relays against the two loopback pyftpdlib servers, and a stop
// during a download the scripted server holds. Menus are opened by right
// clicks as a user opens them; every job the page frees is kept filled with a
// pattern, which must be intact once every task and connection has ended.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "engine/engineres.h"
#include "engine/planthread.h"
#include "engine/progthread.h"
#include "engine/siteitem.h"
#include "engine/xfertask.h"
#include "shell/funcview/funcviewres.h"
#include "shell/funcview/listpagesres.h"
#include "shell/settings/settings.h"
#include "tests/funcpages/pagesfix.h"
#include "tests/keeper/keeperfix.h"
#include "tests/net/netclient.h"
#include "tests/s2s/s2sfix.h"
#include "tests/support/peers.h"
#include "tests/toolkit/wintest.h"

using namespace funcviewtest;
using namespace pagestest;
using namespace tasktest;

namespace {

constexpr unsigned char kFreedFill = 0xA5;
std::vector<BatchJobRecord*>* g_freed = nullptr;

void KeepFreed(BatchJobRecord* job)
{
  std::memset(static_cast<void*>(job), kFreedFill, sizeof *job);
  g_freed->push_back(job);
}

// The jobs the pages free, kept (filled) instead of deleted while it lives.
struct FreedJobs {
  FreedJobs()
  {
    g_freed = &jobs;
    BatchJobList::s_freeHook = &KeepFreed;
  }
  ~FreedJobs()
  {
    BatchJobList::s_freeHook = nullptr;
    g_freed = nullptr;
    for (BatchJobRecord* job : jobs) delete job;
  }
  // How many were written after they were let go.
  int Spoilt() const
  {
    int n = 0;
    for (const BatchJobRecord* job : jobs) {
      const unsigned char* p = reinterpret_cast<const unsigned char*>(job);
      if (!std::all_of(p, p + sizeof *job, [](unsigned char c) { return c == kFreedFill; }))
        ++n;
    }
    return n;
  }
  std::vector<BatchJobRecord*> jobs;
};

// Sites placed in the document's slots, taken out again before the document
// goes (the fixture owns them).
struct DocSlots {
  explicit DocSlots(Host& h) : host(h) {}
  ~DocSlots()
  {
    for (int i = 0; i < MAX_SITES; ++i) host.harness.doc->m_sites[i] = nullptr;
  }
  void Put(int slot, CSiteItem* site) { host.harness.doc->m_sites[slot] = site; }
  Host& host;
};

std::string Cell(CListCtrl& list, int row, int column)
{
  return static_cast<const char*>(list.GetItemText(row, column));
}

// "name|host|folder|size" of every row, sorted.
std::vector<std::string> SearchRows(CMySearchList& list)
{
  std::vector<std::string> rows;
  for (int i = 0; i < list.GetCount(); ++i)
    rows.push_back(Cell(list, i, 0) + "|" + Cell(list, i, 1) + "|" + Cell(list, i, 2) + "|" + Cell(list, i, 3));
  std::sort(rows.begin(), rows.end());
  return rows;
}

class PagesWithPeers : public s2stest::S2sTask {
protected:
  // The host first: its settings are the harness's defaults, then the
  // fixture's fast ones again.
  void Open(Host& host)
  {
    host.harness.frame.m_runQueue = false;
    keepertest::FastSettings();
    g_sendTimeout = 3;
    g_recvTimeout = 3;
    g_optionFlags &= ~(1u << OPTBIT_NOTIFIER);
    list.m_reapIntervalMs = 100;
  }
  void StopSites()
  {
    for (CSiteItem* site : started) keepertest::StopKeeper(*site);
    started.clear();
  }
  CSiteItem a, b, c;
};

}  // namespace

TEST_F(PagesWithPeers, SearchListsMatchesAndDownloadsGoOnlyToTheirOwnServer)
{
  Pages pages;
  Host host(1, "", CFuncViewDlg::kSearchTab);
  Open(host);
  DocSlots slots(host);
  Connect(a, 2);
  Connect(b, 3);
  slots.Put(1, &a);
  slots.Put(2, &b);
  MakeFile(roots[2], "fs\\one.txt", 10);
  MakeFile(roots[2], "fs\\sub\\two.txt", 2000);
  MakeFile(roots[2], "fs\\skip.doc", 1);
  MakeFile(roots[3], "fs\\three.txt", 30);
  ASSERT_TRUE(RunTask(list, new CProgThread(TASK_SEARCH, &a, "/fs", "*.txt", nullptr, 1))) << nettest::LogDump();
  ASSERT_TRUE(RunTask(list, new CProgThread(TASK_SEARCH, &b, "/fs", "*.txt", nullptr, 2))) << nettest::LogDump();
  CSearchPaneDlg& page = SearchPage(host);
  CMySearchList& found = page.m_list;
  EXPECT_EQ(SearchRows(found), (std::vector<std::string>{"one.txt|127.0.0.2|/fs|10", "three.txt|127.0.0.3|/fs|30",
                                                         "two.txt|127.0.0.2|/fs/sub|2,000"}))
      << nettest::LogDump();
  // The tasks' log lines brought the log page up: back to the results.
  host.view->SelectTab(CFuncViewDlg::kSearchTab);
  host.harness.Pump(200);
  wintest::Shot("funcpages_searched_real");

  // No receiving folder anywhere: the message, nothing queued.
  g_downloadPath[0] = '\0';
  EXPECT_EQ(ErrorBoxesDuring(host, [&] { page.SendMessage(WM_COMMAND, ID_SEARCH_DOWNLOAD_ALL, 0); }),
            std::vector<std::string>{"Please specify receiving path first!"});
  EXPECT_EQ(host.List().GetCount(), 0);

  // Each file queued with the login of the site that listed it.
  std::snprintf(g_downloadPath, sizeof g_downloadPath, "%s", "C:\\dl");
  SetOption(OPTBIT_QUEUE_AUTOSTART, true);
  a.m_queueRun = 0;
  b.m_queueRun = 0;
  const int runs = host.harness.frame.Count(UWM_RUN_QUEUE);
  EXPECT_TRUE(ErrorBoxesDuring(host, [&] { page.SendMessage(WM_COMMAND, ID_SEARCH_DOWNLOAD_ALL, 0); }).empty());
  ASSERT_EQ(host.List().GetCount(), 3);
  for (int i = 0; i < 3; ++i) {
    const CPlanItem* item = host.List().GetPlanItem(i);
    const CSiteItem& site = std::strcmp(item->m_host, "127.0.0.3") == 0 ? b : a;
    SCOPED_TRACE(item->m_fileName);
    EXPECT_STREQ(item->m_direction, "<-");
    EXPECT_EQ(item->m_kind, kEntryFile);
    EXPECT_STREQ(item->m_host, site.m_host);
    EXPECT_EQ(item->m_port, site.m_port);
    EXPECT_STREQ(item->m_user, "zarn");
    EXPECT_STREQ(item->m_password, "secret");
    EXPECT_EQ(item->m_passive, 1);
    EXPECT_EQ(item->m_anonymous, 0);
    EXPECT_EQ(item->m_fileSize, std::strcmp(item->m_fileName, "two.txt") == 0 ? 2000 : &site == &b ? 30 : 10);
    EXPECT_STREQ(item->m_localPath, "C:\\dl");
    EXPECT_STREQ(item->m_remotePath, std::strcmp(item->m_fileName, "two.txt") == 0 ? "/fs/sub" : "/fs");
  }
  EXPECT_EQ(a.m_queueRun.load(), 1);
  EXPECT_EQ(b.m_queueRun.load(), 1);
  EXPECT_EQ(host.harness.frame.Count(UWM_RUN_QUEUE), runs + 1);
  EXPECT_TRUE(host.view->Page(CFuncViewDlg::kQueueTab)->IsWindowVisible());
  host.view->SelectTab(CFuncViewDlg::kSearchTab);

  // Site 1 deleted: its files show no host and only the other's are queued.
  slots.Put(1, nullptr);
  EXPECT_EQ(SearchRows(found), (std::vector<std::string>{"one.txt||/fs|10", "three.txt|127.0.0.3|/fs|30",
                                                         "two.txt||/fs/sub|2,000"}));
  EXPECT_EQ(ErrorBoxesDuring(host, [&] { page.SendMessage(WM_COMMAND, ID_SEARCH_DOWNLOAD_ALL, 0); }),
            std::vector<std::string>{"Some files were not queued: their site has been deleted."});
  ASSERT_EQ(host.List().GetCount(), 4);
  EXPECT_STREQ(host.List().GetPlanItem(3)->m_host, "127.0.0.3");
  host.view->SelectTab(CFuncViewDlg::kSearchTab);

  // The slot refilled by another server: still nothing of site 1 is queued,
  // whether its file is chosen from the menu or by Download All.
  keepertest::SetUpSite(c, peers::Port("ZARN_S2S_PORT_3"), "zarn", "secret", '0');
  CopySiteText(c.m_host, "127.0.0.3");
  c.m_queueRun = 0;
  slots.Put(1, &c);
  int orphan = 0;
  while (orphan < found.GetCount() && Cell(found, orphan, 0) != "one.txt") ++orphan;
  EXPECT_EQ(Cell(found, orphan, 1), "");
  std::vector<std::string> boxes;
  boxes = ErrorBoxesDuring(host, [&] { EXPECT_TRUE(ChooseFromRowMenu(found, orphan, ID_SEARCH_DOWNLOAD)); });
  EXPECT_EQ(boxes, std::vector<std::string>{"Some files were not queued: their site has been deleted."});
  EXPECT_EQ(host.List().GetCount(), 4);
  EXPECT_EQ(c.m_queueRun.load(), 0);

  // Delete from the menu takes the row; Download All on an empty list does nothing.
  host.view->SelectTab(CFuncViewDlg::kSearchTab);
  ASSERT_TRUE(ChooseFromRowMenu(found, orphan, ID_SEARCH_DELETE, "funcpages_search_menu"));
  EXPECT_EQ(found.GetCount(), 2);
  page.SendMessage(WM_COMMAND, ID_SEARCH_CLEAR, 0);
  ASSERT_EQ(found.GetCount(), 0);
  const int runsBefore = host.harness.frame.Count(UWM_RUN_QUEUE);
  EXPECT_TRUE(ErrorBoxesDuring(host, [&] { page.SendMessage(WM_COMMAND, ID_SEARCH_DOWNLOAD_ALL, 0); }).empty());
  EXPECT_EQ(host.List().GetCount(), 4);
  EXPECT_EQ(host.harness.frame.Count(UWM_RUN_QUEUE), runsBefore);
  SetOption(OPTBIT_QUEUE_AUTOSTART, false);
}

TEST_F(PagesWithPeers, RealTransfersEndFinishedAndFreedJobsStayUntouched)
{
  Pages pages;
  FreedJobs freed;
  Host host(1, "", CFuncViewDlg::kBatchTab);
  Open(host);
  Connect(a, 2);
  Connect(b, 3);
  CBatchPaneDlg& page = BatchPage(host);
  CMyBackList& rows = page.m_list;
  const std::string local = queuetest::FreshTemp("batch-up");
  const std::string back = queuetest::FreshTemp("batch-down");
  const size_t sizes[] = {1000, 70000, 300000};
  std::vector<std::pair<std::string, int64_t>> up, down;
  for (int i = 0; i < 3; ++i) {
    up.push_back({"up" + std::to_string(i) + ".bin", static_cast<int64_t>(sizes[i])});
    down.push_back({"dn" + std::to_string(i) + ".bin", static_cast<int64_t>(sizes[i])});
    WriteAll(local + "\\" + up.back().first, Pattern(sizes[i], i));
    MakeFile(roots[2], "bd\\" + down.back().first, sizes[i]);
  }
  MakeFolder(roots[2], "bu");
  MakeFolder(roots[3], "rl");

  // Without auto-delete the six rows stay, each "Finished" with all its bytes.
  for (bool autoDelete : {false, true}) {
    SCOPED_TRACE(autoDelete ? "auto-delete" : "rows kept");
    SetOption(OPTBIT_QUEUE_AUTODELETE, autoDelete);
    ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_UPLOAD, &a, s2stest::kNode, local.c_str(), "/bu", 0,
                                              Entries(up))))
        << nettest::LogDump();
    ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_DOWNLOAD, &a, s2stest::kNode, "/bd", back.c_str(), 0,
                                              Entries(down))))
        << nettest::LogDump();
    // The refresh ends one tick after the last job.
    EXPECT_TRUE(wintest::PumpUntil([&] { return !page.TimerRunning(); }, 4000));
    ASSERT_EQ(rows.GetCount(), 6) << nettest::LogDump();
    EXPECT_EQ(freed.jobs.size(), autoDelete ? 6u : 0u);
  }
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(Cell(rows, i, 0));
    EXPECT_EQ(Cell(rows, i, 4), "Finished");
    EXPECT_EQ(Cell(rows, i, 3), Cell(rows, i, 2));
    EXPECT_NE(Cell(rows, i, 5), "");
  }
  EXPECT_EQ(Cell(rows, 1, 2), "70,000");
  EXPECT_EQ(Cell(rows, 4, 0), "127.0.0.2/bd/dn1.bin");
  EXPECT_EQ(ReadAll(roots[2] + "\\bu\\up2.bin"), Pattern(sizes[2], 2));
  // The tasks' log lines brought the log page up: back to the list.
  host.view->SelectTab(CFuncViewDlg::kBatchTab);
  host.harness.Pump(200);
  wintest::Shot("funcpages_site_to_site_real");
  EXPECT_EQ(ValueOf(InfoBoxOf(page, "Batch Information", "funcpages_info_batch_real"), "Finished No."), "6");

  // Relays from one server to the other: rows gone at their reports.
  ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_SITE_RELAY, &a, &b, s2stest::kNode, "/bd", "/rl", 0,
                                            Entries(down)),
                      60000))
      << nettest::LogDump();
  EXPECT_EQ(freed.jobs.size(), 9u) << nettest::LogDump();
  EXPECT_EQ(rows.GetCount(), 6);
  EXPECT_TRUE(wintest::PumpUntil([&] { return !page.TimerRunning(); }, 4000));

  // Clear Queue from the menu frees the rest.
  host.view->SelectTab(CFuncViewDlg::kBatchTab);
  ASSERT_TRUE(ChooseFromRowMenu(rows, 0, ID_BATCH_CLEAR, "funcpages_batch_menu"));
  EXPECT_EQ(rows.GetCount(), 0);
  EXPECT_EQ(freed.jobs.size(), 15u);
  SetOption(OPTBIT_QUEUE_AUTODELETE, false);
  StopSites();
  EXPECT_EQ(freed.Spoilt(), 0);
}

TEST_F(PagesWithPeers, StopDuringAHeldDownloadAndDeleteOnlyOnceItEnded)
{
  Pages pages;
  FreedJobs freed;
  Host host(1, "", CFuncViewDlg::kBatchTab);
  Open(host);
  ASSERT_TRUE(peers::Scenario("retr_stall"));
  Connect(a, 0);
  CMyBackList& rows = BatchPage(host).m_list;
  const std::string local = queuetest::FreshTemp("batch-stall");
  CProgThread* task = new CProgThread(1, TASK_DOWNLOAD, &a, s2stest::kNode, "/", local.c_str(), 0,
                                      Entries({{"big.bin", 100000}}));
  ASSERT_TRUE(StartTaskThread(list, task));
  // The server sent 64 KB and holds the rest.
  ASSERT_TRUE(wintest::PumpUntil(
      [&] { return rows.GetCount() == 1 && rows.Jobs().At(0)->m_bytesDone.load() >= 65536; }, 15000))
      << nettest::LogDump();
  BatchJobRecord* job = rows.Jobs().At(0);
  EXPECT_EQ(Cell(rows, 0, 4), "Downloading");
  EXPECT_EQ(Cell(rows, 0, 3), "65,536");
  CBatchPaneDlg& page = BatchPage(host);
  EXPECT_TRUE(page.TimerRunning());
  host.view->SelectTab(CFuncViewDlg::kBatchTab);
  host.harness.Pump(100);

  // Delete while the task writes the job: the row stays.
  ASSERT_TRUE(ChooseFromRowMenu(rows, 0, ID_BATCH_DELETE));
  EXPECT_EQ(rows.GetCount(), 1);
  EXPECT_TRUE(freed.jobs.empty());

  ASSERT_TRUE(ChooseFromRowMenu(rows, 0, ID_BATCH_STOP_SELECTION));
  EXPECT_EQ(job->m_stopRequested.load(), 1);
  ASSERT_TRUE(wintest::PumpUntil([&] { return list.GetTaskThreadCount() == 0; }, 20000)) << nettest::LogDump();
  ASSERT_EQ(rows.GetCount(), 1);
  EXPECT_EQ(job->m_running.load(), 0);
  EXPECT_EQ(Cell(rows, 0, 4), "Interrupt");
  EXPECT_TRUE(wintest::PumpUntil([&] { return !page.TimerRunning(); }, 4000));

  // Once the task let it go, Delete frees it.
  ASSERT_TRUE(ChooseFromRowMenu(rows, 0, ID_BATCH_DELETE));
  EXPECT_EQ(rows.GetCount(), 0);
  EXPECT_EQ(freed.jobs.size(), 1u);
  StopSites();
  EXPECT_EQ(freed.Spoilt(), 0);
}
