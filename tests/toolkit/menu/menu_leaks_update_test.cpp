// Context menus rebuilt on every click use up nothing; the popup command
// update reaches the window's and the main window's handlers.
#include "menutest.h"

#include "toolkit/menuupdate.h"

using namespace menutest;

namespace {

class CTestFrame : public CFrameWnd {
public:
  int m_nCopyUpdates = 0;

protected:
  afx_msg void OnUpdateCopy(CCmdUI* pCmdUI) {
    ++m_nCopyUpdates;
    pCmdUI->SetCheck(1);
  }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CTestFrame, CFrameWnd)
  ON_UPDATE_COMMAND_UI(ID_COPY, OnUpdateCopy)
END_MESSAGE_MAP()

// Stands for a view: its own handlers, the frame's where it has none.
class CTestView : public CWnd {
protected:
  afx_msg void OnUpdateOpen(CCmdUI* pCmdUI) { pCmdUI->Enable(FALSE); }
  afx_msg void OnUpdateSave(CCmdUI* pCmdUI) { pCmdUI->SetCheck(1); }
  afx_msg void OnUpdateShow(CCmdUI* pCmdUI) { pCmdUI->SetRadio(TRUE); }
  afx_msg void OnUpdateWide(CCmdUI* pCmdUI) { pCmdUI->SetText("Re&named\tF6"); }
  afx_msg void OnFind() {}
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CTestView, CWnd)
  ON_UPDATE_COMMAND_UI(ID_OPEN, OnUpdateOpen)
  ON_UPDATE_COMMAND_UI(ID_SAVE, OnUpdateSave)
  ON_UPDATE_COMMAND_UI(ID_SHOW, OnUpdateShow)
  ON_UPDATE_COMMAND_UI(ID_WIDE, OnUpdateWide)
  ON_COMMAND(ID_FIND, OnFind)
END_MESSAGE_MAP()

class MenuLong : public ::testing::Test {
protected:
  void SetUp() override {
    guitest::BecomeGuiThread();
    SetMenuStyleFromOptions(0x100000);
    m_pFrame = new CTestFrame;
    ASSERT_TRUE(m_pFrame->Create(nullptr, "menu frame", WS_OVERLAPPEDWINDOW, CRect(50, 50, 600, 450)));
    AfxGetApp()->m_pMainWnd = m_pFrame;
    ASSERT_TRUE(m_view.Create(nullptr, "view", WS_CHILD | WS_VISIBLE, CRect(0, 0, 300, 200), m_pFrame, 1));
  }
  void TearDown() override {
    AfxGetApp()->m_pMainWnd = nullptr;
    if (m_view.m_hWnd)
      m_view.DestroyWindow();
    m_pFrame->DestroyWindow();  // deletes itself
  }
  int ChildCount() {
    int n = 0;
    ::EnumChildWindows(m_pFrame->m_hWnd, [](HWND, LPARAM l) -> BOOL { ++*reinterpret_cast<int*>(l); return TRUE; },
                       (LPARAM)&n);
    return n;
  }
  CTestFrame* m_pFrame = nullptr;
  CTestView m_view;
};

TEST_F(MenuLong, FiveHundredContextMenusWithTwentyIconsLeaveWindowsAndImagesAsTheFirst) {
  static const UINT ids[] = {ID_OPEN, ID_SAVE, ID_FIND, ID_PRINT, ID_CUT};
  int nChildren = -1, nImages = -1;
  size_t nLive = g_liveMenus.size();
  for (int round = 0; round < 500; ++round) {
    BCMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDM_TEST));
    BCMenu* pPopup = menu.GetSubMenu(0);
    ASSERT_NE(pPopup, nullptr);
    for (int i = 0; i < 20; ++i)
      ASSERT_TRUE(pPopup->AppendMenu(MF_STRING, ids[i % 5], "Item\tCtrl+I", IDT_TOOLS));
    UpdatePopupMenuUI(&m_view, pPopup);
    if (round == 0) {
      nChildren = ChildCount();
      nImages = g_menuImages.GetImageCount();
      ASSERT_EQ(nImages, 4 * 5);  // each icon once, with its three flat variants
    }
    menu.DestroyMenu();
    EXPECT_EQ(g_liveMenus.size(), nLive);
  }
  EXPECT_EQ(ChildCount(), nChildren);
  EXPECT_EQ(g_menuImages.GetImageCount(), nImages);
}

TEST_F(MenuLong, PopupUpdateGreysChecksAndRenamesThroughWindowAndMainWindow) {
  BCMenu menu;
  ASSERT_TRUE(menu.LoadMenu(IDM_TEST));
  BCMenu* pPopup = menu.GetSubMenu(0);
  ASSERT_NE(pPopup, nullptr);
  HMENU h = pPopup->m_hMenu;
  auto state = [&](UINT id) { return ::GetMenuState(h, id, MF_BYCOMMAND); };
  UpdatePopupMenuUI(&m_view, pPopup);
  EXPECT_TRUE(state(ID_OPEN) & MF_GRAYED);     // the view's handler
  EXPECT_TRUE(state(ID_SAVE) & MF_CHECKED);
  EXPECT_TRUE(ItemInfo(h, (UINT)PosOf(h, ID_SHOW)).fType & MFT_RADIOCHECK);
  EXPECT_TRUE(state(ID_COPY) & MF_CHECKED);    // the frame's, which the view lacks
  EXPECT_EQ(m_pFrame->m_nCopyUpdates, 1);
  EXPECT_FALSE(state(ID_FIND) & MF_GRAYED);    // a command handler and no update handler
  EXPECT_TRUE(state(ID_CUT) & MF_GRAYED);      // nobody's
  EXPECT_TRUE(state(ID_PRINT) & MF_GRAYED);
  const UINT more = (UINT)PosOf(h, (UINT)-1);
  EXPECT_FALSE(::GetMenuState(h, more, MF_BYPOSITION) & MF_GRAYED);  // a popup is left to its first item
  // The renamed item stays owner-drawn with its record and the new text.
  const UINT wide = (UINT)PosOf(h, ID_WIDE);
  EXPECT_TRUE(OwnerDrawn(h, wide));
  CString s;
  ASSERT_TRUE(menu.GetMenuText(ID_WIDE, s, MF_BYCOMMAND));
  EXPECT_STREQ(s, "Re&named\tF6");
  EXPECT_EQ(Record(h, wide)->id, (UINT_PTR)ID_WIDE);
  for (UINT i = 0; i < (UINT)::GetMenuItemCount(h); ++i)
    EXPECT_TRUE(OwnerDrawn(h, i)) << i;

  // Without a main window only the window's own route runs.
  AfxGetApp()->m_pMainWnd = nullptr;
  ::CheckMenuItem(h, ID_COPY, MF_BYCOMMAND | MF_UNCHECKED);
  UpdatePopupMenuUI(&m_view, pPopup);
  EXPECT_TRUE(state(ID_COPY) & MF_GRAYED);
  EXPECT_EQ(m_pFrame->m_nCopyUpdates, 1);
}

}  // namespace
