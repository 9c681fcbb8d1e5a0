// The server trees' context menus: one table for the root, one for a site
// node, one for a folder node; the command chosen runs on the node clicked.
#include "views/contextmenu.h"
#include "views/sertreecmds.h"
#include "views/sertreeview.h"

namespace {

using namespace sertreecmd;

const ContextMenuItem kRootItems[] = {
    {kSiteManager, "Site Manager..\tF4"},
    {0, nullptr},
    {kQuickAddSite, "&Quick Add Site"},
    {0, nullptr},
    {kImportSites, "&Import Sites.."},
    {kExportSites, "&Export Sites.."},
    {0, nullptr},
    {kFindSite, "&Find Site.."},
    {kDisconnectAll, "Disconnect &All"},
    {0, nullptr},
    {kManualControl, "&Manual Control..\tF5"},
};

const ContextMenuItem kSiteItems[] = {
    {kPaste, "&Paste\tCtrl+V"},
    {kCopyPath, "Copy &Path"},
    {0, nullptr},
    // The console of this site, named as in the root's menu.
    {kManualControl, "&Manual Control..\tF5"},
    {kDirectoryStructure, "&Directory Structure.."},
    {0, nullptr},
    {kConnect, "&Connect"},
    {kStopWork, "&Stop Work"},
    {kDisconnect, "&Disconnect"},
    {0, nullptr},
    {kModifyInfo, "&Modify Info.."},
    {0, nullptr},
    {kChangePassword, "Chan&ge Password.."},
    {0, nullptr},
    {kDeleteSite, "D&elete Site\tDel"},
    {0, nullptr},
    {kMakeFolder, "Make &Folder"},
    {0, nullptr},
    {kRefresh, "&Refresh"},
    {0, nullptr},
    {kSearch, "&Search.."},
};

const ContextMenuItem kFolderItems[] = {
    {kBack, "&Back"},
    {0, nullptr},
    {kView, "&View"},
    {kMakeFolder, "Make &Folder"},
    {0, nullptr},
    {kAddToQueue, "Add to Schedule\tF6"},
    {0, nullptr},
    {kMove, "&Move to.."},
    {0, nullptr},
    {kCopy, "&Copy\tCtrl+C"},
    {kCopyPath, "Copy &Path"},
    {kPaste, "&Paste\tCtrl+V"},
    {0, nullptr},
    {kDelete, "&Delete\tShift+Del"},
    {kRename, "Re&name"},
    {kRefresh, "&Refresh"},
    {0, nullptr},
    {kSearch, "&Search.."},
};

template <size_t N>
CMenu* Build(BCMenu& menu, const ContextMenuItem (&items)[N], CWnd* owner)
{
  return BuildContextPopup(menu, items, N, owner);
}

}  // namespace

void CSerTrViewBase::OnContextMenu(NMHDR*, LRESULT* pResult)
{
  *pResult = 0;
  CPoint screen;
  HTREEITEM node = ContextMenuNode(m_tree, &screen);
  if (node == nullptr) {
    m_contextMenu.DestroyMenu();
    m_contextNode = nullptr;
    return;
  }
  CMenu* popup = BuildContextMenu(node);
  const UINT chosen = TrackContextPopup(m_contextMenu, popup, screen, this);
  // The view's one dispatch (its message map, the document's and the main
  // window's after it), with the context node set.
  if (chosen != 0)
    SendMessage(WM_COMMAND, chosen, 0);
  m_contextNode = nullptr;
}

CMenu* CSerTrViewBase::BuildContextMenu(HTREEITEM node)
{
  m_contextNode = node;
  if (node == m_tree.GetRootItem())
    return Build(m_contextMenu, kRootItems, this);
  if (IsSiteNode(node))
    return Build(m_contextMenu, kSiteItems, this);
  return Build(m_contextMenu, kFolderItems, this);
}
