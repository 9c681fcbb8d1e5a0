#include "framework/gdi.h"

#include <unordered_map>

#include "framework/fwexcept.h"
#include "framework/module.h"
#include "framework/wnd.h"
#include "framework/win/fwwin_state.h"

namespace {

// The calling thread's temporary wrappers (handles the thread does not own).
thread_local std::unordered_map<HGDIOBJ, CGdiObject*>* t_pTempGdi = nullptr;
thread_local std::unordered_map<HDC, CDC*>* t_pTempDC = nullptr;

CGdiObject* NewWrapperFor(HGDIOBJ h) {
  switch (::GetObjectType(h)) {
  case OBJ_PEN:
  case OBJ_EXTPEN:
    return new CPen;
  case OBJ_BRUSH:
    return new CBrush;
  case OBJ_FONT:
    return new CFont;
  case OBJ_BITMAP:
    return new CBitmap;
  case OBJ_REGION:
    return new CRgn;
  default:
    return new CGdiObject;
  }
}

}  // namespace

void AfxDeleteTempGdiMaps() {
  if (t_pTempGdi != nullptr) {
    auto* p = t_pTempGdi;
    t_pTempGdi = nullptr;
    for (auto& kv : *p) {
      kv.second->m_hObject = nullptr;
      delete kv.second;
    }
    delete p;
  }
  if (t_pTempDC != nullptr) {
    auto* p = t_pTempDC;
    t_pTempDC = nullptr;
    for (auto& kv : *p) {
      kv.second->Detach();
      delete kv.second;
    }
    delete p;
  }
}

// ---- CGdiObject ----

IMPLEMENT_DYNAMIC(CGdiObject, CObject)
IMPLEMENT_DYNAMIC(CPen, CGdiObject)
IMPLEMENT_DYNAMIC(CBrush, CGdiObject)
IMPLEMENT_DYNAMIC(CFont, CGdiObject)
IMPLEMENT_DYNAMIC(CBitmap, CGdiObject)
IMPLEMENT_DYNAMIC(CRgn, CGdiObject)

CGdiObject::~CGdiObject() { DeleteObject(); }

HGDIOBJ CGdiObject::GetSafeHandle() const {
  const CGdiObject* p = this;
  __asm__("" : "+r"(p));  // called on null pointers by classic code
  return p == nullptr ? nullptr : p->m_hObject;
}

CGdiObject* CGdiObject::FromHandle(HGDIOBJ hObject) {
  if (hObject == nullptr)
    return nullptr;
  if (t_pTempGdi == nullptr)
    t_pTempGdi = new std::unordered_map<HGDIOBJ, CGdiObject*>;
  CGdiObject*& p = (*t_pTempGdi)[hObject];
  if (p == nullptr) {
    p = NewWrapperFor(hObject);
    p->m_hObject = hObject;
    p->m_bStock = TRUE;  // never deleted through the wrapper
  }
  return p;
}

BOOL CGdiObject::Attach(HGDIOBJ hObject) {
  if (hObject == nullptr || m_hObject != nullptr)
    return FALSE;
  m_hObject = hObject;
  m_bStock = FALSE;
  return TRUE;
}

HGDIOBJ CGdiObject::Detach() {
  HGDIOBJ h = m_hObject;
  m_hObject = nullptr;
  m_bStock = FALSE;
  return h;
}

BOOL CGdiObject::DeleteObject() {
  HGDIOBJ h = Detach();
  if (h == nullptr)
    return FALSE;
  if (m_bStock)
    return TRUE;
  return ::DeleteObject(h);
}

int CGdiObject::GetObject(int nCount, LPVOID lpObject) const {
  return m_hObject ? ::GetObjectA(m_hObject, nCount, lpObject) : 0;
}
UINT CGdiObject::GetObjectType() const { return m_hObject ? (UINT)::GetObjectType(m_hObject) : 0; }

BOOL CGdiObject::CreateStockObject(int nIndex) {
  if (m_hObject != nullptr)
    return FALSE;
  m_hObject = ::GetStockObject(nIndex);
  m_bStock = TRUE;
  return m_hObject != nullptr;
}

BOOL CGdiObject::UnrealizeObject() { return m_hObject ? ::UnrealizeObject(m_hObject) : FALSE; }

