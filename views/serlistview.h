// The file lists of the two remote panes: CSerLiView beside the first server
// tree, CSerLiView1 beside the second; both are CSerLiViewBase over their
// pane's traits. The tree fills the list (the sites at its root, a folder's
// entries below); the list turns the user's commands on the selected rows into
// work for the document, the launchers, task threads, the queue and the
// clipboard, and hands drops to its tree. It never lists anything itself.
#pragma once

#include <string>
#include <vector>

#include "engine/dragpayload.h"
#include "engine/listing.h"
#include "views/filelistview.h"
#include "views/viewcmds.h"
#include "views/viewhelper.h"

class CSerTrViewBase;
class CSiteItem;

extern const char kDriveLetterText[];

// What sets the two panes' lists apart.
struct SerListPane {
  int paneFlag;                // 1 the first pane, 0 the second (tasks, launchers, drops)
  UINT listId;
  int partnerSlot;             // kListOfSerTree or kListOfSerTree1
  const char* connectRefusal;  // behind the row's name when a site cannot connect
  bool deleteSeveralSites;     // Delete Site with some rows, else with exactly one
};

class CSerLiViewBase : public CFileListView, public CViewHelper {
  DECLARE_DYNAMIC(CSerLiViewBase)
public:
  ~CSerLiViewBase() override;

  int PaneFlag() const { return m_pane.paneFlag; }
  // The tree of this pane and of the other pane (null while not there).
  CSerTrViewBase* Tree() const;
  CSerTrViewBase* OtherTree() const;

  // What the list shows: the sites (the tree's root is selected) or a folder.
  bool ShowsSites() const;
  bool ShowsFolder() const;
  // The node a row stands for: the child of the tree's selected node whose
  // label is the row's name (a site node at the root, a folder node below);
  // null for a file or when there is none.
  HTREEITEM RowNode(int row);
  // The site slot of a node, -1 for the root or none.
  int NodeSite(HTREEITEM node);

  // ---- commands (public: the context menu and the tests run them) ----
  void OnView();
  void OnEdit();
  void OnMakeFolder();
  void OnRename();
  void OnMove();
  void OnRefresh();
  void OnDelete();
  void OnChmod();
  void OnSelectAll();
  void OnInvertSelection();
  void OnCopyUrl();
  void OnCopyPath();
  void CopySelection();
  void OnPaste();
  void OnBack();
  void OnAddToQueue();
  void OnConnect();
  void OnDisconnect();
  void OnStopWork();
  void OnDeleteSite();
  void OnModifyInfo();
  void OnChangePassword();
  void OnManualControl();
  // F5 and the main menu reach the focused list first: with a folder shown the
  // list declines, so the frame opens the console without a site.
  BOOL OnManualControlCmd(UINT);
  void OnSearch();
  void OnDirectoryStructure();
  void OnMaskSelect();
  // Opens (edit: edits) the file of row in the folder of node.
  void OpenRemoteFile(HTREEITEM node, int row);
  void EditRemoteFile(HTREEITEM node, int row);
  // The context menu at a point of the screen, as a right click opens it.
  void RunContextMenu(CPoint screen);
  // The payload producer of a drag: the selected rows from the tree's selected
  // node; the tree's m_dragNode becomes the first selected folder row's node.
  bool BuildDragRows(std::vector<PayloadRow>* rows, std::vector<std::string>* names, int* site, CString* path);

  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

protected:
  explicit CSerLiViewBase(const SerListPane& pane, const FileListSpec& spec);

  DROPEFFECT OnDragOver(COleDataObject* pDataObject, DWORD dwKeyState, CPoint point) override;
  void OnDragLeave() override;
  BOOL OnDrop(COleDataObject* pDataObject, DROPEFFECT dropEffect, CPoint point) override;

  afx_msg int OnCreate(LPCREATESTRUCT lpcs);
  afx_msg void OnDestroy();
  afx_msg void OnRClick(UINT id, NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnDblClk(UINT id, NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnBeginDrag(UINT id, NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnEndLabelEdit(UINT id, NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnUpdateFolder(CCmdUI* pCmdUI);
  afx_msg void OnUpdateFolderOne(CCmdUI* pCmdUI);
  afx_msg void OnUpdateFolderOneFile(CCmdUI* pCmdUI);
  afx_msg void OnUpdateFolderSome(CCmdUI* pCmdUI);
  afx_msg void OnUpdateAlways(CCmdUI* pCmdUI);
  afx_msg void OnUpdateHasNode(CCmdUI* pCmdUI);
  afx_msg void OnUpdatePaste(CCmdUI* pCmdUI);
  afx_msg void OnUpdateConnect(CCmdUI* pCmdUI);
  afx_msg void OnUpdateDisconnect(CCmdUI* pCmdUI);
  afx_msg void OnUpdateStopWork(CCmdUI* pCmdUI);
  afx_msg void OnUpdateDeleteSite(CCmdUI* pCmdUI);
  afx_msg void OnUpdateSiteOne(CCmdUI* pCmdUI);
  afx_msg void OnUpdateChangePassword(CCmdUI* pCmdUI);
  DECLARE_MESSAGE_MAP()

  CTreeCtrl* TreeCtrl() const;
  HTREEITEM SelectedNode() const;
  // The site of the tree's selected node (null at the root).
  CSiteItem* SelectedSite();
  // The site of the one selected site row (null unless the sites are shown
  // and exactly one row is selected), and its slot.
  CSiteItem* OneSelectedSite(int* slot = nullptr);
  // A confirmation when its option bit is set; false when it was cancelled.
  bool Confirm(int bit, UINT stringId);
  void Refuse(UINT stringId);
  // Zero-filled entries of the rows (name, kind, size; a folder row's node),
  // with the empty record at the end; dated "%x" when dated.
  EntryRecord* RowEntries(const std::vector<int>& rows, bool dated);
  void RunCommand(UINT id);
  void OpenRow(HTREEITEM node, int row, bool edit);
  void DeleteSiteSlots(const std::vector<int>& rows);
  void NewFolderEditEnded(const CString& text);
  void RenameEnded(int row, const CString& text);

private:
  const SerListPane m_pane;
  void StartSearchTask(bool search);
};

class CSerLiView : public CSerLiViewBase {
  DECLARE_DYNCREATE(CSerLiView)
public:
  CSerLiView();

protected:
  DECLARE_MESSAGE_MAP()
};

class CSerLiView1 : public CSerLiViewBase {
  DECLARE_DYNCREATE(CSerLiView1)
public:
  CSerLiView1();

protected:
  DECLARE_MESSAGE_MAP()
};
