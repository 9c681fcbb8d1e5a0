#include "views/contextmenu.h"

#include "toolkit/bcmenu.h"
#include "toolkit/menuupdate.h"

namespace {

constexpr UINT kContextMenuResource = 188;
constexpr UINT kContextMenuIcons = 171;

}  // namespace

UINT TrackContextMenu(BCMenu& menu, const ContextMenuItem* items, size_t count, CWnd* target, CPoint screen)
{
  menu.DestroyMenu();
  BCMenu* popup = nullptr;
  if (menu.LoadMenu(kContextMenuResource) && (popup = menu.GetSubMenu(0)) != nullptr) {
    menu.LoadToolbar(kContextMenuIcons);
    if (popup->GetMenuItemCount() > 0)
      popup->RemoveMenu(0, MF_BYPOSITION);
  } else {
    // Without the resource (a program that does not link it) a plain popup serves.
    menu.DestroyMenu();
    if (!menu.CreatePopupMenu())
      return 0;
    popup = &menu;
  }
  for (size_t i = 0; i < count; ++i) {
    if (items[i].id == 0)
      popup->AppendMenu(MF_SEPARATOR);
    else
      popup->AppendMenu(MF_STRING, items[i].id, items[i].text);
  }
  UpdatePopupMenuUI(target, popup);
  const UINT chosen = (UINT)popup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_NONOTIFY | TPM_RETURNCMD,
                                                  screen.x, screen.y, target);
  menu.DestroyMenu();
  return chosen;
}
