// The rebar: the common rebar control subclassed, holding bars as bands.
#include "framework/bars.h"

#include <algorithm>

#include "framework/commctrls.h"
#include "framework/docview.h"

static_assert(sizeof(CReBarCtrl) == sizeof(CWnd), "the control wrapper must add no data to CWnd");

IMPLEMENT_DYNAMIC(CReBar, CControlBar)

BEGIN_MESSAGE_MAP(CReBar, CControlBar)
  ON_NOTIFY_REFLECT(RBN_HEIGHTCHANGE, OnHeightChange)
END_MESSAGE_MAP()

CReBar::CReBar() { m_bRouteToFrame = TRUE; }

CReBarCtrl& CReBar::GetReBarCtrl() const {
  return *reinterpret_cast<CReBarCtrl*>(static_cast<CWnd*>(const_cast<CReBar*>(this)));
}

BOOL CReBar::Create(CWnd* pParentWnd, DWORD dwCtrlStyle, DWORD dwStyle, UINT nID) {
  AfxInitCommonControls(ICC_COOL_CLASSES | ICC_BAR_CLASSES);
  DWORD dwCtrl = dwCtrlStyle | CCS_NODIVIDER | CCS_NOPARENTALIGN | CCS_NORESIZE;
  if (!CreateBar(WS_EX_TOOLWINDOW, REBARCLASSNAMEA, nullptr, dwStyle, dwCtrl, pParentWnd, nID))
    return FALSE;
  m_dwStyle &= ~CBRS_BORDER_ANY;  // the control draws its own bands
  REBARINFO info = {};
  info.cbSize = sizeof info;
  SendMessage(RB_SETBARINFO, 0, (LPARAM)&info);
  return TRUE;
}

BOOL CReBar::AddBar(CControlBar* pBar, LPCTSTR pszText, DWORD dwStyle) {
  if (pBar == nullptr || pBar->m_hWnd == nullptr || m_hWnd == nullptr)
    return FALSE;
  // In a band the bar has no borders or gripper of its own; it stays in the frame's list.
  pBar->SetBarStyle(pBar->GetBarStyle() & ~(CBRS_BORDER_ANY | CBRS_GRIPPER));
  ::SetParent(pBar->m_hWnd, m_hWnd);
  CSize size = pBar->CalcFixedLayout(FALSE, TRUE);
  REBARBANDINFOA rbbi = {};
  rbbi.cbSize = sizeof rbbi;
  rbbi.fMask = RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_STYLE | RBBIM_SIZE | RBBIM_IDEALSIZE | RBBIM_ID;
  if (pszText != nullptr) {
    rbbi.fMask |= RBBIM_TEXT;
    rbbi.lpText = const_cast<LPSTR>(pszText);
  }
  rbbi.fStyle = dwStyle;
  rbbi.hwndChild = pBar->m_hWnd;
  rbbi.cxMinChild = (UINT)size.cx;
  rbbi.cyMinChild = (UINT)size.cy;
  rbbi.cx = rbbi.cxIdeal = (UINT)size.cx;
  rbbi.wID = (UINT)pBar->GetDlgCtrlID();
  if (!GetReBarCtrl().InsertBand((UINT)-1, &rbbi))
    return FALSE;
  if (m_pDockSite != nullptr)
    m_pDockSite->RecalcLayout();
  return TRUE;
}

CSize CReBar::CalcFixedLayout(BOOL bStretch, BOOL) {
  CRect rc;
  GetWindowRect(&rc);
  return CSize(bStretch ? 32767 : rc.Width(), (int)GetReBarCtrl().GetBarHeight());
}

void CReBar::OnSizeParentBar(AFX_SIZEPARENTPARAMS* lpLayout) {
  if (!IsVisible())
    return;
  // Placed at the full width first: the control's height follows its width.
  CRect avail(lpLayout->rect);
  const BOOL bMove = lpLayout->hDWP != nullptr;  // else the frame only asks
  CRect rc;
  GetWindowRect(&rc);
  if (bMove)
    ::SetWindowPos(m_hWnd, nullptr, avail.left, avail.top, avail.Width(), rc.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
  int cy = std::min((int)GetReBarCtrl().GetBarHeight(), (int)avail.Height());
  if (bMove)
    ::SetWindowPos(m_hWnd, nullptr, avail.left, avail.top, avail.Width(), cy, SWP_NOZORDER | SWP_NOACTIVATE);
  lpLayout->rect.top += cy;
}

void CReBar::OnHeightChange(NMHDR*, LRESULT* pResult) {
  *pResult = 0;
  if (m_pDockSite != nullptr)
    m_pDockSite->RecalcLayout();  // ends at once inside the frame's own layout
}
