#include "shell/funcview/listpanebase.h"

#include "framework/commctrls.h"

IMPLEMENT_DYNAMIC(CListPaneBase, CTabPageDialog)

BEGIN_MESSAGE_MAP(CListPaneBase, CTabPageDialog)
  ON_WM_SIZE()
  ON_WM_CONTEXTMENU()
END_MESSAGE_MAP()

void CListPaneBase::PostNcDestroy()
{
  CTabPageDialog::PostNcDestroy();
  if (m_autoDelete)
    delete this;
}

BOOL CListPaneBase::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
  if (CDialog::OnNotify(wParam, lParam, pResult))
    return TRUE;
  return CTabPageDialog::OnNotify(wParam, lParam, pResult);
}

void CListPaneBase::OnSize(UINT nType, int cx, int cy)
{
  CTabPageDialog::OnSize(nType, cx, cy);
  if (PaneList().GetSafeHwnd() != nullptr)
    PaneList().MoveWindow(0, 0, cx, cy);
}

void CListPaneBase::OnContextMenu(CWnd* pWnd, CPoint point)
{
  if (pWnd == nullptr || pWnd->m_hWnd != PaneList().m_hWnd)
    return;
  if (point.x == -1 && point.y == -1)
    ::GetCursorPos(&point);
  size_t count = 0;
  const ContextMenuItem* items = PaneMenu(&count);
  BCMenu menu;
  CMenu* popup = BuildContextPopup(menu, items, count, this);
  if (popup == nullptr)
    return;
  const UINT id = TrackContextPopup(menu, popup, point, this);
  if (id != 0)
    SendMessage(WM_COMMAND, id, 0);
}

std::vector<int> SelectedListRows(const CListCtrl& list)
{
  std::vector<int> rows;
  if (list.GetSafeHwnd() == nullptr)
    return rows;
  for (int i = list.GetNextItem(-1, LVNI_SELECTED); i >= 0; i = list.GetNextItem(i, LVNI_SELECTED))
    rows.push_back(i);
  return rows;
}

void InvertListSelection(CListCtrl& list, int rows)
{
  for (int i = 0; i < rows; ++i)
    list.SetItemState(i, (list.GetItemState(i, LVIS_SELECTED) & LVIS_SELECTED) != 0 ? 0 : LVIS_SELECTED,
                      LVIS_SELECTED);
}
