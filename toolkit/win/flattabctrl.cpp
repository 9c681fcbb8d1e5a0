#include "toolkit/flattabctrl.h"

DWORD g_tabLookFlags = 0;

IMPLEMENT_DYNAMIC(CFlatTabCtrl, CTabCtrl)
IMPLEMENT_DYNAMIC(CShadedTabCtrl, CFlatTabCtrl)

BEGIN_MESSAGE_MAP(CFlatTabCtrl, CTabCtrl)
  ON_WM_ERASEBKGND()
  ON_WM_PAINT()
END_MESSAGE_MAP()

COLORREF CFlatTabCtrl::TabBackColor(BOOL) const { return ::GetSysColor(COLOR_3DFACE); }
COLORREF CFlatTabCtrl::TabTextColor(BOOL) const { return ::GetSysColor(COLOR_WINDOWTEXT); }

void CFlatTabCtrl::SetBkColor(COLORREF clr) {
  m_clrBk = clr;
  if (m_hWnd != nullptr)
    Invalidate();
}

BOOL CFlatTabCtrl::SetDrawStyle(int nStyle) {
  if (nStyle < 0 || nStyle > 2)
    return FALSE;
  m_nDrawStyle = nStyle;
  if (m_hWnd != nullptr) {
    if (nStyle == 0)
      ModifyStyle(TCS_OWNERDRAWFIXED, 0);
    else
      ModifyStyle(0, TCS_OWNERDRAWFIXED);
    Invalidate();
  }
  return TRUE;
}

BOOL CFlatTabCtrl::PreCreateWindow(CREATESTRUCT& cs) {
  if (WantsOwnerDraw())
    cs.style |= TCS_OWNERDRAWFIXED;
  return CTabCtrl::PreCreateWindow(cs);
}

void CFlatTabCtrl::PreSubclassWindow() {
  CTabCtrl::PreSubclassWindow();
  if (WantsOwnerDraw())
    ModifyStyle(0, TCS_OWNERDRAWFIXED);
}

BOOL CFlatTabCtrl::OnEraseBkgnd(CDC* pDC) {
  Default();
  CRect rcClient;
  GetClientRect(&rcClient);
  CRect rcTabs(0, 0, 0, 0);
  for (int i = 0; i < GetItemCount(); ++i) {
    CRect rc;
    if (GetItemRect(i, &rc))
      ::UnionRect(&rcTabs, &rcTabs, &rc);
  }
  int nHeight = rcTabs.Height();
  rcTabs.InflateRect(2, 3);
  COLORREF clr = BackgroundOrFace();
  pDC->FillSolidRect(CRect(rcClient.left, rcClient.top, rcClient.right, rcTabs.top + 3), clr);
  pDC->FillSolidRect(CRect(rcClient.left, rcClient.top, 2, rcClient.top + nHeight + 2), clr);
  pDC->FillSolidRect(CRect(rcTabs.Width() + rcClient.left - 2, rcClient.top, rcClient.right,
                           rcClient.top + nHeight + 2), clr);
  return TRUE;
}

void CFlatTabCtrl::OnPaint() {
  if (m_nDrawStyle != 2) {
    Default();
    return;
  }
  CPaintDC dc(this);
  HGDIOBJ hOldFont = dc.SelectObject((HGDIOBJ)SendMessage(WM_GETFONT));
  DRAWITEMSTRUCT dis = {};
  dis.CtlType = ODT_TAB;
  dis.CtlID = (UINT)GetDlgCtrlID();
  dis.hwndItem = m_hWnd;
  dis.hDC = dc.m_hDC;
  dis.itemAction = ODA_DRAWENTIRE;

  CRect rcPage;
  GetClientRect(&rcPage);
  AdjustRect(FALSE, &rcPage);
  rcPage.top -= 2;
  dis.rcItem = rcPage;
  dis.itemID = (UINT)-1;
  DrawMainBorder(&dis);

  int nCur = GetCurSel();
  for (int i = GetItemCount() - 1; i >= 0; --i) {
    if (i == nCur)
      continue;
    CRect rc;
    if (!GetItemRect(i, &rc))
      continue;
    rc.bottom -= 2;
    dis.itemID = (UINT)i;
    dis.itemState = 0;
    dis.rcItem = rc;
    DrawItem(&dis);
    DrawItemBorder(&dis);
  }
  CRect rc;
  if (nCur >= 0 && GetItemRect(nCur, &rc)) {
    rc.top -= 2;
    rc.bottom += 2;
    dis.itemID = (UINT)nCur;
    dis.itemState = ODS_SELECTED;
    dis.rcItem = rc;
    DrawItem(&dis);
    DrawItemBorder(&dis);
  }
  dc.SelectObject(hOldFont);
}

