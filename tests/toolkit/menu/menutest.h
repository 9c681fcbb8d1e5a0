// Helpers of the menu tests: records behind items, a test window over which
// popups are tracked, and running X tools (xdotool, import) from Wine.
#pragma once

#include "tests/support/xside.h"
#include "toolkit/bcmenu.h"

#include <functional>
#include <string>
#include <thread>

#include "menuids.h"

namespace menutest {

inline MENUITEMINFOW ItemInfo(HMENU h, UINT nPos) {
  MENUITEMINFOW mii = {};
  mii.cbSize = sizeof mii;
  mii.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA;
  ::GetMenuItemInfoW(h, nPos, TRUE, &mii);
  return mii;
}
inline MenuItemData* Record(HMENU h, UINT nPos) { return reinterpret_cast<MenuItemData*>(ItemInfo(h, nPos).dwItemData); }
inline bool OwnerDrawn(HMENU h, UINT nPos) { return (ItemInfo(h, nPos).fType & MFT_OWNERDRAW) != 0; }
inline int PosOf(HMENU h, UINT nID) {
  for (int i = 0; i < ::GetMenuItemCount(h); ++i)
    if (::GetMenuItemID(h, i) == nID)
      return i;
  return -1;
}

// Runs a command of the X side (xdotool, import) through /bin/sh and waits
// until it has ended: Wine gives no process handle to wait on for a Unix
// program, so the shell leaves a mark file when the command is done.
// Sleeps rather than pumps: it also runs on the threads that drive tracked menus.
inline bool RunUnix(const std::string& unixCommand, DWORD dwMs = 30000) {
  return xside::RunUnix(unixCommand, "zarn_menu", dwMs, false);
}

// The visible popup menu window of this process, or null (other test
// programs on the same display track menus of their own).
inline HWND VisiblePopup() {
  HWND h = nullptr;
  while ((h = ::FindWindowExA(nullptr, h, "#32768", nullptr)) != nullptr) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(h, &pid);
    if (pid == ::GetCurrentProcessId() && ::IsWindowVisible(h))
      return h;
  }
  return nullptr;
}

template <class Pred>
bool WaitFor(Pred pred, DWORD dwMs = 30000) {
  return xside::WaitFor(pred, dwMs, 20);
}

// A visible top-level window that owns tracked popups and routes their
// messages to BCMenu as the program's windows do.
class CMenuHost : public CWnd {
public:
  BOOL CreateHost(const char* pszTitle) {
    return CreateEx(0, AfxRegisterWndClass(0, ::LoadCursor(nullptr, IDC_ARROW), (HBRUSH)(COLOR_WINDOW + 1)),
                    pszTitle, WS_POPUP | WS_VISIBLE | WS_BORDER, 100, 100, 500, 400, nullptr, nullptr);
  }
  volatile LONG m_nDrawn = 0;  // items drawn since the last reset

protected:
  afx_msg LRESULT OnMenuChar(UINT nChar, UINT nFlags, CMenu* pMenu) {
    if (BCMenu::IsOwnMenu(pMenu))
      return BCMenu::OnMenuChar(nChar, nFlags, pMenu);
    return CWnd::OnMenuChar(nChar, nFlags, pMenu);
  }
  afx_msg void OnInitMenuPopup(CMenu* pPopup, UINT, BOOL bSys) {
    if (!bSys)
      BCMenu::SyncMenu(pPopup);
  }
  afx_msg void OnDrawItem(int nID, LPDRAWITEMSTRUCT lpdis) {
    CWnd::OnDrawItem(nID, lpdis);
    ::InterlockedIncrement(&m_nDrawn);
  }
  DECLARE_MESSAGE_MAP()
};

// Tracks pPopup at (x, y) over pHost with TPM_RETURNCMD while act() runs on
// another thread once the popup is on screen; the chosen id (0 for none).
inline UINT TrackWhile(CMenuHost* pHost, CMenu* pPopup, int x, int y, std::function<void(HWND)> act) {
  ::SetForegroundWindow(pHost->m_hWnd);
  pHost->m_nDrawn = 0;
  std::thread worker([&] {
    HWND hPopup = nullptr;
    if (WaitFor([&] { return (hPopup = VisiblePopup()) != nullptr && pHost->m_nDrawn > 0; }))
      act(hPopup);
    // Whatever happened, the menu closes.
    WaitFor([&] {
      HWND h = VisiblePopup();
      if (h != nullptr)
        ::PostMessageA(h, WM_KEYDOWN, VK_ESCAPE, 0);
      return h == nullptr;
    }, 10000);
  });
  UINT n = (UINT)pPopup->TrackPopupMenu(TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD, x, y, pHost);
  worker.join();
  return n;
}

}  // namespace menutest
