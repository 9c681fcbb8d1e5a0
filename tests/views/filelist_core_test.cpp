// The file list's rows without the window: the runs, counts and total under
// any mix of operations, the fill order, the sort, sizes past 32 bits, bad
// input, type-ahead and the character-aware mask matching.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/matchpattern.h"
#include "views/filerows.h"

namespace {

CFileListItem* Chain(const std::vector<std::pair<std::string, int>>& rows, int64_t size = 0)
{
  CFileListItem* first = nullptr;
  for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
    CFileListItem* row = new CFileListItem;
    std::strcpy(row->m_name, it->first.c_str());
    row->m_kind = it->second;
    row->m_size = size;
    row->m_pNext = first;
    first = row;
  }
  return first;
}

std::vector<std::string> Names(const CFileRowStore& s)
{
  std::vector<std::string> out;
  for (const CFileListItem* r : s.m_rows)
    out.push_back(r->m_name);
  return out;
}

using V = std::vector<std::string>;

TEST(FileRows, RandomMixesKeepTheRunsCountsAndTotal)
{
  std::mt19937 rng(2718);
  CFileRowStore s;
  const int kinds[] = {kRowSite, kRowFile, kRowFolder, kRowFolderLike, 0, 9};
  for (int step = 0; step < 10000; ++step) {
    const int n = s.RowCount();
    const int index = (int)(rng() % (unsigned)(n + 3)) - 1;  // -1 and past the end too
    const int kind = kinds[rng() % 6];
    switch (rng() % 7) {
    case 0: {
      const int len = (int)(rng() % 4);
      CFileListItem* first = Chain({{"c" + std::to_string(step), kind}, {"d", kRowFolder}, {"e", kRowFile}},
                                   (int64_t)(rng() % 100000));
      // A length longer than the chain stops at its null link; extra rows are the caller's.
      CFileListItem* rest = first;
      for (int i = 0; i < len && rest; ++i)
        rest = rest->m_pNext;
      s.FillRows(first, len, rng() % 2 ? -1 : (int)(rng() % 5), rng() % 2);
      while (rest) {
        CFileListItem* next = rest->m_pNext;
        delete rest;
        rest = next;
      }
      break;
    }
    case 1: s.InsertRow(index, "new", kind); break;
    case 2: s.DeleteRow(index); break;
    case 3: s.SetRowKind(index, kind); break;
    case 4: s.SetRowText(index, 2, std::to_string(rng() % 1000000).c_str()); break;
    case 5: s.SetRowText(index, (int)(rng() % 6) - 1, "abc"); break;
    default: if (rng() % 50 == 0) s.ClearRows(); break;
    }
    ASSERT_TRUE(s.InvariantHolds()) << "step " << step;
  }
}

TEST(FileRows, FillPutsNewFoldersInFrontReversedAndSortsByTheClickedColumn)
{
  CFileRowStore s;
  s.FillRows(Chain({{"x", kRowFolder}, {"f1", kRowFile}}), 2, -1, TRUE);
  s.FillRows(Chain({{"A", kRowFolder}, {"f2", kRowFile}, {"B", kRowSite}, {"f3", kRowFile}, {"C", kRowFolderLike}}), 5,
             -1, TRUE);
  EXPECT_EQ(Names(s), (V{"C", "B", "A", "x", "f1", "f2", "f3"}));
  EXPECT_EQ(s.m_folderCount, 4);
  EXPECT_EQ(s.m_fileCount, 3);

  // A single inserted entry lands in the run of its kind whatever the index.
  EXPECT_EQ(s.InsertRow(0, "late.txt", kRowFile), 4);
  EXPECT_EQ(s.InsertRow(99, "D", kRowFolder), 4);

  for (int column = 0; column < 4; ++column) {
    for (BOOL asc : {FALSE, TRUE}) {
      s.SortRuns(column, asc);
      ASSERT_TRUE(s.InvariantHolds());
      EXPECT_EQ(g_sortColumn, column);
    }
  }
  s.SortRuns(0, FALSE);
  EXPECT_EQ(Names(s), (V{"x", "D", "C", "B", "A", "late.txt", "f3", "f2", "f1"}));
  s.SortRuns(0, TRUE);
  EXPECT_EQ(Names(s), (V{"A", "B", "C", "D", "x", "f1", "f2", "f3", "late.txt"}));
  // A refill keeps the sort column.
  s.FillRows(Chain({{"a0", kRowFile}, {"0", kRowFolder}}), 2, 0, TRUE);
  EXPECT_EQ(Names(s).front(), "0");
  EXPECT_EQ(Names(s)[6], "a0");
}

