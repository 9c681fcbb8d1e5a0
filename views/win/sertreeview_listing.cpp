// The server trees' listings: selection, the listing request, and the
// messages by which tasks report folders, entries and site states. A message
// about a folder is taken only while that folder is the selected node, and a
// node handle a message carries is used only once it is found in the tree.
#include <cstdio>
#include <cstring>

#include "engine/confirmdlg.h"
#include "engine/engineres.h"
#include "engine/fileops.h"
#include "engine/listingcache.h"
#include "engine/progthread.h"
#include "engine/shellseam.h"
#include "engine/viewmessages.h"
#include "engine/viewslots.h"
#include "shell/doc/zarndoc.h"
#include "views/filelistctrl.h"
#include "views/panelinks.h"
#include "views/sertreeview.h"

namespace {

bool IsDotName(const char* name) { return strcmp(name, ".") == 0 || strcmp(name, "..") == 0; }

CString NameOf(const char* field, size_t size) { return CString(field, (int)strnlen(field, size)); }

// The label of the child that gives a node not yet listed its expand button
// (the same as CViewHelper::InsertTreeItem's).

}  // namespace

void CSerTrViewBase::OnSelChanged(NMHDR* pNMHDR, LRESULT* pResult)
{
  *pResult = 0;
  if (!m_quietSelection)
    SelectionChanged(reinterpret_cast<NMTREEVIEW*>(pNMHDR)->itemNew.hItem);
}

void CSerTrViewBase::DeleteNode(HTREEITEM node)
{
  EndPendingEditUnder(node);
  const bool selected = node == m_tree.GetSelectedItem();
  m_quietSelection = true;
  m_tree.DeleteItem(node);
  m_quietSelection = false;
  if (selected)
    SelectionChanged(m_tree.GetSelectedItem());
}

void CSerTrViewBase::SelectionChanged(HTREEITEM node)
{
  if (CPartnerList* list = Partner())
    list->FileList().DeleteAllItems();
  if (m_pane.listingCache)
    if (CWnd* func = g_pFuncView.load())
      func->SendMessage(UWM_SHOW_FUNC_TAB, 0, 0);
  // A Make Folder waiting for a listing waits only while its node is selected.
  if (node != m_pendingNewFolder)
    m_pendingNewFolder = nullptr;
  if (node == nullptr)
    return;
  if (node != m_tree.GetRootItem()) {
    RequestListing(node);
    return;
  }
  // This pane's listings still under way are stale now (the other pane's are not).
  NextListingGeneration(m_pane.paneFlag);
  ShowSiteRows();
}

void CSerTrViewBase::ShowSiteRows()
{
  CPartnerList* list = Partner();
  if (list == nullptr)
    return;
  CFileListItem* first = nullptr;
  CFileListItem* last = nullptr;
  long n = 0;
  for (HTREEITEM child = m_tree.GetChildItem(m_tree.GetRootItem()); child != nullptr;
       child = m_tree.GetNextSiblingItem(child)) {
    EntryRecord row = {};
    strncpy(row.m_name, m_tree.GetItemText(child), sizeof row.m_name - 1);
    row.m_kind = kRowSite;
    CFileListItem* item = NewFileListItem(nullptr, &row);
    if (item == nullptr)
      break;
    int image = 0, selectedImage = 0;
    m_tree.GetItemImage(child, image, selectedImage);
    item->m_icon = image;
    (last != nullptr ? last->m_pNext : first) = item;
    last = item;
    ++n;
  }
  list->FileList().FillFromChain(first, (int)n);
  char text[64];
  snprintf(text, sizeof text, "Total: %ld Sites", n);
  list->SetStatusText(text);
}

void CSerTrViewBase::OnItemExpanded(NMHDR* pNMHDR, LRESULT* pResult)
{
  const NMTREEVIEW* nm = reinterpret_cast<NMTREEVIEW*>(pNMHDR);
  *pResult = 0;
  HTREEITEM node = nm->itemNew.hItem;
  if ((nm->itemNew.state & TVIS_EXPANDED) == 0 || node == nullptr)
    return;
  // Selecting a folder opens its parents; taking the selection back to a
  // parent would list it and delete the very node just selected.
  for (HTREEITEM item = m_tree.GetSelectedItem(); item != nullptr; item = m_tree.GetParentItem(item))
    if (item == node)
      return;
  m_tree.SelectItem(node);
}

