#include "views/contextmenu.h"

#include "toolkit/bcmenu.h"
#include "toolkit/menuupdate.h"
#include "views/viewhelper.h"

UINT TrackContextMenu(BCMenu& menu, const ContextMenuItem* items, size_t count, CWnd* target, CPoint screen)
{
  BCMenu* popup = LoadContextPopup(menu);
  if (popup == nullptr)
    return 0;
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
