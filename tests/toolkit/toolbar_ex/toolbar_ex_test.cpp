// CToolBarEx in a frame's rebar under Xvfb: text options and their strings,
// the saved layout and damaged values of it, reset, the drop-down menu and the
// Customize dialog opened from the bar's context menu, with the real pointer.
#include "toolkit/toolbarex.h"

#include "framework/afxwin.h"
#include "tests/toolkit/wintest.h"

#include <gtest/gtest.h>

#include "resids.h"

CWinApp theApp("zarn_toolbar_ex");

namespace tbextest {

using wintest::PumpUntil;

int g_nMenuGo = 0;
const char kSubKey[] = "Software\\ZarnToolbarExTest\\SETUP";

class CTestFrame : public CFrameWnd {
public:
  CReBar m_wndReBar;
  CToolBarEx m_wndToolBar;
  CWnd m_wndPane;

protected:
  afx_msg int OnCreate(LPCREATESTRUCT lpcs) {
    if (CFrameWnd::OnCreate(lpcs) == -1)
      return -1;
    m_wndPane.Create("STATIC", "", WS_CHILD | WS_VISIBLE | SS_WHITERECT, CRect(0, 0, 0, 0), this, AFX_IDW_PANE_FIRST);
    if (!m_wndToolBar.CreateEx(this, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_TOOLTIPS) ||
        !m_wndToolBar.LoadToolBar(IDR_MAINBAR))
      return -1;
    m_wndToolBar.AddDropDownButton(ID_TOOLS, IDM_TOOLS, FALSE);
    m_wndToolBar.SetWindowText("ZARN Toolbar");
    m_wndToolBar.InitButtonTable();
    m_wndToolBar.RestoreState();
    m_wndToolBar.MarkVisibleButtons();
    if (!m_wndReBar.Create(this) || !m_wndReBar.AddBar(&m_wndToolBar))
      return -1;
    return 0;
  }
  afx_msg void OnCommandAny() {}
  afx_msg void OnMenuGo() { g_nMenuGo++; }
  afx_msg void OnUpdateGrey(CCmdUI* p) { p->Enable(FALSE); }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CTestFrame, CFrameWnd)
  ON_WM_CREATE()
  ON_COMMAND(ID_CONNECT, OnCommandAny)
  ON_COMMAND(ID_UPLOAD, OnCommandAny)
  ON_COMMAND(ID_QUEUE, OnCommandAny)
  ON_COMMAND(ID_TOOLS, OnCommandAny)
  ON_COMMAND(ID_MENU_GREY, OnCommandAny)
  ON_COMMAND(ID_MENU_GO, OnMenuGo)
  ON_UPDATE_COMMAND_UI(ID_MENU_GREY, OnUpdateGrey)
END_MESSAGE_MAP()

void WriteValue(DWORD dwType, const void* p, DWORD cb) {
  HKEY hKey = nullptr;
  ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, kSubKey, 0, nullptr, 0, KEY_WRITE, nullptr, &hKey, nullptr),
            ERROR_SUCCESS);
  ::RegSetValueExA(hKey, "DADOZORURAV", 0, dwType, static_cast<const BYTE*>(p), cb);
  ::RegCloseKey(hKey);
}

std::vector<UINT> Commands(CToolBarEx& bar) {
  std::vector<UINT> v;
  for (int i = 0, n = bar.GetToolBarCtrl().GetButtonCount(); i < n; i++)
    v.push_back(bar.GetItemID(i));
  return v;
}

const std::vector<UINT> kDefault = {ID_CONNECT, ID_UPLOAD, 0, ID_TOOLS, ID_QUEUE};

