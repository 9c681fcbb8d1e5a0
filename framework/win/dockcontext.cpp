// Dragging a bar with the mouse, and toggling it between docked and floating.
#include "framework/bars.h"

#include <algorithm>

#include "framework/docview.h"

namespace {

const int kSnap = 8;  // an empty dock bar is a strip this wide for the drag

CSize DockedWindowSize(CControlBar* pBar, BOOL bHorz) {
  if (pBar->GetBarStyle() & CBRS_SIZE_DYNAMIC)
    return pBar->CalcDynamicLayout(-1, bHorz ? (LM_HORZ | LM_HORZDOCK) : LM_VERTDOCK);
  return pBar->CalcFixedLayout(FALSE, bHorz);
}

const DWORD kSides[] = {CBRS_ALIGN_TOP, CBRS_ALIGN_BOTTOM, CBRS_ALIGN_LEFT, CBRS_ALIGN_RIGHT};
const UINT kSideIds[] = {AFX_IDW_DOCKBAR_TOP, AFX_IDW_DOCKBAR_BOTTOM, AFX_IDW_DOCKBAR_LEFT, AFX_IDW_DOCKBAR_RIGHT};

}  // namespace

CDockContext::CDockContext(CControlBar* pBar) : m_pBar(pBar), m_pDockSite(pBar->m_pDockSite) {}

CDockBar* CDockContext::DockBarAt(CPoint pt) const {
  if (m_pDockSite == nullptr)
    return nullptr;
  for (int i = 0; i < 4; i++) {
    if (!(m_pBar->m_dwDockStyle & kSides[i]))
      continue;
    CDockBar* pDock = DYNAMIC_DOWNCAST(CDockBar, m_pDockSite->GetControlBar(kSideIds[i]));
    if (pDock == nullptr)
      continue;
    CRect rc;
    pDock->GetWindowRect(&rc);
    if (kSides[i] == CBRS_ALIGN_TOP && rc.Height() < kSnap)
      rc.bottom = rc.top + kSnap;
    else if (kSides[i] == CBRS_ALIGN_BOTTOM && rc.Height() < kSnap)
      rc.top = rc.bottom - kSnap;
    else if (kSides[i] == CBRS_ALIGN_LEFT && rc.Width() < kSnap)
      rc.right = rc.left + kSnap;
    else if (kSides[i] == CBRS_ALIGN_RIGHT && rc.Width() < kSnap)
      rc.left = rc.right - kSnap;
    if (rc.PtInRect(pt))
      return pDock;
  }
  return nullptr;
}

CRect CDockContext::DragRectFor(CPoint pt, CDockBar* pDock) const {
  CSize size = pDock == nullptr ? m_sizeFloat : (pDock->IsHorz() ? m_sizeHorz : m_sizeVert);
  if (pDock != nullptr) {
    CRect rcDock;
    pDock->GetWindowRect(&rcDock);
    if (pDock->IsHorz())
      size.cx = std::min(size.cx, (LONG)rcDock.Width());
    else
      size.cy = std::min(size.cy, (LONG)rcDock.Height());
  }
  // The press point keeps its place in the rectangle as far as the rectangle allows.
  int ox = std::max(0, std::min((int)m_sizeOffset.cx, (int)size.cx - 1));
  int oy = std::max(0, std::min((int)m_sizeOffset.cy, (int)size.cy - 1));
  return CRect(CPoint(pt.x - ox, pt.y - oy), size);
}

void CDockContext::DrawDragRect(const CRect& rect, int nThickness) {
  HWND hDesktop = ::GetDesktopWindow();
  HDC hDC = ::GetDCEx(hDesktop, nullptr, DCX_WINDOW | DCX_CACHE | DCX_LOCKWINDOWUPDATE);
  if (hDC == nullptr)
    return;
  static const WORD kPattern[8] = {0x5555, 0xAAAA, 0x5555, 0xAAAA, 0x5555, 0xAAAA, 0x5555, 0xAAAA};
  HBITMAP hbm = ::CreateBitmap(8, 8, 1, 1, kPattern);
  HBRUSH hBrush = ::CreatePatternBrush(hbm);
  HGDIOBJ hOld = ::SelectObject(hDC, hBrush);
  const int t = nThickness;
  ::PatBlt(hDC, rect.left, rect.top, rect.Width(), t, PATINVERT);
  ::PatBlt(hDC, rect.left, rect.bottom - t, rect.Width(), t, PATINVERT);
  ::PatBlt(hDC, rect.left, rect.top + t, t, rect.Height() - 2 * t, PATINVERT);
  ::PatBlt(hDC, rect.right - t, rect.top + t, t, rect.Height() - 2 * t, PATINVERT);
  ::SelectObject(hDC, hOld);
  ::DeleteObject(hBrush);
  ::DeleteObject(hbm);
  ::ReleaseDC(hDesktop, hDC);
}

