// CToolBarEx: its own layout (wrapping and sizing through the pure rules),
// the child controls in place of separators and the flat border painting.
#include "toolkit/toolbarex.h"

#include <algorithm>

#include "framework/docview.h"
#include "framework/gdi.h"

namespace {
const DWORD kComCtl471 = MAKELONG(71, 4);
}  // namespace

CSize CToolBarEx::CalcButtonSize(int nIndex, const TBBUTTON& b, DWORD dwMode) {
  CRect rc;
  GetItemRect(nIndex, &rc);
  CSize size(rc.Width(), rc.Height());
  if (!(b.fsStyle & TBSTYLE_SEP))
    return size;
  size.cy = std::min(size.cy, GetToolBarCtrl().GetButtonSize().cy);
  if (m_bAllowControls && b.idCommand != 0) {
    if (!(dwMode & (LM_STRETCH | LM_HORZ)))
      return CSize(0, 0);  // a child control has no place in a column
    if (GetToolBarCtrl().IsButtonHidden(b.idCommand)) {
      CWnd* pChild = GetDlgItem(b.idCommand);
      if (pChild != nullptr) {
        CRect rcChild;
        pChild->GetWindowRect(&rcChild);
        size = CSize(rcChild.Width(), rcChild.Height());
      }
    }
    return size;
  }
  if (b.fsState & TBSTATE_WRAP) {
    const DWORD dwVersion = GetComCtlVersion();
    if (dwVersion < kComCtl471)
      size.cy -= 3;
    else if (dwVersion > kComCtl471)
      size = CSize(0, size.cx);  // the gap between rows
  }
  return size;
}

