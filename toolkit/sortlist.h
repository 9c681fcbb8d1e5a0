// The report list every list window derives from: columns from a
// column text ("title,width;..."), a sort mark in the header, and the column widths kept
// in the profile from one run to the next. The list does not sort: its owner
// sorts and names the column and direction to mark.
#pragma once

#include "framework/archive.h"
#include "framework/commctrls.h"

class CSortHeaderCtrl : public CHeaderCtrl {
  DECLARE_DYNAMIC(CSortHeaderCtrl)
public:
  CSortHeaderCtrl() = default;

  // Marks column (ascending: an upward triangle). The column becomes owner-drawn
  // for good: a column that lost the mark is drawn without one.
  void SetSortArrow(int column, BOOL ascending);
  int GetSortColumn() const { return m_nSortColumn; }
  BOOL IsSortAscending() const { return m_bSortAscending; }

  // The widths of the items (see headerlayout.h); loading ignores a layout of
  // another item count or a value that ends early.
  void Serialize(CArchive& ar) override;
  void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

protected:
  int m_nSortColumn = -1;
  BOOL m_bSortAscending = TRUE;
};

class CSortListCtrl : public CListCtrl {
  DECLARE_DYNAMIC(CSortListCtrl)
public:
  CSortListCtrl() = default;

  // Binds m_header to the list's header, when it has one. TRUE always.
  BOOL SubclassHeader();
  // One left-aligned column per "title,width" entry, appended after the columns
  // of earlier calls. FALSE at the first failed insertion.
  BOOL SetColumns(const CString& spec);
  // Removes every column; the next SetColumns starts again at column 0.
  void DeleteAllColumns();
  void SetSortColumn(int column, BOOL ascending);
  int GetSortColumn() const { return m_nSortColumn; }
  BOOL IsSortAscending() const { return m_bSortAscending; }
  // The widths from the profile ("ListCtrls", "%d" of the control id).
  void LoadLayout();
  void SaveLayout();
  // Derived lists call this from their WM_DESTROY handlers: the layout is saved.
  void OnDestroy();

  CSortHeaderCtrl m_header;

protected:
  int m_nColumnCount = 0;
  int m_nSortColumn = -1;
  BOOL m_bSortAscending = TRUE;
};