// ---- CShadedTabCtrl ----

void CShadedTabCtrl::EnableCustomLook(BOOL bEnable, DWORD dwFlags) { g_tabLookFlags = bEnable ? dwFlags : 0; }

COLORREF CShadedTabCtrl::TabBackColor(BOOL bSelected) const {
  return TabBackColorRule(g_tabLookFlags, m_clrBk, bSelected, ::GetSysColor(COLOR_3DFACE));
}

COLORREF CShadedTabCtrl::TabTextColor(BOOL bSelected) const {
  return TabTextColorRule(g_tabLookFlags, m_clrBk, bSelected, ::GetSysColor(COLOR_3DFACE),
                          ::GetSysColor(COLOR_WINDOWTEXT));
}

void CShadedTabCtrl::DrawItem(LPDRAWITEMSTRUCT lpDIS) {
  CDC* pDC = CDC::FromHandle(lpDIS->hDC);
  int nItem = (int)lpDIS->itemID;
  BOOL bSelected = nItem == GetCurSel();
  CRect rc(lpDIS->rcItem);
  rc.bottom += bSelected ? -1 : 2;
  COLORREF clr = TabBackColor(bSelected);
  if ((g_tabLookFlags & TABLOOK_GRADIENT) && pDC->GetDeviceCaps(BITSPIXEL) >= 16) {
    COLORREF clrEnd = TabGradientEndRule(g_tabLookFlags, m_clrBk, bSelected, ::GetSysColor(COLOR_3DFACE));
    int nWidth = rc.Width() > 0 ? rc.Width() : 1;
    for (int x = rc.left; x < rc.right; x += 2) {
      double t = (double)(x - rc.left) / nWidth;
      auto mix = [t](int a, int b) { return (int)(a + (b - a) * t); };
      COLORREF c = RGB(mix(GetRValue(clr), GetRValue(clrEnd)), mix(GetGValue(clr), GetGValue(clrEnd)),
                       mix(GetBValue(clr), GetBValue(clrEnd)));
      pDC->FillSolidRect(x, rc.top, (x + 2 <= rc.right ? 2 : rc.right - x), rc.Height(), c);
    }
  } else {
    pDC->FillSolidRect(&rc, clr);
  }
  rc.left += 3;
  rc.top += bSelected ? 4 : 3;
  pDC->SetBkMode(TRANSPARENT);

  char szText[100] = "";
  TCITEMA item = {};
  item.mask = TCIF_TEXT | TCIF_IMAGE;
  item.pszText = szText;
  item.cchTextMax = 100;
  GetItem(nItem, &item);
  HIMAGELIST hImages = (HIMAGELIST)SendMessage(TCM_GETIMAGELIST);
  if (hImages != nullptr) {
    if (item.iImage >= 0)
      ImageList_Draw(hImages, item.iImage, lpDIS->hDC, rc.left, rc.top, ILD_TRANSPARENT);
    rc.left += 19;
  }
  rc.right -= 3;
  pDC->SetTextColor(TabTextColor(bSelected));
  ::DrawTextA(lpDIS->hDC, szText, -1, &rc, DT_CENTER | DT_NOPREFIX | DT_END_ELLIPSIS | DT_SINGLELINE);
}

void CShadedTabCtrl::DrawMainBorder(LPDRAWITEMSTRUCT lpDIS) {
  COLORREF c = TabBackColor(FALSE);
  CDC::FromHandle(lpDIS->hDC)->Draw3dRect(&lpDIS->rcItem, LightenColor(c, 1.5), ScaleColor(c, 0.75));
}

void CShadedTabCtrl::DrawItemBorder(LPDRAWITEMSTRUCT lpDIS) {
  BOOL bSelected = (int)lpDIS->itemID == GetCurSel();
  COLORREF c = TabBackColor(bSelected);
  COLORREF clrLight = LightenColor(c, 1.5), clrDark = ScaleColor(c, 0.75);
  CDC* pDC = CDC::FromHandle(lpDIS->hDC);
  const RECT& r = lpDIS->rcItem;
  if (!bSelected && !(g_tabLookFlags & TABLOOK_FULL_BORDER)) {
    pDC->FillSolidRect(r.left - 1, r.top, 1, r.bottom - r.top, clrDark);
    pDC->FillSolidRect(r.right - 1, r.top, 1, r.bottom - r.top, clrDark);
    return;
  }
  int nBottom = bSelected ? r.bottom - 1 : r.bottom + 1;
  pDC->FillSolidRect(r.left, r.top, 1, nBottom - r.top, clrLight);
  pDC->FillSolidRect(r.left, r.top, r.right - r.left, 1, clrLight);
  pDC->FillSolidRect(r.right - 1, r.top, 1, nBottom - r.top, clrDark);
}
