#include "toolkit/hoverbutton.h"

IMPLEMENT_DYNAMIC(CHoverButton, CButton)

BEGIN_MESSAGE_MAP(CHoverButton, CButton)
  ON_WM_MOUSEMOVE()
  ON_WM_LBUTTONDBLCLK()
  ON_WM_LBUTTONDOWN()
  ON_WM_LBUTTONUP()
  ON_WM_TIMER()
  ON_WM_SETCURSOR()
  ON_WM_SYSCOLORCHANGE()
END_MESSAGE_MAP()

namespace {
const UINT_PTR kHoverTimer = 1;
}

CHoverButton::CHoverButton() {
  LoadColors();
  NONCLIENTMETRICSA ncm = {};
  ncm.cbSize = sizeof ncm;
  if (::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0))
    m_hOwnFont = ::CreateFontIndirectA(&ncm.lfMessageFont);
  m_hFont = m_hOwnFont;
  HINSTANCE modules[] = {AfxGetResourceHandle(), AfxGetInstanceHandle()};
  for (HINSTANCE h : modules)
    if (m_hCursor == nullptr && h != nullptr)
      m_hCursor = ::LoadCursorA(h, MAKEINTRESOURCEA(IDC_HOVER_CURSOR));
  if (m_hCursor == nullptr)
    m_hCursor = ::LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
}

CHoverButton::~CHoverButton() {
  if (m_hOwnFont != nullptr)
    ::DeleteObject(m_hOwnFont);
}

void CHoverButton::LoadColors() {
  m_clrHilight = ::GetSysColor(COLOR_3DHILIGHT);
  m_clrShadow = ::GetSysColor(COLOR_3DSHADOW);
  m_clrDkShadow = ::GetSysColor(COLOR_3DDKSHADOW);
  m_clrFace = ::GetSysColor(COLOR_3DFACE);
  m_clrGrayText = ::GetSysColor(COLOR_GRAYTEXT);
  m_clrText = ::GetSysColor(COLOR_BTNTEXT);
}

BOOL CHoverButton::PreCreateWindow(CREATESTRUCT& cs) {
  cs.style = (cs.style & ~(LONG)BS_TYPEMASK) | BS_OWNERDRAW;
  return CButton::PreCreateWindow(cs);
}

void CHoverButton::PreSubclassWindow() {
  CButton::PreSubclassWindow();
  ::SendMessageA(m_hWnd, BM_SETSTYLE, (GetStyle() & 0xFFFF & ~(DWORD)BS_TYPEMASK) | BS_OWNERDRAW, TRUE);
}

void CHoverButton::SetButtonIcon(HICON hIcon, HICON hPressed) {
  m_hIcon = hIcon;
  m_hIconPressed = hPressed;
  m_sizeImage = CSize(0, 0);
  ICONINFO ii = {};
  if (hIcon != nullptr && ::GetIconInfo(hIcon, &ii)) {
    m_sizeImage = CSize((int)ii.xHotspot * 2, (int)ii.yHotspot * 2);
    if (ii.hbmColor)
      ::DeleteObject(ii.hbmColor);
    if (ii.hbmMask)
      ::DeleteObject(ii.hbmMask);
  }
  if (m_hWnd != nullptr)
    Invalidate();
}

void CHoverButton::SetButtonBitmap(HBITMAP hBitmap) {
  m_hBitmap = hBitmap;
  if (m_hWnd != nullptr)
    Invalidate();
}

void CHoverButton::SetButtonFont(CFont* pFont) {
  m_hFont = pFont != nullptr ? (HFONT)pFont->GetSafeHandle() : m_hOwnFont;
  if (m_hWnd != nullptr)
    Invalidate();
}

void CHoverButton::DrawHoverFrame(HDC hdc) {
  CRect rc;
  GetClientRect(&rc);
  CDC::FromHandle(hdc)->Draw3dRect(&rc, m_clrHilight, m_clrShadow);
}

void CHoverButton::CheckHover() {
  POINT pt;
  ::GetCursorPos(&pt);
  CRect rc;
  GetWindowRect(&rc);
  if (::PtInRect(&rc, pt) && ::WindowFromPoint(pt) == m_hWnd && !m_bMouseDown) {
    if (!m_bHoverDrawn) {
      m_bHoverDrawn = TRUE;
      HDC hdc = ::GetDC(m_hWnd);
      DrawHoverFrame(hdc);
      ::ReleaseDC(m_hWnd, hdc);
    }
    return;
  }
  KillTimer(kHoverTimer);
  if (m_bHoverDrawn) {
    m_bHoverDrawn = FALSE;
    Invalidate();
  }
}

