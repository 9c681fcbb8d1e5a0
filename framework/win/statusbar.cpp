// The status bar: the common status control subclassed, with panes that take
// texts, widths and child windows.
#include "framework/bars.h"

#include <algorithm>
#include <vector>

#include "framework/commctrls.h"
#include "framework/docview.h"

namespace {

const int kPaneExtra = 8;  // a pane's borders and margins around its text

class CStatusCmdUI : public CCmdUI {
public:
  void Enable(BOOL bOn) override {
    m_bEnableChanged = TRUE;
    CStatusBar* pBar = static_cast<CStatusBar*>(m_pOther);
    UINT nStyle = pBar->GetPaneStyle((int)m_nIndex);
    UINT nNew = bOn ? (nStyle & ~SBPS_DISABLED) : (nStyle | SBPS_DISABLED);
    if (nNew != nStyle)
      pBar->SetPaneStyle((int)m_nIndex, nNew);
  }
  void SetCheck(int nCheck) override {
    CStatusBar* pBar = static_cast<CStatusBar*>(m_pOther);
    UINT nStyle = pBar->GetPaneStyle((int)m_nIndex);
    UINT nNew = nCheck ? (nStyle | SBPS_POPOUT) : (nStyle & ~SBPS_POPOUT);
    if (nNew != nStyle)
      pBar->SetPaneStyle((int)m_nIndex, nNew);
  }
  void SetText(LPCTSTR lpszText) override {
    CStatusBar* pBar = static_cast<CStatusBar*>(m_pOther);
    if (pBar->GetPaneText((int)m_nIndex) != (lpszText ? lpszText : ""))
      pBar->SetPaneText((int)m_nIndex, lpszText);
  }
};

HFONT BarFont(HWND hWnd) {
  HFONT hFont = (HFONT)::SendMessageA(hWnd, WM_GETFONT, 0, 0);
  return hFont != nullptr ? hFont : (HFONT)::GetStockObject(DEFAULT_GUI_FONT);
}

}  // namespace

IMPLEMENT_DYNAMIC(CStatusBar, CControlBar)

BEGIN_MESSAGE_MAP(CStatusBar, CControlBar)
  ON_WM_SIZE()
  ON_MESSAGE(WM_SETTEXT, OnSetText)
END_MESSAGE_MAP()

CStatusBar::CStatusBar() = default;

BOOL CStatusBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID) {
  AfxInitCommonControls(ICC_BAR_CLASSES);
  DWORD dwCtrl = CCS_NOPARENTALIGN | CCS_NOMOVEY | CCS_NODIVIDER | CCS_NORESIZE | WS_CLIPCHILDREN;
  if (!CreateBar(0, STATUSCLASSNAMEA, nullptr, dwStyle, dwCtrl, pParentWnd, nID))
    return FALSE;
  SendMessage(WM_SETFONT, (WPARAM)::GetStockObject(DEFAULT_GUI_FONT), FALSE);
  UpdateParts();
  return TRUE;
}

int CStatusBar::GetTextWidth(LPCTSTR lpszText) const {
  if (m_hWnd == nullptr || lpszText == nullptr)
    return 0;
  HDC hDC = ::GetDC(m_hWnd);
  HGDIOBJ hOld = ::SelectObject(hDC, BarFont(m_hWnd));
  SIZE size = {0, 0};
  ::GetTextExtentPoint32A(hDC, lpszText, lstrlenA(lpszText), &size);
  ::SelectObject(hDC, hOld);
  ::ReleaseDC(m_hWnd, hDC);
  return size.cx;
}

