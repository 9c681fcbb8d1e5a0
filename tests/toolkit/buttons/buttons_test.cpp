// Icon, hover and colour buttons with real windows on Xvfb: clicks by xdotool,
// hover judged by the pixels on the screen, the drop-down menu, and the
// palette's press, move and release.
#include "tests/toolkit/xtools.h"
#include "toolkit/colorbutton.h"
#include "toolkit/hoverbutton.h"
#include "toolkit/iconbutton.h"
#include "toolkit/launcher.h"
#include "toolkit/tabrules.h"

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "buttonids.h"

CWinApp theApp("zarn_buttons_tests");

namespace {

const UINT kMarker = WM_APP + 1;
enum { BTN_ICON = 400, BTN_CHECK, BTN_DEFAULT, BTN_DISABLED, BTN_MENU, BTN_HOVER, BTN_COLOR, BTN_LINKED };

// Top-most, right of where other tests put their windows, so the pixels read
// are its own. Records the commands that reach it; a posted marker tells when
// every message posted before it has arrived.
class CHost : public CWnd {
public:
  struct Command {
    UINT nID, nCode;
  };
  std::vector<Command> m_commands;
  int m_nMarkers = 0;

  BOOL CreateHost() {
    return CreateEx(WS_EX_TOPMOST, AfxRegisterWndClass(0, ::LoadCursor(nullptr, IDC_ARROW), (HBRUSH)(COLOR_3DFACE + 1)),
                    "Buttons", WS_POPUP | WS_VISIBLE | WS_BORDER, 700, 100, 520, 260, nullptr, nullptr);
  }
  int Count(UINT nID, UINT nCode = BN_CLICKED) const {
    int n = 0;
    for (const Command& c : m_commands)
      n += c.nID == nID && c.nCode == nCode;
    return n;
  }
  // Every message posted to the host so far has been handled.
  bool Drain() {
    int n = m_nMarkers;
    PostMessage(kMarker);
    return guitest::PumpUntil([&] { return m_nMarkers > n; });
  }

protected:
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
    m_commands.push_back({LOWORD(wParam), HIWORD(wParam)});
    return CWnd::OnCommand(wParam, lParam);
  }
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == kMarker) {
      ++m_nMarkers;
      return 0;
    }
    return CWnd::WindowProc(message, wParam, lParam);
  }
};

class Buttons : public ::testing::Test {
protected:
  void SetUp() override {
    guitest::BecomeGuiThread();
    ASSERT_TRUE(m_host.CreateHost());
    ::SetForegroundWindow(m_host.m_hWnd);
    ASSERT_TRUE(xtools::MouseTo(5, 5));  // away from everything
  }
  void TearDown() override {
    if (m_host.m_hWnd != nullptr)
      m_host.DestroyWindow();
  }
  // The pixel at (x, y) of a button once the screen shows what pred says.
  template <class Pred>
  bool PixelBecomes(HWND h, int x, int y, Pred pred) {
    return guitest::PumpUntil([&] { return pred(xtools::ScreenPixel(h, x, y)); }, 20000);
  }
  CHost m_host;
};

