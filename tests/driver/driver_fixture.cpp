// A window whose controls hold known texts, for the driver's own test
// (tests/e2e/driver_test.sh): a list view of 150 rows in 3 columns, more
// than one batch of the driver's reads, one row named in GBK; a tree of 3
// levels and 91 items; an edit box. It ends when it is closed.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>

namespace {

constexpr int kListId = 101;
constexpr int kTreeId = 102;
constexpr int kEditId = 103;

LRESULT CALLBACK FixtureProc(HWND w, UINT msg, WPARAM wp, LPARAM lp)
{
  if (msg == WM_DESTROY) {
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcA(w, msg, wp, lp);
}

void FillList(HWND list)
{
  const char* heads[] = {"Name", "Size", "Note"};
  for (int c = 0; c < 3; ++c) {
    LVCOLUMNA col = {};
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.cx = 120;
    col.pszText = const_cast<char*>(heads[c]);
    ::SendMessageA(list, LVM_INSERTCOLUMNA, c, (LPARAM)&col);
  }
  for (int r = 0; r < 150; ++r) {
    char text[64];
    // Row 77 is named in code page 936 (two Chinese characters, .txt).
    if (r == 77)
      std::snprintf(text, sizeof text, "\xd6\xd0\xce\xc4.txt");
    else
      std::snprintf(text, sizeof text, "row %03d", r);
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = r;
    item.pszText = text;
    ::SendMessageA(list, LVM_INSERTITEMA, 0, (LPARAM)&item);
    for (int c = 1; c < 3; ++c) {
      // Column 2 of every tenth row stays empty.
      if (c == 2 && r % 10 == 0)
        continue;
      std::snprintf(text, sizeof text, c == 1 ? "%d" : "note %d.%d", c == 1 ? r * 1000 : r, c);
      item.iSubItem = c;
      item.pszText = text;
      ::SendMessageA(list, LVM_SETITEMTEXTA, r, (LPARAM)&item);
    }
  }
}

HTREEITEM AddNode(HWND tree, HTREEITEM parent, const char* text)
{
  TVINSERTSTRUCTA ins = {};
  ins.hParent = parent;
  ins.hInsertAfter = TVI_LAST;
  ins.item.mask = TVIF_TEXT;
  ins.item.pszText = const_cast<char*>(text);
  return (HTREEITEM)::SendMessageA(tree, TVM_INSERTITEMA, 0, (LPARAM)&ins);
}

void FillTree(HWND tree)
{
  HTREEITEM root = AddNode(tree, TVI_ROOT, "root");
  char text[32];
  for (int a = 0; a < 10; ++a) {
    std::snprintf(text, sizeof text, "branch %d", a);
    HTREEITEM branch = AddNode(tree, root, text);
    for (int b = 0; b < 8; ++b) {
      std::snprintf(text, sizeof text, "leaf %d.%d", a, b);
      AddNode(tree, branch, text);
    }
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR, int show)
{
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES};
  ::InitCommonControlsEx(&icc);
  WNDCLASSA wc = {};
  wc.lpfnWndProc = &FixtureProc;
  wc.hInstance = inst;
  wc.hCursor = ::LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
  wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
  wc.lpszClassName = "ZarnDriverFixture";
  ::RegisterClassA(&wc);
  HWND top = ::CreateWindowA("ZarnDriverFixture", "zarn driver fixture", WS_OVERLAPPEDWINDOW, 20, 20, 700, 500,
                             nullptr, nullptr, inst, nullptr);
  HWND list = ::CreateWindowA(WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 400, 400, top,
                              (HMENU)(INT_PTR)kListId, inst, nullptr);
  HWND tree = ::CreateWindowA(WC_TREEVIEWA, "", WS_CHILD | WS_VISIBLE | TVS_HASLINES, 400, 0, 280, 400, top,
                              (HMENU)(INT_PTR)kTreeId, inst, nullptr);
  ::CreateWindowA("EDIT", "fixture text", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, 410, 400, 24, top,
                  (HMENU)(INT_PTR)kEditId, inst, nullptr);
  FillList(list);
  FillTree(tree);
  ::ShowWindow(top, show);
  ::UpdateWindow(top);
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  return 0;
}
