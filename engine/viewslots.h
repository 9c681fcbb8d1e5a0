// The process-wide slots of the two server trees, through which engine threads
// tell the views about a site. Each tree stores itself when its window is made
// and clears its slot before it goes; until then the slot is null, and every
// post through it tolerates that.
#pragma once

#include <atomic>

class CWnd;
class CSiteItem;

extern std::atomic<CWnd*> g_pSerTrView;   // first server tree
extern std::atomic<CWnd*> g_pSerTrView1;  // second server tree

// Posted to a server tree: wParam the site's node in that tree, lParam nonzero
// when the site is connected.
constexpr unsigned int UWM_SITE_STATE = 0x7F0;  // WM_USER+1008

// Posts UWM_SITE_STATE for the site to both trees that exist.
void PostSiteState(CSiteItem* site, int connected);