TEST_F(Buttons, CheckboxDefaultAndBadInput) {
  CIconButton check, def, plain;
  ASSERT_TRUE(check.Create("Check", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, CRect(10, 10, 110, 50), &m_host, BTN_CHECK));
  ASSERT_TRUE(def.Create("OK", WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON, CRect(120, 10, 220, 50), &m_host, BTN_DEFAULT));
  ASSERT_TRUE(plain.Create("Plain", WS_CHILD | WS_VISIBLE, CRect(230, 10, 330, 50), &m_host, BTN_ICON));
  EXPECT_EQ(check.GetStyle() & BS_TYPEMASK, (DWORD)BS_OWNERDRAW);
  EXPECT_TRUE(check.IsCheckBox());

  POINT pt = xtools::Centre(check.m_hWnd);
  ASSERT_TRUE(xtools::ClickAt(pt.x, pt.y));
  ASSERT_TRUE(guitest::PumpUntil([&] { return m_host.Count(BTN_CHECK) == 1; }));
  EXPECT_EQ(check.SendMessage(BM_GETCHECK), 1);
  ASSERT_TRUE(xtools::ClickAt(pt.x, pt.y));
  ASSERT_TRUE(guitest::PumpUntil([&] { return m_host.Count(BTN_CHECK) == 2; }));
  EXPECT_EQ(check.SendMessage(BM_GETCHECK), 0);
  check.SendMessage(BM_SETCHECK, BST_INDETERMINATE);
  EXPECT_EQ(check.SendMessage(BM_GETCHECK), 1);
  check.SendMessage(BM_SETCHECK, 5);
  EXPECT_EQ(check.SendMessage(BM_GETCHECK), 0);

  EXPECT_TRUE(def.SendMessage(WM_GETDLGCODE) & DLGC_DEFPUSHBUTTON);
  EXPECT_TRUE(plain.SendMessage(WM_GETDLGCODE) & DLGC_UNDEFPUSHBUTTON);
  EXPECT_FALSE(plain.SendMessage(WM_GETDLGCODE) & DLGC_DEFPUSHBUTTON);
  plain.SendMessage(BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);  // as a dialog moves its default
  EXPECT_TRUE(plain.SendMessage(WM_GETDLGCODE) & DLGC_DEFPUSHBUTTON);
  EXPECT_EQ(plain.GetStyle() & BS_TYPEMASK, (DWORD)BS_OWNERDRAW);

  EXPECT_EQ(plain.SetIcon(9999), 1u);
  EXPECT_EQ(plain.SetIcon(IDI_SQUARE, 9999), 1u);
  EXPECT_EQ(plain.SetPressedStyle(5), 6u);
  EXPECT_EQ(plain.SetPressedStyle(1), 0u);
}

TEST_F(Buttons, GreyIconAwayFromThePointerColourIconUnderIt) {
  CIconButton icon, check, disabled;
  CHoverButton hover;
  ASSERT_TRUE(icon.Create("", WS_CHILD | WS_VISIBLE, CRect(10, 10, 60, 60), &m_host, BTN_ICON));
  ASSERT_EQ(icon.SetIcon(IDI_SQUARE, CIconButton::ICON_GREY), 0u);
  // Companions for the screenshot: checked, disabled, with text, and a hover button.
  ASSERT_TRUE(check.Create("Checked", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, CRect(70, 10, 190, 60), &m_host, BTN_CHECK));
  check.SetIcon(IDI_SQUARE);
  check.SetCheck(TRUE);
  ASSERT_TRUE(disabled.Create("Disabled", WS_CHILD | WS_VISIBLE | WS_DISABLED, CRect(200, 10, 320, 60), &m_host,
                              BTN_DISABLED));
  disabled.SetIcon(IDI_SQUARE);
  disabled.SetFlat(FALSE);
  ASSERT_TRUE(hover.Create("Hover me", WS_CHILD | WS_VISIBLE | BS_FLAT, CRect(10, 120, 130, 150), &m_host, BTN_HOVER));

  const int cx = 25, cy = 25;  // inside the red square of the icon
  ASSERT_TRUE(PixelBecomes(icon.m_hWnd, cx, cy, [](COLORREF c) {
    return GetRValue(c) == GetGValue(c) && GetGValue(c) == GetBValue(c) && GetRValue(c) == 76;
  })) << std::hex << xtools::ScreenPixel(icon.m_hWnd, cx, cy);
  EXPECT_FALSE(icon.IsHovered());

  RECT rc;
  icon.GetWindowRect(&rc);
  ASSERT_TRUE(xtools::MouseTo(rc.left + 3, rc.top + 3));
  ASSERT_TRUE(guitest::PumpUntil([&] { return icon.IsHovered() != FALSE; }));
  ASSERT_TRUE(PixelBecomes(icon.m_hWnd, cx, cy, [](COLORREF c) { return c == RGB(255, 0, 0); }))
      << std::hex << xtools::ScreenPixel(icon.m_hWnd, cx, cy);
  xtools::Screenshot("/tmp/buttons_icons.png");

  ASSERT_TRUE(xtools::MouseTo(5, 5));
  ASSERT_TRUE(guitest::PumpUntil([&] { return !icon.IsHovered(); }));
  ASSERT_TRUE(PixelBecomes(icon.m_hWnd, cx, cy, [](COLORREF c) { return c == RGB(76, 76, 76); }));

  // The hover button: its raised frame under the pointer, gone when it leaves.
  const COLORREF hilight = ::GetSysColor(COLOR_3DHILIGHT), face = ::GetSysColor(COLOR_3DFACE);
  ASSERT_NE(hilight, face);
  EXPECT_TRUE(PixelBecomes(hover.m_hWnd, 0, 0, [&](COLORREF c) { return c == face; }));
  POINT pt = xtools::Centre(hover.m_hWnd);
  ASSERT_TRUE(xtools::MouseTo(pt.x, pt.y));
  ASSERT_TRUE(guitest::PumpUntil([&] { return hover.IsHoverDrawn() != FALSE; }));
  EXPECT_TRUE(PixelBecomes(hover.m_hWnd, 0, 0, [&](COLORREF c) { return c == hilight; }));
  xtools::Screenshot("/tmp/buttons_hover.png");
  ASSERT_TRUE(xtools::MouseTo(5, 5));
  ASSERT_TRUE(guitest::PumpUntil([&] { return !hover.IsHoverDrawn(); }));
  EXPECT_TRUE(PixelBecomes(hover.m_hWnd, 0, 0, [&](COLORREF c) { return c == face; }));
}

