// CSearchPaneDlg: the "Searched" page of the function view, the entries the
// server search found (CMySearchList), and downloads of them through the queue.
#pragma once

#include <memory>
#include <vector>

#include "framework/afxwin.h"
#include "shell/funcview/core/searchcore.h"
#include "shell/funcview/listpanebase.h"
#include "toolkit/sortlist.h"

class CMySearchList : public CSortListCtrl {
  DECLARE_DYNCREATE(CMySearchList)
public:
  CMySearchList() = default;
  ~CMySearchList() override = default;

  void Init();
  int GetCount() const { return static_cast<int>(m_hits.size()); }
  const SearchHit* GetHit(int row) const;
  // A copy of a found entry, with the login its slot holds now.
  void Append(const EntryRecord& entry);
  std::vector<int> SelectedRows() const;
  void RemoveRows(const std::vector<int>& rows);
  void RemoveAll();
  void SetAllSelected(bool selected);
  void InvertSelection();
  void SortBy(int column);
  // The host shown for a row: empty once its slot no longer holds its site.
  CString HostText(int row) const;

protected:
  void Changed();
  afx_msg void OnGetDispInfo(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnColumnClick(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
  DECLARE_MESSAGE_MAP()

  std::vector<std::unique_ptr<SearchHit>> m_hits;
  CString m_cellText;
  BOOL m_sortAscending = TRUE;
};

class CSearchPaneDlg : public CListPaneBase {
  DECLARE_DYNAMIC(CSearchPaneDlg)
public:
  explicit CSearchPaneDlg(CWnd* pParent = nullptr);
  BOOL OnInitDialog() override;

  CMySearchList m_list;

  // Queues the given rows (all when allRows); what Download does.
  void DownloadRows(bool allRows);

protected:
  CListCtrl& PaneList() override { return m_list; }
  const ContextMenuItem* PaneMenu(size_t* count) const override;
  afx_msg LRESULT OnSearchResults(WPARAM wParam, LPARAM lParam);
  afx_msg void OnDownload();
  afx_msg void OnDownloadAll();
  afx_msg void OnDelete();
  afx_msg void OnClear();
  afx_msg void OnInfo();
  afx_msg void OnSelectAll();
  afx_msg void OnInvert();
  DECLARE_MESSAGE_MAP()
};

// The "Searched" page (152) with the function view's page factory.
void RegisterSearchPane();
