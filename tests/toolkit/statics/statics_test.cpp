#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/toolkit/wintest.h"
#include "toolkit/hyperlink.h"
#include "toolkit/launcher.h"
#include "toolkit/memprogress.h"
#include "toolkit/panesplitter.h"
#include "toolkit/splitterbar.h"
#include "toolkit/transparentstatic.h"

#include <shlwapi.h>

CWinApp theApp("toolkit_statics");

namespace {

using wintest::PumpUntil;

constexpr UINT kBarId = 1054;
const COLORREF kPatternA = RGB(255, 0, 0), kPatternB = RGB(255, 255, 0);

// A checkerboard of 4-pixel squares from the client area's origin.
COLORREF PatternAt(int x, int y) { return ((x / 4 + y / 4) % 2) ? kPatternB : kPatternA; }

HBRUSH PatternBrush() {
  static HBRUSH brush = [] {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = 8;
    bi.bmiHeader.biHeight = -8;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    DWORD bits[64];
    for (int y = 0; y < 8; y++)
      for (int x = 0; x < 8; x++) {
        const COLORREF c = PatternAt(x, y);
        bits[y * 8 + x] = (DWORD)(GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c));
      }
    HDC screen = ::GetDC(nullptr);
    HBITMAP bm = ::CreateDIBitmap(screen, &bi.bmiHeader, CBM_INIT, bits, &bi, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    return ::CreatePatternBrush(bm);
  }();
  return brush;
}

// The test window: patterned, on top, and the bar's notifications recorded.
class CHost : public CWnd {
public:
  std::vector<int> deltas;
  CStatic left, right;

