#include "toolkit/iconbutton.h"

#include <mmsystem.h>

#include <vector>

#include "toolkit/cmdforward.h"
#include "toolkit/launcher.h"
#include "toolkit/tabrules.h"

IMPLEMENT_DYNAMIC(CIconButton, CButton)

BEGIN_MESSAGE_MAP(CIconButton, CButton)
  ON_WM_MOUSEMOVE()
  ON_WM_LBUTTONDBLCLK()
  ON_WM_MOUSELEAVE()
  ON_WM_KILLFOCUS()
  ON_WM_CANCELMODE()
  ON_WM_ACTIVATE()
  ON_WM_ENABLE()
  ON_WM_GETDLGCODE()
  ON_WM_MENUCHAR()
  ON_WM_MEASUREITEM()
  ON_WM_CTLCOLOR_REFLECT()
  ON_CONTROL_REFLECT_EX(BN_CLICKED, OnClicked)
  ON_MESSAGE(BM_SETSTYLE, OnSetStyle)
  ON_MESSAGE(BM_SETCHECK, OnSetCheck)
  ON_MESSAGE(BM_GETCHECK, OnGetCheck)
END_MESSAGE_MAP()

namespace {

HICON LoadIconResource(UINT nID) {
  HINSTANCE modules[] = {AfxGetResourceHandle(), AfxGetInstanceHandle()};
  for (HINSTANCE h : modules) {
    if (h == nullptr)
      continue;
    HICON hIcon = (HICON)::LoadImageA(h, MAKEINTRESOURCEA(nID), IMAGE_ICON, 0, 0, LR_DEFAULTCOLOR);
    if (hIcon != nullptr)
      return hIcon;
  }
  return nullptr;
}

// Twice the hot spot: an icon's size as it was made.
CSize IconSize(HICON hIcon) {
  ICONINFO ii = {};
  if (!::GetIconInfo(hIcon, &ii))
    return CSize(0, 0);
  CSize size((int)ii.xHotspot * 2, (int)ii.yHotspot * 2);
  if (ii.hbmColor)
    ::DeleteObject(ii.hbmColor);
  if (ii.hbmMask)
    ::DeleteObject(ii.hbmMask);
  return size;
}

// A grey copy of hIcon with the same mask; null when it cannot be made.
HICON GreyIcon(HICON hIcon) {
  ICONINFO ii = {};
  if (!::GetIconInfo(hIcon, &ii))
    return nullptr;
  HICON hGrey = nullptr;
  BITMAP bm = {};
  if (ii.hbmColor != nullptr && ::GetObjectA(ii.hbmColor, sizeof bm, &bm) && bm.bmWidth > 0 && bm.bmHeight > 0) {
    BITMAPINFO bmi = {};
    bmi.bmiHeader = {sizeof(BITMAPINFOHEADER), bm.bmWidth, -bm.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<uint32_t> px((size_t)bm.bmWidth * bm.bmHeight);
    HDC hdc = ::GetDC(nullptr);
    if (::GetDIBits(hdc, ii.hbmColor, 0, bm.bmHeight, px.data(), &bmi, DIB_RGB_COLORS)) {
      GreyIconPixels(px.data(), px.size());
      void* pBits = nullptr;
      HBITMAP hbm = ::CreateDIBSection(hdc, &bmi, DIB_RGB_COLORS, &pBits, nullptr, 0);
      if (hbm != nullptr) {
        memcpy(pBits, px.data(), px.size() * sizeof(uint32_t));
        ICONINFO grey = ii;
        grey.hbmColor = hbm;
        hGrey = ::CreateIconIndirect(&grey);
        ::DeleteObject(hbm);
      }
    }
    ::ReleaseDC(nullptr, hdc);
  }
  if (ii.hbmColor)
    ::DeleteObject(ii.hbmColor);
  if (ii.hbmMask)
    ::DeleteObject(ii.hbmMask);
  return hGrey;
}

}  // namespace

CIconButton::CIconButton() { SetDefaultColors(FALSE); }

CIconButton::~CIconButton() {
  FreeIcons();
  m_menu.DestroyMenu();
  if (m_hTooltip != nullptr && ::IsWindow(m_hTooltip))
    ::DestroyWindow(m_hTooltip);
  if (m_hdcBack != nullptr) {
    ::SelectObject(m_hdcBack, m_hbmBackOld);
    ::DeleteObject(m_hbmBack);
    ::DeleteDC(m_hdcBack);
  }
}

void CIconButton::FreeIcons() {
  if (m_iconIn.hIcon)
    ::DestroyIcon(m_iconIn.hIcon);
  if (m_iconOut.hIcon)
    ::DestroyIcon(m_iconOut.hIcon);
  m_iconIn = Icon();
  m_iconOut = Icon();
}

void CIconButton::TakeButtonType(DWORD& dwStyle) {
  DWORD dwType = dwStyle & BS_TYPEMASK;
  m_bIsCheckBox = dwType == BS_CHECKBOX || dwType == BS_AUTOCHECKBOX;
  m_bIsDefault = dwType == BS_DEFPUSHBUTTON;
  dwStyle = (dwStyle & ~(DWORD)BS_TYPEMASK) | BS_OWNERDRAW;
}

BOOL CIconButton::PreCreateWindow(CREATESTRUCT& cs) {
  DWORD dwStyle = (DWORD)cs.style;
  TakeButtonType(dwStyle);
  cs.style = (LONG)dwStyle;
  return CButton::PreCreateWindow(cs);
}

void CIconButton::PreSubclassWindow() {
  CButton::PreSubclassWindow();
  DWORD dwStyle = GetStyle();
  TakeButtonType(dwStyle);
  // Still the control's own procedure here: it takes the owner-drawn style.
  ::SendMessageA(m_hWnd, BM_SETSTYLE, dwStyle & 0xFFFF, TRUE);
}

DWORD CIconButton::SetIcon(UINT nIconIn, UINT nIconOut) {
  HICON hIn = LoadIconResource(nIconIn);
  if (hIn == nullptr)
    return 1;
  HICON hOut = nullptr;
  if (nIconOut == ICON_GREY)
    hOut = GreyIcon(hIn);
  else if (nIconOut != ICON_NONE)
    hOut = LoadIconResource(nIconOut);
  if (nIconOut != ICON_NONE && hOut == nullptr) {
    ::DestroyIcon(hIn);
    return 1;
  }
  FreeIcons();
  m_iconIn = {hIn, IconSize(hIn)};
  if (hOut != nullptr)
    m_iconOut = {hOut, IconSize(hOut)};
  if (m_hWnd != nullptr)
    Invalidate();
  return 0;
}

void CIconButton::SetTooltipText(LPCTSTR lpszText, BOOL bActivate) {
  if (lpszText == nullptr || m_hWnd == nullptr)
    return;
  if (m_hTooltip == nullptr) {
    m_hTooltip = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr,
                                   AfxGetInstanceHandle(), nullptr);
    if (m_hTooltip == nullptr)
      return;
    ::SendMessageA(m_hTooltip, TTM_ACTIVATE, FALSE, 0);
    ::SendMessageA(m_hTooltip, TTM_SETMAXTIPWIDTH, 0, 400);
  }
  TTTOOLINFOA ti = {};
  ti.cbSize = sizeof ti;
  ti.hwnd = m_hWnd;
  ti.uId = 1;
  if (::SendMessageA(m_hTooltip, TTM_GETTOOLCOUNT, 0, 0) == 0) {
    ti.uFlags = TTF_SUBCLASS;
    ti.lpszText = const_cast<LPSTR>(lpszText);
    GetClientRect(&ti.rect);
    ::SendMessageA(m_hTooltip, TTM_ADDTOOLA, 0, (LPARAM)&ti);
  }
  ti.lpszText = const_cast<LPSTR>(lpszText);
  ::SendMessageA(m_hTooltip, TTM_UPDATETIPTEXTA, 0, (LPARAM)&ti);
  ::SendMessageA(m_hTooltip, TTM_ACTIVATE, bActivate, 0);
}

