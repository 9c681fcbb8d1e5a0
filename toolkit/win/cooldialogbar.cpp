// CCoolDialogBar: the hosted dialog, the non-client frame with gripper, close
// and undock buttons, the resize edge and its tracking, and the saved sizes.
#include "toolkit/cooldialogbar.h"

#include "framework/dialog.h"
#include "framework/docview.h"
#include "framework/gdi.h"
#include "framework/winthread.h"

namespace {

SizingSize ToSizing(CSize s) { return SizingSize((int)s.cx, (int)s.cy); }
CRect FromSizing(const SizingRect& r) { return CRect(r.left, r.top, r.right, r.bottom); }

// The offset of the client area's origin inside the window.
CPoint ClientOrigin(HWND hWnd) {
  RECT rcWnd;
  ::GetWindowRect(hWnd, &rcWnd);
  POINT pt = {0, 0};
  ::ClientToScreen(hWnd, &pt);
  return CPoint(pt.x - rcWnd.left, pt.y - rcWnd.top);
}

}  // namespace

IMPLEMENT_DYNAMIC(CCoolDialogBar, CControlBar)

BEGIN_MESSAGE_MAP(CCoolDialogBar, CControlBar)
  ON_WM_NCCALCSIZE()
  ON_WM_NCPAINT()
  ON_WM_NCHITTEST()
  ON_WM_SETCURSOR()
  ON_WM_NCLBUTTONDOWN()
  ON_WM_NCLBUTTONDBLCLK()
  ON_WM_LBUTTONDOWN()
  ON_WM_LBUTTONDBLCLK()
  ON_WM_LBUTTONUP()
  ON_WM_MOUSEMOVE()
  ON_WM_CAPTURECHANGED()
  ON_WM_WINDOWPOSCHANGED()
END_MESSAGE_MAP()

CCoolDialogBar::CCoolDialogBar()
    : m_clrBtnHilight(::GetSysColor(COLOR_BTNHIGHLIGHT)), m_clrBtnShadow(::GetSysColor(COLOR_BTNSHADOW)) {}

BOOL CCoolDialogBar::Create(CFrameWnd* pParentWnd, CDialog* pDialog, LPCTSTR lpszTitle, UINT nID, DWORD dwStyle) {
  if (pParentWnd == nullptr || pDialog == nullptr)
    return FALSE;
  LPCTSTR lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorA(nullptr, (LPCSTR)IDC_ARROW),
                                          (HBRUSH)(COLOR_BTNFACE + 1));
  if (!CreateBar(0, lpszClass, lpszTitle, dwStyle | WS_CLIPCHILDREN, 0, pParentWnd, nID))
    return FALSE;
  m_pDialog = pDialog;
  if (!pDialog->Create(LOWORD(nID), this))
    return FALSE;
  CRect rc;
  pDialog->GetWindowRect(&rc);
  m_sizeHorz = m_sizeVert = m_sizeFloat = rc.Size();
  m_sizeHorz.cy += m_cxEdge + m_cxBorder;
  m_sizeVert.cx += m_cxEdge + m_cxBorder;
  return TRUE;
}

SizingBarSide CCoolDialogBar::Side() const {
  if (m_pDockBar == nullptr || IsFloating())
    return kSizingFloating;
  switch (::GetDlgCtrlID(m_pDockBar->m_hWnd)) {
    case AFX_IDW_DOCKBAR_TOP: return kSizingTop;
    case AFX_IDW_DOCKBAR_LEFT: return kSizingLeft;
    case AFX_IDW_DOCKBAR_RIGHT: return kSizingRight;
    case AFX_IDW_DOCKBAR_BOTTOM: return kSizingBottom;
    default: return kSizingFloating;
  }
}

