// The queue page running real workers against the loopback pyftpdlib server:
// the start button clicked as a user clicks it, every byte in place, the rows
// finished and the worker rows at 100 %; what Stop and Delete leave of an item
// a worker still holds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "engine/dragpayload.h"
#include "engine/exitrequest.h"
#include "engine/listing.h"
#include "engine/planthread.h"
#include "engine/viewmessages.h"
#include "framework/ole.h"
#include "engine/queuerules.h"
#include "engine/xfertask.h"
#include "shell/doc/workerrow.h"
#include "shell/funcview/funcviewres.h"
#include "shell/settings/settings.h"
#include "tests/confirm/boxdriver.h"
#include "tests/funcview/funcviewfix.h"
#include "tests/support/peers.h"
#include "toolkit/clipboard.h"
#include "views/filerows.h"
#include "views/panelinks.h"
#include "tests/toolkit/wintest.h"

using namespace funcviewtest;
using queuetest::PyftpdPeer;

namespace {

// The screen into $ZARN_BINARY_DIR/shots/<name>.png after the host repainted.
void Shot(Host& host, const char* name)
{
  ::RedrawWindow(host.frame.GetSafeHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  host.harness.Pump(200);
  const char* dir = std::getenv("ZARN_BINARY_DIR");
  if (dir == nullptr || *dir == '\0')
    return;
  const std::string shots = std::string(dir) + "/shots";
  wintest::RunHost("mkdir -p " + shots + " && import -window root " + shots + "/" + name + ".png");
}

bool AllFinished(CMyPlanList& list)
{
  for (int i = 0; i < list.GetCount(); ++i)
    if (StatusOf(list.GetPlanItem(i)) != PLAN_FINISHED)
      return false;
  return list.GetCount() > 0;
}

}  // namespace

TEST(QueueRun, StartButtonRunsThreeDownloadsOnTwoWorkers)
{
  const queuetest::PeerLogin peer = PyftpdPeer();
  ASSERT_NE(peer.port, 0) << "run under tests/peers/with-peers.sh --pyftpd";
  Host host(2);
  host.harness.AddSite(peer.port, peer.user.c_str(), peer.pass.c_str());
  tasktest::MakeFolder(peer.root, "fvrun");
  const std::string local = queuetest::FreshTemp("fvrun");
  const size_t sizes[] = {700000, 1, 2u << 20};
  std::vector<std::string> bytes;
  for (int i = 0; i < 3; ++i) {
    const std::string name = "r" + std::to_string(i) + ".bin";
    bytes.push_back(queuetest::Pattern(sizes[i], 7u + static_cast<uint32_t>(i)));
    queuetest::WriteAll(peer.root + "\\fvrun\\" + name, bytes.back());
    host.Queue("<-", peer.port, peer.user.c_str(), peer.pass.c_str(), local.c_str(), "/fvrun", name.c_str(),
               static_cast<int64_t>(sizes[i]));
  }
  ASSERT_EQ(host.List().GetItemCount(), 3);
  EXPECT_EQ(host.view->m_tabs.GetItemCount(), 6);
  EXPECT_EQ(host.view->m_tabs.GetCurSel(), 3);
  EXPECT_TRUE(host.Page().IsWindowVisible());
  for (int t = 0; t < 6; ++t)
    EXPECT_TRUE(host.view->m_tabs.GetPage(t) == host.view->Page(t)) << t;
  EXPECT_EQ(host.Cell(0, 6), "Queueing");
  EXPECT_EQ(host.Cell(2, 5), "2,097,152");
  EXPECT_EQ(host.Page().m_threads.GetItemCount(), 2);
  Shot(host, "funcview_queue_before");

  const POINT start = wintest::ScreenCentre(host.Page().m_start.GetSafeHwnd());
  ASSERT_TRUE(wintest::ClickUntil(start.x, start.y, [&] { return g_planThreadCount.load() > 0 || AllFinished(host.List()); }));
  ASSERT_TRUE(wintest::PumpUntil([&] { return AllFinished(host.List()) && !host.harness.WorkersRunning(); }, 60000))
      << queuetest::QueueLogText();
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(host.Cell(i, 6), "Finished");
    const std::string name = "r" + std::to_string(i) + ".bin";
    EXPECT_TRUE(queuetest::ReadAll(local + "\\" + name) == bytes[i]) << name;
  }
  // Every worker row that ran something ends at 100 %.
  // (The rows take their texts with the page's repaint tick.)
  EXPECT_TRUE(wintest::PumpUntil([&] {
    for (int r = 0; r < host.Page().m_threads.GetItemCount(); ++r)
      if (std::string(host.Page().m_threads.GetItemText(r, 4)) == "100 %")
        return true;
    return false;
  }, 2000));
  host.view->SelectTab(CFuncViewDlg::kQueueTab);  // the workers showed the log
  Shot(host, "funcview_queue_finished");
}

