// The window the view tests run their views in before the main window exists:
// a frame whose client is a static splitter of two columns. The left column
// holds the trees as the main window lays them out (the first server tree in
// row 0, the local tree and the second server tree sharing row 1), the right
// one the list pane's page (CListPaneDlg: the first server list in row 0, the
// local list and the second server list sharing row 1). A test names the view
// classes it hosts; every other place gets a stand-in: a plain tree, or a list
// view holding a CFileListCtrl that registers as the partner list of its place
// (a real list view named for a list place registers itself there).
// When the first server tree is a stand-in, its list stand-in is also the
// result window of listing tasks (UWM_LISTING_READY fills it). The slots of the
// function view, the main frame and of views not hosted hold recording
// windows. The pointer is driven with xdotool and the screen saved with Shot.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "framework/docview.h"
#include "framework/splitter.h"
#include "shell/funcview/funcviewdlg.h"
#include "tests/task/taskfix.h"
#include "tests/toolkit/wintest.h"
#include "toolkit/panesplitter.h"
#include "views/filelistctrl.h"
#include "views/listpanedlg.h"
#include "views/panelinks.h"

namespace viewhost {

constexpr UINT kServerListId = 1074;

class CHostListView : public CView, public CPartnerList {
  DECLARE_DYNCREATE(CHostListView)
public:
  ~CHostListView() override;
  CFileListCtrl m_list;
  CStatic m_status;       // the totals line under the list, as the list views show it
  int m_listings = 0;     // UWM_LISTING_READY taken in
  CString m_statusText;   // the last totals line a tree set
  int m_slot = -1;        // PartnerSlot it is registered in

  CFileListCtrl& FileList() override { return m_list; }
  void SetStatusText(const char* text) override;
  // Registers as the partner list of slot and takes that list's colour of
  // g_viewColors ([1] the local list, [3] the server lists).
  void Register(int slot);

protected:
  afx_msg int OnCreate(LPCREATESTRUCT lpcs);
  afx_msg void OnSize(UINT nType, int cx, int cy);
  afx_msg LRESULT OnListingReady(WPARAM wParam, LPARAM lParam);
  DECLARE_MESSAGE_MAP()
};

class CHostTreeView : public CTreeView {
  DECLARE_DYNCREATE(CHostTreeView)
};

// The six places; the trees in the left column, the lists in the right.
enum Place : int { kSerTree = 0, kSerTree1, kLocTree, kSerList, kSerList1, kLocList, kPlaces };

struct HostViews {
  CRuntimeClass* classes[kPlaces] = {};  // null: the place's stand-in
  bool dualServer = false;               // row 1 shows the second server pane, else the local one
  // The right column is the real function view (g_pFuncView, its queue page
  // taking the views' Add to Queue and drops), the list pane its tab 0; else
  // the list pane alone, and the function view's slot a recording window.
  bool funcView = false;
  HostViews& Set(Place place, CRuntimeClass* cls);
};

// The list pane with the stand-ins in the places a test does not host.
class CHostListPane : public CListPaneDlg {
public:
  CRuntimeClass* m_classes[3] = {};  // by CListPaneDlg::Which; null: the stand-in

protected:
  CRuntimeClass* ListClass(Which which) const override;
};

// The function view with the host's list pane as its tab 0.
class CHostFuncView : public CFuncViewDlg {
public:
  CRuntimeClass* m_classes[3] = {};

protected:
  CListPaneDlg* MakeListPane() override;
};

class CViewHost : public CFrameWnd {
public:
  // Builds the shared image lists, fills the slots with recording windows,
  // makes the views and shows the frame (topmost, at a fixed place).
  BOOL Make(const HostViews& views = HostViews());
  ~CViewHost() override;
  CWnd* View(Place place) const { return m_views[place]; }
  // The first server list's stand-in (null when a real list is hosted there).
  CHostListView* ListView() const { return DYNAMIC_DOWNCAST(CHostListView, m_views[kSerList]); }
  CFileListCtrl& List() const { return ListView()->m_list; }
  // Row 1 of both columns: the second server pane, or the local one, as the
  // main window switches them (g_dualServerView, then UWM_SWITCH_LIST_PANE).
  void ShowSecondServer(bool dual);
  CHostListPane& ListPane() { return *m_pane; }
  // The real function view (null unless HostViews::funcView).
  CHostFuncView* FuncView() const { return m_funcView; }
  // Clicks its "Files List" tab as a user does when another tab came up (a
  // site's connection shows the log tab, a queued transfer the queue's); true
  // once the lists show.
  bool ShowFilesList();
  // The items of its queue page, in list order.
  std::vector<CPlanItem*> QueuedItems() const;
  tasktest::Sinks& Sinks() { return *m_sinks; }

protected:
  BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext) override;
  void PostNcDestroy() override {}  // a member of its test, not new-ed
  BOOL AddTree(int row, Place place, CCreateContext* pContext);
  BOOL MakeListPane(CCreateContext* pContext);

