// An edit control with its own text and background colours and, optionally,
// a context menu from a resource (the console's log).
#pragma once

#include "framework/afxwin.h"
#include "framework/controls.h"
#include "framework/gdi.h"

class CEditEx : public CEdit {
  DECLARE_DYNCREATE(CEditEx)
public:
  CEditEx();
  ~CEditEx() override;

  // Both return the colour they replace.
  COLORREF SetBkColor(COLORREF colour);
  COLORREF SetTextColor(COLORREF colour);
  COLORREF GetBkColor() const { return m_crBack; }
  COLORREF GetTextColor() const { return m_crText; }
  // The menu resource whose first popup the right button shows; 0 keeps the
  // edit's own menu.
  void SetContextMenuId(UINT id) { m_menuId = id; }

protected:
  afx_msg HBRUSH CtlColor(CDC* pDC, UINT nCtlColor);
  afx_msg void OnContextMenu(CWnd* pWnd, CPoint point);
  DECLARE_MESSAGE_MAP()

private:
  void RemakeBrush();

  HBRUSH m_brush = nullptr;
  COLORREF m_crText;
  COLORREF m_crBack;
  UINT m_menuId = 0;
};
