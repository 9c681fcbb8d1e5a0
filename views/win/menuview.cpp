#include "views/menuview.h"

IMPLEMENT_DYNAMIC(CMenuView, CView)

BEGIN_MESSAGE_MAP(CMenuView, CView)
  ON_WM_MEASUREITEM()
  ON_WM_MENUCHAR()
END_MESSAGE_MAP()

void CMenuView::OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct)
{
  // Only the items of a live owner-drawn menu; the rest as any window does.
  if (BCMenu::MeasureItemEntry(lpMeasureItemStruct))
    return;
  CView::OnMeasureItem(nIDCtl, lpMeasureItemStruct);
}

LRESULT CMenuView::OnMenuChar(UINT nChar, UINT nFlags, CMenu* pMenu)
{
  // Any of our owner-drawn menus, a loaded menu's pop-up or one made afresh
  // (BCMenu answers 0 for a menu that is not its own).
  if (const LRESULT found = BCMenu::OnMenuChar(nChar, nFlags, pMenu))
    return found;
  return CView::OnMenuChar(nChar, nFlags, pMenu);
}
