#include "views/filerows.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "engine/matchpattern.h"

int g_sortColumn = -1;
BOOL g_sortAscending = TRUE;

namespace {

int LowerAscii(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c; }

int Sign(int v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

int CompareNoCase(const char* a, const char* b)
{
  for (;; ++a, ++b) {
    const int d = LowerAscii((unsigned char)*a) - LowerAscii((unsigned char)*b);
    if (d != 0 || *a == '\0')
      return Sign(d);
  }
}

int CompareBytes(const char* a, const char* b) { return Sign(std::strcmp(a, b)); }

uint64_t SizeOf(const CFileListItem* row) { return (uint64_t)row->m_size; }

// A row with the leading bytes of its key packed into two numbers, so that
// most comparisons of a sort read neither row (a row is some 600 bytes, and a
// big list's rows do not stay in the cache).
struct KeyedRow {
  uint64_t high;
  uint64_t low;
  CFileListItem* row;
};

// Eight bytes of text from its start (letters lowered when fold), first byte
// highest, zero after the end: numbers compare as those bytes do. *ended
// tells whether the text ended inside them.
uint64_t PackedBytes(const char* text, bool fold, bool* ended)
{
  uint64_t key = 0;
  int i = 0;
  for (; i < 8 && text[i] != '\0'; ++i) {
    const unsigned c = fold ? (unsigned)LowerAscii((unsigned char)text[i]) : (unsigned char)text[i];
    key |= (uint64_t)c << (56 - 8 * i);
  }
  *ended = i < 8;
  return key;
}

const char* KeyText(const CFileListItem* row, int column)
{
  return column == 0 ? row->m_name : (column == 1 ? row->m_date : row->m_attributes);
}

KeyedRow KeyOf(CFileListItem* row, int column)
{
  if (column == 2)
    return {SizeOf(row), 0, row};
  const char* text = KeyText(row, column);
  bool ended = false;
  const uint64_t high = PackedBytes(text, column == 0, &ended);
  return {high, ended ? 0 : PackedBytes(text + 8, column == 0, &ended), row};
}

// Sorts one run by column 0..3 as CompareRows does.
void SortRunByKey(std::vector<CFileListItem*>::iterator from, std::vector<CFileListItem*>::iterator to, int column,
                  bool ascending)
{
  std::vector<KeyedRow> keyed;
  keyed.reserve((size_t)(to - from));
  // The rows are read once, far apart in memory: ask for them a few ahead.
  constexpr ptrdiff_t kAhead = 16;
  for (auto it = from; it != to; ++it) {
    if (to - it > kAhead)
      __builtin_prefetch(column == 2 ? (const void*)&it[kAhead]->m_size : KeyText(it[kAhead], column));
    keyed.push_back(KeyOf(*it, column));
  }
  // Equal keys: equal texts when the text ended inside them (the last byte
  // 0), else the whole texts decide.
  const auto order = [column](const KeyedRow& a, const KeyedRow& b) {
    if (a.high != b.high)
      return a.high < b.high ? -1 : 1;
    if (a.low != b.low)
      return a.low < b.low ? -1 : 1;
    if (column == 2 || (a.low & 0xFF) == 0)
      return 0;
    return column == 0 ? CompareNoCase(a.row->m_name, b.row->m_name)
                       : CompareBytes(KeyText(a.row, column), KeyText(b.row, column));
  };
  if (ascending)
    std::sort(keyed.begin(), keyed.end(), [&](const KeyedRow& a, const KeyedRow& b) { return order(a, b) < 0; });
  else
    std::sort(keyed.begin(), keyed.end(), [&](const KeyedRow& a, const KeyedRow& b) { return order(a, b) > 0; });
  for (const KeyedRow& k : keyed)
    *from++ = k.row;
}

}  // namespace

int CompareRows(const CFileListItem* a, const CFileListItem* b)
{
  if (a == nullptr || b == nullptr)
    return 0;
  int r = 0;
  switch (g_sortColumn) {
  case 0: r = CompareNoCase(a->m_name, b->m_name); break;
  case 1: r = CompareBytes(a->m_date, b->m_date); break;
  case 2: r = SizeOf(a) < SizeOf(b) ? -1 : (SizeOf(a) > SizeOf(b) ? 1 : 0); break;
  case 3: r = CompareBytes(a->m_attributes, b->m_attributes); break;
  default: break;
  }
  return g_sortAscending ? r : -r;
}

BOOL MatchWildcard(const char* pattern, const char* text)
{
  return MatchWildcardText(pattern, text, false) ? TRUE : FALSE;
}

uint64_t ParseSizeText(const char* text)
{
  uint64_t v = 0;
  for (const char* p = text; p != nullptr && *p >= '0' && *p <= '9'; ++p) {
    const unsigned d = (unsigned)(*p - '0');
    if (v > (UINT64_MAX - d) / 10)
      return UINT64_MAX;
    v = v * 10 + d;
  }
  return v;
}

CString RowCellText(const CFileListItem* row, int column)
{
  if (row == nullptr)
    return CString();
  switch (column) {
  case 0: return CString(row->m_name);
  case 1: return CString(row->m_date);
  case 2:
    if (row->m_kind == kRowFile)
      return FormatThousands(SizeOf(row));
    return CString(row->m_kind == kRowFolder ? "<DIR>" : "");
  case 3: return CString(row->m_attributes);
  default: return CString();
  }
}

CFileRowStore::~CFileRowStore() { ClearRows(); }

CFileListItem* CFileRowStore::Row(int index) const
{
  return (index >= 0 && index < RowCount()) ? m_rows[(size_t)index] : nullptr;
}

void CFileRowStore::FillRows(CFileListItem* first, int n, int sortColumn, BOOL ascending)
{
  std::vector<CFileListItem*> folders;
  std::vector<CFileListItem*> files;
  CFileListItem* row = first;
  for (int i = 0; i < n && row != nullptr; ++i, row = row->m_pNext) {
    if (IsFolderLikeKind(row->m_kind)) {
      folders.push_back(row);
    } else {
      files.push_back(row);
      m_totalBytes += SizeOf(row);
    }
  }
  if (!folders.empty()) {
    // One array build: the new folders, last first, then every row already here.
    std::vector<CFileListItem*> rows;
    rows.reserve(m_rows.size() + folders.size() + files.size());
    rows.insert(rows.end(), folders.rbegin(), folders.rend());
    rows.insert(rows.end(), m_rows.begin(), m_rows.end());
    m_rows.swap(rows);
  } else {
    m_rows.reserve(m_rows.size() + files.size());
  }
  m_rows.insert(m_rows.end(), files.begin(), files.end());
  m_folderCount += (int)folders.size();
  m_fileCount += (int)files.size();
  if (sortColumn != -1)
    SortRuns(sortColumn, ascending);
}

void CFileRowStore::SortRuns(int column, BOOL ascending)
{
  g_sortColumn = column;
  g_sortAscending = ascending;
  const auto front = m_rows.begin() + m_folderCount;
  if (column < 0 || column > 3) {
    // No key: every pair compares equal.
    auto less = [](const CFileListItem* a, const CFileListItem* b) { return CompareRows(a, b) < 0; };
    if (m_folderCount > 1)
      std::sort(m_rows.begin(), front, less);
    if (m_fileCount > 1)
      std::sort(front, m_rows.end(), less);
    return;
  }
  if (m_folderCount > 1)
    SortRunByKey(m_rows.begin(), front, column, ascending != FALSE);
  if (m_fileCount > 1)
    SortRunByKey(front, m_rows.end(), column, ascending != FALSE);
}

void CFileRowStore::ClearRows()
{
  m_heldRow = nullptr;
  for (CFileListItem* row : m_rows)
    delete row;
  m_rows.clear();
  m_folderCount = 0;
  m_fileCount = 0;
  m_totalBytes = 0;
}

void CFileRowStore::PlaceRow(int index, CFileListItem* row)
{
  m_rows.insert(m_rows.begin() + index, row);
  if (index <= m_folderCount && IsFolderLikeKind(row->m_kind)) {
    ++m_folderCount;
  } else {
    ++m_fileCount;
    m_totalBytes += SizeOf(row);
  }
}

int CFileRowStore::InsertRow(int index, const char* name, int kind)
{
  CFileListItem* row = new (std::nothrow) CFileListItem;
  if (row == nullptr)
    return -1;
  if (name != nullptr)
    CopyRowText(row->m_name, sizeof(row->m_name), name, std::strlen(name));
  row->m_kind = kind;
  row->m_size = 0;
  const bool folder = IsFolderLikeKind(kind);
  const int low = folder ? 0 : m_folderCount;
  const int high = folder ? m_folderCount : RowCount();
  index = std::max(low, std::min(index, high));
  PlaceRow(index, row);
  return index;
}

CFileListItem* CFileRowStore::TakeRow(int index)
{
  CFileListItem* row = m_rows[(size_t)index];
  m_rows.erase(m_rows.begin() + index);
  if (index < m_folderCount) {
    --m_folderCount;
  } else {
    --m_fileCount;
    m_totalBytes -= SizeOf(row);
  }
  return row;
}

bool CFileRowStore::DeleteRow(int index)
{
  if (Row(index) == nullptr)
    return false;
  CFileListItem* row = TakeRow(index);
  if (row == m_heldRow)
    m_heldRow = nullptr;
  delete row;
  return true;
}

int CFileRowStore::HeldRowIndex() const
{
  if (m_heldRow == nullptr)
    return -1;
  for (size_t i = 0; i < m_rows.size(); ++i)
    if (m_rows[i] == m_heldRow)
      return (int)i;
  return -1;
}

int CFileRowStore::RowKind(int index) const
{
  const CFileListItem* row = Row(index);
  return row ? row->m_kind : -1;
}

uint64_t CFileRowStore::RowSize(int index) const
{
  const CFileListItem* row = Row(index);
  return (row && row->m_kind == kRowFile) ? SizeOf(row) : 0;
}

BOOL CFileRowStore::SetRowKind(int index, int value)
{
  CFileListItem* row = Row(index);
  if (row == nullptr)
    return FALSE;
  if (row->m_kind == kRowSite) {
    row->m_icon2 = value;
    return TRUE;
  }
  const bool wasFront = index < m_folderCount;
  if (wasFront == IsFolderLikeKind(value)) {
    row->m_kind = value;
    return TRUE;
  }
  // The new kind belongs to the other run: to the edge between the runs.
  TakeRow(index);
  row->m_kind = value;
  PlaceRow(m_folderCount, row);
  return TRUE;
}

BOOL CFileRowStore::SetRowText(int index, int column, const char* text)
{
  CFileListItem* row = Row(index);
  if (row == nullptr || column < 0 || column > 3)
    return FALSE;
  if (text == nullptr)
    text = "";
  const size_t len = std::strlen(text);
  switch (column) {
  case 0: CopyRowText(row->m_name, sizeof(row->m_name), text, len); break;
  case 1: CopyRowText(row->m_date, sizeof(row->m_date), text, len); break;
  case 2: {
    const uint64_t size = ParseSizeText(text);
    if (index >= m_folderCount)
      m_totalBytes = m_totalBytes - SizeOf(row) + size;
    row->m_size = (int64_t)size;
    break;
  }
  default: CopyRowText(row->m_attributes, sizeof(row->m_attributes), text, len); break;
  }
  return TRUE;
}

BOOL CFileRowStore::SetRowDisplayName(int index, const char* text)
{
  CFileListItem* row = Row(index);
  if (row == nullptr)
    return FALSE;
  CopyRowText(row->m_displayName, sizeof(row->m_displayName), text, text ? std::strlen(text) : 0);
  return TRUE;
}

BOOL CFileRowStore::SetRowImage(int index, int image)
{
  CFileListItem* row = Row(index);
  if (row == nullptr)
    return FALSE;
  row->m_icon = image;
  return TRUE;
}

int CFileRowStore::NextRowByChar(int cur, char c) const
{
  const int count = RowCount();
  if (count == 0)
    return -1;
  const int want = LowerAscii((unsigned char)c);
  int i = cur;
  for (int step = 0; step < count; ++step) {
    i = (i + 1) % count;  // from -1 (none selected) the scan starts at row 0
    if (i == cur)
      continue;
    if (LowerAscii((unsigned char)m_rows[(size_t)i]->m_name[0]) == want)
      return i;
  }
  return -1;
}

bool CFileRowStore::InvariantHolds() const
{
  if (m_folderCount < 0 || m_fileCount < 0 || m_folderCount + m_fileCount != RowCount())
    return false;
  uint64_t sum = 0;
  for (int i = 0; i < RowCount(); ++i) {
    const CFileListItem* row = m_rows[(size_t)i];
    if (row == nullptr || (i < m_folderCount) != IsFolderLikeKind(row->m_kind))
      return false;
    if (i >= m_folderCount)
      sum += SizeOf(row);
  }
  return sum == m_totalBytes;
}
