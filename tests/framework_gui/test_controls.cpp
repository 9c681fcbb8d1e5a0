// Control wrappers, reflection of notifications and colours, drawing objects,
// menus with owner-drawn items and tracking, image lists and the common dialogs.
#include "guitest.h"

#include "resids.h"

using guitest::PumpUntil;

namespace {

// A visible top-level window that hosts the controls under test and counts the
// notifications it gets itself.
class CHostWnd : public CWnd {
public:
  int m_nParentSelChanged = 0;
  int m_nParentColumnClicks = 0;
  COLORREF m_crPaint = RGB(10, 200, 30);
  BOOL Make() {
    return CreateEx(0, AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorA(nullptr, (LPCSTR)IDC_ARROW)), "host",
                    WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, 30, 30, 500, 400, nullptr, nullptr);
  }

protected:
  afx_msg void OnPaint() {
    CPaintDC dc(this);
    CRect rc;
    GetClientRect(&rc);
    dc.FillSolidRect(&rc, m_crPaint);
  }
  afx_msg void OnSelChanged(NMHDR*, LRESULT* pResult) {
    m_nParentSelChanged++;
    *pResult = 0;
  }
  afx_msg void OnColumnClick(NMHDR*, LRESULT* pResult) {
    m_nParentColumnClicks++;
    *pResult = 0;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CHostWnd, CWnd)
  ON_WM_PAINT()
  ON_NOTIFY(TVN_SELCHANGEDA, 100, OnSelChanged)
  ON_NOTIFY(LVN_COLUMNCLICK, 101, OnColumnClick)
END_MESSAGE_MAP()

// Handles its own selection change; the parent never sees it.
class CSelfTree : public CTreeCtrl {
public:
  int m_nSelChanged = 0;

protected:
  afx_msg void OnSelChanged(NMHDR*, LRESULT* pResult) {
    m_nSelChanged++;
    *pResult = 0;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CSelfTree, CTreeCtrl)
  ON_NOTIFY_REFLECT(TVN_SELCHANGEDA, OnSelChanged)
END_MESSAGE_MAP()

// Owner-drawn rows and a column click seen first by the list, then by the parent.
class CDrawnList : public CListCtrl {
public:
  int m_nDrawn = 0;
  int m_nColumnClicks = 0;
  void DrawItem(LPDRAWITEMSTRUCT lpdis) override {
    m_nDrawn++;
    CDC::FromHandle(lpdis->hDC)->FillSolidRect(&lpdis->rcItem, RGB(200, 0, 0));
  }

protected:
  afx_msg BOOL OnColumnClick(NMHDR*, LRESULT* pResult) {
    m_nColumnClicks++;
    *pResult = 0;
    return FALSE;  // the parent too
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDrawnList, CListCtrl)
  ON_NOTIFY_REFLECT_EX(LVN_COLUMNCLICK, OnColumnClick)
END_MESSAGE_MAP()

class CDrawnHeader : public CHeaderCtrl {
public:
  int m_nDrawn = 0;
  void DrawItem(LPDRAWITEMSTRUCT lpdis) override {
    m_nDrawn++;
    CDC::FromHandle(lpdis->hDC)->FillSolidRect(&lpdis->rcItem, RGB(0, 0, 200));
  }
};

// A static that picks its own colours (reflected WM_CTLCOLORSTATIC).
class CColourStatic : public CStatic {
public:
  CBrush m_brush{RGB(255, 255, 0)};
  int m_nCalls = 0;

protected:
  afx_msg HBRUSH CtlColor(CDC* pDC, UINT nCtlColor) {
    m_nCalls++;
    EXPECT_EQ((UINT)CTLCOLOR_STATIC, nCtlColor);
    pDC->SetBkColor(RGB(255, 255, 0));
    return m_brush;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CColourStatic, CStatic)
  ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

class COwnerMenu : public CMenu {
public:
  int m_nDrawn = 0;
  UINT m_nLastID = 0;
  void DrawItem(LPDRAWITEMSTRUCT lpdis) override {
    m_nDrawn++;
    m_nLastID = lpdis->itemID;
  }
};

COLORREF ScreenPixel(HWND hWnd, int x, int y) {
  HDC hdc = ::GetDC(hWnd);
  COLORREF c = ::GetPixel(hdc, x, y);
  ::ReleaseDC(hWnd, hdc);
  return c;
}

}  // namespace

TEST(Controls, TreeWithItemDataHitTestLabelEditDropHighlightAndReflection) {
  CHostWnd host;
  ASSERT_TRUE(host.Make());
  CSelfTree tree;
  ASSERT_TRUE(tree.Create(WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_EDITLABELS | TVS_SHOWSELALWAYS,
                          CRect(0, 0, 300, 300), &host, 100));
  HTREEITEM hRoot = tree.InsertItem("root");
  HTREEITEM hA = tree.InsertItem("a", hRoot);
  CString strLong('x', 1000);
  HTREEITEM hB = tree.InsertItem(strLong, 1, 2, hRoot);
  ASSERT_NE(nullptr, hB);
  tree.Expand(hRoot, TVE_EXPAND);
  // Item data holds a whole pointer.
  const DWORD_PTR data = (DWORD_PTR)&host;
  EXPECT_TRUE(tree.SetItemData(hA, data));
  EXPECT_EQ(data, tree.GetItemData(hA));
  EXPECT_STREQ(strLong, tree.GetItemText(hB));  // longer than any fixed buffer
  EXPECT_EQ(hRoot, tree.GetParentItem(hA));
  EXPECT_EQ(hB, tree.GetNextSiblingItem(hA));
  EXPECT_TRUE(tree.ItemHasChildren(hRoot));
  EXPECT_EQ(3u, tree.GetCount());

  CRect rc;
  ASSERT_TRUE(tree.GetItemRect(hA, &rc, TRUE));
  UINT uFlags = 0;
  EXPECT_EQ(hA, tree.HitTest(rc.CenterPoint(), &uFlags));
  EXPECT_TRUE(uFlags & TVHT_ONITEM);
  EXPECT_EQ(nullptr, tree.HitTest(CPoint(5, 290), &uFlags));

  EXPECT_TRUE(tree.SelectDropTarget(hA));
  EXPECT_EQ(hA, tree.GetDropHilightItem());
  EXPECT_TRUE(tree.GetItemState(hA, TVIS_DROPHILITED) & TVIS_DROPHILITED);
  EXPECT_TRUE(tree.SelectDropTarget(nullptr));
  EXPECT_EQ(nullptr, tree.GetDropHilightItem());
  EXPECT_FALSE(tree.GetItemState(hA, TVIS_DROPHILITED) & TVIS_DROPHILITED);
  EXPECT_TRUE(tree.SelectDropTarget(hB));  // moving on clears the old one
  EXPECT_FALSE(tree.GetItemState(hA, TVIS_DROPHILITED) & TVIS_DROPHILITED);
  EXPECT_EQ(hB, tree.GetDropHilightItem());
  tree.SelectDropTarget(nullptr);

  // Selection: the tree's own reflected handler takes it, the parent does not see it.
  tree.SelectItem(hA);
  EXPECT_EQ(hA, tree.GetSelectedItem());
  EXPECT_EQ(1, tree.m_nSelChanged);
  EXPECT_EQ(0, host.m_nParentSelChanged);

  tree.SetFocus();
  CEdit* pEdit = tree.EditLabel(hA);
  ASSERT_NE(nullptr, pEdit);
  EXPECT_EQ(pEdit->m_hWnd, tree.GetEditControl()->m_hWnd);
  tree.SendMessage(TVM_ENDEDITLABELNOW, TRUE);

  CImageList* pDrag = tree.CreateDragImage(hA);
  delete pDrag;  // may be null without an image list; never leaks
  tree.DeleteAllItems();
  EXPECT_EQ(0u, tree.GetCount());
  host.DestroyWindow();
  EXPECT_EQ(nullptr, tree.m_hWnd);
}

TEST(Controls, ReportListOwnerDrawnRowsHeaderAndSelection) {
  CHostWnd host;
  ASSERT_TRUE(host.Make());
  CDrawnList list;
  ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDRAWFIXED | LVS_SHOWSELALWAYS,
                          CRect(0, 0, 400, 300), &host, 101));
  EXPECT_EQ(0, list.InsertColumn(0, "Name", LVCFMT_LEFT, 150));
  EXPECT_EQ(1, list.InsertColumn(1, "Size", LVCFMT_RIGHT, 80));
  for (int i = 0; i < 5; i++) {
    CString s;
    s.Format("row %d", i);
    EXPECT_EQ(i, list.InsertItem(i, s));
    list.SetItemText(i, 1, "12");
    list.SetItemData(i, (DWORD_PTR)(1000 + i));
  }
  EXPECT_EQ(5, list.GetItemCount());
  EXPECT_STREQ("row 3", list.GetItemText(3, 0));
  EXPECT_STREQ("12", list.GetItemText(3, 1));
  EXPECT_EQ((DWORD_PTR)1004, list.GetItemData(4));
  list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
  list.SetItemState(3, LVIS_SELECTED, LVIS_SELECTED);
  std::vector<int> sel;
  for (POSITION pos = list.GetFirstSelectedItemPosition(); pos != nullptr;)
    sel.push_back(list.GetNextSelectedItem(pos));
  EXPECT_EQ((std::vector<int>{1, 3}), sel);
  EXPECT_EQ(2u, list.GetSelectedCount());
  list.SetItemState(-1, 0, LVIS_SELECTED);
  EXPECT_EQ(nullptr, list.GetFirstSelectedItemPosition());

