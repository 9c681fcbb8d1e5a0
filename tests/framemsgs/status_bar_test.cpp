// The transfer status in the running main window's status bar: a queue run of
// three downloads from a loopback server (held to a download limit so the run
// spans several ticks) shows counts, speeds and a running elapsed time; the
// first tick after the run collapses the panes. A worker's begin and finish
// hand its row notice to the queue page on the way.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>

#include "engine/planitem.h"
#include "engine/planthread.h"
#include "engine/viewslots.h"
#include "engine/xfertask.h"
#include "shell/doc/threadstatus.h"
#include "shell/doc/workerrow.h"
#include "shell/funcview/queuepanedlg.h"
#include "shell/settings/settings.h"
#include "shell/tools/graphctrl.h"
#include "tests/framemsgs/framefix.h"
#include "tests/support/peers.h"
#include "tests/toolkit/wintest.h"

namespace {

std::string ReadAll(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string Pane(CMainFrame* frame, int pane) { return std::string(frame->m_statusBar.GetPaneText(pane)); }

int PaneWidth(CMainFrame* frame, int pane)
{
  UINT id = 0, style = 0;
  int width = 0;
  frame->m_statusBar.GetPaneInfo(pane, id, style, width);
  return width;
}

}  // namespace

TEST(StatusBar, ShowsAQueueRunAndCollapsesAfterIt)
{
  const int port = peers::Port("ZARN_PYFTPD_PORT");
  const std::string root = peers::Env("ZARN_PYFTPD_ROOT_WIN");
  ASSERT_NE(0, port) << "needs the pyftpdlib peer";
  ASSERT_TRUE(framefix::StartApp());
  CMainFrame* frame = framefix::Frame();
  // Off until the first begin: every pane collapsed.
  EXPECT_EQ("", Pane(frame, 0));
  EXPECT_EQ(1, PaneWidth(frame, 11));

  const uint32_t savedFlags = g_optionFlags;
  const int32_t savedLimit = g_globalLimitA;
  const std::string savedDownload = g_downloadPath;
  g_optionFlags |= 1u << OPTBIT_DOWNLOAD_LIMIT;
  g_globalLimitA = 200;  // KB/s: three files of 1.5 MB take several ticks

  char temp[MAX_PATH];
  ASSERT_NE(0u, ::GetTempPathA(sizeof temp, temp));
  const std::string target = std::string(temp) + "statusbar-dl";
  ::CreateDirectoryA(target.c_str(), nullptr);
  ::CreateDirectoryA((root + "\\anon").c_str(), nullptr);
  ::CreateDirectoryA((root + "\\anon\\pub").c_str(), nullptr);
  std::string bodies[3];
  for (int i = 0; i < 3; ++i) {
    bodies[i] = std::string(1500000, ' ');
    for (size_t k = 0; k < bodies[i].size(); ++k)
      bodies[i][k] = (char)(k * (i + 7) + k / 4099);
    const std::string name = "status" + std::to_string(i) + ".bin";
    std::ofstream(root + "\\anon\\pub\\" + name, std::ios::binary | std::ios::trunc) << bodies[i];
    ::DeleteFileA((target + "\\" + name).c_str());
    CPlanItem* item = new CPlanItem();
    std::snprintf(item->m_localPath, sizeof item->m_localPath, "%s", target.c_str());
    std::snprintf(item->m_remotePath, sizeof item->m_remotePath, "/pub");
    std::snprintf(item->m_fileName, sizeof item->m_fileName, "%s", name.c_str());
    std::snprintf(item->m_direction, sizeof item->m_direction, "<-");
    std::snprintf(item->m_host, sizeof item->m_host, "127.0.0.1");
    item->m_port = port;
    item->m_anonymous = 1;
    item->m_passive = 1;
    item->m_kind = 5;
    item->m_fileSize = (int64_t)bodies[i].size();
    ASSERT_TRUE(PostToView(g_pFuncView, UWM_QUEUE_ADD, 0, (LPARAM)item));
  }
  framefix::Pump(300, [] { return false; });
  frame->PostMessage(UWM_RUN_QUEUE, 0, 0);

  // The display starts with the first begin.
  ASSERT_TRUE(framefix::Pump(15000, [&] { return Pane(frame, 0) == "Start Time:"; }));
  EXPECT_EQ("Elapsed:", Pane(frame, 10));
  EXPECT_EQ(frame->m_statusBar.GetTextWidth("Download No."), PaneWidth(frame, 4));
  EXPECT_EQ(30, PaneWidth(frame, 5));
  EXPECT_EQ(60, PaneWidth(frame, 9));
  ASSERT_NE(nullptr, frame->m_pDownloadGraph);
  ASSERT_NE(nullptr, frame->m_pUploadGraph);

  // Watch it until every file is there: the elapsed pane runs, the download
  // speed shows bytes moving, the finished count goes up.
  std::set<std::string> elapsed, speeds, counts;
  bool shot = false;
  auto allThere = [&] {
    for (int i = 0; i < 3; ++i)
      if (ReadAll(target + "\\status" + std::to_string(i) + ".bin").size() != bodies[i].size())
        return false;
    return true;
  };
  framefix::Pump(60000, [&] {
    if (frame->m_pDownloadGraph != nullptr) {
      elapsed.insert(Pane(frame, 11));
      counts.insert(Pane(frame, 5));
      const std::string speed(frame->m_pDownloadGraph->GetText());
      speeds.insert(speed);
      if (!shot && speed != "0.00" && !speed.empty()) {
        wintest::Shot("status_bar_transfer");
        shot = true;
      }
    }
    return allThere() && frame->m_transfersActive.load() == 0;
  });
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(bodies[i], ReadAll(target + "\\status" + std::to_string(i) + ".bin")) << i;
  EXPECT_GE(elapsed.size(), 2u) << "the elapsed pane did not run";
  EXPECT_GE(speeds.size(), 2u) << "the download speed did not change";
  EXPECT_TRUE(shot) << "no tick showed bytes moving";
  EXPECT_GE(counts.size(), 2u) << "the finished count did not change";
  EXPECT_EQ(0, frame->m_status.finishedUploads);

  // The first tick after the run collapses everything.
  EXPECT_TRUE(framefix::Pump(5000, [&] { return frame->m_pDownloadGraph == nullptr; }));
  EXPECT_EQ("", Pane(frame, 0));
  EXPECT_EQ(1, PaneWidth(frame, 0));
  EXPECT_EQ(1, PaneWidth(frame, 9));
  EXPECT_EQ(nullptr, frame->m_pUploadGraph);
  EXPECT_FALSE(frame->m_status.timerRunning);

  // A worker's row notice rides on its begin and finish: the window hands it
  // to the queue page while it takes them, so the worker leaves nothing for a
  // post of its own, and the row shows what the notice said.
  ThreadStatusRecord* rec = ThreadStatusAt(0);
  ASSERT_NE(nullptr, rec);
  LRESULT begun = 0, finished = 0;
  WorkerRowTake afterBegin = WorkerRowTake::kPosted, afterFinish = WorkerRowTake::kPosted;
  std::atomic<bool> done{false};
  std::thread worker([&] {
    std::snprintf(rec->m_fileName, sizeof rec->m_fileName, "handed.bin");
    rec->m_direction = 1;
    rec->m_fileSize = 4096;
    WorkerRows().PutReset(0, *rec, rec->m_fileSize, nullptr);
    begun = ::SendMessageA(frame->GetSafeHwnd(), UWM_DOWNLOAD_BEGIN, 0, 4096);
    WorkerRowNotice left;
    afterBegin = WorkerRows().Take(0, &left);
    rec->m_bytesMoved = 4096;
    std::snprintf(rec->m_elapsed, sizeof rec->m_elapsed, "00:00:03");
    std::snprintf(rec->m_speed, sizeof rec->m_speed, "1.3");
    WorkerRows().PutFinish(0, *rec);
    finished = ::SendMessageA(frame->GetSafeHwnd(), UWM_TASK_FINISHED, 0, 0);
    afterFinish = WorkerRows().Take(0, &left);
    done = true;
  });
  EXPECT_TRUE(framefix::Pump(10000, [&] { return done.load(); }));
  worker.join();
  EXPECT_EQ(kRowNoticeTaken, begun);
  EXPECT_EQ(kRowNoticeTaken, finished);
  EXPECT_EQ(WorkerRowTake::kDirect, afterBegin) << "the begin's row notice was left for a post";
  EXPECT_EQ(WorkerRowTake::kDirect, afterFinish) << "the finish's row notice was left for a post";
  CQueuePaneDlg* queue = frame->m_funcView.QueuePage();
  ASSERT_NE(nullptr, queue);
  const int row = queue->ThreadRow(0);
  ASSERT_GE(row, 0);
  const auto cell = [&](int column) { return std::string(queue->m_threads.GetItemText(row, column)); };
  EXPECT_TRUE(framefix::Pump(3000, [&] { return cell(7) == "1.3"; })) << cell(7);
  EXPECT_EQ("handed.bin", cell(2));
  EXPECT_EQ("100 %", cell(4));
  EXPECT_EQ("00:00:03", cell(6));

  g_optionFlags = savedFlags;
  g_globalLimitA = savedLimit;
  std::snprintf(g_downloadPath, sizeof g_downloadPath, "%s", savedDownload.c_str());
  if (CQueuePaneDlg* page = frame->m_funcView.QueuePage()) {
    page->m_queue.SetAllSelected(true);
    page->SendMessage(WM_COMMAND, 32866, 0);
  }
  EXPECT_TRUE(framefix::ExitApp());
}
