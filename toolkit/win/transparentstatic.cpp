#include "toolkit/transparentstatic.h"

#include "framework/gdi.h"

IMPLEMENT_DYNAMIC(CTransparentStatic, CStatic)

BEGIN_MESSAGE_MAP(CTransparentStatic, CStatic)
  ON_WM_PAINT()
  ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

BOOL CTransparentStatic::OnEraseBkgnd(CDC* pDC) {
  if (GetBitmap() != nullptr)
    return TRUE;  // what shows through is the parent's, already on the screen
  return CStatic::OnEraseBkgnd(pDC);
}

void CTransparentStatic::OnPaint() {
  HBITMAP hBitmap = GetBitmap();
  if (hBitmap == nullptr) {
    Default();
    return;
  }
  CPaintDC dc(this);
  BITMAP bm = {};
  ::GetObjectA(hBitmap, sizeof bm, &bm);
  const int w = bm.bmWidth, h = bm.bmHeight;
  if (w <= 0 || h <= 0)
    return;

  CDC image, mask, off;
  image.CreateCompatibleDC(&dc);
  mask.CreateCompatibleDC(&dc);
  off.CreateCompatibleDC(&dc);
  HGDIOBJ oldImage = image.SelectObject((HGDIOBJ)hBitmap);

  // The mask: white where the key colour is, black elsewhere.
  CBitmap maskBitmap;
  maskBitmap.CreateBitmap(w, h, 1, 1, nullptr);
  CBitmap* oldMask = mask.SelectObject(&maskBitmap);
  const COLORREF oldBk = image.SetBkColor(kTransparentKey);
  mask.BitBlt(0, 0, w, h, &image, 0, 0, SRCCOPY);
  image.SetBkColor(oldBk);

  // Off screen: the screen's pixels, then image ^ screen, kept only where the
  // mask is black, then ^ image again: the image where it is opaque, the
  // screen where it is keyed out.
  CBitmap offBitmap;
  offBitmap.CreateCompatibleBitmap(&dc, w, h);
  CBitmap* oldOff = off.SelectObject(&offBitmap);
  off.BitBlt(0, 0, w, h, &dc, 0, 0, SRCCOPY);
  off.BitBlt(0, 0, w, h, &image, 0, 0, SRCINVERT);
  off.SetBkColor(RGB(255, 255, 255));
  off.SetTextColor(RGB(0, 0, 0));
  off.BitBlt(0, 0, w, h, &mask, 0, 0, SRCAND);
  off.BitBlt(0, 0, w, h, &image, 0, 0, SRCINVERT);
  dc.BitBlt(0, 0, w, h, &off, 0, 0, SRCCOPY);

  off.SelectObject(oldOff);
  mask.SelectObject(oldMask);
  image.SelectObject(oldImage);
}