// A held item: Stop marks it, but Delete and Clear only deselect it and the
// tidy passes it over until its worker lets go; then Delete takes it.
TEST(QueueRun, DeleteLeavesAHeldRowUntilItsWorkerLetsGo)
{
  Host host(1);
  CPlanItem* held = host.Queue("<-", 1, "u", "p", "C:\\", "/", "held.bin", 10);
  host.Queue("<-", 1, "u", "p", "C:\\", "/", "free.bin", 10);
  int slot = 0;
  // A worker's request, as CPlanThread sends it.
  ASSERT_EQ(reinterpret_cast<CPlanItem*>(host.view->SendMessage(UWM_NEXT_QUEUE_ITEM, 0, reinterpret_cast<LPARAM>(&slot))),
            held);
  EXPECT_EQ(slot, -1);  // no work site
  EXPECT_EQ(host.Cell(0, 6), "Working");
  host.List().SetAllSelected(true);
  host.Page().SendMessage(WM_COMMAND, ID_QUEUE_STOP_SELECTION, 0);
  EXPECT_EQ(StatusOf(held), PLAN_STOPPED);
  host.Page().SendMessage(WM_COMMAND, ID_QUEUE_RESET_ALL, 0);
  EXPECT_EQ(StatusOf(held), PLAN_STOPPED);  // never queued twice
  host.List().SetAllSelected(true);
  host.Page().SendMessage(WM_COMMAND, ID_QUEUE_DELETE, 0);
  ASSERT_EQ(host.List().GetCount(), 1);
  EXPECT_EQ(host.List().GetPlanItem(0), held);
  EXPECT_TRUE(host.List().SelectedRows().empty());
  host.Page().SendMessage(WM_COMMAND, ID_QUEUE_CLEAR, 0);
  EXPECT_EQ(host.List().GetCount(), 1);

  // The worker's last touch; the row goes with the next Delete.
  ReleaseHeld(held);
  host.List().SetAllSelected(true);
  host.Page().SendMessage(WM_COMMAND, ID_QUEUE_DELETE, 0);
  EXPECT_EQ(host.List().GetCount(), 0);
  EXPECT_EQ(host.view->GetQueueCount(), 0);
}

