#include "toolkit/memprogress.h"

#include "toolkit/gradient.h"

IMPLEMENT_DYNAMIC(CMemProgressBar, CProgressCtrl)

BEGIN_MESSAGE_MAP(CMemProgressBar, CProgressCtrl)
  ON_WM_PAINT()
  ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CProgressMemDC::CProgressMemDC(CDC* pTarget, const CRect& rect)
    : m_pTarget(pTarget), m_rect(rect), m_bDirect(pTarget->GetDeviceCaps(TECHNOLOGY) == DT_RASPRINTER) {
  if (!m_bDirect && CreateCompatibleDC(pTarget) &&
      m_bitmap.CreateCompatibleBitmap(pTarget, rect.Width(), rect.Height())) {
    m_hOldBitmap = SelectObject((HGDIOBJ)m_bitmap.m_hObject);
    SetWindowOrg(rect.left, rect.top);
  } else {
    // No memory for a copy: draw on the target itself.
    if (m_hDC != nullptr)
      DeleteDC();
    m_bDirect = TRUE;
    Attach(pTarget->m_hDC);
  }
}

CProgressMemDC::~CProgressMemDC() {
  if (m_bDirect) {
    Detach();
    return;
  }
  m_pTarget->BitBlt(m_rect.left, m_rect.top, m_rect.Width(), m_rect.Height(), this, m_rect.left, m_rect.top,
                    SRCCOPY);
  SelectObject(m_hOldBitmap);
}

void CMemProgressBar::SetRange(int nLower, int nUpper) {
  m_nLower = nLower;
  m_nUpper = nUpper;
  m_nPos = nLower;
  CProgressCtrl::SetRange32(nLower, nUpper);
  Invalidate(FALSE);
}

int CMemProgressBar::SetPos(int nPos) {
  const int old = m_nPos;
  m_nPos = nPos;
  CProgressCtrl::SetPos(nPos);
  Invalidate(FALSE);
  return old;
}

int CMemProgressBar::SetStep(int nStep) {
  const int old = m_nStep;
  m_nStep = nStep;
  CProgressCtrl::SetStep(nStep);
  return old;
}

int CMemProgressBar::StepIt() { return SetPos(m_nPos + m_nStep); }

void CMemProgressBar::SetColours(COLORREF start, COLORREF end, COLORREF background, COLORREF text) {
  m_crStart = start;
  m_crEnd = end;
  m_crBackground = background;
  m_crText = text;
  if (m_hWnd != nullptr)
    Invalidate(FALSE);
}

void CMemProgressBar::SetShowText(BOOL bShow) {
  m_bShowText = bShow;
  if (m_hWnd != nullptr)
    Invalidate(FALSE);
}

void CMemProgressBar::DrawGradient(CDC* pDC, const CRect& rect, int filledWidth) const {
  DrawGradient(pDC, rect, filledWidth, m_crStart, m_crEnd, m_crBackground);
}

void CMemProgressBar::DrawGradient(CDC* pDC, const CRect& rect, int filledWidth, COLORREF start, COLORREF end,
                                   COLORREF background) {
  CProgressMemDC dc(pDC, rect);
  const GradientPlan plan = PlanGradient(start, end, rect.Width(), filledWidth);
  for (const GradientBand& band : plan.bands) {
    if (band.right > band.left)
      dc.FillSolidRect(rect.left + band.left, rect.top, band.right - band.left, rect.Height() + 1, band.color);
  }
  if (plan.backgroundLeft < rect.Width())
    dc.FillSolidRect(rect.left + plan.backgroundLeft, rect.top, rect.Width() - plan.backgroundLeft,
                     rect.Height() + 1, background);
}

BOOL CMemProgressBar::OnEraseBkgnd(CDC*) { return TRUE; }

void CMemProgressBar::OnPaint() {
  CPaintDC dc(this);
  CRect rc;
  GetClientRect(&rc);
  int filled = 0;
  if (!ProgressFilledWidth(rc.Width(), m_nLower, m_nUpper, m_nPos, &filled)) {
    dc.FillSolidRect(&rc, ::GetSysColor(COLOR_3DFACE));
    return;
  }
  DrawGradient(&dc, rc, filled);
  if (m_bShowText) {
    CString text;
    text.Format("%d%%", m_nPos);
    dc.SetTextColor(m_crText);
    dc.SetBkMode(TRANSPARENT);
    CFont* old = dc.SelectObject(CFont::FromHandle((HFONT)::GetStockObject(DEFAULT_GUI_FONT)));
    dc.DrawText(text, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    dc.SelectObject(old);
  }
}
