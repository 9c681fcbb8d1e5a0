// Real use: a folder of the loopback pyftpdlib server listed by a listing task
// into the view host's list, sorted by header clicks and mask-selected through
// the dialog, the screen saved for a look.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/siteitem.h"
#include "tests/keeper/keeperfix.h"
#include "tests/support/peers.h"
#include "tests/task/taskfix.h"
#include "tests/views/viewhost.h"

CWinApp theApp("views_listing");

namespace {

TEST(ViewsListing, ServerFolderFillsTheListSortsAndMaskSelects)
{
  guitest::BecomeGuiThread();
  keepertest::FastSettings();
  const int port = peers::Port("ZARN_PYFTPD_PORT");
  ASSERT_NE(port, 0) << "run under tests/peers/with-peers.sh --pyftpd";
  const std::string root = peers::Env("ZARN_PYFTPD_ROOT_WIN");
  uint64_t total = 0;
  for (int i = 0; i < 30; ++i) {
    const bool log = i % 3 == 0;
    char name[40];
    std::snprintf(name, sizeof(name), "vl\\%s%02d.%s", log ? "log" : "file", i, log ? "log" : "txt");
    tasktest::MakeFile(root, name, (size_t)(i * 37));
    total += (uint64_t)(i * 37);
  }
  for (int i = 0; i < 5; ++i)
    tasktest::MakeFolder(root, "vl\\folder" + std::to_string(i));

  CSiteItem site;
  keepertest::SetUpSite(site, port, peers::Env("ZARN_PYFTPD_USER").c_str(), peers::Env("ZARN_PYFTPD_PASS").c_str(),
                        '0');
  ASSERT_NO_FATAL_FAILURE(keepertest::StartWorkerSite(site));
  viewhost::CViewHost host;
  ASSERT_TRUE(host.Make());  // the list view takes the first server tree's slot
  host.SetForegroundWindow();
  CFileListCtrl& list = host.List();

  CTaskThreadList threads;
  HTREEITEM node = reinterpret_cast<HTREEITEM>(intptr_t(0x4242));
  ASSERT_TRUE(tasktest::RunTask(threads, new CProgThread(1, TASK_LIST, &site, node, "/vl", 0, nullptr)));
  ASSERT_EQ(host.ListView()->m_listings, 1);
  EXPECT_EQ(list.m_folderCount, 5);
  EXPECT_EQ(list.m_fileCount, 30);
  EXPECT_EQ(list.m_totalBytes, total);
  EXPECT_EQ(list.CListCtrl::GetItemCount(), 35);

  CRect r;
  Header_GetItemRect(list.m_header.m_hWnd, 0, &r);
  list.m_header.ClientToScreen(&r);
  ASSERT_TRUE(wintest::ClickUntil(r.CenterPoint().x, r.CenterPoint().y, [&] { return list.GetSortColumn() == 0; }));
  EXPECT_EQ(std::string(list.GetItemText(0, 0)), "folder4");
  EXPECT_EQ(std::string(list.GetItemText(5, 0)), "log27.log");
  ASSERT_TRUE(wintest::ClickUntil(r.CenterPoint().x, r.CenterPoint().y, [&] { return list.IsSortAscending() == TRUE; }));
  EXPECT_EQ(std::string(list.GetItemText(0, 0)), "folder0");
  EXPECT_EQ(std::string(list.GetItemText(5, 0)), "file01.txt");
  EXPECT_EQ(std::string(list.GetItemText(34, 0)), "log27.log");

  const std::string prompt = viewhost::DriveMaskSelect(list, "*.log", true, nullptr, "views_listing_dialog");
  EXPECT_EQ(prompt, "10 objects matching *.log found!");
  std::vector<std::string> selected;
  for (int i = list.GetNextItem(-1, LVNI_SELECTED); i >= 0; i = list.GetNextItem(i, LVNI_SELECTED))
    selected.push_back(std::string(list.GetItemText(i, 0)));
  ASSERT_EQ(selected.size(), 10u);
  for (const std::string& name : selected)
    EXPECT_EQ(name.substr(name.size() - 4), ".log") << name;
  // The last page: the selected .log rows below the unselected .txt ones.
  list.EnsureVisible(list.GetItemCount() - 1, FALSE);
  list.UpdateWindow();
  viewhost::Shot("views_listing");
  keepertest::StopKeeper(site);
}

}  // namespace
