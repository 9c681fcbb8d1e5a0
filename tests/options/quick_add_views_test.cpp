// Quick Add Site and Modify Login Information with the server trees over a
// real document and the loopback pyftpdlib servers: the dialogs driven from a
// second thread, Modify opened from a tree's context menu.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "engine/taskdialogs.h"
#include "shell/mainframe/mainframeres.h"
#include "shell/mainframe/quickaddsite.h"
#include "tests/confirm/boxdriver.h"
#include "tests/support/peers.h"
#include "tests/views/sertreefix.h"
#include "tests/views/viewhost.h"
#include "views/sertreecmds.h"

using namespace boxdriver;

CWinApp theApp("quick_add_views");

namespace {

// The program's binding of the two dialogs, the others answering Cancel.
class CDialogBinding : public CTaskDialogs {
public:
  CDialogBinding() : m_previous(SetTaskDialogs(this)) {}
  ~CDialogBinding() { SetTaskDialogs(m_previous); }
  bool MoveTo(CWnd*, MoveToValues&) override { return false; }
  bool ChangePassword(CWnd*, ChangePasswordValues&) override { return false; }
  bool SearchFile(CWnd*, SearchFileValues&) override { return false; }
  bool RecordDir(CWnd*, RecordDirValues&) override { return false; }
  bool Chmod(CWnd*, ChmodValues&) override { return false; }
  bool ModifyInfo(CWnd* parent, int slot, SiteLoginValues& values) override
  {
    return RunModifyInfoDialog(parent, slot, values);
  }
  bool QuickAddSite(CWnd* parent, SiteLoginValues& values) override { return RunQuickAddSiteDialog(parent, values); }

private:
  CTaskDialogs* m_previous;
};

void SetText(HWND box, int id, const std::string& text)
{
  SendMessageA(GetDlgItem(box, id), WM_SETTEXT, 0, (LPARAM)text.c_str());
}

class QuickAddViews : public sertreetest::SerTreeFixture {
protected:
  CDialogBinding m_dialogs;
};

TEST_F(QuickAddViews, AddedSiteShowsInBothTreesAndLists)
{
  { std::ofstream(Root(2) + "\\quickadd.txt") << "quick"; }
  ASSERT_NO_FATAL_FAILURE(Make());
  const int slot = FindFreeSiteSlot(m_doc.m_sites);
  ASSERT_EQ(slot, 2);
  const std::string port = std::to_string(peers::Port("ZARN_S2S_PORT_2"));
  Driver driver([&] {
    HWND box = WaitForBox("Quick Add Site");
    ASSERT_NE(box, nullptr);
    SetText(box, IDC_QA_HOST, "127.0.0.2");
    EXPECT_EQ(ItemText(box, IDC_QA_NAME), "127.0.0.2");
    SetText(box, IDC_QA_NAME, "quick2");
    SetText(box, IDC_QA_PORT, port);
    SetText(box, IDC_QA_USER, "zarn");
    SetText(box, IDC_QA_PASSWORD, "secret");
    Click(box, IDOK);
  });
  m_doc.OnQuickAddSite();
  driver.Join();
  CSiteItem* site = m_doc.m_sites[slot];
  ASSERT_NE(site, nullptr);
  EXPECT_STREQ(site->m_name, "quick2");
  EXPECT_EQ(site->SiteOptionDigits[1], '0');
  CTreeCtrl& t1 = one->GetTreeCtrl();
  CTreeCtrl& t2 = two->GetTreeCtrl();
  ASSERT_NE(site->m_hTreeNode, nullptr);
  ASSERT_NE(site->m_hTreeNode1, nullptr);
  EXPECT_EQ(t1.GetItemData(site->m_hTreeNode), (DWORD_PTR)slot);
  EXPECT_EQ(t2.GetItemData(site->m_hTreeNode1), (DWORD_PTR)slot);
  EXPECT_EQ(std::string(t1.GetItemText(site->m_hTreeNode)), "quick2");
  // Selecting it lists the server's root.
  ASSERT_TRUE(SelectAndList(one, site->m_hTreeNode));
  EXPECT_GE(sertreetest::RowOf(list1->m_list, "quickadd.txt"), 0);
  ASSERT_TRUE(Idle());
}

TEST_F(QuickAddViews, ModifyFromTheMenuLocksHostAndPortWhileConnected)
{
  ASSERT_NO_FATAL_FAILURE(Make());
  host.SetForegroundWindow();
  CSiteItem* site = m_doc.m_sites[0];
  ASSERT_TRUE(m_doc.ConnectSite(0));
  ASSERT_TRUE(wintest::PumpUntil([&] { return site->m_connected.load() != 0; }, 20000));
  CTreeCtrl& t1 = one->GetTreeCtrl();
  bool locked = false;
  Driver driver([&] {
    HWND box = WaitForBox("Modify Login Information");
    ASSERT_NE(box, nullptr);
    locked = !ItemEnabled(box, IDC_QA_HOST) && !ItemEnabled(box, IDC_QA_PORT);
    EXPECT_EQ(ItemText(box, IDC_QA_NAME), "site2");
    SetText(box, IDC_QA_NAME, "renamed2");
    Click(box, IDOK);
  });
  ASSERT_TRUE(viewhost::ChooseFromContextMenu(t1, site->m_hTreeNode, sertreecmd::kModifyInfo));
  driver.Join();
  EXPECT_TRUE(locked);
  EXPECT_STREQ(site->m_name, "renamed2");
  EXPECT_EQ(std::string(t1.GetItemText(site->m_hTreeNode)), "renamed2");
  EXPECT_EQ(std::string(two->GetTreeCtrl().GetItemText(site->m_hTreeNode1)), "renamed2");
}

}  // namespace
