// The folder trees of the two remote panes: CSerTrView (first pane) and
// CSerTrView1 (second pane). Both are CSerTrViewBase over their pane's traits:
// the root lists the work sites, a site or folder node lists from the server
// (the first pane also from its listing cache) into the list beside the tree,
// task results follow into nodes and rows, site icons follow the connection,
// and folders are dragged out and dropped in.
#pragma once

#include "engine/launchers.h"
#include "engine/listing.h"
#include "framework/docview.h"
#include "framework/ole.h"
#include "shell/doc/sitetreelink.h"
#include "views/foldertreeview.h"
#include "views/panelinks.h"
#include "views/viewcmds.h"

class CPartnerList;
class CSiteItem;

// What sets the two panes apart.
struct SerTreePane {
  int paneFlag;        // 1 the first pane, 0 the second (task results, drops)
  const char* title;   // the title band's text
  bool dualButton;     // the button that switches the dual server view
  bool listingCache;   // cached listings, local tree following, the Files List tab
};

class CSerTrViewBase : public CFolderTreeView, public CServerTreeAccess, public CSiteTreeLink {
  DECLARE_DYNAMIC(CSerTrViewBase)
public:
  ~CSerTrViewBase() override;

  int PaneFlag() const { return m_pane.paneFlag; }

  void BuildSiteNodes(HTREEITEM root);
  // Starts the listing of a site or folder node; 1 when a task was started.
  int RequestListing(HTREEITEM node);
  // The drop of a data object onto m_dropNode; 1 when handed to the paste.
  int DropEntries(COleDataObject* pDataObject);

  // CServerTreeAccess
  bool NodePath(HTREEITEM node, CString* path, int* siteIndex) override;
  // CSiteTreeLink
  HTREEITEM InsertSiteNode(int slot) override;
  HTREEITEM FindSiteNode(const char* name) override;
  void SelectRoot() override;
  void LeaveSiteNode(HTREEITEM node) override;
  void FindSiteByDialog() override;

  // The tree halves of Delete Site and Modify Info, for this tree (the server
  // lists call them too). RemoveSiteNode: the site's node leaves this tree; a
  // selection on it or below it goes to the root first, and while the root is
  // selected the site's list row goes too. Read the node (or call the slot
  // form) before the document frees the slot; a node that is not a site node
  // of this tree is ignored.
  void RemoveSiteNode(int slot);
  void RemoveSiteNode(HTREEITEM node);
  // The site's node takes the site's name, and while the root is selected the
  // site's list row too.
  void RenameSiteNode(int slot);

  // ---- the commands (menu, keyboard and context menu) ----
  void OnManualControl();
  void OnMakeFolder();
  void OnRename();
  void OnMove();
  void OnDelete();
  void OnStopWork();
  void OnModifyInfo();
  void OnDeleteSite();
  void OnAddToQueue();
  void OnChangePassword();
  void OnDirectoryStructure();
  void OnSearch();
  void OnCopyPath();
  void OnConnect();
  void OnDisconnect();
  void OnCopy();
  void OnPaste();
  // Copy of a folder node: its payload on the clipboard.
  void CopyNodeToClipboard(HTREEITEM node);
  // The context menu of node in m_contextMenu (m_contextNode set), its update
  // handlers run; the popup, not tracked. Null when none could be made.
  CMenu* BuildContextMenu(HTREEITEM node);
  // The node whose label is being edited (null when none), and the node a
  // Make Folder waits on for its listing before the new folder's edit starts.
  HTREEITEM EditNode() const { return m_editNode; }
  HTREEITEM PendingNewFolder() const { return m_pendingNewFolder; }

  HCURSOR m_busyCursor = nullptr;
  int m_initialised = 0;

protected:
  explicit CSerTrViewBase(const SerTreePane& pane);

  void OnInitialUpdate() override;
  // The first pane drops the node's cached listing.
  void BeforeRefresh(HTREEITEM node) override;
  BOOL OnDrop(COleDataObject* pDataObject, DROPEFFECT dropEffect, CPoint point) override;

