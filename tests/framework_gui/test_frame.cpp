// A single-document application: frame with menu and accelerators, a splitter
// with a tree view and an owner-data list view of 100,000 rows, command routing
// to view, document, frame and application, update handlers of the menu bar.
#include "guitest.h"

#include "resids.h"

using guitest::PumpUntil;

namespace {

int g_nDocs = 0;   // documents alive
int g_nViews = 0;  // views alive
int g_nDocCommands = 0;
int g_nViewCommands = 0;
int g_nFrameCommands = 0;

class CTestDoc : public CDocument {
  DECLARE_DYNCREATE(CTestDoc)
public:
  CTestDoc() { g_nDocs++; }
  ~CTestDoc() override { g_nDocs--; }
  int m_nNewCalls = 0;
  BOOL OnNewDocument() override {
    if (!CDocument::OnNewDocument())
      return FALSE;
    m_nNewCalls++;
    return TRUE;
  }

protected:
  afx_msg void OnDocCommand() { g_nDocCommands++; }
  afx_msg void OnUpdateRadio(CCmdUI* pCmdUI) { pCmdUI->SetRadio(TRUE); }
  DECLARE_MESSAGE_MAP()
};

IMPLEMENT_DYNCREATE(CTestDoc, CDocument)

BEGIN_MESSAGE_MAP(CTestDoc, CDocument)
  ON_COMMAND(ID_TEST_DOC, OnDocCommand)
  ON_COMMAND(ID_TEST_VIEW, OnDocCommand)  // the view's handler comes first
  ON_UPDATE_COMMAND_UI(ID_TEST_RADIO, OnUpdateRadio)
END_MESSAGE_MAP()

class CTestTreeView : public CTreeView {
  DECLARE_DYNCREATE(CTestTreeView)
public:
  CTestTreeView() { g_nViews++; }
  ~CTestTreeView() override { g_nViews--; }
  HTREEITEM m_hRoot = nullptr;
  BOOL PreCreateWindow(CREATESTRUCT& cs) override {
    cs.style |= TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS;
    return CTreeView::PreCreateWindow(cs);
  }
  void OnInitialUpdate() override {
    CTreeView::OnInitialUpdate();
    CTreeCtrl& tree = GetTreeCtrl();
    m_hRoot = tree.InsertItem("FTP Server");
    for (int i = 0; i < 5; i++) {
      CString s;
      s.Format("site %d", i);
      HTREEITEM h = tree.InsertItem(s, m_hRoot);
      tree.SetItemData(h, (DWORD_PTR)i);
    }
    tree.Expand(m_hRoot, TVE_EXPAND);
  }

protected:
  afx_msg void OnViewCommand() { g_nViewCommands++; }
  DECLARE_MESSAGE_MAP()
};

IMPLEMENT_DYNCREATE(CTestTreeView, CTreeView)

BEGIN_MESSAGE_MAP(CTestTreeView, CTreeView)
  ON_COMMAND(ID_TEST_VIEW, OnViewCommand)
END_MESSAGE_MAP()

class CTestListView : public CListView {
  DECLARE_DYNCREATE(CTestListView)
public:
  CTestListView() { g_nViews++; }
  ~CTestListView() override { g_nViews--; }
  int m_nDispInfo = 0;
  int m_nLastRow = -1;
  BOOL PreCreateWindow(CREATESTRUCT& cs) override {
    cs.style |= LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS;
    return CListView::PreCreateWindow(cs);
  }
  void OnInitialUpdate() override {
    CListView::OnInitialUpdate();
    CListCtrl& list = GetListCtrl();
    list.InsertColumn(0, "Name", LVCFMT_LEFT, 150);
    list.InsertColumn(1, "Size", LVCFMT_RIGHT, 80);
    list.SetItemCount(100000);
  }

protected:
  afx_msg void OnGetDispInfo(NMHDR* pNMHDR, LRESULT* pResult) {
    NMLVDISPINFOA* p = reinterpret_cast<NMLVDISPINFOA*>(pNMHDR);
    m_nDispInfo++;
    m_nLastRow = p->item.iItem;
    if (p->item.mask & LVIF_TEXT) {
      if (p->item.iSubItem == 0)
        std::snprintf(p->item.pszText, p->item.cchTextMax, "Row %d", p->item.iItem);
      else
        std::snprintf(p->item.pszText, p->item.cchTextMax, "%d", p->item.iItem * 10);
    }
    *pResult = 0;
  }
  DECLARE_MESSAGE_MAP()
};

IMPLEMENT_DYNCREATE(CTestListView, CListView)

BEGIN_MESSAGE_MAP(CTestListView, CListView)
  ON_NOTIFY_REFLECT(LVN_GETDISPINFOA, OnGetDispInfo)
END_MESSAGE_MAP()

class CTestFrame : public CFrameWnd {
  DECLARE_DYNCREATE(CTestFrame)
public:
  CSplitterWnd m_split;
  int m_nInitMenuPopups = 0;
  UINT m_uCheckStateSeen = 0;
  UINT m_uNoHandlerStateSeen = 0;
  UINT m_uDocStateSeen = 0;
  UINT m_uRadioStateSeen = 0;
  UINT m_uExitStateSeen = 0;

protected:
  BOOL OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext) override {
    if (!m_split.CreateStatic(this, 1, 2))
      return FALSE;
    if (!m_split.CreateView(0, 0, RUNTIME_CLASS(CTestTreeView), CSize(150, 100), pContext) ||
        !m_split.CreateView(0, 1, RUNTIME_CLASS(CTestListView), CSize(100, 100), pContext))
      return FALSE;
    return TRUE;
  }
  afx_msg void OnUpdateCheck(CCmdUI* pCmdUI) {
    pCmdUI->Enable(FALSE);
    pCmdUI->SetCheck(1);
  }
  afx_msg void OnFrameCommand() { g_nFrameCommands++; }
  afx_msg void OnInitMenuPopup(CMenu* pPopup, UINT nIndex, BOOL bSysMenu) {
    CFrameWnd::OnInitMenuPopup(pPopup, nIndex, bSysMenu);
    if (bSysMenu)
      return;
    m_nInitMenuPopups++;
    if (pPopup->GetMenuState(ID_TEST_CHECK, MF_BYCOMMAND) != (UINT)-1) {
      m_uCheckStateSeen = pPopup->GetMenuState(ID_TEST_CHECK, MF_BYCOMMAND);
      m_uNoHandlerStateSeen = pPopup->GetMenuState(ID_TEST_NOHANDLER, MF_BYCOMMAND);
      m_uDocStateSeen = pPopup->GetMenuState(ID_TEST_DOC, MF_BYCOMMAND);
      m_uRadioStateSeen = pPopup->GetMenuState(ID_TEST_RADIO, MF_BYCOMMAND);
      m_uExitStateSeen = pPopup->GetMenuState(ID_APP_EXIT, MF_BYCOMMAND);
    }
  }
  DECLARE_MESSAGE_MAP()
};

