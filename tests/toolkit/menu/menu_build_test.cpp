// Building BCMenus: records, popups, sync, loading, icons, mnemonics and
// clicks on a tracked popup.
#include "menutest.h"

using namespace menutest;

namespace {

class MenuBuild : public ::testing::Test {
protected:
  void SetUp() override {
    guitest::BecomeGuiThread();
    SetMenuStyleFromOptions(0x100000);  // flat, shadowed icons
  }
};

// Icons must be absent when the first menu loads, so this test comes first.
TEST_F(MenuBuild, ToolbarIconsAreTheSameWhetherTheToolbarComesBeforeOrAfterTheMenu) {
  BCMenu after;
  ASSERT_TRUE(after.LoadMenu(IDM_TEST));
  HMENU hAfter = ::GetSubMenu(after.m_hMenu, 0);
  ASSERT_EQ(Record(hAfter, 0)->globalIndex, -1) << "no icons may exist before the toolbar is loaded";
  ASSERT_TRUE(after.LoadToolbar(IDT_TOOLS));

  BCMenu before;
  ASSERT_TRUE(before.LoadToolbar(IDT_TOOLS));
  ASSERT_TRUE(before.LoadMenu(IDM_TEST));
  HMENU hBefore = ::GetSubMenu(before.m_hMenu, 0);

  const UINT withIcon[] = {ID_OPEN, ID_SAVE, ID_FIND, ID_PRINT, ID_CUT};
  for (UINT id : withIcon) {
    int a = Record(hAfter, (UINT)PosOf(hAfter, id))->globalIndex;
    int b = Record(hBefore, (UINT)PosOf(hBefore, id))->globalIndex;
    EXPECT_GE(a, 0) << id;
    EXPECT_EQ(a, b) << id;
    EXPECT_EQ(g_menuImageIds[(size_t)a], id);
  }
  EXPECT_EQ(Record(hBefore, (UINT)PosOf(hBefore, ID_WIDE))->globalIndex, -1);
  // Flat look with shadowed icons: each icon with its three variants.
  EXPECT_EQ(g_menuImageIds.size(), 4u * 5u);
  EXPECT_EQ(g_menuImages.GetImageCount(), 20);
  // A menu appended item by item with the toolbar's number: the id's image, or
  // none for an id the toolbar lacks; the toolbar missing altogether: none.
  BCMenu ctx;
  ASSERT_TRUE(ctx.CreatePopupMenu());
  ASSERT_TRUE(ctx.AppendMenu(MF_STRING, ID_FIND, "&Find", IDT_TOOLS));
  ASSERT_TRUE(ctx.AppendMenu(MF_STRING, ID_COPY, "&Copy", IDT_TOOLS));
  ASSERT_TRUE(ctx.AppendMenu(MF_STRING, ID_CLEAR, "C&lear", 999));
  EXPECT_EQ(g_menuImageIds[(size_t)Record(ctx.m_hMenu, 0)->globalIndex], (UINT)ID_FIND);
  EXPECT_EQ(Record(ctx.m_hMenu, 1)->globalIndex, -1);
  EXPECT_EQ(Record(ctx.m_hMenu, 2)->globalIndex, -1);
  EXPECT_EQ(g_menuImages.GetImageCount(), 20);
}

TEST_F(MenuBuild, LoadGivesPlainTopLevelOwnerDrawnPopupsAndAlignedAccelerators) {
  size_t nLive = g_liveMenus.size();
  BCMenu menu;
  ASSERT_TRUE(menu.LoadMenu(IDM_TEST));
  ASSERT_EQ(menu.GetMenuItemCount(), 2u);
  for (UINT i = 0; i < 2; ++i) {
    EXPECT_FALSE(OwnerDrawn(menu.m_hMenu, i));
    EXPECT_NE(ItemInfo(menu.m_hMenu, i).hSubMenu, nullptr);
  }
  CString s;
  ASSERT_TRUE(menu.GetMenuText(1, s, MF_BYPOSITION));
  EXPECT_STREQ(s, "&Second");

  BCMenu* pPopup = menu.GetSubMenu(0);
  ASSERT_NE(pPopup, nullptr);
  EXPECT_TRUE(BCMenu::IsOwnMenu(pPopup));
  HMENU h = pPopup->m_hMenu;
  ASSERT_EQ(::GetMenuItemCount(h), 11);
  for (UINT i = 0; i < 11; ++i)
    EXPECT_TRUE(OwnerDrawn(h, i)) << i;
  EXPECT_TRUE(ItemInfo(h, 3).fType & MFT_SEPARATOR);
  BCMenu* pMore = pPopup->GetSubMenu(10);
  ASSERT_NE(pMore, nullptr);
  EXPECT_TRUE(OwnerDrawn(pMore->m_hMenu, 0));
  EXPECT_EQ(g_liveMenus.size(), nLive + 3);

  // Every accelerator begins at one pixel column, as the items are drawn.
  NONCLIENTMETRICSW ncm = {};
  ncm.cbSize = sizeof ncm;
  ASSERT_TRUE(::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0));
  HFONT hFont = ::CreateFontIndirectW(&ncm.lfMenuFont);
  HDC hdc = ::GetDC(nullptr);
  HGDIOBJ hOld = ::SelectObject(hdc, hFont);
  std::vector<LONG> columns;
  for (UINT id : {ID_OPEN, ID_SAVE, ID_FIND, ID_WIDE}) {
    std::wstring text = Record(h, (UINT)PosOf(h, id))->Text();
    size_t tab = text.find(L'\t');
    ASSERT_NE(tab, std::wstring::npos);
    RECT rc = {0, 0, 0, 0};
    ::DrawTextW(hdc, text.c_str(), (int)tab + 1, &rc, DT_SINGLELINE | DT_EXPANDTABS | DT_CALCRECT);
    columns.push_back(rc.right);
  }
  ::SelectObject(hdc, hOld);
  ::ReleaseDC(nullptr, hdc);
  ::DeleteObject(hFont);
  for (LONG c : columns)
    EXPECT_EQ(c, columns[0]);
  ASSERT_TRUE(menu.GetMenuText(ID_OPEN, s, MF_BYCOMMAND));
  EXPECT_EQ(s.Find("&Open "), 0);
  EXPECT_NE(s.Find("\tCtrl+O"), -1);

