// The main window's own caption: band 140 with the title and four bitmap
// buttons (close, maximise or restore, minimise, help) painted after the
// system's non-client painting, their hover images, and what a press does.
#include "shell/mainframe/mainframe.h"

namespace {

void DrawBitmap(HDC target, HDC scratch, unsigned id, const CaptionRect& r)
{
  HBITMAP bitmap = ::LoadBitmapA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id));
  if (bitmap == nullptr)
    return;
  BITMAP info = {};
  ::GetObjectA(bitmap, sizeof info, &info);
  HGDIOBJ old = ::SelectObject(scratch, bitmap);
  ::SetStretchBltMode(target, COLORONCOLOR);
  ::StretchBlt(target, r.left, r.top, r.Width(), r.Height(), scratch, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
  ::SelectObject(scratch, old);
  ::DeleteObject(bitmap);
}

}  // namespace

CaptionLayout CMainFrame::CurrentCaptionLayout() const
{
  CRect r;
  ::GetWindowRect(m_hWnd, &r);
  const LONG style = ::GetWindowLongA(m_hWnd, GWL_STYLE);
  const bool sizing = (style & WS_THICKFRAME) != 0;
  const int fx = ::GetSystemMetrics(sizing ? SM_CXFRAME : SM_CXDLGFRAME);
  const int fy = ::GetSystemMetrics(sizing ? SM_CYFRAME : SM_CYDLGFRAME);
  // The caption's last row is the line between it and the menu.
  return LayOutCaption(r.Width(), fx, fy, ::GetSystemMetrics(SM_CYCAPTION) - 1);
}

void CMainFrame::PaintCaption(HDC windowDC)
{
  if ((GetStyle() & WS_CAPTION) != WS_CAPTION)
    return;
  const CaptionLayout layout = CurrentCaptionLayout();
  const bool maximized = IsZoomed() != FALSE;
  HDC scratch = ::CreateCompatibleDC(windowDC);
  DrawBitmap(windowDC, scratch, kCaptionBitmap, layout.caption);

  // The title, left of the help button.
  char title[256] = {};
  ::GetWindowTextA(m_hWnd, title, (int)sizeof title);
  RECT text = {layout.caption.left + 6, layout.caption.top,
               layout.buttons[(int)CaptionButton::Help].left - 4, layout.caption.bottom};
  NONCLIENTMETRICSA metrics = {};
  metrics.cbSize = sizeof metrics;
  HFONT font = nullptr;
  if (::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
    font = ::CreateFontIndirectA(&metrics.lfCaptionFont);
  HGDIOBJ oldFont = font != nullptr ? ::SelectObject(windowDC, font) : nullptr;
  ::SetBkMode(windowDC, TRANSPARENT);
  ::SetTextColor(windowDC, RGB(255, 255, 255));
  ::DrawTextA(windowDC, title, -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
  if (font != nullptr) {
    ::SelectObject(windowDC, oldFont);
    ::DeleteObject(font);
  }

  for (int i = 0; i < kCaptionButtonCount; ++i) {
    const CaptionButton b = (CaptionButton)i;
    DrawBitmap(windowDC, scratch, CaptionButtonBitmap(b, b == m_hotCaptionButton, maximized), layout.buttons[i]);
  }
  ::DeleteDC(scratch);
}

void CMainFrame::RepaintCaption()
{
  if (m_hWnd == nullptr || !IsWindowVisible())
    return;
  HDC dc = ::GetWindowDC(m_hWnd);
  if (dc == nullptr)
    return;
  PaintCaption(dc);
  ::ReleaseDC(m_hWnd, dc);
}

void CMainFrame::OnNcPaint()
{
  Default();
  RepaintCaption();
}

BOOL CMainFrame::OnNcActivate(BOOL bActive)
{
  const BOOL result = CFrameWnd::OnNcActivate(bActive);
  RepaintCaption();
  return result;
}

void CMainFrame::OnMove(int x, int y)
{
  CFrameWnd::OnMove(x, y);
  RepaintCaption();
}

CaptionButton CMainFrame::CaptionButtonAtScreen(CPoint screen) const
{
  CRect r;
  ::GetWindowRect(m_hWnd, &r);
  return CaptionButtonAt(CurrentCaptionLayout(), screen.x - r.left, screen.y - r.top);
}

LRESULT CMainFrame::OnNcMouseMove(WPARAM, LPARAM lParam)
{
  const CaptionButton hot = CaptionButtonAtScreen(CPoint(lParam));
  if (hot != m_hotCaptionButton) {
    m_hotCaptionButton = hot;
    RepaintCaption();
  }
  // Told when the pointer leaves the non-client area, so no button stays lit.
  TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE | TME_NONCLIENT, m_hWnd, 0};
  ::TrackMouseEvent(&track);
  return Default();
}

LRESULT CMainFrame::OnNcMouseLeave(WPARAM, LPARAM)
{
  if (m_hotCaptionButton != CaptionButton::None) {
    m_hotCaptionButton = CaptionButton::None;
    RepaintCaption();
  }
  return 0;
}

void CMainFrame::OnNcLButtonDown(UINT nHitTest, CPoint point)
{
  const bool maximized = IsZoomed() != FALSE;
  switch (CaptionPressAction(CaptionButtonAtScreen(point), nHitTest == HTCAPTION, maximized)) {
  case CaptionPress::OpenHelp:
    OnHelpTopics();
    return;
  case CaptionPress::Close:
    // The close sequence captures the geometry before it stops the keepers.
    SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
    return;
  case CaptionPress::Minimize:
    CaptureGeometry();
    SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    return;
  case CaptionPress::Maximize:
    SendMessage(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    RepaintCaption();
    return;
  case CaptionPress::Restore:
    SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
    RepaintCaption();
    return;
  case CaptionPress::Ignore:
    return;
  case CaptionPress::PassOn:
    break;
  }
  CFrameWnd::OnNcLButtonDown(nHitTest, point);
}

void CMainFrame::OnNcLButtonDblClk(UINT nHitTest, CPoint point)
{
  if (CaptionButtonAtScreen(point) != CaptionButton::None)
    return;
  if (nHitTest != HTCAPTION) {
    CFrameWnd::OnNcLButtonDblClk(nHitTest, point);
    return;
  }
  SendMessage(WM_SYSCOMMAND, IsZoomed() ? SC_RESTORE : SC_MAXIMIZE, 0);
  RepaintCaption();
}
