// Dialogs from resource templates, and data exchange between a dialog's
// controls and its member variables.
//
// Templates load from the resource module (AfxGetResourceHandle), else from the
// module the dialog class is linked into, so a library's dialog finds its own
// template even when the program has one of the same id.
//
// Modal (DoModal): runs its own loop on the calling thread (any thread, a
// worker's too) until EndDialog. The owner is the parent given, else the calling
// thread's main window, else the application's; an owner on the calling thread
// is disabled while the dialog runs, an owner of another thread is left enabled
// (disabling it would wait on that thread, which may itself be waiting).
// Modeless (Create): a child page (WS_CHILD template), a dialog in a bar, or a
// top-level window; keyboard navigation comes from PreTranslateMessage through
// the thread's message loop. A modeless dialog that deletes itself overrides
// PostNcDestroy (delete this) and ends with DestroyWindow.
#pragma once

#include "framework/fwexcept.h"
#include "framework/wnd.h"

class CDataExchange;

class CDialog : public CWnd {
  DECLARE_DYNAMIC(CDialog)
public:
  CDialog();
  explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
  explicit CDialog(LPCTSTR lpszTemplateName, CWnd* pParentWnd = nullptr);
  ~CDialog() override;

  // Modal: the value given to EndDialog; -1 when the template is missing from both
  // modules or the dialog could not be created (IDABORT on a broken message loop).
  virtual INT_PTR DoModal();
  // Modeless: FALSE when the template is missing or the window was not made.
  virtual BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
  virtual BOOL Create(LPCTSTR lpszTemplateName, CWnd* pParentWnd = nullptr);
  BOOL CreateIndirect(LPCDLGTEMPLATE lpDialogTemplate, CWnd* pParentWnd = nullptr, HINSTANCE hInst = nullptr);
  // For constructors that take no template.
  void SetTemplate(UINT nIDTemplate) { m_lpszTemplateName = MAKEINTRESOURCEA(nIDTemplate); m_nIDHelp = nIDTemplate; }

  // Ends a modal dialog with nResult (also before its window exists, from
  // OnInitDialog); hides a modeless one.
  void EndDialog(int nResult);
  BOOL IsModal() const { return m_bInModalLoop; }

  virtual BOOL OnInitDialog();  // default: UpdateData(FALSE), focus to the first control
  virtual void OnOK();          // default: UpdateData(TRUE), then EndDialog(IDOK)
  virtual void OnCancel();      // default: EndDialog(IDCANCEL)

  // Data exchange: FALSE (with the focus on the offending control) when a value
  // did not validate or a control of the exchange is not in the dialog.
  BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

  void NextDlgCtrl() const;
  void PrevDlgCtrl() const;
  void GotoDlgCtrl(CWnd* pWndCtrl);
  void SetDefID(UINT nID);
  DWORD GetDefID() const;
  void MapDialogRect(LPRECT lpRect) const;

  // Resizable dialogs: the window is never tracked smaller than this (0 x 0: no limit).
  void SetMinTrackSize(CSize size) { m_sizeMinTrack = size; }
  CSize GetMinTrackSize() const { return m_sizeMinTrack; }
  // A size grip in the lower-right corner that follows the dialog's size.
  void ShowSizeGrip(BOOL bShow = TRUE);

  BOOL PreTranslateMessage(MSG* pMsg) override;
  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

  UINT m_nIDHelp = 0;
  LPCTSTR m_lpszTemplateName = nullptr;
  CWnd* m_pParentWnd = nullptr;

protected:
  virtual void DoDataExchange(CDataExchange* pDX) {}
  // Creates the window from the template: hParent owns (or parents) it.
  BOOL CreateFromTemplate(LPCTSTR lpszTemplateName, HWND hParent);
  BOOL CreateFromResource(HINSTANCE hInst, LPCDLGTEMPLATE lpTemplate, HWND hParent);
  // The modal loop; returns the result.
  virtual INT_PTR RunModalLoop();

  afx_msg void OnGetMinMaxInfo(MINMAXINFO* lpMMI);
  afx_msg void OnSize(UINT nType, int cx, int cy);

  DECLARE_MESSAGE_MAP()

private:
  friend INT_PTR CALLBACK AfxDlgProc(HWND, UINT, WPARAM, LPARAM);
  CString m_strTemplateName;  // keeps a string template name alive
  BOOL m_bInModalLoop = FALSE;
  BOOL m_bEndModal = FALSE;
  int m_nModalResult = -1;
  CSize m_sizeMinTrack;
  HWND m_hWndSizeGrip = nullptr;
};

// Passed to DoDataExchange: the direction and the dialog.
class CDataExchange {
public:
  CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate) : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

  BOOL m_bSaveAndValidate;  // TRUE: controls to variables
  CWnd* m_pDlgWnd;

  // The control's window; fails the exchange (Fail) when the dialog has none of that id.
  HWND PrepareCtrl(int nIDC);
  HWND PrepareEditCtrl(int nIDC);
  // Ends the exchange as failed: throws a CUserException that UpdateData catches.
  // The focus goes to the last control prepared.
  [[noreturn]] void Fail();

  HWND m_hWndLastControl = nullptr;
  BOOL m_bEditLastControl = FALSE;
};

// Thrown by CDataExchange::Fail: the user has been told already.
class CUserException : public CException {
  DECLARE_DYNAMIC(CUserException)
public:
  CUserException() = default;
};
[[noreturn]] void AfxThrowUserException();

// Text boxes. Numbers are decimal with optional blanks around; a text that is not
// one, or out of the variable's range, tells the user and fails the exchange.
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
void DDX_Text(CDataExchange* pDX, int nIDC, int& value);
void DDX_Text(CDataExchange* pDX, int nIDC, UINT& value);
void DDX_Text(CDataExchange* pDX, int nIDC, long& value);
void DDX_Text(CDataExchange* pDX, int nIDC, DWORD& value);
void DDX_Text(CDataExchange* pDX, int nIDC, double& value);
// Check boxes: 0 clear, 1 checked, 2 indeterminate.
void DDX_Check(CDataExchange* pDX, int nIDC, int& value);
// A group of radio buttons starting at nIDC (WS_GROUP): the index of the checked
// one, -1 for none.
void DDX_Radio(CDataExchange* pDX, int nIDC, int& index);
// Combo and list boxes: the selected index (-1 none) or the text.
void DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index);
void DDX_CBString(CDataExchange* pDX, int nIDC, CString& value);
void DDX_CBStringExact(CDataExchange* pDX, int nIDC, CString& value);
void DDX_LBIndex(CDataExchange* pDX, int nIDC, int& index);
void DDX_LBString(CDataExchange* pDX, int nIDC, CString& value);
// Binds rControl to the dialog's control nIDC (subclassing it) the first time.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
// Date and time pickers (CTime holds local time).
class CTime;
void DDX_DateTimeCtrl(CDataExchange* pDX, int nIDC, CTime& value);

// Validation: out of range tells the user and fails the exchange (saving only).
void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars);
void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal);
void DDV_MinMaxUInt(CDataExchange* pDX, UINT value, UINT minVal, UINT maxVal);

// Message boxes owned by the active window of the calling thread (or the main
// window); the caption is the application's name.
int AfxMessageBox(LPCTSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
// The text comes from the string table; a missing string shows nothing and returns 0.
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = (UINT)-1);