IMPLEMENT_DYNCREATE(CTestFrame, CFrameWnd)

BEGIN_MESSAGE_MAP(CTestFrame, CFrameWnd)
  ON_UPDATE_COMMAND_UI(ID_TEST_CHECK, OnUpdateCheck)
  ON_COMMAND(ID_TEST_DOC, OnFrameCommand)  // the document's handler comes first
  ON_WM_INITMENUPOPUP()
END_MESSAGE_MAP()

int CountThreadWindows() {
  return (int)guitest::ThreadWindows(::GetCurrentThreadId()).size();
}

int CountChildren(HWND hWnd) {
  int n = 0;
  for (HWND h = ::GetWindow(hWnd, GW_CHILD); h != nullptr; h = ::GetWindow(h, GW_HWNDNEXT))
    n += 1 + CountChildren(h);
  return n;
}

}  // namespace

TEST(Frame, SingleDocumentAppWithSplitterTreeAndOwnerDataList) {
  guitest::BecomeGuiThread();
  CWinApp* pApp = AfxGetApp();
  ASSERT_EQ(0, pApp->GetDocTemplateCount());
  pApp->AddDocTemplate(new CSingleDocTemplate(IDR_TESTFRAME, RUNTIME_CLASS(CTestDoc), RUNTIME_CLASS(CTestFrame),
                                              RUNTIME_CLASS(CTestTreeView)));
  const int nWindowsBefore = CountThreadWindows();

  // A plain start is "new document": the frame, its views and the document.
  CCommandLineInfo cmdInfo;
  char szEmpty[] = "";
  pApp->m_lpCmdLine = szEmpty;
  pApp->ParseCommandLine(cmdInfo);
  EXPECT_EQ(CCommandLineInfo::FileNew, cmdInfo.m_nShellCommand);
  EXPECT_TRUE(cmdInfo.m_bShowSplash);
  pApp->m_nCmdShow = SW_SHOWNORMAL;
  ASSERT_TRUE(pApp->ProcessShellCommand(cmdInfo));
  CTestFrame* pFrame = DYNAMIC_DOWNCAST(CTestFrame, pApp->m_pMainWnd);
  ASSERT_NE(nullptr, pFrame);
  EXPECT_EQ(1, g_nDocs);
  EXPECT_EQ(2, g_nViews);
  EXPECT_TRUE(pFrame->IsWindowVisible());
  EXPECT_STREQ("TestDoc - Frame Test", guitest::Text(pFrame->m_hWnd));
  EXPECT_NE(nullptr, ::GetMenu(pFrame->m_hWnd));
  EXPECT_EQ(::GetMenu(pFrame->m_hWnd), pFrame->m_hMenuDefault);
  EXPECT_NE(nullptr, pFrame->m_hAccelTable);

  // The panes carry their ids; the first is the active view.
  CWnd* pTreeWnd = pFrame->m_split.GetPane(0, 0);
  CWnd* pListWnd = pFrame->m_split.GetPane(0, 1);
  CTestTreeView* pTree = DYNAMIC_DOWNCAST(CTestTreeView, pTreeWnd);
  CTestListView* pList = DYNAMIC_DOWNCAST(CTestListView, pListWnd);
  ASSERT_NE(nullptr, pTree);
  ASSERT_NE(nullptr, pList);
  EXPECT_EQ(AFX_IDW_PANE_FIRST, pTree->GetDlgCtrlID());
  EXPECT_EQ(AFX_IDW_PANE_FIRST + 1, pList->GetDlgCtrlID());
  EXPECT_EQ(pTree, pFrame->GetActiveView());
  CTestDoc* pDoc = DYNAMIC_DOWNCAST(CTestDoc, pFrame->GetActiveDocument());
  ASSERT_NE(nullptr, pDoc);
  EXPECT_EQ(1, pDoc->m_nNewCalls);
  EXPECT_EQ(pDoc, pList->GetDocument());
  EXPECT_EQ(6u, pTree->GetTreeCtrl().GetCount());
  EXPECT_STREQ("FTP Server", pTree->GetTreeCtrl().GetItemText(pTree->m_hRoot));

  // The owner-data list answers display requests for any of its 100,000 rows.
  CListCtrl& list = pList->GetListCtrl();
  EXPECT_EQ(100000, list.GetItemCount());
  ASSERT_TRUE(PumpUntil([&] { return pList->m_nDispInfo > 0; }, 10000));
  EXPECT_STREQ("Row 99999", list.GetItemText(99999, 0));
  EXPECT_STREQ("999990", list.GetItemText(99999, 1));
  list.EnsureVisible(99999, FALSE);
  pList->UpdateWindow();
  EXPECT_TRUE(PumpUntil([&] { return pList->m_nLastRow > 99900; }, 5000));

  // Splitter: the first column's width, then the user drags the bar 100 to the right.
  int cxCur = 0, cxMin = 0;
  pFrame->m_split.GetColumnInfo(0, cxCur, cxMin);
  EXPECT_EQ(150, cxCur);
  CRect rcTree;
  pTree->GetWindowRect(&rcTree);
  pFrame->m_split.ScreenToClient(&rcTree);
  int xBar = cxCur + 3;  // inside the bar right of column 0
  pFrame->m_split.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(xBar, 40));
  pFrame->m_split.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(xBar + 60, 40));
  pFrame->m_split.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(xBar + 100, 40));
  pFrame->m_split.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(xBar + 100, 40));
  pFrame->m_split.GetColumnInfo(0, cxCur, cxMin);
  EXPECT_EQ(250, cxCur);
  CRect rcTreeAfter;
  pTree->GetWindowRect(&rcTreeAfter);
  EXPECT_EQ(rcTree.Width() + 100, rcTreeAfter.Width());

  // Clicking into the list makes it the active view.
  list.SendMessage(WM_MOUSEACTIVATE, (WPARAM)pFrame->m_hWnd, MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
  EXPECT_EQ(pList, pFrame->GetActiveView());
  pFrame->SetActiveView(pTree);

  // Commands: the view's handler first, the document's when the view has none,
  // the application's last.
  pFrame->SendMessage(WM_COMMAND, ID_TEST_VIEW, 0);
  EXPECT_EQ(1, g_nViewCommands);
  EXPECT_EQ(0, g_nDocCommands);
  pFrame->SendMessage(WM_COMMAND, ID_TEST_DOC, 0);
  EXPECT_EQ(1, g_nDocCommands);
  EXPECT_EQ(0, g_nFrameCommands);

  // The menu bar's update handlers run before the pop-up opens.
  static CTestFrame* s_pFrame;
  s_pFrame = pFrame;
  UINT_PTR idTimer = ::SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR id, DWORD) {
    if (s_pFrame->m_nInitMenuPopups > 0) {
      ::KillTimer(nullptr, id);
      ::EndMenu();
    }
  });
  pFrame->SetForegroundWindow();
  pFrame->PostMessage(WM_SYSCOMMAND, SC_KEYMENU, 'f');
  EXPECT_TRUE(PumpUntil([&] { return pFrame->m_nInitMenuPopups > 0; }, 10000));
  PumpUntil([] { return false; }, 300);
  ::KillTimer(nullptr, idTimer);
  EXPECT_TRUE(pFrame->m_uCheckStateSeen & MF_GRAYED);
  EXPECT_TRUE(pFrame->m_uCheckStateSeen & MF_CHECKED);
  EXPECT_TRUE(pFrame->m_uNoHandlerStateSeen & MF_GRAYED);  // no one handles it
  EXPECT_FALSE(pFrame->m_uDocStateSeen & MF_GRAYED);      // the document does
  EXPECT_TRUE(pFrame->m_uRadioStateSeen & MF_CHECKED);     // by the document's update handler
  EXPECT_FALSE(pFrame->m_uExitStateSeen & MF_GRAYED);      // the application's

  // A context menu's items, updated on request the same way.
  CMenu ctx;
  ASSERT_TRUE(ctx.LoadMenu(IDR_CONTEXT));
  CMenu* pPopup = ctx.GetSubMenu(0);
  ASSERT_NE(nullptr, pPopup);
  pFrame->UpdatePopupMenu(pPopup, TRUE);
  EXPECT_TRUE(pPopup->GetMenuState(ID_CTX_ONE, MF_BYCOMMAND) & MF_GRAYED);

  // The accelerator table turns Ctrl+D into the document's command.
  MSG msg = {pTree->m_hWnd, WM_KEYDOWN, 'D', 0x00200001, 0, {0, 0}};
  BYTE keys[256];
  ::GetKeyboardState(keys);
  BYTE keysCtrl[256];
  memcpy(keysCtrl, keys, sizeof keys);
  keysCtrl[VK_CONTROL] = 0x80;
  ::SetKeyboardState(keysCtrl);
  BOOL bTranslated = AfxPreTranslateMessage(&msg);
  ::SetKeyboardState(keys);
  EXPECT_TRUE(bTranslated);
  EXPECT_TRUE(PumpUntil([] { return g_nDocCommands == 2; }, 5000));

  // Idle processing reaches the frame and its children.
  EXPECT_TRUE(pApp->OnIdle(0));
  EXPECT_FALSE(pApp->OnIdle(1));

  // Closing: the frame, its views and the document all go; no window is left.
  HWND hFrame = pFrame->m_hWnd;
  int nChildren = CountChildren(hFrame);
  EXPECT_GE(nChildren, 4);  // splitter, two views, the list's header
  pFrame->SendMessage(WM_CLOSE);
  EXPECT_FALSE(::IsWindow(hFrame));
  EXPECT_EQ(nullptr, pApp->m_pMainWnd);
  EXPECT_EQ(0, g_nDocs);
  EXPECT_EQ(0, g_nViews);
  MSG quit;
  EXPECT_TRUE(::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));  // the main window's end
  EXPECT_EQ(nWindowsBefore, CountThreadWindows());
}

