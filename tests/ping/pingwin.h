// Reading the ping window from a driver thread, as a user sees it.
#pragma once

#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "console/consoleres.h"
#include "tests/support/xside.h"

namespace pingwin {

inline std::vector<std::string> Rows(HWND dlg)
{
  HWND list = ::GetDlgItem(dlg, IDC_PING_LIST);
  const int count = (int)::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
  std::vector<std::string> rows;
  for (int r = 0; r < count; r++) {
    char text[512] = "";
    LVITEMA item = {};
    item.pszText = text;
    item.cchTextMax = sizeof text;
    ::SendMessageA(list, LVM_GETITEMTEXTA, (WPARAM)r, (LPARAM)&item);
    rows.push_back(text);
  }
  return rows;
}

inline std::vector<std::string> ComboItems(HWND dlg)
{
  HWND combo = ::GetDlgItem(dlg, IDC_PING_HOST);
  std::vector<std::string> items;
  const int n = (int)::SendMessageA(combo, CB_GETCOUNT, 0, 0);
  for (int i = 0; i < n; i++) {
    char text[512] = "";
    ::SendMessageA(combo, CB_GETLBTEXT, (WPARAM)i, (LPARAM)text);
    items.push_back(text);
  }
  return items;
}

inline int CountStarting(const std::vector<std::string>& rows, const std::string& prefix)
{
  int n = 0;
  for (const std::string& r : rows)
    n += r.compare(0, prefix.size(), prefix) == 0 ? 1 : 0;
  return n;
}

inline bool RunControlsEnabled(HWND dlg)
{
  for (int id : {IDC_PING_START, IDC_PING_HOST, IDC_PING_COUNT})
    if (!::IsWindowEnabled(::GetDlgItem(dlg, id)))
      return false;
  return true;
}

// A visible box owned by the window (a message box it opened), or null.
inline HWND OwnedBox(HWND owner)
{
  struct Find {
    HWND owner;
    HWND found;
  } find = {owner, nullptr};
  ::EnumWindows(
      [](HWND h, LPARAM p) -> BOOL {
        Find* f = reinterpret_cast<Find*>(p);
        if (::GetWindow(h, GW_OWNER) == f->owner && ::IsWindowVisible(h)) {
          f->found = h;
          return FALSE;
        }
        return TRUE;
      },
      (LPARAM)&find);
  return find.found;
}

// The whole screen into $ZARN_BINARY_DIR/shots/<name>.png (from a driver thread).
inline void Shot(const char* name)
{
  const char* dir = std::getenv("ZARN_BINARY_DIR");
  if (dir == nullptr || *dir == '\0')
    return;
  const std::string shots = std::string(dir) + "/shots";
  xside::RunUnix("mkdir -p " + shots + " && import -window root " + shots + "/" + name + ".png", "zarn-ping", 30000,
                 false);
}

}  // namespace pingwin
