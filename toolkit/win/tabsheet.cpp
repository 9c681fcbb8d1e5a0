#include "toolkit/tabsheet.h"

IMPLEMENT_DYNAMIC(CTabSheet, CShadedTabCtrl)

BEGIN_MESSAGE_MAP(CTabSheet, CShadedTabCtrl)
  ON_NOTIFY_REFLECT(TCN_SELCHANGING, OnSelChanging)
  ON_WM_SETFOCUS()
  ON_WM_KILLFOCUS()
  ON_WM_DESTROY()
END_MESSAGE_MAP()

BOOL CTabSheet::IsPage(int nIndex) const {
  return nIndex >= 0 && nIndex < (int)m_pages.size() && m_pages[nIndex].pWnd != nullptr &&
         ::IsWindow(m_pages[nIndex].pWnd->m_hWnd);
}

CWnd* CTabSheet::GetPage(int nIndex) const {
  return nIndex >= 0 && nIndex < (int)m_pages.size() ? m_pages[nIndex].pWnd : nullptr;
}

DWORD CTabSheet::GetPageUserValue(int nIndex) const {
  return nIndex >= 0 && nIndex < (int)m_userValues.size() ? m_userValues[nIndex] : 0;
}

void CTabSheet::SetDeleteWithSheet(int nIndex, BOOL bDelete) {
  if (nIndex >= 0 && nIndex < (int)m_pages.size())
    m_pages[nIndex].bDeleteWithSheet = bDelete;
}

CRect CTabSheet::PageRect() const {
  CRect rcClient;
  GetClientRect(&rcClient);
  int nRows = GetRowCount();
  CRect rcTab(0, 0, 0, 0);
  if (GetItemCount() > 0)
    GetItemRect(0, &rcTab);
  DWORD dwStyle = GetStyle();
  TabSide side = TAB_SIDE_TOP;
  if (dwStyle & TCS_VERTICAL)
    side = (dwStyle & TCS_RIGHT) ? TAB_SIDE_RIGHT : TAB_SIDE_LEFT;
  else if (dwStyle & TCS_BOTTOM)
    side = TAB_SIDE_BOTTOM;
  TabPageBox b = TabPageRect(side, rcClient.Width(), rcClient.Height(), nRows, rcTab.Width(), rcTab.Height());
  return CRect(b.x, b.y, b.x + b.cx, b.y + b.cy);
}

void CTabSheet::FitPage(int nIndex) {
  if (!IsPage(nIndex))
    return;
  CRect rc = PageRect();
  m_pages[nIndex].pWnd->SetWindowPos(nullptr, rc.left, rc.top, rc.Width(), rc.Height(),
                                     SWP_NOZORDER | SWP_NOACTIVATE);
}

void CTabSheet::RememberFocus(int nIndex) {
  if (!IsPage(nIndex))
    return;
  HWND hFocus = ::GetFocus();
  // Only a window of that page counts (the tab itself, say, does not).
  if (hFocus != nullptr && ::IsChild(m_pages[nIndex].pWnd->m_hWnd, hFocus))
    m_focus[nIndex] = hFocus;
}

void CTabSheet::RestoreFocus(int nIndex) {
  if (!IsPage(nIndex))
    return;
  HWND hPage = m_pages[nIndex].pWnd->m_hWnd;
  HWND hFocus = m_focus[nIndex];
  if (hFocus == nullptr || !::IsWindow(hFocus) || !::IsChild(hPage, hFocus))
    hFocus = ::GetWindow(hPage, GW_CHILD);
  if (hFocus != nullptr)
    ::SetFocus(hFocus);
}

