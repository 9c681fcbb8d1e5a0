// The rows of a file list without the window: folder-like rows (sites, folders,
// folder-like entries) in a front run, every other row in the file run behind
// it, the two counts and the byte total of the file run, the sort of both runs
// and the name matching of the selection commands.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/engineutil.h"
#include "framework/fwtypes.h"

constexpr int kRowSite = 3;
constexpr int kRowFile = 5;
constexpr int kRowFolder = 7;
constexpr int kRowFolderLike = 8;

// Key column and direction of the sort in progress (the queue list sorts by
// the same pair).
extern int g_sortColumn;
extern BOOL g_sortAscending;

inline bool IsFolderLikeKind(int kind) { return kind == kRowSite || kind == kRowFolder || kind == kRowFolderLike; }

// -1, 0 or 1 by g_sortColumn (0 name without case, 1 date text, 2 size, 3
// attributes text), negated when g_sortAscending is FALSE; empty rows are equal.
int CompareRows(const CFileListItem* a, const CFileListItem* b);

// The whole text against the pattern ('*' any run, '?' one character), letters
// without case; double-byte characters match only themselves.
BOOL MatchWildcard(const char* pattern, const char* text);

// The decimal number at the start of text, UINT64_MAX when it does not fit;
// 0 without digits.
uint64_t ParseSizeText(const char* text);

// The text of a row's cell as the list shows it: name, date, size (files with
// thousands separators, "<DIR>" for folders, nothing for others), attributes.
CString RowCellText(const CFileListItem* row, int column);

class CFileRowStore {
public:
  CFileRowStore() = default;
  ~CFileRowStore();
  CFileRowStore(const CFileRowStore&) = delete;
  CFileRowStore& operator=(const CFileRowStore&) = delete;

  std::vector<CFileListItem*> m_rows;  // owned; index = row number
  int m_folderCount = 0;
  int m_fileCount = 0;
  uint64_t m_totalBytes = 0;           // sum of the sizes of the file run

  int RowCount() const { return (int)m_rows.size(); }
  CFileListItem* Row(int index) const;  // null out of range

  // Takes up to n rows of the chain (fewer at a null link): folder-like rows go
  // in front of the front run in reverse chain order, the others behind the
  // file run in chain order. With a sort column (not -1) both runs are sorted.
  void FillRows(CFileListItem* first, int n, int sortColumn, BOOL ascending);
  // Sets g_sortColumn/g_sortAscending and sorts each run of more than one row.
  void SortRuns(int column, BOOL ascending);
  void ClearRows();
  // A new row with the name (cut to fit) and kind, placed at index clamped into
  // the run of its kind; the index used, -1 without memory.
  int InsertRow(int index, const char* name, int kind);
  // The run is the one the row sits in. FALSE out of range.
  bool DeleteRow(int index);
  int RowKind(int index) const;        // -1 out of range
  uint64_t RowSize(int index) const;   // files only, else 0
  // A site row keeps its kind and stores the value as its state; any other row
  // takes the value as its kind and moves to the other run's edge when the new
  // kind belongs there.
  BOOL SetRowKind(int index, int value);
  // Columns 0 name, 1 date, 3 attributes (cut to fit); 2 the size read as a
  // decimal number, the total following it for a file-run row.
  BOOL SetRowText(int index, int column, const char* text);
  BOOL SetRowDisplayName(int index, const char* text);
  BOOL SetRowImage(int index, int image);
  // The first row after cur (wrapping, cur itself skipped) whose name begins
  // with c without regard to case; -1 when none.
  int NextRowByChar(int cur, char c) const;
  // The runs hold their kinds and the counts and total agree with the rows.
  bool InvariantHolds() const;

  // One row followed by its record rather than its index (the new-folder row
  // while its name is typed): rows added, sorted or deleted around it leave it
  // found, and once it is deleted (also by a refill) its index is -1.
  void HoldRow(int index) { m_heldRow = Row(index); }
  int HeldRowIndex() const;
  void ReleaseHeldRow() { m_heldRow = nullptr; }

private:
  CFileListItem* m_heldRow = nullptr;

  CFileListItem* TakeRow(int index);   // off the array, counts and total adjusted
  void PlaceRow(int index, CFileListItem* row);
};
