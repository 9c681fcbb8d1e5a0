// BCMenu: the look choice, measuring in the menu font, and drawing items in
// the classic and the flat look.
#include <algorithm>
#include <string>

#include "toolkit/menutext.h"
#include "toolkit/win/bcmenu_internal.h"

namespace {

constexpr int kIconCx = 16;
constexpr int kIconCy = 15;

int ComputeOsClass() {
  OSVERSIONINFOA vi = {};
  vi.dwOSVersionInfoSize = sizeof vi;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!::GetVersionExA(&vi))
    return kOsClassLaterNt;
#pragma GCC diagnostic pop
  return GetOsClass(vi.dwPlatformId, vi.dwMajorVersion, vi.dwMinorVersion);
}

void Fill(HDC hdc, const RECT& rc, COLORREF c) {
  COLORREF old = ::SetBkColor(hdc, c);
  ::ExtTextOutW(hdc, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
  ::SetBkColor(hdc, old);
}

void Frame(HDC hdc, const RECT& rc, COLORREF c) {
  HBRUSH hbr = ::CreateSolidBrush(c);
  ::FrameRect(hdc, &rc, hbr);
  ::DeleteObject(hbr);
}

void Frame3d(HDC hdc, const RECT& rc, COLORREF topLeft, COLORREF bottomRight) {
  int cx = rc.right - rc.left, cy = rc.bottom - rc.top;
  Fill(hdc, {rc.left, rc.top, rc.left + cx - 1, rc.top + 1}, topLeft);
  Fill(hdc, {rc.left, rc.top, rc.left + 1, rc.top + cy - 1}, topLeft);
  Fill(hdc, {rc.right - 1, rc.top, rc.right, rc.bottom}, bottomRight);
  Fill(hdc, {rc.left, rc.bottom - 1, rc.right, rc.bottom}, bottomRight);
}

// Seven strokes falling then rising: the check mark.
void DrawTick(HDC hdc, int x0, int y, int nLen, COLORREF c) {
  static const int kTop[7] = {2, 3, 4, 3, 2, 1, 0};
  for (int i = 0; i < 7; ++i)
    Fill(hdc, {x0 + i, y + kTop[i], x0 + i + 1, y + kTop[i] + nLen}, c);
}

void DrawDot(HDC hdc, int x, int y, COLORREF c) {
  HBRUSH hbr = ::CreateSolidBrush(c);
  HPEN hpen = ::CreatePen(PS_SOLID, 1, c);
  HGDIOBJ ob = ::SelectObject(hdc, hbr), op = ::SelectObject(hdc, hpen);
  ::Ellipse(hdc, x, y, x + 6, y + 6);
  ::SelectObject(hdc, ob);
  ::SelectObject(hdc, op);
  ::DeleteObject(hbr);
  ::DeleteObject(hpen);
}

// A radio item: a bitmap of its own for the checked state, or the radio mark.
bool IsRadioItem(HMENU hMenu, UINT nID) {
  MENUITEMINFOW mii = {};
  mii.cbSize = sizeof mii;
  mii.fMask = MIIM_CHECKMARKS | MIIM_FTYPE;
  if (hMenu == nullptr || !::IsMenu(hMenu) || !::GetMenuItemInfoW(hMenu, nID, FALSE, &mii))
    return false;
  return mii.hbmpChecked != nullptr || (mii.fType & MFT_RADIOCHECK) != 0;
}

// The text, split at its first tab: the left part left-aligned, the
// accelerator right-aligned 16 pixels from the right.
void DrawItemText(HDC hdc, RECT rc, const wchar_t* psz, COLORREF c) {
  std::wstring s = psz ? psz : L"";
  size_t tab = s.find(L'\t');
  ::SetBkMode(hdc, TRANSPARENT);
  COLORREF old = ::SetTextColor(hdc, c);
  const UINT fmt = DT_SINGLELINE | DT_VCENTER;
  if (tab != std::wstring::npos) {
    rc.right -= 16;
    std::wstring right = s.substr(tab + 1);
    ::DrawTextW(hdc, right.c_str(), (int)right.size(), &rc, fmt | DT_RIGHT);
  }
  std::wstring left = s.substr(0, tab);
  ::DrawTextW(hdc, left.c_str(), (int)left.size(), &rc, fmt | DT_LEFT);
  ::SetTextColor(hdc, old);
}

void DrawGlobalImage(HDC hdc, int nIndex, int x, int y) {
  if (g_menuImages.m_hImageList != nullptr && nIndex >= 0)
    ImageList_Draw(g_menuImages.m_hImageList, nIndex, hdc, x, y, ILD_TRANSPARENT);
}

}  // namespace

