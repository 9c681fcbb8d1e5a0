// The process-wide slots of the two server trees and the function view, through
// which engine threads tell the windows about a site. Each window stores itself
// when it is made and clears its slot before it goes; until then the slot is
// null, and every post through it tolerates that.
#pragma once

#include <atomic>

class CWnd;
class CSiteItem;

extern std::atomic<CWnd*> g_pSerTrView;   // first server tree
extern std::atomic<CWnd*> g_pSerTrView1;  // second server tree
extern std::atomic<CWnd*> g_pFuncView;    // the function view (log, queue and other panes)
extern std::atomic<CWnd*> g_pSerLiView;   // first server list
extern std::atomic<CWnd*> g_pSerLiView1;  // second server list

// Posted to the function view: select tab lParam (1 the connection log).
constexpr unsigned int UWM_SHOW_FUNC_TAB = 0x7FA;  // WM_USER+1018
// Sent to the function view by Schedule Time Start, on to the queue page: the
// scheduled stop of the queue (every item stopped).
constexpr unsigned int UWM_SCHEDULE_STOP = 0x7FB;  // WM_USER+1019
// To the function view, on to the sites-status page: refresh its rows.
constexpr unsigned int UWM_SITES_STATUS_REFRESH = 0x80A;  // WM_USER+1034

// Posted to a server tree: wParam the site's node in that tree, lParam nonzero
// when the site is connected.
constexpr unsigned int UWM_SITE_STATE = 0x7F0;  // WM_USER+1008

// The local list (the list beside the local tree).
extern std::atomic<CWnd*> g_pLocLiView;

// Posts UWM_SITE_STATE for the site to both trees that exist.
void PostSiteState(CSiteItem* site, int connected);