  BOOL Make(int x, int y, int cx, int cy, HBRUSH background = PatternBrush()) {
    LPCTSTR cls = AfxRegisterWndClass(0, ::LoadCursorA(nullptr, (LPCSTR)IDC_ARROW), background);
    return CreateEx(WS_EX_TOPMOST, cls, "statics", WS_POPUP | WS_VISIBLE, x, y, cx, cy, nullptr, nullptr);
  }

protected:
  void OnBarMoved(NMHDR* pNMHDR, LRESULT* pResult) {
    const int delta = reinterpret_cast<SplitterBarNotify*>(pNMHDR)->delta;
    deltas.push_back(delta);
    CSplitterBar::ChangeWidth(&left, delta, 1);
    CSplitterBar::ChangeWidth(&right, delta, 2);
    *pResult = 0;
  }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CHost, CWnd)
  ON_NOTIFY(UWM_SPLITTERBAR_MOVED, kBarId, OnBarMoved)
END_MESSAGE_MAP()

CRect InParent(const CWnd& w) {
  CRect r;
  w.GetWindowRect(&r);
  w.GetParent()->ScreenToClient(&r);
  return r;
}

class StaticsTest : public ::testing::Test {
protected:
  void SetUp() override { guitest::BecomeGuiThread(); }
};

TEST_F(StaticsTest, BarDraggedPastItsRangeStopsAtTheEndAndSendsTheDistanceFromThePress) {
  CHost host;
  ASSERT_TRUE(host.Make(60, 60, 500, 320));
  ASSERT_TRUE(host.left.Create("left", WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(10, 10, 200, 300), &host));
  ASSERT_TRUE(host.right.Create("right", WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(210, 10, 490, 300), &host));
  CSplitterBar bar;
  ASSERT_TRUE(bar.Create(WS_CHILD | WS_VISIBLE, CRect(200, 10, 210, 300), &host, kBarId));
  EXPECT_EQ(bar.GetOrientation(), CSplitterBar::kVertical);
  EXPECT_EQ(InParent(bar).Width(), CSplitterBar::kThickness);
  const int start = bar.GetCentre();
  EXPECT_EQ(start, 205);
  bar.SetRangeAround(55, 60);  // 150 .. 265
  ::SetForegroundWindow(host.m_hWnd);

  const POINT press = wintest::ScreenCentre(bar.m_hWnd);
  bool held = false;
  for (int attempt = 0; attempt < 3 && !held; attempt++) {
    wintest::Xdo(wintest::MoveTo(press.x, press.y) + " mousedown 1 sleep 0.2 mousemove " +
                 std::to_string(press.x + 200) + " " + std::to_string(press.y + 40) + " sleep 0.2");
    held = PumpUntil([&] { return bar.IsTracking() && bar.GetTrackPosition() == 265; }, 5000);
    if (!held)
      wintest::Xdo("mouseup 1");
  }
  ASSERT_TRUE(held) << "the tracker follows the pointer up to the range's end";
  wintest::Shot("toolkit_splitterbar_drag");
  wintest::Xdo("mouseup 1");
  ASSERT_TRUE(PumpUntil([&] { return !host.deltas.empty(); }, 10000));

  EXPECT_EQ(host.deltas, (std::vector<int>{60}));
  EXPECT_EQ(bar.GetCentre(), 265);
  EXPECT_EQ(InParent(bar).top, 10) << "only the moving coordinate changes";
  EXPECT_EQ(InParent(host.left).right, 260);
  EXPECT_EQ(InParent(host.right).left, 270);
  EXPECT_EQ(InParent(host.right).right, 490);
}

class CPaneView : public CWnd {
  DECLARE_DYNCREATE(CPaneView)
};
IMPLEMENT_DYNCREATE(CPaneView, CWnd)

class CRefusedView : public CWnd {
  DECLARE_DYNCREATE(CRefusedView)
public:
  BOOL PreCreateWindow(CREATESTRUCT&) override { return FALSE; }
  void PostNcDestroy() override { delete this; }
};
IMPLEMENT_DYNCREATE(CRefusedView, CWnd)

TEST_F(StaticsTest, PaneViewsSwapTheirIdsAndTheOwnersSizesStay) {
  CHost host;
  ASSERT_TRUE(host.Make(60, 60, 400, 300));
  CPaneSplitterWnd splitter;
  ASSERT_TRUE(splitter.CreateStatic(&host, 1, 2));
  splitter.SetColumnInfo(0, 150, 10);
  const int paneId = splitter.IdFromRowCol(0, 0);

  const int first = splitter.AddView(0, 0, RUNTIME_CLASS(CPaneView), nullptr);
  const int second = splitter.AddView(0, 0, RUNTIME_CLASS(CPaneView), nullptr);
  ASSERT_EQ(first, 1);
  ASSERT_EQ(second, 2);
  HWND a = splitter.GetView(first)->m_hWnd, b = splitter.GetView(second)->m_hWnd;
  EXPECT_EQ(::GetDlgCtrlID(b), paneId);
  EXPECT_TRUE(::IsWindowVisible(b));
  EXPECT_EQ(::GetDlgCtrlID(a), 0);
  EXPECT_FALSE(::IsWindowVisible(a));
  int cx = 0, cxMin = 0;
  splitter.GetColumnInfo(0, cx, cxMin);
  EXPECT_EQ(cx, 150) << "a new view does not take the column's width";

  EXPECT_TRUE(splitter.ShowView(first));
  EXPECT_EQ(::GetDlgCtrlID(a), paneId);
  EXPECT_TRUE(::IsWindowVisible(a));
  EXPECT_EQ(::GetDlgCtrlID(b), 0);
  EXPECT_FALSE(::IsWindowVisible(b));
  EXPECT_TRUE(splitter.ShowView(first)) << "the shown view stays shown";
  EXPECT_EQ(::GetDlgCtrlID(a), paneId);
  EXPECT_FALSE(splitter.ShowView(3));
  EXPECT_FALSE(splitter.ShowView(0));

  EXPECT_EQ(splitter.AddView(0, 0, RUNTIME_CLASS(CRefusedView), nullptr), -1);
  EXPECT_EQ(::GetDlgCtrlID(a), paneId) << "the view shown before shows again";
  EXPECT_TRUE(::IsWindowVisible(a));
  EXPECT_EQ(splitter.AddView(0, 1, RUNTIME_CLASS(CPaneView), nullptr), 3) << "ids go on counting";
}

struct Launches {
  std::vector<std::string> opened, run;
};
Launches g_launches;
INT_PTR RecordOpen(const char* target, int) {
  g_launches.opened.push_back(target);
  return 2;  // the file was not found: no association
}
BOOL RecordRun(const char* commandLine, int) {
  g_launches.run.push_back(commandLine);
  return TRUE;
}
const ToolkitLauncher kRecorder = {RecordOpen, RecordRun};

// The ".htm" class of HKEY_CLASSES_ROOT, written where Wine reads it and put back.
class HtmClass {
public:
  HtmClass() {
    char old[MAX_PATH] = "";
    m_hadOld = CHyperLink::GetRegKey(HKEY_LOCAL_MACHINE, "Software\\Classes\\.htm", old) == ERROR_SUCCESS;
    m_old = old;
    SetDefault("Software\\Classes\\.htm", "ZarnToolkitTestPage");
    SetDefault("Software\\Classes\\ZarnToolkitTestPage\\shell\\open\\command", "\"C:\\zarn\\browser.exe\" -url \"%1\"");
  }
  ~HtmClass() {
    ::SHDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Classes\\ZarnToolkitTestPage");
    if (m_hadOld)
      SetDefault("Software\\Classes\\.htm", m_old.c_str());
    else
      ::SHDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Classes\\.htm");
  }

private:
  static void SetDefault(const char* key, const char* value) {
    HKEY h = nullptr;
    if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h, nullptr) == 0) {
      ::RegSetValueExA(h, nullptr, 0, REG_SZ, (const BYTE*)value, (DWORD)strlen(value) + 1);
      ::RegCloseKey(h);
    }
  }
  bool m_hadOld;
  std::string m_old;
};