namespace {
// Creation into an empty wrapper only: a second Create would leak the first object.
template <class T>
BOOL Take(CGdiObject* pObj, T h) {
  if (h == nullptr)
    return FALSE;
  if (!pObj->Attach(h)) {
    ::DeleteObject(h);
    return FALSE;
  }
  return TRUE;
}
}  // namespace

CPen::CPen(int nPenStyle, int nWidth, COLORREF crColor) { CreatePen(nPenStyle, nWidth, crColor); }
BOOL CPen::CreatePen(int nPenStyle, int nWidth, COLORREF crColor) {
  return Take(this, ::CreatePen(nPenStyle, nWidth, crColor));
}
BOOL CPen::CreatePenIndirect(LPLOGPEN lpLogPen) { return Take(this, ::CreatePenIndirect(lpLogPen)); }

CBrush::CBrush(COLORREF crColor) { CreateSolidBrush(crColor); }
BOOL CBrush::CreateSolidBrush(COLORREF crColor) { return Take(this, ::CreateSolidBrush(crColor)); }
BOOL CBrush::CreateHatchBrush(int nIndex, COLORREF crColor) { return Take(this, ::CreateHatchBrush(nIndex, crColor)); }
BOOL CBrush::CreatePatternBrush(CBitmap* pBitmap) {
  return pBitmap && Take(this, ::CreatePatternBrush((HBITMAP)pBitmap->m_hObject));
}
BOOL CBrush::CreateSysColorBrush(int nIndex) {
  // The system owns these brushes: never deleted.
  if (!Take(this, ::GetSysColorBrush(nIndex)))
    return FALSE;
  m_bStock = TRUE;
  return TRUE;
}
BOOL CBrush::CreateBrushIndirect(const LOGBRUSH* lpLogBrush) { return Take(this, ::CreateBrushIndirect(lpLogBrush)); }

BOOL CFont::CreateFontIndirect(const LOGFONT* lpLogFont) { return Take(this, ::CreateFontIndirectA(lpLogFont)); }
BOOL CFont::CreateFont(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight, BYTE bItalic,
                       BYTE bUnderline, BYTE cStrikeOut, BYTE nCharSet, BYTE nOutPrecision, BYTE nClipPrecision,
                       BYTE nQuality, BYTE nPitchAndFamily, LPCTSTR lpszFacename) {
  return Take(this, ::CreateFontA(nHeight, nWidth, nEscapement, nOrientation, nWeight, bItalic, bUnderline,
                                  cStrikeOut, nCharSet, nOutPrecision, nClipPrecision, nQuality, nPitchAndFamily,
                                  lpszFacename));
}
BOOL CFont::CreatePointFont(int nPointSize, LPCTSTR lpszFaceName, CDC* pDC) {
  LOGFONTA lf = {};
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfHeight = nPointSize;
  if (lpszFaceName != nullptr)
    lstrcpynA(lf.lfFaceName, lpszFaceName, LF_FACESIZE);
  return CreatePointFontIndirect(&lf, pDC);
}
BOOL CFont::CreatePointFontIndirect(const LOGFONT* lpLogFont, CDC* pDC) {
  LOGFONTA lf = *lpLogFont;
  HDC hDC = pDC ? pDC->m_hDC : ::GetDC(nullptr);
  // Tenths of a point to logical units of the DC.
  POINT pt = {0, ::MulDiv(::GetDeviceCaps(hDC, LOGPIXELSY), lf.lfHeight, 720)};
  POINT ptOrg = {0, 0};
  ::DPtoLP(hDC, &pt, 1);
  ::DPtoLP(hDC, &ptOrg, 1);
  lf.lfHeight = -abs(pt.y - ptOrg.y);
  if (pDC == nullptr)
    ::ReleaseDC(nullptr, hDC);
  return CreateFontIndirect(&lf);
}

