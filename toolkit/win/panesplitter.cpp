#include "toolkit/panesplitter.h"

IMPLEMENT_DYNAMIC(CPaneSplitterWnd, CSplitterWnd)

void CPaneSplitterWnd::HideView(CWnd* pView) {
  if (pView == nullptr || pView->GetSafeHwnd() == nullptr)
    return;
  pView->ShowWindow(SW_HIDE);
  ::SetWindowLongPtrA(pView->m_hWnd, GWLP_ID, 0);
}

void CPaneSplitterWnd::ShowInPane(CWnd* pView, DWORD pane) {
  const int row = (int)(pane & 0xFFFF), col = (int)(pane >> 16);
  ::SetWindowLongPtrA(pView->m_hWnd, GWLP_ID, IdFromRowCol(row, col));
  pView->ShowWindow(SW_SHOW);
}

CWnd* CPaneSplitterWnd::GetView(int nViewID) const {
  auto it = m_views.find(nViewID);
  if (it == m_views.end() || !::IsWindow(it->second))
    return nullptr;
  return CWnd::FromHandlePermanent(it->second);
}

int CPaneSplitterWnd::GetShownView(int row, int col) const {
  auto it = m_shown.find(PaneKey(row, col));
  return it == m_shown.end() ? -1 : it->second;
}

int CPaneSplitterWnd::AddView(int row, int col, CRuntimeClass* pViewClass, CCreateContext* pContext) {
  if (m_hWnd == nullptr || row < 0 || row >= GetRowCount() || col < 0 || col >= GetColumnCount())
    return -1;
  const DWORD pane = PaneKey(row, col);
  // Whatever now holds the pane's id gives it up, so the pane is free to make
  // the new view in.
  CWnd* pPrevious = GetPane(row, col);
  HWND hPrevious = pPrevious ? pPrevious->m_hWnd : nullptr;
  if (hPrevious != nullptr) {
    ::ShowWindow(hPrevious, SW_HIDE);
    ::SetWindowLongPtrA(hPrevious, GWLP_ID, 0);
  }
  // Creating a view sets the row's and column's ideal size: the owner's stay.
  int cyRow = m_rows[(size_t)row].nIdealSize, cxCol = m_cols[(size_t)col].nIdealSize;
  const BOOL made = CreateView(row, col, pViewClass, CSize(10, 10), pContext);
  m_rows[(size_t)row].nIdealSize = cyRow;
  m_cols[(size_t)col].nIdealSize = cxCol;
  CWnd* pNew = made ? CWnd::FromHandlePermanent(::GetDlgItem(m_hWnd, IdFromRowCol(row, col))) : nullptr;
  if (pNew == nullptr) {
    if (hPrevious != nullptr) {
      ::SetWindowLongPtrA(hPrevious, GWLP_ID, IdFromRowCol(row, col));
      ::ShowWindow(hPrevious, SW_SHOW);
    }
    RecalcLayout();
    return -1;
  }
  const int id = m_nNextViewID++;
  m_viewPane[id] = pane;
  m_views[id] = pNew->m_hWnd;
  m_shown[pane] = id;
  RecalcLayout();
  RedrawWindow();
  return id;
}

BOOL CPaneSplitterWnd::ShowView(int nViewID) {
  auto it = m_viewPane.find(nViewID);
  if (it == m_viewPane.end())
    return FALSE;
  const DWORD pane = it->second;
  CWnd* pView = GetView(nViewID);
  if (pView == nullptr)
    return FALSE;
  auto shown = m_shown.find(pane);
  if (shown != m_shown.end() && shown->second != nViewID)
    HideView(GetView(shown->second));
  ShowInPane(pView, pane);
  m_shown[pane] = nViewID;
  RecalcLayout();
  return TRUE;
}
