// A frame with a rebar and toolbar, a status bar and dynamic bars that dock,
// float and are dragged with the real pointer; toolbar and status updates; the
// bar layout across a restart of the process.
#include "framework/afxwin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "resids.h"

CWinApp theApp("framework_bars");

// Named, not anonymous: the map functions of the classes below are virtual.
namespace barstest {

int g_nNested = 0;      // dock requests a dynamic bar answered with a frame layout
int g_nCommandB = 0;    // button B reached the frame
int g_nDropDown = 0;    // TBN_DROPDOWN reached the toolbar
BOOL g_bDisableA = TRUE;

template <class Pred>
bool PumpUntil(Pred pred, DWORD dwMs = 30000) {
  DWORD dwStart = ::GetTickCount();
  while (!pred()) {
    if (::GetTickCount() - dwStart > dwMs)
      return false;
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return true;
}

void PumpPending() {
  PumpUntil([] {
    MSG msg;
    return !::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
  }, 5000);
}

// Starts a program of the X side (xdotool, import). Wine never signals the end
// of a Unix process, so callers wait on what the program changes instead.
bool StartUnix(const char* pszCommand) {
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!::CreateProcessA(nullptr, const_cast<char*>(pszCommand), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return false;
  // Wine gives no process handle for a Unix program and leaves the thread word
  // as it was: closing it could close any handle of ours.
  if (pi.hProcess != nullptr) {
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
  }
  return true;
}

// The root window as a PNG; waits until the file is complete (its size holds).
void Screenshot(const char* pszName) {
  PumpPending();
  char szUnix[200], szPath[200];
  snprintf(szPath, sizeof szPath, "Z:\\tmp\\%s.png", pszName);
  ::DeleteFileA(szPath);
  snprintf(szUnix, sizeof szUnix, "Z:\\usr\\bin\\import -window root /tmp/%s.png", pszName);
  ASSERT_TRUE(StartUnix(szUnix));
  DWORD dwLast = 0;
  int nSame = 0;
  bool bDone = PumpUntil([&] {
    WIN32_FILE_ATTRIBUTE_DATA fad = {};
    DWORD dwSize = ::GetFileAttributesExA(szPath, GetFileExInfoStandard, &fad) ? fad.nFileSizeLow : 0;
    nSame = dwSize != 0 && dwSize == dwLast ? nSame + 1 : 0;
    dwLast = dwSize;
    return nSame >= 20;  // unchanged over 20 rounds of the pump
  }, 30000);
  EXPECT_TRUE(bDone) << "no screenshot " << szPath;
}

// Presses at from(), moves to `to` and lets go with the X server's pointer;
// then waits for done(). A loaded server may drop a motion: up to three tries,
// each from where the window is now.
template <class From, class Pred>
bool PointerDrag(From from, CPoint to, Pred done) {
  for (int i = 0; i < 3; i++) {
    CPoint pt = from();
    char sz[400];
    snprintf(sz, sizeof sz,
             "Z:\\usr\\bin\\xdotool mousemove 0 0 sleep 0.2 mousemove %ld %ld sleep 0.3 mousedown 1 sleep 0.3 "
             "mousemove %ld %ld sleep 0.3 mousemove %ld %ld sleep 0.3 mousemove %ld %ld sleep 0.3 mouseup 1",
             pt.x, pt.y, pt.x + 12, pt.y + 12, (pt.x + to.x) / 2, (pt.y + to.y) / 2, to.x, to.y);
    if (!StartUnix(sz))
      return false;
    if (PumpUntil(done, 10000))
      return true;
  }
  return false;
}

template <class Pred>
bool PointerClick(CPoint at, Pred done) {
  char sz[200];
  snprintf(sz, sizeof sz, "Z:\\usr\\bin\\xdotool mousemove 0 0 sleep 0.2 mousemove %ld %ld sleep 0.3 click 1", at.x,
           at.y);
  for (int i = 0; i < 3; i++) {
    if (!StartUnix(sz))
      return false;
    if (PumpUntil(done, 10000))
      return true;
  }
  return false;
}

// A dynamic bar 150 high docked at the top or bottom, 120 wide at a side.
class CDynBar : public CControlBar {
public:
  CSize m_sizeFloat = CSize(220, 110);
  BOOL Create(CFrameWnd* pFrame, LPCTSTR pszTitle, UINT nID) {
    LPCTSTR cls = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorA(nullptr, (LPCSTR)IDC_ARROW),
                                      (HBRUSH)(COLOR_BTNFACE + 1));
    return CreateBar(0, cls, pszTitle,
                     WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | CBRS_BOTTOM | CBRS_GRIPPER | CBRS_SIZE_DYNAMIC, 0,
                     pFrame, nID);
  }
  CSize CalcFixedLayout(BOOL, BOOL bHorz) override { return bHorz ? CSize(32767, 150) : CSize(120, 32767); }
  CSize CalcDynamicLayout(int nLength, DWORD dwMode) override {
    if (dwMode & (LM_HORZDOCK | LM_VERTDOCK)) {
      // As the sizing bar does: the frame is laid out again from inside its layout.
      g_nNested++;
      m_pDockSite->RecalcLayout();
      return CalcFixedLayout(FALSE, (dwMode & LM_HORZDOCK) != 0);
    }
    if (dwMode & LM_MRUWIDTH)
      return m_sizeFloat;
    if (dwMode & LM_COMMIT)
      m_sizeFloat.cx = std::max(nLength, 60);
    else if (dwMode & LM_LENGTHY)
      m_sizeFloat.cy = std::max(nLength, 40);
    return m_sizeFloat;
  }
  void OnUpdateCmdUI(CFrameWnd*, BOOL) override {}

protected:
  afx_msg void OnPaint() {
    CPaintDC dc(this);
    CRect rc;
    GetClientRect(&rc);
    HBRUSH hBrush = ::CreateSolidBrush(RGB(220, 232, 250));  // apart from the white pane in screenshots
    ::FillRect(dc.m_hDC, &rc, hBrush);
    ::DeleteObject(hBrush);
    CString s;
    GetWindowText(s);
    ::SetBkMode(dc.m_hDC, TRANSPARENT);
    rc.top += rc.Height() / 2 - 10;
    ::DrawTextA(dc.m_hDC, s, -1, &rc, DT_CENTER | DT_WORDBREAK);
  }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CDynBar, CControlBar)
  ON_WM_PAINT()
END_MESSAGE_MAP()

class CTestToolBar : public CToolBar {
protected:
  afx_msg void OnDropDown(NMHDR*, LRESULT* pResult) {
    g_nDropDown++;
    *pResult = TBDDRET_DEFAULT;
  }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CTestToolBar, CToolBar)
  ON_NOTIFY_REFLECT(TBN_DROPDOWN, OnDropDown)
END_MESSAGE_MAP()

const UINT kIndicators[] = {61440, 61441, 61442, 61443, 61444, 61445, 61446,
                            61447, 61448, 61449, 61450, 61451, 0};

class CBarsFrame : public CFrameWnd {
public:
  CReBar m_wndReBar;
  CTestToolBar m_wndToolBar;
  CToolBar m_wndToolBar2;
  CStatusBar m_wndStatusBar;
  CDynBar m_wndDyn, m_wndDyn2;
  CWnd m_wndPane, m_wndPaneChild;

  CDockBar* Dock(UINT nID) { return static_cast<CDockBar*>(GetControlBar(nID)); }
  // The pane's rectangle in the frame's client coordinates.
  CRect PaneRect() {
    CRect rc;
    m_wndPane.GetWindowRect(&rc);
    ScreenToClient(&rc);
    return rc;
  }

protected:
  afx_msg int OnCreate(LPCREATESTRUCT lpcs) {
    if (CFrameWnd::OnCreate(lpcs) == -1)
      return -1;
    if (!m_wndPane.Create("STATIC", "", WS_CHILD | WS_VISIBLE | SS_WHITERECT, CRect(0, 0, 0, 0), this,
                          AFX_IDW_PANE_FIRST))
      return -1;
    if (!m_wndToolBar.CreateEx(this, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_TOOLTIPS) ||
        !m_wndToolBar.LoadToolBar(IDR_TOOLBAR))
      return -1;
    m_wndToolBar.SetWindowText("ZARN Toolbar");
    if (!m_wndReBar.Create(this) || !m_wndReBar.AddBar(&m_wndToolBar))
      return -1;
    if (!m_wndStatusBar.Create(this) || !m_wndStatusBar.SetIndicators(kIndicators, 13))
      return -1;
    EnableDocking(CBRS_ALIGN_ANY);
    if (!m_wndDyn.Create(this, "Function Information:", IDW_DYN_BAR) ||
        !m_wndDyn2.Create(this, "Second bar", IDW_DYN_BAR2))
      return -1;
    if (!m_wndToolBar2.CreateEx(this, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER | CBRS_BORDER_ANY,
                                CRect(0, 0, 0, 0), IDW_TOOLBAR2) ||
        !m_wndToolBar2.LoadToolBar(IDR_TOOLBAR))
      return -1;
    m_wndToolBar2.SetWindowText("Second toolbar");
    m_wndDyn.EnableDocking(CBRS_ALIGN_ANY);
    m_wndDyn2.EnableDocking(CBRS_ALIGN_ANY);
    m_wndToolBar2.EnableDocking(CBRS_ALIGN_ANY);
    DockControlBar(&m_wndDyn, AFX_IDW_DOCKBAR_BOTTOM);
    ShowControlBar(&m_wndDyn2, FALSE, FALSE);
    DockControlBar(&m_wndDyn2, AFX_IDW_DOCKBAR_BOTTOM);
    ShowControlBar(&m_wndToolBar2, FALSE, FALSE);
    DockControlBar(&m_wndToolBar2, AFX_IDW_DOCKBAR_TOP);
    return 0;
  }
  afx_msg void OnCommandA() {}
  afx_msg void OnCommandB() { g_nCommandB++; }
  afx_msg void OnUpdateA(CCmdUI* pCmdUI) {
    pCmdUI->Enable(!g_bDisableA);
    pCmdUI->SetCheck(1);
  }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CBarsFrame, CFrameWnd)
  ON_WM_CREATE()
  ON_COMMAND(ID_TB_A, OnCommandA)
  ON_COMMAND(ID_TB_B, OnCommandB)
  ON_UPDATE_COMMAND_UI(ID_TB_A, OnUpdateA)
END_MESSAGE_MAP()

class Bars : public ::testing::Test {
protected:
  void SetUp() override {
    theApp.m_nThreadID = ::GetCurrentThreadId();
    theApp.m_hInstance = ::GetModuleHandleA(nullptr);
    if (theApp.m_pszRegistryKey == nullptr)
      theApp.SetRegistryKey("ZarnBarsTest");
    m_pFrame = new CBarsFrame;
    // Topmost: windows of tests running beside this one must not take its clicks.
    ASSERT_TRUE(m_pFrame->Create(nullptr, "Bars", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CRect(60, 60, 860, 660),
                                 nullptr, nullptr, WS_EX_TOPMOST));
    theApp.m_pMainWnd = m_pFrame;
    m_pFrame->ShowWindow(SW_SHOW);
    m_pFrame->UpdateWindow();
    ASSERT_TRUE(PumpUntil([&] { return m_pFrame->IsWindowVisible() != FALSE; }));
  }
  void TearDown() override {
    if (m_pFrame != nullptr && ::IsWindow(m_pFrame->m_hWnd))
      m_pFrame->DestroyWindow();  // deletes the frame
    theApp.m_pMainWnd = nullptr;
    PumpPending();
  }
  void Idle() {
    theApp.OnIdle(0);
    PumpPending();
  }
  CBarsFrame* m_pFrame = nullptr;
};

CRect ClientOf(CWnd* pWnd, CWnd* pTo) {
  CRect rc;
  pWnd->GetWindowRect(&rc);
  pTo->ScreenToClient(&rc);
  return rc;
}

TEST_F(Bars, LayoutDockingAndDragging) {
  CBarsFrame& f = *m_pFrame;
  CRect rcClient;
  f.GetClientRect(&rcClient);
  CRect rcReBar = ClientOf(&f.m_wndReBar, &f), rcStatus = ClientOf(&f.m_wndStatusBar, &f);
  EXPECT_EQ(rcReBar.top, 0);
  EXPECT_GT(rcReBar.Height(), 15);
  EXPECT_EQ(rcStatus.bottom, rcClient.bottom);
  EXPECT_GT(g_nNested, 0);  // the nested layout returned at once
  // The pane gets exactly what the rebar, the status bar and the 150 of the bar leave.
  EXPECT_EQ(f.PaneRect(), CRect(0, rcReBar.Height(), rcClient.right,
                                rcClient.bottom - rcStatus.Height() - 150));
  EXPECT_EQ(ClientOf(&f.m_wndDyn, &f).Height(), 150);

  // A child over pane 7 for the first screenshot.
  CRect rcPane7;
  f.m_wndStatusBar.GetItemRect(7, &rcPane7);
  ASSERT_TRUE(f.m_wndPaneChild.Create("STATIC", "", WS_CHILD | WS_VISIBLE | SS_BLACKRECT, rcPane7,
                                      &f.m_wndStatusBar, 100));
  f.m_wndStatusBar.SetPaneChild(7, f.m_wndPaneChild.m_hWnd);
  Screenshot("bars_frame");

  // Hiding gives the room back; showing takes it again.
  f.ShowControlBar(&f.m_wndDyn, FALSE, FALSE);
  EXPECT_EQ(f.PaneRect().bottom, rcClient.bottom - rcStatus.Height());
  f.ShowControlBar(&f.m_wndDyn, TRUE, FALSE);
  EXPECT_EQ(f.PaneRect().bottom, rcClient.bottom - rcStatus.Height() - 150);

  // Toggling there and back keeps the side and the row.
  f.ShowControlBar(&f.m_wndDyn2, TRUE, FALSE);
  ASSERT_EQ(f.Dock(AFX_IDW_DOCKBAR_BOTTOM)->FindBar(&f.m_wndDyn2), 1);
  f.m_wndDyn2.GetDockContext()->ToggleDocking();
  EXPECT_TRUE(f.m_wndDyn2.IsFloating());
  EXPECT_EQ(f.PaneRect().bottom, rcClient.bottom - rcStatus.Height() - 150);
  f.m_wndDyn2.GetDockContext()->ToggleDocking();
  EXPECT_EQ(f.m_wndDyn2.GetDockBar(), f.Dock(AFX_IDW_DOCKBAR_BOTTOM));
  EXPECT_EQ(f.Dock(AFX_IDW_DOCKBAR_BOTTOM)->FindBar(&f.m_wndDyn2), 1);
  // Closing it floating hides it; docking it again does not show it.
  f.m_wndDyn2.GetDockContext()->ToggleDocking();
  CMiniDockFrameWnd* pMini = GetBarMiniFrame(&f.m_wndDyn2);
  ASSERT_NE(pMini, nullptr);
  pMini->SendMessage(WM_CLOSE);
  EXPECT_FALSE(pMini->IsWindowVisible());
  EXPECT_FALSE(f.m_wndDyn2.IsVisible());
  f.m_wndDyn2.GetDockContext()->ToggleDocking();
  EXPECT_FALSE(f.m_wndDyn2.IsFloating());
  EXPECT_FALSE(f.m_wndDyn2.IsVisible());
  EXPECT_EQ(f.PaneRect().bottom, rcClient.bottom - rcStatus.Height() - 150);

  // Escape in the middle of a drag changes nothing.
  CRect rcDyn;
  f.m_wndDyn.GetWindowRect(&rcDyn);
  CPoint ptGrip(rcDyn.left + 4, rcDyn.top + 40);
  f.m_wndDyn.PostMessage(WM_MOUSEMOVE, 0, MAKELPARAM(300, (WORD)(short)-200));
  f.m_wndDyn.PostMessage(WM_KEYDOWN, VK_ESCAPE, 1);
  f.m_wndDyn.GetDockContext()->StartDrag(ptGrip);
  EXPECT_EQ(f.m_wndDyn.GetDockBar(), f.Dock(AFX_IDW_DOCKBAR_BOTTOM));
  EXPECT_EQ(::GetCapture(), nullptr);

  // The pointer drags the gripper to the frame's middle: the bar floats.
  CRect rcFrame;
  f.GetWindowRect(&rcFrame);
  ASSERT_TRUE(PointerDrag([&] { return ptGrip; }, rcFrame.CenterPoint(),
                          [&] { return f.m_wndDyn.IsFloating() != FALSE; }));
  pMini = GetBarMiniFrame(&f.m_wndDyn);
  ASSERT_NE(pMini, nullptr);
  EXPECT_TRUE(pMini->IsWindowVisible());
  CRect rcMiniClient;
  pMini->GetClientRect(&rcMiniClient);
  EXPECT_EQ(rcMiniClient.Size(), f.m_wndDyn.m_sizeFloat);
  EXPECT_EQ(f.PaneRect().bottom, rcClient.bottom - rcStatus.Height());
  Screenshot("bars_floating");

  // The mini frame's caption dragged to the frame's left edge docks the bar there.
  CPoint ptLeft(0, rcClient.Height() / 2);
  f.ClientToScreen(&ptLeft);
  ptLeft.x += 2;
  auto caption = [&] {
    CRect rcMini;
    CMiniDockFrameWnd* p = GetBarMiniFrame(&f.m_wndDyn);
    if (p == nullptr)
      return CPoint(0, 0);
    ::SetWindowPos(p->m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    p->GetWindowRect(&rcMini);
    return CPoint(rcMini.left + 40, rcMini.top + 3 + ::GetSystemMetrics(SM_CYSMCAPTION) / 2);
  };
  PointerDrag(caption, ptLeft, [&] { return f.m_wndDyn.IsFloating() == FALSE; });
  ASSERT_EQ(f.m_wndDyn.GetDockBar(), f.Dock(AFX_IDW_DOCKBAR_LEFT));
  EXPECT_EQ(f.PaneRect().left, 120);
  EXPECT_EQ(f.PaneRect().bottom, rcClient.bottom - rcStatus.Height());
  Screenshot("bars_left");

  // A double click on the gripper floats it again, at its last floating place.
  CRect rcLeft;
  f.m_wndDyn.GetWindowRect(&rcLeft);
  CPoint ptLeftGrip(rcLeft.left + 40, rcLeft.top + 4);
  char sz[200];
  snprintf(sz, sizeof sz, "Z:\\usr\\bin\\xdotool mousemove 0 0 sleep 0.2 mousemove %ld %ld sleep 0.3 click --repeat 2 --delay 80 1",
           ptLeftGrip.x, ptLeftGrip.y);
  bool bFloated = false;
  for (int i = 0; i < 3 && !bFloated; i++)
    bFloated = StartUnix(sz) && PumpUntil([&] { return f.m_wndDyn.IsFloating() != FALSE; }, 10000);
  EXPECT_TRUE(bFloated);
}

TEST_F(Bars, ToolBarAndStatusBar) {
  CBarsFrame& f = *m_pFrame;
  CToolBar& tb = f.m_wndToolBar;
  // The resource reader: good data, a count that overruns, another version, 32-bit fields.
  ASSERT_EQ(tb.GetToolBarCtrl().GetButtonCount(), 4);
  EXPECT_EQ(tb.GetItemID(1), 0u);
  EXPECT_EQ(tb.CommandToIndex(ID_TB_B), 2);
  CToolBar probe;
  ASSERT_TRUE(probe.Create(&f, WS_CHILD | CBRS_TOP, 0xE890));
  EXPECT_FALSE(probe.LoadToolBar(IDR_TB_SHORT));
  EXPECT_FALSE(probe.LoadToolBar(IDR_TB_VERSION2));
  EXPECT_FALSE(probe.LoadToolBar(IDR_TB_WIDE));
  EXPECT_FALSE(probe.LoadToolBar(999));
  probe.DestroyWindow();

  // After an idle pass: the handler's disable and check, the unhandled button grey,
  // in the rebar and floating alike.
  f.ShowControlBar(&f.m_wndToolBar2, TRUE, FALSE);
  f.FloatControlBar(&f.m_wndToolBar2, CPoint(500, 120));
  ASSERT_TRUE(f.m_wndToolBar2.IsFloating());
  g_bDisableA = TRUE;
  Idle();
  CToolBar* toolbars[] = {&f.m_wndToolBar, &f.m_wndToolBar2};
  for (CToolBar* p : toolbars) {
    CToolBarCtrl& c = p->GetToolBarCtrl();
    EXPECT_FALSE(c.IsButtonEnabled(ID_TB_A));
    EXPECT_TRUE(c.IsButtonChecked(ID_TB_A));
    EXPECT_TRUE(c.IsButtonEnabled(ID_TB_B));
    EXPECT_FALSE(c.IsButtonEnabled(ID_TB_C));
  }
  g_bDisableA = FALSE;
  Idle();
  EXPECT_TRUE(f.m_wndToolBar2.GetToolBarCtrl().IsButtonEnabled(ID_TB_A));

  // A pointer click on a button of the rebar's toolbar reaches the frame's handler,
  // and one on the floating toolbar too.
  CRect rcB;
  tb.GetItemRect(2, &rcB);
  tb.ClientToScreen(&rcB);
  EXPECT_TRUE(PointerClick(rcB.CenterPoint(), [] { return g_nCommandB == 1; }));
  ::SetWindowPos(GetBarMiniFrame(&f.m_wndToolBar2)->m_hWnd, HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  f.m_wndToolBar2.GetItemRect(2, &rcB);
  f.m_wndToolBar2.ClientToScreen(&rcB);
  EXPECT_TRUE(PointerClick(rcB.CenterPoint(), [] { return g_nCommandB == 2; }));

  // A button's tip is its command string after the first newline.
  NMTTDISPINFOA tip = {};
  tip.hdr.code = TTN_GETDISPINFOA;
  tip.hdr.idFrom = ID_TB_B;
  tb.SendMessage(WM_NOTIFY, ID_TB_B, (LPARAM)&tip);
  EXPECT_STREQ(tip.lpszText, "Tip B");

  // TBN_DROPDOWN reaches the bar inside the rebar.
  tb.SetButtonStyle(2, BTNS_WHOLEDROPDOWN);
  tb.GetItemRect(2, &rcB);
  tb.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(rcB.CenterPoint().x, rcB.CenterPoint().y));
  tb.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(rcB.CenterPoint().x, rcB.CenterPoint().y));
  EXPECT_EQ(g_nDropDown, 1);

  // 12 ids and a separator give 13 panes; an id without a string fails.
  CStatusBar& sb = f.m_wndStatusBar;
  EXPECT_EQ(sb.GetCount(), 13);
  EXPECT_EQ(sb.GetPaneText(0), "Start Time:");
  const UINT bad[] = {61440, ID_PANE_NOSTRING, 0};
  EXPECT_FALSE(sb.SetIndicators(bad, 3));
  EXPECT_EQ(sb.GetCount(), 13);
  // The frame's message line is pane 0.
  f.SetMessageText("Ready");
  EXPECT_EQ(sb.GetPaneText(0), "Ready");

  // A child over pane 7 stays on it when earlier panes widen and the frame grows.
  CWnd child;
  CRect rc7;
  sb.GetItemRect(7, &rc7);
  ASSERT_TRUE(child.Create("STATIC", "", WS_CHILD | WS_VISIBLE | SS_BLACKRECT, rc7, &sb, 100));
  sb.SetPaneChild(7, child.m_hWnd);
  UINT nID, nStyle;
  int cx;
  sb.GetPaneInfo(3, nID, nStyle, cx);
  sb.SetPaneInfo(3, nID, nStyle, cx + sb.GetTextWidth("Download No."));
  f.SetWindowPos(nullptr, 0, 0, 900, 700, SWP_NOMOVE | SWP_NOZORDER);
  PumpPending();
  CRect rcNow, rcChild = ClientOf(&child, &sb);
  sb.GetItemRect(7, &rcNow);
  EXPECT_GT(rcNow.left, rc7.left);
  EXPECT_EQ(rcChild, rcNow);
  child.DestroyWindow();
}

// ---- bar state ----

const char kProfile[] = "ZARN_Bar";

void WriteBarInt(int nBar, LPCTSTR lpszEntry, int nValue) {
  CString s;
  s.Format("%s-Bar%d", kProfile, nBar);
  theApp.WriteProfileInt(s, lpszEntry, nValue);
}

int FindSavedBar(UINT nID) {
  CString s;
  for (int i = 0; i < 16; i++) {
    s.Format("%s-Bar%d", kProfile, i);
    if ((UINT)theApp.GetProfileInt(s, "BarID", 0) == nID)
      return i;
  }
  return -1;
}

// The layout the restarted process must find.
void ArrangeForSave(CBarsFrame& f) {
  f.DockControlBar(&f.m_wndDyn, AFX_IDW_DOCKBAR_LEFT);
  f.ShowControlBar(&f.m_wndDyn2, TRUE, FALSE);
  f.FloatControlBar(&f.m_wndDyn2, CPoint(333, 244));
  f.DockControlBar(&f.m_wndToolBar2, AFX_IDW_DOCKBAR_RIGHT);
}

TEST_F(Bars, StateAcrossRestartAndDamage) {
  CBarsFrame& f = *m_pFrame;
  ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\ZarnBarsTest\\framework_bars\\ZARN_Bar-Summary");
  EXPECT_FALSE(f.VerifyBarState(kProfile));  // nothing saved
  ArrangeForSave(f);
  f.SaveBarState(kProfile);
  EXPECT_TRUE(f.VerifyBarState(kProfile));

  // A new frame in a new process.
  char szExe[MAX_PATH];
  ::GetModuleFileNameA(nullptr, szExe, MAX_PATH);
  CString cmd;
  cmd.Format("\"%s\" --gtest_filter=Bars.RestartedProcessLoads", szExe);
  ::SetEnvironmentVariableA("ZARN_BARS_CHILD", "1");
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  ASSERT_TRUE(::CreateProcessA(nullptr, const_cast<char*>((LPCTSTR)cmd), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &si, &pi));
  ::SetEnvironmentVariableA("ZARN_BARS_CHILD", nullptr);
  ASSERT_TRUE(PumpUntil([&] { return ::WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0; }, 120000));
  DWORD dwCode = 99;
  ::GetExitCodeProcess(pi.hProcess, &dwCode);
  ::CloseHandle(pi.hThread);
  ::CloseHandle(pi.hProcess);
  EXPECT_EQ(dwCode, 0u) << "the restarted process did not find the saved layout";

  // Back to the default places, then each damage leaves them alone.
  auto reset = [&] {
    f.DockControlBar(&f.m_wndDyn, AFX_IDW_DOCKBAR_BOTTOM);
    f.DockControlBar(&f.m_wndDyn2, AFX_IDW_DOCKBAR_BOTTOM);
    ArrangeForSave(f);
    f.SaveBarState(kProfile);
    f.DockControlBar(&f.m_wndDyn, AFX_IDW_DOCKBAR_BOTTOM);
    f.DockControlBar(&f.m_wndDyn2, AFX_IDW_DOCKBAR_BOTTOM);
  };
  const int nDyn = FindSavedBar(IDW_DYN_BAR);
  ASSERT_GE(nDyn, 0);
  struct Damage {
    const char* what;
    std::function<void()> apply;
  } damages[] = {
      {"unknown version", [] { theApp.WriteProfileInt("ZARN_Bar-Summary", "Version", 7); }},
      {"a missing bar", [] { theApp.WriteProfileInt("ZARN_Bar-Summary", "Bars", 40); }},
      {"a missing entry", [&] {
         CString s;
         s.Format("%s-Bar%d", kProfile, nDyn);
         theApp.WriteProfileString(s, "Row", "");
       }},
      {"a negative row", [&] { WriteBarInt(nDyn, "Row", -1); }},
      {"an unknown bar", [&] { WriteBarInt(nDyn, "BarID", 0xE8F7); }},
  };
  for (const Damage& d : damages) {
    reset();
    d.apply();
    EXPECT_FALSE(f.VerifyBarState(kProfile)) << d.what;
    f.LoadBarState(kProfile);
    EXPECT_EQ(f.m_wndDyn.GetDockBar(), f.Dock(AFX_IDW_DOCKBAR_BOTTOM)) << d.what;
    EXPECT_FALSE(f.m_wndDyn2.IsFloating()) << d.what;
  }
  // A floating place on a screen that is gone comes back onto the screen.
  reset();
  const int nDyn2 = FindSavedBar(IDW_DYN_BAR2);
  WriteBarInt(nDyn2, "FloatX", -30000);
  WriteBarInt(nDyn2, "FloatY", -30000);
  f.LoadBarState(kProfile);
  ASSERT_TRUE(f.m_wndDyn2.IsFloating());
  CRect rcMini;
  GetBarMiniFrame(&f.m_wndDyn2)->GetWindowRect(&rcMini);
  EXPECT_EQ(rcMini.TopLeft(), CPoint(::GetSystemMetrics(SM_XVIRTUALSCREEN), ::GetSystemMetrics(SM_YVIRTUALSCREEN)));
}

// Run by StateAcrossRestartAndDamage in a process of its own.
TEST_F(Bars, RestartedProcessLoads) {
  if (::GetEnvironmentVariableA("ZARN_BARS_CHILD", nullptr, 0) == 0)
    GTEST_SKIP() << "run by StateAcrossRestartAndDamage";
  CBarsFrame& f = *m_pFrame;
  ASSERT_TRUE(f.VerifyBarState(kProfile));
  f.LoadBarState(kProfile);
  EXPECT_EQ(f.m_wndDyn.GetDockBar(), f.Dock(AFX_IDW_DOCKBAR_LEFT));
  EXPECT_TRUE(f.m_wndDyn.IsVisible());
  ASSERT_TRUE(f.m_wndDyn2.IsFloating());
  EXPECT_TRUE(f.m_wndDyn2.IsVisible());
  CRect rcMini;
  GetBarMiniFrame(&f.m_wndDyn2)->GetWindowRect(&rcMini);
  EXPECT_EQ(rcMini.TopLeft(), CPoint(333, 244));
  EXPECT_EQ(f.m_wndToolBar2.GetDockBar(), f.Dock(AFX_IDW_DOCKBAR_RIGHT));
  EXPECT_FALSE(f.m_wndToolBar2.IsVisible());
}

}  // namespace barstest