BOOL CBitmap::LoadBitmap(UINT nIDResource) { return LoadBitmap(MAKEINTRESOURCEA(nIDResource)); }
BOOL CBitmap::LoadBitmap(LPCTSTR lpszResourceName) {
  HBITMAP h = ::LoadBitmapA(AfxGetResourceHandle(), lpszResourceName);
  if (h == nullptr && AfxGetResourceHandle() != AfxGetInstanceHandle())
    h = ::LoadBitmapA(AfxGetInstanceHandle(), lpszResourceName);
  return Take(this, h);
}
BOOL CBitmap::LoadOEMBitmap(UINT nIDBitmap) { return Take(this, ::LoadBitmapA(nullptr, MAKEINTRESOURCEA(nIDBitmap))); }
BOOL CBitmap::CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitcount, const void* lpBits) {
  return Take(this, ::CreateBitmap(nWidth, nHeight, nPlanes, nBitcount, lpBits));
}
BOOL CBitmap::CreateBitmapIndirect(LPBITMAP lpBitmap) { return Take(this, ::CreateBitmapIndirect(lpBitmap)); }
BOOL CBitmap::CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight) {
  return pDC && Take(this, ::CreateCompatibleBitmap(pDC->m_hDC, nWidth, nHeight));
}
CSize CBitmap::GetSize() const {
  BITMAP bm = {};
  if (!GetBitmap(&bm))
    return CSize(0, 0);
  return CSize(bm.bmWidth, bm.bmHeight);
}

BOOL CRgn::CreateRectRgn(int x1, int y1, int x2, int y2) { return Take(this, ::CreateRectRgn(x1, y1, x2, y2)); }
BOOL CRgn::CreateRectRgnIndirect(LPCRECT lpRect) { return Take(this, ::CreateRectRgnIndirect(lpRect)); }
BOOL CRgn::CreateEllipticRgn(int x1, int y1, int x2, int y2) { return Take(this, ::CreateEllipticRgn(x1, y1, x2, y2)); }
BOOL CRgn::CreateRoundRectRgn(int x1, int y1, int x2, int y2, int x3, int y3) {
  return Take(this, ::CreateRoundRectRgn(x1, y1, x2, y2, x3, y3));
}
BOOL CRgn::CreatePolygonRgn(const POINT* lpPoints, int nCount, int nMode) {
  return Take(this, ::CreatePolygonRgn(lpPoints, nCount, nMode));
}
void CRgn::SetRectRgn(int x1, int y1, int x2, int y2) { ::SetRectRgn((HRGN)m_hObject, x1, y1, x2, y2); }
void CRgn::SetRectRgn(LPCRECT r) { ::SetRectRgn((HRGN)m_hObject, r->left, r->top, r->right, r->bottom); }
int CRgn::CombineRgn(const CRgn* pRgn1, const CRgn* pRgn2, int nCombineMode) {
  return ::CombineRgn((HRGN)m_hObject, pRgn1 ? (HRGN)pRgn1->m_hObject : nullptr,
                      pRgn2 ? (HRGN)pRgn2->m_hObject : nullptr, nCombineMode);
}
int CRgn::CopyRgn(const CRgn* pRgnSrc) {
  return ::CombineRgn((HRGN)m_hObject, (HRGN)pRgnSrc->m_hObject, nullptr, RGN_COPY);
}
int CRgn::OffsetRgn(int x, int y) { return ::OffsetRgn((HRGN)m_hObject, x, y); }
int CRgn::GetRgnBox(LPRECT lpRect) const { return ::GetRgnBox((HRGN)m_hObject, lpRect); }
BOOL CRgn::PtInRegion(int x, int y) const { return ::PtInRegion((HRGN)m_hObject, x, y); }
BOOL CRgn::RectInRegion(LPCRECT lpRect) const { return ::RectInRegion((HRGN)m_hObject, lpRect); }
BOOL CRgn::EqualRgn(const CRgn* pRgn) const { return ::EqualRgn((HRGN)m_hObject, (HRGN)pRgn->m_hObject); }

// ---- CDC ----

IMPLEMENT_DYNAMIC(CDC, CObject)
IMPLEMENT_DYNAMIC(CPaintDC, CDC)
IMPLEMENT_DYNAMIC(CClientDC, CDC)
IMPLEMENT_DYNAMIC(CWindowDC, CDC)

CDC::~CDC() {
  if (m_bOwned && m_hDC != nullptr)
    ::DeleteDC(m_hDC);
}

HDC CDC::GetSafeHdc() const {
  const CDC* p = this;
  __asm__("" : "+r"(p));
  return p == nullptr ? nullptr : p->m_hDC;
}

