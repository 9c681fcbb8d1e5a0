// CLocTrView: creation, layout, the title band, the top-level nodes, listing a
// folder into the tree and the local list, and following a site's folder.
#include "views/loctreeview.h"

#include <shlobj.h>

#include <cstdio>
#include <ctime>

#include "engine/engineutil.h"
#include "engine/progthread.h"
#include "engine/viewmessages.h"
#include "engine/viewslots.h"
#include "shell/doc/zarndoc.h"
#include "shell/settings/settings.h"
#include "views/filelistctrl.h"
#include "views/loctreerules.h"
#include "views/viewpaths.h"
#include "views/viewsres.h"

IMPLEMENT_DYNCREATE(CLocTrView, CFolderTreeView)

namespace {

const FolderTreeSpec kLocalTree = {kLocTreeId, "  [Work View] Local Disk", 0};

// "%x" of a file time in local time.
std::string DateText(const FILETIME& written)
{
  FILETIME local;
  SYSTEMTIME st;
  if (!::FileTimeToLocalFileTime(&written, &local) || !::FileTimeToSystemTime(&local, &st))
    return std::string();
  struct tm t = {};
  t.tm_year = st.wYear - 1900;
  t.tm_mon = st.wMonth - 1;
  t.tm_mday = st.wDay;
  char text[kEntryDateLen] = {};
  strftime(text, sizeof text, "%x", &t);
  return text;
}

void CopyField(char* field, size_t size, const char* text)
{
  snprintf(field, size, "%s", text != nullptr ? text : "");
}

}  // namespace

CLocTrView::CLocTrView() : CFolderTreeView(kLocalTree) {}

CLocTrView::~CLocTrView()
{
  ClearLocalTreeLink(this);
  if (g_pLocTrView.load() == this)
    g_pLocTrView = nullptr;
}

int CLocTrView::OnCreate(LPCREATESTRUCT lpcs)
{
  if (CView::OnCreate(lpcs) == -1)
    return -1;
  // Bitmap 114 holds the tree's small pictures; without it a plain list
  // keeps the button's icon below.
  if (!m_imageList.Create(114, 16, 1, RGB(255, 0, 255)) && !m_imageList.Create(16, 16, ILC_COLOR32 | ILC_MASK, 4, 1))
    return -1;
  HICON icon = m_imageList.GetImageCount() > 2 ? m_imageList.ExtractIcon(2) : nullptr;
  if (icon == nullptr)
    icon = (HICON)::LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDI_VIEW_SERVER_ROOT), IMAGE_ICON, 16, 16, 0);
  if (!CreateBandAndTree(true, icon))
    return -1;
  g_pLocTrView = this;
  SetLocalTreeLink(this);
  return 0;
}

void CLocTrView::OnDestroy()
{
  m_closing = true;
  ClearLocalTreeLink(this);
  if (g_pLocTrView.load() == this)
    g_pLocTrView = nullptr;
  m_contextMenu.DestroyMenu();
  CFolderTreeView::OnDestroy();
}

void CLocTrView::OnInitialUpdate()
{
  CView::OnInitialUpdate();
  ColorTree();
  if (m_tree.GetRootItem() != nullptr)
    return;  // once: a second initial update keeps the tree
  HTREEITEM root = m_helper.InsertRootItem(&m_tree, TRUE);
  FillDrives(root);
  m_dropTarget.Register(this);
  m_tree.SelectItem(root);
  m_tree.Expand(root, TVE_EXPAND);
}

void CLocTrView::FillDrives(HTREEITEM root)
{
  // Favorites may not exist (under Wine): asked with the create flag, and an
  // empty slot keeps its place so the drives stay at 3 and up.
  static const int kFolders[3] = {CSIDL_DESKTOP, CSIDL_PERSONAL, CSIDL_FAVORITES};
  char folders[3][MAX_PATH] = {};
  for (int i = 0; i < 3; ++i)
    if (FAILED(::SHGetFolderPathA(nullptr, kFolders[i] | CSIDL_FLAG_CREATE, nullptr, 0, folders[i])))
      folders[i][0] = '\0';
  char drives[262] = {};
  const DWORD len = ::GetLogicalDriveStringsA(260, drives);
  if (len == 0 || len > 260)
    drives[0] = '\0';
  const char* const names[3] = {folders[0], folders[1], folders[2]};
  const int driveCount = FillLocalRootPaths(g_localRootPaths, sizeof g_localRootPaths, names, drives);
  for (int i = 0; i < 3 + driveCount; ++i) {
    const char* path = LocalRootPathAt(g_localRootPaths, sizeof g_localRootPaths, i);
    if (path == nullptr)
      continue;  // an empty folder slot
    CString text(path);
    HTREEITEM node = m_helper.InsertTreeItem(root, &m_tree, text, path, TRUE);
    if (node != nullptr)
      m_tree.SetItemData(node, (DWORD_PTR)i);
  }
}

