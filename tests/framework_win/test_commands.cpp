// Message-map dispatch: commands, ranges, update handlers, notifications,
// registered messages and the walk through base-class maps.
#include "fwtest.h"

#include <vector>

namespace {

enum : UINT {
  ID_OPEN = 100,
  ID_SAVE = 101,
  ID_NOHANDLER = 102,
  ID_PLAIN = 103,
  ID_RANGE_FIRST = 200,
  ID_RANGE_LAST = 209,
  ID_LIST = 300,
};
const UINT UWM_BASEONLY = WM_USER + 200;
const UINT UWM_OVERRIDDEN = WM_USER + 201;
const UINT g_uRegistered = ::RegisterWindowMessageA("ZarnFwTestRegistered");

class CBaseCmdWnd : public CWnd {
public:
  std::vector<CString> m_calls;

protected:
  afx_msg void OnOpen() { m_calls.push_back("base:open"); }
  afx_msg void OnSave() { m_calls.push_back("base:save"); }
  afx_msg void OnRange(UINT nID) {
    CString s;
    s.Format("range:%u", nID);
    m_calls.push_back(s);
  }
  afx_msg void OnUpdateOpen(CCmdUI* pCmdUI) {
    pCmdUI->Enable(FALSE);
    pCmdUI->SetCheck(1);
    pCmdUI->SetText("Open now");
  }
  afx_msg void OnListClick(NMHDR* pNMHDR, LRESULT* pResult) {
    m_calls.push_back("notify:click");
    *pResult = 77;
  }
  afx_msg LRESULT OnBaseOnly(WPARAM w, LPARAM) { return (LRESULT)w * 2; }
  afx_msg LRESULT OnOverridden(WPARAM, LPARAM) { return 1; }
  afx_msg LRESULT OnRegistered(WPARAM w, LPARAM l) { return (LRESULT)(w * 10 + l); }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseCmdWnd, CWnd)
  ON_COMMAND(ID_OPEN, OnOpen)
  ON_COMMAND(ID_SAVE, OnSave)
  ON_COMMAND_RANGE(ID_RANGE_FIRST, ID_RANGE_LAST, OnRange)
  ON_UPDATE_COMMAND_UI(ID_OPEN, OnUpdateOpen)
  ON_NOTIFY(NM_CLICK, ID_LIST, OnListClick)
  ON_MESSAGE(UWM_BASEONLY, OnBaseOnly)
  ON_MESSAGE(UWM_OVERRIDDEN, OnOverridden)
  ON_REGISTERED_MESSAGE(g_uRegistered, OnRegistered)
END_MESSAGE_MAP()

class CDerivedCmdWnd : public CBaseCmdWnd {
protected:
  afx_msg void OnSave() { m_calls.push_back("derived:save"); }
  // Declines even ids, so they go on to the base's range handler.
  afx_msg BOOL OnOddOnly(UINT nID) {
    if (nID % 2 == 0)
      return FALSE;
    CString s;
    s.Format("odd:%u", nID);
    m_calls.push_back(s);
    return TRUE;
  }
  afx_msg LRESULT OnOverridden(WPARAM, LPARAM) { return 2; }
  afx_msg void OnPlain() { m_calls.push_back("derived:plain"); }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedCmdWnd, CBaseCmdWnd)
  ON_COMMAND(ID_SAVE, OnSave)
  ON_COMMAND_EX(203, OnOddOnly)
  ON_COMMAND_EX(204, OnOddOnly)
  ON_MESSAGE(UWM_OVERRIDDEN, OnOverridden)
  ON_BN_CLICKED(ID_PLAIN, OnPlain)
END_MESSAGE_MAP()

class CmdTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(m_wnd.CreateEx(0, nullptr, "cmd", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
  }
  void TearDown() override { m_wnd.DestroyWindow(); }
  void Command(UINT nID, UINT nCode = 0, HWND hCtl = nullptr) {
    ::SendMessageA(m_wnd.m_hWnd, WM_COMMAND, MAKEWPARAM(nID, nCode), (LPARAM)hCtl);
  }
  CDerivedCmdWnd m_wnd;
};

}  // namespace