CDC* CDC::FromHandle(HDC hDC) {
  if (hDC == nullptr)
    return nullptr;
  if (t_pTempDC == nullptr)
    t_pTempDC = new std::unordered_map<HDC, CDC*>;
  CDC*& p = (*t_pTempDC)[hDC];
  if (p == nullptr) {
    p = new CDC;
    p->Attach(hDC);
  }
  return p;
}

BOOL CDC::Attach(HDC hDC) {
  if (hDC == nullptr || m_hDC != nullptr)
    return FALSE;
  m_hDC = m_hAttribDC = hDC;
  m_bOwned = FALSE;
  return TRUE;
}

HDC CDC::Detach() {
  HDC h = m_hDC;
  m_hDC = m_hAttribDC = nullptr;
  m_bOwned = FALSE;
  return h;
}

BOOL CDC::CreateCompatibleDC(CDC* pDC) {
  if (m_hDC != nullptr)
    return FALSE;
  HDC h = ::CreateCompatibleDC(pDC ? pDC->m_hDC : nullptr);
  if (h == nullptr)
    return FALSE;
  Attach(h);
  m_bOwned = TRUE;
  return TRUE;
}

BOOL CDC::CreateDC(LPCTSTR lpszDriverName, LPCTSTR lpszDeviceName, LPCTSTR lpszOutput, const void* lpInitData) {
  if (m_hDC != nullptr)
    return FALSE;
  HDC h = ::CreateDCA(lpszDriverName, lpszDeviceName, lpszOutput, (const DEVMODEA*)lpInitData);
  if (h == nullptr)
    return FALSE;
  Attach(h);
  m_bOwned = TRUE;
  return TRUE;
}

BOOL CDC::DeleteDC() {
  if (m_hDC == nullptr)
    return FALSE;
  BOOL bOwned = m_bOwned;
  HDC h = Detach();
  return bOwned ? ::DeleteDC(h) : TRUE;
}

int CDC::SaveDC() { return ::SaveDC(m_hDC); }
BOOL CDC::RestoreDC(int nSavedDC) { return ::RestoreDC(m_hDC, nSavedDC); }
CWnd* CDC::GetWindow() const { return CWnd::FromHandle(::WindowFromDC(m_hDC)); }

CPen* CDC::SelectObject(CPen* pPen) {
  return static_cast<CPen*>(CGdiObject::FromHandle(::SelectObject(m_hDC, pPen ? pPen->m_hObject : nullptr)));
}
CBrush* CDC::SelectObject(CBrush* pBrush) {
  return static_cast<CBrush*>(CGdiObject::FromHandle(::SelectObject(m_hDC, pBrush ? pBrush->m_hObject : nullptr)));
}
CFont* CDC::SelectObject(CFont* pFont) {
  return static_cast<CFont*>(CGdiObject::FromHandle(::SelectObject(m_hDC, pFont ? pFont->m_hObject : nullptr)));
}
CBitmap* CDC::SelectObject(CBitmap* pBitmap) {
  return static_cast<CBitmap*>(
      CGdiObject::FromHandle(::SelectObject(m_hDC, pBitmap ? pBitmap->m_hObject : nullptr)));
}
CGdiObject* CDC::SelectObject(CGdiObject* pObject) {
  return CGdiObject::FromHandle(::SelectObject(m_hDC, pObject ? pObject->m_hObject : nullptr));
}
HGDIOBJ CDC::SelectObject(HGDIOBJ hObject) { return ::SelectObject(m_hDC, hObject); }
int CDC::SelectObject(CRgn* pRgn) {
  return (int)(INT_PTR)::SelectObject(m_hDC, pRgn ? pRgn->m_hObject : nullptr);
}
CGdiObject* CDC::SelectStockObject(int nIndex) {
  HGDIOBJ h = ::GetStockObject(nIndex);
  return h ? CGdiObject::FromHandle(::SelectObject(m_hDC, h)) : nullptr;
}
CFont* CDC::GetCurrentFont() const {
  return static_cast<CFont*>(CGdiObject::FromHandle(::GetCurrentObject(m_hDC, OBJ_FONT)));
}
CBitmap* CDC::GetCurrentBitmap() const {
  return static_cast<CBitmap*>(CGdiObject::FromHandle(::GetCurrentObject(m_hDC, OBJ_BITMAP)));
}
CPen* CDC::GetCurrentPen() const {
  return static_cast<CPen*>(CGdiObject::FromHandle(::GetCurrentObject(m_hDC, OBJ_PEN)));
}
CBrush* CDC::GetCurrentBrush() const {
  return static_cast<CBrush*>(CGdiObject::FromHandle(::GetCurrentObject(m_hDC, OBJ_BRUSH)));
}