CFileListCtrl* CLocTrView::LocalList()
{
  CPartnerList* partner = PartnerList(kListOfLocTree);
  return partner != nullptr ? &partner->FileList() : nullptr;
}

void CLocTrView::SetStatus(const char* text)
{
  if (CPartnerList* partner = PartnerList(kListOfLocTree))
    partner->SetStatusText(text);
}

CString CLocTrView::NodePath(HTREEITEM node)
{
  return m_helper.GetItemPath(&m_tree, node, nullptr, TRUE);
}

CString CLocTrView::SelectedPath()
{
  return NodePath(m_tree.GetSelectedItem());
}

BOOL CLocTrView::IsFolderNode(HTREEITEM node) const
{
  if (node == nullptr || node == m_tree.GetRootItem())
    return FALSE;
  HTREEITEM parent = m_tree.GetParentItem(node);
  return parent != nullptr && parent != m_tree.GetRootItem();
}

void CLocTrView::EndPendingEditUnder(HTREEITEM node)
{
  // Children are about to go: an edit of one of them ends first (cancelled),
  // so its end acts while the node still exists.
  if (m_editNode != nullptr && (m_editNode == node || IsBelow(m_editNode, node)))
    m_tree.SendMessage(TVM_ENDEDITLABELNOW, TRUE, 0);
}

void CLocTrView::OnSelChanged(NMHDR* pNMHDR, LRESULT* pResult)
{
  *pResult = 0;
  if (m_closing)
    return;
  HTREEITEM node = reinterpret_cast<NMTREEVIEWA*>(pNMHDR)->itemNew.hItem;
  if (CFileListCtrl* list = LocalList())
    list->DeleteAllItems();
  if (CWnd* func = g_pFuncView.load())
    func->PostMessage(UWM_SHOW_FUNC_TAB, 0, 0);
  if (node == nullptr)
    return;
  if (node == m_tree.GetRootItem()) {
    ShowRootRows();
    return;
  }
  ListFolder(node);
}

void CLocTrView::ShowRootRows()
{
  HTREEITEM root = m_tree.GetRootItem();
  std::vector<EntryRecord> rows;
  for (HTREEITEM child = m_tree.GetChildItem(root); child != nullptr; child = m_tree.GetNextSiblingItem(child)) {
    EntryRecord e = {};
    CopyField(e.m_name, sizeof e.m_name, m_tree.GetItemText(child));
    CopyField(e.m_second, sizeof e.m_second, NodePath(child));
    e.m_kind = 8;
    rows.push_back(e);
  }
  CFileListItem* first = nullptr;
  for (size_t i = rows.size(); i-- > 0;)
    first = NewFileListItem(first, &rows[i]);
  if (CFileListCtrl* list = LocalList())
    list->FillFromChain(first, (int)rows.size());
  char text[64];
  snprintf(text, sizeof text, "Total: %ld Disks", (long)rows.size());
  SetStatus(text);
}

void CLocTrView::ListFolder(HTREEITEM node, bool fillList)
{
  if (node == nullptr || node == m_tree.GetRootItem())
    return;
  EndPendingEditUnder(node);
  for (HTREEITEM child = m_tree.GetChildItem(node); child != nullptr;) {
    HTREEITEM next = m_tree.GetNextSiblingItem(child);
    m_tree.DeleteItem(child);
    child = next;
  }
  std::string folder(NodePath(node));
  if (folder.empty() || folder.back() != '\\')
    folder += '\\';
  const bool showHidden = IsOptionSet(OPTBIT_SHOW_HIDDEN);
  std::vector<EntryRecord> rows;
  WIN32_FIND_DATAA found;
  HANDLE find = ::FindFirstFileA((folder + "*").c_str(), &found);
  for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = ::FindNextFileA(find, &found)) {
    if (strcmp(found.cFileName, ".") == 0 || strcmp(found.cFileName, "..") == 0)
      continue;
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0 && !showHidden)
      continue;
    EntryRecord e = {};
    CopyField(e.m_name, sizeof e.m_name, found.cFileName);
    const std::string full = folder + found.cFileName;
    // The row's path for its icon; one that does not fit is left out, never cut.
    if (full.size() < sizeof e.m_second)
      CopyField(e.m_second, sizeof e.m_second, full.c_str());
    CopyField(e.m_date, sizeof e.m_date, DateText(found.ftLastWriteTime).c_str());
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      e.m_kind = kEntryFolder;
      CString text(found.cFileName);
      m_helper.InsertTreeItem(node, &m_tree, text, full.c_str(), TRUE);
    } else {
      e.m_kind = kEntryFile;
      e.m_size = (int64_t)(((uint64_t)found.nFileSizeHigh << 32) | found.nFileSizeLow);
    }
    rows.push_back(e);
  }
  if (find != INVALID_HANDLE_VALUE)
    ::FindClose(find);
  CFileListCtrl* list = fillList ? LocalList() : nullptr;
  if (list == nullptr)
    return;
  CFileListItem* first = nullptr;
  for (size_t i = rows.size(); i-- > 0;)
    first = NewFileListItem(first, &rows[i]);
  list->ReplaceRows(first, (int)rows.size());
  char text[160];
  snprintf(text, sizeof text, "Total: %ld Folders, %ld Files(%s)", (long)list->m_folderCount,
           (long)list->m_fileCount, (const char*)FormatSize64(list->m_totalBytes));
  SetStatus(text);
}

