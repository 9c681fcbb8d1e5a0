// The server tree's commands with the real task dialogs bound, in the view
// host over a real document and the loopback pyftpdlib servers: what a user
// types in each dialog reaches the server through the task it starts.
#include <gtest/gtest.h>

#include <string>

#include "engine/fileops.h"
#include "engine/viewmessages.h"
#include "engine/viewslots.h"
#include "shell/settings/settings.h"
#include "shell/taskdlgs/shelltaskdialogs.h"
#include "shell/taskdlgs/taskdlgsres.h"
#include "tests/confirm/boxdriver.h"
#include "tests/net/netclient.h"
#include "tests/task/taskfix.h"
#include "tests/views/sertreefix.h"
#include "tests/views/viewhost.h"
#include "views/serlistview.h"

CWinApp theApp("taskdlgs_views");

namespace {

using namespace sertreetest;
using boxdriver::Click;
using boxdriver::Driver;
using boxdriver::ItemText;
using boxdriver::SetItemText;
using boxdriver::WaitForBox;

class ViewDialogs : public SerTreeFixture {
protected:
  void SetUp() override
  {
    SerTreeFixture::SetUp();
    g_optionFlags &= ~((1u << OPTBIT_CONFIRM_CONNECT) | (1u << OPTBIT_FXP));
    m_doc.TaskThreads().m_reapIntervalMs = 100;
    previous = BindShellTaskDialogs();
  }
  void TearDown() override
  {
    SetTaskDialogs(previous);
    SerTreeFixture::TearDown();
  }
  template <class Pred>
  bool Until(Pred pred, DWORD ms = 20000)
  {
    return wintest::PumpUntil(pred, ms);
  }
  CTaskDialogs* previous = nullptr;
};

TEST_F(ViewDialogs, MoveSearchRecordAndPasswordThroughTheDialogs)
{
  tasktest::MakeFile(Root(2), "find\\deep\\hit.txt", 4);
  tasktest::MakeFolder(Root(2), "mv");
  tasktest::MakeFolder(Root(2), "sub");
  ASSERT_NO_FATAL_FAILURE(Make());
  CSiteItem* a = m_doc.m_sites[0];
  HTREEITEM siteA = a->m_hTreeNode;
  ASSERT_TRUE(SelectAndList(one, siteA) && Idle());
  HTREEITEM find = Child(one, siteA, "find");
  HTREEITEM mv = Child(one, siteA, "mv");
  ASSERT_TRUE(find != nullptr && mv != nullptr);
  tasktest::RecordingWnd& func = host.Sinks().funcView;

  // Move To: the typed folder, the "/" rule of the tree.
  {
    Driver driver([] {
      HWND box = WaitForBox("Move To...");
      ASSERT_NE(box, nullptr);
      SetItemText(box, IDC_MOVE_TARGET, "sub");
      Click(box, IDOK);
    });
    one->SetContextNode(mv);
    one->OnMove();
  }
  ASSERT_TRUE(Until([&] { return Child(one, siteA, "mv") == nullptr; }));
  ASSERT_TRUE(Idle(30000));
  EXPECT_EQ(LogCount(2, "<- RNTO /sub/mv"), 1);

  // Search: the node's site and folder preset; the types typed.
  std::string presetFolder;
  {
    Driver driver([&] {
      HWND box = WaitForBox("Search For File");
      ASSERT_NE(box, nullptr);
      presetFolder = ItemText(box, IDC_SEARCH_FOLDER);
      SetItemText(box, IDC_SEARCH_TYPES, " *.txt ");
      Click(box, IDOK);
    });
    one->SetContextNode(find);
    one->OnSearch();
  }
  ASSERT_TRUE(Idle(30000));
  EXPECT_EQ(presetFolder, "/find");
  const auto hits = func.Of(UWM_SEARCH_RESULTS);
  ASSERT_EQ(hits.size(), 1u);
  ASSERT_FALSE(hits[0].entries.empty());
  EXPECT_STREQ(hits[0].entries[0].m_name, "hit.txt");

  // Change Password: the stored one typed as the old one, the new one twice.
  {
    Driver driver([] {
      HWND box = WaitForBox("Change Password");
      ASSERT_NE(box, nullptr);
      SetItemText(box, IDC_PWD_OLD, "secret");
      SetItemText(box, IDC_PWD_NEW, "fresh ");
      SetItemText(box, IDC_PWD_CONFIRM, "fresh ");
      Click(box, IDOK);
    });
    one->SetContextNode(siteA);
    one->OnChangePassword();
  }
  ASSERT_TRUE(Idle());
  EXPECT_EQ(LogCount(2, "<- SITE PSWD secret fresh"), 1) << nettest::LogDump();

  // Directory Structure: the record file typed (last: pyftpdlib refuses
  // the recursive listing and the connection goes with it).
  const std::string record = Root(2) + "\\..\\structure.txt";
  {
    Driver driver([&] {
      HWND box = WaitForBox("Record Server Directory Structure");
      ASSERT_NE(box, nullptr);
      SetItemText(box, IDC_RECORD_SAVE, record.c_str());
      Click(box, IDOK);
    });
    one->SetContextNode(find);
    one->OnDirectoryStructure();
  }
  ASSERT_TRUE(Idle(30000));
  EXPECT_EQ(LogCount(2, "<- LIST -alR"), 1);
}

// The first server list (a real one in the host): Change Password for a site
// row (the old password is typed, nothing preset) and Search on a folder row.
TEST_F(ViewDialogs, ServerListRowsThroughTheDialogs)
{
  tasktest::MakeFile(Root(2), "find\\deep\\hit.txt", 4);
  ASSERT_TRUE(host.Make(viewhost::HostViews()
                            .Set(viewhost::kSerTree, RUNTIME_CLASS(CSerTrView))
                            .Set(viewhost::kSerTree1, RUNTIME_CLASS(CSerTrView1))
                            .Set(viewhost::kSerList, RUNTIME_CLASS(CSerLiView))));
  one = DYNAMIC_DOWNCAST(CSerTrView, host.View(viewhost::kSerTree));
  CSerLiView* list = DYNAMIC_DOWNCAST(CSerLiView, host.View(viewhost::kSerList));
  ASSERT_TRUE(one != nullptr && list != nullptr);
  auto select = [&](const char* name) {
    list->m_list.SetItemState(-1, 0, LVIS_SELECTED);
    for (int i = 0; i < list->m_list.GetItemCount(); ++i)
      if (list->m_list.GetItemText(i, 0) == name)
        list->m_list.SetItemState(i, LVIS_SELECTED, LVIS_SELECTED);
    return list->SelectedRows().size() == 1;
  };
  CSiteItem* a = m_doc.m_sites[0];
  one->GetTreeCtrl().SelectItem(one->GetTreeCtrl().GetRootItem());
  ASSERT_TRUE(Until([&] { return list->ShowsSites() && list->m_list.GetItemCount() >= 2; }));
  ASSERT_TRUE(select(a->m_name));
  std::string presetOld = "unread";
  const int changes = LogCount(2, "<- SITE PSWD secret fresh");  // the servers' logs outlive a test
  {
    Driver driver([&] {
      HWND box = WaitForBox("Change Password");
      ASSERT_NE(box, nullptr);
      presetOld = ItemText(box, IDC_PWD_OLD);
      SetItemText(box, IDC_PWD_OLD, "secret");
      SetItemText(box, IDC_PWD_NEW, "fresh");
      SetItemText(box, IDC_PWD_CONFIRM, "fresh");
      Click(box, IDOK);
    });
    list->OnChangePassword();
  }
  ASSERT_TRUE(Idle());
  EXPECT_EQ(presetOld, "");
  EXPECT_EQ(LogCount(2, "<- SITE PSWD secret fresh"), changes + 1);

  one->GetTreeCtrl().SelectItem(a->m_hTreeNode);
  ASSERT_TRUE(Until([&] { return list->ShowsFolder() && select("find"); }));
  ASSERT_TRUE(Idle());
  std::string presetFolder;
  {
    Driver driver([&] {
      HWND box = WaitForBox("Search For File");
      ASSERT_NE(box, nullptr);
      presetFolder = ItemText(box, IDC_SEARCH_FOLDER);
      SetItemText(box, IDC_SEARCH_TYPES, "*.txt");
      Click(box, IDOK);
    });
    list->OnSearch();
  }
  ASSERT_TRUE(Idle(30000));
  EXPECT_EQ(presetFolder, "/find");
  const auto hits = host.Sinks().funcView.Of(UWM_SEARCH_RESULTS);
  ASSERT_EQ(hits.size(), 1u);
  EXPECT_STREQ(hits[0].entries[0].m_name, "hit.txt");
}

}  // namespace
