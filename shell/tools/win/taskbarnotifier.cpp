#include "shell/tools/taskbarnotifier.h"

#include <vector>

#include "shell/tools/toolsres.h"

namespace {
constexpr int kStepPixels = 2;
constexpr UINT kPlaceFlags = 0x214;  // no activation, no Z-order change (own or owner's)
constexpr UINT kDrawFormat = 0xA015;  // centred, word-wrapped, ellipsis at the end
}  // namespace

BEGIN_MESSAGE_MAP(CTaskbarNotifier, CWnd)
  ON_WM_CREATE()
  ON_WM_MOUSEMOVE()
  ON_WM_MOUSEHOVER()
  ON_WM_MOUSELEAVE()
  ON_WM_LBUTTONUP()
  ON_WM_SETCURSOR()
  ON_WM_ERASEBKGND()
  ON_WM_PAINT()
  ON_WM_TIMER()
  ON_WM_DESTROY()
END_MESSAGE_MAP()

CTaskbarNotifier::CTaskbarNotifier() : m_anim(kStepPixels) {}

CTaskbarNotifier::~CTaskbarNotifier()
{
  if (m_hWnd != nullptr)
    DestroyWindow();
}

BOOL CTaskbarNotifier::CreatePopup(CWnd* pParent)
{
  m_pParent = pParent;
  LPCTSTR cls = AfxRegisterWndClass(0, ::LoadCursor(nullptr, IDC_ARROW), (HBRUSH)(COLOR_WINDOW + 1));
  return CreateEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, cls, nullptr, WS_POPUP, 0, 0, 0, 0,
                  pParent != nullptr ? pParent->GetSafeHwnd() : nullptr, nullptr);
}

int CTaskbarNotifier::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
  if (CWnd::OnCreate(lpCreateStruct) == -1)
    return -1;
  m_hand = ::LoadCursor(nullptr, IDC_HAND);
  return 0;
}

void CTaskbarNotifier::SetFonts(LPCTSTR face, int size, int normalStyle, int highlightStyle)
{
  auto make = [&](CFont& font, int style) {
    font.DeleteObject();
    CClientDC screen(nullptr);
    LOGFONT lf = {};
    lf.lfHeight = -::MulDiv(size, screen.GetDeviceCaps(LOGPIXELSY), 720);
    lf.lfWeight = (style & kStyleBold) ? 700 : 400;
    lf.lfItalic = (style & kStyleItalic) ? TRUE : FALSE;
    lf.lfUnderline = (style & kStyleUnderline) ? TRUE : FALSE;
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(lf.lfFaceName, face, LF_FACESIZE);
    font.CreateFontIndirect(&lf);
  };
  make(m_normalFont, normalStyle);
  make(m_highlightFont, highlightStyle);
}

void CTaskbarNotifier::SetColors(COLORREF normal, COLORREF highlight)
{
  m_normalColor = normal;
  m_highlightColor = highlight;
  if (m_hWnd != nullptr)
    Invalidate();
}

void CTaskbarNotifier::SetTextArea(const CRect& rect) { m_textRect = rect; }