  HostViews m_config;
  tasktest::Sinks* m_sinks = nullptr;
  CSplitterWnd m_split;
  CPaneSplitterWnd m_trees;
  CHostListPane m_listPane;            // the right column without a function view
  CHostListPane* m_pane = &m_listPane;  // the list pane in use
  CHostFuncView* m_funcView = nullptr;
  CWnd* m_views[kPlaces] = {};
  int m_viewIds[kPlaces] = {};
};

inline bool Xdo(const std::string& actions) { return wintest::Xdo(actions); }

// Runs the list's Mask Select as a user does: clicks into the dialog's edit,
// types the text, presses OK (or Cancel); a "Prompt" box is read and closed.
// Returns the box's text ("" when none came); promptSeen tells whether the
// dialog showed the mask texts. Nothing is left open, whatever goes wrong.
std::string DriveMaskSelect(CFileListCtrl& list, const std::string& typed, bool ok, bool* promptSeen = nullptr,
                            const char* shot = nullptr);
// A list row's centre on the screen, scrolled into view first.
CPoint RowCentre(CListCtrl& list, int row);
// Clicks the row named first, then Ctrl+clicks the one named second, until
// both (and only they) are selected; a click a loaded X server drops is
// clicked again. False when it never came about.
bool ClickTwoRows(CListCtrl& list, const char* first, const char* second);
// ChooseFromContextMenuAt, then pumps until done holds (false when either failed).
bool MenuCommandAt(CPoint screen, UINT id, const std::function<bool()>& done);
// DragWithPointer from another thread (the drag runs modally on this one), up
// to `attempts` times until done holds (false when it never did); a drag whose
// release went unseen is ended with Escape.
bool DragUntil(CPoint from, CPoint to, const std::function<bool()>& done, int attempts = 3);
// Types text into an edit with the keyboard until the edit holds it (keys lost
// to another window: emptied and typed again, up to three times).
bool TypeInto(HWND edit, const std::string& text);
// Answers the boxes of a caption that come up while action runs: the text of
// their control textId in order, each closed with button.
std::vector<std::string> WithBoxes(const char* caption, int textId, int button, const std::function<void()>& action);
// The same for the error boxes ("ZARN ERROR MESSAGE:"), closed with OK.
std::vector<std::string> WithErrorBoxes(const std::function<void()>& action);
// Lines of the log of s2s server n that hold text (the servers log every command).
int ServerLogCount(int server, const std::string& text);

// Four view colours told apart in a shot: local tree, local list, server
// trees, server lists.
void TellViewColoursApart();
// The whole screen into $ZARN_BINARY_DIR/shots/<name>.png.
void Shot(const char* name);

// Types text into the label edit the tree has open (emptied and typed again
// when keys went elsewhere), then ends the edit as Return ends it; true once
// the edit is gone.
bool TypeLabel(CTreeCtrl& tree, const std::string& text);
// The centre of a node's label on the screen (the node scrolled into view).
CPoint NodeCentre(CTreeCtrl& tree, HTREEITEM node);
// A drag with the left button as a user makes it (the path the tree's drag
// detection and OLE's drag loop both take under Wine).
void DragWithPointer(CPoint from, CPoint to);
// Right-clicks the node's label as a user does and clicks the item bearing id
// in the popup that opens (shot, when named, is taken while the menu is up);
// pumps until that is done. False when no such item could be clicked.
bool ChooseFromContextMenu(CTreeCtrl& tree, HTREEITEM node, UINT id, const char* shot = nullptr);
// The same at a point of the screen (a list's row or its empty part).
bool ChooseFromContextMenuAt(CPoint screen, UINT id, const char* shot = nullptr);

}  // namespace viewhost
