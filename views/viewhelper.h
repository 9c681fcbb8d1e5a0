// CViewHelper: the tree and list operations the six file views share (each
// embeds one; it holds nothing), also used by the launchers and the document.
// The listing cache files of the first server tree's nodes are removed here.
#pragma once

#include "framework/afxwin.h"
#include "framework/commctrls.h"
#include "engine/listing.h"
#include "views/imagelists.h"
#include "views/nodekey.h"

class CProgThread;

// The local tree's top-level paths, one after the other, each NUL-ended:
// Desktop, My Documents, Favorites, then the drive roots.
constexpr size_t kLocalRootPathsLen = 3 * 260 + 264;
extern char g_localRootPaths[kLocalRootPathsLen];

// g_siteImageBase (views/imagelists.h): the site icons sit just below it.

// The resource's bytes (type "ANI") as an animated cursor; null when missing.
HCURSOR LoadAnimatedCursor(UINT id);

class CViewHelper {
public:
  CViewHelper() = default;
  virtual ~CViewHelper() = default;

  HTREEITEM InsertRootItem(CTreeCtrl* tree, BOOL local);
  // Local form: a child of the root gets the shell's display name of path as
  // its label (written into text).
  HTREEITEM InsertTreeItem(HTREEITEM parent, CTreeCtrl* tree, CString& text, const char* path, BOOL local);
  // *site (server form, may be null) gets the site index of the node's subtree.
  CString GetItemPath(CTreeCtrl* tree, HTREEITEM node, int* site, BOOL local);
  CString GetRowPath(CListCtrl* list, CTreeCtrl* tree, int row, int* site, BOOL local);
  void OpenRowInTree(CTreeCtrl* tree, CListCtrl* list, int row);
  int FindListItem(CListCtrl* list, const EntryRecord* record);
  HTREEITEM FindChildOfRow(CTreeCtrl* tree, CListCtrl* list, int row);
  // What node stands for (see NodeKey), and the node standing for key now.
  NodeKey KeyOf(CTreeCtrl* tree, HTREEITEM node);
  HTREEITEM FindByKey(CTreeCtrl* tree, const NodeKey& key);
  // Through the document's thread list; FALSE without a document or when the
  // thread cannot be made (the caller then deletes the object).
  BOOL StartTaskThread(CProgThread* thread);
};

// Refresh in a folder tree: the root selected, then node again (which lists
// it afresh), without painting in between.
void ReselectNode(CTreeCtrl* tree, HTREEITEM node);

// Make Folder's edit in a folder tree: node opened (or marked open when it has
// no child yet), a child with an empty label, the shell's folder icon and
// itemData inserted, and its label edit started. The child; null, nothing
// left, when no edit could start.
HTREEITEM StartNewFolderEdit(CTreeCtrl* tree, HTREEITEM node, LPARAM itemData);

// Removes the cache file of a first-tree node (its item data names the site):
// nothing for node 0, an item data outside 0..199, an empty slot or a site
// without a cache folder.
void DeleteListingCache(CTreeCtrl* tree, HTREEITEM node);
void DeleteListingCacheOf(int siteIndex, HTREEITEM node);

// TVN_DELETEITEM of the first server tree: the node's file goes (root and
// placeholders skipped), so a later node given the same handle never finds it.
// A deleted selected node also moves the tree's listing generation first, so a
// listing of it still under way writes no file.
void OnCacheNodeDeleted(CTreeCtrl* tree, HTREEITEM item, LPARAM itemData);
