#include "shell/app/trayicon.h"

#include <cstdio>

#include "framework/module.h"
#include "framework/wnd.h"

#ifndef _WIN64
static_assert(CTrayIcon::kRecordSize == 488, "the 32-bit record is 488 bytes");
#endif

CTrayIcon::~CTrayIcon() { Remove(); }

BOOL CTrayIcon::Create(CWnd* pOwner, UINT uID, HICON hIcon, const char* tip, UINT callbackMessage) {
  if (m_bAdded || pOwner == nullptr || pOwner->GetSafeHwnd() == nullptr) return FALSE;
  m_pOwner = pOwner;
  m_nid = NOTIFYICONDATAA{};
  m_nid.cbSize = kRecordSize;
  m_nid.hWnd = pOwner->GetSafeHwnd();
  m_nid.uID = uID;
  m_nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  m_nid.uCallbackMessage = callbackMessage;
  m_nid.hIcon = hIcon;
  std::snprintf(m_nid.szTip, sizeof m_nid.szTip, "%s", tip != nullptr ? tip : "");
  m_bAdded = ::Shell_NotifyIconA(NIM_ADD, &m_nid);
  return m_bAdded;
}

void CTrayIcon::Remove() {
  if (!m_bAdded) return;
  ::Shell_NotifyIconA(NIM_DELETE, &m_nid);
  m_bAdded = FALSE;
}

BOOL CTrayIcon::OnTrayNotification(WPARAM wParam, LPARAM lParam) {
  if (wParam != m_nid.uID || m_pOwner == nullptr) return FALSE;
  HWND owner = m_pOwner->GetSafeHwnd();
  if (owner == nullptr) return FALSE;
  switch (static_cast<UINT>(lParam)) {
    case WM_RBUTTONUP: {
      HMENU menu = ::LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(kTrayMenuResource));
      if (menu == nullptr) return TRUE;
      if (HMENU sub = ::GetSubMenu(menu, kTrayMenuIndex)) {
        ::SetMenuDefaultItem(sub, 0, TRUE);
        POINT at = {};
        ::GetCursorPos(&at);
        ::SetForegroundWindow(owner);
        ::TrackPopupMenu(sub, TPM_RIGHTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, owner, nullptr);
        // Lets the menu close when the user clicks elsewhere.
        ::PostMessageA(owner, WM_NULL, 0, 0);
      }
      ::DestroyMenu(menu);
      return TRUE;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (::IsWindowVisible(owner)) {
        ::SendMessageA(owner, WM_COMMAND, kTrayCmdHide, 0);
      } else {
        ::SendMessageA(owner, WM_COMMAND, kTrayCmdShow, 0);
        ::SetForegroundWindow(owner);
      }
      return TRUE;
    default:
      return TRUE;
  }
}