namespace {
class CNumberDoc : public CDocument {
public:
  int m_n = 0;
  CString m_str;
  void Serialize(CArchive& ar) override {
    if (ar.IsStoring())
      ar << m_n << m_str;
    else
      ar >> m_n >> m_str;
  }
};
}  // namespace

TEST(Frame, DocumentSavesAndOpensThroughItsSerialize) {
  char szDir[MAX_PATH] = "";
  ::GetTempPathA(MAX_PATH, szDir);
  CString strPath = CString(szDir) + "zarn_fwgui_doc.tfd";
  ::DeleteFileA(strPath);
  CNumberDoc doc;
  doc.m_bAutoDelete = FALSE;
  doc.m_n = 1234567;
  doc.m_str = "saved text";
  doc.SetModifiedFlag(TRUE);
  ASSERT_TRUE(doc.OnSaveDocument(strPath));
  EXPECT_FALSE(doc.IsModified());
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(strPath + ".tmp"));  // nothing left behind

  CNumberDoc loaded;
  loaded.m_bAutoDelete = FALSE;
  ASSERT_TRUE(loaded.OnOpenDocument(strPath));
  EXPECT_EQ(1234567, loaded.m_n);
  EXPECT_STREQ("saved text", loaded.m_str);
  EXPECT_FALSE(loaded.IsModified());
  loaded.SetPathName(strPath, FALSE);
  EXPECT_STREQ("zarn_fwgui_doc.tfd", loaded.GetTitle());
  ::DeleteFileA(strPath);
}

