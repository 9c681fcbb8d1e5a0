// CMyPlanList: the queue list of the "Queue" page. It owns the queue (an array
// of CPlanItem pointers, core/queuecore.h holds its rules) and shows it as an
// owner-data list; every change of the array or of a stored field marks the
// queue file dirty, and the page's timer writes it.
#pragma once

#include <vector>

#include "framework/afxwin.h"
#include "shell/funcview/core/queuecore.h"
#include "shell/funcview/core/queuefile.h"
#include "toolkit/sortlist.h"

class CMyPlanList : public CSortListCtrl {
  DECLARE_DYNCREATE(CMyPlanList)
public:
  CMyPlanList() = default;
  ~CMyPlanList() override;

  // Columns, status images and styles; once, after the control exists.
  void Init();

  int GetCount() const { return static_cast<int>(m_items.GetSize()); }
  CPlanItem* GetPlanItem(int i) const { return QueueItemAt(m_items, i); }
  CObArray& Items() { return m_items; }

  // A new item at the end (the list owns it from here).
  // moreComing: another append is on its way; the control takes the count with the last.
  void Append(CPlanItem* item, bool moreComing = false);
  // The array changed: the control's count, a redraw, the file's mark.
  void Changed(bool moreComing = false);
  std::vector<int> SelectedRows() const;
  void SelectRows(const std::vector<int>& rows);
  // Only row selected, focused and scrolled into view.
  void SelectOnly(int row);
  void SetAllSelected(bool selected);
  void InvertSelection();
  // The row of an item changed (a worker's new status or progress): it is
  // drawn again with the next repaint tick.
  void RedrawItem(const CPlanItem* item);
  // The page's repaint tick: one repaint for every change since the last.
  void RepaintIfStale();

  void MarkDirty() { m_file.MarkDirty(); }
  // Writes the queue file when marked; the mark stays after a failed write.
  bool FlushQueueFile();
  // The queue file into the (emptied) list; a damaged file is moved aside.
  QueueFileLoad LoadQueueFileNow();

  // Sort by column: direction flipped on every click.
  void SortBy(int column);

protected:
  afx_msg void OnGetDispInfo(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnColumnClick(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnDblClk(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
  afx_msg void OnDestroy();
  DECLARE_MESSAGE_MAP()

  CObArray m_items;
  CImageList m_images;
  QueueFileState m_file;
  CString m_cellText;  // the text handed to the control for the cell being drawn
  bool m_stale = false;  // rows changed since the last repaint tick
  int m_sortColumn = -1;
  BOOL m_sortAscending = TRUE;
};

// Whether the queue list holds items: the document's Start Queue update and
// the workers read it (any thread).
BOOL QueueHasItems();
