#include "views/viewhelper.h"

#include <cstring>
#include <string>
#include <vector>

#include "engine/listingcache.h"
#include "engine/progthread.h"
#include "engine/shellseam.h"
#include "shell/doc/zarndoc.h"
#include "views/viewcmds.h"
#include "views/viewpaths.h"

char g_localRootPaths[kLocalRootPathsLen];

const char kPlaceholderLabel[] = "asd";

namespace {

// Labels from the top-level node down to node; empty for the root (the first
// top-level node, inserted before anything else).
std::vector<std::string> LabelPath(CTreeCtrl* tree, HTREEITEM node, HTREEITEM* top)
{
  std::vector<std::string> labels;
  *top = nullptr;
  if (node == nullptr || node == tree->GetRootItem())
    return labels;
  for (HTREEITEM item = node; item != nullptr; item = tree->GetParentItem(item)) {
    HTREEITEM parent = tree->GetParentItem(item);
    if (parent == nullptr && item == tree->GetRootItem())
      break;
    labels.insert(labels.begin(), std::string(tree->GetItemText(item)));
    *top = item;
    if (parent == tree->GetRootItem())
      break;
  }
  return labels;
}

HTREEITEM ChildByLabel(CTreeCtrl* tree, HTREEITEM parent, const CString& name, bool ignoreCase)
{
  if (parent == nullptr)
    return nullptr;
  for (HTREEITEM child = tree->GetChildItem(parent); child != nullptr; child = tree->GetNextSiblingItem(child)) {
    CString label = tree->GetItemText(child);
    if (ignoreCase ? label.CompareNoCase(name) == 0 : label.Compare(name) == 0)
      return child;
  }
  return nullptr;
}

// The tree control as FindNodeByKey walks it.
struct TreeWalk {
  using Node = HTREEITEM;
  CTreeCtrl* tree;
  Node TopFirst() const
  {
    HTREEITEM root = tree->GetRootItem();
    return root != nullptr ? tree->GetChildItem(root) : nullptr;
  }
  Node FirstChild(Node node) const { return tree->GetChildItem(node); }
  Node Next(Node node) const { return tree->GetNextSiblingItem(node); }
  std::string Label(Node node) const { return std::string(tree->GetItemText(node)); }
  intptr_t Data(Node node) const { return (intptr_t)tree->GetItemData(node); }
};

bool IsCacheNode(CTreeCtrl* tree, HTREEITEM item, LPARAM itemData)
{
  return item != nullptr && itemData >= 0 && itemData < MAX_SITES && item != tree->GetRootItem();
}

}  // namespace

HTREEITEM CViewHelper::InsertRootItem(CTreeCtrl* tree, BOOL local)
{
  // Both forms count from the program's own icons: the shell appends to the
  // shared list as icons are looked up, so its count moves.
  const int image = local ? g_siteImageBase - 4 : g_siteImageBase - 2;
  return tree->InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE, local ? "Local Disk" : "FTP Server", image,
                          image, 0, 0, 0, TVI_ROOT, TVI_LAST);
}

HTREEITEM CViewHelper::InsertTreeItem(HTREEITEM parent, CTreeCtrl* tree, CString& text, const char* path,
                                      BOOL local)
{
  int image = 0, openImage = 0;
  if (local) {
    char display[MAX_PATH] = {};
    if (GetShellIconIndex(display, path, &image, &openImage) && parent == tree->GetRootItem() && display[0] != '\0')
      text = display;
  } else if (path != nullptr && text.Compare(path) == 0) {
    image = openImage = g_siteImageBase - 3;
  } else {
    GetShellIconIndexByName(text, &image, &openImage, kEntryFolder);
  }
  HTREEITEM node = tree->InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE, text, image, openImage, 0, 0, 0,
                                    parent, TVI_LAST);
  if (node != nullptr)
    tree->InsertItem(TVIF_TEXT | TVIF_PARAM, kPlaceholderLabel, 0, 0, 0, 0, (LPARAM)-1, node, TVI_LAST);
  return node;
}

CString CViewHelper::GetItemPath(CTreeCtrl* tree, HTREEITEM node, int* site, BOOL local)
{
  HTREEITEM top = nullptr;
  std::vector<std::string> labels = LabelPath(tree, node, &top);
  if (labels.empty())
    return CString();
  const int data = (int)tree->GetItemData(top);
  if (local) {
    const char* root = LocalRootPathAt(g_localRootPaths, sizeof g_localRootPaths, data);
    return CString(ComposeLocalPath(root != nullptr ? root : labels[0].c_str(), labels));
  }
  if (site != nullptr)
    *site = data;
  CSiteItem* item = g_pDoc != nullptr ? g_pDoc->GetSite(data) : nullptr;
  std::string start;
  if (item != nullptr)
    start.assign(item->m_remoteFolder, strnlen(item->m_remoteFolder, sizeof item->m_remoteFolder));
  return CString(ComposeServerPath(start.c_str(), labels));
}

NodeKey CViewHelper::KeyOf(CTreeCtrl* tree, HTREEITEM node)
{
  NodeKey key;
  HTREEITEM top = nullptr;
  key.labels = LabelPath(tree, node, &top);
  if (top != nullptr)
    key.top = (intptr_t)tree->GetItemData(top);
  return key;
}

