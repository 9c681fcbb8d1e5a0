// The context menus of the folder trees: a node's popup built from a table of
// items (menu resource 188's first popup with the icons of toolbar 171, or a
// plain popup where the resource is missing), its update handlers run, then
// tracked at the cursor for the chosen command. Building and tracking are
// apart so that tests read a built popup without opening it.
#pragma once

#include <cstddef>

#include "framework/afxwin.h"
#include "framework/commctrls.h"
#include "toolkit/bcmenu.h"

class CTreeCtrl;

constexpr UINT kContextMenuResource = 188;
constexpr UINT kContextMenuIcons = 171;

struct ContextMenuItem {
  UINT id;           // 0: a separator
  const char* text;
};

// The node under the cursor when the click was on its icon, label or state
// icon; null otherwise. *screen gets the cursor's screen position.
HTREEITEM ContextMenuNode(CTreeCtrl& tree, CPoint* screen);

// Rebuilds menu with the items and runs owner's update handlers over them
// (disabled commands show disabled). The popup to track, null when no menu
// could be made (menu is then empty).
CMenu* BuildContextPopup(BCMenu& menu, const ContextMenuItem* items, size_t count, CWnd* owner);

// Tracks the popup at the screen point (no notifications, the command
// returned), destroys menu and returns the chosen id, 0 when none.
UINT TrackContextPopup(BCMenu& menu, CMenu* popup, CPoint screen, CWnd* owner);