CSize CToolBarEx::CalcSize(DWORD dwMode, int nLength) {
  CToolBarCtrl& ctrl = GetToolBarCtrl();
  const int n = ctrl.GetButtonCount();
  std::vector<TBBUTTON> tb((size_t)n);
  std::vector<LayoutButton> lb((size_t)n);
  for (int i = 0; i < n; i++) {
    ctrl.GetButton(i, &tb[(size_t)i]);
    const TBBUTTON& b = tb[(size_t)i];
    LayoutButton& l = lb[(size_t)i];
    l.command = (UINT)b.idCommand;
    l.separator = (b.fsStyle & TBSTYLE_SEP) != 0;
    l.hidden = (b.fsState & TBSTATE_HIDDEN) != 0;
    l.wrap = (b.fsState & TBSTATE_WRAP) != 0;
    CSize s = CalcButtonSize(i, b, dwMode);
    l.cx = (int)s.cx;
    l.cy = (int)s.cy;
  }
  const int nButtonHeight = (int)ctrl.GetButtonSize().cy;
  const CRect rcBorders = GetBorders();
  LayoutSize ls;
  if (m_dwStyle & CBRS_SIZE_DYNAMIC) {
    if (dwMode & LM_MRUWIDTH)
      ls = SizeToolBar(lb, m_nMRUWidth, false, nButtonHeight);
    else if (dwMode & LM_HORZDOCK)
      ls = SizeToolBar(lb, 32767, false, nButtonHeight);
    else if (dwMode & LM_VERTDOCK)
      ls = SizeToolBar(lb, 0, false, nButtonHeight);
    else if (nLength != -1) {
      if (dwMode & LM_LENGTHY)
        ls = SizeToolBar(lb, nLength - (rcBorders.top + rcBorders.bottom), true, nButtonHeight);
      else
        ls = SizeToolBar(lb, nLength - (rcBorders.left + rcBorders.right), false, nButtonHeight);
    } else if (IsFloating())
      ls = SizeToolBar(lb, m_nMRUWidth, false, nButtonHeight);
    else
      ls = SizeToolBar(lb, (dwMode & LM_HORZ) ? 32767 : 0, false, nButtonHeight);
  } else {
    WrapToolBar(lb, (dwMode & LM_HORZ) ? 32767 : 0);
    ls = CalcToolBarSize(lb, nButtonHeight);
  }
  CSize size(ls.cx, ls.cy);
  const BOOL bCommit = (dwMode & LM_COMMIT) || !(m_dwStyle & CBRS_SIZE_DYNAMIC);
  if (bCommit) {
    for (int i = 0; i < n; i++) {
      TBBUTTON& b = tb[(size_t)i];
      BYTE state = lb[(size_t)i].wrap ? (BYTE)(b.fsState | TBSTATE_WRAP) : (BYTE)(b.fsState & ~TBSTATE_WRAP);
      if (state == b.fsState)
        continue;
      b.fsState = state;
      TBBUTTONINFOA info = {};
      info.cbSize = sizeof info;
      info.dwMask = TBIF_BYINDEX | TBIF_STATE;
      info.fsState = state;
      SendMessage(TB_SETBUTTONINFOA, (WPARAM)i, (LPARAM)&info);
    }
    if ((dwMode & LM_COMMIT) && IsFloating())
      m_nMRUWidth = (int)size.cx;
    // The child controls follow their separators.
    if (m_bAllowControls) {
      for (int i = 0; i < n; i++) {
        const TBBUTTON& b = tb[(size_t)i];
        if (!(b.fsStyle & TBSTYLE_SEP) || b.idCommand == 0)
          continue;
        CWnd* pChild = GetDlgItem(b.idCommand);
        if (pChild == nullptr)
          continue;
        CRect rc;
        GetItemRect(i, &rc);
        const BOOL bShow = !(b.fsState & TBSTATE_HIDDEN) && lb[(size_t)i].cx > 0;
        ::SetWindowPos(pChild->m_hWnd, nullptr, rc.left, rc.top, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | (bShow ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
      }
    }
  }
  size.cx += rcBorders.left + rcBorders.right;
  size.cy += rcBorders.top + rcBorders.bottom;
  const CSize base = CControlBar::CalcFixedLayout((dwMode & LM_STRETCH) != 0, (dwMode & LM_HORZ) != 0);
  size.cx = std::max(size.cx, base.cx);
  size.cy = std::max(size.cy, base.cy);
  return size;
}

CSize CToolBarEx::CalcFixedLayout(BOOL bStretch, BOOL bHorz) {
  return CalcSize((bStretch ? LM_STRETCH : 0) | (bHorz ? LM_HORZ : 0));
}

CSize CToolBarEx::CalcDynamicLayout(int nLength, DWORD dwMode) {
  if (nLength == -1 && !(dwMode & (LM_MRUWIDTH | LM_COMMIT)) && (dwMode & (LM_HORZDOCK | LM_VERTDOCK)))
    return CalcFixedLayout((dwMode & LM_STRETCH) != 0, (dwMode & LM_HORZDOCK) != 0);
  return CalcSize(dwMode, nLength);
}

void CToolBarEx::OnNcPaint() {
  if (!(GetStyle() & TBSTYLE_FLAT)) {
    CControlBar::OnNcPaint();
    return;
  }
  CWindowDC dc(this);
  CRect rcWnd, rcClient;
  PrepareNcPaint(dc, &rcWnd, &rcClient);
  HDC hDC = dc.m_hDC;
  auto fill = [&](int l, int t, int r, int b, COLORREF c) {
    RECT rc = {l, t, r, b};
    HBRUSH h = ::CreateSolidBrush(c);
    ::FillRect(hDC, &rc, h);
    ::DeleteObject(h);
  };
  CRect rc = rcWnd;
  // One-pixel borders: left and top light on a 3-D bar, right and bottom in shadow.
  const COLORREF clrLeadIn = (m_dwStyle & CBRS_BORDER_3D) ? m_clrHighlight : m_clrShadow;
  if (m_dwStyle & CBRS_BORDER_LEFT)
    fill(rc.left, rc.top, rc.left + 1, rc.bottom, clrLeadIn), rc.left++;
  if (m_dwStyle & CBRS_BORDER_TOP)
    fill(rc.left, rc.top, rc.right, rc.top + 1, clrLeadIn), rc.top++;
  if (m_dwStyle & CBRS_BORDER_RIGHT)
    fill(rc.right - 1, rc.top, rc.right, rc.bottom, m_clrShadow), rc.right--;
  if (m_dwStyle & CBRS_BORDER_BOTTOM)
    fill(rc.left, rc.bottom - 1, rc.right, rc.bottom, m_clrShadow), rc.bottom--;
  fill(rc.left, rc.top, rc.right, rc.bottom, m_clrFace);
  if (m_dwDockStyle == 0) {
    // A bar that cannot dock gets an etched line along its top.
    fill(rcWnd.left, rcWnd.top, rcWnd.right, rcWnd.top + 1, m_clrShadow);
    fill(rcWnd.left, rcWnd.top + 1, rcWnd.right, rcWnd.top + 2, m_clrHighlight);
  }
  DrawGripper(&dc, GetGripperRect());
}

void CToolBarEx::OnPaint() {
  Default();
  if (!m_bAllowControls)
    return;
  CToolBarCtrl& ctrl = GetToolBarCtrl();
  HDC hDC = ::GetDC(m_hWnd);
  HBRUSH hFace = ::CreateSolidBrush(m_clrFace);
  for (int i = 0, n = ctrl.GetButtonCount(); i < n; i++) {
    TBBUTTON b = {};
    ctrl.GetButton(i, &b);
    if (!(b.fsStyle & TBSTYLE_SEP) || b.idCommand == 0 || (b.fsState & TBSTATE_HIDDEN))
      continue;
    CRect rc;
    GetItemRect(i, &rc);
    ::FillRect(hDC, &rc, hFace);
    CWnd* pChild = GetDlgItem(b.idCommand);
    if (pChild != nullptr)
      ::RedrawWindow(pChild->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
  }
  ::DeleteObject(hFace);
  ::ReleaseDC(m_hWnd, hDC);
}
