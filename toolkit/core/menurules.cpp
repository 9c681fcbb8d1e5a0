#include "toolkit/menurules.h"

#include <cstring>

namespace {
constexpr DWORD kPlatformWin32s = 0;
constexpr DWORD kPlatformWindows = 1;
constexpr DWORD kPlatformNt = 2;
constexpr UINT kMfPopup = 0x10;
constexpr UINT kMfEnd = 0x80;

WORD ReadWord(const unsigned char* p) { return (WORD)(p[0] | (p[1] << 8)); }

COLORREF MapMenuChannels(COLORREF c, double f, bool lighten) {
  if (!(f > 0.0 && f <= 1.0))
    return c;
  COLORREF out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    double v = (double)((c >> shift) & 0xFF);
    v = lighten ? v + (255.0 - v) * f : v - v * f;
    out |= (COLORREF)(unsigned)v << shift;
  }
  return out;
}
}  // namespace

int GetOsClass(DWORD platform, DWORD major, DWORD minor) {
  if (platform == kPlatformWin32s)
    return kOsClassWin32s;
  if (platform == kPlatformWindows) {
    if (major < 4)
      return kOsClassWin32s;
    if (major == 4 && minor == 90)
      return kOsClassWinMe;
    if (major == 4 && minor == 10)
      return kOsClassWin98;
    return kOsClassWin95;
  }
  if (platform == kPlatformNt) {
    if (major == 4)
      return kOsClassNt4;
    if (major == 5 && minor == 0)
      return kOsClassWin2000;
    if (major == 5 && minor == 1)
      return kOsClassWinXp;
    if (major >= 5)
      return kOsClassLaterNt;
    return kOsClassOldNt;
  }
  return kOsClassOldNt;
}

COLORREF MenuLightenColor(COLORREF c, double f) { return MapMenuChannels(c, f, true); }
COLORREF MenuDarkenColor(COLORREF c, double f) { return MapMenuChannels(c, f, false); }

bool IsClassicThemeName(const char* value) {
  static const char kTail[] = "windows classic.theme";
  if (value == nullptr)
    return false;
  size_t n = std::strlen(value), k = sizeof kTail - 1;
  if (n < k)
    return false;
  for (size_t i = 0; i < k; ++i) {
    char ch = value[n - k + i];
    if (ch >= 'A' && ch <= 'Z')
      ch = (char)(ch - 'A' + 'a');
    if (ch != kTail[i])
      return false;
  }
  return true;
}

bool ParseMenuTemplate(const void* data, size_t size, std::vector<MenuTemplateItem>* out) {
  if (out == nullptr)
    return false;
  out->clear();
  const unsigned char* p = static_cast<const unsigned char*>(data);
  if (p == nullptr || size < 4 || ReadWord(p) != 0)
    return false;
  size_t pos = 4 + (size_t)ReadWord(p + 2);
  // Open levels; the top level is one of them until its last item.
  int open = 1;
  std::vector<bool> ending = {false};
  std::vector<MenuTemplateItem> items;
  while (open > 0) {
    if (pos + 2 > size)
      return false;
    MenuTemplateItem item;
    UINT flags = ReadWord(p + pos);
    pos += 2;
    item.popup = (flags & kMfPopup) != 0;
    item.endsLevel = (flags & kMfEnd) != 0;
    item.flags = flags & ~kMfEnd;
    if (!item.popup) {
      if (pos + 2 > size)
        return false;
      item.id = ReadWord(p + pos);
      pos += 2;
    }
    for (;;) {
      if (pos + 2 > size)
        return false;
      char16_t ch = (char16_t)ReadWord(p + pos);
      pos += 2;
      if (ch == 0)
        break;
      item.text.push_back(ch);
    }
    if (item.endsLevel)
      ending.back() = true;
    if (item.popup) {
      ending.push_back(false);
      ++open;
    } else {
      while (open > 0 && ending.back()) {
        ending.pop_back();
        --open;
      }
    }
    items.push_back(std::move(item));
  }
  *out = std::move(items);
  return true;
}
