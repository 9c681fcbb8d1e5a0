// The tab controls and the page host with real windows on Xvfb: drawing style
// and bad input, fitting and switching pages (xdotool clicks on the tabs),
// focus per page, Enter and Escape inside a page, commands reaching the host
// and the pages the sheet deletes.
#include "tests/toolkit/xtools.h"
#include "toolkit/iconbutton.h"
#include "toolkit/tabpagedialog.h"
#include "toolkit/tabsheet.h"

#include <vector>

#include "tabids.h"

CWinApp theApp("zarn_tabs_tests");

namespace {

const UINT kSheetId = 100;
int g_nPagesDeleted = 0;

class CTestPage : public CTabPageDialog {
public:
  explicit CTestPage(CWnd* pParent) : CTabPageDialog(IDD_PAGE, pParent) {}
  ~CTestPage() override { ++g_nPagesDeleted; }
};

// The host: a top-most window right of where other tests put theirs that,
// like the function view, ignores OK and Cancel, records every command that
// reaches it and fits the page after a tab change.
class CHost : public CWnd {
public:
  std::vector<UINT> m_commands;
  CTabSheet m_sheet;

  BOOL CreateHost() {
    if (!CreateEx(WS_EX_TOPMOST, AfxRegisterWndClass(0, ::LoadCursor(nullptr, IDC_ARROW), (HBRUSH)(COLOR_3DFACE + 1)),
                  "Tabs", WS_POPUP | WS_VISIBLE | WS_BORDER | WS_CLIPCHILDREN, 700, 120, 460, 300, nullptr,
                  nullptr))
      return FALSE;
    return m_sheet.Create(WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_TABSTOP, CRect(10, 10, 440, 280), this,
                          kSheetId);
  }

protected:
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
    if (HIWORD(wParam) == BN_CLICKED)  // not the boxes' own notifications
      m_commands.push_back(LOWORD(wParam));
    return CWnd::OnCommand(wParam, lParam);
  }
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override {
    NMHDR* p = reinterpret_cast<NMHDR*>(lParam);
    if (p->hwndFrom == m_sheet.m_hWnd && p->code == TCN_SELCHANGE) {
      m_sheet.ResizePages();
      *pResult = 0;
      return TRUE;
    }
    return CWnd::OnNotify(wParam, lParam, pResult);
  }
};

class Tabs : public ::testing::Test {
protected:
  void SetUp() override {
    guitest::BecomeGuiThread();
    ASSERT_TRUE(m_host.CreateHost());
    ::SetForegroundWindow(m_host.m_hWnd);
  }
  void TearDown() override {
    if (m_host.m_hWnd != nullptr)
      m_host.DestroyWindow();
    for (CTestPage* p : m_owned)
      delete p;
    CShadedTabCtrl::EnableCustomLook(FALSE, 0);
  }
  CTestPage* NewPage(bool bOwned = true) {
    CTestPage* p = new CTestPage(&m_host.m_sheet);
    EXPECT_TRUE(p->Create(IDD_PAGE, &m_host.m_sheet));
    if (bOwned)
      m_owned.push_back(p);
    return p;
  }
  // Three pages, as the options dialog sets its sheet up.
  void AddThree() {
    m_host.m_sheet.SetBkColor(0xC8C8C8);
    ASSERT_TRUE(m_host.m_sheet.SetDrawStyle(2));
    CShadedTabCtrl::EnableCustomLook(TRUE, 31);
    const char* titles[] = {"General", "Connection", "Transfer"};
    for (int i = 0; i < 3; ++i) {
      m_pages[i] = NewPage();
      ASSERT_EQ(m_host.m_sheet.AddPage(titles[i], 10 + i, m_pages[i]), i);
    }
    m_host.m_sheet.ResizePages();
  }
  POINT TabCentre(int i) {
    CRect rc;
    m_host.m_sheet.GetItemRect(i, &rc);
    POINT pt = {rc.CenterPoint().x, rc.CenterPoint().y};
    ::ClientToScreen(m_host.m_sheet.m_hWnd, &pt);
    return pt;
  }
  CHost m_host;
  std::vector<CTestPage*> m_owned;
  CTestPage* m_pages[3] = {};
};

