#include "shell/app/creditsstatic.h"

#include "shell/app/appres.h"

BEGIN_MESSAGE_MAP(CCreditsStatic, CStatic)
  ON_WM_TIMER()
  ON_WM_PAINT()
  ON_WM_ERASEBKGND()
  ON_WM_DESTROY()
END_MESSAGE_MAP()

CCreditsStatic::~CCreditsStatic() = default;

BOOL CCreditsStatic::StartScrolling() {
  CClientDC dc(this);
  CDC textDC;
  if (!textDC.CreateCompatibleDC(&dc) || !m_text.CreateCompatibleBitmap(&dc, kTextWidth, kTextHeight)) return FALSE;
  CBitmap* oldBitmap = textDC.SelectObject(&m_text);
  textDC.FillSolidRect(0, 0, kTextWidth, kTextHeight, RGB(255, 255, 255));
  textDC.SetBkMode(TRANSPARENT);

  CFont regular, bold;
  regular.CreateFont(14, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "MS Sans Serif");
  bold.CreateFont(14, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "MS Sans Serif");
  CFont* oldFont = textDC.SelectObject(&regular);
  TEXTMETRIC tm = {};
  textDC.GetTextMetrics(&tm);
  const int lineHeight = tm.tmHeight > 0 ? tm.tmHeight : 14;

  int y = 0;
  int start = 0;
  const int length = m_credits.GetLength();
  while (start <= length && y < kTextHeight) {
    int end = m_credits.Find('\n', start);
    if (end < 0) end = length;
    CString line = m_credits.Mid(start, end - start);
    COLORREF colour = RGB(0, 0, 0);
    CFont* font = &regular;
    if (!line.IsEmpty() && line[0] == '\t') {
      colour = 0xE78C10;
      font = &bold;
      line = line.Mid(1);
    } else if (!line.IsEmpty() && line[0] == '\r') {
      font = &bold;
      line = line.Mid(1);
    }
    textDC.SelectObject(font);
    textDC.SetTextColor(colour);
    CRect rc(0, y, kTextWidth, y + lineHeight);
    textDC.DrawText(line, &rc, DT_SINGLELINE | DT_NOPREFIX | DT_LEFT);
    y += lineHeight;
    start = end + 1;
  }
  textDC.SelectObject(oldFont);
  textDC.SelectObject(oldBitmap);

  if (!m_background.LoadBitmap(IDB_CREDITS_BACK)) return FALSE;
  BITMAP bm = {};
  m_background.GetBitmap(&bm);
  m_backSize = CSize(bm.bmWidth, bm.bmHeight);
  if (!m_work.CreateCompatibleBitmap(&dc, bm.bmWidth, bm.bmHeight)) return FALSE;
  m_scrollPos = bm.bmHeight;
  SetTimer(kTimerId, kTickMs, nullptr);
  return TRUE;
}

void CCreditsStatic::DrawFrame(CDC* pDC) {
  if (m_work.GetSafeHandle() == nullptr) return;
  CDC workDC, srcDC;
  if (!workDC.CreateCompatibleDC(pDC) || !srcDC.CreateCompatibleDC(pDC)) return;
  CBitmap* oldWork = workDC.SelectObject(&m_work);
  CBitmap* oldSrc = srcDC.SelectObject(&m_background);
  workDC.BitBlt(0, 0, m_backSize.cx, m_backSize.cy, &srcDC, 0, 0, SRCCOPY);
  srcDC.SelectObject(&m_text);
  const int height = kTextHeight - m_scrollPos - 100;
  if (height > 0) workDC.BitBlt(kTextX, m_scrollPos, kTextWidth, height, &srcDC, 0, 0, SRCAND);
  pDC->BitBlt(0, 0, m_backSize.cx, m_backSize.cy, &workDC, 0, 0, SRCCOPY);
  srcDC.SelectObject(oldSrc);
  workDC.SelectObject(oldWork);
}

void CCreditsStatic::OnTimer(UINT_PTR nIDEvent) {
  if (nIDEvent != kTimerId) return;
  --m_scrollPos;
  if (m_scrollPos < -kTextHeight) {
    CRect rc;
    GetClientRect(&rc);
    m_scrollPos = rc.Height();
  }
  CClientDC dc(this);
  DrawFrame(&dc);
}

void CCreditsStatic::OnPaint() {
  CPaintDC dc(this);
  DrawFrame(&dc);
}

BOOL CCreditsStatic::OnEraseBkgnd(CDC*) { return TRUE; }

void CCreditsStatic::OnDestroy() {
  KillTimer(kTimerId);
  CStatic::OnDestroy();
}