TEST_F(StaticsTest, LinksFitTheirTextAndAClickRunsTheHtmBrowserWhenTheShellFails) {
  CHost host;
  ASSERT_TRUE(host.Make(60, 60, 420, 260, (HBRUSH)(COLOR_BTNFACE + 1)));
  const CRect box(20, 20, 320, 60);
  CHyperLink links[4];
  const DWORD styles[4] = {SS_LEFT, SS_CENTER, SS_RIGHT, SS_LEFT | SS_CENTERIMAGE};
  for (int i = 0; i < 4; i++) {
    CRect r = box;
    r.OffsetRect(0, 50 * i);
    ASSERT_TRUE(links[i].Create("http://h/x", WS_CHILD | WS_VISIBLE | styles[i], r, &host, 100 + i));
  }
  CSize text;
  {
    CClientDC dc(&links[0]);
    CFont* old = dc.SelectObject(CFont::FromHandle((HFONT)links[0].SendMessage(WM_GETFONT)));
    text = dc.GetTextExtent("http://h/x");
    dc.SelectObject(old);
  }
  ASSERT_GT(text.cx, 0);
  for (int i = 0; i < 4; i++)
    EXPECT_EQ(InParent(links[i]).Width(), text.cx) << i;
  EXPECT_EQ(InParent(links[0]).left, 20);
  EXPECT_EQ(InParent(links[0]).top, 20);
  EXPECT_NEAR((InParent(links[1]).left + InParent(links[1]).right) / 2.0, 170, 1);
  EXPECT_EQ(InParent(links[2]).right, 320);
  EXPECT_NEAR((InParent(links[3]).top + InParent(links[3]).bottom) / 2.0, 190, 1) << "centred image: the middle";
  wintest::Shot("toolkit_hyperlink_plain");

  HtmClass htm;
  g_launches = {};
  SetToolkitLauncher(&kRecorder);
  ::SetForegroundWindow(host.m_hWnd);
  const POINT p = wintest::ScreenCentre(links[0].m_hWnd);
  wintest::Xdo(wintest::MoveTo(p.x, p.y));
  if (PumpUntil([&] { return links[0].IsOverLink() != FALSE; }, 5000))
    wintest::Shot("toolkit_hyperlink_hover");
  EXPECT_TRUE(wintest::ClickUntil(p.x, p.y, [&] { return !g_launches.run.empty(); }));
  SetToolkitLauncher(nullptr);
  ASSERT_FALSE(g_launches.opened.empty());
  EXPECT_EQ(g_launches.opened[0], "http://h/x");
  ASSERT_EQ(g_launches.run.size(), 1u);
  EXPECT_EQ(g_launches.run[0], "\"C:\\zarn\\browser.exe\" -url  http://h/x");
  EXPECT_TRUE(links[0].GetVisited()) << "a started browser counts as opened";
}

TEST_F(StaticsTest, TransparentBitmapShowsTheParentAndTheBarPaintsItsGradient) {
  CHost host;
  ASSERT_TRUE(host.Make(60, 60, 420, 200));
  // A blue square on the key colour.
  CDC screen;
  screen.Attach(::GetDC(nullptr));
  CBitmap bitmap;
  ASSERT_TRUE(bitmap.CreateCompatibleBitmap(&screen, 32, 32));
  {
    CDC dc;
    dc.CreateCompatibleDC(&screen);
    CBitmap* old = dc.SelectObject(&bitmap);
    dc.FillSolidRect(0, 0, 32, 32, kTransparentKey);
    dc.FillSolidRect(8, 8, 16, 16, RGB(0, 0, 255));
    dc.SelectObject(old);
  }
  ::ReleaseDC(nullptr, screen.Detach());
  CTransparentStatic picture;
  ASSERT_TRUE(picture.Create(nullptr, WS_CHILD | WS_VISIBLE | SS_BITMAP, CRect(41, 23, 73, 55), &host, 200));
  picture.SetBitmap(bitmap);

  CMemProgressBar bar;
  ASSERT_TRUE(bar.Create(WS_CHILD | WS_VISIBLE, CRect(20, 100, 320, 130), &host, 201));
  bar.SetRange(0, 100);
  bar.SetPos(40);
  bar.SetShowText(TRUE);
  host.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);

  HDC dc = ::GetDC(host.m_hWnd);
  EXPECT_EQ(::GetPixel(dc, 41 + 2, 23 + 2), PatternAt(43, 25)) << "the key colour shows the parent";
  EXPECT_EQ(::GetPixel(dc, 41 + 30, 23 + 17), PatternAt(71, 40));
  EXPECT_EQ(::GetPixel(dc, 41 + 16, 23 + 16), RGB(0, 0, 255));
  ::ReleaseDC(host.m_hWnd, dc);
  CRect client;
  bar.GetClientRect(&client);
  dc = ::GetDC(bar.m_hWnd);
  EXPECT_EQ(::GetPixel(dc, 0, 2), RGB(255, 0, 0)) << "the gradient starts at the start colour";
  EXPECT_NE(::GetPixel(dc, client.Width() * 40 / 100 - 4, 2), ::GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(::GetPixel(dc, client.Width() * 85 / 100, 2), ::GetSysColor(COLOR_BTNFACE)) << "the background after 40 %";
  ::ReleaseDC(bar.m_hWnd, dc);
  wintest::Shot("toolkit_transparent_and_progress");
}

}  // namespace
