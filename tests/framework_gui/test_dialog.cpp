// Dialogs: modal on the GUI thread and on a worker thread, modeless with
// keyboard navigation, templates by module, data exchange and its failures,
// notification reflection to the control classes.
#include "guitest.h"

#include <functional>

#include "resids.h"

using guitest::PumpUntil;
using guitest::Text;

extern "C" __declspec(dllimport) BOOL GuiDllDialogCaption(char* pszCaption, int nMax);
extern "C" __declspec(dllimport) INT_PTR GuiDllModalExeOnly();

namespace {

class COwnerButton : public CButton {
public:
  int m_nDraws = 0;
  void DrawItem(LPDRAWITEMSTRUCT lpdis) override {
    m_nDraws++;
    CDC* pDC = CDC::FromHandle(lpdis->hDC);
    pDC->FillSolidRect(&lpdis->rcItem, RGB(0, 128, 0));
  }
};

// An edit that counts its own changes and lets the parent see them too.
class CCountingEdit : public CEdit {
public:
  int m_nChanges = 0;

protected:
  afx_msg BOOL OnChange() {
    m_nChanges++;
    return FALSE;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CCountingEdit, CEdit)
  ON_CONTROL_REFLECT_EX(EN_CHANGE, OnChange)
END_MESSAGE_MAP()

class CDataDlg : public CDialog {
public:
  explicit CDataDlg(CWnd* pParent = nullptr) : CDialog(IDD_DATA, pParent) {}

  CString m_strName = "initial";
  int m_nCount = 5;
  UINT m_uCount = 7;
  int m_nFlag = 1;
  int m_nCombo = 1;
  int m_nRadio = 1;
  CComboBox m_combo;
  CProgressCtrl m_progress;
  COwnerButton m_btn;
  CCountingEdit m_edit;
  int m_nParentChanges = 0;
  int m_nInitCalls = 0;
  int m_nEndInInit = 0;  // nonzero: OnInitDialog ends the dialog with it
  BOOL m_bOwnerEnabledInInit = TRUE;
  HWND m_hOwnerInInit = nullptr;

protected:
  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Control(pDX, IDC_COMBO, m_combo);
    DDX_Control(pDX, IDC_PROGRESS, m_progress);
    DDX_Control(pDX, IDC_OWNERBTN, m_btn);
    DDX_Control(pDX, IDC_NAME, m_edit);
    DDX_Text(pDX, IDC_NAME, m_strName);
    DDX_Text(pDX, IDC_COUNT, m_nCount);
    DDX_Text(pDX, IDC_UCOUNT, m_uCount);
    DDX_Check(pDX, IDC_FLAG, m_nFlag);
    DDX_CBIndex(pDX, IDC_COMBO, m_nCombo);
    DDX_Radio(pDX, IDC_RADIO1, m_nRadio);
  }
  BOOL OnInitDialog() override {
    m_nInitCalls++;
    for (const char* psz : {"zero", "one", "two"})
      SendDlgItemMessage(IDC_COMBO, CB_ADDSTRING, 0, (LPARAM)psz);
    CDialog::OnInitDialog();
    m_hOwnerInInit = ::GetWindow(m_hWnd, GW_OWNER);
    m_bOwnerEnabledInInit = m_hOwnerInInit ? ::IsWindowEnabled(m_hOwnerInInit) : TRUE;
    m_progress.SetRange32(0, 200);
    m_progress.SetPos(50);
    if (m_nEndInInit != 0)
      EndDialog(m_nEndInInit);
    return TRUE;
  }
  afx_msg void OnNameChange() { m_nParentChanges++; }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDataDlg, CDialog)
  ON_EN_CHANGE(IDC_NAME, OnNameChange)
END_MESSAGE_MAP()

// A visible top-level window on the calling thread, standing in for a main frame.
class COwnerWnd : public CWnd {
public:
  BOOL Make(const char* pszTitle) {
    return CreateEx(0, nullptr, pszTitle, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 400, 300, nullptr, nullptr);
  }
};

// The message box the thread shows over its dialog, or null.
HWND FindBox(DWORD dwThreadId, HWND hDlg) {
  for (HWND h : guitest::ThreadWindows(dwThreadId, "#32770"))
    if (h != hDlg && ::IsWindowVisible(h))
      return h;
  return nullptr;
}

CString BoxText(HWND hBox) {
  CString all;
  for (HWND h = ::GetWindow(hBox, GW_CHILD); h != nullptr; h = ::GetWindow(h, GW_HWNDNEXT))
    all += Text(h) + "|";
  return all;
}

struct WorkerModal {
  CDataDlg* pDlg;
  INT_PTR nResult;
};

UINT __cdecl RunModalOnWorker(LPVOID p) {
  WorkerModal* w = static_cast<WorkerModal*>(p);
  w->nResult = w->pDlg->DoModal();
  return 0;
}

// Sends OK and answers the validation box that must come; returns the box's texts.
CString OkExpectingComplaint(CDataDlg& dlg, DWORD dwThreadId) {
  ::PostMessageA(dlg.m_hWnd, WM_COMMAND, IDOK, 0);
  HWND hBox = nullptr;
  EXPECT_TRUE(PumpUntil([&] { return (hBox = FindBox(dwThreadId, dlg.m_hWnd)) != nullptr; }));
  if (hBox == nullptr)
    return CString();
  CString s = BoxText(hBox);
  ::PostMessageA(hBox, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(hBox); }));
  return s;
}

}  // namespace

