// The server trees' window: creation, layout, title band, cursor and menus,
// the site nodes, and the interfaces the document and the launchers use.
#include "views/sertreeview.h"

#include <cstring>

#include "engine/fileops.h"
#include "engine/progthread.h"
#include "engine/viewmessages.h"
#include "engine/viewslots.h"
#include "framework/module.h"
#include "shell/doc/zarndoc.h"
#include "shell/settings/settings.h"
#include "views/filelistctrl.h"
#include "views/maskselectdlg.h"
#include "views/panelinks.h"
#include "views/sertreecmds.h"
#include "views/sertreeres.h"

namespace {

const SerTreePane kFirstPane = {1, "  [Work-View] Remote View 1", false, true};
const SerTreePane kSecondPane = {0, "  [Work-View] Remote View 2", true, false};

ViewSlot& TreeSlot(int paneFlag) { return ServerTreeSlot(paneFlag != 0 ? 1 : 0); }

}  // namespace

IMPLEMENT_DYNAMIC(CSerTrViewBase, CFolderTreeView)
IMPLEMENT_DYNCREATE(CSerTrView, CSerTrViewBase)
IMPLEMENT_DYNCREATE(CSerTrView1, CSerTrViewBase)

BEGIN_MESSAGE_MAP(CSerTrViewBase, CFolderTreeView)
  ON_WM_CREATE()
  ON_WM_DESTROY()
  ON_WM_SETCURSOR()
  ON_NOTIFY(TVN_SELCHANGED, kSerTreeCtrlId, OnSelChanged)
  ON_NOTIFY(TVN_ITEMEXPANDED, kSerTreeCtrlId, OnItemExpanded)
  ON_NOTIFY(TVN_BEGINDRAG, kSerTreeCtrlId, OnBeginDrag)
  ON_NOTIFY(TVN_DELETEITEM, kSerTreeCtrlId, OnDeleteItem)
  ON_MESSAGE(UWM_LISTING_READY, OnListingReady)
  ON_MESSAGE(UWM_CACHED_LISTING, OnCachedListing)
  ON_MESSAGE(UWM_LISTING_STATUS, OnListingStatus)
  ON_MESSAGE(UWM_ENTRY_ADDED, OnEntryAdded)
  ON_MESSAGE(UWM_DROP_LISTING_CACHE, OnDropListingCache)
  ON_MESSAGE(UWM_ENTRY_RENAMED, OnEntryRenamed)
  ON_MESSAGE(UWM_ENTRY_REMOVED, OnEntryRemoved)
  ON_MESSAGE(UWM_SITE_STATE, OnSiteState)
  ON_NOTIFY(NM_RCLICK, kSerTreeCtrlId, OnContextMenu)
  ON_NOTIFY(TVN_BEGINLABELEDITA, kSerTreeCtrlId, OnBeginLabelEdit)
  ON_NOTIFY(TVN_ENDLABELEDITA, kSerTreeCtrlId, OnEndLabelEdit)
  ON_COMMAND(sertreecmd::kManualControl, OnManualControl)
  ON_COMMAND(sertreecmd::kMakeFolder, OnMakeFolder)
  ON_COMMAND(sertreecmd::kRename, OnRename)
  ON_COMMAND(sertreecmd::kMove, OnMove)
  ON_COMMAND(sertreecmd::kDelete, OnDelete)
  ON_COMMAND(sertreecmd::kStopWork, OnStopWork)
  ON_COMMAND(sertreecmd::kModifyInfo, OnModifyInfo)
  ON_COMMAND(sertreecmd::kDeleteSite, OnDeleteSite)
  ON_COMMAND(sertreecmd::kAddToQueue, OnAddToQueue)
  ON_COMMAND(sertreecmd::kChangePassword, OnChangePassword)
  ON_COMMAND(sertreecmd::kDirectoryStructure, OnDirectoryStructure)
  ON_COMMAND(sertreecmd::kSearch, OnSearch)
  ON_COMMAND(sertreecmd::kCopyPath, OnCopyPath)
  ON_COMMAND(sertreecmd::kConnect, OnConnect)
  ON_COMMAND(sertreecmd::kDisconnect, OnDisconnect)
  ON_COMMAND(sertreecmd::kCopy, OnCopy)
  ON_COMMAND(sertreecmd::kPaste, OnPaste)
  ON_UPDATE_COMMAND_UI(sertreecmd::kManualControl, OnUpdateAlways)
  ON_UPDATE_COMMAND_UI(sertreecmd::kRename, OnUpdateFolderNode)
  ON_UPDATE_COMMAND_UI(sertreecmd::kMove, OnUpdateFolderNode)
  ON_UPDATE_COMMAND_UI(sertreecmd::kDelete, OnUpdateFolderNode)
  ON_UPDATE_COMMAND_UI(sertreecmd::kStopWork, OnUpdateStopWork)
  ON_UPDATE_COMMAND_UI(sertreecmd::kModifyInfo, OnUpdateSiteNode)
  ON_UPDATE_COMMAND_UI(sertreecmd::kDeleteSite, OnUpdateSiteNode)
  ON_UPDATE_COMMAND_UI(sertreecmd::kAddToQueue, OnUpdateFolderNode)
  ON_UPDATE_COMMAND_UI(sertreecmd::kChangePassword, OnUpdateSiteNode)
  ON_UPDATE_COMMAND_UI(sertreecmd::kDirectoryStructure, OnUpdateAlways)
  ON_UPDATE_COMMAND_UI(sertreecmd::kSearch, OnUpdateAlways)
  ON_UPDATE_COMMAND_UI(sertreecmd::kCopyPath, OnUpdateNotRoot)
  ON_UPDATE_COMMAND_UI(sertreecmd::kConnect, OnUpdateConnect)
  ON_UPDATE_COMMAND_UI(sertreecmd::kDisconnect, OnUpdateDisconnect)
  ON_UPDATE_COMMAND_UI(sertreecmd::kCopy, OnUpdateFolderNode)
  ON_UPDATE_COMMAND_UI(sertreecmd::kPaste, OnUpdatePaste)
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CSerTrView, CSerTrViewBase)
  ON_UPDATE_COMMAND_UI(sertreecmd::kMakeFolder, OnUpdateMakeFolder)
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CSerTrView1, CSerTrViewBase)
END_MESSAGE_MAP()

