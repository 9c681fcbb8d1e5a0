#include "shell/tools/graphctrl.h"

#include "framework/gdi.h"

IMPLEMENT_DYNAMIC(CGraphCtrl, CStatic)

BEGIN_MESSAGE_MAP(CGraphCtrl, CStatic)
  ON_WM_PAINT()
  ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CGraphCtrl::CGraphCtrl()
    : m_text("0.00"),
      m_minWidth(0),
      m_background(RGB(0, 0, 0)),
      m_lit(0x64FF64),
      m_customOff(FALSE),
      m_off(RGB(0, 0, 0)),
      m_drawUnlit(TRUE),
      m_segLength(0),
      m_segThickness(0),
      m_penWidth(0),
      m_metricsSet(FALSE)
{
}

void CGraphCtrl::SetText(const char* text)
{
  m_text = text;
  if (m_hWnd != nullptr)
    Invalidate(FALSE);
}

void CGraphCtrl::SetColours(COLORREF background, COLORREF lit)
{
  m_background = background;
  m_lit = lit;
  if (m_hWnd != nullptr)
    Invalidate(FALSE);
}

void CGraphCtrl::SetOffColour(COLORREF off)
{
  m_customOff = TRUE;
  m_off = off;
  if (m_hWnd != nullptr)
    Invalidate(FALSE);
}

// The paint covers every pixel.
BOOL CGraphCtrl::OnEraseBkgnd(CDC*) { return TRUE; }

void CGraphCtrl::OnPaint()
{
  CPaintDC dc(this);
  CRect rc;
  GetClientRect(&rc);
  if (!m_metricsSet) {
    const SegmentMetrics m = SegmentMetricsForHeight(rc.Height());
    m_segLength = m.length;
    m_segThickness = m.thickness;
    m_penWidth = m.penWidth;
    m_metricsSet = TRUE;
  }
  if (rc.Width() <= 0 || rc.Height() <= 0)
    return;  // nothing to show, and no bitmap can be made

  CDC mem;
  CBitmap bitmap;
  if (!mem.CreateCompatibleDC(&dc) || !bitmap.CreateCompatibleBitmap(&dc, rc.Width(), rc.Height()))
    return;
  CBitmap* oldBitmap = mem.SelectObject(&bitmap);
  mem.FillSolidRect(&rc, m_background);

  SegmentColours colours;
  colours.lit = (uint32_t)m_lit;
  colours.customOff = m_customOff != FALSE;
  colours.off = (uint32_t)m_off;
  SegmentMetrics metrics;
  metrics.length = m_segLength;
  metrics.thickness = m_segThickness;
  metrics.penWidth = m_penWidth;
  const std::vector<Segment> segments =
      ComputeSegments(m_text.GetString(), m_minWidth, rc.Height(), m_drawUnlit != FALSE, colours, &metrics);

  CPen litPen, offPen;
  litPen.CreatePen(PS_SOLID, m_penWidth, (COLORREF)colours.lit);
  offPen.CreatePen(PS_SOLID, m_penWidth, (COLORREF)UnlitSegmentColour(colours));
  CPen* oldPen = mem.SelectObject(&offPen);
  for (const Segment& s : segments) {
    mem.SelectObject(s.lit ? &litPen : &offPen);
    mem.MoveTo(s.x1, s.y1);
    mem.LineTo(s.x2, s.y2);
  }
  mem.SelectObject(oldPen);
  dc.BitBlt(0, 0, rc.Width(), rc.Height(), &mem, 0, 0, SRCCOPY);
  mem.SelectObject(oldBitmap);
  litPen.DeleteObject();
  offPen.DeleteObject();
  bitmap.DeleteObject();
}
