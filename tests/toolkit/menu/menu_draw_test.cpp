// Measuring in the menu font and drawing both looks: pixels of items drawn
// into a 24-bit memory context, and tracked popups on screen.
#include "menutest.h"

#include <cstdlib>

using namespace menutest;

namespace {

constexpr int kCx = 200, kCy = 24;

class MenuDraw : public ::testing::Test {
protected:
  void SetUp() override {
    guitest::BecomeGuiThread();
    ASSERT_TRUE(m_menu.CreatePopupMenu());
    ASSERT_TRUE(m_menu.AppendMenu(MF_STRING, ID_WIDE, "A &wide item of the menu\tCtrl+W"));
    ASSERT_TRUE(m_menu.AppendMenu(MF_SEPARATOR, 0, nullptr));
    ASSERT_TRUE(m_menu.AppendMenu(MF_STRING, ID_COPY, "&Copy"));
    BITMAPINFO bmi = {};
    bmi.bmiHeader = {sizeof(BITMAPINFOHEADER), kCx, -kCy, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* pBits = nullptr;
    m_hdc = ::CreateCompatibleDC(nullptr);
    m_hbm = ::CreateDIBSection(m_hdc, &bmi, DIB_RGB_COLORS, &pBits, nullptr, 0);
    ASSERT_NE(m_hbm, nullptr);
    m_hOld = ::SelectObject(m_hdc, m_hbm);
  }
  void TearDown() override {
    ::SelectObject(m_hdc, m_hOld);
    ::DeleteObject(m_hbm);
    ::DeleteDC(m_hdc);
    SetMenuStyleFromOptions(0);
  }
  // Draws item nPos in state into the memory context, white first.
  void Draw(UINT nPos, UINT state) {
    RECT all = {0, 0, kCx, kCy};
    ::FillRect(m_hdc, &all, (HBRUSH)::GetStockObject(WHITE_BRUSH));
    DRAWITEMSTRUCT dis = {ODT_MENU, 0, ::GetMenuItemID(m_menu.m_hMenu, (int)nPos), ODA_DRAWENTIRE, state,
                          (HWND)m_menu.m_hMenu, m_hdc, all, (ULONG_PTR)Record(m_menu.m_hMenu, nPos)};
    m_menu.DrawItem(&dis);
    ::GdiFlush();
  }
  COLORREF At(int x, int y) { return ::GetPixel(m_hdc, x, y); }
  bool AnyPixel(COLORREF c, int x0, int x1) {
    for (int y = 0; y < kCy; ++y)
      for (int x = x0; x < x1; ++x)
        if (At(x, y) == c)
          return true;
    return false;
  }
  BCMenu m_menu;
  HDC m_hdc = nullptr;
  HBITMAP m_hbm = nullptr;
  HGDIOBJ m_hOld = nullptr;
};

TEST_F(MenuDraw, MeasuredWidthIsTheTextInTheMenuFontPlusTheLooksMargins) {
  NONCLIENTMETRICSW ncm = {};
  ncm.cbSize = sizeof ncm;
  ASSERT_TRUE(::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0));
  const wchar_t* text = Record(m_menu.m_hMenu, 0)->Text();
  HDC hdc = ::GetDC(nullptr);
  RECT rc0 = {0, 0, 0, 0}, rc = {0, 0, 0, 0};
  ::DrawTextW(hdc, text, -1, &rc0, DT_SINGLELINE | DT_EXPANDTABS | DT_CALCRECT);
  HFONT hFont = ::CreateFontIndirectW(&ncm.lfMenuFont);
  HGDIOBJ hOld = ::SelectObject(hdc, hFont);
  ::DrawTextW(hdc, text, -1, &rc, DT_SINGLELINE | DT_EXPANDTABS | DT_CALCRECT);
  ::SelectObject(hdc, hOld);
  ::DeleteObject(hFont);
  ::ReleaseDC(nullptr, hdc);
  const int w = rc.right;
  ASSERT_NE(w, rc0.right) << "the menu font must differ from the context's own for this test to tell";
  const int cyMenu = ::GetSystemMetrics(SM_CYMENU);

