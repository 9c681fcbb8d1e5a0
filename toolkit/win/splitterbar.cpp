#include "toolkit/splitterbar.h"

#include <algorithm>

#include "framework/gdi.h"

IMPLEMENT_DYNAMIC(CSplitterBar, CStatic)

BEGIN_MESSAGE_MAP(CSplitterBar, CStatic)
  ON_WM_PAINT()
  ON_WM_SETCURSOR()
  ON_WM_LBUTTONDOWN()
  ON_WM_MOUSEMOVE()
  ON_WM_LBUTTONUP()
  ON_WM_CAPTURECHANGED()
END_MESSAGE_MAP()

namespace {
HCURSOR g_cursorWE = nullptr;
HCURSOR g_cursorNS = nullptr;
const COLORREF kTrackerColour = 0xC8C8C8;

// The window's rectangle in its parent's client coordinates.
CRect RectInParent(const CWnd* pWnd) {
  CRect rc;
  pWnd->GetWindowRect(&rc);
  if (CWnd* parent = pWnd->GetParent())
    parent->ScreenToClient(&rc);
  return rc;
}
}  // namespace

BOOL CSplitterBar::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  CRect rc(rect);
  m_nOrientation = rc.Width() < rc.Height() ? kVertical : kHorizontal;
  if (m_nOrientation == kVertical) {
    rc.left = (rc.left + rc.right) / 2 - kThickness / 2;
    rc.right = rc.left + kThickness;
  } else {
    rc.top = (rc.top + rc.bottom) / 2 - kThickness / 2;
    rc.bottom = rc.top + kThickness;
  }
  if (g_cursorWE == nullptr) {
    g_cursorWE = ::LoadCursorA(nullptr, (LPCSTR)IDC_SIZEWE);
    g_cursorNS = ::LoadCursorA(nullptr, (LPCSTR)IDC_SIZENS);
  }
  if (!CStatic::Create(nullptr, dwStyle | SS_NOTIFY, rc, pParentWnd, nID))
    return FALSE;
  m_nMin = m_nMax = GetCentre();
  return TRUE;
}

int CSplitterBar::GetCentre() const {
  const CRect rc = RectInParent(this);
  return m_nOrientation == kVertical ? (rc.left + rc.right) / 2 : (rc.top + rc.bottom) / 2;
}

void CSplitterBar::SetRange(int minimum, int maximum) {
  m_nMin = minimum;
  m_nMax = maximum;
}

void CSplitterBar::SetRangeAround(int below, int above, int centre) {
  if (centre < 0)
    centre = GetCentre();
  SetRange(centre - below, centre + above);
}

int CSplitterBar::Clamp(int v) const {
  if (m_nMin <= m_nMax)
    v = std::min(std::max(v, m_nMin), m_nMax);
  return v;
}

void CSplitterBar::OnPaint() {
  CPaintDC dc(this);
  CRect rc;
  GetClientRect(&rc);
  dc.Draw3dRect(&rc, ::GetSysColor(COLOR_3DHILIGHT), ::GetSysColor(COLOR_3DSHADOW));
  rc.DeflateRect(1, 1);
  CBrush fill(0xDCDCC8);
  CPen outline(PS_SOLID, 1, 0xC8C8C8);
  CBrush* oldBrush = dc.SelectObject(&fill);
  CPen* oldPen = dc.SelectObject(&outline);
  dc.Rectangle(&rc);
  dc.SelectObject(oldPen);
  dc.SelectObject(oldBrush);
}

BOOL CSplitterBar::OnSetCursor(CWnd*, UINT, UINT) {
  ::SetCursor(m_nOrientation == kVertical ? g_cursorWE : g_cursorNS);
  return TRUE;
}