  menu.DestroyMenu();
  EXPECT_EQ(g_liveMenus.size(), nLive);
  EXPECT_EQ(menu.GetMenuItemCount(), 0u);
}

TEST_F(MenuBuild, AppendRemoveAndSyncKeepRecordsAndLiveMenusRight) {
  size_t nLive = g_liveMenus.size();
  BCMenu menu;
  ASSERT_TRUE(menu.CreatePopupMenu());
  // Id 0 is a separator whatever else the flags say.
  ASSERT_TRUE(menu.AppendMenu(MF_STRING | MF_CHECKED, 0, "not text"));
  EXPECT_TRUE(ItemInfo(menu.m_hMenu, 0).fType & MFT_SEPARATOR);
  EXPECT_TRUE(OwnerDrawn(menu.m_hMenu, 0));
  ASSERT_TRUE(menu.AppendMenu(MF_STRING, ID_COPY, "&Copy"));
  BCMenu sub;
  ASSERT_TRUE(sub.CreatePopupMenu());
  ASSERT_TRUE(sub.AppendMenu(MF_STRING, ID_INNER, "Inner"));
  ASSERT_TRUE(menu.AppendMenu(MF_POPUP, (UINT_PTR)sub.m_hMenu, "&More"));
  EXPECT_TRUE(BCMenu::IsOwnMenuHandle(sub.m_hMenu));
  EXPECT_EQ(g_liveMenus.size(), nLive + 1);

  // A handler adds plain items and renames one: all owner-drawn again, the
  // known records kept with the new text.
  MenuItemData* pCopy = Record(menu.m_hMenu, 1);
  ::ModifyMenuA(menu.m_hMenu, 1, MF_BYPOSITION | MF_STRING, ID_COPY, "Copy &All");
  ::AppendMenuA(menu.m_hMenu, MF_STRING, ID_CLEAR, "C&lear");
  ::AppendMenuA(menu.m_hMenu, MF_SEPARATOR, 0, nullptr);
  BCMenu::SyncMenu(&menu);
  ASSERT_EQ(menu.GetMenuItemCount(), 5u);
  for (UINT i = 0; i < 5; ++i)
    EXPECT_TRUE(OwnerDrawn(menu.m_hMenu, i)) << i;
  EXPECT_EQ(Record(menu.m_hMenu, 1), pCopy);
  CString s;
  ASSERT_TRUE(menu.GetMenuText(ID_COPY, s, MF_BYCOMMAND));
  EXPECT_STREQ(s, "Copy &All");
  ASSERT_TRUE(menu.GetMenuText(ID_CLEAR, s, MF_BYCOMMAND));
  EXPECT_STREQ(s, "C&lear");
  ASSERT_TRUE(menu.GetMenuText(ID_INNER, s, MF_BYCOMMAND));  // found in the popup
  EXPECT_STREQ(s, "Inner");
  // An id found nowhere: FALSE, the output as it was.
  s = "unchanged";
  EXPECT_FALSE(menu.GetMenuText(4242, s, MF_BYCOMMAND));
  EXPECT_FALSE(menu.GetMenuText(17, s, MF_BYPOSITION));
  EXPECT_STREQ(s, "unchanged");

  // Removing by command reaches into the popup; removing the popup drops its handle.
  EXPECT_TRUE(menu.RemoveMenu(ID_INNER, MF_BYCOMMAND));
  EXPECT_EQ(sub.GetMenuItemCount(), 0u);
  EXPECT_TRUE(menu.RemoveMenu(2, MF_BYPOSITION));
  EXPECT_FALSE(BCMenu::IsOwnMenuHandle(sub.m_hMenu));
  EXPECT_EQ(g_liveMenus.size(), nLive);
  EXPECT_EQ(menu.GetMenuItemCount(), 4u);
  EXPECT_TRUE(::IsMenu(sub.m_hMenu));  // the popup's own object still holds it

  // Text in the code page of the framework: GBK survives the UTF-16 record.
  FwSetCodePage(936);
  ASSERT_TRUE(menu.AppendMenu(MF_STRING, ID_TWO, "\xD6\xD0\xCE\xC4"));
  EXPECT_STREQ(Record(menu.m_hMenu, 4)->Text(), L"\x4E2D\x6587");
  ASSERT_TRUE(menu.GetMenuText(ID_TWO, s, MF_BYCOMMAND));
  EXPECT_STREQ(s, "\xD6\xD0\xCE\xC4");
  FwSetCodePage(0);
}

