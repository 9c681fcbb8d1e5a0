// CFileListView: what the three file-list views share (the two server lists
// CSerLiView/CSerLiView1 and the local list): a focus strip across the top, the
// CFileListCtrl below it and the status strip of the totals line along the
// bottom; the list registered as the partner list of its tree; the strip's
// focus colours; owner-drawn menu items measured and their shortcut characters
// resolved by BCMenu; the scroll bands of a drag held at the list's edges and
// the drop highlight of one row; and the new-folder placeholder row, followed
// by its row record while its name is typed. A derived view names its list id,
// columns, colour and partner slot, and adds its commands, menus and drops.
#pragma once

#include <vector>

#include "framework/docview.h"
#include "framework/ole.h"
#include "toolkit/bcmenu.h"
#include "views/captionstatic.h"
#include "views/filelistctrl.h"
#include "views/menuview.h"
#include "views/panelinks.h"

// The list controls' ids: the first server list, the local list, the second
// server list (the views' notification ranges span all three).
constexpr UINT kSerListId = 1074;
constexpr UINT kLocListId = 1075;
constexpr UINT kSerListId1 = 1076;

constexpr int kListStripHeight = 3;    // the focus strip
constexpr int kListStatusHeight = 20;  // the status strip
constexpr int kDragScrollTopBand = 25;
constexpr int kDragScrollBottomBand = 10;

// What sets one file list apart.
struct FileListSpec {
  UINT listId;
  const char* columns;  // "title,width;..."
  int colorIndex;       // entry of g_viewColors behind the rows
  BOOL isLocal;         // icons of existing paths
  int partnerSlot;      // PartnerSlot the list registers in
};

class CFileListView : public CMenuView, public CPartnerList {
  DECLARE_DYNAMIC(CFileListView)
public:
  ~CFileListView() override;

  // CPartnerList
  CFileListCtrl& FileList() override { return m_list; }
  void ApplyViewColor() override;
  void SetStatusText(const char* text) override;
  CString StatusText() const;

  // The selected rows, in list order.
  std::vector<int> SelectedRows() const;
  // The selected rows' records: what a command takes before any box or dialog.
  std::vector<ChosenRow> ChosenRows() const { return ChosenOf(m_list, SelectedRows()); }
  // Where those records are now, in list order (records gone are left out).
  std::vector<int> RowsNow(const std::vector<ChosenRow>& chosen) const { return RowsOfChosen(m_list, chosen); }
  // The row under a point of the view's client area, -1 for none.
  int RowAt(CPoint viewPoint) const;

  // ---- members, in this order ----
  CCaptionStatic m_status;         // the totals line
  COleDropTarget m_dropTarget;
  HCURSOR m_busyCursor = nullptr;  // shown while tasks run; none: the default cursor
  CCaptionStatic m_focusStrip;
  int m_dropRow = -1;              // drawn drop-highlighted during a drag
  BOOL m_newFolderEdit = FALSE;    // the placeholder row's name is being typed
  CFileListCtrl m_list;

protected:
  explicit CFileListView(const FileListSpec& spec);

  const FileListSpec m_spec;

  void OnDraw(CDC*) override {}  // the list and the strips cover the view

  // The new-folder placeholder: a folder row with an empty name at index 0,
  // dated dateText and sized from "<DIR>", whose label edit starts. Its index,
  // or -1 when it could not be made or edited.
  int BeginNewFolderRow(const char* dateText);
  // Ends the placeholder's edit: its index now (-1 when the row went meanwhile,
  // by a refill or a delete) and the record no longer followed.
  int EndNewFolderRow();

  // While the left button is held: one line up within the top band of the
  // list, one line down within its bottom band. point: in the view's client area.
  void ScrollAtDragEdges(CPoint viewPoint, DWORD keyState);
  // Moves the drop highlight to row (-1: none) and keeps it in m_dropRow.
  void SetDropRow(int row);
  // Either list takes only our own drag payload.
  DROPEFFECT OnDragEnter(COleDataObject* pDataObject, DWORD dwKeyState, CPoint point) override;

  afx_msg int OnCreate(LPCREATESTRUCT lpcs);
  afx_msg void OnDestroy();
  afx_msg void OnSize(UINT nType, int cx, int cy);
  afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
  afx_msg void OnListSetFocus(UINT id, NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnListKillFocus(UINT id, NMHDR* pNMHDR, LRESULT* pResult);
  DECLARE_MESSAGE_MAP()

private:
  CString m_statusText;
};