  // The header, bound to an object of our own, draws its owner-drawn item.
  CDrawnHeader header;
  CHeaderCtrl* pHeader = list.GetHeaderCtrl();
  ASSERT_NE(nullptr, pHeader);
  ASSERT_TRUE(header.SubclassWindow(pHeader->m_hWnd));
  EXPECT_EQ(2, header.GetItemCount());
  HDITEMA hdi = {};
  hdi.mask = HDI_FORMAT;
  header.GetItem(0, &hdi);
  hdi.fmt |= HDF_OWNERDRAW;
  header.SetItem(0, &hdi);
  host.Invalidate();
  host.UpdateWindow();
  list.RedrawWindow();
  header.RedrawWindow();
  EXPECT_TRUE(PumpUntil([&] { return list.m_nDrawn >= 5 && header.m_nDrawn > 0; }, 5000));

  // A column click: the list's handler declines, the parent gets it too.
  NMLISTVIEW nm = {};
  nm.hdr.hwndFrom = list.m_hWnd;
  nm.hdr.idFrom = 101;
  nm.hdr.code = LVN_COLUMNCLICK;
  nm.iSubItem = 1;
  host.SendMessage(WM_NOTIFY, 101, (LPARAM)&nm);
  EXPECT_EQ(1, list.m_nColumnClicks);
  EXPECT_EQ(1, host.m_nParentColumnClicks);