int CSerTrViewBase::RequestListing(HTREEITEM node)
{
  int siteIndex = -1;
  const CString path = m_helper.GetItemPath(&m_tree, node, &siteIndex, FALSE);
  CSiteItem* site = g_pDoc != nullptr ? g_pDoc->GetSite(siteIndex) : nullptr;
  if (site == nullptr)
    return 0;
  bool cached = false;
  if (m_pane.listingCache) {
    const std::string folder(site->m_cacheFolder, strnlen(site->m_cacheFolder, sizeof site->m_cacheFolder));
    if (ListingCacheWanted(site->SiteOptionDigits[2], folder.c_str())) {
      const std::string name = ListingCacheFileName(folder.c_str(), reinterpret_cast<intptr_t>(node));
      cached = !name.empty() && ::GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
  }
  if (!cached)
    DeleteChildren(node);
  if (site->m_connected.load() == 0) {
    const NodeKey key = m_helper.KeyOf(&m_tree, node);
    if (!g_pDoc->ConnectSite(siteIndex))
      return 0;
    // The connect prompt pumped messages: the site may have been deleted (its
    // slot emptied or filled anew) and the node's handle given to another.
    site = g_pDoc->GetSite(siteIndex);
    if (site == nullptr || m_helper.FindByKey(&m_tree, key) != node)
      return 0;
  }
  site->m_queueRun = 1;
  CProgThread* task =
      new CProgThread(m_pane.paneFlag, cached ? TASK_SEARCH_LIST : TASK_LIST, site, node, path, 1, nullptr);
  if (!m_helper.StartTaskThread(task)) {
    delete task;
    ShowConfirmDlg(this, IDS_SERVER_THREAD_FAILED, kConfirmModeError);
    return 0;
  }
  ++m_listingsStarted;
  if (m_pane.listingCache && site->SiteOptionDigits[3] != '0')
    if (CLocalTreeLink* local = LocalTreeLink()) {
      const CString folder = NameOf(site->m_localFolder, sizeof site->m_localFolder);
      if (local->SelectedPath().CompareNoCase(folder) != 0)
        local->FollowSiteFolder(siteIndex);
    }
  return 1;
}

void CSerTrViewBase::FillFromListing(HTREEITEM node, const EntryRecord* entries, bool keepChildren)
{
  const DWORD_PTR data = m_tree.GetItemData(node);
  if (!keepChildren) {
    m_tree.SetRedraw(FALSE);
    DeleteChildren(node);
  }
  CFileListItem* first = nullptr;
  CFileListItem* last = nullptr;
  int n = 0;
  int folderImage = -1, folderOpenImage = -1;
  for (const EntryRecord* e = entries; e != nullptr && e->m_name[0] != '\0'; ++e) {
    if (IsDotName(e->m_name))
      continue;
    if (!keepChildren && e->m_kind == kEntryFolder) {
      // The shell answers a folder by its kind alone: one look-up per listing,
      // not one per folder (thousands of folders took seconds).
      if (folderImage < 0 && !GetShellIconIndexByName(e->m_name, &folderImage, &folderOpenImage, kEntryFolder))
        folderImage = folderOpenImage = 0;
      HTREEITEM child = m_tree.InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM, e->m_name,
                                          folderImage, folderOpenImage, 0, 0, (LPARAM)data, node, TVI_LAST);
      if (child != nullptr)
        m_tree.InsertItem(TVIF_TEXT | TVIF_PARAM, kPlaceholderLabel, 0, 0, 0, 0, (LPARAM)-1, child, TVI_LAST);
    }
    CFileListItem* item = NewFileListItem(nullptr, e);
    if (item == nullptr)
      break;
    (last != nullptr ? last->m_pNext : first) = item;
    last = item;
    ++n;
  }
  if (!keepChildren)
    m_tree.SetRedraw(TRUE);
  // The rows are replaced, also when a second listing of the node arrives.
  if (CPartnerList* list = Partner()) {
    list->FileList().ReplaceRows(first, n);
  } else
    while (first != nullptr) {
      CFileListItem* next = first->m_pNext;
      delete first;
      first = next;
    }
}

LRESULT CSerTrViewBase::OnListingReady(WPARAM wParam, LPARAM lParam)
{
  HTREEITEM node = reinterpret_cast<HTREEITEM>(wParam);
  if (node == nullptr || node != m_tree.GetSelectedItem())
    return 0;
  FillFromListing(node, reinterpret_cast<const EntryRecord*>(lParam), false);
  return 0;
}

