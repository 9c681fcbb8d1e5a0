// Per-thread state of the window framework (internal).
#pragma once

#include <unordered_map>

#include "framework/wnd.h"
#include "framework/winthread.h"

struct AfxThreadState {
  CWinThread* pThread;        // the thread object running on this thread
  MSG msgCur;                 // the message being dispatched (for CWnd::Default)
  CWnd* pWndInit;             // the object waiting for its window (creation hook)
  LPCTSTR lpszInitClass;      // the class it is created with (null: any but IME windows)
  LPVOID lpInitParam;         // and the creation parameter
  HHOOK hHookCbt;             // this thread's creation hook while one is pending
  std::unordered_map<HWND, CWnd*>* pTempMap;  // temporary wrappers of unbound handles
};

// An owner-drawn menu item: the bound CMenu of the item's menu draws it.
BOOL AfxDrawMenuItem(LPDRAWITEMSTRUCT lpdis, LRESULT* pResult);
BOOL AfxMeasureMenuItem(LPMEASUREITEMSTRUCT lpmis, LRESULT* pResult);

// Frees the calling thread's temporary wrappers of each kind (at idle and at
// the thread's end).
void AfxDeleteTempGdiMaps();
void AfxDeleteTempMenuMap();

// Trivially constructible and destructible, so every thread gets a zeroed one.
AfxThreadState* AfxGetThreadState();

// Destroys the windows still bound on the calling thread (at the thread's end).
void AfxDestroyThreadWindows();