void CIconButton::SetURL(LPCTSTR lpszURL) { lstrcpynA(m_szURL, lpszURL ? lpszURL : "", sizeof m_szURL); }

void CIconButton::SetCheck(BOOL bCheck, BOOL bRepaint) {
  if (!m_bIsCheckBox)
    return;
  m_bChecked = bCheck ? TRUE : FALSE;
  if (bRepaint && m_hWnd != nullptr)
    Invalidate();
}

DWORD CIconButton::SetPressedStyle(int nStyle, BOOL bRepaint) {
  if (nStyle == 0)
    m_ptPressedOffset = CPoint(1, 1);
  else if (nStyle == 1)
    m_ptPressedOffset = CPoint(0, 2);
  else
    return 6;
  if (bRepaint && m_hWnd != nullptr)
    Invalidate();
  return 0;
}

void CIconButton::SetDefaultColors(BOOL bRepaint) {
  for (int i = 0; i < COLOR_COUNT; i += 2) {
    m_colors[i] = ::GetSysColor(COLOR_3DFACE);
    m_colors[i + 1] = ::GetSysColor(COLOR_BTNTEXT);
  }
  if (bRepaint && m_hWnd != nullptr)
    Invalidate();
}

DWORD CIconButton::SetColor(int nIndex, COLORREF clr, BOOL bRepaint) {
  if (nIndex < 0 || nIndex >= COLOR_COUNT)
    return 1;
  m_colors[nIndex] = clr;
  if (bRepaint && m_hWnd != nullptr)
    Invalidate();
  return 0;
}