struct Opened {
  std::string target;
  int show = -1;
} g_opened;
INT_PTR RecordOpen(const char* target, int show) {
  g_opened = {target, show};
  return 33;
}
BOOL RecordRun(const char*, int) { return FALSE; }

TEST_F(Buttons, AddressButtonOpensItsAddressMaximisedThroughTheLauncher) {
  static const ToolkitLauncher recorder = {RecordOpen, RecordRun};
  SetToolkitLauncher(&recorder);
  CIconButton link;
  ASSERT_TRUE(link.Create("Home page", WS_CHILD | WS_VISIBLE, CRect(10, 10, 130, 40), &m_host, BTN_ICON));
  link.SetURL("http://127.0.0.1/zarn");
  POINT pt = xtools::Centre(link.m_hWnd);
  ASSERT_TRUE(xtools::ClickAt(pt.x, pt.y));
  ASSERT_TRUE(guitest::PumpUntil([&] { return m_host.Count(BTN_ICON) == 1; }));
  SetToolkitLauncher(nullptr);
  EXPECT_EQ(g_opened.target, "http://127.0.0.1/zarn");
  EXPECT_EQ(g_opened.show, SW_SHOWMAXIMIZED);
}

TEST_F(Buttons, MenuButtonPostsTheChosenIdToItsOwner) {
  CIconButton menu;
  ASSERT_TRUE(menu.Create("Menu", WS_CHILD | WS_VISIBLE, CRect(10, 10, 110, 40), &m_host, BTN_MENU));
  ASSERT_TRUE(menu.SetMenu(IDM_DROPDOWN, m_host.m_hWnd));
  EXPECT_FALSE(menu.SetMenu(9999, m_host.m_hWnd));
  ASSERT_TRUE(menu.SetMenu(IDM_DROPDOWN, m_host.m_hWnd));

  // Picks the second item whenever the popup comes on screen, until the pick
  // has been counted: on a loaded machine the click may open it late, and a
  // popup nobody answers would hold the test in its menu loop for good.
  std::atomic<bool> done{false};
  std::thread picker([&done] {
    auto visible = [] {
      HWND h = nullptr;
      while ((h = ::FindWindowExA(nullptr, h, "#32768", nullptr)) != nullptr) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(h, &pid);
        if (pid == ::GetCurrentProcessId() && ::IsWindowVisible(h))
          return h;
      }
      return (HWND) nullptr;
    };
    while (!done.load()) {
      if (HWND hPopup = visible()) {
        for (UINT vk : {VK_DOWN, VK_DOWN, VK_RETURN})
          ::PostMessageA(hPopup, WM_KEYDOWN, vk, 0);
        while (!done.load() && ::IsWindow(hPopup) && ::IsWindowVisible(hPopup))
          ::Sleep(20);
      }
      ::Sleep(20);
    }
  });
  POINT pt = xtools::Centre(menu.m_hWnd);
  bool bClicked = xtools::ClickAt(pt.x, pt.y);
  const bool bPicked = bClicked && guitest::PumpUntil([&] { return m_host.Count(ID_SECOND_CHOICE, 0) == 1; });
  done = true;
  picker.join();
  ASSERT_TRUE(bClicked);
  ASSERT_TRUE(bPicked);
  EXPECT_EQ(m_host.Count(ID_FIRST_CHOICE, 0), 0);
  EXPECT_EQ(m_host.Count(BTN_MENU), 1);  // the parent still hears the click
}