namespace {
// What a later control bar does: takes its room from the top of the frame.
class CBarStub : public CWnd {
public:
  int m_nSizeParent = 0;

protected:
  afx_msg LRESULT OnSizeParent(WPARAM, LPARAM lParam) {
    m_nSizeParent++;
    AFX_SIZEPARENTPARAMS* p = reinterpret_cast<AFX_SIZEPARENTPARAMS*>(lParam);
    CRect rc(p->rect.left, p->rect.top, p->rect.right, p->rect.top + 25);
    p->rect.top += 25;
    if (p->hDWP != nullptr)
      p->hDWP = ::DeferWindowPos(p->hDWP, m_hWnd, nullptr, rc.left, rc.top, rc.Width(), rc.Height(),
                                 SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBarStub, CWnd)
  ON_MESSAGE(WM_SIZEPARENT, OnSizeParent)
END_MESSAGE_MAP()
}  // namespace

TEST(Frame, BarsTakeTheirRoomAndAReplacedMenuStaysWithItsObject) {
  CWinApp* pApp = AfxGetApp();
  ASSERT_EQ(1, pApp->GetDocTemplateCount());
  ASSERT_NE(nullptr, pApp->OpenDocumentFile(nullptr));
  CFrameWnd* pFrame = DYNAMIC_DOWNCAST(CFrameWnd, pApp->m_pMainWnd);
  ASSERT_NE(nullptr, pFrame);

  // A bar at the top: the layout leaves its room, the splitter fills the rest.
  CBarStub bar;
  ASSERT_TRUE(bar.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 10, 10), pFrame, AFX_IDW_TOOLBAR));
  pFrame->RecalcLayout();
  EXPECT_GT(bar.m_nSizeParent, 0);
  CWnd* pPane = pFrame->GetDescendantWindow(AFX_IDW_PANE_FIRST, TRUE);
  ASSERT_NE(nullptr, pPane);
  CWnd* pSplitter = CWnd::FromHandlePermanent(::GetDlgItem(pFrame->m_hWnd, AFX_IDW_PANE_FIRST));
  ASSERT_NE(nullptr, pSplitter);
  CRect rcClient, rcSplit, rcBar;
  pFrame->GetClientRect(&rcClient);
  pSplitter->GetWindowRect(&rcSplit);
  pFrame->ScreenToClient(&rcSplit);
  bar.GetWindowRect(&rcBar);
  pFrame->ScreenToClient(&rcBar);
  EXPECT_EQ(25, rcSplit.top);
  EXPECT_EQ(rcClient.bottom, rcSplit.bottom);
  EXPECT_EQ(CRect(0, 0, rcClient.right, 25), rcBar);

  // The active view of a frame in front has the focus.
  CView* pView = pFrame->GetActiveView();
  ASSERT_NE(nullptr, pView);
  pFrame->SetForegroundWindow();
  EXPECT_TRUE(PumpUntil([&] { return ::GetFocus() == pView->m_hWnd; }, 5000));

  // The program's own menu object replaces the frame's menu.
  CMenu* pOwn = new CMenu;
  ASSERT_TRUE(pOwn->LoadMenu(IDR_TESTFRAME));
  HMENU hOld = ::GetMenu(pFrame->m_hWnd);
  pFrame->SetMenu(pOwn);
  ::DestroyMenu(hOld);
  pFrame->m_hMenuDefault = pOwn->m_hMenu;
  HWND hFrame = pFrame->m_hWnd;
  pFrame->SendMessage(WM_CLOSE);
  EXPECT_FALSE(::IsWindow(hFrame));
  EXPECT_TRUE(::IsMenu(pOwn->m_hMenu));  // still the object's
  HMENU hOwn = pOwn->m_hMenu;
  delete pOwn;
  EXPECT_FALSE(::IsMenu(hOwn));
  EXPECT_EQ(0, g_nDocs);
  MSG quit;
  ::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}