void CIconButton::SetFlat(BOOL bFlat, BOOL bRepaint) {
  m_bFlat = bFlat;
  if (bRepaint && m_hWnd != nullptr)
    Invalidate();
}

void CIconButton::SetAlign(int nAlign, BOOL bRepaint) {
  if (nAlign >= ALIGN_LEFT && nAlign <= ALIGN_RIGHT)
    m_nAlign = nAlign;
  if (bRepaint && m_hWnd != nullptr)
    Invalidate();
}

void CIconButton::DrawTransparent(BOOL bRepaint) {
  m_bTransparent = TRUE;
  if (bRepaint && m_hWnd != nullptr)
    Invalidate();
}

BOOL CIconButton::SetMenu(UINT nMenu, HWND hOwner) {
  m_menu.DestroyMenu();
  m_hMenuOwner = nullptr;
  if (nMenu == 0)
    return TRUE;
  if (!m_menu.LoadMenu(nMenu))
    return FALSE;
  m_hMenuOwner = hOwner;
  return TRUE;
}

void CIconButton::SetMenuCallback(HWND hWnd, UINT nMessage, LPARAM lParam) {
  m_hMenuNotify = hWnd;
  m_nMenuMessage = nMessage;
  m_lMenuValue = lParam;
}

void CIconButton::SetSound(BOOL bHover, LPCTSTR lpszSound, HMODULE hMod, DWORD dwFlags) {
  Sound& s = m_sounds[bHover ? 0 : 1];
  s.name = lpszSound ? lpszSound : "";
  s.hMod = hMod;
  s.dwFlags = dwFlags;
}

void CIconButton::PlayOne(int nWhich) {
  const Sound& s = m_sounds[nWhich];
  if (!s.name.IsEmpty())
    ::PlaySoundA(s.name, s.hMod, s.dwFlags);
}

// An owner-drawn button turns a quick second click into BN_DOUBLECLICKED
// alone; here it is a press like the first, so every click counts.
void CIconButton::OnLButtonDblClk(UINT nFlags, CPoint point) {
  DefWindowProc(WM_LBUTTONDOWN, nFlags, MAKELPARAM(point.x, point.y));
}

// ---- hover ----

void CIconButton::CancelHover() {
  if (!m_bHover)
    return;
  m_bHover = FALSE;
  Invalidate();
}