TEST(Dialog, ModalOnWorkerThreadOwnedByMainWindowExchangesData) {
  COwnerWnd owner;
  ASSERT_TRUE(owner.Make("main window"));
  CWinApp* pApp = AfxGetApp();
  ASSERT_NE(nullptr, pApp);
  pApp->m_pMainWnd = &owner;

  CDataDlg dlg;  // no parent: the application's main window owns it
  WorkerModal w = {&dlg, -100};
  CWinThread* pThread = AfxBeginThread(RunModalOnWorker, &w, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
  ASSERT_NE(nullptr, pThread);
  pThread->m_bAutoDelete = FALSE;
  pThread->ResumeThread();
  const DWORD tid = pThread->m_nThreadID;

  ASSERT_TRUE(PumpUntil([&] { return dlg.m_hWnd != nullptr && ::IsWindowVisible(dlg.m_hWnd); }));
  HWND hDlg = dlg.m_hWnd;
  EXPECT_EQ(owner.m_hWnd, dlg.m_hOwnerInInit);
  EXPECT_TRUE(dlg.m_bOwnerEnabledInInit);  // another thread's window is left alone
  EXPECT_EQ(1, dlg.m_nInitCalls);
  // Loaded into the controls.
  EXPECT_STREQ("initial", Text(::GetDlgItem(hDlg, IDC_NAME)));
  EXPECT_STREQ("5", Text(::GetDlgItem(hDlg, IDC_COUNT)));
  EXPECT_STREQ("7", Text(::GetDlgItem(hDlg, IDC_UCOUNT)));
  EXPECT_EQ(BST_CHECKED, ::IsDlgButtonChecked(hDlg, IDC_FLAG));
  EXPECT_EQ(1, ::SendDlgItemMessageA(hDlg, IDC_COMBO, CB_GETCURSEL, 0, 0));
  EXPECT_EQ(BST_CHECKED, ::IsDlgButtonChecked(hDlg, IDC_RADIO2));
  EXPECT_EQ(50, ::SendDlgItemMessageA(hDlg, IDC_PROGRESS, PBM_GETPOS, 0, 0));

  // The user types: a name, a count that is no number, and changes the rest.
  ::SetDlgItemTextA(hDlg, IDC_NAME, "typed name");
  ::SetDlgItemTextA(hDlg, IDC_COUNT, "12abc");
  ::SetDlgItemTextA(hDlg, IDC_UCOUNT, " 42 ");
  ::CheckDlgButton(hDlg, IDC_FLAG, BST_UNCHECKED);
  ::SendDlgItemMessageA(hDlg, IDC_COMBO, CB_SETCURSEL, 2, 0);
  ::CheckRadioButton(hDlg, IDC_RADIO1, IDC_RADIO3, IDC_RADIO3);

  EXPECT_NE(-1, OkExpectingComplaint(dlg, tid).Find("Please enter an integer."));
  // Still open, the focus back on the offending box: the dialog's thread moves
  // it there after the box has gone, so wait for it.
  EXPECT_TRUE(::IsWindowVisible(hDlg));
  GUITHREADINFO gti = {sizeof gti};
  const HWND hCount = ::GetDlgItem(hDlg, IDC_COUNT);
  EXPECT_TRUE(PumpUntil([&] { return ::GetGUIThreadInfo(tid, &gti) && gti.hwndFocus == hCount; }))
      << "focus on " << gti.hwndFocus;

  // Too large for an int: refused as well, never wrapped.
  ::SetDlgItemTextA(hDlg, IDC_COUNT, "4294967297");
  EXPECT_NE(-1, OkExpectingComplaint(dlg, tid).Find("Please enter an integer."));
  // A negative number where only non-negative ones fit.
  ::SetDlgItemTextA(hDlg, IDC_COUNT, "-12");
  ::SetDlgItemTextA(hDlg, IDC_UCOUNT, "-1");
  EXPECT_NE(-1, OkExpectingComplaint(dlg, tid).Find("positive integer"));

  ::SetDlgItemTextA(hDlg, IDC_UCOUNT, " 42 ");
  ::PostMessageA(hDlg, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(PumpUntil([&] { return ::WaitForSingleObject(pThread->m_hThread, 0) == WAIT_OBJECT_0; }));
  delete pThread;

  EXPECT_EQ(IDOK, w.nResult);
  EXPECT_EQ(nullptr, dlg.m_hWnd);
  EXPECT_FALSE(::IsWindow(hDlg));
  EXPECT_STREQ("typed name", dlg.m_strName);
  EXPECT_EQ(-12, dlg.m_nCount);
  EXPECT_EQ(42u, dlg.m_uCount);
  EXPECT_EQ(0, dlg.m_nFlag);
  EXPECT_EQ(2, dlg.m_nCombo);
  EXPECT_EQ(2, dlg.m_nRadio);
  EXPECT_TRUE(owner.IsWindowEnabled());
  pApp->m_pMainWnd = nullptr;
  owner.DestroyWindow();
}

TEST(Dialog, ModalOnGuiThreadDisablesItsOwnerAndCancelsOnClose) {
  COwnerWnd owner;
  ASSERT_TRUE(owner.Make("owner"));
  CDataDlg dlg(&owner);
  // Close the dialog from a timer of the owner's thread once it runs.
  static CDataDlg* s_pDlg;
  static BOOL s_bOwnerEnabledDuring;
  static HWND s_hOwner;
  s_pDlg = &dlg;
  s_hOwner = owner.m_hWnd;
  s_bOwnerEnabledDuring = TRUE;
  UINT_PTR idTimer = ::SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR id, DWORD) {
    if (s_pDlg->m_hWnd != nullptr && ::IsWindowVisible(s_pDlg->m_hWnd)) {
      s_bOwnerEnabledDuring = ::IsWindowEnabled(s_hOwner);
      ::KillTimer(nullptr, id);
      ::PostMessageA(s_pDlg->m_hWnd, WM_CLOSE, 0, 0);
    }
  });
  INT_PTR nResult = dlg.DoModal();
  ::KillTimer(nullptr, idTimer);
  EXPECT_EQ(IDCANCEL, nResult);
  EXPECT_FALSE(s_bOwnerEnabledDuring);
  EXPECT_TRUE(owner.IsWindowEnabled());
  EXPECT_EQ(owner.m_hWnd, dlg.m_hOwnerInInit);
  // Cancel keeps the variables as they were.
  EXPECT_STREQ("initial", dlg.m_strName);

  // Ended from OnInitDialog: that value, without a loop.
  CDataDlg quick(&owner);
  quick.m_nEndInInit = 1234;
  EXPECT_EQ(1234, quick.DoModal());
  EXPECT_EQ(1, quick.m_nInitCalls);
  EXPECT_TRUE(owner.IsWindowEnabled());
  owner.DestroyWindow();
}