void CHoverButton::OnMouseMove(UINT nFlags, CPoint point) {
  CButton::OnMouseMove(nFlags, point);
  if (!m_bHoverEnabled)
    return;
  SetTimer(kHoverTimer, 10);
  CheckHover();
}

void CHoverButton::OnLButtonDown(UINT nFlags, CPoint point) {
  m_bMouseDown = TRUE;
  DefWindowProc(WM_LBUTTONDOWN, nFlags, MAKELPARAM(point.x, point.y));
}

// A quick second click is a press like the first (see CIconButton).
void CHoverButton::OnLButtonDblClk(UINT nFlags, CPoint point) { OnLButtonDown(nFlags, point); }

void CHoverButton::OnLButtonUp(UINT nFlags, CPoint point) {
  m_bMouseDown = FALSE;
  CButton::OnLButtonUp(nFlags, point);
}

void CHoverButton::OnTimer(UINT_PTR nIDEvent) {
  if (nIDEvent == kHoverTimer)
    CheckHover();
  else
    CButton::OnTimer(nIDEvent);
}

BOOL CHoverButton::OnSetCursor(CWnd*, UINT, UINT) {
  ::SetCursor(m_hCursor);
  return TRUE;
}

void CHoverButton::OnSysColorChange() {
  CButton::OnSysColorChange();
  LoadColors();
  Invalidate();
}

void CHoverButton::DrawItem(LPDRAWITEMSTRUCT lpDIS) {
  CDC* pDC = CDC::FromHandle(lpDIS->hDC);
  BOOL bPressed = (lpDIS->itemState & ODS_SELECTED) != 0;
  BOOL bDisabled = (lpDIS->itemState & ODS_DISABLED) != 0;
  CRect rc(lpDIS->rcItem);
  pDC->FillSolidRect(&rc, m_clrFace);
  if (GetStyle() & BS_FLAT) {
    if (bPressed)
      pDC->Draw3dRect(&rc, m_clrShadow, m_clrHilight);
    else if (m_bHoverDrawn)
      pDC->Draw3dRect(&rc, m_clrHilight, m_clrShadow);  // still under the pointer
    else
      pDC->Draw3dRect(&rc, m_clrFace, m_clrFace);
  } else {
    CRect rcIn = rc;
    rcIn.DeflateRect(1, 1);
    if (bPressed) {
      pDC->Draw3dRect(&rc, m_clrDkShadow, m_clrHilight);
      pDC->Draw3dRect(&rcIn, m_clrShadow, m_clrFace);
    } else {
      pDC->Draw3dRect(&rc, m_clrHilight, m_clrDkShadow);
      pDC->Draw3dRect(&rcIn, m_clrFace, m_clrShadow);
    }
  }
  if (m_hIcon != nullptr) {
    HICON hIcon = (bPressed && m_hIconPressed != nullptr) ? m_hIconPressed : m_hIcon;
    int x = (rc.Width() - m_sizeImage.cx) / 2, y = (rc.Height() - m_sizeImage.cy) / 2;
    if (bPressed && m_hIconPressed == nullptr) {
      ++x;
      ++y;
    }
    ::DrawStateA(pDC->m_hDC, nullptr, nullptr, (LPARAM)hIcon, 0, x, y, m_sizeImage.cx, m_sizeImage.cy,
                 DST_ICON | (bDisabled ? DSS_DISABLED : DSS_NORMAL));
  }
  CString strText;
  GetWindowText(strText);
  if (!strText.IsEmpty()) {
    CRect rcText = rc;
    rcText.DeflateRect(2, 0);
    if (bPressed)
      ::OffsetRect(&rcText, 1, 1);
    HGDIOBJ hOld = m_hFont != nullptr ? pDC->SelectObject((HGDIOBJ)m_hFont) : nullptr;
    pDC->SetBkMode(TRANSPARENT);
    pDC->SetTextColor(bDisabled ? m_clrGrayText : m_clrText);
    ::DrawTextA(pDC->m_hDC, strText, -1, &rcText, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    if (hOld != nullptr)
      pDC->SelectObject(hOld);
  }
  if (m_hBitmap != nullptr) {
    ::DrawStateA(pDC->m_hDC, nullptr, nullptr, (LPARAM)m_hBitmap, 0, 0, 0, rc.Width(), rc.Height(),
                 DST_BITMAP | (bDisabled ? DSS_DISABLED : DSS_NORMAL));
  }
}