  struct Look { DWORD options; int width, height, sepHeight; };
  const Look looks[] = {
      {0x80000, w + 2 * 16 + 1, std::max(cyMenu, 15 + 4), std::max(cyMenu / 2, (15 + 4) / 2)},  // classic
      {0x100000, 16 + w + 7 + 8, std::max(cyMenu, 15 + 7), 3},                                 // flat, shadows
      {0, 16 + w + 4 + 8, std::max(cyMenu, 15 + 4), 3},                                        // flat
  };
  for (const Look& look : looks) {
    SetMenuStyleFromOptions(look.options);
    MEASUREITEMSTRUCT mis = {ODT_MENU, 0, ID_WIDE, 0, 0, (ULONG_PTR)Record(m_menu.m_hMenu, 0)};
    m_menu.MeasureItem(&mis);
    EXPECT_EQ((int)mis.itemWidth, look.width) << look.options;
    EXPECT_EQ((int)mis.itemHeight, look.height) << look.options;
    MEASUREITEMSTRUCT sep = {ODT_MENU, 0, 0, 0, 0, (ULONG_PTR)Record(m_menu.m_hMenu, 1)};
    m_menu.MeasureItem(&sep);
    EXPECT_EQ((int)sep.itemHeight, look.sepHeight) << look.options;
  }