TEST_F(Buttons, ColourButtonAndItsPalette) {
  CColorButton color;
  CEdit linked;
  ASSERT_TRUE(color.Create("", WS_CHILD | WS_VISIBLE, CRect(10, 10, 50, 34), &m_host, BTN_COLOR));
  ASSERT_TRUE(linked.Create(WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(60, 10, 160, 34), &m_host, BTN_LINKED));
  color.SetLinkedWindow(&linked);
  EXPECT_EQ(color.GetColor(), ::GetSysColor(COLOR_3DFACE));

  color.SetColor(RGB(0x12, 0x34, 0x56));
  ASSERT_TRUE(m_host.Drain());
  EXPECT_EQ(m_host.Count(BTN_COLOR), 1);
  EXPECT_STREQ(guitest::Text(linked.m_hWnd), "123456");

  // A real press and release on the button: the palette opens and stays.
  POINT pt = xtools::Centre(color.m_hWnd);
  ASSERT_TRUE(xtools::ClickAt(pt.x, pt.y));
  ASSERT_TRUE(guitest::PumpUntil([&] { return color.IsPaletteOpen() != FALSE; }));
  HWND hPalette = ::FindWindowA(CColorPalette::ClassName(), "Palatte");
  ASSERT_NE(hPalette, nullptr);
  RECT rcButton, rcPalette;
  color.GetWindowRect(&rcButton);
  ::GetWindowRect(hPalette, &rcPalette);
  EXPECT_EQ(rcPalette.left, rcButton.left);
  EXPECT_EQ(rcPalette.top, rcButton.bottom);
  EXPECT_EQ(rcPalette.right - rcPalette.left, 191);
  EXPECT_EQ(rcPalette.bottom - rcPalette.top, 150);
  ASSERT_TRUE(m_host.Drain());
  EXPECT_TRUE(color.IsPaletteOpen());
  EXPECT_TRUE(::IsWindowVisible(hPalette));

  // Over cell (2, 3), then a click there: the colour is applied.
  POINT ptCell = {2 * PALETTE_CELL + 4, 3 * PALETTE_CELL + 4};
  ::ClientToScreen(hPalette, &ptCell);
  ASSERT_TRUE(xtools::MouseTo(ptCell.x, ptCell.y));
  ASSERT_TRUE(guitest::PumpUntil([&] { return color.GetPalette()->GetCurrent() == PaletteCellColor(2, 3); }));
  xtools::Screenshot("/tmp/buttons_palette.png");
  ASSERT_TRUE(xtools::ClickAt(ptCell.x, ptCell.y));
  ASSERT_TRUE(guitest::PumpUntil([&] { return !color.IsPaletteOpen(); }));
  EXPECT_EQ(::FindWindowA(CColorPalette::ClassName(), nullptr), nullptr);
  WNDCLASSA wc;
  EXPECT_FALSE(::GetClassInfoA(AfxGetInstanceHandle(), CColorPalette::ClassName(), &wc));  // unregistered
  EXPECT_EQ(color.GetColor(), PaletteCellColor(2, 3));
  ASSERT_TRUE(m_host.Drain());
  EXPECT_EQ(m_host.Count(BTN_COLOR), 2);
  char sz[8];
  FormatColorHex(PaletteCellColor(2, 3), sz);
  EXPECT_STREQ(guitest::Text(linked.m_hWnd), sz);

  // Choosing the colour already set closes the palette and sends nothing.
  ASSERT_TRUE(xtools::ClickAt(pt.x, pt.y));
  ASSERT_TRUE(guitest::PumpUntil([&] { return color.IsPaletteOpen() != FALSE; }));
  hPalette = ::FindWindowA(CColorPalette::ClassName(), "Palatte");
  ASSERT_NE(hPalette, nullptr);
  ptCell = {2 * PALETTE_CELL + 4, 3 * PALETTE_CELL + 4};
  ::ClientToScreen(hPalette, &ptCell);
  ASSERT_TRUE(xtools::ClickAt(ptCell.x, ptCell.y));
  ASSERT_TRUE(guitest::PumpUntil([&] { return !color.IsPaletteOpen(); }));
  ASSERT_TRUE(m_host.Drain());
  EXPECT_EQ(m_host.Count(BTN_COLOR), 2);
  EXPECT_EQ(color.GetColor(), PaletteCellColor(2, 3));
}

