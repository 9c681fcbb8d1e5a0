// The size a menu item's text takes on a device context.
#pragma once

#include <windows.h>

// Width from a single-line measure that expands tabs, height from the text's
// extent; {0, 0} for no text or no device context.
SIZE MeasureMenuText(const wchar_t* text, HDC hdc);