class ToolBarEx : public ::testing::Test {
public:
  void SetUp() override {
    guitest::BecomeGuiThread();
    if (theApp.m_pszRegistryKey == nullptr)
      theApp.SetRegistryKey("ZarnToolbarExTest");
    ::RegDeleteKeyA(HKEY_CURRENT_USER, kSubKey);
    g_nMenuGo = 0;
  }
  void TearDown() override {
    Close();
    ::RegDeleteKeyA(HKEY_CURRENT_USER, kSubKey);
  }
  void Open() {
    Close();
    m_pFrame = new CTestFrame;
    ASSERT_TRUE(m_pFrame->Create(nullptr, "Toolbar", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CRect(40, 40, 640, 340),
                                 nullptr, nullptr, WS_EX_TOPMOST));
    theApp.m_pMainWnd = m_pFrame;
    m_pFrame->ShowWindow(SW_SHOW);
    m_pFrame->UpdateWindow();
    ASSERT_TRUE(PumpUntil([&] { return m_pFrame->IsWindowVisible() != FALSE; }));
  }
  void Close() {
    if (m_pFrame != nullptr)
      m_pFrame->DestroyWindow();  // the frame deletes itself
    m_pFrame = nullptr;
    theApp.m_pMainWnd = nullptr;
  }
  CToolBarEx& Bar() { return m_pFrame->m_wndToolBar; }
  HWND ThreadWindow(const char* pszClass) {
    for (HWND h : guitest::ThreadWindows(::GetCurrentThreadId(), pszClass))
      if (::IsWindowVisible(h))
        return h;
    return nullptr;
  }
  CTestFrame* m_pFrame = nullptr;
};

TEST_F(ToolBarEx, TextOptionsAddEachTextOnceAndSelectiveTextIsAListBar) {
  Open();
  EXPECT_EQ(Bar().GetTextOptions(), 2);
  EXPECT_EQ(Bar().GetIconOptions(), 0);
  EXPECT_EQ(Bar().GetButtonTable().size(), 5u);
  EXPECT_STREQ(Bar().GetButtonTable()[0].text, "Connect");
  wintest::Shot("toolbar_ex_text2");
  for (int opt : {0, 2, 0})
    Bar().SetTextOptions(opt, TRUE);
  EXPECT_EQ(Bar().GetStringCount(), 4);
  // The control holds exactly those four: the next string added is the fifth.
  EXPECT_EQ(Bar().GetToolBarCtrl().AddStrings("probe\0"), 4);
  TBBUTTON b = {};
  Bar().GetToolBarCtrl().GetButton(0, &b);
  EXPECT_GE(b.iString, 0);
  EXPECT_FALSE(b.fsStyle & BTNS_SHOWTEXT);
  wintest::Shot("toolbar_ex_text0");

  Bar().SetTextOptions(1, TRUE);
  EXPECT_TRUE(Bar().GetStyle() & TBSTYLE_LIST);
  EXPECT_TRUE(Bar().GetToolBarCtrl().GetExtendedStyle() & TBSTYLE_EX_MIXEDBUTTONS);
  Bar().GetToolBarCtrl().GetButton(0, &b);
  EXPECT_TRUE(b.fsStyle & BTNS_SHOWTEXT);
  wintest::Shot("toolbar_ex_text1");
  Bar().SetTextOptions(2, TRUE);
  EXPECT_FALSE(Bar().GetStyle() & TBSTYLE_LIST);
  Bar().GetToolBarCtrl().GetButton(0, &b);
  EXPECT_EQ(b.iString, -1);
}