CSerTrView::CSerTrView() : CSerTrViewBase(kFirstPane) {}
CSerTrView1::CSerTrView1() : CSerTrViewBase(kSecondPane) {}

CSerTrViewBase::CSerTrViewBase(const SerTreePane& pane)
    : CFolderTreeView({kSerTreeCtrlId, pane.title, 2}), m_pane(pane)
{
}

CSerTrViewBase::~CSerTrViewBase()
{
  // The system's wait cursor (our own did not load) is shared: not ours to destroy.
  if (m_busyCursor != nullptr && m_busyCursor != ::LoadCursor(nullptr, IDC_WAIT))
    ::DestroyCursor(m_busyCursor);
}

int CSerTrViewBase::OnCreate(LPCREATESTRUCT lpcs)
{
  if (CView::OnCreate(lpcs) == -1)
    return -1;
  m_busyCursor = LoadAnimatedCursor(IDR_SERTREE_BUSY);
  if (m_busyCursor == nullptr)
    m_busyCursor = ::LoadCursor(nullptr, IDC_WAIT);
  if (!m_imageList.Create(IDB_SERTREE_IMAGES, 16, 1, RGB(255, 0, 255)))
    return -1;
  // The button draws the icon and leaves it to us; the image list keeps its own copy.
  HICON icon = m_pane.dualButton ? ImageList_GetIcon(m_imageList, 2, ILD_TRANSPARENT) : nullptr;
  if (!CreateBandAndTree(m_pane.dualButton, icon))
    return -1;
  TreeSlot(m_pane.paneFlag) = this;
  SetServerTreeAccess(m_pane.paneFlag, this);
  SetSiteTreeLink(m_pane.paneFlag, this);
  return 0;
}

void CSerTrViewBase::OnDestroy()
{
  CWnd* self = this;
  TreeSlot(m_pane.paneFlag).compare_exchange_strong(self, nullptr);
  ClearServerTreeAccess(m_pane.paneFlag, this);
  ClearSiteTreeLink(m_pane.paneFlag, this);
  CFolderTreeView::OnDestroy();
}

BOOL CSerTrViewBase::OnSetCursor(CWnd*, UINT, UINT)
{
  const bool busy = g_pDoc != nullptr && g_pDoc->GetTaskThreadCount() > 0;
  ::SetCursor(busy ? m_busyCursor : ::LoadCursor(nullptr, IDC_ARROW));
  return TRUE;
}

void CSerTrViewBase::OnInitialUpdate()
{
  CView::OnInitialUpdate();
  m_initialised = 1;
  // Stored order of the colours: local tree, local list, remote trees, remote lists.
  ColorTree();
  HTREEITEM root = m_helper.InsertRootItem(&m_tree, FALSE);
  BuildSiteNodes(root);
  m_dropTarget.Register(this);
  m_tree.SelectItem(root);
  m_tree.Expand(root, TVE_EXPAND);
}

void CSerTrViewBase::BuildSiteNodes(HTREEITEM)
{
  if (g_pDoc == nullptr)
    return;
  for (int i = 0; i < MAX_SITES; ++i)
    if (g_pDoc->GetSite(i) != nullptr)
      InsertSiteNode(i);
}

HTREEITEM CSerTrViewBase::SiteNodeField(CSiteItem* site) const
{
  return m_pane.paneFlag != 0 ? site->m_hTreeNode : site->m_hTreeNode1;
}

void CSerTrViewBase::SetSiteNodeField(CSiteItem* site, HTREEITEM node) const
{
  (m_pane.paneFlag != 0 ? site->m_hTreeNode : site->m_hTreeNode1) = node;
}