// The worker list's commands and the reports of workers: rows between 1 and
// 10, reports for indexes outside 0..9 ignored, the bars' texts.
TEST(QueueRun, WorkerRowsAndReports)
{
  Host host(9);
  CListCtrlEx& rows = host.Page().m_threads;
  ASSERT_EQ(rows.GetItemCount(), 9);
  host.Page().SendMessage(WM_COMMAND, ID_THREAD_INCREASE, 0);
  host.Page().SendMessage(WM_COMMAND, ID_THREAD_INCREASE, 0);
  EXPECT_EQ(rows.GetItemCount(), 10);
  EXPECT_EQ(g_queueThreadCount, 10);
  EXPECT_EQ(std::string(rows.GetItemText(9, 0)), "10 #");
  // Slot 9 holds no thread: its row simply goes.
  host.Page().SendMessage(WM_COMMAND, ID_THREAD_DECREASE, 0);
  EXPECT_EQ(rows.GetItemCount(), 9);
  EXPECT_EQ(g_queueThreadCount, 9);

  for (WPARAM bad : {static_cast<WPARAM>(10), static_cast<WPARAM>(-1)}) {
    host.view->SendMessage(UWM_THREAD_PROGRESS, bad, 100);
    host.view->SendMessage(UWM_THREAD_RESET, bad, 0);
    host.view->SendMessage(UWM_TASK_FINISHED, bad, 1);
  }
  ThreadStatusRecord* rec = ThreadStatusAt(1);
  std::snprintf(rec->m_fileName, sizeof(rec->m_fileName), "big.iso");
  rec->m_direction = 1;
  rec->m_fileSize = 4000;
  rec->m_bytesPresent = 1000;
  rec->m_bytesMoved = 0;
  rec->m_startTick = ::GetTickCount() - 1000;
  // A worker row's texts show with the page's next repaint tick.
  const auto shows = [&](int row, int column, const std::string& text) {
    wintest::PumpUntil([&] { return std::string(rows.GetItemText(row, column)) == text; }, 2000);
    return std::string(rows.GetItemText(row, column));
  };
  host.view->SendMessage(UWM_THREAD_RESET, 1, 0);
  EXPECT_EQ(shows(1, 1, "<-"), "<-");
  EXPECT_EQ(shows(1, 3, "4,000"), "4,000");
  rec->m_bytesMoved = 1000;
  const uint64_t before = QueueByteTotal(true).load();
  host.view->SendMessage(UWM_THREAD_PROGRESS, 1, 1000);
  EXPECT_EQ(shows(1, 4, "50 %"), "50 %");
  EXPECT_EQ(QueueByteTotal(true).load(), before + 1000);
  const std::string remaining = static_cast<const char*>(rows.GetItemText(1, 5));
  EXPECT_EQ(remaining.size(), 8u) << remaining;
  EXPECT_NE(remaining[0], '-');
  rec->m_bytesMoved = 3000;
  host.view->SendMessage(UWM_TASK_FINISHED, 1, 1);
  EXPECT_EQ(shows(1, 4, "100 %"), "100 %");
  rows.SetItemText(2, 4, "35 %");
  // One row of each status.
  for (int status = 0; status <= 4; ++status) {
    const std::string name = "status" + std::to_string(status) + ".txt";
    host.Queue(status % 2 == 0 ? "<-" : "->", 21, "u", "p", "C:\\data", "/pub", name.c_str(), 1234567);
    SetStatus(host.List().GetPlanItem(status), status);
  }
  host.List().Scroll(CSize(400, 0));  // the status column into view
  EXPECT_EQ(host.Cell(3, 6), "Error");
  Shot(host, "funcview_worker_rows");
}