void CLocTrView::Relist(HTREEITEM node)
{
  if (node == nullptr || node == m_tree.GetRootItem())
    return;
  ListFolder(node, node == m_tree.GetSelectedItem());
}

void CLocTrView::OnItemExpanded(NMHDR* pNMHDR, LRESULT* pResult)
{
  *pResult = 0;
  const NMTREEVIEWA* tv = reinterpret_cast<NMTREEVIEWA*>(pNMHDR);
  HTREEITEM node = tv->itemNew.hItem;
  if (m_closing || node == nullptr || (tv->itemNew.state & TVIS_EXPANDED) == 0)
    return;
  // Selecting a folder opens its parents: taking the selection back to one of
  // them would relist it and delete the very node being selected.
  if (m_tree.GetSelectedItem() == node || IsBelow(m_tree.GetSelectedItem(), node))
    return;
  m_tree.SelectItem(node);
}

void CLocTrView::OnDeleteItem(NMHDR* pNMHDR, LRESULT* pResult)
{
  *pResult = 0;
  HTREEITEM item = reinterpret_cast<NMTREEVIEWA*>(pNMHDR)->itemOld.hItem;
  // A handle that goes is never acted on later (a new node may get it).
  if (item == m_editNode)
    m_editNode = nullptr;
  if (item == m_contextNode)
    m_contextNode = nullptr;
  if (item == m_dropNode)
    m_dropNode = nullptr;
  if (item == m_dragNode)
    m_dragNode = nullptr;
}

LRESULT CLocTrView::OnEntryAdded(WPARAM wParam, LPARAM lParam)
{
  HTREEITEM node = reinterpret_cast<HTREEITEM>(wParam);
  const EntryRecord* record = reinterpret_cast<const EntryRecord*>(lParam);
  if (record == nullptr || node == nullptr || node != m_tree.GetSelectedItem())
    return 0;
  // The entry's path names its folder: a reply for a handle since given to
  // another node adds nothing there.
  const std::string entryPath(record->m_second, strnlen(record->m_second, sizeof record->m_second));
  if (!IsEntryOfLocalFolder(std::string(NodePath(node)), entryPath))
    return 0;
  if (record->m_kind == kEntryFolder) {
    CString text(record->m_name);
    m_helper.InsertTreeItem(node, &m_tree, text, record->m_second, TRUE);
  }
  CFileListCtrl* list = LocalList();
  if (list != nullptr && m_helper.FindListItem(list, record) < 0)
    list->FillFromChain(NewFileListItem(nullptr, record), 1);
  return 0;
}

LRESULT CLocTrView::OnListingStatus(WPARAM wParam, LPARAM)
{
  HTREEITEM node = reinterpret_cast<HTREEITEM>(wParam);
  if (node != nullptr && node == m_tree.GetSelectedItem() && m_tree.GetChildItem(node) != nullptr)
    m_tree.SendMessage(WM_SETREDRAW, TRUE, 0);
  return 0;
}

void CLocTrView::FollowSiteFolder(int siteIndex)
{
  CSiteItem* site = g_pDoc != nullptr ? g_pDoc->GetSite(siteIndex) : nullptr;
  if (site == nullptr)
    return;
  const std::string target(site->m_localFolder, strnlen(site->m_localFolder, sizeof site->m_localFolder));
  // A site without a local folder is not followed: the tree would fall back
  // to the drives on every listing of that site.
  if (target.empty())
    return;
  FollowFolder(target.c_str());
}

void CLocTrView::FollowFolder(const char* target)
{
  if (target == nullptr || *target == '\0')
    return;
  HTREEITEM root = m_tree.GetRootItem();
  m_tree.SelectItem(root);
  m_tree.Expand(root, TVE_EXPAND);
  for (HTREEITEM node = m_tree.GetChildItem(root); node != nullptr;) {
    switch (FollowStepFor(std::string(NodePath(node)), target)) {
      case FollowStep::kArrived:
        m_tree.SelectItem(node);
        m_tree.Expand(node, TVE_EXPAND);
        m_tree.EnsureVisible(node);
        return;
      case FollowStep::kOnTheWay:
        // Expanding selects the node, which lists its folders; a node that
        // was expanded already is selected here for the same.
        m_tree.Expand(node, TVE_EXPAND);
        if (m_tree.GetSelectedItem() != node)
          m_tree.SelectItem(node);
        m_tree.EnsureVisible(node);
        node = m_tree.GetChildItem(node);
        break;
      case FollowStep::kAside:
        node = m_tree.GetNextSiblingItem(node);
        break;
    }
  }
}
