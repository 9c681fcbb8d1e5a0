// CFolderTreeView: what the folder trees share (the local tree CLocTrView and
// the server trees CSerTrView/CSerTrView1): the title band across the top with
// its focus strip and the dual-view button at its right end, the tree below it,
// the tree's colours, View/Back/Refresh of the command node, and a drag over
// the tree (scrolling at its edges, the drop highlight, the drop test). A
// derived tree names its control id, title and colour, and adds its nodes,
// commands and drops.
#pragma once

#include "framework/docview.h"
#include "framework/ole.h"
#include "toolkit/hoverbutton.h"
#include "views/captionstatic.h"
#include "views/menuview.h"
#include "views/viewhelper.h"

constexpr int kTreeBandTop = 3;  // the title band: below the focus strip
constexpr int kTreeTop = 22;     // the tree: below the title band

// What sets one folder tree apart.
struct FolderTreeSpec {
  UINT treeId;
  const char* title;  // the title band's text
  int colorIndex;     // entry of g_viewColors behind the nodes
};

class CFolderTreeView : public CMenuView {
  DECLARE_DYNAMIC(CFolderTreeView)
public:
  ~CFolderTreeView() override;

  CTreeCtrl& GetTreeCtrl() { return m_tree; }
  void ApplyViewColor() override;

  // The node a command acts on: the one under the last right click, else the
  // selected node.
  HTREEITEM CommandNode() const { return m_contextNode != nullptr ? m_contextNode : m_tree.GetSelectedItem(); }
  void SetContextNode(HTREEITEM node) { m_contextNode = node; }

  // The drop test: flag 0 for a drag over the tree, 1 for one over the list
  // beside it. Never the root; while a node of this tree is dragged, not that
  // node, its parent or a node below it (over the list: not the node shown).
  BOOL CanDropOn(HTREEITEM node, int flag);

  // View selects the command node, Back its parent, Refresh lists it again.
  void OnViewNode();
  void OnBack();
  void OnRefresh();

  // ---- members, in this order ----
  CViewHelper m_helper;
  HTREEITEM m_dragNode = nullptr;   // the folder node being dragged out
  HTREEITEM m_dropNode = nullptr;   // the node that accepts the current drag
  COleDropTarget m_dropTarget;
  BOOL m_newFolderEdit = FALSE;
  HTREEITEM m_contextNode = nullptr;
  CTreeCtrl m_tree;
  CHoverButton m_dualViewButton;    // made only by trees that show it
  HICON m_dualViewIcon = nullptr;   // the button's icon, ours to destroy
  CImageList m_imageList;
  CCaptionStatic m_caption;

protected:
  explicit CFolderTreeView(const FolderTreeSpec& spec);

  const FolderTreeSpec m_spec;

  // The band's strip, the dual-view button (when icon is given; the view
  // destroys the icon) and the tree; call from OnCreate after the image list.
  bool CreateBandAndTree(bool dualButton, HICON icon);
  // The tree's colours and node pictures; call from OnInitialUpdate.
  void ColorTree();
  // Whether ancestor is above node.
  bool IsBelow(HTREEITEM node, HTREEITEM ancestor) const;
  // Refresh's step before the node is listed again (a cache to drop).
  virtual void BeforeRefresh(HTREEITEM) {}

  void OnDraw(CDC* pDC) override;
  DROPEFFECT OnDragEnter(COleDataObject* pDataObject, DWORD dwKeyState, CPoint point) override;
  DROPEFFECT OnDragOver(COleDataObject* pDataObject, DWORD dwKeyState, CPoint point) override;
  void OnDragLeave() override;

  // The derived view's OnDestroy calls this last: the button keeps its icon
  // without owning it (it sets no BM_SETIMAGE).
  afx_msg void OnDestroy();
  afx_msg void OnSize(UINT nType, int cx, int cy);
  afx_msg void OnDualViewButton();
  afx_msg void OnTreeSetFocus(UINT id, NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnTreeKillFocus(UINT id, NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnUpdateAlways(CCmdUI* pCmdUI);
  DECLARE_MESSAGE_MAP()
};