// A worker posts its begin and finish notices and goes on at once: the row
// must show what each notice said, not what the worker's record holds by the
// time the window takes it, and a progress report sent after them must not be
// undone by the posts it overtook.
TEST(QueueRun, PostedRowNoticesShowTheirFile)
{
  Host host(3);
  CListCtrlEx& rows = host.Page().m_threads;
  const auto shows = [&](int row, int column, const std::string& text) {
    wintest::PumpUntil([&] { return std::string(rows.GetItemText(row, column)) == text; }, 2000);
    return std::string(rows.GetItemText(row, column));
  };
  ThreadStatusRecord* rec = ThreadStatusAt(2);
  const HWND view = host.view->GetSafeHwnd();
  const auto post = [&](UINT message, LPARAM lParam) {
    if (message == UWM_THREAD_RESET)
      WorkerRows().PutReset(2, *rec, rec->m_fileSize, reinterpret_cast<const void*>(lParam));
    else
      WorkerRows().PutFinish(2, *rec);
    ASSERT_TRUE(::PostMessageA(view, message, 2, lParam));
  };
  const auto begin = [&](const char* name, uint32_t size) {
    std::snprintf(rec->m_fileName, sizeof(rec->m_fileName), "%s", name);
    rec->m_direction = 1;
    rec->m_fileSize = size;
    rec->m_bytesPresent = 0;
    rec->m_bytesMoved = 0;
    std::snprintf(rec->m_elapsed, sizeof(rec->m_elapsed), "00:00:00");
    std::snprintf(rec->m_speed, sizeof(rec->m_speed), "00.00");
    post(UWM_THREAD_RESET, 0);
  };
  const auto finish = [&](const char* elapsed, const char* speed) {
    rec->m_bytesPresent += rec->m_fileSize;
    rec->m_bytesMoved = rec->m_fileSize;
    std::snprintf(rec->m_elapsed, sizeof(rec->m_elapsed), "%s", elapsed);
    std::snprintf(rec->m_speed, sizeof(rec->m_speed), "%s", speed);
    post(UWM_TASK_FINISHED, 1);
  };

  // Two files begun and finished before the window looks: the row ends on the
  // second file's finish, whatever the record shows by then.
  begin("one.bin", 4096);
  finish("00:00:01", "4.0");
  begin("two.bin", 8192);
  finish("00:00:02", "8.0");
  std::snprintf(rec->m_fileName, sizeof(rec->m_fileName), "later.bin");
  rec->m_fileSize = 99;
  rec->m_bytesPresent = 0;
  rec->m_bytesMoved = 0;
  std::snprintf(rec->m_speed, sizeof(rec->m_speed), "00.00");
  EXPECT_EQ(shows(2, 7, "8.0"), "8.0");
  EXPECT_EQ(std::string(rows.GetItemText(2, 2)), "two.bin");
  EXPECT_EQ(std::string(rows.GetItemText(2, 3)), "8,192");
  EXPECT_EQ(std::string(rows.GetItemText(2, 4)), "100 %");
  EXPECT_EQ(std::string(rows.GetItemText(2, 6)), "00:00:02");

  // A begin posted, then progress sent from the worker's thread: the sent
  // report is taken first, yet the row shows the new file with its progress.
  begin("three.bin", 4000);
  rec->m_bytesMoved = 3000;
  rec->m_startTick = ::GetTickCount() - 1000;
  std::thread worker([&] { ::SendMessageA(view, UWM_THREAD_PROGRESS, 2, 3000); });
  // Not pumped until the report waits, so it is taken before the post.
  const DWORD waitFrom = ::GetTickCount();
  while ((HIWORD(::GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) == 0 && ::GetTickCount() - waitFrom < 5000)
    ::Sleep(1);
  wintest::PumpUntil([&] { return std::string(rows.GetItemText(2, 2)) == "three.bin"; }, 2000);
  worker.join();
  EXPECT_EQ(shows(2, 4, "75 %"), "75 %");
  for (int i = 0; i < 20; ++i)
    host.harness.Pump(10);  // the posted begin arrives after the report
  EXPECT_EQ(std::string(rows.GetItemText(2, 2)), "three.bin");
  EXPECT_EQ(std::string(rows.GetItemText(2, 4)), "75 %");

  // With nothing posted, a sent notice reads the record as before.
  rec->m_bytesPresent = 0;
  rec->m_bytesMoved = 2000;
  host.view->SendMessage(UWM_TASK_FINISHED, 2, 1);
  EXPECT_EQ(shows(2, 4, "50 %"), "50 %");
}

// A folder's files come from a worker one counted notice each: the page takes
// them all, and the list's count once the last is in, even when a page that
// died before it left a count of notices still on their way behind.
TEST(QueueRun, CountedQueueAddsAllShow)
{
  QueueAddsOnTheWay().store(7);
  Host host(2);
  // Posted together before the window looks, as a worker listing a folder does.
  std::thread worker([view = host.view->GetSafeHwnd()] {
    for (int i = 0; i < 40; ++i) {
      CPlanItem* child = new CPlanItem;
      std::snprintf(child->m_direction, sizeof(child->m_direction), "<-");
      std::snprintf(child->m_fileName, sizeof(child->m_fileName), "f%d.bin", i);
      QueueAddsOnTheWay().fetch_add(1);
      EXPECT_TRUE(::PostMessageA(view, UWM_QUEUE_ADD, kQueueAddCounted, reinterpret_cast<LPARAM>(child)));
    }
  });
  worker.join();
  wintest::PumpUntil([&] { return host.List().GetItemCount() == 40; }, 5000);
  ASSERT_EQ(host.List().GetCount(), 40);
  EXPECT_EQ(host.List().GetItemCount(), 40);
  EXPECT_EQ(QueueAddsOnTheWay().load(), 0);
  EXPECT_EQ(host.Cell(39, 4), "f39.bin");
}

namespace {

// The local tree's selection as the drop rule reads it.
struct FakeLocalTree : CLocalTreeLink {
  CString path;
  CString SelectedPath() override { return path; }
  void FollowSiteFolder(int) override {}
};

// A drop of a payload onto the view as CMyDropTarget hands it over; the
// result of UWM_DROP.
LRESULT Drop(Host& host, int sourceSite, DWORD producer, const std::vector<PayloadRow>& rows)
{
  DragPayload payload;
  std::string tooLong;
  if (!BuildDragPayload(payload, rows.data(), static_cast<int>(rows.size()), sourceSite, "/pub", producer,
                        PayloadDateText().c_str(), &tooLong))
    return -1;
  HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, sizeof(payload));
  std::memcpy(::GlobalLock(block), &payload, sizeof(payload));
  ::GlobalUnlock(block);
  COleDataSource source;
  source.CacheGlobalData(static_cast<CLIPFORMAT>(g_clipFormat), block);
  COleDataObject object;
  object.Attach(source.GetDataObject(), FALSE);
  COleDropInfo info(&object, 0, DROPEFFECT_COPY, DROPEFFECT_COPY, CPoint(10, 10));
  EXPECT_EQ(host.view->SendMessage(UWM_DRAG_OVER, reinterpret_cast<WPARAM>(&info), 0), DROPEFFECT_COPY);
  const LRESULT r = host.view->SendMessage(UWM_DROP, reinterpret_cast<WPARAM>(&info), 0);
  ReleasePayloadEntries(payload.m_entries);
  return r;
}

}  // namespace