LRESULT CSerTrViewBase::OnCachedListing(WPARAM wParam, LPARAM lParam)
{
  HTREEITEM node = reinterpret_cast<HTREEITEM>(wParam);
  if (node == nullptr || node != m_tree.GetSelectedItem())
    return 0;
  // Listed before: its folder nodes (and their handles) stay.
  HTREEITEM child = m_tree.GetChildItem(node);
  const bool listed = child != nullptr && m_tree.GetItemData(child) != (DWORD_PTR)-1;
  FillFromListing(node, reinterpret_cast<const EntryRecord*>(lParam), listed);
  return 0;
}

LRESULT CSerTrViewBase::OnListingStatus(WPARAM wParam, LPARAM)
{
  HTREEITEM node = reinterpret_cast<HTREEITEM>(wParam);
  if (node == nullptr || node != m_tree.GetSelectedItem())
    return 0;
  if (m_tree.GetChildItem(node) != nullptr)
    m_tree.SetRedraw(TRUE);
  if (CPartnerList* list = Partner()) {
    CFileListCtrl& rows = list->FileList();
    char text[128];
    snprintf(text, sizeof text, "Total: %ld Folders %ld Files(%s)", (long)rows.m_folderCount, (long)rows.m_fileCount,
             (const char*)FormatSize64(rows.m_totalBytes));
    list->SetStatusText(text);
  }
  // The listing a Make Folder waited for is in: its edit starts now.
  if (m_pendingNewFolder == node) {
    m_pendingNewFolder = nullptr;
    BeginNewFolderEdit(node);
  }
  return 0;
}

LRESULT CSerTrViewBase::OnEntryAdded(WPARAM wParam, LPARAM lParam)
{
  HTREEITEM node = reinterpret_cast<HTREEITEM>(wParam);
  const EntryRecord* e = reinterpret_cast<const EntryRecord*>(lParam);
  if (node == nullptr || e == nullptr || node != m_tree.GetSelectedItem() || e->m_name[0] == '\0' ||
      IsDotName(e->m_name))
    return 0;
  // The worker names the folder it added to: a handle deleted and given to
  // another node since then takes nothing.
  const CString folder = NameOf(e->m_second, sizeof e->m_second);
  if (!SameServerFolder(std::string(m_helper.GetItemPath(&m_tree, node, nullptr, FALSE)), std::string(folder)))
    return 0;
  const CString name = NameOf(e->m_name, sizeof e->m_name);
  if (e->m_kind == kEntryFolder && ChildNamed(node, name) == nullptr) {
    CString text = name;
    if (HTREEITEM child = m_helper.InsertTreeItem(node, &m_tree, text, nullptr, FALSE))
      m_tree.SetItemData(child, m_tree.GetItemData(node));
  }
  CPartnerList* list = Partner();
  if (list != nullptr && m_helper.FindListItem(&list->FileList(), e) < 0)
    if (CFileListItem* item = NewFileListItem(nullptr, e))
      list->FileList().FillFromChain(item, 1);
  return 0;
}

LRESULT CSerTrViewBase::OnDropListingCache(WPARAM, LPARAM lParam)
{
  if (m_pane.listingCache)
    DeleteListingCache(&m_tree, reinterpret_cast<HTREEITEM>(lParam));
  return 0;
}

LRESULT CSerTrViewBase::OnEntryRenamed(WPARAM wParam, LPARAM lParam)
{
  HTREEITEM node = reinterpret_cast<HTREEITEM>(wParam);
  const EntryRecord* e = reinterpret_cast<const EntryRecord*>(lParam);
  if (e == nullptr)
    return 0;
  const CString oldName = NameOf(e->m_name, sizeof e->m_name);
  const CString newName = NameOf(e->m_second, sizeof e->m_second);
  if (newName.IsEmpty())
    return 0;
  HTREEITEM selected = m_tree.GetSelectedItem();
  HTREEITEM own = reinterpret_cast<HTREEITEM>(e->m_node);
  // The record's own node only while it still bears the old name: a handle
  // reused by another node after the renamed one went is left alone.
  if (own != nullptr && own == selected && own != m_tree.GetRootItem()) {
    if (m_tree.GetItemText(own).Compare(oldName) == 0)
      m_tree.SetItemText(own, newName);
    return 0;
  }
  // A folder renamed where its parent is not shown: its node still follows.
  if (node != selected) {
    if (IsOwnNodeIn(node, own, oldName))
      m_tree.SetItemText(own, newName);
    return 0;
  }
  if (node == nullptr)
    return 0;
  CPartnerList* list = Partner();
  if (list == nullptr)
    return 0;
  const int row = m_helper.FindListItem(&list->FileList(), e);
  if (row < 0)
    return 0;
  if (e->m_kind == kEntryFolder)
    if (HTREEITEM child = m_helper.FindChildOfRow(&m_tree, &list->FileList(), row))
      m_tree.SetItemText(child, newName);
  list->FileList().SetItemText(row, 0, newName);
  return 0;
}