TEST(FileRows, SizesPastThirtyTwoBitsSortShowAndCount)
{
  CFileRowStore s;
  s.FillRows(Chain({{"five", kRowFile}, {"zero", kRowFile}, {"big", kRowFile}, {"dir", kRowFolder}}), 4, -1, TRUE);
  ASSERT_TRUE(s.SetRowText(1, 2, "5497558138880"));  // 5 TiB
  ASSERT_TRUE(s.SetRowText(2, 2, "0"));
  ASSERT_TRUE(s.SetRowText(3, 2, "4294967296"));
  EXPECT_EQ(s.m_totalBytes, 5497558138880ull + 4294967296ull);
  s.SortRuns(2, TRUE);
  EXPECT_EQ(Names(s), (V{"dir", "zero", "big", "five"}));
  EXPECT_EQ(std::string(RowCellText(s.Row(3), 2)), "5,497,558,138,880");
  EXPECT_EQ(std::string(RowCellText(s.Row(2), 2)), "4,294,967,296");
  EXPECT_EQ(std::string(RowCellText(s.Row(1), 2)), "0");
  EXPECT_EQ(std::string(RowCellText(s.Row(0), 2)), "<DIR>");
  EXPECT_EQ(s.RowSize(3), 5497558138880ull);
  s.SortRuns(2, FALSE);
  EXPECT_EQ(Names(s), (V{"dir", "five", "big", "zero"}));

  // Too many digits saturate; no digits read as 0; the total follows each change.
  ASSERT_TRUE(s.SetRowText(3, 2, "99999999999999999999"));
  EXPECT_EQ(s.RowSize(3), UINT64_MAX);
  ASSERT_TRUE(s.SetRowText(3, 2, "abc"));
  EXPECT_EQ(s.RowSize(3), 0u);
  EXPECT_EQ(s.m_totalBytes, 5497558138880ull + 4294967296ull);
  // A file turned into a folder leaves the total and moves to the front run.
  ASSERT_TRUE(s.SetRowKind(1, kRowFolder));
  EXPECT_TRUE(s.InvariantHolds());
  EXPECT_EQ(s.m_folderCount, 2);
  EXPECT_EQ(s.m_totalBytes, 4294967296ull);
  ASSERT_TRUE(s.SetRowKind(0, kRowFile));  // "dir" over to the files
  EXPECT_TRUE(s.InvariantHolds());
  EXPECT_EQ(s.m_folderCount, 1);
  // Deleting by position: the row at the edge is a file now, whatever its past.
  ASSERT_TRUE(s.DeleteRow(1));
  EXPECT_TRUE(s.InvariantHolds());
  EXPECT_EQ(s.m_fileCount, 2);
}

