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
#include "toolkit/bcmenu.h"
#include "toolkit/hoverbutton.h"
#include "views/captionstatic.h"
#include "views/panelinks.h"
#include "views/viewhelper.h"

class CPartnerList;
class CSiteItem;

constexpr UINT kDualViewButtonId = 1189;
constexpr UINT kDualServerViewCommand = 32841;
constexpr int kSerTreeBandTop = 3;     // the title band: below the focus strip
constexpr int kSerTreeTop = 22;        // the tree: below the title band

// What sets the two panes apart.
struct SerTreePane {
  int paneFlag;        // 1 the first pane, 0 the second (task results, drops)
  const char* title;   // the title band's text
  bool dualButton;     // the button that switches the dual server view
  bool listingCache;   // cached listings, local tree following, the Files List tab
};

class CSerTrViewBase : public CView, public CServerTreeAccess, public CSiteTreeLink {
  DECLARE_DYNAMIC(CSerTrViewBase)
public:
  ~CSerTrViewBase() override;

  CTreeCtrl& GetTreeCtrl() { return m_tree; }
  int PaneFlag() const { return m_pane.paneFlag; }

  // The drop test (flag 0 for a drag over the tree; the lists pass 1).
  BOOL CanDropOn(HTREEITEM node, int flag);
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

  // ---- members, in this order ----
  CViewHelper m_helper;
  HTREEITEM m_dragNode = nullptr;   // the folder node being dragged out
  HTREEITEM m_dropNode = nullptr;   // the node that accepts the current drag
  BCMenu m_contextMenu;
  HCURSOR m_busyCursor = nullptr;
  COleDropTarget m_dropTarget;
  BOOL m_newFolderEdit = FALSE;
  HTREEITEM m_contextNode = nullptr;
  int m_initialised = 0;
  CTreeCtrl m_tree;
  CHoverButton m_dualViewButton;    // the second pane's only
  CImageList m_imageList;
  CCaptionStatic m_caption;

protected:
  explicit CSerTrViewBase(const SerTreePane& pane);

  void OnDraw(CDC* pDC) override;
  void OnInitialUpdate() override;
  DROPEFFECT OnDragEnter(COleDataObject* pDataObject, DWORD dwKeyState, CPoint point) override;
  DROPEFFECT OnDragOver(COleDataObject* pDataObject, DWORD dwKeyState, CPoint point) override;
  void OnDragLeave() override;
  BOOL OnDrop(COleDataObject* pDataObject, DROPEFFECT dropEffect, CPoint point) override;

  afx_msg int OnCreate(LPCREATESTRUCT lpcs);
  afx_msg void OnDestroy();
  afx_msg void OnSize(UINT nType, int cx, int cy);
  afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
  afx_msg void OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct);
  afx_msg LRESULT OnMenuChar(UINT nChar, UINT nFlags, CMenu* pMenu);
  afx_msg void OnDualViewButton();
  afx_msg void OnSelChanged(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnItemExpanded(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnBeginDrag(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnDeleteItem(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnTreeSetFocus(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnTreeKillFocus(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg LRESULT OnListingReady(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnCachedListing(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnListingStatus(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnEntryAdded(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnDropListingCache(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnEntryRenamed(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnEntryRemoved(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnSiteState(WPARAM wParam, LPARAM lParam);
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

private:
  const SerTreePane m_pane;
  bool m_quietSelection = false;  // DeleteNode under way
};

class CSerTrView : public CSerTrViewBase {
  DECLARE_DYNCREATE(CSerTrView)
public:
  CSerTrView();

protected:
  DECLARE_MESSAGE_MAP()
};

class CSerTrView1 : public CSerTrViewBase {
  DECLARE_DYNCREATE(CSerTrView1)
public:
  CSerTrView1();

protected:
  DECLARE_MESSAGE_MAP()
};