COLORREF CDC::SetTextColor(COLORREF c) { return ::SetTextColor(m_hDC, c); }
COLORREF CDC::GetTextColor() const { return ::GetTextColor(m_hDC); }
COLORREF CDC::SetBkColor(COLORREF c) { return ::SetBkColor(m_hDC, c); }
COLORREF CDC::GetBkColor() const { return ::GetBkColor(m_hDC); }
int CDC::SetBkMode(int n) { return ::SetBkMode(m_hDC, n); }
int CDC::GetBkMode() const { return ::GetBkMode(m_hDC); }
int CDC::SetROP2(int n) { return ::SetROP2(m_hDC, n); }
int CDC::SetStretchBltMode(int n) { return ::SetStretchBltMode(m_hDC, n); }
UINT CDC::SetTextAlign(UINT n) { return ::SetTextAlign(m_hDC, n); }
int CDC::SetMapMode(int n) { return ::SetMapMode(m_hDC, n); }
int CDC::GetMapMode() const { return ::GetMapMode(m_hDC); }
CPoint CDC::SetViewportOrg(int x, int y) {
  POINT pt = {0, 0};
  ::SetViewportOrgEx(m_hDC, x, y, &pt);
  return pt;
}
CPoint CDC::GetViewportOrg() const {
  POINT pt = {0, 0};
  ::GetViewportOrgEx(m_hDC, &pt);
  return pt;
}
CPoint CDC::OffsetViewportOrg(int w, int h) {
  POINT pt = {0, 0};
  ::OffsetViewportOrgEx(m_hDC, w, h, &pt);
  return pt;
}
CPoint CDC::SetWindowOrg(int x, int y) {
  POINT pt = {0, 0};
  ::SetWindowOrgEx(m_hDC, x, y, &pt);
  return pt;
}
CPoint CDC::GetWindowOrg() const {
  POINT pt = {0, 0};
  ::GetWindowOrgEx(m_hDC, &pt);
  return pt;
}
int CDC::GetDeviceCaps(int nIndex) const { return ::GetDeviceCaps(m_hAttribDC, nIndex); }
void CDC::DPtoLP(LPPOINT p, int n) const { ::DPtoLP(m_hAttribDC, p, n); }
void CDC::DPtoLP(LPRECT r) const { ::DPtoLP(m_hAttribDC, reinterpret_cast<LPPOINT>(r), 2); }
void CDC::LPtoDP(LPPOINT p, int n) const { ::LPtoDP(m_hAttribDC, p, n); }
void CDC::LPtoDP(LPRECT r) const { ::LPtoDP(m_hAttribDC, reinterpret_cast<LPPOINT>(r), 2); }

int CDC::GetClipBox(LPRECT r) const { return ::GetClipBox(m_hDC, r); }
int CDC::SelectClipRgn(CRgn* pRgn) { return ::SelectClipRgn(m_hDC, pRgn ? (HRGN)pRgn->m_hObject : nullptr); }
int CDC::ExcludeClipRect(int x1, int y1, int x2, int y2) { return ::ExcludeClipRect(m_hDC, x1, y1, x2, y2); }
int CDC::ExcludeClipRect(LPCRECT r) { return ::ExcludeClipRect(m_hDC, r->left, r->top, r->right, r->bottom); }
int CDC::IntersectClipRect(int x1, int y1, int x2, int y2) { return ::IntersectClipRect(m_hDC, x1, y1, x2, y2); }
int CDC::IntersectClipRect(LPCRECT r) {
  return ::IntersectClipRect(m_hDC, r->left, r->top, r->right, r->bottom);
}
BOOL CDC::PtVisible(int x, int y) const { return ::PtVisible(m_hDC, x, y); }
BOOL CDC::RectVisible(LPCRECT r) const { return ::RectVisible(m_hDC, r); }