void CIconButton::OnMouseMove(UINT nFlags, CPoint point) {
  CButton::OnMouseMove(nFlags, point);
  if ((nFlags & MK_LBUTTON) && !m_bHover)
    return;
  if (!m_bFlat)
    return;
  POINT pt;
  ::GetCursorPos(&pt);
  BOOL bOver = ::WindowFromPoint(pt) == m_hWnd && (m_bAlwaysTrack || ::GetActiveWindow() != nullptr);
  if (!bOver) {
    CancelHover();
    return;
  }
  if (m_bHover)
    return;
  m_bHover = TRUE;
  Invalidate();
  PlayOne(0);
  TRACKMOUSEEVENT tme = {sizeof tme, TME_LEAVE, m_hWnd, 0};
  ::TrackMouseEvent(&tme);
}

void CIconButton::OnMouseLeave() {
  CancelHover();
  CButton::OnMouseLeave();
}

void CIconButton::OnKillFocus(CWnd* pNewWnd) {
  CButton::OnKillFocus(pNewWnd);
  CancelHover();
}

void CIconButton::OnCancelMode() {
  CButton::OnCancelMode();
  CancelHover();
}

void CIconButton::OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized) {
  CButton::OnActivate(nState, pWndOther, bMinimized);
  if (nState == WA_INACTIVE)
    CancelHover();
}

void CIconButton::OnEnable(BOOL bEnable) {
  CButton::OnEnable(bEnable);
  if (bEnable)
    return;
  CancelHover();
  CWnd* pParent = GetParent();
  if (pParent != nullptr && ::GetFocus() == m_hWnd) {
    CWnd* pNext = pParent->GetNextDlgTabItem(this);
    if (pNext != nullptr && pNext->m_hWnd != m_hWnd)
      pNext->SetFocus();
    else
      pParent->SetFocus();
  }
}

// ---- messages ----

UINT CIconButton::OnGetDlgCode() {
  UINT n = CButton::OnGetDlgCode();
  n &= ~(UINT)(DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON);
  return n | (m_bIsDefault ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
}

LRESULT CIconButton::OnSetStyle(WPARAM wParam, LPARAM lParam) {
  UINT nType = (UINT)wParam & BS_TYPEMASK;
  if (nType == BS_DEFPUSHBUTTON)
    m_bIsDefault = TRUE;
  else if (nType == BS_PUSHBUTTON)
    m_bIsDefault = FALSE;
  return DefWindowProc(BM_SETSTYLE, (wParam & ~(WPARAM)BS_TYPEMASK) | BS_OWNERDRAW, lParam);
}

LRESULT CIconButton::OnSetCheck(WPARAM wParam, LPARAM) {
  m_bChecked = wParam == BST_CHECKED || wParam == BST_INDETERMINATE;
  Invalidate();
  return 0;
}

LRESULT CIconButton::OnGetCheck(WPARAM, LPARAM) { return m_bChecked; }

HBRUSH CIconButton::CtlColor(CDC*, UINT) { return (HBRUSH)::GetStockObject(NULL_BRUSH); }

LRESULT CIconButton::OnMenuChar(UINT nChar, UINT nFlags, CMenu* pMenu) {
  if (BCMenu::IsOwnMenu(pMenu))
    return BCMenu::OnMenuChar(nChar, nFlags, pMenu);
  return CButton::OnMenuChar(nChar, nFlags, pMenu);
}

void CIconButton::OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMIS) {
  if (!BCMenu::MeasureItemEntry(lpMIS))
    CButton::OnMeasureItem(nIDCtl, lpMIS);
}