CSize CCoolDialogBar::CalcFixedLayout(BOOL bStretch, BOOL bHorz) {
  if (IsFloating())
    return m_sizeFloat;
  CFrameWnd* pFrame = m_pDockSite;
  CRect rc;
  if (bHorz) {
    CControlBar* pTop = pFrame ? pFrame->GetControlBar(AFX_IDW_DOCKBAR_TOP) : nullptr;
    if (pTop != nullptr)
      pTop->GetWindowRect(&rc);
    return CSize(bStretch ? 32767 : rc.Width() + 4, m_sizeHorz.cy);
  }
  CControlBar* pLeft = pFrame ? pFrame->GetControlBar(AFX_IDW_DOCKBAR_LEFT) : nullptr;
  if (pLeft != nullptr)
    pLeft->GetWindowRect(&rc);
  return CSize(m_sizeVert.cx, bStretch ? 32767 : rc.Height() + 4);
}

CSize CCoolDialogBar::CalcDynamicLayout(int nLength, DWORD dwMode) {
  SizingSize sizeFloat = ToSizing(m_sizeFloat);
  SizingBarDynamic d = SizingBarDynamicLayout(nLength, dwMode, sizeFloat, ToSizing(m_sizeMin));
  m_sizeFloat = CSize(sizeFloat.cx, sizeFloat.cy);
  if (!d.dock)
    return CSize(d.size.cx, d.size.cy);
  ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (m_pDockSite != nullptr)
    m_pDockSite->RecalcLayout();
  return CControlBar::CalcDynamicLayout(nLength, dwMode);
}

void CCoolDialogBar::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) {
  if (m_pDialog != nullptr && m_pDialog->m_hWnd != nullptr)
    m_pDialog->UpdateDialogControls(pTarget, bDisableIfNoHndler);
}

namespace {
const char* const kEntries[6] = {"sizeHorzCX", "sizeHorzCY", "sizeVertCX", "sizeVertCY", "sizeFloatCX", "sizeFloatCY"};
}  // namespace

void CCoolDialogBar::LoadState(LPCTSTR lpszProfileName) {
  CWinApp* pApp = AfxGetApp();
  if (pApp == nullptr || m_hWnd == nullptr)
    return;
  CString strSection;
  strSection.Format("%s-SCBar-%d", lpszProfileName, GetDlgCtrlID());
  LONG* values[6] = {&m_sizeHorz.cx, &m_sizeHorz.cy, &m_sizeVert.cx, &m_sizeVert.cy, &m_sizeFloat.cx, &m_sizeFloat.cy};
  // A damaged value never makes the bar cover the frame's views.
  const int cxLimit = ::GetSystemMetrics(SM_CXVIRTUALSCREEN), cyLimit = ::GetSystemMetrics(SM_CYVIRTUALSCREEN);
  for (int i = 0; i < 6; i++) {
    const bool bWidth = (i % 2) == 0;
    int n = (int)pApp->GetProfileInt(strSection, kEntries[i], (int)*values[i]);
    *values[i] = SizingBarStoredSize(n, bWidth ? (int)m_sizeMin.cx : (int)m_sizeMin.cy, bWidth ? cxLimit : cyLimit);
  }
}

void CCoolDialogBar::SaveState(LPCTSTR lpszProfileName) {
  CWinApp* pApp = AfxGetApp();
  if (pApp == nullptr || m_hWnd == nullptr)
    return;
  CString strSection;
  strSection.Format("%s-SCBar-%d", lpszProfileName, GetDlgCtrlID());
  const LONG values[6] = {m_sizeHorz.cx, m_sizeHorz.cy, m_sizeVert.cx, m_sizeVert.cy, m_sizeFloat.cx, m_sizeFloat.cy};
  for (int i = 0; i < 6; i++)
    pApp->WriteProfileInt(strSection, kEntries[i], (int)values[i]);
}

void CCoolDialogBar::GlobalLoadState(CFrameWnd* pFrame, LPCTSTR lpszProfileName) {
  if (pFrame == nullptr)
    return;
  for (POSITION pos = pFrame->m_listControlBars.GetHeadPosition(); pos != nullptr;) {
    CControlBar* pBar = static_cast<CControlBar*>(pFrame->m_listControlBars.GetNext(pos));
    if (pBar->IsKindOf(RUNTIME_CLASS(CCoolDialogBar)))
      static_cast<CCoolDialogBar*>(pBar)->LoadState(lpszProfileName);
  }
}