TEST_F(ToolBarEx, SavedLayoutComesBackAndDamagedValuesLeaveTheDefault) {
  Open();
  Bar().GetToolBarCtrl().DeleteButton(1);  // Upload off the bar
  Bar().SetTextOptions(1, TRUE);
  Bar().SetIconOptions(1, TRUE);
  Bar().SaveState();
  Open();
  EXPECT_EQ(Bar().GetTextOptions(), 1);
  EXPECT_EQ(Bar().GetIconOptions(), 1);
  EXPECT_EQ(Commands(Bar()), (std::vector<UINT>{ID_CONNECT, 0, ID_TOOLS, ID_QUEUE}));

  const BYTE zeros[16] = {};
  BYTE halfRecord[12] = {1, 0, 0, 0, 1, 0, 0, 0, 0x21, 0x80, 0, 0};
  struct Bad {
    DWORD type;
    const void* p;
    DWORD cb;
  } const bad[] = {{REG_BINARY, zeros, 0}, {REG_BINARY, zeros, 3}, {REG_BINARY, zeros, 7},
                   {REG_BINARY, halfRecord, 12}, {REG_SZ, "12345678", 9}};
  for (const Bad& v : bad) {
    WriteValue(v.type, v.p, v.cb);
    Open();
    EXPECT_EQ(Commands(Bar()), kDefault) << "value of " << v.cb << " bytes, type " << v.type;
    EXPECT_EQ(Bar().GetTextOptions(), 2);
    EXPECT_EQ(Bar().GetIconOptions(), 0);
  }
  // Options out of range read as the defaults; the buttons are restored.
  for (int opt : {9, -1}) {
    SavedToolbarLayout l;
    l.iconOption = opt;
    l.textOption = opt;
    for (UINT id : kDefault)
      l.items.push_back({id, id == 0});
    std::vector<BYTE> bytes = ToolbarLayoutBytes(l);
    WriteValue(REG_BINARY, bytes.data(), (DWORD)bytes.size());
    Open();
    EXPECT_EQ(Commands(Bar()), kDefault);
    EXPECT_EQ(Bar().GetTextOptions(), 2);
    EXPECT_EQ(Bar().GetIconOptions(), 0);
  }
}

TEST_F(ToolBarEx, ResetGivesTheMarkedButtonsWithoutLabels) {
  Open();
  Bar().GetToolBarCtrl().DeleteButton(4);  // Queue
  Bar().MarkVisibleButtons();
  Bar().GetToolBarCtrl().DeleteButton(0);  // Connect, still marked shown
  Bar().SetTextOptions(0, TRUE);
  NMHDR nm = {Bar().m_hWnd, (UINT_PTR)Bar().GetDlgCtrlID(), (UINT)TBN_RESET};
  // As the control sends it: to its parent, the rebar, which passes it on.
  ::SendMessageA(::GetParent(Bar().m_hWnd), WM_NOTIFY, nm.idFrom, (LPARAM)&nm);
  EXPECT_EQ(Commands(Bar()), (std::vector<UINT>{ID_CONNECT, ID_UPLOAD, 0, ID_TOOLS}));
  EXPECT_EQ(Bar().GetTextOptions(), 2);
  for (int i = 0; i < 4; i++) {
    TBBUTTON b = {};
    Bar().GetToolBarCtrl().GetButton(i, &b);
    EXPECT_EQ(b.iString, -1);
  }
}

// Menus and the Customize dialog run modal loops inside the click that opens
// them: the pointer is moved by host commands that are not waited for, and the
// checks run from a thread timer, one step at a time; a step that sees nothing
// happen for 5 s does its action again (a loaded X server may drop a click).
bool StartHost(const std::string& xdoActions) {
  std::string line = "Z:\\bin\\sh -c \"xdotool " + xdoActions + "\"";
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!::CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return false;
  xside::CloseStarted(pi);
  return true;
}

std::string ClickAt(POINT pt, int button = 1) {
  return wintest::MoveTo(pt.x, pt.y) + " click " + std::to_string(button);
}

struct Steps {
  int step = 0;
  int ticks = 0;
  bool busy = false;
  std::string action;  // the current step's host command, repeated when nothing happens
  void Next(const std::string& a) {
    step++;
    ticks = 0;
    action = a;
    if (!a.empty())
      StartHost(a);
  }
  void Tick() {
    if (++ticks % 50 == 0 && !action.empty())
      StartHost(action);
  }
};

ToolBarEx* g_pTest = nullptr;