BOOL CTaskbarNotifier::LoadSkin(UINT bitmapId, DWORD red, DWORD green, DWORD blue)
{
  m_skin.DeleteObject();
  m_skinWidth = m_skinHeight = 0;
  if (!m_skin.LoadBitmap(bitmapId))
    return FALSE;
  const CSize size = m_skin.GetSize();
  if (size.cx <= 0 || size.cy <= 0) {
    m_skin.DeleteObject();
    return FALSE;
  }
  m_skinWidth = size.cx;
  m_skinHeight = size.cy;
  m_textRect.SetRect(0, 0, size.cx, size.cy);
  if (m_hWnd != nullptr)
    SetWindowPos(nullptr, 0, 0, m_skinWidth, m_skinHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (red >= 0xFFFF || green >= 0xFFFF || blue >= 0xFFFF || m_hWnd == nullptr)
    return TRUE;

  // The pixels as 24-bit rows, top row first, each row padded to 4 bytes.
  const int stride = (size.cx * 3 + 3) & ~3;
  std::vector<BYTE> bits((size_t)stride * (size_t)size.cy);
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = size.cx;
  bi.bmiHeader.biHeight = -size.cy;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  bi.bmiHeader.biCompression = BI_RGB;
  HDC screen = ::GetDC(nullptr);
  const int got = ::GetDIBits(screen, (HBITMAP)m_skin.GetSafeHandle(), 0, (UINT)size.cy, bits.data(), &bi,
                              DIB_RGB_COLORS);
  ::ReleaseDC(nullptr, screen);
  if (got != size.cy)
    return TRUE;

  // One rectangle per run of kept pixels in a row; the region is their union.
  std::vector<RECT> runs;
  for (int y = 0; y < size.cy; y++) {
    const BYTE* row = bits.data() + (size_t)y * (size_t)stride;
    int x = 0;
    while (x < size.cx) {
      while (x < size.cx && row[x * 3 + 2] == red && row[x * 3 + 1] == green && row[x * 3] == blue)
        x++;
      const int start = x;
      while (x < size.cx && !(row[x * 3 + 2] == red && row[x * 3 + 1] == green && row[x * 3] == blue))
        x++;
      if (x > start)
        runs.push_back(RECT{start, y, x, y + 1});
    }
  }
  std::vector<BYTE> data(sizeof(RGNDATAHEADER) + runs.size() * sizeof(RECT));
  RGNDATA* rd = reinterpret_cast<RGNDATA*>(data.data());
  rd->rdh.dwSize = sizeof(RGNDATAHEADER);
  rd->rdh.iType = RDH_RECTANGLES;
  rd->rdh.nCount = (DWORD)runs.size();
  rd->rdh.nRgnSize = (DWORD)(runs.size() * sizeof(RECT));
  SetRect(&rd->rdh.rcBound, 0, 0, size.cx, size.cy);
  if (!runs.empty())
    memcpy(rd->Buffer, runs.data(), runs.size() * sizeof(RECT));
  HRGN rgn = ::ExtCreateRegion(nullptr, (DWORD)data.size(), rd);
  if (rgn != nullptr && ::SetWindowRgn(m_hWnd, rgn, TRUE) == 0)
    ::DeleteObject(rgn);
  return TRUE;
}

void CTaskbarNotifier::PlaceAt(int x, int y)
{
  SetWindowPos(nullptr, x, y, m_skinWidth, m_skinHeight, kPlaceFlags);
}

void CTaskbarNotifier::Popup(LPCTSTR text, DWORD appearMs, DWORD stayMs, DWORD disappearMs)
{
  m_text = text != nullptr ? text : "";
  m_appearMs = appearMs;
  m_stayMs = stayMs;
  m_disappearMs = disappearMs;
  if (m_hWnd == nullptr || m_skin.GetSafeHandle() == nullptr)
    return;
  RECT work = {};
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  const NotifierSlide slide = PlanNotifierSlide(NotifierRect{work.left, work.top, work.right, work.bottom},
                                                ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN),
                                                m_skinWidth, m_skinHeight, kStepPixels, (int)appearMs,
                                                (int)disappearMs);
  switch (m_anim.Popup(slide)) {
    case CNotifierAnimation::kStartAppearing:
      PlaceAt(m_anim.X(), m_anim.Y());
      ShowWindow(SW_SHOWNOACTIVATE);
      Invalidate();
      SetTimer(kTimerAppear, (UINT)slide.appearDelay, nullptr);
      break;
    case CNotifierAnimation::kTextOnly:
      Invalidate();
      break;
    case CNotifierAnimation::kRestartStay:
      Invalidate();
      KillTimer(kTimerStay);
      SetTimer(kTimerStay, m_stayMs, nullptr);
      break;
    case CNotifierAnimation::kBackToShowing:
      KillTimer(kTimerDisappear);
      SetTimer(kTimerStay, m_stayMs, nullptr);
      PlaceAt(m_anim.X(), m_anim.Y());
      Invalidate();
      break;
  }
}

void CTaskbarNotifier::Retract()
{
  if (m_hWnd == nullptr)
    return;
  KillTimer(kTimerAppear);
  KillTimer(kTimerStay);
  KillTimer(kTimerDisappear);
  SetWindowPos(nullptr, 0, 0, 0, 0, kPlaceFlags);
  ShowWindow(SW_HIDE);
  m_anim.Retract();
}

