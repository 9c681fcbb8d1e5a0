// CListPaneBase: what the "Searched" and "Site to Site" pages share. Each is
// one list filling the page with a right-click menu on it, made with new by
// the function view's page maker and deleted with its window.
#pragma once

#include <cstddef>
#include <vector>

#include "framework/afxwin.h"
#include "toolkit/tabpagedialog.h"
#include "views/contextmenu.h"

class CListCtrl;

class CListPaneBase : public CTabPageDialog {
  DECLARE_DYNAMIC(CListPaneBase)
public:
  CListPaneBase(UINT templateId, CWnd* pParent) : CTabPageDialog(templateId, pParent) {}
  bool m_autoDelete = false;

  // The page maker of a page class: Page(CWnd* parent), template Id.
  template <class Page, UINT Id>
  static CTabPageDialog* Make(CWnd* parent)
  {
    Page* page = new Page(parent);
    if (!page->Create(Id, parent)) {
      delete page;
      return nullptr;
    }
    page->m_autoDelete = true;
    return page;
  }

protected:
  // The list that fills the page and the items of its menu.
  virtual CListCtrl& PaneList() = 0;
  virtual const ContextMenuItem* PaneMenu(size_t* count) const = 0;

  void PostNcDestroy() override;
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
  afx_msg void OnSize(UINT nType, int cx, int cy);
  afx_msg void OnContextMenu(CWnd* pWnd, CPoint point);
  DECLARE_MESSAGE_MAP()
};

// The selected rows of a list, in order.
std::vector<int> SelectedListRows(const CListCtrl& list);
// Every row's selection toggled.
void InvertListSelection(CListCtrl& list, int rows);