BOOL CIconButton::OnClicked() {
  // The same click passed on by a page to its host: already handled.
  if (IsForwardedCommand(m_hWnd))
    return FALSE;
  SetFocus();
  PlayOne(1);
  if (m_bIsCheckBox) {
    m_bChecked = !m_bChecked;
    Invalidate();
  } else if (m_menu.m_hMenu != nullptr) {
    HMENU hPopup = ::GetSubMenu(m_menu.m_hMenu, 0);
    if (hPopup != nullptr) {
      m_bMenuShowing = TRUE;
      Invalidate();
      UpdateWindow();
      if (m_hMenuNotify != nullptr)
        ::SendMessageA(m_hMenuNotify, m_nMenuMessage, (WPARAM)hPopup, m_lMenuValue);
      CRect rc;
      GetWindowRect(&rc);
      HWND hOwner = m_hMenuOwner != nullptr ? m_hMenuOwner : m_hWnd;
      UINT nCmd = (UINT)::TrackPopupMenu(hPopup, TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_NONOTIFY | TPM_RETURNCMD,
                                         rc.left, rc.bottom, 0, hOwner, nullptr);
      m_bMenuShowing = FALSE;
      Invalidate();
      if (nCmd != 0)
        ::PostMessageA(hOwner, WM_COMMAND, MAKEWPARAM(nCmd, 0), 0);
    }
  } else if (m_szURL[0] != '\0') {
    ToolkitOpen(m_szURL, SW_SHOWMAXIMIZED);
  }
  return FALSE;
}

// ---- painting ----

void CIconButton::DrawImage(CDC* pDC, const CRect& rcClient, BOOL bPressed, CRect* prcText) {
  const Icon& icon = (!m_bHover && m_iconOut.hIcon != nullptr) ? m_iconOut : m_iconIn;
  CSize size = icon.size;
  BOOL bHasText = GetWindowTextLength() > 0;
  int x, y;
  if (!bHasText) {
    x = (rcClient.Width() - size.cx) / 2;
    y = (rcClient.Height() - size.cy) / 2;
  } else if (m_nAlign == ALIGN_TOP) {
    x = (rcClient.Width() - size.cx) / 2;
    y = m_ptMargin.y;
    prcText->top = y + size.cy;
  } else if (m_nAlign == ALIGN_RIGHT) {
    x = rcClient.right - m_ptMargin.x - size.cx;
    y = (rcClient.Height() - size.cy) / 2;
    prcText->right = x;
  } else {
    x = m_ptMargin.x;
    y = (rcClient.Height() - size.cy) / 2;
    prcText->left = x + size.cx;
  }
  if (bPressed && !m_bIsCheckBox) {
    x += m_ptPressedOffset.x;
    y += m_ptPressedOffset.y;
  }
  ::DrawStateA(pDC->m_hDC, nullptr, nullptr, (LPARAM)icon.hIcon, 0, x, y, size.cx, size.cy,
               DST_ICON | (m_bDisabled ? DSS_DISABLED : DSS_NORMAL));
}