const int g_osClass = ComputeOsClass();

BOOL IsClassicTheme() {
  static const BOOL bClassic = [] {
    HKEY hKey = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Plus!\\Themes\\Current", 0, KEY_READ, &hKey) !=
        ERROR_SUCCESS)
      return FALSE;
    char value[261] = "";
    DWORD cb = 260, type = 0;
    LONG r = ::RegQueryValueExA(hKey, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &cb);
    ::RegCloseKey(hKey);
    if (r != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
      return FALSE;
    value[std::min<DWORD>(cb, 260)] = 0;
    return IsClassicThemeName(value) ? TRUE : FALSE;
  }();
  return bClassic;
}

bool IsThemedSystem() { return g_osClass == kOsClassWinXp && !IsClassicTheme(); }

bool UseFlatMenuLook(CDC* pDC) {
  if (pDC != nullptr && (pDC->GetDeviceCaps(RASTERCAPS) & RC_PALETTE))
    return false;
  return IsThemedSystem() ? g_menuStyleThemed == 1 : g_menuStyle == 1;
}

HFONT CreateMenuFont() {
  NONCLIENTMETRICSW ncm = {};
  ncm.cbSize = sizeof ncm;
  if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0))
    return (HFONT)::GetStockObject(DEFAULT_GUI_FONT);  // a stock font: deleting it does nothing
  return ::CreateFontIndirectW(&ncm.lfMenuFont);
}

BOOL BCMenu::MeasureItemEntry(LPMEASUREITEMSTRUCT lpmis) {
  if (lpmis == nullptr || lpmis->CtlType != ODT_MENU || !IsLiveMenuItemData((const void*)lpmis->itemData))
    return FALSE;
  MeasureRecord(lpmis);
  return TRUE;
}

void BCMenu::MeasureItem(LPMEASUREITEMSTRUCT lpmis) {
  if (lpmis != nullptr && IsLiveMenuItemData((const void*)lpmis->itemData))
    MeasureRecord(lpmis);
}

// Measuring needs the record and the look, no menu of its own.
void BCMenu::MeasureRecord(LPMEASUREITEMSTRUCT lpmis) {
  const MenuItemData* pData = reinterpret_cast<const MenuItemData*>(lpmis->itemData);
  const bool bFlat = UseFlatMenuLook(nullptr);
  const int pad = (bFlat && g_menu3dIcons) ? 7 : 4;
  if (pData->flags & MF_SEPARATOR) {
    lpmis->itemWidth = 0;
    lpmis->itemHeight = bFlat ? 3 : (UINT)std::max(::GetSystemMetrics(SM_CYMENU) / 2, (kIconCy + pad) / 2);
    return;
  }
  CWnd* pMain = AfxGetMainWnd();
  HWND hWnd = pMain != nullptr ? pMain->m_hWnd : nullptr;
  HDC hdc = ::GetDC(hWnd);
  HFONT hFont = nullptr;
  HGDIOBJ hOld = nullptr;
  if (IsNewShellClass(g_osClass)) {
    hFont = CreateMenuFont();
    hOld = ::SelectObject(hdc, hFont);
  }
  const wchar_t* psz = pData->Text();
  int cx = MeasureMenuText(psz, hdc).cx;
  if (g_osClass == kOsClassWin32s) {
    TEXTMETRICW tm = {};
    ::GetTextMetricsW(hdc, &tm);
    cx += 3 * tm.tmAveCharWidth;
  }
  if (hOld != nullptr)
    ::SelectObject(hdc, hOld);
  if (hFont != nullptr)
    ::DeleteObject(hFont);
  ::ReleaseDC(hWnd, hdc);
  lpmis->itemWidth = (UINT)(bFlat ? kIconCx + cx + pad + 8 : cx + 2 * kIconCx + 1);
  lpmis->itemHeight = (UINT)std::max(::GetSystemMetrics(SM_CYMENU), kIconCy + pad);
}

