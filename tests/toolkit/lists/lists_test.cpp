#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "tests/toolkit/wintest.h"
#include "toolkit/headerlayout.h"
#include "toolkit/sortlist.h"

CWinApp theApp("toolkit_lists");

namespace {

constexpr UINT kListId = 1074;
const char kEntry[] = "1074";

// A derived list as the program's lists are: it saves its layout when destroyed.
class CTestList : public CSortListCtrl {
protected:
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CTestList, CSortListCtrl)
  ON_WM_DESTROY()
END_MESSAGE_MAP()

// The list's owner sorts by the clicked column: 2 ascending, others descending.
class COwner : public CWnd {
public:
  CTestList list;
  std::vector<int> clicks;

  BOOL Make(const char* spec) {
    LPCTSTR cls = AfxRegisterWndClass(0, ::LoadCursorA(nullptr, (LPCSTR)IDC_ARROW), (HBRUSH)(COLOR_WINDOW + 1));
    if (!CreateEx(WS_EX_TOPMOST, cls, "lists", WS_POPUP | WS_VISIBLE, 40, 40, 520, 200, nullptr, nullptr))
      return FALSE;
    if (!list.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT, CRect(10, 10, 510, 190), this, kListId))
      return FALSE;
    list.SubclassHeader();
    if (!list.SetColumns(spec))
      return FALSE;
    list.InsertItem(0, "row");
    list.LoadLayout();
    return TRUE;
  }
  std::vector<int> Widths() const {
    std::vector<int> w;
    for (int i = 0; i < list.m_header.GetItemCount(); i++)
      w.push_back(list.GetColumnWidth(i));
    return w;
  }

protected:
  void OnColumnClick(NMHDR* pNMHDR, LRESULT* pResult) {
    const int column = reinterpret_cast<NMLISTVIEW*>(pNMHDR)->iSubItem;
    clicks.push_back(column);
    list.SetSortColumn(column, column == 2);
    *pResult = 0;
  }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(COwner, CWnd)
  ON_NOTIFY(LVN_COLUMNCLICK, kListId, OnColumnClick)
END_MESSAGE_MAP()

class ListTest : public ::testing::Test {
protected:
  void SetUp() override {
    guitest::BecomeGuiThread();
    AfxGetApp()->SetRegistryKey("ZarnToolkitTest");
    AfxGetApp()->WriteProfileString(kListLayoutSection, nullptr, nullptr);
  }
  void TearDown() override { AfxGetApp()->WriteProfileString(kListLayoutSection, nullptr, nullptr); }
};

TEST_F(ListTest, LayoutIsSavedOnDestroyAndLoadsOnlyIntoTheSameColumnCount) {
  {
    COwner four;
    ASSERT_TRUE(four.Make("A,50;B,60;C,70;D,80"));
    EXPECT_EQ(four.Widths(), (std::vector<int>{50, 60, 70, 80}));
    const int widths[4] = {11, 22, 33, 44};
    for (int i = 0; i < 4; i++)
      four.list.SetColumnWidth(i, widths[i]);
    four.DestroyWindow();
  }
  LPBYTE data = nullptr;
  UINT size = 0;
  ASSERT_TRUE(AfxGetApp()->GetProfileBinary(kListLayoutSection, kEntry, &data, &size));
  EXPECT_EQ(std::vector<BYTE>(data, data + size), HeaderLayoutBytes({11, 22, 33, 44}));
  delete[] data;

  {
    COwner five;  // its object goes first: destroyed unsaved, the 4-column value stays
    ASSERT_TRUE(five.Make("A,50;B,60;C,70;D,80;E,90"));
    EXPECT_EQ(five.Widths(), (std::vector<int>{50, 60, 70, 80, 90})) << "a 4-column layout is ignored";
  }
  {
    COwner again;
    ASSERT_TRUE(again.Make("A,50;B,60;C,70;D,80"));
    EXPECT_EQ(again.Widths(), (std::vector<int>{11, 22, 33, 44}));
  }
  std::vector<BYTE> shortValue = HeaderLayoutBytes({1, 2, 3, 4});
  ASSERT_TRUE(AfxGetApp()->WriteProfileBinary(kListLayoutSection, kEntry, shortValue.data(), 18));
  COwner truncated;
  ASSERT_TRUE(truncated.Make("A,50;B,60;C,70;D,80"));
  EXPECT_EQ(truncated.Widths(), (std::vector<int>{50, 60, 70, 80})) << "a short value changes nothing";
}

// Pixels of the mark's colours in the box the mark may take at the right of item i.
struct MarkPixels {
  int light = 0, shadow = 0, shadowOnTopRow = 0;
};
MarkPixels CountMark(CSortHeaderCtrl& header, int i) {
  CRect r;
  header.GetItemRect(i, &r);
  const int o = r.Height() / 4;
  const COLORREF light = ::GetSysColor(COLOR_3DHILIGHT), shadow = ::GetSysColor(COLOR_3DSHADOW);
  MarkPixels n;
  HDC dc = ::GetDC(header.m_hWnd);
  for (int y = o - 1; y <= r.bottom - o; y++) {
    for (int x = r.right - 3 * o - 2; x <= r.right - o; x++) {
      const COLORREF c = ::GetPixel(dc, x, y);
      n.light += c == light;
      n.shadow += c == shadow;
      n.shadowOnTopRow += c == shadow && y == o;
    }
  }
  ::ReleaseDC(header.m_hWnd, dc);
  return n;
}

TEST_F(ListTest, ClickedHeadersLeaveTheDownMarkInColumnZeroOnly) {
  COwner owner;
  ASSERT_TRUE(owner.Make("Name,120;Date,100;Size,100;Attribute,100"));
  CSortHeaderCtrl& header = owner.list.m_header;
  ASSERT_NE(header.m_hWnd, nullptr);
  ::SetForegroundWindow(owner.m_hWnd);
  ASSERT_TRUE(wintest::PumpUntil([&] { return ::IsWindowVisible(header.m_hWnd) != FALSE; }));

  auto clickHeader = [&](int column, size_t clicksAfter) {
    CRect r;
    header.GetItemRect(column, &r);
    POINT p = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ::ClientToScreen(header.m_hWnd, &p);
    return wintest::ClickUntil(p.x, p.y, [&] { return owner.clicks.size() >= clicksAfter; });
  };
  ASSERT_TRUE(clickHeader(2, 1));
  ASSERT_TRUE(clickHeader(0, 2));
  EXPECT_EQ(owner.clicks, (std::vector<int>{2, 0}));
  EXPECT_EQ(header.GetSortColumn(), 0);
  EXPECT_FALSE(header.IsSortAscending());

  HDITEMA item = {};
  item.mask = HDI_FORMAT;
  ASSERT_TRUE(header.GetItem(2, &item));
  EXPECT_TRUE(item.fmt & HDF_OWNERDRAW) << "a column once marked stays owner-drawn";

  header.RedrawWindow();
  const MarkPixels marked = CountMark(header, 0), unmarked = CountMark(header, 2);
  EXPECT_GT(marked.light, 0);
  EXPECT_GT(marked.shadowOnTopRow, 3) << "a down mark has its flat side on top";
  EXPECT_EQ(unmarked.light + unmarked.shadow, 0);
  wintest::Shot("toolkit_list_sortmark");
}

}  // namespace
