#include "console/editex.h"

#include "framework/menu.h"

IMPLEMENT_DYNCREATE(CEditEx, CEdit)

BEGIN_MESSAGE_MAP(CEditEx, CEdit)
  ON_WM_CTLCOLOR_REFLECT()
  ON_WM_CONTEXTMENU()
END_MESSAGE_MAP()

CEditEx::CEditEx() : m_crText(::GetSysColor(COLOR_WINDOWTEXT)), m_crBack(::GetSysColor(COLOR_WINDOW))
{
  RemakeBrush();
}

CEditEx::~CEditEx()
{
  if (m_brush != nullptr)
    ::DeleteObject(m_brush);
}

void CEditEx::RemakeBrush()
{
  if (m_brush != nullptr)
    ::DeleteObject(m_brush);
  m_brush = ::CreateSolidBrush(m_crBack);
}

COLORREF CEditEx::SetBkColor(COLORREF colour)
{
  const COLORREF old = m_crBack;
  m_crBack = colour;
  RemakeBrush();
  if (m_hWnd != nullptr)
    Invalidate();
  return old;
}

COLORREF CEditEx::SetTextColor(COLORREF colour)
{
  const COLORREF old = m_crText;
  m_crText = colour;
  if (m_hWnd != nullptr)
    Invalidate();
  return old;
}

// Reflected for an editable edit (CTLCOLOREDIT) and a read-only one
// (CTLCOLORSTATIC) alike.
HBRUSH CEditEx::CtlColor(CDC* pDC, UINT)
{
  pDC->SetTextColor(m_crText);
  pDC->SetBkColor(m_crBack);
  return m_brush;
}

void CEditEx::OnContextMenu(CWnd* pWnd, CPoint point)
{
  if (m_menuId == 0) {
    Default();
    return;
  }
  CMenu menu;
  if (!menu.LoadMenu(m_menuId))
    return;
  CMenu* popup = menu.GetSubMenu(0);
  if (popup == nullptr)
    return;
  if (point.x == -1 && point.y == -1) {
    CRect rc;
    GetWindowRect(&rc);
    point = rc.TopLeft();
  }
  (void)pWnd;
  popup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, point.x, point.y, GetParent());
}
