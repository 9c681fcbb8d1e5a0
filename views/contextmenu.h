// The views' context menus from a table of items, in the popup that
// LoadContextPopup makes (menu resource 188 with the icons of toolbar 171, or
// a plain popup where the resource is not linked).
#pragma once

#include <cstddef>

#include "framework/afxwin.h"

class BCMenu;

struct ContextMenuItem {
  UINT id;  // 0: a separator
  const char* text;
};

// Builds the menu in `menu` (destroyed first), enables or greys each item by
// target's update handlers, tracks it at screen for target and destroys it.
// The command chosen, 0 for none.
UINT TrackContextMenu(BCMenu& menu, const ContextMenuItem* items, size_t count, CWnd* target, CPoint screen);
template <size_t N>
UINT TrackContextMenu(BCMenu& menu, const ContextMenuItem (&items)[N], CWnd* target, CPoint screen)
{
  return TrackContextMenu(menu, items, N, target, screen);
}