void CCoolDialogBar::GlobalSaveState(CFrameWnd* pFrame, LPCTSTR lpszProfileName) {
  if (pFrame == nullptr)
    return;
  for (POSITION pos = pFrame->m_listControlBars.GetHeadPosition(); pos != nullptr;) {
    CControlBar* pBar = static_cast<CControlBar*>(pFrame->m_listControlBars.GetNext(pos));
    if (pBar->IsKindOf(RUNTIME_CLASS(CCoolDialogBar)))
      static_cast<CCoolDialogBar*>(pBar)->SaveState(lpszProfileName);
  }
}

void CCoolDialogBar::OnNcCalcSize(BOOL, NCCALCSIZE_PARAMS* lpncsp) {
  RECT& rc = lpncsp->rgrc[0];
  const CRect rcWnd(rc);
  m_dwStyle |= CBRS_BORDER_ANY;
  SizingBarFrame f = SizingBarNcLayout(Side(), SizingRect(0, 0, rcWnd.Width(), rcWnd.Height()));
  m_rectBorder = FromSizing(f.edge);
  m_dwStyle &= ~f.borderRemoved;
  rc.left = rcWnd.left + f.client.left;
  rc.top = rcWnd.top + f.client.top;
  rc.right = rcWnd.left + f.client.right;
  rc.bottom = rcWnd.top + f.client.bottom;
}

void CCoolDialogBar::DrawGripper(CDC* pDC) {
  CRect rcWnd;
  GetWindowRect(&rcWnd);
  SizingBarCaption c = SizingBarCaptionParts(Side(), rcWnd.Width(), rcWnd.Height());
  m_rectGripper = FromSizing(c.gripper);
  m_rectClose = FromSizing(c.close);
  m_rectUndock = FromSizing(c.undock);
  if (Side() == kSizingFloating)
    return;
  HDC hDC = pDC->m_hDC;
  for (const SizingRect& r : {c.ridge1, c.ridge2}) {
    CRect rc = FromSizing(r);
    if (!rc.IsRectEmpty())
      pDC->Draw3dRect(&rc, m_clrBtnHilight, m_clrBtnShadow);
  }
  ::DrawFrameControl(hDC, &m_rectClose, DFC_CAPTION, DFCS_CAPTIONCLOSE);
  ::DrawFrameControl(hDC, &m_rectUndock, DFC_CAPTION, DFCS_CAPTIONMAX);
}