  header.UnsubclassWindow();
  host.DestroyWindow();
}

TEST(Controls, TabSpinToolTipStaticColoursAndProgress) {
  CHostWnd host;
  ASSERT_TRUE(host.Make());
  CTabCtrl tab;
  ASSERT_TRUE(tab.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 300, 100), &host, 102));
  EXPECT_EQ(0, tab.InsertItem(0, "General"));
  EXPECT_EQ(1, tab.InsertItem(1, "Option"));
  EXPECT_EQ(2, tab.InsertItem(2, "Advanced"));
  EXPECT_EQ(3, tab.GetItemCount());
  tab.SetCurSel(1);
  EXPECT_EQ(1, tab.GetCurSel());
  CRect rcPage;
  tab.GetClientRect(&rcPage);
  tab.AdjustRect(FALSE, &rcPage);
  EXPECT_GT(rcPage.top, 0);

  CEdit buddy;
  ASSERT_TRUE(buddy.Create(WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(0, 110, 60, 130), &host, 103));
  CSpinButtonCtrl spin;
  ASSERT_TRUE(spin.Create(WS_CHILD | WS_VISIBLE | UDS_SETBUDDYINT | UDS_ALIGNRIGHT, CRect(0, 0, 0, 0), &host, 104));
  spin.SetBuddy(&buddy);
  spin.SetRange32(1, 99);
  spin.SetPos(5);
  EXPECT_EQ(5, spin.GetPos32());
  EXPECT_STREQ("5", guitest::Text(buddy.m_hWnd));
  int lo = 0, hi = 0;
  spin.GetRange32(lo, hi);
  EXPECT_EQ(1, lo);
  EXPECT_EQ(99, hi);

  CToolTipCtrl tip;
  ASSERT_TRUE(tip.Create(&host));
  EXPECT_TRUE(tip.AddTool(&buddy, "a tip"));
  EXPECT_EQ(1, tip.GetToolCount());
  tip.DelTool(&buddy);
  EXPECT_EQ(0, tip.GetToolCount());

  CColourStatic label;
  ASSERT_TRUE(label.Create("coloured", WS_CHILD | WS_VISIBLE, CRect(100, 110, 250, 140), &host, 105));
  label.RedrawWindow();
  EXPECT_TRUE(PumpUntil([&] { return label.m_nCalls > 0; }, 5000));
  EXPECT_EQ(RGB(255, 255, 0), ScreenPixel(label.m_hWnd, 140, 25));

  CProgressCtrl progress;
  ASSERT_TRUE(progress.Create(WS_CHILD | WS_VISIBLE, CRect(0, 150, 200, 170), &host, 106));
  progress.SetRange(1, 99);
  progress.SetStep(1);
  progress.SetPos(10);
  progress.StepIt();
  EXPECT_EQ(11, progress.GetPos());

  CComboBox combo;
  ASSERT_TRUE(combo.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST, CRect(0, 180, 200, 300), &host, 107));
  combo.AddString("Ask");
  combo.AddString("Auto Overwrite");
  EXPECT_EQ(2, combo.GetCount());
  combo.SetCurSel(1);
  CString s;
  combo.GetLBText(combo.GetCurSel(), s);
  EXPECT_STREQ("Auto Overwrite", s);
  host.DestroyWindow();
}

