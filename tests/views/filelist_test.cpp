// The file list in the view host under Xvfb: display requests over 100,000
// rows, header clicks, type-ahead typed on the keyboard and Mask Select typed
// into its dialog, as a user meets them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/shellseam.h"
#include "tests/views/viewhost.h"
#include "views/imagelists.h"

CWinApp theApp("views_filelist");

namespace {

using viewhost::CViewHost;
using wintest::PumpUntil;

CFileListItem* Row(CFileListItem* next, const std::string& name, int kind, int64_t size)
{
  CFileListItem* row = new CFileListItem;
  std::snprintf(row->m_name, sizeof(row->m_name), "%s", name.c_str());
  std::snprintf(row->m_date, sizeof(row->m_date), "2026-01-%02d", (int)(size % 28) + 1);
  row->m_kind = kind;
  row->m_size = size;
  row->m_pNext = next;
  return row;
}

// Asks the control through its parent, as the list itself does.
NMLVDISPINFOA Ask(CFileListCtrl& list, int row, int column, UINT mask, char* buf, int cap)
{
  NMLVDISPINFOA nm = {};
  nm.hdr.hwndFrom = list.m_hWnd;
  nm.hdr.idFrom = list.GetDlgCtrlID();
  nm.hdr.code = LVN_GETDISPINFOA;
  nm.item.iItem = row;
  nm.item.iSubItem = column;
  nm.item.mask = mask;
  nm.item.pszText = buf;
  nm.item.cchTextMax = cap;
  nm.item.iImage = -99;
  if (buf != nullptr && cap > 0)
    buf[0] = '\0';
  list.GetParent()->SendMessage(WM_NOTIFY, nm.hdr.idFrom, (LPARAM)&nm);
  return nm;
}

std::vector<int> Selected(CFileListCtrl& list)
{
  std::vector<int> rows;
  for (int i = list.GetNextItem(-1, LVNI_SELECTED); i >= 0; i = list.GetNextItem(i, LVNI_SELECTED))
    rows.push_back(i);
  return rows;
}

class FileList : public ::testing::Test {
protected:
  void SetUp() override
  {
    guitest::BecomeGuiThread();
    ASSERT_TRUE(host.Make());
    host.SetForegroundWindow();
  }
  CFileListCtrl& List() { return host.List(); }
  // 10 folders "dir0".."dir9" and the files named, sizes 10, 20, ...
  void Fill(const std::vector<std::string>& files)
  {
    CFileListItem* first = nullptr;
    for (size_t i = files.size(); i-- > 0;)
      first = Row(first, files[i], kRowFile, (int64_t)(i + 1) * 10);
    for (int i = 9; i >= 0; --i)
      first = Row(first, "dir" + std::to_string(i), kRowFolder, 0);
    List().DeleteAllItems();
    List().FillFromChain(first, (int)files.size() + 10);
  }
  POINT RowPoint(int row)
  {
    CRect r;
    List().GetItemRect(row, &r, LVIR_LABEL);
    List().ClientToScreen(&r);
    return {r.left + 8, (r.top + r.bottom) / 2};
  }
  CViewHost host;
};

TEST_F(FileList, HundredThousandRowsAnswerTextsAndIconsAndNothingOutsideTheRows)
{
  // Icons the shell adds from now on never take the places of the program's
  // own four: an existing folder's (closed and open) and a new file type's.
  char folder[MAX_PATH] = {};
  ASSERT_GT(::GetTempPathA(sizeof folder, folder), 0u);
  int closedIcon = -1, openIcon = -1, typeIcon = -1;
  ASSERT_TRUE(GetShellIconIndex(nullptr, folder, &closedIcon, &openIcon));
  ASSERT_TRUE(GetShellIconIndexByName("x.zarn-new-type", &typeIcon, nullptr, kRowFile));
  for (int icon : {closedIcon, openIcon, typeIcon})
    EXPECT_TRUE(icon < g_siteImageBase - 4 || icon >= g_siteImageBase) << icon << " of " << g_siteImageBase;

  char buf[300];
  // An empty list answers nothing and ignores cache hints.
  NMLVDISPINFOA nm = Ask(List(), 0, 0, LVIF_TEXT | LVIF_IMAGE, buf, sizeof(buf));
  EXPECT_STREQ(buf, "");
  EXPECT_EQ(nm.item.iImage, -99);
  List().PrepareIcons(0, 50);

  CFileListItem* first = nullptr;
  for (int i = 97999; i >= 0; --i)
    first = Row(first, "file" + std::to_string(i) + ".txt", kRowFile, (int64_t)i * 1000003);
  for (int i = 1999; i >= 0; --i)
    first = Row(first, "dir" + std::to_string(i), kRowFolder, 0);
  List().FillFromChain(first, 100000);
  ASSERT_EQ(List().CListCtrl::GetItemCount(), 100000);
  EXPECT_EQ(List().m_folderCount, 2000);
  EXPECT_EQ(List().m_fileCount, 98000);

  int fileIcon = -1, folderIcon = -1;
  ASSERT_TRUE(GetShellIconIndexByName("x.txt", &fileIcon, nullptr, kRowFile));
  ASSERT_TRUE(GetShellIconIndexByName("x", &folderIcon, nullptr, kRowFolder));
  // The real control asks too: its own request for the last row.
  EXPECT_EQ(std::string(List().GetItemText(99999, 0)), "file97999.txt");
  EXPECT_EQ(std::string(List().GetItemText(99999, 2)), "97,999,293,997");  // 97999 * 1000003
  nm = Ask(List(), 0, 2, LVIF_TEXT, buf, sizeof(buf));
  EXPECT_STREQ(buf, "<DIR>");
  nm = Ask(List(), 5, 0, LVIF_TEXT | LVIF_IMAGE, buf, sizeof(buf));
  EXPECT_STREQ(buf, "dir1994");  // folders in front, last of the chain first
  EXPECT_EQ(nm.item.iImage, folderIcon);
  // A drag image asks for the image alone.
  nm = Ask(List(), 50000, 0, LVIF_IMAGE, nullptr, 0);
  EXPECT_EQ(nm.item.iImage, fileIcon);
  EXPECT_EQ(List().Row(50000)->m_icon, fileIcon);
  // Texts are cut to the request's buffer.
  nm = Ask(List(), 2001, 0, LVIF_TEXT, buf, 5);
  EXPECT_STREQ(buf, "file");
  nm = Ask(List(), 2001, 1, LVIF_TEXT, buf, sizeof(buf));
  EXPECT_STREQ(buf, "2026-01-12");  // file1: day 1000003 % 28 + 1
  // A row just deleted and rows outside the list get nothing.
  ASSERT_TRUE(List().DeleteItem(99999));
  for (int row : {99999, -1, 100000}) {
    nm = Ask(List(), row, 0, LVIF_TEXT | LVIF_IMAGE, buf, sizeof(buf));
    EXPECT_STREQ(buf, "") << row;
    EXPECT_EQ(nm.item.iImage, -99) << row;
  }
  // Scrolling to the end paints the last page from the rows.
  List().EnsureVisible(99998, FALSE);
  List().UpdateWindow();
  EXPECT_GE(List().GetTopIndex(), 99998 - List().GetCountPerPage());
}

TEST_F(FileList, HeaderClicksSortBothRunsAndDrawTheMark)
{
  Fill({"b.txt", "a.log", "c.txt"});
  CRect r;
  Header_GetItemRect(List().m_header.m_hWnd, 2, &r);
  List().m_header.ClientToScreen(&r);
  // First click: descending (the flag starts ascending and flips on every click).
  ASSERT_TRUE(wintest::ClickUntil(r.CenterPoint().x, r.CenterPoint().y, [&] { return List().GetSortColumn() == 2; }));
  EXPECT_FALSE(List().IsSortAscending());
  EXPECT_EQ(List().m_header.GetSortColumn(), 2);
  EXPECT_EQ(g_sortColumn, 2);
  EXPECT_EQ(std::string(List().GetItemText(10, 0)), "c.txt");
  EXPECT_EQ(std::string(List().GetItemText(12, 0)), "b.txt");
  for (int i = 0; i < 10; ++i)
    EXPECT_EQ(List().GetItemKind(i), kRowFolder);
  ASSERT_TRUE(wintest::ClickUntil(r.CenterPoint().x, r.CenterPoint().y, [&] { return List().IsSortAscending() == TRUE; }));
  EXPECT_EQ(std::string(List().GetItemText(10, 0)), "b.txt");
  EXPECT_EQ(std::string(List().GetItemText(0, 2)), "<DIR>");
  List().UpdateWindow();
  viewhost::Shot("views_filelist_sorted");
}

TEST_F(FileList, TypedCharactersFindTheNextRowAndWrap)
{
  Fill({"alpha", "beta", "bravo", "charlie"});
  const POINT p = RowPoint(11);  // "beta"
  ASSERT_TRUE(wintest::ClickUntil(p.x, p.y, [&] { return Selected(List()) == std::vector<int>{11}; }));
  // A key lost on the way (another window had the X focus) changes nothing: press it again.
  const auto keyUntil = [&](const std::string& keys, std::vector<int> want) {
    for (int attempt = 0; attempt < 3; ++attempt) {
      host.SetForegroundWindow();
      List().SetFocus();
      viewhost::Xdo(keys);
      if (PumpUntil([&] { return Selected(List()) == want; }, 5000))
        return true;
    }
    return false;
  };
  ASSERT_TRUE(keyUntil("key b", {12}));
  ASSERT_TRUE(keyUntil("key b", {11}));  // wraps past the end back to "beta"
  // No name begins with z: nothing changes, and the next key still starts from "beta".
  ASSERT_TRUE(keyUntil("key z key c", {13}));
}

TEST_F(FileList, MaskSelectTypedIntoTheDialog)
{
  Fill({"a.txt", "b.doc", "c.TXT", "d.txt.bak", "e.txt"});
  List().SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
  const auto run = [&](const std::string& typed, bool ok, const char* shot = nullptr) {
    bool seen = false;
    const std::string prompt = viewhost::DriveMaskSelect(List(), typed, ok, &seen, shot);
    EXPECT_TRUE(seen);
    return prompt;
  };

  // Cancel changes nothing.
  EXPECT_EQ(run("*.doc", false), "");
  EXPECT_EQ(Selected(List()), std::vector<int>{0});
  // Spaces around the mask are trimmed; exactly the three .txt rows.
  EXPECT_EQ(run("  *.txt  ", true, "views_mask_dialog"), "3 objects matching *.txt found!");
  EXPECT_EQ(Selected(List()), (std::vector<int>{10, 12, 14}));
  EXPECT_EQ(::GetFocus(), List().m_hWnd);
  List().UpdateWindow();
  viewhost::Shot("views_mask_selected");
  EXPECT_EQ(run("*.zip", true), "No objects matching *.zip found!");
  EXPECT_TRUE(Selected(List()).empty());
  // "*" selects every row without a box.
  EXPECT_EQ(run("*", true), "");
  EXPECT_EQ(Selected(List()).size(), 15u);
}

}  // namespace