void CIconButton::DrawItem(LPDRAWITEMSTRUCT lpDIS) {
  CDC* pDC = CDC::FromHandle(lpDIS->hDC);
  UINT state = lpDIS->itemState;
  m_bPressed = (state & ODS_SELECTED) != 0 || (m_bIsCheckBox && m_bChecked) || m_bMenuShowing;
  m_bFocused = (state & ODS_FOCUS) != 0;
  m_bDisabled = (state & ODS_DISABLED) != 0;
  CRect rcClient(lpDIS->rcItem);
  CRect rc = rcClient;

  // Background.
  if (m_bTransparent) {
    if (m_hdcBack == nullptr) {
      CWnd* pParent = GetParent();
      CRect rcIn;
      GetWindowRect(&rcIn);
      pParent->ScreenToClient(&rcIn);
      HDC hdcParent = ::GetDC(pParent->m_hWnd);
      m_hdcBack = ::CreateCompatibleDC(hdcParent);
      m_hbmBack = ::CreateCompatibleBitmap(hdcParent, rcClient.Width(), rcClient.Height());
      m_hbmBackOld = (HBITMAP)::SelectObject(m_hdcBack, m_hbmBack);
      ::BitBlt(m_hdcBack, 0, 0, rcClient.Width(), rcClient.Height(), hdcParent, rcIn.left, rcIn.top, SRCCOPY);
      ::ReleaseDC(pParent->m_hWnd, hdcParent);
    }
    ::BitBlt(pDC->m_hDC, 0, 0, rcClient.Width(), rcClient.Height(), m_hdcBack, 0, 0, SRCCOPY);
  } else {
    int nPair = (m_bHover || m_bPressed) ? COLOR_BK_IN : m_bFocused ? COLOR_BK_FOCUS : COLOR_BK_OUT;
    if (!m_bFlat && (m_bFocused || m_bIsDefault)) {
      ::FrameRect(pDC->m_hDC, &rc, (HBRUSH)::GetStockObject(BLACK_BRUSH));
      rc.DeflateRect(1, 1);
    }
    pDC->FillSolidRect(&rc, m_colors[nPair]);
  }

  // Border.
  if (m_bPressed) {
    if (m_bFlat) {
      if (m_bDrawBorder)
        ::DrawEdge(pDC->m_hDC, &rc, BDR_SUNKENOUTER, BF_RECT);
    } else {
      ::FrameRect(pDC->m_hDC, &rc, ::GetSysColorBrush(COLOR_3DSHADOW));
    }
  } else if (!m_bFlat) {
    pDC->Draw3dRect(&rc, ::GetSysColor(COLOR_3DHILIGHT), ::GetSysColor(COLOR_3DDKSHADOW));
    CRect rcInner = rc;
    rcInner.DeflateRect(1, 1);
    pDC->Draw3dRect(&rcInner, ::GetSysColor(COLOR_3DLIGHT), ::GetSysColor(COLOR_3DSHADOW));
  } else if (m_bHover && m_bDrawBorder) {
    ::DrawEdge(pDC->m_hDC, &rc, BDR_RAISEDINNER, BF_RECT);
  }

  CRect rcText = rcClient;
  rcText.DeflateRect(m_ptMargin.x, m_ptMargin.y);
  if (m_iconIn.hIcon != nullptr)
    DrawImage(pDC, rcClient, m_bPressed, &rcText);

  CString strText;
  GetWindowText(strText);
  if (!strText.IsEmpty()) {
    HGDIOBJ hOldFont = pDC->SelectObject((HGDIOBJ)SendMessage(WM_GETFONT));
    CRect rcCalc = rcText;
    ::DrawTextA(pDC->m_hDC, strText, -1, &rcCalc, DT_WORDBREAK | DT_CENTER | DT_CALCRECT);
    CRect rcDraw = rcText;
    rcDraw.top += (rcText.Height() - rcCalc.Height()) / 2;
    rcDraw.bottom = rcDraw.top + rcCalc.Height();
    if (m_bPressed && !m_bIsCheckBox)
      ::OffsetRect(&rcDraw, m_ptPressedOffset.x, m_ptPressedOffset.y);
    pDC->SetBkMode(TRANSPARENT);
    if (m_bDisabled) {
      CRect rcShadow = rcDraw;
      ::OffsetRect(&rcShadow, 1, 1);
      pDC->SetTextColor(::GetSysColor(COLOR_3DHILIGHT));
      ::DrawTextA(pDC->m_hDC, strText, -1, &rcShadow, DT_WORDBREAK | DT_CENTER);
      pDC->SetTextColor(::GetSysColor(COLOR_3DSHADOW));
    } else {
      int nPair = (m_bHover || m_bPressed) ? COLOR_FG_IN : m_bFocused ? COLOR_FG_FOCUS : COLOR_FG_OUT;
      pDC->SetTextColor(m_colors[nPair]);
    }
    ::DrawTextA(pDC->m_hDC, strText, -1, &rcDraw, DT_WORDBREAK | DT_CENTER);
    pDC->SelectObject(hOldFont);
  }

  if (m_bFocused && (!m_bFlat || m_bDrawFlatFocus)) {
    CRect rcFocus = rcClient;
    rcFocus.DeflateRect(3, 3);
    ::DrawFocusRect(pDC->m_hDC, &rcFocus);
  }
}