TEST_F(ToolBarEx, DropDownTracksTheMenuAndAnItemReachesTheFrame) {
  Open();
  // A drop-down button without a menu: nothing opens.
  Bar().AddDropDownButton(ID_QUEUE, 0, TRUE);
  NMTOOLBARA nmtb = {};
  nmtb.hdr = {Bar().m_hWnd, (UINT_PTR)Bar().GetDlgCtrlID(), (UINT)TBN_DROPDOWN};
  nmtb.iItem = ID_QUEUE;
  ::SendMessageA(::GetParent(Bar().m_hWnd), WM_NOTIFY, nmtb.hdr.idFrom, (LPARAM)&nmtb);
  EXPECT_EQ(ThreadWindow("#32768"), nullptr);

  static CRect rc;
  Bar().GetItemRect(Bar().CommandToIndex(ID_TOOLS), &rc);
  Bar().ClientToScreen(&rc);
  static Steps st;
  st = Steps();
  static CRect rcMenu;
  static bool bGrey, bGoEnabled;
  g_pTest = this;
  UINT_PTR t = ::SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR, DWORD) {
    if (st.busy)
      return;
    st.busy = true;
    st.Tick();
    if (st.step == 1) {
      HWND hMenuWnd = g_pTest->ThreadWindow("#32768");
      HMENU hMenu = hMenuWnd ? (HMENU)::SendMessageA(hMenuWnd, MN_GETHMENU, 0, 0) : nullptr;
      CRect rcItem;
      if (hMenu != nullptr && ::GetMenuItemRect(nullptr, hMenu, 1, &rcItem)) {
        ::GetWindowRect(hMenuWnd, &rcMenu);
        bGrey = (::GetMenuState(hMenu, ID_MENU_GREY, MF_BYCOMMAND) & MF_GRAYED) != 0;
        bGoEnabled = !(::GetMenuState(hMenu, ID_MENU_GO, MF_BYCOMMAND) & MF_GRAYED);
        wintest::Shot("toolbar_ex_dropdown");
        st.Next(ClickAt(rcItem.CenterPoint()));
      }
    }
    st.busy = false;
  });
  st.Next(ClickAt(rc.CenterPoint()));
  EXPECT_TRUE(PumpUntil([] { return g_nMenuGo == 1; }, 60000));
  ::KillTimer(nullptr, t);
  EXPECT_GE(rcMenu.top, rc.bottom - 1);  // the button stays uncovered
  EXPECT_LE(std::abs(rcMenu.left - rc.left), 2);
  EXPECT_TRUE(bGrey);
  EXPECT_TRUE(bGoEnabled);
}