TEST(QueueRun, DropsOfPaneEntries)
{
  AfxOleInit();
  Host host(1);
  host.harness.AddSite(2121, "joe", "pw");
  g_optionFlags &= ~(1u << OPTBIT_CONFIRM_DROP);
  const DWORD self = ::GetCurrentProcessId();
  const std::vector<PayloadRow> rows = {{"one.txt", 10, kEntryFile}, {"sub", 0, kEntryFolder}};

  // No local folder chosen: the error box, nothing queued.
  std::vector<std::string> boxes = boxdriver::TextsOfBoxesDuring("ZARN ERROR MESSAGE:", 1169, [&] {
    EXPECT_EQ(Drop(host, 1, self, rows), FALSE);
  });
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].find("Please specify receiving path first!"), std::string::npos);
  EXPECT_EQ(host.List().GetCount(), 0);

  FakeLocalTree tree;
  tree.path = "C:\\got";
  SetLocalTreeLink(&tree);
  EXPECT_EQ(Drop(host, 1, self, rows), TRUE);
  ASSERT_EQ(host.List().GetCount(), 2);
  const CPlanItem* a = host.List().GetPlanItem(0);
  EXPECT_STREQ(a->m_direction, "<-");
  EXPECT_STREQ(a->m_localPath, "C:\\got");
  EXPECT_STREQ(a->m_remotePath, "/pub");
  EXPECT_EQ(a->m_port, 2121);
  EXPECT_STREQ(a->m_password, "pw");
  EXPECT_EQ(host.List().GetPlanItem(1)->m_kind, kEntryFolder);

  // Another process's payload, and one of a site slot emptied meanwhile.
  EXPECT_EQ(Drop(host, 1, self + 4, rows), FALSE);
  EXPECT_EQ(Drop(host, 7, self, rows), FALSE);
  EXPECT_EQ(host.List().GetCount(), 2);
  ClearLocalTreeLink(&tree);
}

