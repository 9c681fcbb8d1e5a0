// The server lists' context menus: one of four by what the list shows (sites
// or a folder) and whether a row is under the cursor; each item enabled by its
// command's rule; the chosen command run by the view, or sent up the command
// route for the document's site commands.
#include "views/contextmenu.h"
#include "views/serlistview.h"

namespace {

// The document's and main window's commands on the site list.
using viewcmd::kDisconnectAll;
using viewcmd::kExportSites;
using viewcmd::kFindSite;
using viewcmd::kImportSites;
using viewcmd::kSiteManager;
constexpr UINT kQuickAdd = viewcmd::kQuickAddSite;

const ContextMenuItem kSitesNoRow[] = {{kSiteManager, "Site Manager..\tF4"},
                            {0, nullptr},
                            {kQuickAdd, "&Quick Add  site"},
                            {0, nullptr},
                            {kImportSites, "&Import Sites.."},
                            {kExportSites, "&Export Sites.."},
                            {0, nullptr},
                            {kFindSite, "&Find Site.."},
                            {ID_LIST_SELECT_ALL, "Se&lect All\tCtrl+L"},
                            {kDisconnectAll, "Disconnect &All"},
                            {0, nullptr},
                            {ID_LIST_MANUAL_CONTROL, "&Manual Control..\tF5"}};

const ContextMenuItem kSitesRow[] = {{ID_LIST_PASTE, "&Paste\tCtrl+V"},
                          {ID_LIST_COPY_PATH, "Copy &Path"},
                          {0, nullptr},
                          {ID_LIST_MANUAL_CONTROL, "&Manual Control..\tF5"},
                          {ID_LIST_DIR_STRUCTURE, "&Directory Structure.."},
                          {0, nullptr},
                          {ID_LIST_CONNECT, "&Connect"},
                          {ID_LIST_STOP_WORK, "&Stop Work"},
                          {ID_LIST_DISCONNECT, "&Disconnect"},
                          {0, nullptr},
                          {ID_LIST_MODIFY_INFO, "&Modify Info.."},
                          {0, nullptr},
                          {ID_LIST_CHANGE_PASSWORD, "Chan&ge Password.."},
                          {0, nullptr},
                          {ID_LIST_DELETE_SITE, "D&elete Site\tDel"},
                          {0, nullptr},
                          {ID_LIST_SELECT_ALL, "Se&lect All\tCtrl+L"},
                          {ID_LIST_INVERT, "&Invert Selection\tCtrl+I"},
                          {0, nullptr},
                          {ID_LIST_SEARCH, "&Search.."}};

const ContextMenuItem kFolderNoRow[] = {{ID_LIST_BACK, "&Back"},
                             {0, nullptr},
                             {ID_LIST_MAKE_FOLDER, "Make &Folder"},
                             {0, nullptr},
                             {ID_LIST_PASTE, "&Paste\tCtrl+V"},
                             {0, nullptr},
                             {ID_LIST_MASK_SELECT, "&Mask Select"},
                             {ID_LIST_SELECT_ALL, "Se&lect All\tCtrl+L"},
                             {ID_LIST_INVERT, "&Invert Selection\tCtrl+I"},
                             {0, nullptr},
                             {ID_LIST_REFRESH, "&Refresh"},
                             {0, nullptr},
                             {ID_LIST_SEARCH, "&Search.."}};

const ContextMenuItem kFolderRow[] = {{ID_LIST_BACK, "&Back"},
                           {0, nullptr},
                           {ID_LIST_MAKE_FOLDER, "Make &Folder"},
                           {0, nullptr},
                           {ID_LIST_VIEW, "&View"},
                           {ID_LIST_EDIT, "&Edit"},
                           {0, nullptr},
                           {ID_LIST_ADD_TO_QUEUE, "Add to Queue\tF6"},
                           {0, nullptr},
                           {ID_LIST_MOVE, "&Move to.."},
                           {0, nullptr},
                           {ID_LIST_COPY, "&Copy\tCtrl+C"},
                           {ID_LIST_COPY_URL, "Copy &URL\tCtrl+U"},
                           {ID_LIST_COPY_PATH, "Copy &Path"},
                           {ID_LIST_CHMOD, "C&HMOD..\tCtrl+H"},
                           {ID_LIST_PASTE, "&Paste\tCtrl+V"},
                           {0, nullptr},
                           {ID_LIST_MASK_SELECT, "&Mask Select"},
                           {ID_LIST_SELECT_ALL, "Se&lect All\tCtrl+L"},
                           {ID_LIST_INVERT, "&Invert Selection\tCtrl+I"},
                           {0, nullptr},
                           {ID_LIST_DELETE, "&Delete\tShift+Del"},
                           {ID_LIST_RENAME, "Re&name"},
                           {0, nullptr},
                           {ID_LIST_REFRESH, "&Refresh"},
                           {0, nullptr},
                           {ID_LIST_SEARCH, "&Search.."}};

template <size_t N>
CMenu* Build(BCMenu& menu, const ContextMenuItem (&items)[N], CWnd* owner)
{
  return BuildContextPopup(menu, items, N, owner);
}

}  // namespace

void CSerLiViewBase::OnRClick(UINT id, NMHDR*, LRESULT* pResult)
{
  *pResult = 0;
  if (id != m_pane.listId)
    return;
  CPoint screen;
  ::GetCursorPos(&screen);
  RunContextMenu(screen);
}

void CSerLiViewBase::RunContextMenu(CPoint screen)
{
  m_contextMenu.DestroyMenu();
  if (SelectedNode() == nullptr)
    return;
  CPoint at = screen;
  ScreenToClient(&at);
  const bool onRow = RowAt(at) >= 0;
  CMenu* popup = nullptr;
  if (ShowsSites())
    popup = onRow ? Build(m_contextMenu, kSitesRow, this) : Build(m_contextMenu, kSitesNoRow, this);
  else
    popup = onRow ? Build(m_contextMenu, kFolderRow, this) : Build(m_contextMenu, kFolderNoRow, this);
  const UINT chosen = TrackContextPopup(m_contextMenu, popup, screen, this);
  if (chosen != 0)
    RunCommand(chosen);
}

void CSerLiViewBase::RunCommand(UINT id)
{
  // Through the command route: the view's own commands, and the document's
  // site commands above it.
  SendMessage(WM_COMMAND, id, 0);
}