TEST_F(CmdTest, CommandsWalkDerivedThenBaseMaps) {
  Command(ID_OPEN);      // only in the base
  Command(ID_SAVE);      // the derived entry wins
  Command(ID_SAVE, 1);   // an accelerator counts as a command too
  ASSERT_EQ(3u, m_wnd.m_calls.size());
  EXPECT_STREQ("base:open", m_wnd.m_calls[0]);
  EXPECT_STREQ("derived:save", m_wnd.m_calls[1]);
  EXPECT_STREQ("derived:save", m_wnd.m_calls[2]);
  EXPECT_EQ(4, m_wnd.SendMessage(UWM_BASEONLY, 2));
  EXPECT_EQ(2, m_wnd.SendMessage(UWM_OVERRIDDEN));
  EXPECT_EQ(35, m_wnd.SendMessage(g_uRegistered, 3, 5));
}

TEST_F(CmdTest, CommandRangeAndDeclinedHandlers) {
  for (UINT id = ID_RANGE_FIRST - 1; id <= ID_RANGE_LAST + 1; ++id)
    Command(id);
  std::vector<CString> want;
  for (UINT id = ID_RANGE_FIRST; id <= ID_RANGE_LAST; ++id) {
    CString s;
    s.Format(id == 203 ? "odd:%u" : "range:%u", id);
    want.push_back(s);
  }
  ASSERT_EQ(want.size(), m_wnd.m_calls.size());
  for (size_t i = 0; i < want.size(); ++i)
    EXPECT_STREQ(want[i], m_wnd.m_calls[i]) << i;
}

TEST_F(CmdTest, ControlNotificationsAndNotify) {
  HWND hButton = ::CreateWindowExA(0, "BUTTON", "b", WS_CHILD | BS_PUSHBUTTON, 0, 0, 5, 5, m_wnd.m_hWnd,
                                   (HMENU)(UINT_PTR)ID_PLAIN, ::GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(nullptr, hButton);
  Command(ID_PLAIN, BN_CLICKED, hButton);
  Command(ID_PLAIN, BN_SETFOCUS, hButton);  // no entry for this code
  ASSERT_EQ(1u, m_wnd.m_calls.size());
  EXPECT_STREQ("derived:plain", m_wnd.m_calls[0]);

  NMHDR hdr = {};
  hdr.hwndFrom = hButton;
  hdr.idFrom = ID_LIST;
  hdr.code = NM_CLICK;
  EXPECT_EQ(77, m_wnd.SendMessage(WM_NOTIFY, ID_LIST, (LPARAM)&hdr));
  hdr.code = NM_DBLCLK;  // no entry: default processing
  EXPECT_EQ(0, m_wnd.SendMessage(WM_NOTIFY, ID_LIST, (LPARAM)&hdr));
  EXPECT_EQ(2u, m_wnd.m_calls.size());
}

TEST_F(CmdTest, UpdateHandlersDriveMenuItems) {
  HMENU hMenu = ::CreatePopupMenu();
  ::AppendMenuA(hMenu, MF_STRING, ID_OPEN, "Open");
  ::AppendMenuA(hMenu, MF_STRING, ID_SAVE, "Save");
  ::AppendMenuA(hMenu, MF_STRING, ID_NOHANDLER, "Nothing");
  CCmdUI ui;
  ui.m_hMenu = hMenu;
  ui.m_nIndexMax = 3;
  for (UINT i = 0; i < 3; ++i) {
    ui.m_nIndex = i;
    ui.m_nID = ::GetMenuItemID(hMenu, (int)i);
    ui.DoUpdate(&m_wnd, TRUE);
  }
  UINT s0 = ::GetMenuState(hMenu, 0, MF_BYPOSITION);
  UINT s1 = ::GetMenuState(hMenu, 1, MF_BYPOSITION);
  UINT s2 = ::GetMenuState(hMenu, 2, MF_BYPOSITION);
  EXPECT_TRUE(s0 & MF_GRAYED);
  EXPECT_TRUE(s0 & MF_CHECKED);
  char sz[32] = "";
  ::GetMenuStringA(hMenu, 0, sz, sizeof sz, MF_BYPOSITION);
  EXPECT_STREQ("Open now", sz);
  EXPECT_EQ(ID_OPEN, ::GetMenuItemID(hMenu, 0));
  EXPECT_FALSE(s1 & MF_GRAYED);  // a command handler, no update handler
  EXPECT_TRUE(s2 & MF_GRAYED);   // no handler at all
  ::DestroyMenu(hMenu);

  AFX_CMDHANDLERINFO info = {nullptr};
  EXPECT_TRUE(m_wnd.OnCmdMsg(ID_SAVE, CN_COMMAND, nullptr, &info));
  EXPECT_EQ(&m_wnd, info.pTarget);
  EXPECT_TRUE(m_wnd.m_calls.empty());  // asking does not run the handler
}