// Stop while the scripted server holds the transfer, then Delete at once: the
// row stays while the worker still holds the item, and goes with the next
// Delete once it let go; the file gets no byte after that.
TEST(QueueRun, StopThenDeleteDuringAHeldTransfer)
{
  const int port = peers::Port("ZARN_SCRIPTED_PORT");
  ASSERT_NE(port, 0) << "run under tests/peers/with-peers.sh --scripted";
  ASSERT_TRUE(peers::Scenario("queue_files"));
  Host host(1);
  g_recvTimeout = 20;
  const std::string local = queuetest::FreshTemp("fvstop");
  CPlanItem* item = host.Queue("<-", port, "u", "p", local.c_str(), "/", "stall-stop.bin",
                               static_cast<int64_t>(queuetest::kQueueServedSize));
  host.Page().SendMessage(WM_COMMAND, ID_QUEUE_RUN, 0);
  ASSERT_TRUE(wintest::PumpUntil([&] { return host.harness.frame.Count(UWM_DOWNLOAD_BEGIN) > 0; }, 15000))
      << queuetest::QueueLogText();
  ASSERT_TRUE(IsHeld(item));
  host.List().SetAllSelected(true);
  host.Page().SendMessage(WM_COMMAND, ID_QUEUE_STOP_SELECTION, 0);
  host.List().SetAllSelected(true);
  host.Page().SendMessage(WM_COMMAND, ID_QUEUE_DELETE, 0);
  if (IsHeld(item)) {
    EXPECT_EQ(host.List().GetCount(), 1);
    EXPECT_EQ(host.List().GetPlanItem(0), item);
  }
  ASSERT_TRUE(wintest::PumpUntil([&] { return !IsHeld(item); }, 15000));
  EXPECT_EQ(StatusOf(item), PLAN_STOPPED);
  const int64_t size = queuetest::FileSizeOf(local + "\\stall-stop.bin");
  host.List().SetAllSelected(true);
  host.Page().SendMessage(WM_COMMAND, ID_QUEUE_DELETE, 0);
  EXPECT_EQ(host.List().GetCount(), 0);
  host.harness.Pump(1000);
  EXPECT_EQ(queuetest::FileSizeOf(local + "\\stall-stop.bin"), size);
}

// A click on a header sorts the queue (the direction flips with every click)
// and a drag of the splitter moves the border between the two lists.
TEST(QueueRun, HeaderClickSortsAndTheSplitterMoves)
{
  Host host(1);
  for (const char* name : {"b.txt", "c.txt", "a.txt"})
    host.Queue("<-", 21, "u", "p", "C:\\in", "/pub", name, 5);
  CHeaderCtrl* header = host.List().GetHeaderCtrl();
  ASSERT_NE(header, nullptr);
  RECT r;
  header->GetItemRect(4, &r);
  POINT name = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ::ClientToScreen(header->GetSafeHwnd(), &name);
  ASSERT_TRUE(wintest::ClickUntil(name.x, name.y, [&] { return host.Cell(0, 4) == "c.txt"; }));
  EXPECT_EQ(host.Cell(2, 4), "a.txt");
  EXPECT_EQ(g_sortColumn, 4);
  ASSERT_TRUE(wintest::ClickUntil(name.x, name.y, [&] { return host.Cell(0, 4) == "a.txt"; }));

  CRect before;
  host.List().GetWindowRect(&before);
  const POINT bar = wintest::ScreenCentre(host.Page().m_splitter.GetSafeHwnd());
  wintest::Xdo(wintest::MoveTo(bar.x, bar.y) + " mousedown 1 sleep 0.2 mousemove " + std::to_string(bar.x) + " " +
               std::to_string(bar.y + 40) + " sleep 0.2 mouseup 1");
  ASSERT_TRUE(wintest::PumpUntil([&] {
    CRect now;
    host.List().GetWindowRect(&now);
    return now.Height() > before.Height();
  }, 5000));
  CRect list, threads;
  host.List().GetWindowRect(&list);
  host.Page().m_threads.GetWindowRect(&threads);
  EXPECT_GT(threads.top, list.bottom);
}