void CCoolDialogBar::OnNcPaint() {
  CRect rcWnd;
  GetWindowRect(&rcWnd);
  const CPoint org = ClientOrigin(m_hWnd);
  CRect rcClient;
  GetClientRect(&rcClient);
  rcClient.OffsetRect(org.x, org.y);
  rcWnd.OffsetRect(-rcWnd.left, -rcWnd.top);
  CWindowDC dc(this);
  ::ExcludeClipRect(dc.m_hDC, rcClient.left, rcClient.top, rcClient.right, rcClient.bottom);
  ::FillRect(dc.m_hDC, &rcWnd, ::GetSysColorBrush(COLOR_BTNFACE));
  if (!m_rectBorder.IsRectEmpty())
    dc.Draw3dRect(&m_rectBorder, ::GetSysColor(COLOR_3DHILIGHT), ::GetSysColor(COLOR_3DSHADOW));
  DrawGripper(&dc);
  ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

LRESULT CCoolDialogBar::OnNcHitTest(CPoint point) {
  if (IsFloating())
    return Default();
  CRect rcWnd;
  GetWindowRect(&rcWnd);
  SizingPoint pt = {(int)(point.x - rcWnd.left), (int)(point.y - rcWnd.top)};
  int n = SizingBarHitTest(Side(), SizingRect(0, 0, rcWnd.Width(), rcWnd.Height()), pt);
  return n != 0 ? n : Default();
}

BOOL CCoolDialogBar::OnSetCursor(CWnd*, UINT nHitTest, UINT) {
  if (nHitTest == HTSIZE && !m_bTracking) {
    const SizingBarSide side = Side();
    const bool bHorz = side == kSizingTop || side == kSizingBottom;
    ::SetCursor(::LoadCursorA(nullptr, (LPCSTR)(bHorz ? IDC_SIZENS : IDC_SIZEWE)));
    return TRUE;
  }
  return (BOOL)Default();
}

void CCoolDialogBar::OnNcLButtonDown(UINT nHitTest, CPoint point) {
  if (m_bTracking)
    return;
  const BOOL bFloating = IsFloating();
  if (nHitTest == HTSYSMENU && !bFloating) {
    // Hidden first, so the toggle leaves no empty mini frame on the screen.
    if (m_pDockSite != nullptr)
      m_pDockSite->ShowControlBar(this, FALSE, FALSE);
    else
      ShowWindow(SW_HIDE);
    if (m_pDockContext != nullptr)
      m_pDockContext->ToggleDocking();
  } else if (nHitTest == HTMINBUTTON && !bFloating) {
    if (m_pDockContext != nullptr)
      m_pDockContext->ToggleDocking();
  } else if (nHitTest == HTCAPTION && !bFloating && m_pDockBar != nullptr) {
    if (m_pDockContext != nullptr)
      m_pDockContext->StartDrag(point);
  } else if (nHitTest == HTSIZE && !bFloating) {
    StartTracking();
  } else {
    Default();
  }
}

void CCoolDialogBar::OnNcLButtonDblClk(UINT nHitTest, CPoint) {
  if (nHitTest == HTCAPTION && m_pDockBar != nullptr && m_pDockContext != nullptr && !m_bTracking)
    m_pDockContext->ToggleDocking();
  else
    Default();
}

void CCoolDialogBar::OnLButtonDown(UINT, CPoint point) {
  if (m_pDockBar != nullptr && m_pDockContext != nullptr && !m_bTracking) {
    ClientToScreen(&point);
    m_pDockContext->StartDrag(point);
    return;
  }
  Default();
}

void CCoolDialogBar::OnLButtonDblClk(UINT, CPoint) {
  if (m_pDockBar != nullptr && m_pDockContext != nullptr && !m_bTracking) {
    m_pDockContext->ToggleDocking();
    return;
  }
  Default();
}

void CCoolDialogBar::StartTracking() {
  SetCapture();
  ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_ALLCHILDREN | RDW_UPDATENOW);
  if (m_pDockSite != nullptr)
    ::LockWindowUpdate(m_pDockSite->m_hWnd);
  m_ptOld = m_rectBorder.CenterPoint();
  m_rectTracker = m_rectBorder;
  const SizingBarSide side = Side();
  if (side == kSizingLeft || side == kSizingRight)
    m_rectTracker.bottom -= 4;
  InvertTracker(m_rectTracker);
  m_bTracking = TRUE;
}

void CCoolDialogBar::StopTracking(BOOL bAccept) {
  m_bTracking = FALSE;  // first: the release below reports a capture change
  InvertTracker(m_rectTracker);
  ::LockWindowUpdate(nullptr);
  if (::GetCapture() == m_hWnd)
    ::ReleaseCapture();
  if (!bAccept)
    return;
  const CPoint ptNow = m_rectTracker.CenterPoint();
  const SizingSize moved((int)(ptNow.x - m_ptOld.x), (int)(ptNow.y - m_ptOld.y));
  CRect rcFrame;
  if (m_pDockSite != nullptr)
    m_pDockSite->GetWindowRect(&rcFrame);
  const SizingBarSide side = Side();
  if (side == kSizingTop || side == kSizingBottom)
    m_sizeHorz.cy = SizingBarTrackedSize(side, (int)m_sizeHorz.cy, moved, rcFrame.Height(), (int)m_sizeMin.cy);
  else if (side == kSizingLeft || side == kSizingRight)
    m_sizeVert.cx = SizingBarTrackedSize(side, (int)m_sizeVert.cx, moved, rcFrame.Width(), (int)m_sizeMin.cx);
  if (m_pDockSite != nullptr)
    m_pDockSite->RecalcLayout();
}