TEST_F(ToolBarEx, CustomizeFromTheContextMenuChoosesLabelsAndSavesOnClose) {
  Open();
  CRect rcBar;
  Bar().GetWindowRect(&rcBar);
  static Steps st;
  st = Steps();
  static HWND hDlg;
  static int nMenuItems, nComboItems, nTextAfterChoice, nStringAfterChoice;
  static bool bChecked;
  static CString strCustomize, strTitle;
  hDlg = nullptr;
  nMenuItems = nComboItems = nTextAfterChoice = nStringAfterChoice = -9;
  g_pTest = this;
  UINT_PTR t = ::SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR, DWORD) {
    if (st.busy)
      return;
    st.busy = true;
    st.Tick();
    CToolBarEx& bar = g_pTest->Bar();
    if (st.step == 1) {  // the context menu
      HWND hMenuWnd = g_pTest->ThreadWindow("#32768");
      HMENU hMenu = hMenuWnd ? (HMENU)::SendMessageA(hMenuWnd, MN_GETHMENU, 0, 0) : nullptr;
      CRect rcItem;
      if (hMenu != nullptr && ::GetMenuItemRect(nullptr, hMenu, 2, &rcItem)) {
        nMenuItems = ::GetMenuItemCount(hMenu);
        bChecked = ::GetMenuItemID(hMenu, 0) == (UINT)bar.GetDlgCtrlID() &&
                   (::GetMenuState(hMenu, 0, MF_BYPOSITION) & MF_CHECKED);
        char sz[64] = "";
        ::GetMenuStringA(hMenu, 2, sz, sizeof sz, MF_BYPOSITION);
        strCustomize = sz;
        st.Next(ClickAt(rcItem.CenterPoint()));
      }
    } else if (st.step == 2) {  // the dialog
      HWND h = g_pTest->ThreadWindow("#32770");
      if (h != nullptr && ::GetDlgItem(h, 1000) != nullptr) {
        hDlg = h;
        nComboItems = (int)::SendDlgItemMessageA(h, 1000, CB_GETCOUNT, 0, 0);
        strTitle = guitest::Text(h);
        wintest::Shot("toolbar_ex_customize");
        st.Next(ClickAt(wintest::ScreenCentre(::GetDlgItem(h, 1000))));
      }
    } else if (st.step == 3) {  // the chooser's list
      COMBOBOXINFO cbi = {};
      cbi.cbSize = sizeof cbi;
      if (::GetComboBoxInfo(::GetDlgItem(hDlg, 1000), &cbi) && ::IsWindowVisible(cbi.hwndList)) {
        RECT rcFirst;
        ::SendMessageA(cbi.hwndList, LB_GETITEMRECT, 0, (LPARAM)&rcFirst);
        ::MapWindowPoints(cbi.hwndList, nullptr, (POINT*)&rcFirst, 2);
        st.Next(ClickAt({(rcFirst.left + rcFirst.right) / 2, (rcFirst.top + rcFirst.bottom) / 2}));
      }
    } else if (st.step == 4 && bar.GetTextOptions() == 0) {
      nTextAfterChoice = bar.GetTextOptions();
      TBBUTTON b = {};
      bar.GetToolBarCtrl().GetButton(0, &b);
      nStringAfterChoice = (int)b.iString;
      st.Next("");
      ::PostMessageA(hDlg, WM_COMMAND, IDCANCEL, 0);
    }
    st.busy = false;
  });
  st.Next(ClickAt({rcBar.right - 20, rcBar.CenterPoint().y}, 3));  // beyond the buttons
  EXPECT_TRUE(PumpUntil([] { return st.step == 5 && !::IsWindow(hDlg); }, 90000)) << "step " << st.step;
  ::KillTimer(nullptr, t);
  EXPECT_EQ(nMenuItems, 3);  // this bar, a separator, Customize
  EXPECT_TRUE(bChecked);
  EXPECT_STREQ(strCustomize, "(&C)Customize Toolbar..");
  EXPECT_EQ(nComboItems, 3);
  EXPECT_TRUE(strTitle.Right(15) == " - ZARN Toolbar") << (LPCTSTR)strTitle;
  EXPECT_EQ(nTextAfterChoice, 0);
  EXPECT_GE(nStringAfterChoice, 0);
  EXPECT_EQ(CToolBarEx::s_pCustomizeDialog, nullptr);
  // Closing saved the layout with the new option and sized band 0 to the bar.
  HKEY hKey = nullptr;
  ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, kSubKey, 0, KEY_READ, &hKey), ERROR_SUCCESS);
  BYTE data[256];
  DWORD cb = sizeof data, type = 0;
  EXPECT_EQ(::RegQueryValueExA(hKey, "DADOZORURAV", nullptr, &type, data, &cb), ERROR_SUCCESS);
  ::RegCloseKey(hKey);
  SavedToolbarLayout l;
  ASSERT_TRUE(ParseToolbarLayout(data, cb, type == REG_BINARY, &l));
  EXPECT_EQ(l.textOption, 0);
  REBARBANDINFOA rbbi = {};
  rbbi.cbSize = sizeof rbbi;
  rbbi.fMask = RBBIM_CHILDSIZE | RBBIM_IDEALSIZE;
  ASSERT_TRUE(m_pFrame->m_wndReBar.GetReBarCtrl().GetBandInfo(0, &rbbi));
  CSize size = Bar().CalcFixedLayout(FALSE, TRUE);
  EXPECT_EQ((int)rbbi.cxMinChild, (int)size.cx);
  EXPECT_EQ((int)rbbi.cyMinChild, (int)size.cy);
  EXPECT_EQ((int)rbbi.cxIdeal, (int)size.cx);
}

}  // namespace tbextest
