// Dock bars, the frame's docking operations and the floating mini frame.
#include "framework/bars.h"

#include <algorithm>

#include "framework/docview.h"

namespace {

// The size a docked bar asks for in a dock bar of that orientation.
CSize DockedSize(CControlBar* pBar, BOOL bHorz) {
  if (pBar->GetBarStyle() & CBRS_SIZE_DYNAMIC)
    return pBar->CalcDynamicLayout(-1, bHorz ? (LM_HORZ | LM_HORZDOCK) : LM_VERTDOCK);
  return pBar->CalcFixedLayout(FALSE, bHorz);
}

LPCTSTR BarClass() {
  return AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorA(nullptr, (LPCSTR)IDC_ARROW), (HBRUSH)(COLOR_BTNFACE + 1));
}

const DWORD kSides[] = {CBRS_ALIGN_TOP, CBRS_ALIGN_BOTTOM, CBRS_ALIGN_LEFT, CBRS_ALIGN_RIGHT};
const UINT kSideIds[] = {AFX_IDW_DOCKBAR_TOP, AFX_IDW_DOCKBAR_BOTTOM, AFX_IDW_DOCKBAR_LEFT, AFX_IDW_DOCKBAR_RIGHT};

}  // namespace

// ---- CDockBar ----

IMPLEMENT_DYNAMIC(CDockBar, CControlBar)

CDockBar::CDockBar(BOOL bFloating) : m_bFloating(bFloating) { m_bRouteToFrame = TRUE; }

BOOL CDockBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID) {
  if (!CreateBar(0, BarClass(), nullptr, dwStyle | WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, pParentWnd,
                 nID))
    return FALSE;
  m_dwStyle &= ~CBRS_BORDER_ANY;  // a dock bar is only the room of its bars
  return TRUE;
}

int CDockBar::FindBar(const CControlBar* pBar) const {
  for (int i = 0; i < GetBarCount(); i++)
    if (GetBar(i) == pBar)
      return i;
  return -1;
}

int CDockBar::GetVisibleBarCount() const {
  int n = 0;
  for (int i = 0; i < GetBarCount(); i++)
    if (GetBar(i)->IsVisible())
      n++;
  return n;
}

void CDockBar::DockControlBar(CControlBar* pBar, int nRow, int nOffset) {
  if (pBar->m_pDockBar != nullptr && pBar->m_pDockBar != this)
    pBar->m_pDockBar->RemoveControlBar(pBar);
  int nOld = FindBar(pBar);
  if (nOld >= 0) {
    m_arrBars.RemoveAt(nOld);
    m_arrOffsets.RemoveAt(nOld);
  }
  if (nRow < 0 || nRow > GetBarCount())
    nRow = GetBarCount();
  m_arrBars.InsertAt(nRow, pBar);
  m_arrOffsets.InsertAt(nRow, (DWORD)std::max(0, nOffset));
  if (::GetParent(pBar->m_hWnd) != m_hWnd)
    ::SetParent(pBar->m_hWnd, m_hWnd);
  pBar->m_pDockBar = this;
  DWORD dwStyle = pBar->m_dwStyle & ~(CBRS_ALIGN_ANY | CBRS_FLOATING);
  dwStyle |= m_bFloating ? (CBRS_ALIGN_TOP | CBRS_FLOATING) : (m_dwStyle & CBRS_ALIGN_ANY);
  pBar->SetBarStyle(dwStyle);
}

BOOL CDockBar::RemoveControlBar(CControlBar* pBar) {
  int n = FindBar(pBar);
  if (n < 0)
    return FALSE;
  m_arrBars.RemoveAt(n);
  m_arrOffsets.RemoveAt(n);
  if (pBar->m_pDockBar == this)
    pBar->m_pDockBar = nullptr;
  return TRUE;
}