void CCoolDialogBar::InvertTracker(const CRect& rect) {
  if (m_pDockSite == nullptr || rect.IsRectEmpty())
    return;
  // Bar window coordinates to the frame window's.
  CRect rcBar, rcFrame;
  GetWindowRect(&rcBar);
  m_pDockSite->GetWindowRect(&rcFrame);
  CRect rc = rect;
  rc.OffsetRect(rcBar.left - rcFrame.left, rcBar.top - rcFrame.top);
  rc.InflateRect(-1, -1);
  HDC hDC = ::GetDCEx(m_pDockSite->m_hWnd, nullptr, DCX_WINDOW | DCX_CACHE | DCX_LOCKWINDOWUPDATE);
  if (hDC == nullptr)
    return;
  static const WORD kHalftone[8] = {0x5555, 0xAAAA, 0x5555, 0xAAAA, 0x5555, 0xAAAA, 0x5555, 0xAAAA};
  HBITMAP hbm = ::CreateBitmap(8, 8, 1, 1, kHalftone);
  HBRUSH hBrush = ::CreatePatternBrush(hbm);
  HGDIOBJ hOld = ::SelectObject(hDC, hBrush);
  ::PatBlt(hDC, rc.left, rc.top, rc.Width(), rc.Height(), PATINVERT);
  ::SelectObject(hDC, hOld);
  ::DeleteObject(hBrush);
  ::DeleteObject(hbm);
  ::ReleaseDC(m_pDockSite->m_hWnd, hDC);
}

void CCoolDialogBar::MoveTrackerTo(CPoint ptClient) {
  const CPoint org = ClientOrigin(m_hWnd);
  const CPoint pt(ptClient.x + org.x, ptClient.y + org.y);  // window coordinates
  const CPoint c = m_rectTracker.CenterPoint();
  const SizingBarSide side = Side();
  CSize shift(0, 0);
  if (side == kSizingTop || side == kSizingBottom)
    shift.cy = pt.y - c.y;
  else
    shift.cx = pt.x - c.x;
  if (shift.cx == 0 && shift.cy == 0)
    return;
  InvertTracker(m_rectTracker);
  m_rectTracker.OffsetRect(shift.cx, shift.cy);
  InvertTracker(m_rectTracker);
}

void CCoolDialogBar::OnMouseMove(UINT, CPoint point) {
  if (!m_bTracking || IsFloating()) {
    Default();
    return;
  }
  MoveTrackerTo(point);
}

void CCoolDialogBar::OnLButtonUp(UINT, CPoint point) {
  if (!m_bTracking) {
    Default();
    return;
  }
  MoveTrackerTo(point);
  StopTracking(TRUE);
}

void CCoolDialogBar::OnCaptureChanged(CWnd* pWnd) {
  if (m_bTracking && (pWnd == nullptr || pWnd->m_hWnd != m_hWnd))
    StopTracking(FALSE);
  Default();
}

void CCoolDialogBar::OnWindowPosChanged(WINDOWPOS* lpwp) {
  Default();
  if (m_bInRecalcNC) {
    // The nested change of the re-framing: the dialog fills the client area.
    if (m_pDialog != nullptr && m_pDialog->m_hWnd != nullptr) {
      CRect rc;
      GetClientRect(&rc);
      m_pDialog->MoveWindow(&rc);
    }
    return;
  }
  const UINT nDockBarID = m_pDockBar != nullptr ? (UINT)::GetDlgCtrlID(m_pDockBar->m_hWnd) : 0;
  if (nDockBarID == m_nDockBarID && (lpwp->flags & SWP_NOSIZE) &&
      (m_dwStyle & CBRS_BORDER_ANY) != CBRS_BORDER_ANY)
    return;
  m_nDockBarID = nDockBarID;
  m_bInRecalcNC = TRUE;
  ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  m_bInRecalcNC = FALSE;
}
