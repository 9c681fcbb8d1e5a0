// The control bar base: bar style, frame membership, layout in the frame,
// border and gripper painting, the gripper's drag and double click.
#include "framework/bars.h"

#include <algorithm>
#include <vector>

#include "framework/docview.h"
#include "framework/gdi.h"

namespace {
const int kGripper = 8;  // room of the gripper along the bar's leading edge
}  // namespace

void UpdateControlBarsUI(CFrameWnd* pFrame, BOOL bDisableIfNoHndler) {
  if (pFrame == nullptr)
    return;
  // A handler may add or remove bars: walk a copy.
  std::vector<CControlBar*> bars;
  for (POSITION pos = pFrame->m_listControlBars.GetHeadPosition(); pos != nullptr;)
    bars.push_back(static_cast<CControlBar*>(pFrame->m_listControlBars.GetNext(pos)));
  for (CControlBar* pBar : bars) {
    if (pFrame->m_listControlBars.Find(pBar) == nullptr)
      continue;
    if (!pBar->IsDockBar() && pBar->IsWindow() && pBar->IsVisible())
      pBar->OnUpdateCmdUI(pFrame, bDisableIfNoHndler);
  }
}

IMPLEMENT_DYNAMIC(CControlBar, CWnd)

BEGIN_MESSAGE_MAP(CControlBar, CWnd)
  ON_MESSAGE(WM_SIZEPARENT, OnSizeParent)
  ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdate)
  ON_WM_NCCALCSIZE()
  ON_WM_NCPAINT()
  ON_WM_NCHITTEST()
  ON_WM_NCLBUTTONDOWN()
  ON_WM_NCLBUTTONDBLCLK()
  ON_WM_DESTROY()
END_MESSAGE_MAP()

CControlBar::CControlBar() = default;

CControlBar::~CControlBar() {
  if (m_pDockBar != nullptr)
    m_pDockBar->RemoveControlBar(this);
  SetDockSite(nullptr);
  delete m_pDockContext;
  m_pDockContext = nullptr;
}

void CControlBar::SetDockSite(CFrameWnd* pFrame) {
  if (pFrame == m_pDockSite)
    return;
  if (m_pDockSite != nullptr) {
    POSITION pos = m_pDockSite->m_listControlBars.Find(this);
    if (pos != nullptr)
      m_pDockSite->m_listControlBars.RemoveAt(pos);
  }
  m_pDockSite = pFrame;
  if (pFrame != nullptr)
    pFrame->m_listControlBars.AddTail(this);
  if (m_pDockContext != nullptr)
    m_pDockContext->m_pDockSite = pFrame;
}

BOOL CControlBar::CreateBar(DWORD dwExStyle, LPCTSTR lpszClass, LPCTSTR lpszTitle, DWORD dwStyle, DWORD dwCtrlStyle,
                            CWnd* pParent, UINT nID) {
  if (pParent == nullptr || pParent->m_hWnd == nullptr)
    return FALSE;
  m_dwStyle = dwStyle & CBRS_ALL;
  CFrameWnd* pFrame = pParent->IsKindOf(RUNTIME_CLASS(CFrameWnd)) ? static_cast<CFrameWnd*>(pParent)
                                                                   : pParent->GetParentFrame();
  if (!CWnd::CreateEx(dwExStyle, lpszClass, lpszTitle, (dwStyle & ~CBRS_ALL) | dwCtrlStyle, CRect(0, 0, 0, 0),
                      pParent, nID))
    return FALSE;
  SetDockSite(pFrame);
  return TRUE;
}

void CControlBar::PostNcDestroy() {
  if (m_bAutoDelete)
    delete this;
}

void CControlBar::OnDestroy() {
  // The bar leaves its dock bar and its frame with its window.
  if (m_pDockBar != nullptr)
    m_pDockBar->RemoveControlBar(this);
  SetDockSite(nullptr);
  CWnd::OnDestroy();
}