void CDockContext::StartDrag(CPoint pt) {
  if (m_bDragging || m_pDockSite == nullptr || m_pBar->m_hWnd == nullptr)
    return;
  HWND hBar = m_pBar->m_hWnd;
  CMiniDockFrameWnd* pMini = GetBarMiniFrame(m_pBar);
  CRect rcWnd;
  ::GetWindowRect(pMini != nullptr ? pMini->m_hWnd : hBar, &rcWnd);
  m_sizeOffset = CSize(pt.x - rcWnd.left, pt.y - rcWnd.top);
  m_ptStart = m_ptLast = pt;
  m_sizeHorz = DockedWindowSize(m_pBar, TRUE);
  m_sizeVert = DockedWindowSize(m_pBar, FALSE);
  CSize sizeClient = (m_pBar->GetBarStyle() & CBRS_SIZE_DYNAMIC) ? m_pBar->CalcDynamicLayout(0, LM_HORZ | LM_MRUWIDTH)
                                                                  : m_pBar->CalcFixedLayout(FALSE, TRUE);
  CRect rcFloat(0, 0, sizeClient.cx, sizeClient.cy);
  DWORD dwMiniStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU |
                      ((m_pBar->GetBarStyle() & CBRS_SIZE_DYNAMIC) ? WS_THICKFRAME : 0);
  ::AdjustWindowRectEx(&rcFloat, dwMiniStyle, FALSE, WS_EX_TOOLWINDOW);
  m_sizeFloat = rcFloat.Size();

  ::SetCapture(hBar);
  m_bDragging = TRUE;
  m_nDrawnThickness = 0;
  BOOL bMoved = FALSE, bAccept = FALSE, bDone = FALSE;
  const int cxDrag = ::GetSystemMetrics(SM_CXDRAG), cyDrag = ::GetSystemMetrics(SM_CYDRAG);
  CDockBar* pTarget = nullptr;
  CRect rcTarget;
  auto move = [&](CPoint ptNow) {
    m_ptLast = ptNow;
    if (!bMoved && std::abs(ptNow.x - m_ptStart.x) <= cxDrag && std::abs(ptNow.y - m_ptStart.y) <= cyDrag)
      return;
    bMoved = TRUE;
    pTarget = DockBarAt(ptNow);
    rcTarget = DragRectFor(ptNow, pTarget);
    int nThick = pTarget != nullptr ? 1 : 3;
    if (m_nDrawnThickness != 0 && rcTarget == m_rectDrawn && nThick == m_nDrawnThickness)
      return;
    if (m_nDrawnThickness != 0)
      DrawDragRect(m_rectDrawn, m_nDrawnThickness);
    DrawDragRect(rcTarget, nThick);
    m_rectDrawn = rcTarget;
    m_nDrawnThickness = nThick;
  };
  // Positions come from the mouse messages themselves, in the order they came.
  while (!bDone) {
    if (::GetCapture() != hBar)
      break;  // capture lost: nothing changes
    MSG msg;
    if (!::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
      continue;
    }
    switch (msg.message) {
    case WM_QUIT:
      ::PostQuitMessage((int)msg.wParam);
      bDone = TRUE;
      break;
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP: {
      CPoint p(msg.lParam);
      ::ClientToScreen(msg.hwnd, &p);
      move(p);
      if (msg.message == WM_LBUTTONUP) {
        bAccept = TRUE;
        bDone = TRUE;
      }
      break;
    }
    case WM_KEYDOWN:
      if (msg.wParam == VK_ESCAPE)
        bDone = TRUE;
      break;
    case WM_KEYUP:
    case WM_CHAR:
      break;
    case WM_RBUTTONDOWN:
      bDone = TRUE;
      break;
    default:
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
      break;
    }
  }
  if (m_nDrawnThickness != 0)
    DrawDragRect(m_rectDrawn, m_nDrawnThickness);
  m_nDrawnThickness = 0;
  m_bDragging = FALSE;
  if (::GetCapture() == hBar)
    ::ReleaseCapture();
  if (!bAccept || !bMoved)
    return;
  if (pTarget != nullptr)
    m_pDockSite->DockControlBar(m_pBar, (UINT)(WORD)::GetDlgCtrlID(pTarget->m_hWnd), &rcTarget);
  else
    m_pDockSite->FloatControlBar(m_pBar, rcTarget.TopLeft());
}

void CDockContext::ToggleDocking() {
  if (m_pDockSite == nullptr || m_pBar->m_hWnd == nullptr)
    return;
  if (m_pBar->IsFloating()) {
    CDockBar* pDock = DYNAMIC_DOWNCAST(CDockBar, m_pDockSite->GetControlBar(m_uMRUDockID));
    if (pDock == nullptr || !(m_pBar->m_dwDockStyle & pDock->GetBarStyle() & CBRS_ALIGN_ANY)) {
      m_pDockSite->DockControlBar(m_pBar, 0, nullptr);
      return;
    }
    DockControlBarAt(m_pDockSite, m_pBar, pDock, m_nMRURow, m_nMRUOffset);
    return;
  }
  CDockBar* pDock = m_pBar->m_pDockBar;
  if (pDock != nullptr) {
    m_uMRUDockID = (UINT)(WORD)::GetDlgCtrlID(pDock->m_hWnd);
    m_nMRURow = pDock->FindBar(m_pBar);
    int n = m_nMRURow;
    m_nMRUOffset = n >= 0 ? (int)pDock->m_arrOffsets[n] : 0;
  }
  CPoint pt = m_ptMRUFloatPos;
  if (pt.x == -1 && pt.y == -1) {
    CRect rc;
    m_pBar->GetWindowRect(&rc);
    pt = CPoint(rc.left + 20, rc.top - 40);
  }
  m_pDockSite->FloatControlBar(m_pBar, pt);
}
