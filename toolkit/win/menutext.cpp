#include "toolkit/menutext.h"

#include <cwchar>

SIZE MeasureMenuText(const wchar_t* text, HDC hdc)
{
  SIZE size = {0, 0};
  if (text == nullptr || hdc == nullptr)
    return size;
  const int len = (int)wcslen(text);
  RECT rc = {0, 0, 0, 0};
  ::DrawTextW(hdc, text, len, &rc, DT_SINGLELINE | DT_EXPANDTABS | DT_CALCRECT);
  size.cx = rc.right - rc.left;
  SIZE extent = {0, 0};
  if (::GetTextExtentPoint32W(hdc, text, len, &extent))
    size.cy = extent.cy;
  return size;
}