BOOL CStatusBar::SetIndicators(const UINT* lpIDArray, int nIDCount) {
  if (nIDCount < 0 || (nIDCount > 0 && lpIDArray == nullptr))
    return FALSE;
  std::vector<Pane> panes;
  int nLastSeparator = -1;
  for (int i = 0; i < nIDCount; i++) {
    Pane p = {lpIDArray[i], SBPS_NORMAL, 0, CString(), nullptr};
    if (p.nID == 0) {
      nLastSeparator = i;
    } else {
      if (!p.strText.LoadString(p.nID))
        return FALSE;  // every indicator needs its string
      p.cxText = GetTextWidth(p.strText);
    }
    panes.push_back(p);
  }
  if (nLastSeparator >= 0)
    panes[(size_t)nLastSeparator].nStyle |= SBPS_STRETCH;
  m_panes = panes;
  UpdateParts();
  return TRUE;
}

int CStatusBar::CommandToIndex(UINT nIDFind) const {
  for (size_t i = 0; i < m_panes.size(); i++)
    if (m_panes[i].nID == nIDFind)
      return (int)i;
  return -1;
}

UINT CStatusBar::GetItemID(int nIndex) const {
  return nIndex >= 0 && nIndex < GetCount() ? m_panes[(size_t)nIndex].nID : 0;
}

void CStatusBar::GetItemRect(int nIndex, LPRECT lpRect) const {
  ::SetRectEmpty(lpRect);
  if (nIndex >= 0 && nIndex < GetCount())
    SendMessage(SB_GETRECT, (WPARAM)nIndex, (LPARAM)lpRect);
}

void CStatusBar::GetPaneInfo(int nIndex, UINT& nID, UINT& nStyle, int& cxWidth) const {
  if (nIndex < 0 || nIndex >= GetCount()) {
    nID = nStyle = 0;
    cxWidth = 0;
    return;
  }
  const Pane& p = m_panes[(size_t)nIndex];
  nID = p.nID;
  nStyle = p.nStyle;
  cxWidth = p.cxText;
}

void CStatusBar::SetPaneInfo(int nIndex, UINT nID, UINT nStyle, int cxWidth) {
  if (nIndex < 0 || nIndex >= GetCount())
    return;
  Pane& p = m_panes[(size_t)nIndex];
  p.nID = nID;
  p.nStyle = nStyle;
  p.cxText = std::max(0, cxWidth);
  UpdateParts();
}

UINT CStatusBar::GetPaneStyle(int nIndex) const {
  return nIndex >= 0 && nIndex < GetCount() ? m_panes[(size_t)nIndex].nStyle : 0;
}

void CStatusBar::SetPaneStyle(int nIndex, UINT nStyle) {
  if (nIndex < 0 || nIndex >= GetCount() || m_panes[(size_t)nIndex].nStyle == nStyle)
    return;
  m_panes[(size_t)nIndex].nStyle = nStyle;
  UpdateParts();
}

CString CStatusBar::GetPaneText(int nIndex) const {
  return nIndex >= 0 && nIndex < GetCount() ? m_panes[(size_t)nIndex].strText : CString();
}

namespace {
void PushPaneText(HWND hWnd, int nIndex, UINT nStyle, LPCTSTR lpszText) {
  WPARAM wFlags = 0;
  if (nStyle & SBPS_NOBORDERS)
    wFlags |= SBT_NOBORDERS;
  if (nStyle & SBPS_POPOUT)
    wFlags |= SBT_POPOUT;
  ::SendMessageA(hWnd, SB_SETTEXTA, (WPARAM)nIndex | wFlags, (LPARAM)((nStyle & SBPS_DISABLED) ? "" : lpszText));
}
}  // namespace

BOOL CStatusBar::SetPaneText(int nIndex, LPCTSTR lpszNewText, BOOL bUpdate) {
  if (nIndex < 0 || nIndex >= GetCount())
    return FALSE;
  Pane& p = m_panes[(size_t)nIndex];
  p.strText = lpszNewText ? lpszNewText : "";
  if (m_hWnd != nullptr) {
    PushPaneText(m_hWnd, nIndex, p.nStyle, p.strText);
    if (bUpdate)
      ::UpdateWindow(m_hWnd);
  }
  return TRUE;
}