TEST_F(Tabs, BadInputIsRefusedAndChangesNothing) {
  CTabSheet& s = m_host.m_sheet;
  ASSERT_TRUE(s.SetDrawStyle(1));
  EXPECT_FALSE(s.SetDrawStyle(3));
  EXPECT_FALSE(s.SetDrawStyle(-1));
  EXPECT_EQ(s.GetDrawStyle(), 1);
  EXPECT_TRUE(s.GetStyle() & TCS_OWNERDRAWFIXED);
  ASSERT_TRUE(s.SetDrawStyle(0));
  EXPECT_FALSE(s.GetStyle() & TCS_OWNERDRAWFIXED);
  EXPECT_FALSE(s.SetDrawStyle(3));
  EXPECT_FALSE(s.GetStyle() & TCS_OWNERDRAWFIXED);

  EXPECT_EQ(s.AddPage("None", 0, nullptr), -1);  // the tab goes again
  EXPECT_EQ(s.GetItemCount(), 0);
  EXPECT_FALSE(s.SetActivePage(0));
  ASSERT_EQ(s.AddPage("One", 1, NewPage()), 0);
  EXPECT_FALSE(s.SetActivePage(1));
  EXPECT_FALSE(s.SetActivePage(-1));
  EXPECT_EQ(s.GetCurSel(), 0);
  EXPECT_TRUE(s.GetPage(0)->IsWindowVisible());
}

TEST_F(Tabs, PagesAddedAtZeroSizeAreFittedLaterAndTheCurrentPageStays) {
  CTabSheet& s = m_host.m_sheet;
  s.MoveWindow(10, 10, 0, 0);
  CTestPage* p = NewPage();
  CRect rcBefore;
  p->GetWindowRect(&rcBefore);
  ASSERT_EQ(s.AddPage("First", 7, p), 0);
  CRect rcAfter;
  p->GetWindowRect(&rcAfter);
  EXPECT_EQ(rcAfter.Size(), rcBefore.Size());  // nothing to fit into yet
  EXPECT_EQ(s.GetPageUserValue(0), 7u);

  s.MoveWindow(10, 10, 430, 270);
  s.ResizePages();
  CRect rcDisplay;
  s.GetClientRect(&rcDisplay);
  CRect rcTab;
  s.GetItemRect(0, &rcTab);
  CRect rcPage;
  p->GetWindowRect(&rcPage);
  s.ScreenToClient(&rcPage);
  EXPECT_EQ(rcPage, CRect(4, rcTab.Height() + 4, 430 - 4, 270 - 4));
  EXPECT_TRUE(p->IsWindowVisible());

  // Asking for the current page again neither hides nor moves it.
  EXPECT_TRUE(s.SetActivePage(0));
  EXPECT_TRUE(p->IsWindowVisible());
}

TEST_F(Tabs, ClickedTabsSwitchPagesAndGiveEachItsFocusBack) {
  ASSERT_NO_FATAL_FAILURE(AddThree());
  CTabSheet& s = m_host.m_sheet;
  ASSERT_TRUE(guitest::PumpUntil([&] { return ::GetForegroundWindow() == m_host.m_hWnd; }));
  EXPECT_EQ(::GetFocus(), m_pages[0]->GetDlgItem(IDC_FIRST)->m_hWnd);  // the first child by default
  m_pages[0]->GetDlgItem(IDC_SECOND)->SetFocus();

  POINT pt = TabCentre(1);
  ASSERT_TRUE(xtools::ClickAt(pt.x, pt.y));
  ASSERT_TRUE(guitest::PumpUntil([&] { return s.GetCurSel() == 1 && m_pages[1]->IsWindowVisible(); }));
  EXPECT_FALSE(m_pages[0]->IsWindowVisible());
  EXPECT_EQ(::GetFocus(), m_pages[1]->GetDlgItem(IDC_FIRST)->m_hWnd);
  m_pages[1]->GetDlgItem(IDC_SECOND)->SetFocus();

  xtools::Screenshot("/tmp/tabs_sheet.png");

  pt = TabCentre(0);
  ASSERT_TRUE(xtools::ClickAt(pt.x, pt.y));
  ASSERT_TRUE(guitest::PumpUntil([&] { return s.GetCurSel() == 0 && m_pages[0]->IsWindowVisible(); }));
  EXPECT_FALSE(m_pages[1]->IsWindowVisible());
  EXPECT_EQ(::GetFocus(), m_pages[0]->GetDlgItem(IDC_SECOND)->m_hWnd);

  // By the program: the page's remembered box again.
  EXPECT_TRUE(s.SetActivePage(1));
  EXPECT_TRUE(m_pages[1]->IsWindowVisible());
  EXPECT_EQ(::GetFocus(), m_pages[1]->GetDlgItem(IDC_SECOND)->m_hWnd);
  // A remembered window that left the page no longer counts.
  m_pages[0]->GetDlgItem(IDC_SECOND)->DestroyWindow();
  EXPECT_TRUE(s.SetActivePage(0));
  EXPECT_EQ(::GetFocus(), m_pages[0]->GetDlgItem(IDC_FIRST)->m_hWnd);
}