TEST_F(MenuBuild, MissingOrDamagedResourcesAndMenuCharWithoutAMenu) {
  BCMenu menu;
  EXPECT_FALSE(menu.LoadMenu(9999));
  EXPECT_EQ(menu.GetMenuItemCount(), 0u);
  EXPECT_FALSE(menu.LoadMenu(IDM_BROKEN));
  EXPECT_EQ(menu.GetMenuItemCount(), 0u);
  ASSERT_TRUE(menu.LoadMenu(IDM_TEST));
  EXPECT_FALSE(menu.LoadMenu(9999));  // the old menu is gone, nothing half-built
  EXPECT_EQ(menu.GetMenuItemCount(), 0u);
  EXPECT_EQ(BCMenu::OnMenuChar('c', MF_POPUP, nullptr), 0);
  ASSERT_TRUE(menu.LoadMenu(IDM_TEST));
  BCMenu* pPopup = menu.GetSubMenu(0);
  EXPECT_EQ(BCMenu::OnMenuChar('c', 0, pPopup), 0);
  EXPECT_EQ(BCMenu::OnMenuChar('c', MF_POPUP, pPopup), MAKELONG(PosOf(pPopup->m_hMenu, ID_COPY), 2));
  EXPECT_EQ(BCMenu::OnMenuChar('Q', MF_POPUP, pPopup), 0);
  EXPECT_FALSE(BCMenu::IsOwnMenu(nullptr));
}

class MenuTrack : public MenuBuild {
protected:
  void SetUp() override {
    MenuBuild::SetUp();
    ASSERT_TRUE(m_host.CreateHost("menu_build"));
    ASSERT_TRUE(m_menu.LoadMenu(IDM_TEST));
    m_menu.LoadToolbar(IDT_TOOLS);
  }
  void TearDown() override {
    if (m_host.m_hWnd)
      m_host.DestroyWindow();
  }
  CMenuHost m_host;
  BCMenu m_menu;
};

// A typed mnemonic that two items share chooses the first; a click on an item
// returns its id. The pointer rests on the popup (keys go to the window under
// it); for the click it comes from elsewhere, as a resting pointer sends no motion.
TEST_F(MenuTrack, MnemonicKeyAndClickOnATrackedPopupChooseTheirItem) {
  BCMenu* pPopup = m_menu.GetSubMenu(0);
  ASSERT_NE(pPopup, nullptr);
  struct Case { UINT target; const char* action; UINT chosen; };
  const Case cases[] = {
      {ID_WIDE, "/usr/bin/xdotool mousemove %ld %ld sleep 0.2 key c", ID_COPY},
      {ID_FIND, "/usr/bin/xdotool mousemove 0 0 sleep 0.2 mousemove %ld %ld sleep 0.2 click 1", ID_FIND},
  };
  for (const Case& c : cases) {
    UINT n = TrackWhile(&m_host, pPopup, 150, 150, [&](HWND) {
      RECT rc = {};
      if (!::GetMenuItemRect(nullptr, pPopup->m_hMenu, (UINT)PosOf(pPopup->m_hMenu, c.target), &rc)) {
        ADD_FAILURE() << "no item rectangle";
        return;
      }
      char cmd[200];
      snprintf(cmd, sizeof cmd, c.action, rc.left + 40, (rc.top + rc.bottom) / 2);
      // A loaded X server may drop the first event: again, a few times.
      for (int attempt = 0; attempt < 3 && VisiblePopup() != nullptr; ++attempt) {
        RunUnix(cmd);
        WaitFor([] { return VisiblePopup() == nullptr; }, 3000);
      }
    });
    EXPECT_EQ(n, c.chosen) << c.action;
  }
}

}  // namespace
