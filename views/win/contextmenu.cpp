#include "views/contextmenu.h"

#include "framework/commctrls.h"
#include "toolkit/menuupdate.h"

HTREEITEM ContextMenuNode(CTreeCtrl& tree, CPoint* screen)
{
  CPoint at;
  ::GetCursorPos(&at);
  if (screen != nullptr)
    *screen = at;
  tree.ScreenToClient(&at);
  UINT flags = 0;
  HTREEITEM node = tree.HitTest(at, &flags);
  if ((flags & (TVHT_ONITEMICON | TVHT_ONITEMLABEL | TVHT_ONITEMSTATEICON)) == 0)
    return nullptr;
  return node;
}

CMenu* BuildContextPopup(BCMenu& menu, const ContextMenuItem* items, size_t count, CWnd* owner)
{
  menu.DestroyMenu();
  BCMenu* popup = nullptr;
  if (menu.LoadMenu(kContextMenuResource) && (popup = menu.GetSubMenu(0)) != nullptr) {
    menu.LoadToolbar(kContextMenuIcons);
    while (popup->GetMenuItemCount() > 0)
      popup->RemoveMenu(0, MF_BYPOSITION);
  } else {
    menu.DestroyMenu();
    if (!menu.CreatePopupMenu())
      return nullptr;
    popup = &menu;
  }
  for (size_t i = 0; i < count; ++i) {
    if (items[i].id == 0)
      popup->AppendMenu(MF_SEPARATOR);
    else
      popup->AppendMenu(MF_STRING, items[i].id, items[i].text);
  }
  UpdatePopupMenuUI(owner, popup);
  return popup;
}

UINT TrackContextPopup(BCMenu& menu, CMenu* popup, CPoint screen, CWnd* owner)
{
  UINT chosen = 0;
  if (popup != nullptr)
    chosen = (UINT)popup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_NONOTIFY | TPM_RETURNCMD, screen.x,
                                         screen.y, owner);
  menu.DestroyMenu();
  return chosen;
}