CPoint CDC::MoveTo(int x, int y) {
  POINT pt = {0, 0};
  ::MoveToEx(m_hDC, x, y, &pt);
  return pt;
}
BOOL CDC::LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
BOOL CDC::Polyline(const POINT* p, int n) { return ::Polyline(m_hDC, p, n); }
BOOL CDC::Polygon(const POINT* p, int n) { return ::Polygon(m_hDC, p, n); }
BOOL CDC::Rectangle(int x1, int y1, int x2, int y2) { return ::Rectangle(m_hDC, x1, y1, x2, y2); }
BOOL CDC::Rectangle(LPCRECT r) { return ::Rectangle(m_hDC, r->left, r->top, r->right, r->bottom); }
BOOL CDC::RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) {
  return ::RoundRect(m_hDC, x1, y1, x2, y2, x3, y3);
}
BOOL CDC::RoundRect(LPCRECT r, POINT p) { return ::RoundRect(m_hDC, r->left, r->top, r->right, r->bottom, p.x, p.y); }
BOOL CDC::Ellipse(int x1, int y1, int x2, int y2) { return ::Ellipse(m_hDC, x1, y1, x2, y2); }
BOOL CDC::Ellipse(LPCRECT r) { return ::Ellipse(m_hDC, r->left, r->top, r->right, r->bottom); }
BOOL CDC::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  return ::Arc(m_hDC, x1, y1, x2, y2, x3, y3, x4, y4);
}
BOOL CDC::Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  return ::Pie(m_hDC, x1, y1, x2, y2, x3, y3, x4, y4);
}
void CDC::FillRect(LPCRECT r, CBrush* pBrush) { ::FillRect(m_hDC, r, pBrush ? (HBRUSH)pBrush->m_hObject : nullptr); }
void CDC::FillRect(LPCRECT r, HBRUSH hBrush) { ::FillRect(m_hDC, r, hBrush); }
void CDC::FillSolidRect(LPCRECT r, COLORREF clr) {
  COLORREF old = ::SetBkColor(m_hDC, clr);
  ::ExtTextOutA(m_hDC, 0, 0, ETO_OPAQUE, r, nullptr, 0, nullptr);
  ::SetBkColor(m_hDC, old);
}
void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF clr) {
  RECT r = {x, y, x + cx, y + cy};
  FillSolidRect(&r, clr);
}
void CDC::FrameRect(LPCRECT r, CBrush* pBrush) { ::FrameRect(m_hDC, r, pBrush ? (HBRUSH)pBrush->m_hObject : nullptr); }
void CDC::InvertRect(LPCRECT r) { ::InvertRect(m_hDC, r); }
void CDC::Draw3dRect(LPCRECT r, COLORREF clrTopLeft, COLORREF clrBottomRight) {
  Draw3dRect(r->left, r->top, r->right - r->left, r->bottom - r->top, clrTopLeft, clrBottomRight);
}
void CDC::Draw3dRect(int x, int y, int cx, int cy, COLORREF clrTopLeft, COLORREF clrBottomRight) {
  FillSolidRect(x, y, cx - 1, 1, clrTopLeft);
  FillSolidRect(x, y, 1, cy - 1, clrTopLeft);
  FillSolidRect(x + cx, y, -1, cy, clrBottomRight);
  FillSolidRect(x, y + cy, cx, -1, clrBottomRight);
}
BOOL CDC::DrawEdge(LPRECT r, UINT nEdge, UINT nFlags) { return ::DrawEdge(m_hDC, r, nEdge, nFlags); }
BOOL CDC::DrawFrameControl(LPRECT r, UINT nType, UINT nState) { return ::DrawFrameControl(m_hDC, r, nType, nState); }
void CDC::DrawFocusRect(LPCRECT r) { ::DrawFocusRect(m_hDC, r); }
BOOL CDC::DrawIcon(int x, int y, HICON hIcon) { return ::DrawIcon(m_hDC, x, y, hIcon); }
BOOL CDC::DrawState(CPoint pt, CSize size, HICON hIcon, UINT nFlags, HBRUSH hBrush) {
  return ::DrawStateA(m_hDC, hBrush, nullptr, (LPARAM)hIcon, 0, pt.x, pt.y, size.cx, size.cy, nFlags | DST_ICON);
}
BOOL CDC::DrawState(CPoint pt, CSize size, HBITMAP hBitmap, UINT nFlags, HBRUSH hBrush) {
  return ::DrawStateA(m_hDC, hBrush, nullptr, (LPARAM)hBitmap, 0, pt.x, pt.y, size.cx, size.cy,
                      nFlags | DST_BITMAP);
}
COLORREF CDC::SetPixel(int x, int y, COLORREF c) { return ::SetPixel(m_hDC, x, y, c); }
COLORREF CDC::GetPixel(int x, int y) const { return ::GetPixel(m_hDC, x, y); }
BOOL CDC::FillRgn(CRgn* pRgn, CBrush* pBrush) {
  return ::FillRgn(m_hDC, (HRGN)pRgn->m_hObject, (HBRUSH)pBrush->m_hObject);
}
BOOL CDC::FrameRgn(CRgn* pRgn, CBrush* pBrush, int nWidth, int nHeight) {
  return ::FrameRgn(m_hDC, (HRGN)pRgn->m_hObject, (HBRUSH)pBrush->m_hObject, nWidth, nHeight);
}
BOOL CDC::PaintRgn(CRgn* pRgn) { return ::PaintRgn(m_hDC, (HRGN)pRgn->m_hObject); }

