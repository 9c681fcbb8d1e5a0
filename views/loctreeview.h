// CLocTrView: the folder tree of the local pane. The root stands for the
// machine; below it the Desktop, My Documents and Favorites folders and the
// drives, below those the folders found on disk. Selecting a node fills the
// local list (reached through the partner-list slot kListOfLocTree); the tree
// makes, renames, deletes (to the recycle bin) and copies folders itself,
// queues uploads to the first server pane's folder, and follows a site's local
// folder for the first server tree (CLocalTreeLink).
#pragma once

#include <string>
#include <vector>

#include "engine/dragpayload.h"
#include "views/foldertreeview.h"
#include "views/panelinks.h"
#include "views/viewcmds.h"

class CFileListCtrl;

class CLocTrView : public CFolderTreeView, public CLocalTreeLink {
  DECLARE_DYNCREATE(CLocTrView)
public:
  CLocTrView();
  ~CLocTrView() override;

  // CLocalTreeLink
  CString SelectedPath() override;
  void FollowSiteFolder(int siteIndex) override;
  // Opens the tree down to target, as far as listed folders lead.
  void FollowFolder(const char* target);

  // Copies the payload's entries from its source folder into its target path
  // with one shell operation; nothing into the source folder itself, a box for
  // a folder pasted into itself. TRUE when the shell copied.
  BOOL CopyLocalEntries(DragPayload& payload, int count);
  // The local path of a node ("" for the root or none).
  CString NodePath(HTREEITEM node);
  // Lists a node's folder into the tree and the local list.
  // fillList: the local list shows it too (the node is the selected one).
  void ListFolder(HTREEITEM node, bool fillList = true);

  // The drop of a data object onto m_dropNode (after the confirmation); 1 when
  // it was handed on.
  int DropEntries(COleDataObject* pDataObject);
  // Paste of the clipboard's payload onto node (not the root), after the
  // confirmation; 1 when handed on.
  int PasteOnto(HTREEITEM node);
  // A payload pasted or dropped onto node: copied locally, or downloaded from
  // its server through the paste launcher (pane flag 1). 1 when handed on.
  int DeliverPayload(DragPayload& payload, int count, HTREEITEM node);

  void OnInitialUpdate() override;
  BOOL OnDrop(COleDataObject* pDataObject, DROPEFFECT dropEffect, CPoint point) override;

  // Command handlers (public: the context menu and the tests run them).
  void OnMakeFolder();
  void OnRename();
  void OnDelete();
  void OnAttributes();
  void OnAddToQueue();
  void OnCopy();
  void OnPaste();
  BOOL IsFolderNode(HTREEITEM node) const;

protected:
  HTREEITEM m_editNode = nullptr;  // the node whose label is being edited; cleared when it goes
  bool m_closing = false;          // the tree's own teardown: its notifications list nothing

  void FillDrives(HTREEITEM root);
  void ShowRootRows();
  void SetStatus(const char* text);
  CFileListCtrl* LocalList();
  void EndPendingEditUnder(HTREEITEM node);
  void Relist(HTREEITEM node);
  void RemoveNodeAndRow(HTREEITEM node);
  void FinishNewFolder(HTREEITEM item, HTREEITEM parent, const CString& text);
  void FinishRename(HTREEITEM item, HTREEITEM parent, const CString& text);
  bool Confirm(int bit, UINT stringId);
  void RunContextMenu(HTREEITEM node, CPoint screen);

  afx_msg int OnCreate(LPCREATESTRUCT lpcs);
  afx_msg void OnDestroy();
  afx_msg void OnTreeRClick(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnBeginDrag(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnSelChanged(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnItemExpanded(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnBeginLabelEdit(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnDeleteItem(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg LRESULT OnEntryAdded(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnListingStatus(WPARAM wParam, LPARAM lParam);
  afx_msg void OnUpdateMakeFolder(CCmdUI* pCmdUI);
  afx_msg void OnUpdateFolderNode(CCmdUI* pCmdUI);
  afx_msg void OnUpdatePaste(CCmdUI* pCmdUI);
  DECLARE_MESSAGE_MAP()
};
