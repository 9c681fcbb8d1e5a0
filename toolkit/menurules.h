// The owner-drawn menu's rules that need no window: the operating-system
// class, the menu colour arithmetic, the theme-name test and the reading of a
// MENU resource template.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "framework/fwtypes.h"
#include "toolkit/colorops.h"

// Operating-system classes. 0 Win32s, 1 NT 3.x, 2 Windows 95, 3 Windows 98,
// 4 Windows Me, 5 NT 4, 6 Windows 2000, 7 Windows XP. NT 5.2 and every NT 6 or
// later (what Wine reports) are a class of their own above them: they have the
// new shell but no XP theme key to read.
enum : int {
  kOsClassWin32s = 0,
  kOsClassOldNt = 1,
  kOsClassWin95 = 2,
  kOsClassWin98 = 3,
  kOsClassWinMe = 4,
  kOsClassNt4 = 5,
  kOsClassWin2000 = 6,
  kOsClassWinXp = 7,
  kOsClassLaterNt = 8,
};

// platform: 0 Win32s, 1 the 9x family, 2 NT (the OSVERSIONINFO values).
int GetOsClass(DWORD platform, DWORD major, DWORD minor);
// Icon frames, sunken check boxes and the menu font: class 2 and above.
inline bool IsNewShellClass(int osClass) { return osClass >= kOsClassWin95; }

// Each channel c becomes c + (255 - c) x f (Lighten) or c - c x f (Darken),
// truncated; a factor outside 0 < f <= 1 leaves the colour as it is.
COLORREF MenuLightenColor(COLORREF c, double f);
COLORREF MenuDarkenColor(COLORREF c, double f);

// The current-theme value names the classic theme: it ends, in any case, with
// "Windows Classic.theme". Null is no theme.
bool IsClassicThemeName(const char* value);

// One item of a standard MENU template, in template order.
struct MenuTemplateItem {
  UINT flags = 0;        // MF_END removed
  UINT id = 0;           // 0 for a popup
  bool popup = false;    // opens a level: the items up to its end belong to it
  bool endsLevel = false;  // the last item of its level (MF_END)
  std::u16string text;
};

// The template: a version word (0), an offset word, and the items from
// 4 + offset on. FALSE (out cleared) for another version or for data that ends
// before every level has ended; nothing is read past size.
bool ParseMenuTemplate(const void* data, size_t size, std::vector<MenuTemplateItem>* out);