BOOL CDC::BitBlt(int x, int y, int w, int h, CDC* pSrcDC, int xSrc, int ySrc, DWORD dwRop) {
  return ::BitBlt(m_hDC, x, y, w, h, pSrcDC ? pSrcDC->m_hDC : nullptr, xSrc, ySrc, dwRop);
}
BOOL CDC::StretchBlt(int x, int y, int w, int h, CDC* pSrcDC, int xSrc, int ySrc, int wSrc, int hSrc,
                     DWORD dwRop) {
  return ::StretchBlt(m_hDC, x, y, w, h, pSrcDC ? pSrcDC->m_hDC : nullptr, xSrc, ySrc, wSrc, hSrc, dwRop);
}
BOOL CDC::PatBlt(int x, int y, int w, int h, DWORD dwRop) { return ::PatBlt(m_hDC, x, y, w, h, dwRop); }

BOOL CDC::TextOut(int x, int y, LPCTSTR s, int n) { return ::TextOutA(m_hDC, x, y, s, n); }
BOOL CDC::ExtTextOut(int x, int y, UINT nOptions, LPCRECT r, LPCTSTR s, UINT n, LPINT lpDx) {
  return ::ExtTextOutA(m_hDC, x, y, nOptions, r, s, n, lpDx);
}
int CDC::DrawText(LPCTSTR s, int n, LPRECT r, UINT nFormat) { return ::DrawTextA(m_hDC, s, n, r, nFormat); }
int CDC::DrawText(const CString& str, LPRECT r, UINT nFormat) {
  return ::DrawTextA(m_hDC, str, str.GetLength(), r, nFormat);
}
CSize CDC::GetTextExtent(LPCTSTR s, int n) const {
  SIZE sz = {0, 0};
  ::GetTextExtentPoint32A(m_hAttribDC, s, n, &sz);
  return sz;
}
BOOL CDC::GetTextMetrics(LPTEXTMETRIC lpMetrics) const { return ::GetTextMetricsA(m_hAttribDC, lpMetrics); }
int CDC::GetTextFace(int n, LPTSTR s) const { return ::GetTextFaceA(m_hAttribDC, n, s); }

CPaintDC::CPaintDC(CWnd* pWnd) : m_ps{}, m_hWnd(pWnd ? pWnd->m_hWnd : nullptr) {
  HDC h = ::BeginPaint(m_hWnd, &m_ps);
  if (h == nullptr)
    AfxThrowResourceException();
  Attach(h);
}
CPaintDC::~CPaintDC() {
  ::EndPaint(m_hWnd, &m_ps);
  Detach();
}

CClientDC::CClientDC(CWnd* pWnd) : m_hWnd(pWnd ? pWnd->m_hWnd : nullptr) {
  HDC h = ::GetDC(m_hWnd);
  if (h == nullptr)
    AfxThrowResourceException();
  Attach(h);
}
CClientDC::~CClientDC() { ::ReleaseDC(m_hWnd, Detach()); }

CWindowDC::CWindowDC(CWnd* pWnd) : m_hWnd(pWnd ? pWnd->m_hWnd : nullptr) {
  HDC h = ::GetWindowDC(m_hWnd);
  if (h == nullptr)
    AfxThrowResourceException();
  Attach(h);
}
CWindowDC::~CWindowDC() { ::ReleaseDC(m_hWnd, Detach()); }