  // Any window answers WM_MEASUREITEM of our items, and only of ours.
  CMenuHost host;
  ASSERT_TRUE(host.CreateHost("measure"));
  MEASUREITEMSTRUCT mis = {ODT_MENU, 0, ID_WIDE, 12345, 0, (ULONG_PTR)Record(m_menu.m_hMenu, 0)};
  host.SendMessage(WM_MEASUREITEM, 0, (LPARAM)&mis);
  EXPECT_EQ((int)mis.itemWidth, looks[2].width);
  int foreign = 0;
  MEASUREITEMSTRUCT other = {ODT_MENU, 0, ID_WIDE, 12345, 0, (ULONG_PTR)&foreign};
  host.SendMessage(WM_MEASUREITEM, 0, (LPARAM)&other);
  EXPECT_EQ(other.itemWidth, 12345u);
  host.DestroyWindow();
}

TEST_F(MenuDraw, FlatLookBarSelectionAndDisabledTextAndTheClassicSwitch) {
  SetMenuStyleFromOptions(0x100000);
  const COLORREF Bk = BCMenu::DarkenColor(::GetSysColor(COLOR_WINDOW), 0.02);
  const COLORREF Bar = BCMenu::LightenColor(::GetSysColor(COLOR_3DFACE), 0.25);
  const COLORREF H = ::GetSysColor(COLOR_HIGHLIGHT);
  const COLORREF Hs = BCMenu::LightenColor(H, 0.85);
  ASSERT_NE(Bar, ::GetSysColor(COLOR_MENU));
  const UINT copy = 2;  // "&Copy": no icon

  Draw(copy, 0);
  EXPECT_EQ(At(3, 12), Bar);
  EXPECT_EQ(At(kCx - 5, 3), Bk);
  EXPECT_TRUE(AnyPixel(::GetSysColor(COLOR_MENUTEXT), 16 + 7 + 8, kCx));

  Draw(copy, ODS_SELECTED);
  EXPECT_EQ(At(0, 0), H);
  EXPECT_EQ(At(3, 12), Hs);
  EXPECT_EQ(At(kCx - 5, 3), Hs);

  // Disabled: grey text lightened, drawn off-screen and put back whole; never selected.
  const COLORREF grey = BCMenu::LightenColor(::GetSysColor(COLOR_GRAYTEXT), 0.4);
  Draw(copy, ODS_GRAYED);
  EXPECT_EQ(At(3, 12), Bar);
  EXPECT_TRUE(AnyPixel(grey, 16 + 7 + 8, kCx));
  EXPECT_FALSE(AnyPixel(::GetSysColor(COLOR_MENUTEXT), 16 + 7 + 8, kCx));
  Draw(copy, ODS_GRAYED | ODS_SELECTED);
  EXPECT_EQ(At(kCx - 5, 3), Bk);
  EXPECT_EQ(At(3, 12), Bar);

  Draw(1, 0);  // separator: the bar goes through it too
  EXPECT_EQ(At(3, 1), Bar);

  // Option bit 0x80000: the classic look, where disabled items do highlight.
  SetMenuStyleFromOptions(0x80000 | 0x100000);
  Draw(copy, 0);
  EXPECT_EQ(At(3, 12), ::GetSysColor(COLOR_MENU));
  Draw(copy, ODS_SELECTED);
  EXPECT_EQ(At(3, 12), H);
  Draw(copy, ODS_GRAYED | ODS_SELECTED);
  EXPECT_EQ(At(kCx - 5, 3), H);
  EXPECT_FALSE(AnyPixel(::GetSysColor(COLOR_GRAYTEXT), 16 + 9, kCx));  // drawn in the ground colour
}

// A tracked popup with icons, a check, a radio mark, disabled items, a
// separator, accelerators and a selected item, in both looks, on screen.
TEST(MenuScreens, TrackedPopupInBothLooks) {
  guitest::BecomeGuiThread();
  const char* out = std::getenv("ZARN_BINARY_DIR");
  std::string dir = out ? out : "/tmp";
  CMenuHost host;
  ASSERT_TRUE(host.CreateHost("menu_draw"));
  for (DWORD options : {DWORD(0x100000), DWORD(0x80000)}) {
    SetMenuStyleFromOptions(options);
    BCMenu menu;
    ASSERT_TRUE(menu.LoadToolbar(IDT_TOOLS));
    ASSERT_TRUE(menu.LoadMenu(IDM_TEST));
    BCMenu* p = menu.GetSubMenu(0);
    ASSERT_NE(p, nullptr);
    p->CheckMenuItem(ID_SAVE, MF_CHECKED);
    p->CheckMenuItem(ID_COPY, MF_CHECKED);
    p->CheckMenuRadioItem(ID_SHOW, ID_SHOW, ID_SHOW, MF_BYCOMMAND);
    p->EnableMenuItem(ID_PRINT, MF_GRAYED);
    p->EnableMenuItem(ID_CLEAR, MF_GRAYED);
    std::string shot = dir + (options & 0x80000 ? "/menu_classic.png" : "/menu_flat.png");
    ::DeleteFileA(("Z:" + shot).c_str());
    bool bShot = false;
    UINT n = TrackWhile(&host, p, 130, 110, [&](HWND) {
      RECT rc = {};
      if (::GetMenuItemRect(nullptr, p->m_hMenu, (UINT)PosOf(p->m_hMenu, ID_FIND), &rc)) {
        LONG drawn = host.m_nDrawn;
        char cmd[160];
        snprintf(cmd, sizeof cmd, "/usr/bin/xdotool mousemove %ld %ld", rc.left + 30, (rc.top + rc.bottom) / 2);
        RunUnix(cmd);
        WaitFor([&] { return host.m_nDrawn > drawn; }, 5000);  // the hovered item redrawn selected
      }
      bShot = RunUnix("/usr/bin/import -window root " + shot, 30000);
    });
    EXPECT_EQ(n, 0u);
    EXPECT_TRUE(bShot);
    EXPECT_NE(::GetFileAttributesA(("Z:" + shot).c_str()), INVALID_FILE_ATTRIBUTES) << shot;
  }
  SetMenuStyleFromOptions(0);
  host.DestroyWindow();
}

}  // namespace