TEST(Controls, ImageListsSystemListAndDragImage) {
  CImageList list;
  ASSERT_TRUE(list.Create(16, 16, ILC_COLOR24 | ILC_MASK, 0, 4));
  HICON hIcon = ::LoadIconA(nullptr, (LPCSTR)IDI_APPLICATION);
  EXPECT_EQ(0, list.Add(hIcon));
  EXPECT_EQ(1, list.Add(hIcon));
  EXPECT_EQ(2, list.GetImageCount());
  EXPECT_FALSE(list.Create(16, 16, ILC_COLOR24, 0, 1));  // one list per object

  CDC dc;
  ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
  CBitmap bmp;
  CClientDC screen(nullptr);
  ASSERT_TRUE(bmp.CreateCompatibleBitmap(&screen, 32, 32));
  CBitmap* pOld = dc.SelectObject(&bmp);
  EXPECT_TRUE(list.Draw(&dc, 0, CPoint(0, 0), ILD_NORMAL));
  dc.SelectObject(pOld);

  EXPECT_TRUE(list.BeginDrag(0, CPoint(8, 8)));
  CImageList::EndDrag();

  // The shell's list is shared: the object never destroys it.
  HIMAGELIST hSystem = nullptr;
  {
    CImageList system;
    ASSERT_TRUE(system.AttachSystemImageList(TRUE));
    hSystem = system.m_hImageList;
    EXPECT_GT(system.GetImageCount(), 0);
  }
  EXPECT_GT(ImageList_GetImageCount(hSystem), 0);

  HIMAGELIST h = list.Detach();
  EXPECT_EQ(nullptr, list.m_hImageList);
  EXPECT_TRUE(ImageList_Destroy(h));
}

