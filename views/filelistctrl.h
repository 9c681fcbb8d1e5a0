// The owner-data list of the three file-list views. The rows live in the
// control (CFileRowStore); the list asks for texts and icons as it paints.
#pragma once

#include <string>
#include <unordered_map>
#include <unordered_set>

#include "toolkit/sortlist.h"
#include "views/chosenrows.h"
#include "views/filerows.h"
#include "views/iconstrip.h"

class CFileListCtrl : public CSortListCtrl, public CFileRowStore {
  DECLARE_DYNAMIC(CFileListCtrl)
public:
  CFileListCtrl() = default;
  ~CFileListCtrl() override;

  BOOL m_isLocal = FALSE;  // icons of existing paths, not of names

  // The chain's rows become the control's (see CFileRowStore::FillRows),
  // sorted by the current sort column when there is one.
  void FillFromChain(CFileListItem* first, int n);
  // The rows replaced by the chain's (a folder listed again): the rows selected
  // before stay selected where their names are listed again.
  void ReplaceRows(CFileListItem* first, int n);
  void DeleteAllItems();
  int InsertItem(int index, const char* name, int kind);
  BOOL DeleteItem(int index);
  int GetItemCount() const { return RowCount(); }
  void UpdateItemCount();
  int GetItemKind(int index) const { return RowKind(index); }
  uint64_t GetItemSize(int index) const { return RowSize(index); }
  BOOL SetItemKind(int index, int value);
  BOOL SetItemText(int index, int column, const char* text);
  BOOL SetItemDisplayName(int index, const char* text) { return SetRowDisplayName(index, text); }
  void SetItemImage(int index, int image) { SetRowImage(index, image); }

  void SelectAll();
  void InvertSelection();
  // Selects exactly the rows whose names match; the last match is scrolled
  // into view. The number of matches.
  int SelectByMask(const char* pattern);
  void SelectNextByChar(char c);
  // Looks up the icons not yet known of rows first..last.
  void PrepareIcons(int first, int last);
  int LookupIcon(CFileListItem* row);

protected:
  // The owner-data control keeps its selection as indices: whatever moves the
  // rows (fill, insert, removal, sort, a kind moving a row to the other run)
  // goes through Keeping, which selects the same records afterwards.
  struct Marks {
    std::vector<ChosenRow> selected;
    std::vector<ChosenRow> focused;
  };
  Marks TakeMarks() const;
  void PutMarks(const Marks& marks);
  template <typename Change>
  auto Keeping(Change change) -> decltype(change())
  {
    const Marks marks = TakeMarks();
    auto result = change();
    PutMarks(marks);
    return result;
  }

  // Server rows: the shell answers by type alone (folder, or the file's
  // extension), so each type is asked once.
  std::unordered_map<std::string, int> m_iconByType;
  // While the list paints, rows that are not selected get their icons from
  // the strip after the row is drawn (the list itself is given an image it
  // cannot draw); selected ones the list draws, blended as it does.
  static const int kPastTheImages;
  CIconStrip m_iconStrip;
  bool m_painting = false;
  std::unordered_set<int> m_stripRows;  // given kPastTheImages in this paint
  bool StripDraws(int index);

  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  afx_msg void OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult);

  afx_msg void OnColumnClick(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnGetDispInfo(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnCacheHint(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
  afx_msg void OnDestroy();
  DECLARE_MESSAGE_MAP()
};
