#include "views/captionstatic.h"

IMPLEMENT_DYNAMIC(CCaptionStatic, CStatic)

BEGIN_MESSAGE_MAP(CCaptionStatic, CStatic)
  ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

// The brush exists from the start, so the strip shows its colour from its
// first paint on.
CCaptionStatic::CCaptionStatic() : m_color(::GetSysColor(COLOR_BTNFACE)) { m_brush.CreateSolidBrush(m_color); }

COLORREF CCaptionStatic::SetColor(COLORREF color)
{
  const COLORREF old = m_color;
  m_color = color;
  m_brush.DeleteObject();
  m_brush.CreateSolidBrush(color);
  if (m_hWnd != nullptr)
    Invalidate(TRUE);
  return old;
}

BOOL CCaptionStatic::PreCreateWindow(CREATESTRUCT& cs)
{
  cs.dwExStyle |= WS_EX_CLIENTEDGE;
  return CStatic::PreCreateWindow(cs);
}

HBRUSH CCaptionStatic::CtlColor(CDC* pDC, UINT)
{
  pDC->SetBkColor(m_color);
  return (HBRUSH)m_brush.GetSafeHandle();
}