BOOL BCMenu::HasCheckImage(BOOL bChecked, BOOL bSelected, BOOL bHasIcon) const {
  return bChecked && !bHasIcon && m_checkMaps != nullptr && (bSelected ? m_selectCheck : m_unselectCheck) > 0;
}

void BCMenu::DrawItem(LPDRAWITEMSTRUCT lpdis) {
  if (lpdis == nullptr || lpdis->CtlType != ODT_MENU || !IsLiveMenuItemData((const void*)lpdis->itemData))
    return;
  MenuItemData* pData = reinterpret_cast<MenuItemData*>(lpdis->itemData);
  CDC* pDC = CDC::FromHandle(lpdis->hDC);
  if (UseFlatMenuLook(pDC))
    DrawFlat(pDC, lpdis, pData);
  else
    DrawClassic(pDC, lpdis, pData);
}

void BCMenu::DrawClassic(CDC* pDC, LPDRAWITEMSTRUCT lpdis, MenuItemData* pData) {
  HDC hdc = pDC->m_hDC;
  const bool bNewShell = IsNewShellClass(g_osClass);
  const COLORREF B = ::GetSysColor(IsThemedSystem() ? COLOR_3DFACE : COLOR_MENU);
  RECT R = lpdis->rcItem;
  if (pData->flags & MF_SEPARATOR) {
    Fill(hdc, R, B);
    RECT rc = R;
    rc.top += (R.bottom - R.top) / 2;
    ::DrawEdge(hdc, &rc, EDGE_ETCHED, BF_TOP);
    return;
  }
  const BOOL bSelected = (lpdis->itemState & ODS_SELECTED) != 0;
  const BOOL bChecked = (lpdis->itemState & ODS_CHECKED) != 0;
  const BOOL bDisabled = (lpdis->itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
  const BOOL bHasIcon = pData->globalIndex >= 0 && g_menuImages.m_hImageList != nullptr;
  const BOOL bCheckImage = HasCheckImage(bChecked, bSelected, bHasIcon);
  COLORREF text = ::GetSysColor(COLOR_MENUTEXT);
  if (bSelected) {
    RECT rc = R;
    if (bHasIcon || bCheckImage || bChecked)
      rc.left = R.left + kIconCx + 5;
    Fill(hdc, rc, ::GetSysColor(COLOR_HIGHLIGHT));
    if (rc.left > R.left)
      Fill(hdc, {R.left, R.top, rc.left, R.bottom}, B);  // the icon column keeps the ground
    text = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
  } else {
    Fill(hdc, R, B);
    Frame(hdc, R, B);
  }
  const int dy = std::max(0, (int)(R.bottom - R.top - kIconCy - 4) / 2);
  const int ix = R.left + 2, iy = R.top + dy + 2;
  if (bHasIcon || bCheckImage) {
    Frame(hdc, {R.left + 1, R.top + dy + 1, R.left + kIconCx + 3, R.top + dy + kIconCy + 3}, B);
    RECT F = {R.left, R.top + dy, R.left + kIconCx + 4, R.top + dy + kIconCy + 4};
    const COLORREF shadow = ::GetSysColor(COLOR_3DSHADOW), hilight = ::GetSysColor(COLOR_3DHILIGHT);
    if (bCheckImage) {
      Fill(hdc, F, B);
      Frame(hdc, F, B);
      ImageList_Draw(m_checkMaps->m_hImageList, bSelected ? 1 : 0, hdc, ix, iy, ILD_TRANSPARENT);
    } else if (bDisabled) {
      DrawEmbossedMenuImage(pDC, pData->globalIndex, CPoint(ix, iy), m_oldDisabledIcons);
    } else if (bSelected) {
      Fill(hdc, F, B);
      if (bNewShell)
        bChecked ? Frame3d(hdc, F, shadow, hilight) : Frame3d(hdc, F, hilight, shadow);
      DrawGlobalImage(hdc, pData->globalIndex, ix, iy);
    } else {
      if (bChecked) {
        Fill(hdc, F, LightenColor(B, 0.6));
        if (bNewShell)
          Frame3d(hdc, F, shadow, hilight);
      } else {
        Fill(hdc, F, B);
        Frame(hdc, F, B);
      }
      DrawGlobalImage(hdc, pData->globalIndex, ix, iy);
    }
  } else if (bChecked) {
    RECT C = {R.left + 1, R.top + dy + 2, R.left + kIconCx + 1, R.top + dy + kIconCy + 2};
    Fill(hdc, C, bSelected ? B : LightenColor(B, 0.6));
    if (bNewShell)
      ::DrawEdge(hdc, &C, BDR_SUNKENOUTER, BF_RECT);
    const COLORREF mark = ::GetSysColor(COLOR_MENUTEXT);
    if (IsRadioItem((HMENU)lpdis->hwndItem, lpdis->itemID))
      DrawDot(hdc, C.left + 5, C.top + 4, mark);
    else
      DrawTick(hdc, C.left + 4, C.top + 4, 3, mark);
  }
  RECT T = {R.left + kIconCx + 9, R.top - 1, R.right, R.bottom - 1};
  if (!bDisabled) {
    DrawItemText(hdc, T, pData->Text(), text);
  } else if (bSelected) {
    DrawItemText(hdc, T, pData->Text(), B);
  } else {
    RECT T1 = {T.left + 1, T.top + 1, T.right + 1, T.bottom + 1};
    DrawItemText(hdc, T1, pData->Text(), ::GetSysColor(COLOR_3DHILIGHT));
    DrawItemText(hdc, T, pData->Text(), ::GetSysColor(COLOR_GRAYTEXT));
  }
}

void BCMenu::DrawFlat(CDC* pScreenDC, LPDRAWITEMSTRUCT lpdis, MenuItemData* pData) {
  const bool bThemed = IsThemedSystem();
  const COLORREF Bk = DarkenColor(::GetSysColor(COLOR_WINDOW), 0.02);
  const COLORREF Bar = bThemed ? ::GetSysColor(COLOR_3DFACE) : LightenColor(::GetSysColor(COLOR_3DFACE), 0.25);
  const COLORREF H = ::GetSysColor(COLOR_HIGHLIGHT);
  const COLORREF Hs = LightenColor(H, bThemed ? 0.7 : 0.85);
  const int W = kIconCx + (g_menu3dIcons ? 7 : 4);
  const BOOL bDisabled = (lpdis->itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
  const BOOL bSelected = !bDisabled && (lpdis->itemState & ODS_SELECTED) != 0;
  const BOOL bChecked = (lpdis->itemState & ODS_CHECKED) != 0;
  RECT R = lpdis->rcItem;
  HDC hdc = pScreenDC->m_hDC;

  // A disabled item is drawn off-screen in the menu font, then put on screen whole.
  HDC hdcMem = nullptr;
  HBITMAP hbmMem = nullptr;
  HGDIOBJ hOldBmp = nullptr, hOldFont = nullptr;
  HFONT hFont = nullptr;
  if (bDisabled && !(pData->flags & MF_SEPARATOR)) {
    hdcMem = ::CreateCompatibleDC(hdc);
    hbmMem = ::CreateCompatibleBitmap(hdc, R.right - R.left, R.bottom - R.top);
    if (hdcMem != nullptr && hbmMem != nullptr) {
      hOldBmp = ::SelectObject(hdcMem, hbmMem);
      ::SetWindowOrgEx(hdcMem, R.left, R.top, nullptr);
      hFont = CreateMenuFont();
      hOldFont = ::SelectObject(hdcMem, hFont);
      hdc = hdcMem;
    }
  }
  CDC* pDC = CDC::FromHandle(hdc);
  const RECT bar = {R.left, R.top, R.left + W, R.bottom};

  if (pData->flags & MF_SEPARATOR) {
    Fill(hdc, R, Bk);
    Fill(hdc, bar, Bar);
    Frame(hdc, bar, Bar);
    RECT rc = {R.left + W, R.top + (R.bottom - R.top) / 2, R.right, R.bottom};
    ::DrawEdge(hdc, &rc, EDGE_ETCHED, BF_TOP);
  } else {
    const BOOL bHasIcon = pData->globalIndex >= 0 && g_menuImages.m_hImageList != nullptr;
    const BOOL bCheckImage = HasCheckImage(bChecked, bSelected, bHasIcon);
    const bool bVariants = bHasIcon && MenuImageHasVariants(pData->globalIndex);
    if (bSelected) {
      Fill(hdc, R, Hs);
      Frame(hdc, R, H);
    } else {
      Fill(hdc, R, Bk);
      Fill(hdc, bar, Bar);
      Frame(hdc, R, Bk);
      Frame(hdc, bar, Bar);
    }
    const int dy = std::max(0, (int)(R.bottom - R.top - kIconCy + 1) / 2);
    const int dx = std::max(0, (W - kIconCx + 1) / 2);
    const RECT G = {R.left + 1, R.top + 1, R.left + W - 2, R.bottom - 1};
    const int px = R.left + dx, py = R.top + dy;
    const int idx = pData->globalIndex;
    if (bCheckImage) {
      Fill(hdc, G, Bar);
      ImageList_Draw(m_checkMaps->m_hImageList, bSelected ? 1 : 0, hdc, px, py, ILD_TRANSPARENT);
    } else if (bHasIcon && bDisabled) {
      if (bVariants)
        DrawGlobalImage(hdc, idx + 3, px, py);
      else
        DrawEmbossedMenuImage(pDC, idx, CPoint(px, py), m_oldDisabledIcons);
    } else if (bHasIcon && bSelected) {
      if (bChecked) {
        Fill(hdc, G, LightenColor(H, 0.55));
        Frame(hdc, G, H);
        DrawGlobalImage(hdc, idx, px - 1, py - 1);
      } else {
        Fill(hdc, G, Hs);
        if (bVariants) {
          DrawGlobalImage(hdc, idx + 2, px + 1, py + 1);
          DrawGlobalImage(hdc, idx, px - 1, py - 1);
        } else {
          DrawGlobalImage(hdc, idx, px, py);
        }
      }
    } else if (bHasIcon) {
      if (bChecked) {
        Fill(hdc, G, LightenColor(H, 0.85));
        Frame(hdc, G, H);
        DrawGlobalImage(hdc, idx, px - 1, py - 1);
      } else {
        Fill(hdc, G, Bar);
        Frame(hdc, G, Bar);
        DrawGlobalImage(hdc, bVariants ? idx + 1 : idx, px, py);
      }
    } else if (bChecked) {
      Fill(hdc, G, LightenColor(H, bSelected ? 0.55 : 0.85));
      Frame(hdc, G, H);
      const COLORREF mark = ::GetSysColor(COLOR_MENUTEXT);
      const int cx = (G.left + G.right) / 2, cy = (G.top + G.bottom) / 2;
      if (IsRadioItem((HMENU)lpdis->hwndItem, lpdis->itemID))
        DrawDot(hdc, cx - 3, cy - 3, mark);
      else
        DrawTick(hdc, cx - 3, cy - 3, 2, mark);
    }
    RECT T = {R.left + W + 8, R.top - 1, R.right, R.bottom - 1};
    COLORREF text = ::GetSysColor(COLOR_MENUTEXT);
    if (bDisabled)
      text = (bThemed || bSelected) ? ::GetSysColor(COLOR_GRAYTEXT) : LightenColor(::GetSysColor(COLOR_GRAYTEXT), 0.4);
    DrawItemText(hdc, T, pData->Text(), text);
  }

  if (hdc == hdcMem) {
    ::BitBlt(pScreenDC->m_hDC, R.left, R.top, R.right - R.left, R.bottom - R.top, hdcMem, R.left, R.top, SRCCOPY);
    ::SelectObject(hdcMem, hOldFont);
    ::SelectObject(hdcMem, hOldBmp);
  }
  if (hFont != nullptr)
    ::DeleteObject(hFont);
  if (hbmMem != nullptr)
    ::DeleteObject(hbmMem);
  if (hdcMem != nullptr)
    ::DeleteDC(hdcMem);
}