HTREEITEM CViewHelper::FindByKey(CTreeCtrl* tree, const NodeKey& key)
{
  return FindNodeByKey(TreeWalk{tree}, key);
}

CString CViewHelper::GetRowPath(CListCtrl* list, CTreeCtrl* tree, int row, int* site, BOOL local)
{
  const CString name = list->GetItemText(row, 0);
  HTREEITEM selected = tree->GetSelectedItem();
  // A server name is matched exactly: "DATA" beside "data" are two entries.
  if (HTREEITEM child = ChildByLabel(tree, selected, name, local != FALSE))
    return GetItemPath(tree, child, site, local);
  const CString base = GetItemPath(tree, selected, site, local);
  return CString(JoinRowPath(std::string(base), name, local != FALSE));
}

void CViewHelper::OpenRowInTree(CTreeCtrl* tree, CListCtrl* list, int row)
{
  HTREEITEM selected = tree->GetSelectedItem();
  if (HTREEITEM child = ChildByLabel(tree, selected, list->GetItemText(row, 0), true)) {
    tree->Expand(selected, TVE_EXPAND);
    tree->SelectItem(child);
  }
}

int CViewHelper::FindListItem(CListCtrl* list, const EntryRecord* record)
{
  if (record == nullptr)
    return -1;
  const CString name(record->m_name, (int)strnlen(record->m_name, sizeof record->m_name));
  const int rows = list->GetItemCount();
  for (int i = 0; i < rows; ++i)
    if (list->GetItemText(i, 0).Compare(name) == 0)
      return i;
  return -1;
}

HTREEITEM CViewHelper::FindChildOfRow(CTreeCtrl* tree, CListCtrl* list, int row)
{
  return ChildByLabel(tree, tree->GetSelectedItem(), list->GetItemText(row, 0), false);
}

BOOL CViewHelper::StartTaskThread(CProgThread* thread)
{
  if (g_pDoc == nullptr)
    return FALSE;
  return ::StartTaskThread(g_pDoc->TaskThreads(), thread);
}

void DeleteListingCacheOf(int siteIndex, HTREEITEM node)
{
  if (node == nullptr || siteIndex < 0 || siteIndex >= MAX_SITES || g_pDoc == nullptr)
    return;
  CSiteItem* site = g_pDoc->GetSite(siteIndex);
  if (site == nullptr)
    return;
  std::string folder(site->m_cacheFolder, strnlen(site->m_cacheFolder, sizeof site->m_cacheFolder));
  const std::string name = ListingCacheFileName(folder.c_str(), reinterpret_cast<intptr_t>(node));
  if (name.empty())
    return;
  WIN32_FIND_DATAA found;
  HANDLE find = ::FindFirstFileA(name.c_str(), &found);
  if (find == INVALID_HANDLE_VALUE)
    return;
  ::FindClose(find);
  ::DeleteFileA(name.c_str());
}

void DeleteListingCache(CTreeCtrl* tree, HTREEITEM node)
{
  if (node == nullptr)
    return;
  DeleteListingCacheOf((int)(LPARAM)tree->GetItemData(node), node);
}

void OnCacheNodeDeleted(CTreeCtrl* tree, HTREEITEM item, LPARAM itemData)
{
  if (!IsCacheNode(tree, item, itemData))
    return;
  // The generation first: a listing that checked it before this can only be
  // writing now, and its file goes below or by the listing's own check after.
  if (item == tree->GetSelectedItem())
    NextListingGeneration(1);
  DeleteListingCacheOf((int)itemData, item);
}

HCURSOR LoadAnimatedCursor(UINT id)
{
  HINSTANCE module = AfxGetResourceHandle();
  HRSRC res = ::FindResourceA(module, MAKEINTRESOURCEA(id), "ANI");
  if (res == nullptr) {
    module = ::GetModuleHandleA(nullptr);
    res = ::FindResourceA(module, MAKEINTRESOURCEA(id), "ANI");
  }
  HCURSOR cursor = nullptr;
  if (res != nullptr)
    if (HGLOBAL data = ::LoadResource(module, res))
      if (void* bytes = ::LockResource(data))
        cursor = (HCURSOR)::CreateIconFromResource((PBYTE)bytes, ::SizeofResource(module, res), FALSE, 0x00030000);
  return cursor;
}

HTREEITEM StartNewFolderEdit(CTreeCtrl* tree, HTREEITEM node, LPARAM itemData)
{
  if (tree->GetChildItem(node) != nullptr)
    tree->Expand(node, TVE_EXPAND);
  else
    tree->SetItemState(node, TVIS_EXPANDED, TVIS_EXPANDED);
  // The icon by kind: no folder of that name needs to exist anywhere.
  int image = 0, openImage = 0;
  GetShellIconIndexByName("folder", &image, &openImage, kEntryFolder);
  HTREEITEM child = tree->InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM, "", image, openImage,
                                     0, 0, itemData, node, TVI_LAST);
  if (child == nullptr)
    return nullptr;
  tree->EnsureVisible(child);
  tree->SetFocus();
  if (tree->EditLabel(child) == nullptr) {
    tree->DeleteItem(child);
    return nullptr;
  }
  return child;
}

void ReselectNode(CTreeCtrl* tree, HTREEITEM node)
{
  tree->SetRedraw(FALSE);
  tree->SelectItem(tree->GetRootItem());
  tree->SelectItem(node);
  tree->SetRedraw(TRUE);
  tree->Invalidate();
}
