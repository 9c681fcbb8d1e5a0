#include "console/fadeprogress.h"

#include "toolkit/gradient.h"

BEGIN_MESSAGE_MAP(CFadeProgressCtrl, CMemProgressBar)
  ON_WM_PAINT()
END_MESSAGE_MAP()

CFadeProgressCtrl::CFadeProgressCtrl()
{
  m_crText = 0xFFFFFF;
}

void CFadeProgressCtrl::OnPaint()
{
  CPaintDC dc(this);
  CRect rc;
  GetClientRect(&rc);
  int filled = 0;
  if (!ProgressFilledWidth(rc.Width(), m_nLower, m_nUpper, m_nPos, &filled)) {
    dc.FillSolidRect(&rc, ::GetSysColor(COLOR_3DFACE));
    return;
  }
  DrawGradient(&dc, rc, filled);
  // Off unless asked for: white figures are unreadable on the pale start of
  // the console's own white-to-black bar.
  if (!m_bShowText)
    return;
  const std::string text = FadeProgressText(m_nPos, m_nUpper);
  dc.SetTextColor(m_crText);
  dc.SetBkMode(TRANSPARENT);
  CFont* old = dc.SelectObject(CFont::FromHandle((HFONT)::GetStockObject(DEFAULT_GUI_FONT)));
  dc.DrawText(text.c_str(), &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  dc.SelectObject(old);
}
