// Messages the remote file operation tasks send to the views.
#pragma once

#include <string>

#include "framework/afxwin.h"
#include "engine/viewmessages.h"  // UWM_ENTRY_ADDED, UWM_DROP_LISTING_CACHE

constexpr UINT UWM_SEARCH_RESULTS = 0x7E9;      // WM_USER+1001 at the function view: lParam the match
constexpr UINT UWM_ENTRY_RENAMED = 0x7EE;       // wParam node, lParam the record (new name in the second text)
constexpr UINT UWM_ENTRY_REMOVED = 0x7EF;       // wParam node, lParam the record removed
constexpr UINT UWM_SAVE_SITE = 0x7F1;           // wParam the site, to the main frame

// folder + "/" (only when missing) + name.
std::string JoinRemotePath(const std::string& folder, const std::string& name);