HTREEITEM CSerTrViewBase::InsertSiteNode(int slot)
{
  CSiteItem* site = g_pDoc != nullptr ? g_pDoc->GetSite(slot) : nullptr;
  HTREEITEM root = m_tree.m_hWnd != nullptr ? m_tree.GetRootItem() : nullptr;
  if (site == nullptr || root == nullptr)
    return nullptr;
  const CString name(site->m_name, (int)strnlen(site->m_name, sizeof site->m_name));
  CString text = name;
  HTREEITEM node = m_helper.InsertTreeItem(root, &m_tree, text, name, FALSE);
  if (node == nullptr)
    return nullptr;
  m_tree.SetItemData(node, (DWORD_PTR)slot);
  SetSiteNodeField(site, node);
  // A site added while the list shows the sites gets its row there too.
  if (m_initialised && m_tree.GetSelectedItem() == root)
    if (CPartnerList* list = Partner()) {
      EntryRecord row = {};
      strncpy(row.m_name, site->m_name, sizeof row.m_name - 1);
      row.m_kind = kRowSite;
      CFileListItem* item = NewFileListItem(nullptr, &row);
      if (item != nullptr) {
        int image = 0, selected = 0;
        m_tree.GetItemImage(node, image, selected);
        item->m_icon = image;
        list->FileList().FillFromChain(item, 1);
      }
    }
  return node;
}

HTREEITEM CSerTrViewBase::FindSiteNode(const char* name)
{
  HTREEITEM root = m_tree.m_hWnd != nullptr ? m_tree.GetRootItem() : nullptr;
  if (root == nullptr || name == nullptr)
    return nullptr;
  return ChildNamed(root, name);
}

void CSerTrViewBase::SelectRoot()
{
  if (HTREEITEM root = m_tree.GetRootItem())
    m_tree.SelectItem(root);
}

void CSerTrViewBase::LeaveSiteNode(HTREEITEM node)
{
  if (!IsSiteNode(node))
    return;
  for (HTREEITEM item = m_tree.GetSelectedItem(); item != nullptr; item = m_tree.GetParentItem(item))
    if (item == node) {
      SelectRoot();
      m_tree.Expand(node, TVE_COLLAPSE);
      return;
    }
}

void CSerTrViewBase::FindSiteByDialog()
{
  CMaskSelectDlg dlg(FALSE, this);
  if (dlg.DoModal() != IDOK || dlg.m_text.IsEmpty())
    return;
  if (HTREEITEM node = FindSiteNode(dlg.m_text)) {
    m_tree.EnsureVisible(node);
    m_tree.SelectItem(node);
  }
}

bool CSerTrViewBase::NodePath(HTREEITEM node, CString* path, int* siteIndex)
{
  HTREEITEM root = m_tree.m_hWnd != nullptr ? m_tree.GetRootItem() : nullptr;
  if (node == nullptr || root == nullptr || node == root)
    return false;
  // Only a node of this tree: walk it up to a site node under our root.
  HTREEITEM site = nullptr;
  for (HTREEITEM item = node; item != nullptr; item = m_tree.GetParentItem(item))
    if (m_tree.GetParentItem(item) == root) {
      site = item;
      break;
    }
  if (site == nullptr || !IsSiteNode(site))
    return false;
  int index = -1;
  const CString text = m_helper.GetItemPath(&m_tree, node, &index, FALSE);
  if (path != nullptr)
    *path = text;
  if (siteIndex != nullptr)
    *siteIndex = index;
  return true;
}

CPartnerList* CSerTrViewBase::Partner() const { return ServerPartnerList(m_pane.paneFlag); }

bool CSerTrViewBase::IsSiteNode(HTREEITEM node)
{
  HTREEITEM root = m_tree.GetRootItem();
  if (node == nullptr || root == nullptr)
    return false;
  // By walking the root's children: a handle of a deleted node is never read.
  for (HTREEITEM child = m_tree.GetChildItem(root); child != nullptr; child = m_tree.GetNextSiblingItem(child))
    if (child == node)
      return true;
  return false;
}

HTREEITEM CSerTrViewBase::ChildNamed(HTREEITEM parent, const char* name)
{
  for (HTREEITEM child = m_tree.GetChildItem(parent); child != nullptr; child = m_tree.GetNextSiblingItem(child))
    if (m_tree.GetItemData(child) != (DWORD_PTR)-1 && m_tree.GetItemText(child).Compare(name) == 0)
      return child;
  return nullptr;
}

void CSerTrViewBase::DeleteChildren(HTREEITEM node)
{
  // An edit below (not of) the node ends first: its end must find its node.
  if (m_editNode != nullptr && m_editNode != node)
    EndPendingEditUnder(node);
  HTREEITEM child = m_tree.GetChildItem(node);
  while (child != nullptr) {
    HTREEITEM next = m_tree.GetNextSiblingItem(child);
    m_tree.DeleteItem(child);
    child = next;
  }
}