TEST(FileRows, BadInputIsCutOrRefused)
{
  FwSetCodePage(936);
  CFileRowStore s;
  EXPECT_FALSE(s.SetRowText(0, 0, "x"));
  EXPECT_EQ(s.RowKind(-1), -1);
  EXPECT_EQ(s.Row(0), nullptr);
  EXPECT_EQ(s.NextRowByChar(-1, 'a'), -1);
  const std::string name(300, 'n');
  ASSERT_EQ(s.InsertRow(-5, name.c_str(), kRowFile), 0);
  EXPECT_EQ(std::strlen(s.Row(0)->m_name), 259u);
  // A double-byte character that would straddle the end of the field is left out.
  const std::string date = std::string(18, '1') + "\xB0\xA1" + std::string(20, '2');
  ASSERT_TRUE(s.SetRowText(0, 1, date.c_str()));
  EXPECT_EQ(std::string(s.Row(0)->m_date), std::string(18, '1'));
  EXPECT_FALSE(s.SetRowText(0, 4, "x"));
  EXPECT_FALSE(s.SetRowText(1, 0, "x"));
  EXPECT_FALSE(s.SetRowKind(1, kRowFile));
  EXPECT_FALSE(s.DeleteRow(1));
  EXPECT_TRUE(s.DeleteRow(0));
  EXPECT_TRUE(s.InvariantHolds());
  FwSetCodePage(0);
}

TEST(FileRows, TypeAheadWrapsSkipsTheCurrentRowAndFindsNothingElse)
{
  CFileRowStore s;
  s.FillRows(Chain({{"apple", kRowFile}, {"Bert", kRowFile}, {"avocado", kRowFile}, {"cat", kRowFile}}), 4, -1, TRUE);
  EXPECT_EQ(s.NextRowByChar(-1, 'A'), 0);
  EXPECT_EQ(s.NextRowByChar(0, 'a'), 2);
  EXPECT_EQ(s.NextRowByChar(2, 'a'), 0);   // wraps
  EXPECT_EQ(s.NextRowByChar(1, 'b'), -1);  // the only match is the current row
  EXPECT_EQ(s.NextRowByChar(3, 'z'), -1);
}

TEST(MatchWildcard, SingleByteCases)
{
  struct Case { const char* pattern; const char* text; bool want; };
  const Case cases[] = {
      {"a*", "ABC.txt", true}, {"a*", "a", true}, {"a*", "ba", false}, {"?.c", "x.c", true},
      {"?.c", "xy.c", false}, {"*.txt", "notes.TXT", true}, {"*.txt", "notes.txt.bak", false},
      {"*a*b", "xaxxb", true}, {"*a*b", "xaxxbc", false}, {"", "", true}, {"", "a", false},
      {"**", "", true}, {"a?c*", "abcdef", true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(MatchWildcard(c.pattern, c.text), c.want ? TRUE : FALSE) << c.pattern << " / " << c.text;
}

TEST(MatchWildcard, DoubleByteCharactersMatchWholeAndOnlyThemselves)
{
  FwSetCodePage(936);
  // The trail byte 0x41 is no letter: it does not fold to 0x61.
  EXPECT_FALSE(MatchWildcard("\x81\x41*", "\x81\x61.txt"));
  EXPECT_TRUE(MatchWildcard("\x81\x41*", "\x81\x41.txt"));
  // '?' takes one whole character, never half of one.
  EXPECT_TRUE(MatchWildcard("?.txt", "\xB0\xA1.txt"));
  EXPECT_FALSE(MatchWildcard("??.txt", "\xB0\xA1.txt"));
  EXPECT_FALSE(MatchWildcard("?\xA1*", "\xB0\xA1\xB0\xA1"));
  // A star does not stop inside a character: "*A" is no match for a name ending in the trail byte 0x41.
  EXPECT_FALSE(MatchWildcard("*A", "x\x81\x41"));
  EXPECT_TRUE(MatchWildcard("*A", "x\x81\x41" "a"));
  // The remote search's pattern lists use the same matcher.
  EXPECT_EQ(MatchPattern("*.doc,\x81\x41*", "\x81\x61z", false), 0);
  EXPECT_EQ(MatchPattern("*.doc,\x81\x41*", "\x81\x41z", false), 1);
  EXPECT_EQ(MatchPattern("A*", "abc", true), 0);
  FwSetCodePage(0);
}

}  // namespace
