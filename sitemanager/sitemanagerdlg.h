// "ZARN Site Manager": the caller's work sites and the site file's spare sites
// and labels in one tree, in a resizable dialog that ends only by Exit.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "framework/commctrls.h"
#include "framework/dialog.h"
#include "engine/siterecord.h"
#include "sitemanager/anchorlayout.h"
#include "sitemanager/sitesection.h"
#include "sitemanager/sitepages.h"
#include "sitemanager/sitesetup.h"

class CSiteItem;
class CIniText;
class CImageList;

class CSiteManagerDlg : public CDialog, private CSiteTreeSink {
public:
  // sites: the caller's 200 slots, read in place; mainWnd gets every request.
  CSiteManagerDlg(CSiteItem** sites, HWND mainWnd);
  ~CSiteManagerDlg() override;

  BOOL OnInitDialog() override;
  void OnOK() override {}      // Enter does not close it
  void OnCancel() override {}  // nor does Esc

  HTREEITEM WorkHeading() const { return m_workHeading; }
  HTREEITEM SpareHeading() const { return m_spareHeading; }
  CTreeCtrl m_tree;

protected:
  void DoDataExchange(CDataExchange* pDX) override;
  afx_msg void OnSize(UINT nType, int cx, int cy);
  afx_msg void OnExit();
  DECLARE_MESSAGE_MAP()

  // Operations
public:
  BOOL PreTranslateMessage(MSG* pMsg) override;
  // The tree's images, in the image list's order.
  enum TreeImage { kSpareHeadingImage = 0, kWorkHeadingImage = 1, kLabelImage = 2, kSiteImage = 3 };
  // What a tree item stands for.
  enum class NodeKind { None, WorkHeading, SpareHeading, WorkSite, SpareSite, Label };
  NodeKind KindOf(HTREEITEM item) const;
  // The site-file section a spare site's item is stored under.
  std::string SectionOf(HTREEITEM siteItem) const;
  // Asks the main window for a work site made from record; inserts and selects
  // its item. Null when refused.
  CSiteItem* CopyToWorkSite(SiteRecord& record);

protected:
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
  BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

private:
  bool RunOperation(UINT id);
  void OnNewSite();
  void OnNewLabel();
  void OnDelete();
  void OnModifyName();
  void OnConnect();
  void OnCopyToWorkSite();
  void OnImport();
  void OnExport();
  void OnOption();
  bool FinishLabelEdit(HTREEITEM item, const char* text);
  void RenameSpareSite(HTREEITEM item, const std::string& name);
  void RenameLabel(HTREEITEM item, const std::string& name);
  void ShowRightClickMenu();
  int Box(const char* text, UINT type = MB_OK | MB_ICONWARNING);
  bool HasChildNamed(HTREEITEM parent, const std::string& name, HTREEITEM except = nullptr) const;
  std::vector<std::string> LabelsOf(HTREEITEM parent) const;
  void CollectSites(HTREEITEM item, std::vector<HTREEITEM>& sites) const;
  HTREEITEM InsertSiteItem(const char* text, HTREEITEM parent, SiteRecord* record);
  bool WriteSpareSite(HTREEITEM item);
  void ForgetRecord(const SiteRecord* record);
  void SaveSpareFile();
  void LeaveDialog();
  // Drag and drop (sitemanagerdlg_drag.cpp).
  void BeginTreeDrag(HTREEITEM item);
  void DragTo(CPoint dialogPoint);
  void EndTreeDrag(bool drop);
  void DropOn(HTREEITEM source, HTREEITEM target);
  HTREEITEM CopySubtree(HTREEITEM source, HTREEITEM parent);

  // Set while a request to the main window is answered (an operation's or
  // Apply's): the main window may run a box meanwhile, and nothing here may
  // change under it: no command, drag, timer work, Apply or selection change.
  int m_inFlight = 0;
  // The section each spare site is stored under: a name cut to 49 bytes, or
  // written by hand without the separator, differs from the one a save makes.
  std::map<const SiteRecord*, std::string> m_sectionOf;
  bool m_dragging = false;
  std::unique_ptr<CImageList> m_dragImage;
  HTREEITEM m_dragSource = nullptr;
  HTREEITEM m_dropTarget = nullptr;
  CPoint m_lastDragPoint;
  DWORD m_lastPressTick = 0;
  UINT_PTR m_hoverTimer = 0;
  UINT_PTR m_applyTimer = 0;
  HTREEITEM m_renameItem = nullptr;  // an edited label waiting to be taken
  std::string m_renameText;

private:
  void FillSpareSites();
  Node FindOrCreateLabel(Node parent, const std::string& label) override;
  void AppendSite(Node parent, std::unique_ptr<SiteRecord> record) override;

  CSiteItem** m_sites;
  HWND m_mainWnd;
  SiteManagerSetup m_setup;
  std::unique_ptr<CIniText> m_ini;
  std::vector<std::unique_ptr<SiteRecord>> m_records;
  HTREEITEM m_workHeading = nullptr;
  HTREEITEM m_spareHeading = nullptr;
  CAnchorLayout m_layout;

  // Property pages
public:
  // Fills the pages from the node: a work site's fields (read in place) or a
  // spare site's record; null, a heading or a label clears and disables them.
  // Pending edits are dropped (SettlePageEdits first keeps them).
  void ShowNodeInPages(HTREEITEM node);
  // Before a delete, import or selection change: asks whether pending edits are
  // saved and applies them on Yes. False when they could not be applied (the
  // user was told why): the operation must stop.
  bool SettlePageEdits();
  // Applies the modified pages to the node's site: a spare site is written to
  // the site file, a work site is renamed by the main window and reported.
  // False (nothing stored, Apply stays enabled) when a value or name was refused.
  bool ApplySiteChanges(HTREEITEM node);
  bool AnyPageModified() const;
  HTREEITEM PageNode() const { return m_pageNode; }

private:
  void CreateSitePages();  // from OnInitDialog, after the tree is filled
  void SetTreeImages();    // each item's icon by its kind
  void EnableApply(bool enable);
  bool ApplySpareSite(HTREEITEM node, SiteRecord* record, SiteFields& edited, bool rename);
  bool ApplyWorkSite(HTREEITEM node, CSiteItem* site, SiteFields& edited, bool rename);
  // Tells the user a password the site file cannot carry was saved empty.
  void ReportDroppedPassword(const SiteSectionSaved& saved, const char* siteName);
  afx_msg void OnApply();

  CSitePageSheet m_pageSheet;
  CSiteGeneralPage m_generalPage;
  CSiteOptionPage m_optionPage;
  CSiteProxyPage m_proxyPage;
  CImageList m_treeImages;
  HTREEITEM m_pageNode = nullptr;  // the site the pages show
};
