// Links the visual half of the framework into a 32-bit GUI program.
#include "framework/afxwin.h"

#include "resids.h"

namespace {

class CCheckDoc : public CDocument {
  DECLARE_DYNCREATE(CCheckDoc)
};
IMPLEMENT_DYNCREATE(CCheckDoc, CDocument)

class CCheckView : public CListView {
  DECLARE_DYNCREATE(CCheckView)
protected:
  afx_msg void OnGetDispInfo(NMHDR*, LRESULT* pResult) { *pResult = 0; }
  DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CCheckView, CListView)
BEGIN_MESSAGE_MAP(CCheckView, CListView)
  ON_NOTIFY_REFLECT(LVN_GETDISPINFOA, OnGetDispInfo)
END_MESSAGE_MAP()

class CCheckFrame : public CFrameWnd {
  DECLARE_DYNCREATE(CCheckFrame)
protected:
  CSplitterWnd m_split;
  BOOL OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext) override {
    return m_split.CreateStatic(this, 1, 2) &&
           m_split.CreateView(0, 0, RUNTIME_CLASS(CTreeView), CSize(100, 100), pContext) &&
           m_split.CreateView(0, 1, RUNTIME_CLASS(CCheckView), CSize(100, 100), pContext);
  }
  CReBar m_wndReBar;
  CToolBar m_wndToolBar;
  CStatusBar m_wndStatusBar;
  // The bars: a toolbar in a rebar, a status bar, docking, floating, the saved layout.
  afx_msg int OnCreate(LPCREATESTRUCT lpcs) {
    if (CFrameWnd::OnCreate(lpcs) == -1)
      return -1;
    static const UINT ids[] = {ID_TEST_CHECK, 0};
    if (!m_wndToolBar.CreateEx(this) || !m_wndReBar.Create(this) || !m_wndReBar.AddBar(&m_wndToolBar) ||
        !m_wndStatusBar.Create(this))
      return -1;
    m_wndToolBar.LoadToolBar(IDR_TESTFRAME);  // no toolbar resource here: the bar stays empty
    m_wndStatusBar.SetIndicators(ids, 2);
    m_wndStatusBar.SetPaneText(0, m_wndStatusBar.GetTextWidth("x") > 0 ? "x" : "");
    EnableDocking(CBRS_ALIGN_ANY);
    m_wndToolBar.EnableDocking(CBRS_ALIGN_ANY);
    DockControlBar(&m_wndToolBar, AFX_IDW_DOCKBAR_LEFT);
    FloatControlBar(&m_wndToolBar, CPoint(10, 10));
    m_wndToolBar.GetDockContext()->ToggleDocking();
    ShowControlBar(&m_wndToolBar, TRUE, FALSE);
    if (VerifyBarState("ZARN_Bar"))
      LoadBarState("ZARN_Bar");
    SaveBarState("ZARN_Bar");
    return 0;
  }
  afx_msg void OnUpdate(CCmdUI* pCmdUI) { pCmdUI->Enable(FALSE); }
  afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT n) { return CFrameWnd::OnCtlColor(pDC, pWnd, n); }
  afx_msg void OnTimer(UINT_PTR) { PostMessage(WM_CLOSE); }
  DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CCheckFrame, CFrameWnd)
BEGIN_MESSAGE_MAP(CCheckFrame, CFrameWnd)
  ON_WM_CREATE()
  ON_UPDATE_COMMAND_UI(ID_TEST_CHECK, OnUpdate)
  ON_WM_CTLCOLOR()
  ON_WM_TIMER()
END_MESSAGE_MAP()

class CCheckDlg : public CDialog {
public:
  CCheckDlg() : CDialog(IDD_DATA) {}
  CString m_str;
  int m_n = 0;
  UINT m_u = 0;
  int m_nCheck = 0;
  int m_nCombo = 0;
  CComboBox m_combo;

protected:
  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Control(pDX, IDC_COMBO, m_combo);
    DDX_Text(pDX, IDC_NAME, m_str);
    DDX_Text(pDX, IDC_COUNT, m_n);
    DDX_Text(pDX, IDC_UCOUNT, m_u);
    DDX_Check(pDX, IDC_FLAG, m_nCheck);
    DDX_CBIndex(pDX, IDC_COMBO, m_nCombo);
  }
  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    EndDialog(IDOK);
    return TRUE;
  }
};

// Drag and drop: a view's drag functions, a target subclass, a data source.
class CCheckDropView : public CView {
public:
  COleDropTarget m_target;
  DROPEFFECT OnDragOver(COleDataObject* p, DWORD, CPoint) override {
    return p->IsDataAvailable(CF_TEXT) ? DROPEFFECT_COPY : DROPEFFECT_NONE;
  }
  BOOL OnDrop(COleDataObject* p, DROPEFFECT, CPoint) override { return p->GetGlobalData(CF_TEXT) != nullptr; }
};

class CCheckDropTarget : public COleDropTarget {
public:
  DROPEFFECT OnDragOver(CWnd* pWnd, COleDataObject* p, DWORD k, CPoint pt) override {
    COleDropInfo info(p, k, DROPEFFECT_NONE, DROPEFFECT_NONE, pt);
    return (DROPEFFECT)pWnd->SendMessage(WM_APP, (WPARAM)&info);
  }
};

void CheckDragDrop(CWnd* pWnd) {
  CCheckDropTarget target;
  if (target.Register(pWnd)) {
    COleDataSource source;
    source.CacheGlobalData(CF_TEXT, ::GlobalAlloc(GMEM_MOVEABLE, 4));
    source.DoDragDrop(DROPEFFECT_COPY);
    target.Revoke();
  }
  CCheckDropView* pView = new CCheckDropView;
  if (pView->Create(nullptr, nullptr, WS_CHILD, CRect(0, 0, 1, 1), pWnd, 9))
    pView->m_target.Register(pView);
}

class CCheckApp : public CWinApp {
public:
  BOOL InitInstance() override {
    AfxEnableControlContainer();
    AfxOleInit();
    SetRegistryKey("ZarnLinkCheck");
    LoadStdProfileSettings(4);
    CCommandLineInfo cmdInfo;
    ParseCommandLine(cmdInfo);
    AddDocTemplate(new CSingleDocTemplate(IDR_TESTFRAME, RUNTIME_CLASS(CCheckDoc), RUNTIME_CLASS(CCheckFrame),
                                          RUNTIME_CLASS(CTreeView)));
    if (!ProcessShellCommand(cmdInfo))
      return FALSE;
    CCheckDlg dlg;
    dlg.DoModal();
    CFileDialog fd(TRUE, nullptr, nullptr, 0, "All (*.*)|*.*||");
    CImageList il;
    il.AttachSystemImageList(TRUE);
    CString s;
    AfxBrowseForFolder(nullptr, "x", s);
    LPBYTE p = nullptr;
    UINT n = 0;
    if (GetProfileBinary("s", "e", &p, &n))
      delete[] p;
    CheckDragDrop(m_pMainWnd);
    m_pMainWnd->SetTimer(1, 100, nullptr);
    return TRUE;
  }
};

CCheckApp theApp;

}  // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow) {
  return AfxWinMain(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
}
