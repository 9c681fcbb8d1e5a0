// Messages the workers and the drop targets send to the file views. One
// definition each, so a view may include every header that sends them.
#pragma once

#include "framework/afxwin.h"

// WM_USER+1003: wParam node, lParam the entry record. To a server tree, the
// record's second text is the folder it was added in (empty: not said); to the
// local tree, the entry's full path.
constexpr UINT UWM_ENTRY_ADDED = 0x7EB;
constexpr UINT UWM_DROP_LISTING_CACHE = 0x7ED;  // WM_USER+1005: wParam 0, lParam the node

// A drag over a window that is not a view (wParam the COleDropInfo, lParam 0;
// the window's result goes back to OLE).
constexpr UINT UWM_DRAG_ENTER = 3000;  // result: drop effect
constexpr UINT UWM_DRAG_OVER = 3001;   // result: drop effect
constexpr UINT UWM_DROP = 3002;        // result: BOOL dropped
constexpr UINT UWM_DROP_EX = 3003;     // result: drop effect, -1 not handled
constexpr UINT UWM_DRAG_LEAVE = 3004;  // wParam 0, result ignored
