// Colour arithmetic shared by the menus, tabs and buttons. Colours are
// 0x00BBGGRR; each channel is scaled on its own and truncated.
#pragma once

#include "framework/fwtypes.h"

#ifndef _WIN32
typedef DWORD COLORREF;
#endif

// Each channel times f, f clamped to 0..1 (a darker colour).
COLORREF ScaleColor(COLORREF c, double f);
// Each channel times f, f below 1 taken as 1, each channel capped at 255.
COLORREF LightenColor(COLORREF c, double f);
