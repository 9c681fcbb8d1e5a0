// The hyperlink's rules that need no window: the texts for the shell's
// failures, the browser command built from a registered one, and the fit of
// the link's window to its text.
#pragma once

#include "framework/fwstring.h"

extern const char kHyperlinkErrorPrefix[];  // "Unable to open hyperlink:\n\n"

// The text for a shell result; empty for a success (above 32).
CString HyperlinkErrorText(long long result);

// The registered open command cut before "\"%1\"", else before "%1", else
// whole; then a blank and the address.
CString BuildBrowserCommand(const char* registeredCommand, const char* address);

// A link's rectangle fitted to its text (cx x cy): the left edge kept for
// left-aligned text, the centre for centred, the right edge for right-aligned
// (align 0, 1, 2 as SS_LEFT, SS_CENTER, SS_RIGHT); vertically the middle when
// centreVertically, else the top.
struct LinkRect {
  int left, top, right, bottom;
};
LinkRect FitLinkRect(const LinkRect& old, int cx, int cy, int align, bool centreVertically);