TEST_F(Tabs, EnterAndEscapeLeaveThePageShownAndCommandsReachTheHost) {
  ASSERT_NO_FATAL_FAILURE(AddThree());
  HWND hEdit = m_pages[0]->GetDlgItem(IDC_FIRST)->m_hWnd;
  ::SetFocus(hEdit);
  guitest::PostKey(hEdit, VK_RETURN);
  guitest::PostKey(hEdit, VK_ESCAPE);
  ASSERT_TRUE(guitest::PumpUntil([&] { return m_host.m_commands.size() >= 2; }));
  EXPECT_EQ(m_host.m_commands[0], (UINT)IDOK);
  EXPECT_EQ(m_host.m_commands[1], (UINT)IDCANCEL);
  EXPECT_TRUE(m_pages[0]->IsWindowVisible());
  EXPECT_EQ(m_host.m_sheet.GetCurSel(), 0);

  m_host.m_commands.clear();
  POINT pt = xtools::Centre(m_pages[0]->GetDlgItem(IDC_APPLY)->m_hWnd);
  ASSERT_TRUE(xtools::ClickAt(pt.x, pt.y));
  ASSERT_TRUE(guitest::PumpUntil([&] { return !m_host.m_commands.empty(); }));
  EXPECT_EQ(m_host.m_commands[0], (UINT)IDC_APPLY);
  EXPECT_TRUE(m_pages[0]->IsWindowVisible());

  // A checkbox button of the page toggles once per click, though its click
  // passes through the page, the sheet and the host.
  CIconButton option;
  ASSERT_TRUE(option.SubclassDlgItem(IDC_OPTION, m_pages[0]));
  ASSERT_TRUE(option.IsCheckBox());
  m_host.m_commands.clear();
  pt = xtools::Centre(option.m_hWnd);
  ASSERT_TRUE(xtools::ClickAt(pt.x, pt.y));
  ASSERT_TRUE(guitest::PumpUntil([&] { return !m_host.m_commands.empty(); }));
  EXPECT_EQ(m_host.m_commands[0], (UINT)IDC_OPTION);
  EXPECT_EQ(option.SendMessage(BM_GETCHECK), 1);
  option.UnsubclassWindow();
}

TEST_F(Tabs, DestroyingTheSheetDeletesOnlyMarkedPages) {
  CTabSheet& s = m_host.m_sheet;
  CTestPage* pKept = NewPage();
  CTestPage* pMarked = NewPage(false);
  ASSERT_EQ(s.AddPage("Kept", 0, pKept), 0);
  ASSERT_EQ(s.AddPage("Marked", 0, pMarked), 1);
  s.SetDeleteWithSheet(1, TRUE);
  g_nPagesDeleted = 0;
  s.DestroyWindow();
  EXPECT_EQ(g_nPagesDeleted, 1);
  EXPECT_EQ(pKept->m_hWnd, nullptr);  // destroyed, not deleted
  EXPECT_EQ(s.GetPageCount(), 0);
}

}  // namespace