LRESULT CSerTrViewBase::OnEntryRemoved(WPARAM wParam, LPARAM lParam)
{
  HTREEITEM node = reinterpret_cast<HTREEITEM>(wParam);
  const EntryRecord* e = reinterpret_cast<const EntryRecord*>(lParam);
  if (e == nullptr)
    return 0;
  const CString name = NameOf(e->m_name, sizeof e->m_name);
  HTREEITEM selected = m_tree.GetSelectedItem();
  HTREEITEM own = reinterpret_cast<HTREEITEM>(e->m_node);
  if (own != nullptr && own == selected && own != m_tree.GetRootItem()) {
    if (m_tree.GetItemText(own).Compare(name) == 0 && !IsSiteNode(own)) {
      if (m_pane.listingCache)
        DeleteListingCache(&m_tree, own);
      DeleteNode(own);
    }
    return 0;
  }
  // A folder removed where its parent is not shown: its node goes all the same.
  if (node != selected) {
    if (IsOwnNodeIn(node, own, name)) {
      if (m_pane.listingCache)
        DeleteListingCache(&m_tree, own);
      DeleteNode(own);
    }
    return 0;
  }
  if (node == nullptr)
    return 0;
  CPartnerList* list = Partner();
  if (list == nullptr)
    return 0;
  CFileListCtrl& rows = list->FileList();
  const int row = m_helper.FindListItem(&rows, e);
  if (row < 0)
    return 0;
  HTREEITEM child = e->m_kind == kEntryFolder ? m_helper.FindChildOfRow(&m_tree, &rows, row) : nullptr;
  rows.DeleteItem(row);
  if (child != nullptr) {
    if (m_pane.listingCache)
      DeleteListingCache(&m_tree, child);
    DeleteNode(child);
  }
  return 0;
}

LRESULT CSerTrViewBase::OnSiteState(WPARAM wParam, LPARAM lParam)
{
  HTREEITEM node = reinterpret_cast<HTREEITEM>(wParam);
  // Posted: the site may have been deleted (and its handle reused) since.
  if (!IsSiteNode(node))
    return 0;
  const int image = lParam != 0 ? g_siteImageBase - 1 : g_siteImageBase - 3;
  m_tree.SetItemImage(node, image, image);
  if (m_tree.GetSelectedItem() == m_tree.GetRootItem())
    if (CPartnerList* list = Partner()) {
      EntryRecord probe = {};
      strncpy(probe.m_name, m_tree.GetItemText(node), sizeof probe.m_name - 1);
      const int row = m_helper.FindListItem(&list->FileList(), &probe);
      if (row >= 0) {
        list->FileList().SetItemImage(row, image);
        list->FileList().Invalidate();
      }
    }
  return 0;
}

void CSerTrViewBase::OnDeleteItem(NMHDR* pNMHDR, LRESULT* pResult)
{
  *pResult = 0;
  const NMTREEVIEW* nm = reinterpret_cast<NMTREEVIEW*>(pNMHDR);
  if (nm->itemOld.hItem == m_dragNode)
    m_dragNode = nullptr;
  if (nm->itemOld.hItem == m_dropNode)
    m_dropNode = nullptr;
  if (nm->itemOld.hItem == m_contextNode)
    m_contextNode = nullptr;
  if (nm->itemOld.hItem == m_pendingNewFolder)
    m_pendingNewFolder = nullptr;
  // The edit's end then finds no node to act on.
  if (nm->itemOld.hItem == m_editNode) {
    m_editNode = nullptr;
    m_newFolderEdit = FALSE;
  }
  // A site's node field must not keep a handle the tree may give out again.
  if (g_pDoc != nullptr && m_tree.GetParentItem(nm->itemOld.hItem) == m_tree.GetRootItem()) {
    const int slot = (int)nm->itemOld.lParam;
    if (CSiteItem* site = g_pDoc->GetSite(slot))
      if (SiteNodeField(site) == nm->itemOld.hItem)
        SetSiteNodeField(site, nullptr);
  }
  if (m_pane.listingCache)
    OnCacheNodeDeleted(&m_tree, nm->itemOld.hItem, nm->itemOld.lParam);
}