  afx_msg int OnCreate(LPCREATESTRUCT lpcs);
  afx_msg void OnDestroy();
  afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
  afx_msg void OnSelChanged(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnItemExpanded(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnBeginDrag(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnDeleteItem(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg LRESULT OnListingReady(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnCachedListing(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnListingStatus(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnEntryAdded(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnDropListingCache(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnEntryRenamed(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnEntryRemoved(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnSiteState(WPARAM wParam, LPARAM lParam);
  afx_msg void OnContextMenu(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnBeginLabelEdit(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnUpdateNotRoot(CCmdUI* pCmdUI);
  afx_msg void OnUpdateFolderNode(CCmdUI* pCmdUI);
  afx_msg void OnUpdateSiteNode(CCmdUI* pCmdUI);
  afx_msg void OnUpdateStopWork(CCmdUI* pCmdUI);
  afx_msg void OnUpdateConnect(CCmdUI* pCmdUI);
  afx_msg void OnUpdateDisconnect(CCmdUI* pCmdUI);
  afx_msg void OnUpdatePaste(CCmdUI* pCmdUI);
  DECLARE_MESSAGE_MAP()

  // The list beside this tree (null while none is registered).
  CPartnerList* Partner() const;
  HTREEITEM SiteNodeField(CSiteItem* site) const;
  void SetSiteNodeField(CSiteItem* site, HTREEITEM node) const;
  bool IsSiteNode(HTREEITEM node);
  HTREEITEM ChildNamed(HTREEITEM parent, const char* name);
  void DeleteChildren(HTREEITEM node);
  void ShowSiteRows();
  // The list row of a site node while the list shows the sites, else -1.
  int SiteRowOf(HTREEITEM node);
  // What a new selection does: empty the list, then list the node or show the sites.
  void SelectionChanged(HTREEITEM node);
  // Deletes a node that may be the selected one: the tree's own move of the
  // selection happens while the node is half gone, so it is taken afterwards.
  void DeleteNode(HTREEITEM node);
  // The folder children and list rows of a listing (. and .. skipped); with
  // keepChildren only the rows.
  void FillFromListing(HTREEITEM node, const EntryRecord* entries, bool keepChildren);

  // Kinds of nodes: a site node's parent is the root, a folder node's is not.
  bool IsFolderNode(HTREEITEM node);
  // The site of a node's item data (null for the root or an empty slot).
  CSiteItem* SiteOfNode(HTREEITEM node, int* siteIndex);
  // The other pane's server tree, null when it is not there.
  CSerTrViewBase* OtherTree() const;
  // Whether node is a node of this tree (a walk: a handle is never read before).
  bool HasNode(HTREEITEM node);
  // Whether own is a folder node of this tree, a child of node, labelled name.
  bool IsOwnNodeIn(HTREEITEM node, HTREEITEM own, const CString& name);
  // A label edit under node (or of node) ends, cancelled, before node's
  // children go, so that its end acts while its node still exists.
  void EndPendingEditUnder(HTREEITEM node);
  // A label edit under way ends, cancelled, before another starts.
  void EndAnyEdit();
  // Make Folder's edit: node opened, a new child with an empty label edited.
  void BeginNewFolderEdit(HTREEITEM node);
  // Asks while the option bit is set; false when answered Cancel.
  bool Confirm(int bit, UINT stringId);

private:
  const SerTreePane m_pane;
  bool m_quietSelection = false;  // DeleteNode under way
  HTREEITEM m_editNode = nullptr;          // whose label is being edited
  HTREEITEM m_pendingNewFolder = nullptr;  // Make Folder waiting for its listing
  int m_listingsStarted = 0;               // listing tasks started, ever
};

class CSerTrView : public CSerTrViewBase {
  DECLARE_DYNCREATE(CSerTrView)
public:
  CSerTrView();

protected:
  // Make Folder is enabled here only below the root (the second pane has no rule).
  afx_msg void OnUpdateMakeFolder(CCmdUI* pCmdUI);
  DECLARE_MESSAGE_MAP()
};

class CSerTrView1 : public CSerTrViewBase {
  DECLARE_DYNCREATE(CSerTrView1)
public:
  CSerTrView1();

protected:
  DECLARE_MESSAGE_MAP()
};
