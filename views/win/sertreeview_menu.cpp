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
  if (chosen != 0)
    RunContextCommand(chosen);
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

void CSerTrViewBase::RunContextCommand(UINT id)
{
  switch (id) {
    case kManualControl: OnManualControl(); break;
    case kMakeFolder: OnMakeFolder(); break;
    case kRename: OnRename(); break;
    case kMove: OnMove(); break;
    case kRefresh: OnRefresh(); break;
    case kDelete: OnDelete(); break;
    case kStopWork: OnStopWork(); break;
    case kModifyInfo: OnModifyInfo(); break;
    case kDeleteSite: OnDeleteSite(); break;
    case kView: OnViewNode(); break;
    case kBack: OnBack(); break;
    case kAddToQueue: OnAddToQueue(); break;
    case kChangePassword: OnChangePassword(); break;
    case kDirectoryStructure: OnDirectoryStructure(); break;
    case kSearch: OnSearch(); break;
    case kCopyPath: OnCopyPath(); break;
    case kConnect: OnConnect(); break;
    case kDisconnect: OnDisconnect(); break;
    case kCopy: OnCopy(); break;
    case kPaste: OnPaste(); break;
    // The document's and the main window's, up the view's command route.
    case kQuickAddSite:
    case kFindSite:
    case kImportSites:
    case kExportSites:
    case kDisconnectAll:
    case kSiteManager: SendMessage(WM_COMMAND, id); break;
    default: break;
  }
}