TEST_F(Buttons, PaletteButtonOpensTheFullColourDialog) {
  CColorButton color;
  ASSERT_TRUE(color.Create("", WS_CHILD | WS_VISIBLE, CRect(10, 10, 50, 34), &m_host, BTN_COLOR));
  POINT pt = xtools::Centre(color.m_hWnd);
  ASSERT_TRUE(xtools::ClickAt(pt.x, pt.y));
  ASSERT_TRUE(guitest::PumpUntil([&] { return color.IsPaletteOpen() != FALSE; }));
  HWND hPalette = ::FindWindowA(CColorPalette::ClassName(), "Palatte");
  ASSERT_NE(hPalette, nullptr);
  POINT ptMore = {167 + 8, 126 + 8};
  ::ClientToScreen(hPalette, &ptMore);

  // The colour dialog runs modally inside the click; a helper cancels it
  // once it is on screen, after noting that it opened with its custom part.
  volatile bool bSawDialog = false, bFullOpen = false;
  std::thread closer([&] {
    DWORD dwStart = ::GetTickCount();
    while (::GetTickCount() - dwStart < 30000) {
      HWND h = nullptr;
      while ((h = ::FindWindowExA(nullptr, h, "#32770", nullptr)) != nullptr) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(h, &pid);
        if (pid == ::GetCurrentProcessId() && ::IsWindowVisible(h)) {
          bSawDialog = true;
          HWND hDefine = ::GetDlgItem(h, 0x2cf);  // "Define Custom Colors", disabled when fully open
          bFullOpen = hDefine == nullptr || !::IsWindowEnabled(hDefine);
          ::PostMessageA(h, WM_COMMAND, IDCANCEL, 0);
          return;
        }
      }
      ::Sleep(20);
    }
  });
  bool bClicked = xtools::ClickAt(ptMore.x, ptMore.y);
  ASSERT_TRUE(guitest::PumpUntil([&] { return bSawDialog && !color.IsPaletteOpen(); }));
  closer.join();
  ASSERT_TRUE(bClicked);
  EXPECT_TRUE(bFullOpen);
  ASSERT_TRUE(m_host.Drain());
  EXPECT_EQ(m_host.Count(BTN_COLOR), 0);  // cancelled: nothing applied
  EXPECT_EQ(color.GetColor(), ::GetSysColor(COLOR_3DFACE));
}

}  // namespace