TEST(Dialog, TemplatesComeFromTheRightModuleAndMissingOnesFailCleanly) {
  CDialog missing(IDD_NOSUCH);
  EXPECT_EQ(-1, missing.DoModal());
  EXPECT_FALSE(missing.Create(IDD_NOSUCH));
  EXPECT_EQ(nullptr, missing.m_hWnd);

  CDialog exe(IDD_SAME);
  ASSERT_TRUE(exe.Create(IDD_SAME));
  EXPECT_STREQ("exe dialog", Text(exe.m_hWnd));
  exe.DestroyWindow();

  char sz[64] = "";
  ASSERT_TRUE(GuiDllDialogCaption(sz, sizeof sz));
  EXPECT_STREQ("dll dialog", sz);
  EXPECT_EQ(-1, GuiDllModalExeOnly());  // the library does not borrow the program's template
}

namespace {
class CBadExchangeDlg : public CDialog {
public:
  CBadExchangeDlg() : CDialog(IDD_HOST) {}
  CString m_str;
  int m_n = 3;

protected:
  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Text(pDX, IDC_HOST_EDIT, m_str);
    DDX_Text(pDX, 4242, m_n);  // not in the template
  }
};
}  // namespace

TEST(Dialog, ExchangeWithAControlNotInTheTemplateFails) {
  CBadExchangeDlg dlg;
  ASSERT_TRUE(dlg.Create(IDD_HOST));  // OnInitDialog's exchange fails quietly
  ::SetDlgItemTextA(dlg.m_hWnd, IDC_HOST_EDIT, "kept");
  EXPECT_FALSE(dlg.UpdateData(TRUE));
  EXPECT_STREQ("kept", dlg.m_str);  // the exchange up to the missing control happened
  EXPECT_EQ(3, dlg.m_n);
  EXPECT_FALSE(dlg.UpdateData(FALSE));
  // OK with a failing exchange keeps the dialog open.
  dlg.ShowWindow(SW_SHOW);
  dlg.SendMessage(WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(dlg.IsWindowVisible());
  dlg.DestroyWindow();
}

TEST(Dialog, ModelessDialogGetsTabNavigationAcrossANestedPage) {
  CDialog host(IDD_HOST);
  ASSERT_TRUE(host.Create(IDD_HOST));
  CDialog page(IDD_PAGE);
  ASSERT_TRUE(page.Create(IDD_PAGE, &host));
  EXPECT_TRUE(page.GetStyle() & WS_CHILD);
  EXPECT_TRUE(page.GetExStyle() & WS_EX_CONTROLPARENT);
  CRect rcSlot;
  ::GetWindowRect(::GetDlgItem(host.m_hWnd, IDC_HOST_SLOT), &rcSlot);
  host.ScreenToClient(&rcSlot);
  page.SetWindowPos(nullptr, rcSlot.left, rcSlot.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
  host.ShowWindow(SW_SHOW);
  host.SetForegroundWindow();

  HWND hEdit = ::GetDlgItem(host.m_hWnd, IDC_HOST_EDIT);
  HWND hOK = ::GetDlgItem(host.m_hWnd, IDOK);
  HWND hCancel = ::GetDlgItem(host.m_hWnd, IDCANCEL);
  HWND hPageEdit1 = ::GetDlgItem(page.m_hWnd, IDC_PAGE_EDIT1);
  HWND hPageEdit2 = ::GetDlgItem(page.m_hWnd, IDC_PAGE_EDIT2);
  ::SetFocus(hEdit);
  ASSERT_EQ(hEdit, ::GetFocus());

  // Tab moves through the host's controls, then into the page, then within it.
  std::vector<HWND> seen;
  for (int i = 0; i < 4; i++) {
    HWND hFrom = ::GetFocus();
    guitest::PostKey(hFrom, VK_TAB);
    EXPECT_TRUE(PumpUntil([&] { return ::GetFocus() != hFrom; }, 5000)) << "tab " << i;
    seen.push_back(::GetFocus());
  }
  ASSERT_EQ(4u, seen.size());
  EXPECT_EQ(hOK, seen[0]);
  EXPECT_EQ(hCancel, seen[1]);
  EXPECT_EQ(hPageEdit1, seen[2]);
  EXPECT_EQ(hPageEdit2, seen[3]);

  // Enter in the host's edit presses its default button: a modeless dialog hides.
  ::SetFocus(hEdit);
  guitest::PostKey(hEdit, VK_RETURN);
  EXPECT_TRUE(PumpUntil([&] { return !host.IsWindowVisible(); }, 5000));
  EXPECT_TRUE(host.IsWindow());
  page.DestroyWindow();
  host.DestroyWindow();
}

TEST(Dialog, NotificationsReachTheControlClassesAndOwnerDrawPaints) {
  CDataDlg dlg;
  ASSERT_TRUE(dlg.Create(IDD_DATA));
  dlg.ShowWindow(SW_SHOW);
  dlg.UpdateWindow();
  EXPECT_TRUE(PumpUntil([&] { return dlg.m_btn.m_nDraws > 0; }, 5000));
  // EN_CHANGE: the edit's reflected handler declines, so the dialog gets it too.
  int nEditBefore = dlg.m_edit.m_nChanges;
  int nParentBefore = dlg.m_nParentChanges;
  ::SetDlgItemTextA(dlg.m_hWnd, IDC_NAME, "changed");
  EXPECT_EQ(nEditBefore + 1, dlg.m_edit.m_nChanges);
  EXPECT_EQ(nParentBefore + 1, dlg.m_nParentChanges);
  // The wrappers talk to their controls.
  CString s;
  dlg.m_combo.GetLBText(2, s);
  EXPECT_STREQ("two", s);
  dlg.m_combo.GetLBText(99, s);
  EXPECT_TRUE(s.IsEmpty());
  int lo = -1, hi = -1;
  dlg.m_progress.GetRange(lo, hi);
  EXPECT_EQ(0, lo);
  EXPECT_EQ(200, hi);
  EXPECT_EQ(50, dlg.m_progress.GetPos());
  EXPECT_EQ(&dlg.m_combo, CWnd::FromHandlePermanent(::GetDlgItem(dlg.m_hWnd, IDC_COMBO)));
  dlg.DestroyWindow();
  EXPECT_EQ(nullptr, dlg.m_combo.m_hWnd);  // the controls went with the dialog
}

namespace {

int g_nSelfDeleted = 0;

// A top-level modeless dialog that deletes itself when closed.
class CSelfDeletingDlg : public CDialog {
public:
  CSelfDeletingDlg() : CDialog(IDD_HOST) {}
  ~CSelfDeletingDlg() override { g_nSelfDeleted++; }

protected:
  void OnCancel() override { DestroyWindow(); }
  void PostNcDestroy() override { delete this; }
};

// Stands in for a frame: the command target whose update handlers drive the
// buttons of a dialog hosted in one of its bars.
class CTargetWnd : public CWnd {
public:
  BOOL m_bEnableOK = FALSE;

protected:
  afx_msg void OnUpdateOK(CCmdUI* pCmdUI) { pCmdUI->Enable(m_bEnableOK); }
  afx_msg void OnUpdateEdit(CCmdUI* pCmdUI) { pCmdUI->SetText("from the frame"); }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTargetWnd, CWnd)
  ON_UPDATE_COMMAND_UI(IDOK, OnUpdateOK)
  ON_UPDATE_COMMAND_UI(IDC_HOST_EDIT, OnUpdateEdit)
END_MESSAGE_MAP()

}  // namespace

TEST(Dialog, SelfDeletingModelessResizableAndBarHostedDialogs) {
  CSelfDeletingDlg* pDlg = new CSelfDeletingDlg;
  ASSERT_TRUE(pDlg->Create(IDD_HOST));
  HWND hDlg = pDlg->m_hWnd;
  pDlg->ShowWindow(SW_SHOW);
  ::SendMessageA(hDlg, WM_COMMAND, IDCANCEL, 0);
  EXPECT_FALSE(::IsWindow(hDlg));
  EXPECT_EQ(1, g_nSelfDeleted);
  EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hDlg));

  // Resizable: never tracked smaller than its minimum, the grip in the corner.
  CDialog sizable(IDD_HOST);
  ASSERT_TRUE(sizable.Create(IDD_HOST));
  sizable.ModifyStyle(0, WS_THICKFRAME, SWP_FRAMECHANGED);
  CRect rcStart;
  sizable.GetWindowRect(&rcStart);
  sizable.SetMinTrackSize(rcStart.Size());
  MINMAXINFO mmi = {};
  sizable.SendMessage(WM_GETMINMAXINFO, 0, (LPARAM)&mmi);
  EXPECT_EQ(rcStart.Width(), mmi.ptMinTrackSize.x);
  EXPECT_EQ(rcStart.Height(), mmi.ptMinTrackSize.y);
  sizable.ShowSizeGrip(TRUE);
  sizable.SetWindowPos(nullptr, 0, 0, rcStart.Width() + 80, rcStart.Height() + 60, SWP_NOMOVE | SWP_NOZORDER);
  CRect rcClient;
  sizable.GetClientRect(&rcClient);
  HWND hFound = nullptr;
  for (HWND h = ::GetWindow(sizable.m_hWnd, GW_CHILD); h != nullptr; h = ::GetWindow(h, GW_HWNDNEXT))
    if (::GetWindowLongPtrA(h, GWL_STYLE) & SBS_SIZEGRIP)
      hFound = h;
  ASSERT_NE(nullptr, hFound);
  CRect rcGrip;
  ::GetWindowRect(hFound, &rcGrip);
  sizable.ScreenToClient(&rcGrip);
  EXPECT_EQ(rcClient.right, rcGrip.right);
  EXPECT_EQ(rcClient.bottom, rcGrip.bottom);
  sizable.DestroyWindow();

  // A dialog hosted in a bar: its controls follow the frame's update handlers.
  CTargetWnd frame;
  ASSERT_TRUE(frame.CreateEx(0, nullptr, "frame", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr));
  CDialog bar(IDD_HOST);
  ASSERT_TRUE(bar.Create(IDD_HOST, &frame));
  HWND hOK = ::GetDlgItem(bar.m_hWnd, IDOK);
  HWND hCancel = ::GetDlgItem(bar.m_hWnd, IDCANCEL);
  bar.UpdateDialogControls(&frame, TRUE);
  EXPECT_FALSE(::IsWindowEnabled(hOK));       // the handler says no
  EXPECT_FALSE(::IsWindowEnabled(hCancel));   // no handler for a push button
  EXPECT_STREQ("from the frame", guitest::Text(::GetDlgItem(bar.m_hWnd, IDC_HOST_EDIT)));
  frame.m_bEnableOK = TRUE;
  bar.UpdateDialogControls(&frame, FALSE);
  EXPECT_TRUE(::IsWindowEnabled(hOK));
  EXPECT_FALSE(::IsWindowEnabled(hCancel));  // left as it was
  bar.DestroyWindow();
  frame.DestroyWindow();
}