void CControlBar::SetBarStyle(DWORD dwStyle) {
  m_dwStyle = dwStyle & CBRS_ALL;
  if (m_hWnd != nullptr)
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void CControlBar::EnableDocking(DWORD dwDockStyle) {
  m_dwDockStyle = dwDockStyle & CBRS_ALIGN_ANY;
  if (m_pDockContext == nullptr && m_dwDockStyle != 0) {
    m_pDockContext = new CDockContext(this);
    m_pDockContext->m_pDockSite = m_pDockSite;
  }
}

BOOL CControlBar::IsFloating() const { return m_pDockBar != nullptr && m_pDockBar->m_bFloating; }

BOOL CControlBar::IsHorz() const {
  if (IsFloating())
    return TRUE;
  DWORD dwAlign = m_dwStyle & CBRS_ALIGN_ANY;
  return dwAlign == 0 || (dwAlign & CBRS_ORIENT_HORZ) != 0;
}

BOOL CControlBar::IsHorzDocked() const { return !IsFloating() && IsHorz(); }

BOOL CControlBar::IsVisible() const { return m_hWnd != nullptr && (GetStyle() & WS_VISIBLE) != 0; }

CRect CControlBar::GetBorders() const {
  CRect b(0, 0, 0, 0);
  if (IsFloating())
    return b;
  int n = (m_dwStyle & CBRS_BORDER_3D) ? 2 : 1;
  if (m_dwStyle & CBRS_BORDER_LEFT)
    b.left = n;
  if (m_dwStyle & CBRS_BORDER_TOP)
    b.top = n;
  if (m_dwStyle & CBRS_BORDER_RIGHT)
    b.right = n;
  if (m_dwStyle & CBRS_BORDER_BOTTOM)
    b.bottom = n;
  if (m_dwStyle & CBRS_GRIPPER) {
    if (IsHorz())
      b.left += kGripper;
    else
      b.top += kGripper;
  }
  return b;
}

CRect CControlBar::GetGripperRect() const {
  if (!(m_dwStyle & CBRS_GRIPPER) || IsFloating() || m_hWnd == nullptr)
    return CRect(0, 0, 0, 0);
  CRect rcWnd;
  GetWindowRect(&rcWnd);
  CRect b = GetBorders();
  if (IsHorz())
    return CRect(b.left - kGripper, b.top, b.left, rcWnd.Height() - b.bottom);
  return CRect(b.left, b.top - kGripper, rcWnd.Width() - b.right, b.top);
}

CSize CControlBar::CalcFixedLayout(BOOL bStretch, BOOL bHorz) {
  // The base bar has no content: its borders, stretched along its length on request.
  CRect b = GetBorders();
  CSize size(b.left + b.right, b.top + b.bottom);
  if (bStretch) {
    if (bHorz)
      size.cx = 32767;
    else
      size.cy = 32767;
  }
  return size;
}

CSize CControlBar::CalcDynamicLayout(int, DWORD dwMode) {
  return CalcFixedLayout((dwMode & LM_STRETCH) != 0, (dwMode & LM_HORZ) != 0);
}

LRESULT CControlBar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  // Bars that hold other windows pass their commands and notifications on to
  // the frame, which routes them (and reflects them to the control that sent them).
  if (m_bRouteToFrame && (message == WM_COMMAND || message == WM_NOTIFY) && m_pDockSite != nullptr &&
      m_pDockSite->m_hWnd != nullptr)
    return ::SendMessageA(m_pDockSite->m_hWnd, message, wParam, lParam);
  return CWnd::WindowProc(message, wParam, lParam);
}

LRESULT CControlBar::OnSizeParent(WPARAM, LPARAM lParam) {
  OnSizeParentBar(reinterpret_cast<AFX_SIZEPARENTPARAMS*>(lParam));
  return 0;
}