// A click on the "Queue" tab from another tab shows the page and keeps the
// choice for the settings.
TEST(QueueRun, TabClickShowsTheQueuePage)
{
  Host host(1, "", CFuncViewDlg::kLogTab);
  ASSERT_FALSE(host.Page().IsWindowVisible());
  RECT r;
  host.view->m_tabs.GetItemRect(CFuncViewDlg::kQueueTab, &r);
  POINT tab = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ::ClientToScreen(host.view->m_tabs.GetSafeHwnd(), &tab);
  ASSERT_TRUE(wintest::ClickUntil(tab.x, tab.y, [&] { return host.Page().IsWindowVisible() != FALSE; }));
  EXPECT_EQ(g_funcViewTab, CFuncViewDlg::kQueueTab);
  EXPECT_FALSE(host.view->Page(CFuncViewDlg::kLogTab)->IsWindowVisible());
  Shot(host, "funcview_tabs");
}

namespace {

// The visible tool tip of this thread, null while none shows.
HWND ShownTooltip()
{
  HWND shown = nullptr;
  ::EnumThreadWindows(::GetCurrentThreadId(), [](HWND w, LPARAM out) -> BOOL {
    char cls[64] = {};
    ::GetClassNameA(w, cls, sizeof cls);
    if (_stricmp(cls, TOOLTIPS_CLASSA) != 0 || !::IsWindowVisible(w))
      return TRUE;
    *reinterpret_cast<HWND*>(out) = w;
    return FALSE;
  }, reinterpret_cast<LPARAM>(&shown));
  return shown;
}

}  // namespace

// The pointer resting on a button shows its tip, the GBK text of the page.
TEST(QueueRun, ButtonTipsShowUnderThePointer)
{
  Host host(1);
  const struct {
    CIconButton* button;
    const char* tip;
  } buttons[] = {{&host.Page().m_up, "\xD1\xA1\xB6\xA8\xC9\xCF\xD2\xC6"},
                 {&host.Page().m_start, "\xC5\xC5\xB6\xD3\xC6\xF0\xB6\xAF"},
                 {&host.Page().m_delete, "\xD1\xA1\xB6\xA8\xC9\xBE\xB3\xFD"}};
  for (const auto& b : buttons) {
    // Off the buttons first: a tip shows on entering a tool.
    wintest::Xdo(wintest::MoveTo(5, 900));
    ASSERT_TRUE(wintest::PumpUntil([] { return ShownTooltip() == nullptr; }, 5000));
    const POINT at = wintest::ScreenCentre(b.button->GetSafeHwnd());
    wintest::Xdo(wintest::MoveTo(at.x, at.y));
    HWND tip = nullptr;
    ASSERT_TRUE(wintest::PumpUntil([&] { return (tip = ShownTooltip()) != nullptr; }, 8000)) << b.tip;
    char text[80] = {};
    TTTOOLINFOA ti = {};
    ti.cbSize = sizeof ti;
    ti.hwnd = b.button->GetSafeHwnd();
    ti.uId = 1;
    ti.lpszText = text;
    ::SendMessageA(tip, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&ti));
    EXPECT_STREQ(text, b.tip);
    if (b.button == &host.Page().m_start)
      Shot(host, "funcview_button_tip");
  }
}