TEST(Menus, LoadSubMenusOwnerDrawTrackingAndAttach) {
  CMenu menu;
  ASSERT_TRUE(menu.LoadMenu(IDR_TESTFRAME));
  EXPECT_FALSE(menu.LoadMenu(IDR_TESTFRAME));  // one menu per object
  EXPECT_EQ(2u, menu.GetMenuItemCount());
  CMenu* pFile = menu.GetSubMenu(0);
  ASSERT_NE(nullptr, pFile);
  EXPECT_EQ((UINT)ID_FILE_NEW, pFile->GetMenuItemID(0));
  CString s;
  pFile->GetMenuString(ID_TEST_DOC, s, MF_BYCOMMAND);
  EXPECT_STREQ("&Document command\tCtrl+D", s);
  CMenu empty;
  EXPECT_FALSE(empty.LoadMenu(9876));

  // An owner-drawn item: the menu object bound to the pop-up draws it.
  COwnerMenu owner;
  ASSERT_TRUE(owner.Attach(pFile->m_hMenu));
  EXPECT_EQ(&owner, CMenu::FromHandlePermanent(pFile->m_hMenu));
  EXPECT_TRUE(owner.ModifyMenu(ID_TEST_DOC, MF_BYCOMMAND | MF_OWNERDRAW, ID_TEST_DOC, nullptr));
  CHostWnd host;
  ASSERT_TRUE(host.Make());
  DRAWITEMSTRUCT dis = {};
  dis.CtlType = ODT_MENU;
  dis.itemID = ID_TEST_DOC;
  dis.hwndItem = (HWND)owner.m_hMenu;
  dis.hDC = ::GetDC(host.m_hWnd);
  EXPECT_TRUE(host.SendMessage(WM_DRAWITEM, 0, (LPARAM)&dis));
  ::ReleaseDC(host.m_hWnd, dis.hDC);
  EXPECT_EQ(1, owner.m_nDrawn);
  EXPECT_EQ((UINT)ID_TEST_DOC, owner.m_nLastID);
  EXPECT_EQ(pFile->m_hMenu, owner.Detach());
  EXPECT_EQ(nullptr, CMenu::FromHandlePermanent(pFile->m_hMenu));

  // Tracking a pop-up: the user picks the second item with the keyboard.
  CMenu ctx;
  ASSERT_TRUE(ctx.LoadMenu(IDR_CONTEXT));
  CMenu* pPopup = ctx.GetSubMenu(0);
  host.SetForegroundWindow();
  static DWORD s_dwThread;
  s_dwThread = ::GetCurrentThreadId();
  UINT_PTR idTimer = ::SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR id, DWORD) {
    std::vector<HWND> menus = guitest::ThreadWindows(s_dwThread, "#32768");
    for (HWND h : menus) {
      if (!::IsWindowVisible(h))
        continue;
      ::KillTimer(nullptr, id);
      guitest::PostKey(h, VK_DOWN);
      guitest::PostKey(h, VK_DOWN);
      guitest::PostKey(h, VK_RETURN);
      return;
    }
  });
  UINT nChosen = (UINT)pPopup->TrackPopupMenu(TPM_RETURNCMD | TPM_LEFTALIGN | TPM_NONOTIFY, 100, 100, &host);
  ::KillTimer(nullptr, idTimer);
  EXPECT_EQ((UINT)ID_CTX_TWO, nChosen);
  host.DestroyWindow();

  HMENU hLoaded = menu.m_hMenu;
  EXPECT_TRUE(menu.DestroyMenu());
  EXPECT_FALSE(::IsMenu(hLoaded));
}

TEST(Gdi, DeviceContextsObjectsAndRegions) {
  CClientDC screen(nullptr);
  CDC mem;
  ASSERT_TRUE(mem.CreateCompatibleDC(&screen));
  CBitmap bmp;
  ASSERT_TRUE(bmp.CreateCompatibleBitmap(&screen, 40, 30));
  EXPECT_EQ(CSize(40, 30), bmp.GetSize());
  CBitmap* pOldBmp = mem.SelectObject(&bmp);
  ASSERT_NE(nullptr, pOldBmp);
  mem.FillSolidRect(0, 0, 40, 30, RGB(255, 0, 0));
  EXPECT_EQ(RGB(255, 0, 0), mem.GetPixel(5, 5));
  mem.Draw3dRect(0, 0, 40, 30, RGB(0, 255, 0), RGB(0, 0, 255));
  EXPECT_EQ(RGB(0, 255, 0), mem.GetPixel(0, 0));
  EXPECT_EQ(RGB(0, 0, 255), mem.GetPixel(39, 29));

  CPen pen(PS_SOLID, 1, RGB(0, 0, 0));
  CBrush brush(RGB(1, 2, 3));
  CPen* pOldPen = mem.SelectObject(&pen);
  CBrush* pOldBrush = mem.SelectObject(&brush);
  mem.Rectangle(10, 10, 20, 20);
  EXPECT_EQ(RGB(1, 2, 3), mem.GetPixel(15, 15));
  EXPECT_EQ(RGB(0, 0, 0), mem.GetPixel(10, 15));
  EXPECT_EQ(pen.m_hObject, mem.SelectObject(pOldPen)->m_hObject);
  EXPECT_EQ(brush.m_hObject, mem.SelectObject(pOldBrush)->m_hObject);
  mem.SelectObject(pOldBmp);

  CFont font;
  ASSERT_TRUE(font.CreatePointFont(90, "Arial"));
  LOGFONTA lf = {};
  ASSERT_TRUE(font.GetLogFont(&lf));
  EXPECT_LT(lf.lfHeight, 0);
  CFont* pOldFont = mem.SelectObject(&font);
  EXPECT_GT(mem.GetTextExtent("Hello").cx, 0);
  mem.SelectObject(pOldFont);

  CRgn a, b, both;
  ASSERT_TRUE(a.CreateRectRgn(0, 0, 10, 10));
  ASSERT_TRUE(b.CreateRectRgn(20, 0, 30, 10));
  ASSERT_TRUE(both.CreateRectRgn(0, 0, 0, 0));
  EXPECT_EQ(COMPLEXREGION, both.CombineRgn(&a, &b, RGN_OR));
  EXPECT_TRUE(both.PtInRegion(25, 5));
  EXPECT_FALSE(both.PtInRegion(15, 5));
  CRect box;
  both.GetRgnBox(&box);
  EXPECT_EQ(CRect(0, 0, 30, 10), box);

  // Stock and system objects are never deleted through the wrapper.
  CBrush sys;
  ASSERT_TRUE(sys.CreateSysColorBrush(COLOR_BTNFACE));
  HGDIOBJ hSys = sys.m_hObject;
  sys.DeleteObject();
  EXPECT_EQ(hSys, (HGDIOBJ)::GetSysColorBrush(COLOR_BTNFACE));
  EXPECT_EQ((DWORD)OBJ_BRUSH, ::GetObjectType(hSys));

  // A window really paints: its client area shows the colour it filled.
  CHostWnd host;
  ASSERT_TRUE(host.Make());
  host.UpdateWindow();
  EXPECT_TRUE(PumpUntil([&] { return ScreenPixel(host.m_hWnd, 50, 50) == host.m_crPaint; }, 5000));
  host.DestroyWindow();
}

