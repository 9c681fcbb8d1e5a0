// CLocLiView: the file list of the local pane, below the local folder tree,
// which fills it (the drives at the tree's root, a folder's entries below; each
// row's display name is its full path). The list acts on the disk itself: new
// folders, renames, deletes to the recycle bin, the shell's Properties sheet
// and opening files with their programs. Uploads go to the queue for the
// first server pane's folder; copy, paste, drags and drops go through the
// local tree's routines.
#pragma once

#include <string>
#include <vector>

#include "engine/dragpayload.h"
#include "views/filelistview.h"
#include "views/viewhelper.h"

class CLocTrView;

extern const char kCreateFolderFailedText[];  // "Create directory failed!"
extern const char kRenameFailedText[];        // "Rename failed ," (caption "Error")

class CLocLiView : public CFileListView, public CViewHelper {
  DECLARE_DYNCREATE(CLocLiView)
public:
  CLocLiView();
  ~CLocLiView() override;

  // The local tree (null while it is not there).
  CLocTrView* Tree() const;
  // What the list shows: the drives (the tree's root is selected) or a folder.
  bool ShowsDrives() const;
  bool ShowsFolder() const;
  // The folder shown ("" at the drive list).
  CString FolderPath() const;
  // A row's full path: its display name, else the folder shown and its name.
  CString RowPath(int row) const;
  // The tree node a folder or drive row stands for (null for a file).
  HTREEITEM RowNode(int row);

  // ---- commands (public: the context menu and the tests run them) ----
  void OnView();
  void OnMakeFolder();
  void OnRename();
  void OnRefresh();
  void OnDelete();
  void OnAttribute();
  void OnSelectAll();
  void OnInvertSelection();
  void OnCopy();
  void OnPaste();
  void OnBack();
  void OnAddToQueue();
  void OnMaskSelect();
  // The context menu at a point of the screen, as a right click opens it.
  void RunContextMenu(CPoint screen);

protected:
  DROPEFFECT OnDragOver(COleDataObject* pDataObject, DWORD dwKeyState, CPoint point) override;
  void OnDragLeave() override;
  BOOL OnDrop(COleDataObject* pDataObject, DROPEFFECT dropEffect, CPoint point) override;

  afx_msg int OnCreate(LPCREATESTRUCT lpcs);
  afx_msg void OnDestroy();
  afx_msg void OnRClick(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnDblClk(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnBeginDrag(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnUpdateFolder(CCmdUI* pCmdUI);
  afx_msg void OnUpdateFolderOne(CCmdUI* pCmdUI);
  afx_msg void OnUpdateFolderSome(CCmdUI* pCmdUI);
  afx_msg void OnUpdateAlways(CCmdUI* pCmdUI);
  afx_msg void OnUpdatePaste(CCmdUI* pCmdUI);
  DECLARE_MESSAGE_MAP()

  CTreeCtrl* TreeCtrl() const;
  HTREEITEM SelectedNode() const;
  // A confirmation when its option bit is set; false when it was cancelled.
  bool Confirm(int bit, UINT stringId);
  void Refuse(UINT stringId);
  // With the tree's redrawing off, its root and then its selected node are
  // selected again: the folder is listed anew.
  void Relist();
  // The selected rows as payload rows (names kept in names), and the node of
  // the first selected folder row.
  std::vector<PayloadRow> SelectedPayloadRows(std::vector<std::string>* names, HTREEITEM* firstFolder);
  void NewFolderEditEnded(const CString& text);
  void RenameEnded(int row, const CString& text);
};