void CSplitterBar::DrawTracker() const {
  CWnd* parent = GetParent();
  if (parent == nullptr)
    return;
  const CRect bar = RectInParent(this);
  POINT ends[4];
  const int pos = GetTrackPosition();
  if (m_nOrientation == kVertical) {
    ends[0] = {pos - 1, bar.top};
    ends[1] = {pos - 1, bar.bottom};
    ends[2] = {pos + 1, bar.top};
    ends[3] = {pos + 1, bar.bottom};
  } else {
    ends[0] = {bar.left, pos - 1};
    ends[1] = {bar.right, pos - 1};
    ends[2] = {bar.left, pos + 1};
    ends[3] = {bar.right, pos + 1};
  }
  parent->MapWindowPoints(nullptr, ends, 4);
  HDC hdc = ::GetDC(nullptr);
  if (hdc == nullptr)
    return;
  HPEN pen = ::CreatePen(PS_SOLID, 1, kTrackerColour);
  HGDIOBJ oldPen = ::SelectObject(hdc, pen);
  const int oldRop = ::SetROP2(hdc, R2_NOTXORPEN);
  for (int i = 0; i < 4; i += 2) {
    ::MoveToEx(hdc, ends[i].x, ends[i].y, nullptr);
    ::LineTo(hdc, ends[i + 1].x, ends[i + 1].y);
  }
  ::SetROP2(hdc, oldRop);
  ::SelectObject(hdc, oldPen);
  ::DeleteObject(pen);
  ::ReleaseDC(nullptr, hdc);
}

void CSplitterBar::OnLButtonDown(UINT nFlags, CPoint point) {
  SetCapture();
  const CRect bar = RectInParent(this);
  m_ptCurrent = CPoint((bar.left + bar.right) / 2, (bar.top + bar.bottom) / 2);
  m_nStart = GetTrackPosition();
  m_bTracking = TRUE;
  DrawTracker();
}

void CSplitterBar::OnMouseMove(UINT nFlags, CPoint point) {
  if (!m_bTracking)
    return;
  DrawTracker();
  ClientToScreen(&point);
  GetParent()->ScreenToClient(&point);
  // Only the moving coordinate: the range is along that direction alone.
  if (m_nOrientation == kVertical)
    m_ptCurrent.x = Clamp(point.x);
  else
    m_ptCurrent.y = Clamp(point.y);
  DrawTracker();
}

void CSplitterBar::OnLButtonUp(UINT nFlags, CPoint point) {
  if (m_bTracking) {
    OnMouseMove(nFlags, point);
    DrawTracker();
    m_bTracking = FALSE;
    const int delta = GetTrackPosition() - m_nStart;
    CRect bar = RectInParent(this);
    if (m_nOrientation == kVertical)
      bar.OffsetRect(GetTrackPosition() - (bar.left + bar.right) / 2, 0);
    else
      bar.OffsetRect(0, GetTrackPosition() - (bar.top + bar.bottom) / 2);
    MoveWindow(&bar);
    if (::GetCapture() == m_hWnd)
      ::ReleaseCapture();
    CWnd* target = GetOwner();
    if (target == nullptr)
      target = GetParent();
    if (target != nullptr) {
      SplitterBarNotify notify = {};
      notify.hdr.hwndFrom = m_hWnd;
      notify.hdr.idFrom = (UINT_PTR)GetDlgCtrlID();
      notify.hdr.code = UWM_SPLITTERBAR_MOVED;
      notify.delta = delta;
      target->SendMessage(WM_NOTIFY, notify.hdr.idFrom, (LPARAM)&notify);
    }
  }
  if (::GetCapture() == m_hWnd)
    ::ReleaseCapture();
}

void CSplitterBar::OnCaptureChanged(CWnd* pWnd) {
  // Taken away mid-drag (a box, another window): the drag is dropped.
  if (m_bTracking) {
    DrawTracker();
    m_bTracking = FALSE;
  }
  CStatic::OnCaptureChanged(pWnd);
}

void CSplitterBar::ChangeWidth(CWnd* pWnd, int delta, DWORD anchor) {
  if (pWnd == nullptr || pWnd->GetSafeHwnd() == nullptr)
    return;
  CRect rc = RectInParent(pWnd);
  if (anchor == 1)
    rc.right += delta;
  else if (anchor == 2)
    rc.left += delta;
  pWnd->MoveWindow(&rc);
}

void CSplitterBar::ChangeHeight(CWnd* pWnd, int delta, DWORD anchor) {
  if (pWnd == nullptr || pWnd->GetSafeHwnd() == nullptr)
    return;
  CRect rc = RectInParent(pWnd);
  if (anchor == 3)
    rc.bottom += delta;
  else if (anchor == 4)
    rc.top += delta;
  pWnd->MoveWindow(&rc);
}