void CControlBar::OnSizeParentBar(AFX_SIZEPARENTPARAMS* lpLayout) {
  if (!IsVisible())
    return;  // a hidden bar takes no room
  DWORD dwAlign = m_dwStyle & CBRS_ALIGN_ANY;
  BOOL bHorz = dwAlign == 0 || (dwAlign & CBRS_ORIENT_HORZ) != 0;
  CRect avail(lpLayout->rect);
  CSize size = (m_dwStyle & CBRS_SIZE_DYNAMIC)
                   ? CalcDynamicLayout(-1, bHorz ? (LM_HORZ | LM_HORZDOCK) : LM_VERTDOCK)
                   : CalcFixedLayout(lpLayout->bStretch, bHorz);
  size.cx = std::max(0L, std::min(size.cx, (LONG)avail.Width()));
  size.cy = std::max(0L, std::min(size.cy, (LONG)avail.Height()));
  CRect rc;
  if (dwAlign & CBRS_ALIGN_BOTTOM) {
    rc = CRect(avail.left, avail.bottom - size.cy, avail.left + size.cx, avail.bottom);
    lpLayout->rect.bottom -= size.cy;
  } else if (dwAlign & CBRS_ALIGN_LEFT) {
    rc = CRect(avail.left, avail.top, avail.left + size.cx, avail.top + size.cy);
    lpLayout->rect.left += size.cx;
  } else if (dwAlign & CBRS_ALIGN_RIGHT) {
    rc = CRect(avail.right - size.cx, avail.top, avail.right, avail.top + size.cy);
    lpLayout->rect.right -= size.cx;
  } else {
    rc = CRect(avail.left, avail.top, avail.left + size.cx, avail.top + size.cy);
    lpLayout->rect.top += size.cy;
  }
  // Without a position list the frame only asks how much room the bars take.
  if (lpLayout->hDWP != nullptr)
    lpLayout->hDWP = ::DeferWindowPos(lpLayout->hDWP, m_hWnd, nullptr, rc.left, rc.top, rc.Width(), rc.Height(),
                                      SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CControlBar::OnIdleUpdate(WPARAM wParam, LPARAM) {
  // A bar of a frame is updated by its frame's walk over its bars; only a bar
  // outside any frame's list updates itself here.
  if (m_pDockSite == nullptr && IsVisible()) {
    CFrameWnd* pTarget = GetParentFrame();
    if (pTarget != nullptr)
      OnUpdateCmdUI(pTarget, (BOOL)wParam);
  }
  return 0;
}

void CControlBar::OnNcCalcSize(BOOL, NCCALCSIZE_PARAMS* lpncsp) {
  CRect b = GetBorders();
  RECT& rc = lpncsp->rgrc[0];
  rc.left += b.left;
  rc.top += b.top;
  rc.right = std::max(rc.left, rc.right - b.right);
  rc.bottom = std::max(rc.top, rc.bottom - b.bottom);
}

void CControlBar::DrawBorders(CDC* pDC, CRect& rect) {
  if (IsFloating())
    return;
  HDC hDC = pDC->m_hDC;
  HBRUSH hHi = ::GetSysColorBrush(COLOR_BTNHIGHLIGHT);
  HBRUSH hSh = ::GetSysColorBrush(COLOR_BTNSHADOW);
  BOOL b3d = (m_dwStyle & CBRS_BORDER_3D) != 0;
  auto line = [&](int l, int t, int r, int b, HBRUSH h) {
    RECT rc = {l, t, r, b};
    ::FillRect(hDC, &rc, h);
  };
  // The outer line is the shadow, the 3-D border adds a highlight inside it.
  if (m_dwStyle & CBRS_BORDER_LEFT) {
    line(rect.left, rect.top, rect.left + 1, rect.bottom, b3d ? hHi : hSh);
    rect.left += 1;
    if (b3d)
      rect.left += 1;
  }
  if (m_dwStyle & CBRS_BORDER_TOP) {
    line(rect.left, rect.top, rect.right, rect.top + 1, b3d ? hHi : hSh);
    rect.top += 1;
    if (b3d)
      rect.top += 1;
  }
  if (m_dwStyle & CBRS_BORDER_RIGHT) {
    line(rect.right - 1, rect.top, rect.right, rect.bottom, hSh);
    rect.right -= 1;
    if (b3d) {
      line(rect.right - 1, rect.top, rect.right, rect.bottom, hHi);
      rect.right -= 1;
    }
  }
  if (m_dwStyle & CBRS_BORDER_BOTTOM) {
    line(rect.left, rect.bottom - 1, rect.right, rect.bottom, hSh);
    rect.bottom -= 1;
    if (b3d) {
      line(rect.left, rect.bottom - 1, rect.right, rect.bottom, hHi);
      rect.bottom -= 1;
    }
  }
}

void CControlBar::DrawGripper(CDC* pDC, const CRect& rect) {
  if (rect.IsRectEmpty())
    return;
  // Two raised ridges along the bar's leading edge.
  HDC hDC = pDC->m_hDC;
  for (int i = 0; i < 2; i++) {
    RECT rc;
    if (IsHorz())
      rc = {rect.left + 1 + i * 3, rect.top + 2, rect.left + 4 + i * 3, rect.bottom - 2};
    else
      rc = {rect.left + 2, rect.top + 1 + i * 3, rect.right - 2, rect.top + 4 + i * 3};
    ::DrawEdge(hDC, &rc, BDR_RAISEDINNER, BF_RECT);
  }
}

void CControlBar::PrepareNcPaint(CWindowDC& dc, CRect* window, CRect* client) {
  GetWindowRect(window);
  GetClientRect(client);
  ClientToScreen(client);
  client->OffsetRect(-window->left, -window->top);
  window->OffsetRect(-window->left, -window->top);
  ::ExcludeClipRect(dc.m_hDC, client->left, client->top, client->right, client->bottom);
}

void CControlBar::OnNcPaint() {
  CWindowDC dc(this);
  CRect rcWnd, rcClient;
  PrepareNcPaint(dc, &rcWnd, &rcClient);
  ::FillRect(dc.m_hDC, &rcWnd, ::GetSysColorBrush(COLOR_BTNFACE));
  CRect rc = rcWnd;
  DrawBorders(&dc, rc);
  DrawGripper(&dc, GetGripperRect());
}

LRESULT CControlBar::OnNcHitTest(CPoint point) {
  CRect rcWnd;
  GetWindowRect(&rcWnd);
  CRect rcGrip = GetGripperRect();
  CPoint pt(point.x - rcWnd.left, point.y - rcWnd.top);
  if (rcGrip.PtInRect(pt))
    return HTCAPTION;
  return Default();
}

void CControlBar::OnNcLButtonDown(UINT nHitTest, CPoint point) {
  if (nHitTest == HTCAPTION) {
    // The gripper: never the system's move of a child window.
    if (m_pDockContext != nullptr && !IsFloating())
      m_pDockContext->StartDrag(point);
    return;
  }
  Default();
}

void CControlBar::OnNcLButtonDblClk(UINT nHitTest, CPoint) {
  if (nHitTest == HTCAPTION) {
    if (m_pDockContext != nullptr)
      m_pDockContext->ToggleDocking();
    return;
  }
  Default();
}
