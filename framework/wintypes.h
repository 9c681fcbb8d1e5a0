// Point, size and rectangle: thin value types over the SDK's POINT, SIZE and RECT,
// usable wherever those are expected.
#pragma once

#include "framework/fwtypes.h"

class CSize : public tagSIZE {
public:
  CSize() { cx = cy = 0; }
  CSize(int x, int y) { cx = x; cy = y; }
  CSize(const SIZE& s) { cx = s.cx; cy = s.cy; }
  bool operator==(const SIZE& s) const { return cx == s.cx && cy == s.cy; }
  bool operator!=(const SIZE& s) const { return !(*this == s); }
  CSize operator+(const SIZE& s) const { return CSize(cx + s.cx, cy + s.cy); }
  CSize operator-(const SIZE& s) const { return CSize(cx - s.cx, cy - s.cy); }
  CSize operator-() const { return CSize(-cx, -cy); }
  CSize& operator+=(const SIZE& s) { cx += s.cx; cy += s.cy; return *this; }
  CSize& operator-=(const SIZE& s) { cx -= s.cx; cy -= s.cy; return *this; }
};

class CPoint : public tagPOINT {
public:
  CPoint() { x = y = 0; }
  CPoint(int ix, int iy) { x = ix; y = iy; }
  CPoint(const POINT& p) { x = p.x; y = p.y; }
  // From a mouse message's lParam: signed 16-bit coordinates (negative on other monitors).
  explicit CPoint(LPARAM lParam) { x = (short)LOWORD(lParam); y = (short)HIWORD(lParam); }
  void Offset(int dx, int dy) { x += dx; y += dy; }
  bool operator==(const POINT& p) const { return x == p.x && y == p.y; }
  bool operator!=(const POINT& p) const { return !(*this == p); }
  CPoint operator+(const SIZE& s) const { return CPoint(x + s.cx, y + s.cy); }
  CPoint operator-(const SIZE& s) const { return CPoint(x - s.cx, y - s.cy); }
  CSize operator-(const POINT& p) const { return CSize(x - p.x, y - p.y); }
  CPoint& operator+=(const SIZE& s) { x += s.cx; y += s.cy; return *this; }
  CPoint& operator-=(const SIZE& s) { x -= s.cx; y -= s.cy; return *this; }
};

class CRect : public tagRECT {
public:
  CRect() { left = top = right = bottom = 0; }
  CRect(int l, int t, int r, int b) { left = l; top = t; right = r; bottom = b; }
  CRect(const RECT& r) { left = r.left; top = r.top; right = r.right; bottom = r.bottom; }
  CRect(const POINT& p, const SIZE& s) { left = p.x; top = p.y; right = p.x + s.cx; bottom = p.y + s.cy; }
  CRect(const POINT& tl, const POINT& br) { left = tl.x; top = tl.y; right = br.x; bottom = br.y; }
  CRect& operator=(const RECT& r) { left = r.left; top = r.top; right = r.right; bottom = r.bottom; return *this; }

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  CSize Size() const { return CSize(Width(), Height()); }
  CPoint TopLeft() const { return CPoint(left, top); }
  CPoint BottomRight() const { return CPoint(right, bottom); }
  CPoint CenterPoint() const { return CPoint((left + right) / 2, (top + bottom) / 2); }
  BOOL IsRectEmpty() const { return ::IsRectEmpty(this); }
  BOOL IsRectNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
  BOOL PtInRect(POINT p) const { return ::PtInRect(this, p); }

  void SetRect(int l, int t, int r, int b) { left = l; top = t; right = r; bottom = b; }
  void SetRectEmpty() { left = top = right = bottom = 0; }
  void OffsetRect(int dx, int dy) { left += dx; right += dx; top += dy; bottom += dy; }
  void OffsetRect(const POINT& p) { OffsetRect(p.x, p.y); }
  void InflateRect(int dx, int dy) { left -= dx; right += dx; top -= dy; bottom += dy; }
  void DeflateRect(int dx, int dy) { InflateRect(-dx, -dy); }
  void InflateRect(const SIZE& s) { InflateRect(s.cx, s.cy); }
  void DeflateRect(const SIZE& s) { InflateRect(-s.cx, -s.cy); }
  void InflateRect(const RECT* r) { left -= r->left; top -= r->top; right += r->right; bottom += r->bottom; }
  void DeflateRect(const RECT* r) { left += r->left; top += r->top; right -= r->right; bottom -= r->bottom; }
  void DeflateRect(int l, int t, int r, int b) { left += l; top += t; right -= r; bottom -= b; }
  void MoveToX(int x) { right = Width() + x; left = x; }
  void MoveToY(int y) { bottom = Height() + y; top = y; }
  void MoveToXY(int x, int y) { MoveToX(x); MoveToY(y); }
  BOOL EqualRect(const RECT* r) const { return ::EqualRect(this, r); }
  void CopyRect(const RECT* r) { *this = *r; }
  BOOL SubtractRect(const RECT* a, const RECT* b) { return ::SubtractRect(this, a, b); }
  CRect& operator+=(const POINT& p) { OffsetRect(p.x, p.y); return *this; }
  CRect& operator-=(const POINT& p) { OffsetRect(-p.x, -p.y); return *this; }
  CRect operator+(const POINT& p) const { CRect r(*this); r.OffsetRect(p.x, p.y); return r; }
  CRect operator-(const POINT& p) const { CRect r(*this); r.OffsetRect(-p.x, -p.y); return r; }
  CRect operator&(const RECT& o) const { CRect r; ::IntersectRect(&r, this, &o); return r; }
  CRect operator|(const RECT& o) const { CRect r; ::UnionRect(&r, this, &o); return r; }
  void NormalizeRect();
  BOOL IntersectRect(const RECT* a, const RECT* b) { return ::IntersectRect(this, a, b); }
  BOOL UnionRect(const RECT* a, const RECT* b) { return ::UnionRect(this, a, b); }

  operator LPRECT() { return this; }
  operator LPCRECT() const { return this; }
  bool operator==(const RECT& r) const {
    return left == r.left && top == r.top && right == r.right && bottom == r.bottom;
  }
  bool operator!=(const RECT& r) const { return !(*this == r); }
};

inline void CRect::NormalizeRect() {
  if (left > right) { LONG t = left; left = right; right = t; }
  if (top > bottom) { LONG t = top; top = bottom; bottom = t; }
}