int CDockBar::LayoutBars(int nLength, BOOL bMove) {
  BOOL bHorz = IsHorz();
  int nPos = 0;
  for (int i = 0; i < GetBarCount(); i++) {
    CControlBar* pBar = GetBar(i);
    if (!pBar->IsVisible())
      continue;
    CSize size = DockedSize(pBar, bHorz);
    LONG& nAlong = bHorz ? size.cx : size.cy;
    nAlong = std::max(0L, std::min(nAlong, (LONG)nLength));
    int nOffset = std::min((int)m_arrOffsets[i], (int)(nLength - nAlong));
    CRect rc = bHorz ? CRect(nOffset, nPos, nOffset + size.cx, nPos + size.cy)
                     : CRect(nPos, nOffset, nPos + size.cx, nOffset + size.cy);
    if (bMove)
      ::SetWindowPos(pBar->m_hWnd, nullptr, rc.left, rc.top, rc.Width(), rc.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    nPos += bHorz ? size.cy : size.cx;
  }
  return nPos;
}

CSize CDockBar::CalcFixedLayout(BOOL, BOOL bHorz) {
  CRect rc;
  GetWindowRect(&rc);
  int n = LayoutBars(bHorz ? rc.Width() : rc.Height(), FALSE);
  return bHorz ? CSize(rc.Width(), n) : CSize(n, rc.Height());
}

void CDockBar::OnSizeParentBar(AFX_SIZEPARENTPARAMS* lpLayout) {
  if (m_bFloating)
    return;
  CRect avail(lpLayout->rect);
  DWORD dwAlign = m_dwStyle & CBRS_ALIGN_ANY;
  BOOL bHorz = IsHorz();
  // Placed along the whole side first, so bars that measure themselves from the
  // dock bars see the room they will get.
  CRect rcNow;
  GetWindowRect(&rcNow);
  int nThick = GetVisibleBarCount() > 0 ? (bHorz ? rcNow.Height() : rcNow.Width()) : 0;
  const BOOL bMove = lpLayout->hDWP != nullptr;  // else the frame only asks
  auto place = [&](int nThickness) {
    if (!bMove)
      return;
    CRect rc;
    if (dwAlign & CBRS_ALIGN_TOP)
      rc = CRect(avail.left, avail.top, avail.right, avail.top + nThickness);
    else if (dwAlign & CBRS_ALIGN_BOTTOM)
      rc = CRect(avail.left, avail.bottom - nThickness, avail.right, avail.bottom);
    else if (dwAlign & CBRS_ALIGN_LEFT)
      rc = CRect(avail.left, avail.top, avail.left + nThickness, avail.bottom);
    else
      rc = CRect(avail.right - nThickness, avail.top, avail.right, avail.bottom);
    ::SetWindowPos(m_hWnd, nullptr, rc.left, rc.top, rc.Width(), rc.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
  };
  place(nThick);
  int nLength = bHorz ? avail.Width() : avail.Height();
  nThick = std::min(LayoutBars(nLength, bMove), bHorz ? (int)avail.Height() : (int)avail.Width());
  place(nThick);
  if (dwAlign & CBRS_ALIGN_TOP)
    lpLayout->rect.top += nThick;
  else if (dwAlign & CBRS_ALIGN_BOTTOM)
    lpLayout->rect.bottom -= nThick;
  else if (dwAlign & CBRS_ALIGN_LEFT)
    lpLayout->rect.left += nThick;
  else
    lpLayout->rect.right -= nThick;
}

LRESULT CDockBar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SIZE && m_bFloating) {
    // The mini frame's dock bar gives its one bar all of its room.
    for (int i = 0; i < GetBarCount(); i++)
      ::SetWindowPos(GetBar(i)->m_hWnd, nullptr, 0, 0, LOWORD(lParam), HIWORD(lParam),
                     SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return CControlBar::WindowProc(message, wParam, lParam);
}

// ---- the frame's docking ----

void CFrameWnd::EnableDocking(DWORD dwDockStyle) {
  for (int i = 0; i < 4; i++) {
    if (!(dwDockStyle & kSides[i]) || GetControlBar(kSideIds[i]) != nullptr)
      continue;
    CDockBar* pDock = new CDockBar(FALSE);
    pDock->m_bAutoDelete = TRUE;
    if (!pDock->Create(this, WS_VISIBLE | kSides[i], kSideIds[i])) {
      delete pDock;
      continue;
    }
  }
}

CControlBar* CFrameWnd::GetControlBar(UINT nID) {
  for (POSITION pos = m_listControlBars.GetHeadPosition(); pos != nullptr;) {
    CControlBar* pBar = static_cast<CControlBar*>(m_listControlBars.GetNext(pos));
    if (pBar->m_hWnd != nullptr && (UINT)(WORD)::GetDlgCtrlID(pBar->m_hWnd) == nID &&
        !(pBar->IsDockBar() && static_cast<CDockBar*>(pBar)->m_bFloating))
      return pBar;
  }
  return nullptr;
}

CMiniDockFrameWnd* GetBarMiniFrame(const CControlBar* pBar) {
  if (pBar == nullptr || !pBar->IsFloating())
    return nullptr;
  return DYNAMIC_DOWNCAST(CMiniDockFrameWnd, CWnd::FromHandlePermanent(::GetParent(pBar->m_pDockBar->m_hWnd)));
}

void DockControlBarAt(CFrameWnd* pFrame, CControlBar* pBar, CDockBar* pDock, int nRow, int nOffset) {
  CDockBar* pOld = pBar->m_pDockBar;
  CMiniDockFrameWnd* pOldMini = nullptr;
  if (pOld != nullptr && pOld->m_bFloating && pOld != pDock)
    pOldMini = GetBarMiniFrame(pBar);
  pDock->DockControlBar(pBar, nRow, nOffset);
  if (pBar->m_pDockContext != nullptr && !pDock->m_bFloating) {
    pBar->m_pDockContext->m_uMRUDockID = (UINT)(WORD)::GetDlgCtrlID(pDock->m_hWnd);
    pBar->m_pDockContext->m_nMRURow = pDock->FindBar(pBar);
    pBar->m_pDockContext->m_nMRUOffset = nOffset;
  }
  if (pOldMini != nullptr && pOldMini->m_wndDockBar.GetBarCount() == 0)
    pOldMini->DestroyWindow();
  ::SetWindowPos(pBar->m_hWnd, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  pFrame->RecalcLayout();
}

void CFrameWnd::DockControlBar(CControlBar* pBar, UINT nDockBarID, LPCRECT lpRect) {
  if (pBar == nullptr || pBar->m_hWnd == nullptr)
    return;
  if (nDockBarID == 0) {
    DWORD dwAllowed = pBar->m_dwDockStyle ? pBar->m_dwDockStyle : CBRS_ALIGN_ANY;
    for (int i = 0; i < 4 && nDockBarID == 0; i++)
      if ((dwAllowed & kSides[i]) && GetControlBar(kSideIds[i]) != nullptr)
        nDockBarID = kSideIds[i];
  }
  CDockBar* pDock = DYNAMIC_DOWNCAST(CDockBar, GetControlBar(nDockBarID));
  if (pDock == nullptr)
    return;
  int nRow = -1;
  int nOffset = 0;
  if (lpRect != nullptr) {
    // The row before which the rectangle's leading edge falls, and its offset.
    CRect rcDock;
    pDock->GetWindowRect(&rcDock);
    BOOL bHorz = pDock->IsHorz();
    nOffset = bHorz ? lpRect->left - rcDock.left : lpRect->top - rcDock.top;
    int nAt = bHorz ? (lpRect->top + lpRect->bottom) / 2 : (lpRect->left + lpRect->right) / 2;
    for (int i = 0; i < pDock->GetBarCount() && nRow < 0; i++) {
      CControlBar* p = pDock->GetBar(i);
      if (p == pBar || !p->IsVisible())
        continue;
      CRect rc;
      p->GetWindowRect(&rc);
      if (nAt < (bHorz ? (rc.top + rc.bottom) / 2 : (rc.left + rc.right) / 2))
        nRow = i;
    }
    if (nRow >= 0 && pDock->FindBar(pBar) >= 0 && pDock->FindBar(pBar) < nRow)
      nRow--;  // it leaves its own row first
  }
  DockControlBarAt(this, pBar, pDock, nRow, nOffset);
}

void CFrameWnd::FloatControlBar(CControlBar* pBar, CPoint point) {
  if (pBar == nullptr || pBar->m_hWnd == nullptr)
    return;
  // A place on a screen that is gone comes back onto the virtual screen.
  int vx = ::GetSystemMetrics(SM_XVIRTUALSCREEN), vy = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
  int vw = ::GetSystemMetrics(SM_CXVIRTUALSCREEN), vh = ::GetSystemMetrics(SM_CYVIRTUALSCREEN);
  point.x = std::max(vx, std::min((int)point.x, vx + vw - 48));
  point.y = std::max(vy, std::min((int)point.y, vy + vh - 32));
  if (pBar->m_pDockContext != nullptr)
    pBar->m_pDockContext->m_ptMRUFloatPos = point;
  CMiniDockFrameWnd* pMini = nullptr;
  if (pBar->IsFloating()) {
    pMini = GetBarMiniFrame(pBar);
  } else {
    pMini = new CMiniDockFrameWnd;
    if (!pMini->Create(this, pBar))
      return;  // deleted itself
    pMini->m_wndDockBar.DockControlBar(pBar, 0, 0);
    RecalcLayout();  // the room it leaves
  }
  if (pMini == nullptr)
    return;
  ::SetWindowPos(pMini->m_hWnd, nullptr, point.x, point.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  pMini->RecalcLayout();
}

void CFrameWnd::ShowControlBar(CControlBar* pBar, BOOL bShow, BOOL bDelay) {
  if (pBar == nullptr || pBar->m_hWnd == nullptr)
    return;
  pBar->ShowWindow(bShow ? SW_SHOWNOACTIVATE : SW_HIDE);
  if (pBar->IsFloating()) {
    CMiniDockFrameWnd* pMini = GetBarMiniFrame(pBar);
    if (pMini != nullptr)
      pMini->RecalcLayout();
  }
  if (bDelay)
    m_bDelayedLayout = TRUE;
  else
    RecalcLayout();
}

// ---- CMiniDockFrameWnd ----

IMPLEMENT_DYNAMIC(CMiniDockFrameWnd, CWnd)

CMiniDockFrameWnd::CMiniDockFrameWnd() : m_wndDockBar(TRUE) {}

BOOL CMiniDockFrameWnd::Create(CFrameWnd* pParent, CControlBar* pBar) {
  m_pFrame = pParent;
  CString strTitle;
  pBar->GetWindowText(strTitle);
  DWORD dwStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  if (pBar->GetBarStyle() & CBRS_SIZE_DYNAMIC)
    dwStyle |= WS_THICKFRAME;
  if (!CWnd::CreateEx(WS_EX_TOOLWINDOW, BarClass(), strTitle, dwStyle, CRect(0, 0, 0, 0), pParent, 0))
    return FALSE;
  if (!m_wndDockBar.Create(this, WS_VISIBLE | CBRS_ALIGN_TOP, AFX_IDW_DOCKBAR_FLOAT)) {
    DestroyWindow();
    return FALSE;
  }
  // The floating dock bar belongs to the frame without joining its list.
  m_wndDockBar.SetDockSite(nullptr);
  m_wndDockBar.m_pDockSite = pParent;
  return TRUE;
}

CControlBar* CMiniDockFrameWnd::GetBar() const {
  return m_wndDockBar.GetBarCount() > 0 ? m_wndDockBar.GetBar(0) : nullptr;
}

void CMiniDockFrameWnd::RecalcLayout() {
  CControlBar* pBar = GetBar();
  if (m_hWnd == nullptr)
    return;
  if (pBar == nullptr || !pBar->IsVisible()) {
    // A hidden bar keeps its mini frame hidden.
    ShowWindow(SW_HIDE);
    return;
  }
  CSize size = (pBar->GetBarStyle() & CBRS_SIZE_DYNAMIC) ? pBar->CalcDynamicLayout(0, LM_HORZ | LM_MRUWIDTH)
                                                          : pBar->CalcFixedLayout(FALSE, TRUE);
  CRect rc(0, 0, size.cx, size.cy);
  ::AdjustWindowRectEx(&rc, GetStyle(), FALSE, GetExStyle());
  m_bInLayout = TRUE;
  ::SetWindowPos(m_hWnd, nullptr, 0, 0, rc.Width(), rc.Height(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  CRect rcClient;
  GetClientRect(&rcClient);
  ::SetWindowPos(m_wndDockBar.m_hWnd, nullptr, 0, 0, rcClient.Width(), rcClient.Height(),
                 SWP_NOZORDER | SWP_NOACTIVATE);
  m_bInLayout = FALSE;
  if (!IsWindowVisible())
    ShowWindow(SW_SHOWNOACTIVATE);
}

void CMiniDockFrameWnd::OnSizing(UINT nSide, LPRECT lpRect) {
  CControlBar* pBar = GetBar();
  if (pBar == nullptr || !(pBar->GetBarStyle() & CBRS_SIZE_DYNAMIC))
    return;
  // The bar decides the client size for the edge being dragged.
  CRect rcFrame(0, 0, 0, 0);
  ::AdjustWindowRectEx(&rcFrame, GetStyle(), FALSE, GetExStyle());
  int cxClient = (lpRect->right - lpRect->left) - rcFrame.Width();
  int cyClient = (lpRect->bottom - lpRect->top) - rcFrame.Height();
  CSize size;
  if (nSide == WMSZ_TOP || nSide == WMSZ_BOTTOM) {
    size = pBar->CalcDynamicLayout(cyClient, LM_LENGTHY);
    size = pBar->CalcDynamicLayout(size.cx, LM_HORZ | LM_COMMIT);
  } else {
    size = pBar->CalcDynamicLayout(cxClient, LM_HORZ | LM_COMMIT);
  }
  int cx = size.cx + rcFrame.Width(), cy = size.cy + rcFrame.Height();
  if (nSide == WMSZ_LEFT || nSide == WMSZ_TOPLEFT || nSide == WMSZ_BOTTOMLEFT)
    lpRect->left = lpRect->right - cx;
  else
    lpRect->right = lpRect->left + cx;
  if (nSide == WMSZ_TOP || nSide == WMSZ_TOPLEFT || nSide == WMSZ_TOPRIGHT)
    lpRect->top = lpRect->bottom - cy;
  else
    lpRect->bottom = lpRect->top + cy;
}

LRESULT CMiniDockFrameWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  CControlBar* pBar = GetBar();
  switch (message) {
  case WM_CLOSE:
    // The close box hides the bar, the window goes with it.
    if (pBar != nullptr && m_pFrame != nullptr)
      m_pFrame->ShowControlBar(pBar, FALSE, FALSE);
    else
      ShowWindow(SW_HIDE);
    return 0;
  case WM_NCLBUTTONDOWN:
    if (wParam == HTCAPTION && pBar != nullptr && pBar->m_pDockContext != nullptr) {
      ::SetActiveWindow(m_hWnd);
      pBar->m_pDockContext->StartDrag(CPoint(lParam));
      return 0;  // this window may be gone now
    }
    break;
  case WM_NCLBUTTONDBLCLK:
    if (wParam == HTCAPTION && pBar != nullptr && pBar->m_pDockContext != nullptr) {
      pBar->m_pDockContext->ToggleDocking();
      return 0;
    }
    break;
  case WM_SIZING:
    OnSizing((UINT)wParam, reinterpret_cast<LPRECT>(lParam));
    return TRUE;
  case WM_SIZE:
    if (!m_bInLayout && m_wndDockBar.m_hWnd != nullptr)
      ::SetWindowPos(m_wndDockBar.m_hWnd, nullptr, 0, 0, LOWORD(lParam), HIWORD(lParam),
                     SWP_NOZORDER | SWP_NOACTIVATE);
    break;
  case WM_COMMAND:
  case WM_NOTIFY:
    if (m_pFrame != nullptr && m_pFrame->m_hWnd != nullptr)
      return ::SendMessageA(m_pFrame->m_hWnd, message, wParam, lParam);
    break;
  default:
    break;
  }
  return CWnd::WindowProc(message, wParam, lParam);
}