void CTaskbarNotifier::OnTimer(UINT_PTR nIDEvent)
{
  switch (nIDEvent) {
    case kTimerAppear: {
      const bool shown = m_anim.AppearStep();
      PlaceAt(m_anim.X(), m_anim.Y());
      if (shown) {
        KillTimer(kTimerAppear);
        SetTimer(kTimerStay, m_stayMs, nullptr);
      }
      break;
    }
    case kTimerStay:
      KillTimer(kTimerStay);
      m_anim.StayOver();
      SetTimer(kTimerDisappear, (UINT)m_anim.Slide().disappearDelay, nullptr);
      break;
    case kTimerDisappear: {
      const bool gone = m_anim.DisappearStep();
      PlaceAt(m_anim.X(), m_anim.Y());
      if (gone)
        Retract();
      break;
    }
    default:
      CWnd::OnTimer(nIDEvent);
  }
}

void CTaskbarNotifier::OnMouseMove(UINT nFlags, CPoint point)
{
  TRACKMOUSEEVENT tme = {};
  tme.cbSize = sizeof tme;
  tme.dwFlags = TME_HOVER | TME_LEAVE;
  tme.hwndTrack = m_hWnd;
  tme.dwHoverTime = 1;
  ::TrackMouseEvent(&tme);
  CWnd::OnMouseMove(nFlags, point);
}

void CTaskbarNotifier::OnMouseHover(UINT, CPoint)
{
  m_highlighted = TRUE;
  Invalidate();
}

void CTaskbarNotifier::OnMouseLeave()
{
  m_highlighted = FALSE;
  Invalidate();
}

void CTaskbarNotifier::OnLButtonUp(UINT nFlags, CPoint point)
{
  if (m_pParent != nullptr && m_pParent->GetSafeHwnd() != nullptr)
    m_pParent->PostMessage(UWM_NOTIFIER_CLICKED, 0, 0);
  CWnd::OnLButtonUp(nFlags, point);
}

BOOL CTaskbarNotifier::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
  if (nHitTest == HTCLIENT) {
    ::SetCursor(m_hand != nullptr ? m_hand : ::LoadCursor(nullptr, IDC_ARROW));
    return TRUE;
  }
  return CWnd::OnSetCursor(pWnd, nHitTest, message);
}

BOOL CTaskbarNotifier::OnEraseBkgnd(CDC* pDC)
{
  if (m_skin.GetSafeHandle() == nullptr)
    return CWnd::OnEraseBkgnd(pDC);
  CDC mem;
  mem.CreateCompatibleDC(pDC);
  CBitmap* old = mem.SelectObject(&m_skin);
  pDC->BitBlt(0, 0, m_skinWidth, m_skinHeight, &mem, 0, 0, SRCCOPY);
  mem.SelectObject(old);
  return TRUE;
}

void CTaskbarNotifier::OnPaint()
{
  CPaintDC dc(this);
  if (m_text.IsEmpty())
    return;
  CFont& font = m_highlighted ? m_highlightFont : m_normalFont;
  CFont* old = font.GetSafeHandle() != nullptr ? dc.SelectObject(&font) : nullptr;
  dc.SetBkMode(TRANSPARENT);
  dc.SetTextColor(m_highlighted ? m_highlightColor : m_normalColor);
  const CString shown = m_text.Left(kMaxDrawnChars);
  // Word wrap and vertical centring do not go together in DrawText: the text
  // is measured first and its rectangle centred in the text area.
  CRect measure(m_textRect);
  dc.DrawText(shown, &measure, kDrawFormat | DT_CALCRECT);
  CRect area(m_textRect);
  if (measure.Height() < area.Height()) {
    area.top += (area.Height() - measure.Height()) / 2;
    area.bottom = area.top + measure.Height();
  }
  dc.DrawText(shown, &area, kDrawFormat);
  if (old != nullptr)
    dc.SelectObject(old);
}

void CTaskbarNotifier::OnDestroy()
{
  KillTimer(kTimerAppear);
  KillTimer(kTimerStay);
  KillTimer(kTimerDisappear);
  CWnd::OnDestroy();
}

BOOL CreateMainNotifier(CTaskbarNotifier& notifier, CWnd* pParent)
{
  if (!notifier.CreatePopup(pParent))
    return FALSE;
  notifier.SetFonts("MS Sans Serif", 80, 0, CTaskbarNotifier::kStyleUnderline);
  notifier.SetColors(0xC80000, 0xC80000);
  if (!notifier.LoadSkin(IDB_NOTIFIER_SKIN, 255, 0, 255))
    return FALSE;
  const CSize skin = notifier.GetSkinSize();
  notifier.SetTextArea(CRect(10, 10, skin.cx - 10, skin.cy - 10));
  return TRUE;
}