void CStatusBar::SetPaneChild(int nIndex, HWND hWndChild) {
  if (nIndex < 0 || nIndex >= GetCount())
    return;
  m_panes[(size_t)nIndex].hWndChild = hWndChild;
  UpdateParts();
}

void CStatusBar::UpdateParts() {
  if (m_hWnd == nullptr)
    return;
  CRect rc;
  GetClientRect(&rc);
  std::vector<int> edges;
  if (m_panes.empty()) {
    edges.push_back(-1);
    SendMessage(SB_SETPARTS, 1, (LPARAM)edges.data());
    return;
  }
  int nFixed = 0, nStretch = 0;
  for (const Pane& p : m_panes) {
    if (p.nStyle & SBPS_STRETCH)
      nStretch++;
    else
      nFixed += p.cxText + kPaneExtra;
  }
  int nRest = std::max(0, (int)rc.Width() - nFixed);
  int x = 0, nSeen = 0;
  for (const Pane& p : m_panes) {
    int w = p.cxText + kPaneExtra;
    if (p.nStyle & SBPS_STRETCH) {
      nSeen++;
      w = nSeen == nStretch ? nRest - (nStretch - 1) * (nRest / nStretch) : nRest / nStretch;
    }
    x += w;
    edges.push_back(x);
  }
  SendMessage(SB_SETPARTS, (WPARAM)edges.size(), (LPARAM)edges.data());
  for (size_t i = 0; i < m_panes.size(); i++)
    PushPaneText(m_hWnd, (int)i, m_panes[i].nStyle, m_panes[i].strText);
  // Children stay on their panes and above them.
  for (size_t i = 0; i < m_panes.size(); i++) {
    HWND hChild = m_panes[i].hWndChild;
    if (hChild == nullptr || !::IsWindow(hChild))
      continue;
    CRect rcPane;
    GetItemRect((int)i, &rcPane);
    ::SetWindowPos(hChild, HWND_TOP, rcPane.left, rcPane.top, rcPane.Width(), rcPane.Height(), SWP_NOACTIVATE);
  }
}

CSize CStatusBar::CalcFixedLayout(BOOL bStretch, BOOL) {
  int cy = 20;
  if (m_hWnd != nullptr) {
    HDC hDC = ::GetDC(m_hWnd);
    HGDIOBJ hOld = ::SelectObject(hDC, BarFont(m_hWnd));
    TEXTMETRICA tm = {};
    ::GetTextMetricsA(hDC, &tm);
    ::SelectObject(hDC, hOld);
    ::ReleaseDC(m_hWnd, hDC);
    int borders[3] = {0, 0, 0};
    SendMessage(SB_GETBORDERS, 0, (LPARAM)borders);
    cy = tm.tmHeight + 2 * borders[1] + 4;
  }
  CRect b = GetBorders();
  int cx = 0;
  for (const Pane& p : m_panes)
    cx += p.cxText + kPaneExtra;
  return CSize(bStretch ? 32767 : cx + b.left + b.right, cy + b.top + b.bottom);
}

void CStatusBar::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL) {
  // Panes are never disabled for lack of a handler.
  CStatusCmdUI state;
  state.m_pOther = this;
  state.m_nIndexMax = (UINT)GetCount();
  for (UINT i = 0; i < state.m_nIndexMax; i++) {
    state.m_nIndex = i;
    state.m_nID = m_panes[i].nID;
    if (state.m_nID != 0)
      state.DoUpdate(pTarget, FALSE);
  }
}

void CStatusBar::OnSize(UINT nType, int cx, int cy) {
  CControlBar::OnSize(nType, cx, cy);
  UpdateParts();
}

LRESULT CStatusBar::OnSetText(WPARAM, LPARAM lParam) {
  // The window text is the first pane's (the frame's message line).
  if (GetCount() > 0)
    SetPaneText(0, reinterpret_cast<LPCTSTR>(lParam), FALSE);
  else
    Default();
  return TRUE;
}
