// A view that shows owner-drawn context menus (the folder trees and the file
// lists): it keeps the menu it rebuilds for every context menu, measures the
// menu's items and answers its shortcut characters.
#pragma once

#include "framework/docview.h"
#include "toolkit/bcmenu.h"

class CMenuView : public CView {
  DECLARE_DYNAMIC(CMenuView)
public:
  // Takes the view's colour of g_viewColors again (the views read it only
  // when they are made) and redraws.
  virtual void ApplyViewColor() {}

protected:
  BCMenu m_contextMenu;  // rebuilt for every context menu

  afx_msg void OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct);
  afx_msg LRESULT OnMenuChar(UINT nChar, UINT nFlags, CMenu* pMenu);
  DECLARE_MESSAGE_MAP()
};
