#include "toolkit/dib32.h"

HBITMAP CreateDib32(HDC hdc, int cx, int cy, DWORD** bits)
{
  BITMAPINFO bmi = {};
  bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
  bmi.bmiHeader.biWidth = cx;
  bmi.bmiHeader.biHeight = -cy;
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  bmi.bmiHeader.biCompression = BI_RGB;
  void* pv = nullptr;
  HBITMAP h = ::CreateDIBSection(hdc, &bmi, DIB_RGB_COLORS, &pv, nullptr, 0);
  *bits = static_cast<DWORD*>(pv);
  return h;
}
