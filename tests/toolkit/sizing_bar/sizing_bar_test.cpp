// CCoolDialogBar in a frame under Xvfb: the stored sizes and their bounds, the
// non-client frame and hit test on each side, and the edge drag, capture loss,
// close and undock buttons and docking back, with the real pointer.
#include "toolkit/cooldialogbar.h"

#include "framework/afxwin.h"
#include "tests/toolkit/wintest.h"

#include <gtest/gtest.h>

CWinApp theApp("zarn_sizing_bar");

namespace sizingtest {

using wintest::PumpUntil;

const UINT kBarId = 0xE901;
const char kSection[] = "ZARN_Bar-SCBar-59649";  // 0xE901

class CTestFrame : public CFrameWnd {
public:
  CCoolDialogBar m_wndBar;
  CDialog m_dlg;
  CWnd m_wndPane;

protected:
  afx_msg int OnCreate(LPCREATESTRUCT lpcs) {
    if (CFrameWnd::OnCreate(lpcs) == -1)
      return -1;
    m_wndPane.Create("STATIC", "", WS_CHILD | WS_VISIBLE | SS_WHITERECT, CRect(0, 0, 0, 0), this, AFX_IDW_PANE_FIRST);
    if (!m_wndBar.Create(this, &m_dlg, "Function Information:", kBarId,
                         WS_CHILD | WS_VISIBLE | CBRS_BOTTOM | CBRS_SIZE_DYNAMIC))
      return -1;
    m_wndBar.EnableDocking(CBRS_ALIGN_ANY);
    EnableDocking(CBRS_ALIGN_ANY);
    DockControlBar(&m_wndBar, AFX_IDW_DOCKBAR_BOTTOM);
    return 0;
  }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CTestFrame, CFrameWnd)
  ON_WM_CREATE()
END_MESSAGE_MAP()

class SizingBar : public ::testing::Test {
protected:
  void SetUp() override {
    guitest::BecomeGuiThread();
    if (theApp.m_pszRegistryKey == nullptr)
      theApp.SetRegistryKey("ZarnSizingBarTest");
    ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\ZarnSizingBarTest\\zarn_sizing_bar\\ZARN_Bar-SCBar-59649");
  }
  void TearDown() override {
    if (m_pFrame != nullptr)
      m_pFrame->DestroyWindow();
    theApp.m_pMainWnd = nullptr;
  }
  void Open(CRect rc = CRect(60, 60, 760, 660)) {
    m_pFrame = new CTestFrame;
    ASSERT_TRUE(m_pFrame->Create(nullptr, "Sizing bar", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, rc, nullptr, nullptr,
                                 WS_EX_TOPMOST));
    theApp.m_pMainWnd = m_pFrame;
    m_pFrame->ShowWindow(SW_SHOW);
    m_pFrame->UpdateWindow();
    ASSERT_TRUE(PumpUntil([&] { return m_pFrame->IsWindowVisible() != FALSE; }));
  }
  CCoolDialogBar& Bar() { return m_pFrame->m_wndBar; }
  CRect BarWindow() {
    CRect rc;
    Bar().GetWindowRect(&rc);
    return rc;
  }
  // The client rectangle in the bar's window coordinates.
  CRect ClientInWindow() {
    CRect rcWnd = BarWindow(), rc;
    Bar().GetClientRect(&rc);
    Bar().ClientToScreen(&rc);
    rc.OffsetRect(-rcWnd.left, -rcWnd.top);
    return rc;
  }
  int HitAt(int x, int y) {
    CRect rc = BarWindow();
    return (int)Bar().SendMessage(WM_NCHITTEST, 0, MAKELPARAM(rc.left + x, rc.top + y));
  }
  void DockAt(UINT nDockBarID) {
    m_pFrame->DockControlBar(&Bar(), nDockBarID);
    m_pFrame->RecalcLayout();
    PumpUntil([&] { return Bar().m_nDockBarID == nDockBarID; }, 5000);
  }
  // Drags the edge from its centre by dy (screen pixels) with the pointer.
  void DragEdge(int dy, int toY = INT_MIN) {
    CRect rc = BarWindow();
    const int x = rc.CenterPoint().x + 40, y = rc.top + 2;
    const int ty = toY == INT_MIN ? y + dy : toY;
    const LONG before = Bar().m_sizeHorz.cy;
    for (int i = 0; i < 3; i++) {
      wintest::Xdo(wintest::MoveTo(x, y) + " mousedown 1 sleep 0.3 mousemove " + std::to_string(x) + " " +
                   std::to_string((y + ty) / 2) + " sleep 0.3 mousemove " + std::to_string(x) + " " +
                   std::to_string(ty) + " sleep 0.3 mouseup 1");
      if (PumpUntil([&] { return !Bar().m_bTracking && Bar().m_sizeHorz.cy != before; }, 5000))
        return;
    }
  }
  CTestFrame* m_pFrame = nullptr;
};

TEST_F(SizingBar, StoredSizesAreBoundedAndRoundTrip) {
  Open();
  theApp.WriteProfileInt(kSection, "sizeHorzCY", 120);
  theApp.WriteProfileInt(kSection, "sizeFloatCX", 100000);
  theApp.WriteProfileInt(kSection, "sizeFloatCY", 100000);
  Bar().m_sizeVert = CSize(260, 240);  // no entries: kept
  CCoolDialogBar::GlobalLoadState(m_pFrame, "ZARN_Bar");
  EXPECT_EQ(Bar().m_sizeHorz.cy, 200);
  EXPECT_EQ(Bar().m_sizeVert, CSize(260, 240));
  EXPECT_EQ(Bar().m_sizeFloat.cx, ::GetSystemMetrics(SM_CXVIRTUALSCREEN));
  EXPECT_EQ(Bar().m_sizeFloat.cy, ::GetSystemMetrics(SM_CYVIRTUALSCREEN));

  Bar().m_sizeHorz = CSize(300, 310);
  Bar().m_sizeVert = CSize(320, 330);
  Bar().m_sizeFloat = CSize(340, 350);
  CCoolDialogBar::GlobalSaveState(m_pFrame, "ZARN_Bar");
  EXPECT_EQ((int)theApp.GetProfileInt(kSection, "sizeVertCY", 0), 330);
  Bar().m_sizeHorz = Bar().m_sizeVert = Bar().m_sizeFloat = CSize(200, 200);
  CCoolDialogBar::GlobalLoadState(m_pFrame, "ZARN_Bar");
  EXPECT_EQ(Bar().m_sizeHorz, CSize(300, 310));
  EXPECT_EQ(Bar().m_sizeVert, CSize(320, 330));
  EXPECT_EQ(Bar().m_sizeFloat, CSize(340, 350));
}

TEST_F(SizingBar, FrameAndHitTestOnEachSide) {
  Open();
  struct Side {
    UINT id;
    CRect client;  // from the window's width w and height h below
  };
  for (UINT id : {AFX_IDW_DOCKBAR_BOTTOM, AFX_IDW_DOCKBAR_TOP, AFX_IDW_DOCKBAR_LEFT, AFX_IDW_DOCKBAR_RIGHT}) {
    DockAt(id);
    CRect w = BarWindow();
    const int cx = w.Width(), cy = w.Height();
    CRect c = ClientInWindow();
    CRect e = Bar().m_rectBorder;
    if (id == AFX_IDW_DOCKBAR_BOTTOM) {
      EXPECT_EQ(c, CRect(17, 5, cx - 2, cy - 2));
      EXPECT_EQ(e, CRect(0, 0, cx, 5));
      wintest::Shot("sizing_bar_bottom");
    } else if (id == AFX_IDW_DOCKBAR_TOP) {
      EXPECT_EQ(c, CRect(17, 2, cx - 2, cy - 5));
      EXPECT_EQ(e, CRect(0, cy - 5, cx, cy));
    } else if (id == AFX_IDW_DOCKBAR_LEFT) {
      EXPECT_EQ(c, CRect(2, 17, cx - 5, cy - 2));
      EXPECT_EQ(e, CRect(cx - 5, 0, cx, cy));
      wintest::Shot("sizing_bar_left");
    } else {
      EXPECT_EQ(c, CRect(5, 17, cx - 2, cy - 2));
      EXPECT_EQ(e, CRect(0, 0, 5, cy));
    }
    const bool horz = id == AFX_IDW_DOCKBAR_BOTTOM || id == AFX_IDW_DOCKBAR_TOP;
    EXPECT_EQ(HitAt(horz ? 10 : cx - 15, horz ? 15 : 10), HTSYSMENU) << id;
    EXPECT_EQ(HitAt(horz ? 10 : cx - 28, horz ? 28 : 10), HTMINBUTTON) << id;
    EXPECT_EQ(HitAt(horz ? 10 : 60, horz ? 80 : 10), HTCAPTION) << id;
    EXPECT_EQ(HitAt(e.CenterPoint().x, e.CenterPoint().y), HTSIZE) << id;
    // The hosted dialog fills the client area.
    CRect rcDlg;
    m_pFrame->m_dlg.GetWindowRect(&rcDlg);
    EXPECT_EQ(rcDlg.Width(), c.Width());
  }
  m_pFrame->FloatControlBar(&Bar(), CPoint(200, 200));
  PumpUntil([&] { return Bar().IsFloating() && Bar().m_nDockBarID != AFX_IDW_DOCKBAR_RIGHT; }, 5000);
  CRect w = BarWindow();
  EXPECT_EQ(ClientInWindow(), CRect(0, 0, w.Width(), w.Height()));
  EXPECT_TRUE(Bar().m_rectBorder.IsRectEmpty());
  EXPECT_EQ(HitAt(10, 15), HTCLIENT);
}

TEST_F(SizingBar, EdgeDragResizesWithinBoundsAndCaptureLossChangesNothing) {
  Open(CRect(60, 500, 760, 900));  // 400 high: a drag to the screen's top passes its height
  Bar().m_sizeHorz.cy = 250;  // as a loaded size: at least the minimum
  m_pFrame->RecalcLayout();
  PumpUntil([&] { return BarWindow().Height() == 250; }, 5000);
  const LONG h0 = Bar().m_sizeHorz.cy;
  const LONG wnd0 = BarWindow().Height();
  DragEdge(-30);
  EXPECT_EQ(Bar().m_sizeHorz.cy, h0 + 30);
  EXPECT_TRUE(PumpUntil([&] { return BarWindow().Height() == wnd0 + 30; }, 5000));

  // Capture taken by another window while tracking: nothing changes.
  const LONG h1 = Bar().m_sizeHorz.cy;
  CRect rc = BarWindow();
  const int x = rc.CenterPoint().x + 40, y = rc.top + 2;
  bool bTracked = false;
  for (int i = 0; i < 3 && !bTracked; i++) {
    wintest::Xdo(wintest::MoveTo(x, y) + " mousedown 1 sleep 0.3 mousemove " + std::to_string(x) + " " +
                 std::to_string(y - 40));
    bTracked = PumpUntil([&] { return Bar().m_bTracking != FALSE; }, 5000);
    if (!bTracked)
      wintest::Xdo("mouseup 1");
  }
  ASSERT_TRUE(bTracked);
  ::SetCapture(m_pFrame->m_wndPane.m_hWnd);
  EXPECT_FALSE(Bar().m_bTracking);
  ::ReleaseCapture();
  wintest::Xdo("mouseup 1");
  EXPECT_EQ(Bar().m_sizeHorz.cy, h1);

  CRect rcFrame;
  m_pFrame->GetWindowRect(&rcFrame);
  DragEdge(0, 2);  // far above the frame
  EXPECT_EQ(Bar().m_sizeHorz.cy, rcFrame.Height() + h1);
  Bar().m_sizeHorz.cy = 260;
  m_pFrame->RecalcLayout();
  DragEdge(0, BarWindow().bottom - 3);  // to nearly nothing
  EXPECT_EQ(Bar().m_sizeHorz.cy, 200);
}

TEST_F(SizingBar, CloseHidesUndockFloatsAndACaptionDoubleClickDocksBack) {
  Open();
  CRect rc = BarWindow();
  ASSERT_TRUE(wintest::ClickUntil(rc.left + 11, rc.top + 16, [&] { return !Bar().IsVisible(); }));
  // No empty mini frame is left on the screen.
  for (HWND h : guitest::ThreadWindows(::GetCurrentThreadId()))
    if (h != m_pFrame->m_hWnd && ::IsWindowVisible(h))
      ADD_FAILURE() << "a visible window besides the frame: " << (LPCTSTR)guitest::Text(h);

  m_pFrame->ShowControlBar(&Bar(), TRUE, FALSE);
  DockAt(AFX_IDW_DOCKBAR_BOTTOM);
  ASSERT_TRUE(PumpUntil([&] { return Bar().IsVisible() && !Bar().IsFloating(); }, 5000));
  rc = BarWindow();
  ASSERT_TRUE(wintest::ClickUntil(rc.left + 11, rc.top + 29, [&] { return Bar().IsFloating() != FALSE; }));
  CMiniDockFrameWnd* pMini = GetBarMiniFrame(&Bar());
  ASSERT_NE(pMini, nullptr);
  EXPECT_TRUE(PumpUntil([&] { return pMini->IsWindowVisible() != FALSE; }, 5000));
  wintest::Shot("sizing_bar_floating");
  // The mini frame's caption stands for the gripper.
  CRect rcMini, rcMiniClient;
  pMini->GetWindowRect(&rcMini);
  pMini->GetClientRect(&rcMiniClient);
  pMini->ClientToScreen(&rcMiniClient);
  const int cx = rcMini.CenterPoint().x, cy = (rcMini.top + rcMiniClient.top) / 2;
  bool bDocked = false;
  for (int i = 0; i < 3 && !bDocked; i++) {
    wintest::Xdo(wintest::MoveTo(cx, cy) + " click --repeat 2 --delay 80 1");
    bDocked = PumpUntil([&] { return !Bar().IsFloating(); }, 5000);
  }
  EXPECT_TRUE(bDocked);
  EXPECT_EQ(Bar().m_nDockBarID, (UINT)AFX_IDW_DOCKBAR_BOTTOM);
}

}  // namespace sizingtest
