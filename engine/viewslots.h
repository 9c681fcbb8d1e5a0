// The process-wide slots of the windows engine threads report to (the trees,
// lists, function view and main frame). Each window stores itself when it is
// made and clears its slot before it goes; until then the slot is null.
//
// Other threads never keep the object: they ask the slot for the window handle
// at each send (Window() reads it under the slot's lock, and a window clears
// its slot under that lock before it is freed), so a view closed during a task
// only makes later sends find nothing.
#pragma once

#include <atomic>
#include <mutex>

#include "framework/afxwin.h"

class CSiteItem;

class ViewSlot {
public:
  ViewSlot() = default;
  ViewSlot(const ViewSlot&) = delete;
  ViewSlot& operator=(const ViewSlot&) = delete;

  // The object, for the thread that owns the window.
  CWnd* load() const { return m_wnd.load(); }
  operator CWnd*() const { return m_wnd.load(); }
  ViewSlot& operator=(CWnd* wnd);
  // Clears (or replaces) the slot only while it still holds `expected`.
  bool compare_exchange_strong(CWnd*& expected, CWnd* desired);

  // The window's handle now, or null; safe from any thread.
  HWND Window() const;

private:
  std::atomic<CWnd*> m_wnd{nullptr};
  mutable std::mutex m_lock;
};

// Sends to the slot's window when it still exists and no exit is under way
// (the main thread may be waiting for the sender then); 0 otherwise.
LRESULT SendToView(const ViewSlot& slot, UINT message, WPARAM wParam, LPARAM lParam);
// The same for a post; FALSE when nothing was posted.
BOOL PostToView(const ViewSlot& slot, UINT message, WPARAM wParam, LPARAM lParam);

extern ViewSlot g_pSerTrView;   // first server tree
extern ViewSlot g_pSerTrView1;  // second server tree
extern ViewSlot g_pFuncView;    // the function view (log, queue and other panes)
extern ViewSlot g_pSerLiView;   // first server list
extern ViewSlot g_pSerLiView1;  // second server list

// The server tree of a pane (1 the first, else the second).
ViewSlot& ServerTreeSlot(int paneFlag);

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
extern ViewSlot g_pLocLiView;

// Posts UWM_SITE_STATE for the site to both trees that exist.
void PostSiteState(CSiteItem* site, int connected);
