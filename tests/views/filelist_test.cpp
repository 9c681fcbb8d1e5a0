// The file list in the view host under Xvfb: display requests over 100,000
// rows, header clicks, type-ahead typed on the keyboard and Mask Select typed
// into its dialog, as a user meets them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/shellseam.h"
#include "tests/views/viewhost.h"
#include "toolkit/dib32.h"
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

// A 32-bit top-down section of w x h in a memory DC of its own.
struct Section {
  Section(int w, int h) : width(w)
  {
    dc = ::CreateCompatibleDC(nullptr);
    bitmap = CreateDib32(dc, w, h, &bits);
    old = ::SelectObject(dc, bitmap);
  }
  ~Section()
  {
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
  }
  DWORD At(int x, int y) const { return bits[(size_t)y * (size_t)width + (size_t)x] & 0xFFFFFF; }
  int width;
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ old;
  DWORD* bits;
};

// Rows the list draws plainly get their icons from the list's strip after the
// list has drawn the row; they must look as the image list draws them over
// the list's colour. Selected rows the list still draws (blended its own
// way); they, and rows marked cut or drop-highlighted, must show an icon
// too, and every name starts where the selected row's does. Checked on a
// scrolled list in the default and in a coloured background, painted into a
// bitmap, and saved from the screen.
TEST_F(FileList, PaintedIconsLookAsTheImageListDrawsThem)
{
  std::vector<std::string> names;
  for (int i = 0; i < 150; ++i)
    names.push_back("f" + std::to_string(i) + (i % 3 == 0 ? ".txt" : i % 3 == 1 ? ".log" : ".dat"));
  Fill(names);
  List().EnsureVisible(130, FALSE);
  List().UpdateWindow();
  const int top = List().GetTopIndex();
  ASSERT_GT(top, 0);
  List().SetItemState(top + 1, LVIS_SELECTED, LVIS_SELECTED);
  List().SetItemState(top + 2, LVIS_CUT, LVIS_CUT);
  List().SetItemState(top + 3, LVIS_DROPHILITED, LVIS_DROPHILITED);
  HIMAGELIST images = ListView_GetImageList(List().m_hWnd, LVSIL_SMALL);
  int cx = 0, cy = 0;
  ASSERT_TRUE(ImageList_GetIconSize(images, &cx, &cy));
  CRect client;
  List().GetClientRect(&client);

  for (const COLORREF back : {(COLORREF)RGB(255, 255, 255), (COLORREF)RGB(255, 236, 160)}) {
    SCOPED_TRACE(back);
    List().SetBkColor(back);
    List().SendMessage(LVM_SETTEXTBKCOLOR, 0, (LPARAM)back);
    Section painted(client.Width(), client.Height());
    ASSERT_NE(painted.bits, nullptr);
    List().SendMessage(WM_PRINTCLIENT, (WPARAM)painted.dc, PRF_CLIENT | PRF_ERASEBKGND);
    ::GdiFlush();
    const DWORD backPixel = (DWORD)GetRValue(back) << 16 | (DWORD)GetGValue(back) << 8 | GetBValue(back);
    for (int row = top; row < top + 6; ++row) {
      SCOPED_TRACE(row - top);
      const int icon = Ask(List(), row, 0, LVIF_IMAGE, nullptr, 0).item.iImage;
      ASSERT_GE(icon, 0);
      RECT at = {LVIR_ICON, 0, 0, 0};
      ASSERT_TRUE(List().SendMessage(LVM_GETITEMRECT, row, (LPARAM)&at));
      // The image list's own drawing over the list's colour.
      Section want(cx, cy);
      for (int i = 0; i < cx * cy; ++i)
        want.bits[i] = backPixel;
      ImageList_Draw(images, icon, want.dc, 0, 0, ILD_TRANSPARENT);
      ::GdiFlush();
      int differs = 0, shown = 0;
      for (int y = 0; y < cy; ++y) {
        for (int x = 0; x < cx; ++x) {
          const DWORD got = painted.At(at.left + x, at.top + y);
          const DWORD expect = want.At(x, y);
          if (got != backPixel)
            ++shown;
          for (int shift = 0; shift < 24; shift += 8)
            if (std::abs((int)((got >> shift) & 0xFF) - (int)((expect >> shift) & 0xFF)) > 2) {
              ++differs;
              break;
            }
        }
      }
      EXPECT_GT(shown, cx * cy / 8) << "no icon drawn";
      const bool plain = row == top || row > top + 3;
      if (plain)
        EXPECT_EQ(differs, 0);
    }
    // The names start where the selected row's (drawn by the list with its
    // icon) does: the first dark column of each name.
    const auto firstInk = [&](int row) {
      RECT label = {LVIR_LABEL, 0, 0, 0};
      List().SendMessage(LVM_GETITEMRECT, row, (LPARAM)&label);
      for (int x = label.left; x < label.right; ++x)
        for (int y = label.top; y < label.bottom; ++y)
          if ((painted.At(x, y) & 0x808080) == 0)
            return x;
      return -1;
    };
    ASSERT_GT(firstInk(top + 1), 0);
    EXPECT_EQ(firstInk(top + 4), firstInk(top + 1));
    EXPECT_EQ(firstInk(top + 5), firstInk(top + 1));
    // The real window, scrolled back and forth, as a user sees it.
    List().EnsureVisible(0, FALSE);
    List().UpdateWindow();
    List().EnsureVisible(130, FALSE);
    List().RedrawWindow();
    List().UpdateWindow();
    viewhost::Shot(back == RGB(255, 255, 255) ? "views_filelist_icons" : "views_filelist_icons_coloured");
  }
  // Asked outside a paint, the rows give their icons.
  EXPECT_GE(Ask(List(), top + 4, 0, LVIF_IMAGE, nullptr, 0).item.iImage, 0);

  // A name column narrower than an icon: the next column looks as it does
  // with an empty image list of the same size (rows as high, no icons).
  RECT icon = {LVIR_ICON, 0, 0, 0};
  ASSERT_TRUE(List().SendMessage(LVM_GETITEMRECT, top + 4, (LPARAM)&icon));
  List().SetColumnWidth(0, icon.left + cx / 2);
  const int edge = icon.left + cx / 2;
  Section withIcons(client.Width(), client.Height());
  List().SendMessage(WM_PRINTCLIENT, (WPARAM)withIcons.dc, PRF_CLIENT | PRF_ERASEBKGND);
  HIMAGELIST empty = ImageList_Create(cx, cy, ILC_COLOR32 | ILC_MASK, 0, 1);
  ListView_SetImageList(List().m_hWnd, empty, LVSIL_SMALL);
  Section without(client.Width(), client.Height());
  List().SendMessage(WM_PRINTCLIENT, (WPARAM)without.dc, PRF_CLIENT | PRF_ERASEBKGND);
  List().SetImageList(&g_smallImageList, LVSIL_SMALL);
  ImageList_Destroy(empty);
  ::GdiFlush();
  int spilt = 0;
  for (int y = icon.top; y < icon.top + cy; ++y)
    for (int x = edge; x < icon.left + cx; ++x)
      spilt += withIcons.At(x, y) != without.At(x, y);
  EXPECT_EQ(spilt, 0);
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