// A run exited while its workers still hold items, as a user leaves the
// program: every item comes back once, and the queue file names each once.
TEST(QueueRun, ExitDuringARunKeepsEachItemOnce)
{
  const queuetest::PeerLogin peer = PyftpdPeer();
  ASSERT_NE(peer.port, 0) << "run under tests/peers/with-peers.sh --pyftpd";
  constexpr int kFiles = 120;
  const std::string queueFile = TempFile("restart.dat");
  const std::string plan = queuetest::FreshTemp("fvrestart-plan") + "\\all.pln";
  const std::string local = queuetest::FreshTemp("fvrestart");
  tasktest::MakeFolder(peer.root, "fvrestart");
  const std::string bytes = queuetest::Pattern(256 * 1024, 11u);
  const auto name = [](int i) {
    char text[16];
    std::snprintf(text, sizeof(text), "q%03d.bin", i);
    return std::string(text);
  };
  for (int i = 0; i < kFiles; ++i)
    queuetest::WriteAll(peer.root + "\\fvrestart\\" + name(i), bytes);
  {
    Host host(3, queueFile);
    CSiteItem* site = host.harness.AddSite(peer.port, peer.user.c_str(), peer.pass.c_str());
    for (int i = 0; i < kFiles; ++i)
      host.Queue("<-", peer.port, peer.user.c_str(), peer.pass.c_str(), local.c_str(), "/fvrestart",
                 name(i).c_str(), static_cast<int64_t>(bytes.size()));
    ASSERT_EQ(host.List().GetCount(), kFiles);
    host.Page().SendMessage(WM_COMMAND, ID_QUEUE_STOP_ALL, 0);
    boxdriver::Driver driver([&] {
      HWND box = boxdriver::WaitForBox("Save As", 15000);
      if (box == nullptr)
        return;
      boxdriver::SetItemText(box, 0x47C, plan.c_str());
      boxdriver::Click(box, IDOK);
      boxdriver::WaitGone(box);
    });
    host.Page().SendMessage(WM_COMMAND, ID_QUEUE_EXPORT, 0);
    driver.Join();
    ASSERT_GT(queuetest::FileSizeOf(plan), 0);
    EXPECT_EQ(host.List().GetCount(), kFiles);  // the export leaves the queue as it is
    host.Page().SendMessage(WM_COMMAND, ID_QUEUE_RESET_ALL, 0);
    host.Page().SendMessage(WM_COMMAND, ID_QUEUE_RUN, 0);
    ASSERT_TRUE(wintest::PumpUntil([&] { return queuetest::FileSizeOf(local + "\\" + name(0)) > 0; }, 30000))
        << queuetest::QueueLogText();
    // Exit as the main window does it: the closing flag, the sites stopped,
    // the windows gone while the workers still run.
    g_exitRequested = 1;
    site->m_queueRun = 0;
    host.view->DestroyWindow();
    host.Close();
    g_exitRequested = 0;
  }
  // The finished are not stored (the default drops them); the others each once.
  Host again(3, queueFile);
  std::vector<std::string> names;
  for (int i = 0; i < again.List().GetCount(); ++i)
    names.push_back(again.List().GetPlanItem(i)->m_fileName);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(std::adjacent_find(names.begin(), names.end()), names.end()) << names.size() << " rows";
  int whole = 0;
  for (int i = 0; i < kFiles; ++i) {
    const bool here = queuetest::ReadAll(local + "\\" + name(i)) == bytes;
    whole += here ? 1 : 0;
    if (!here)
      EXPECT_TRUE(std::binary_search(names.begin(), names.end(), name(i))) << name(i) << " did not come back";
  }
  EXPECT_LT(whole, kFiles);
  for (int i = 0; i < again.List().GetCount(); ++i) {
    const int32_t status = StatusOf(again.List().GetPlanItem(i));
    EXPECT_TRUE(status == PLAN_STOPPED || status == PLAN_ERROR) << status;
  }
}