int CTabSheet::AddPage(LPCTSTR lpszTitle, DWORD dwUser, CWnd* pPage) {
  int nIndex = GetItemCount();
  nIndex = (int)InsertItem(nIndex, lpszTitle ? lpszTitle : "");
  if (nIndex < 0)
    return -1;
  if (pPage == nullptr || !::IsWindow(pPage->GetSafeHwnd())) {
    DeleteItem(nIndex);
    return -1;
  }
  m_pages.push_back({pPage, FALSE});
  m_userValues.push_back(dwUser);
  m_focus.push_back(nullptr);
  nIndex = (int)m_pages.size() - 1;
  pPage->SetParent(this);
  CRect rcClient;
  GetClientRect(&rcClient);
  if (rcClient.Width() > 0 && rcClient.Height() > 0)
    FitPage(nIndex);
  if (WantsFirstChildFocus(nIndex, dwUser))
    m_focus[nIndex] = ::GetWindow(pPage->m_hWnd, GW_CHILD);
  else
    m_focus[nIndex] = ::GetFocus();
  if (nIndex == 0)
    pPage->ShowWindow(SW_SHOW);
  else
    pPage->ShowWindow(SW_HIDE);
  return nIndex;
}

BOOL CTabSheet::SetActivePage(int nIndex) {
  if (nIndex < 0 || nIndex >= GetItemCount())
    return FALSE;
  int nCur = GetCurSel();
  if (nIndex == nCur)
    return TRUE;
  if (IsPage(nCur)) {
    RememberFocus(nCur);
    m_pages[nCur].pWnd->ShowWindow(SW_HIDE);
  }
  SetCurSel(nIndex);
  if (IsPage(nIndex)) {
    FitPage(nIndex);
    m_pages[nIndex].pWnd->ShowWindow(SW_SHOW);
    RestoreFocus(nIndex);
  }
  return TRUE;
}

void CTabSheet::ResizePages() {
  int nCur = GetCurSel();
  if (!IsPage(nCur))
    return;
  FitPage(nCur);
  m_pages[nCur].pWnd->ShowWindow(SW_SHOW);
  RestoreFocus(nCur);
  OnPageShown(nCur, m_userValues[nCur]);
}

void CTabSheet::OnSelChanging(NMHDR*, LRESULT* pResult) {
  int nCur = GetCurSel();
  if (IsPage(nCur)) {
    OnPageHiding(nCur, m_userValues[nCur]);
    RememberFocus(nCur);
    m_pages[nCur].pWnd->ShowWindow(SW_HIDE);
  }
  *pResult = FALSE;
}

void CTabSheet::OnSetFocus(CWnd* pOldWnd) {
  CShadedTabCtrl::OnSetFocus(pOldWnd);
  int nCur = GetCurSel();
  // A click on a tab takes the focus from the page first: that control is
  // the one the page gets back.
  if (IsPage(nCur) && pOldWnd != nullptr && ::IsChild(m_pages[nCur].pWnd->m_hWnd, pOldWnd->m_hWnd))
    m_focus[nCur] = pOldWnd->m_hWnd;
  if (IsPage(nCur) && m_pages[nCur].pWnd->IsWindowVisible())
    RestoreFocus(nCur);
}

void CTabSheet::OnKillFocus(CWnd* pNewWnd) {
  CShadedTabCtrl::OnKillFocus(pNewWnd);
  int nCur = GetCurSel();
  if (IsPage(nCur) && pNewWnd != nullptr && ::IsChild(m_pages[nCur].pWnd->m_hWnd, pNewWnd->m_hWnd))
    m_focus[nCur] = pNewWnd->m_hWnd;
}

void CTabSheet::OnDestroy() {
  for (int i = (int)m_pages.size() - 1; i >= 0; --i) {
    OnPageRemoving(i, m_userValues[i]);
    CWnd* pPage = m_pages[i].pWnd;
    if (pPage == nullptr)
      continue;
    if (::IsWindow(pPage->m_hWnd))
      pPage->DestroyWindow();
    if (m_pages[i].bDeleteWithSheet)
      delete pPage;
  }
  m_pages.clear();
  m_focus.clear();
  m_userValues.clear();
  CShadedTabCtrl::OnDestroy();
}

BOOL CTabSheet::OnCommand(WPARAM wParam, LPARAM lParam) {
  CWnd* pParent = GetParent();
  if (pParent != nullptr)
    pParent->SendMessage(WM_COMMAND, wParam, lParam);
  return TRUE;
}

BOOL CTabSheet::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
  if (nCode == CN_EVENT) {
    CWnd* pParent = GetParent();
    return pParent != nullptr && pParent->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
  }
  return CShadedTabCtrl::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}
