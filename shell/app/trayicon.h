#pragma once
// The icon in the taskbar's notification area through which the main window,
// hidden to the tray, is reached: a left click shows or hides it, a right
// click opens the "Tray" menu.
#include "framework/object.h"

#include <shellapi.h>

class CWnd;

// Commands the tray sends its owner.
constexpr UINT kTrayCmdShow = 32876;
constexpr UINT kTrayCmdHide = 32877;
// The menu resource whose fifth sub-menu is the tray's.
constexpr UINT kTrayMenuResource = 188;
constexpr int kTrayMenuIndex = 4;

class CTrayIcon : public CObject {
public:
  CTrayIcon() = default;
  ~CTrayIcon() override;

  // TRUE when the icon was added.
  BOOL Create(CWnd* pOwner, UINT uID, HICON hIcon, const char* tip, UINT callbackMessage);
  void Remove();
  BOOL IsAdded() const { return m_bAdded; }
  // The callback message's (wParam, lParam); TRUE when handled.
  BOOL OnTrayNotification(WPARAM wParam, LPARAM lParam);

  // The record the shell is given: the size of its second version, which the
  // oldest shells that show a tray tip of 128 characters accept.
  static constexpr DWORD kRecordSize = NOTIFYICONDATAA_V2_SIZE;

private:
  NOTIFYICONDATAA m_nid = {};
  BOOL m_bAdded = FALSE;
  CWnd* m_pOwner = nullptr;
};
