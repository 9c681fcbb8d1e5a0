// A 32-bit top-down DIB section, the pixels reachable as 0x00RRGGBB words
// (the owner-drawn menu's images, the file list's icon strip).
#pragma once

#include <windows.h>

// A section of cx x cy for hdc; *bits its pixels. Null when it could not be made.
HBITMAP CreateDib32(HDC hdc, int cx, int cy, DWORD** bits);