TEST(CommonDialogs, FileDialogFiltersSelectionsAndCancel) {
  CFileDialog dlg(TRUE, "pln", nullptr, OFN_HIDEREADONLY | OFN_ALLOWMULTISELECT,
                  "Plan Files(*.pln)|*.pln|All Files(*.*)|*.*||");
  const char* p = dlg.m_ofn.lpstrFilter;
  ASSERT_NE(nullptr, p);
  EXPECT_STREQ("Plan Files(*.pln)", p);
  p += strlen(p) + 1;
  EXPECT_STREQ("*.pln", p);
  p += strlen(p) + 1;
  EXPECT_STREQ("All Files(*.*)", p);
  p += strlen(p) + 1;
  EXPECT_STREQ("*.*", p);
  p += strlen(p) + 1;
  EXPECT_EQ('\0', *p);
  EXPECT_STREQ("pln", dlg.m_ofn.lpstrDefExt);

  // A multiple selection comes as the folder and the names.
  const char multi[] = "C:\\dir\0a.txt\0b.txt\0";
  memcpy(dlg.m_ofn.lpstrFile, multi, sizeof multi);
  POSITION pos = dlg.GetStartPosition();
  EXPECT_STREQ("C:\\dir\\a.txt", dlg.GetNextPathName(pos));
  ASSERT_NE(nullptr, pos);
  EXPECT_STREQ("C:\\dir\\b.txt", dlg.GetNextPathName(pos));
  EXPECT_EQ(nullptr, pos);
  const char single[] = "C:\\dir\\plan.pln\0";
  memcpy(dlg.m_ofn.lpstrFile, single, sizeof single);
  EXPECT_STREQ("C:\\dir\\plan.pln", dlg.GetPathName());
  EXPECT_STREQ("plan.pln", dlg.GetFileName());
  EXPECT_STREQ("pln", dlg.GetFileExt());
  EXPECT_STREQ("plan", dlg.GetFileTitle());

  // Shown and cancelled by the user.
  CFileDialog save(FALSE, "txt", "record.txt", OFN_OVERWRITEPROMPT, "Text (*.txt)|*.txt||");
  static DWORD s_dwThread;
  s_dwThread = ::GetCurrentThreadId();
  UINT_PTR idTimer = ::SetTimer(nullptr, 0, 300, [](HWND, UINT, UINT_PTR id, DWORD) {
    for (HWND h : guitest::ThreadWindows(s_dwThread, "#32770")) {
      if (::IsWindowVisible(h)) {
        ::KillTimer(nullptr, id);
        ::PostMessageA(h, WM_COMMAND, IDCANCEL, 0);
        return;
      }
    }
  });
  EXPECT_EQ(IDCANCEL, save.DoModal());
  ::KillTimer(nullptr, idTimer);
}
