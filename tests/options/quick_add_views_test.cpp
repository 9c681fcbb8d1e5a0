// Quick Add Site and Modify Login Information with the server trees over a
// real document and the loopback pyftpdlib servers: the dialogs driven from a
// second thread, Modify opened from a tree's context menu.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "engine/taskdialogs.h"
#include "shell/options/optionsres.h"
#include "shell/options/settingsdlg.h"
#include "shell/settings/settings.h"
#include "tests/support/xside.h"
#include "toolkit/tabrules.h"
#include "views/loclistview.h"
#include "views/loctreeview.h"
#include "views/serlistview.h"
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

// ---- the view colours ----

bool Host(const std::string& command) { return xside::RunUnix(command, "zarn-colours", 20000, false); }

// A click of the pointer at a point of the screen.
void ClickAt(POINT p)
{
  Host("xdotool mousemove 0 0 sleep 0.1 mousemove " + std::to_string(p.x) + " " + std::to_string(p.y) +
       " sleep 0.2 click 1");
}

// The share of a grid of pixels over the window's client area that shows clr.
double ShareOf(HWND wnd, COLORREF clr)
{
  RECT rc;
  GetClientRect(wnd, &rc);
  int hits = 0, all = 0;
  for (int i = 1; i < 10; ++i)
    for (int k = 1; k < 10; ++k, ++all)
      if (xside::ScreenPixel(wnd, rc.right * i / 10, rc.bottom * k / 10) == clr)
        ++hits;
  return (double)hits / all;
}

TEST_F(QuickAddViews, ColoursChosenOnTheDisplayPageShowAtOnce)
{
  ASSERT_TRUE(host.Make(viewhost::HostViews()
                            .Set(viewhost::kSerTree, RUNTIME_CLASS(CSerTrView))
                            .Set(viewhost::kSerTree1, RUNTIME_CLASS(CSerTrView1))
                            .Set(viewhost::kLocTree, RUNTIME_CLASS(CLocTrView))
                            .Set(viewhost::kSerList, RUNTIME_CLASS(CSerLiView))
                            .Set(viewhost::kSerList1, RUNTIME_CLASS(CSerLiView1))
                            .Set(viewhost::kLocList, RUNTIME_CLASS(CLocLiView))));
  host.ShowSecondServer(false);
  HWND remoteTree = static_cast<CSerTrView*>(host.View(viewhost::kSerTree))->GetTreeCtrl().m_hWnd;
  HWND localTree = static_cast<CLocTrView*>(host.View(viewhost::kLocTree))->GetTreeCtrl().m_hWnd;
  HWND remoteList = static_cast<CSerLiView*>(host.View(viewhost::kSerList))->FileList().m_hWnd;
  HWND localList = static_cast<CLocLiView*>(host.View(viewhost::kLocList))->FileList().m_hWnd;
  // The cells chosen, in the order of the buttons clicked below.
  const POINT cells[4] = {{2, 1}, {6, 1}, {10, 1}, {14, 1}};
  const int buttons[4] = {IDC_OPT_COLOR_REMOTE_TREES, IDC_OPT_COLOR_LOCAL_TREE, IDC_OPT_COLOR_REMOTE_LISTS,
                          IDC_OPT_COLOR_LOCAL_LIST};
  COLORREF chosen[4];
  for (int i = 0; i < 4; ++i) {
    chosen[i] = PaletteCellColor(cells[i].x, cells[i].y);
    for (uint32_t old : g_viewColors)
      ASSERT_NE(chosen[i], old);
  }
  CSettingsDlg dlg(&host, nullptr);
  Driver driver([&] {
    HWND box = WaitForBox("System Settings");
    ASSERT_NE(box, nullptr);
    HWND tabs = GetDlgItem(box, IDC_SETTINGS_TABS);
    HWND button = nullptr;
    EnumChildWindows(
        box, [](HWND h, LPARAM p) -> BOOL {
          if (GetDlgCtrlID(h) != IDC_OPT_3D_ICONS)
            return TRUE;
          *reinterpret_cast<HWND*>(p) = GetParent(h);
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&button));
    HWND page = button;
    ASSERT_NE(page, nullptr);
    RECT tab = {};
    SendMessageA(tabs, TCM_GETITEMRECT, 4, (LPARAM)&tab);
    MapWindowPoints(tabs, nullptr, reinterpret_cast<POINT*>(&tab), 2);
    for (int attempt = 0; attempt < 3 && !IsWindowVisible(page); ++attempt) {
      ClickAt({(tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2});
      xside::WaitFor([&] { return IsWindowVisible(page) != FALSE; }, 3000);
    }
    ASSERT_TRUE(IsWindowVisible(page));
    for (int i = 0; i < 4; ++i) {
      HWND colour = GetDlgItem(page, buttons[i]);
      HWND palette = nullptr;
      for (int attempt = 0; attempt < 3 && palette == nullptr; ++attempt) {
        ClickAt(xside::WindowCentre(colour));
        xside::WaitFor([&] { return (palette = FindWindowA(CColorPalette::ClassName(), nullptr)) != nullptr; }, 3000);
      }
      ASSERT_NE(palette, nullptr) << i;
      POINT cell = {cells[i].x * PALETTE_CELL + 4, cells[i].y * PALETTE_CELL + 4};
      ClientToScreen(palette, &cell);
      Host("xdotool mousemove " + std::to_string(cell.x) + " " + std::to_string(cell.y) + " sleep 0.2 click 1");
      ASSERT_TRUE(xside::WaitFor([&] { return !IsWindow(palette); }, 5000)) << i;
    }
    Click(box, IDOK);
  });
  EXPECT_EQ(dlg.DoModal(), IDOK);
  driver.Join();
  EXPECT_EQ(g_viewColors[VIEWCOLOR_REMOTE_TREES], chosen[0]);
  EXPECT_EQ(g_viewColors[VIEWCOLOR_LOCAL_TREE], chosen[1]);
  EXPECT_EQ(g_viewColors[VIEWCOLOR_REMOTE_LISTS], chosen[2]);
  EXPECT_EQ(g_viewColors[VIEWCOLOR_LOCAL_LIST], chosen[3]);
  // Each kind of view shows its colour without being made again.
  const HWND views[4] = {remoteTree, localTree, remoteList, localList};
  for (int i = 0; i < 4; ++i)
    EXPECT_TRUE(wintest::PumpUntil([&] { return ShareOf(views[i], chosen[i]) > 0.3; }, 5000))
        << i << " " << ShareOf(views[i], chosen[i]);
  viewhost::Shot("options_view_colours");
}

}  // namespace
