// The confirmation box, the replace box and the rename box.
#include "engine/confirmdlg.h"

#include "engine/planitem.h"
#include "shell/settings/settings.h"

namespace {

constexpr UINT_PTR kCountdownTimer = 1;
constexpr int kConfirmCountdown = 5;
constexpr int kReplaceCountdown = 10;

void ShowItem(CWnd* dialog, int id, bool show)
{
  if (CWnd* item = dialog->GetDlgItem(id))
    item->ShowWindow(show ? SW_SHOW : SW_HIDE);
}

void EnableItem(CWnd* dialog, int id, bool enable)
{
  if (CWnd* item = dialog->GetDlgItem(id))
    item->EnableWindow(enable ? TRUE : FALSE);
}

std::atomic<FileExistsDialogFn> g_fileExistsDialogHook{nullptr};

}  // namespace

// ---- CConfirmDlg ----

std::atomic<UINT> CConfirmDlg::s_defaultTickPeriod{1000};

BEGIN_MESSAGE_MAP(CConfirmDlg, CDialog)
  ON_WM_TIMER()
END_MESSAGE_MAP()

CConfirmDlg::CConfirmDlg(BOOL autoClose, CWnd* pParent)
    : CDialog(IDD, pParent),
      m_dontShow(FALSE),
      m_mode(0),
      m_autoClose(autoClose),
      m_timerId(0),
      m_countdown(kConfirmCountdown),
      m_tickPeriod(s_defaultTickPeriod.load()),
      m_timeoutAnswer(IDOK)
{
}

void CConfirmDlg::DoDataExchange(CDataExchange* pDX)
{
  CDialog::DoDataExchange(pDX);
  DDX_Check(pDX, IDC_CONFIRM_DONT_SHOW, m_dontShow);
  DDX_Text(pDX, IDC_CONFIRM_TEXT, m_text);
}

BOOL CConfirmDlg::OnInitDialog()
{
  CDialog::OnInitDialog();
  if (m_mode < 0)
    ShowItem(this, IDC_CONFIRM_DONT_SHOW, false);
  if (m_mode == kConfirmModeError) {
    CString caption;
    if (caption.LoadString(IDS_ERROR_CAPTION))
      SetWindowText(caption);
    ShowItem(this, IDCANCEL, false);
  }
  m_countdown = kConfirmCountdown;
  if (m_autoClose)
    m_timerId = SetTimer(kCountdownTimer, m_tickPeriod, nullptr);
  else
    ShowItem(this, IDC_CONFIRM_COUNTDOWN, false);
  return TRUE;
}

void CConfirmDlg::OnTimer(UINT_PTR nIDEvent)
{
  if (m_timerId == 0 || nIDEvent != m_timerId) {
    CDialog::OnTimer(nIDEvent);
    return;
  }
  if (m_countdown == 0) {
    m_countdown = kConfirmCountdown;
    StopTimer();
    if (m_timeoutAnswer == IDCANCEL)
      OnCancel();
    else
      OnOK();
    return;
  }
  --m_countdown;
  SetDlgItemText(IDC_CONFIRM_COUNTDOWN, FormatConfirmCountdown(m_countdown));
}

void CConfirmDlg::StopTimer()
{
  if (m_timerId != 0 && m_hWnd != nullptr)
    KillTimer(m_timerId);
  m_timerId = 0;
}

BOOL CConfirmDlg::DestroyWindow()
{
  StopTimer();
  return CDialog::DestroyWindow();
}

int ShowConfirmDlg(CWnd* pParent, UINT stringId, int mode)
{
  CConfirmDlg dlg(TRUE, pParent);
  dlg.m_text.LoadString(stringId);
  dlg.m_mode = mode;
  dlg.m_timeoutAnswer = ConfirmTimeoutAnswer(stringId);
  const int result = (int)dlg.DoModal();
  // Worker threads show this box too: clear the bits in one step.
  if (result == IDOK && dlg.m_dontShow && mode >= 1)
    __atomic_fetch_and(&g_optionFlags, ~(uint32_t)mode, __ATOMIC_SEQ_CST);
  return result;
}

int ShowConfirmDlgText(CWnd* pParent, const char* text, int mode, BOOL autoClose, int timeoutAnswer)
{
  CConfirmDlg dlg(autoClose, pParent);
  dlg.m_text = text;
  dlg.m_mode = mode;
  dlg.m_timeoutAnswer = timeoutAnswer == IDCANCEL ? IDCANCEL : IDOK;
  return (int)dlg.DoModal();
}

// ---- CConfirmReplaceDlg ----

void SetFileExistsDialogHook(FileExistsDialogFn hook) { g_fileExistsDialogHook.store(hook); }

FileExistsDialogFn GetFileExistsDialogHook() { return g_fileExistsDialogHook.load(); }

BEGIN_MESSAGE_MAP(CConfirmReplaceDlg, CDialog)
  ON_WM_TIMER()
  ON_BN_CLICKED(IDC_REPLACE_RESUME, OnResume)
  ON_BN_CLICKED(IDC_REPLACE_OVERWRITE_ALL, OnOverwriteAll)
  ON_BN_CLICKED(IDC_REPLACE_SKIP_ALL, OnSkipAll)
  ON_BN_CLICKED(IDC_REPLACE_RESUME_ALL, OnResumeAll)
  ON_BN_CLICKED(IDC_REPLACE_RENAME, OnRename)
  ON_BN_CLICKED(IDC_REPLACE_CONFIGURE, OnConfigure)
END_MESSAGE_MAP()

CConfirmReplaceDlg::CConfirmReplaceDlg(std::atomic<int32_t>* rulesWord, int direction, CWnd* pParent)
    : CDialog(IDD, pParent),
      m_result(REPLACE_OVERWRITE),
      m_resumeEnabled(TRUE),
      m_timerId(0),
      m_countdown(kReplaceCountdown),
      m_direction(direction),
      m_pRulesWord(rulesWord),
      m_existingSize(0),
      m_pItem(nullptr),
      m_tickPeriod(1000)
{
}

BOOL CConfirmReplaceDlg::OnInitDialog()
{
  CDialog::OnInitDialog();
  const CPlanItem noItem;
  SetDlgItemText(IDC_REPLACE_TEXT,
                 FormatReplaceMessage(m_pItem != nullptr ? *m_pItem : noItem, m_direction == 1, m_fileName,
                                      m_existingSize));
  EnableItem(this, IDC_REPLACE_RESUME, m_resumeEnabled != FALSE);
  EnableItem(this, IDC_REPLACE_RESUME_ALL, m_resumeEnabled != FALSE);
  EnableItem(this, IDC_REPLACE_CONFIGURE, GetFileExistsDialogHook() != nullptr);
  StartTimer();
  return TRUE;
}

void CConfirmReplaceDlg::StartTimer()
{
  if (m_timerId == 0)
    m_timerId = SetTimer(kCountdownTimer, m_tickPeriod, nullptr);
}

void CConfirmReplaceDlg::StopTimer()
{
  if (m_timerId != 0 && m_hWnd != nullptr)
    KillTimer(m_timerId);
  m_timerId = 0;
}

void CConfirmReplaceDlg::OnTimer(UINT_PTR nIDEvent)
{
  if (m_timerId == 0 || nIDEvent != m_timerId) {
    CDialog::OnTimer(nIDEvent);
    return;
  }
  if (m_countdown == 0) {
    m_countdown = kReplaceCountdown;
    Finish(REPLACE_OVERWRITE);
    return;
  }
  --m_countdown;
  SetDlgItemText(IDC_REPLACE_COUNTDOWN, FormatReplaceCountdown(m_countdown));
}

void CConfirmReplaceDlg::Finish(int32_t result)
{
  StopTimer();
  m_result = result;
  EndDialog(result);
}

void CConfirmReplaceDlg::OnOK() { Finish(REPLACE_OVERWRITE); }

void CConfirmReplaceDlg::OnCancel() { Finish(REPLACE_SKIP); }

void CConfirmReplaceDlg::OnResume()
{
  if (m_resumeEnabled)
    Finish(REPLACE_RESUME);
}

void CConfirmReplaceDlg::OnOverwriteAll() { Finish(REPLACE_OVERWRITE_ALL); }

void CConfirmReplaceDlg::OnSkipAll() { Finish(REPLACE_SKIP_ALL); }

void CConfirmReplaceDlg::OnResumeAll()
{
  if (m_resumeEnabled)
    Finish(REPLACE_RESUME_ALL);
}

void CConfirmReplaceDlg::OnRename()
{
  StopTimer();
  CRenameBoxDlg box(this);
  box.m_name = m_newName.IsEmpty() ? m_fileName : m_newName;
  if (box.DoModal() == IDOK) {
    m_newName = box.m_name;
    Finish(REPLACE_RENAME);
    return;
  }
  StartTimer();
}

void CConfirmReplaceDlg::OnConfigure()
{
  const FileExistsDialogFn hook = GetFileExistsDialogHook();
  if (hook == nullptr)
    return;
  StopTimer();
  if (hook(this) && m_pRulesWord != nullptr)
    m_pRulesWord->store(static_cast<int32_t>(g_fileRule.load()));
  StartTimer();
}

BOOL CConfirmReplaceDlg::DestroyWindow()
{
  StopTimer();
  return CDialog::DestroyWindow();
}

// ---- CRenameBoxDlg ----

CRenameBoxDlg::CRenameBoxDlg(CWnd* pParent) : CDialog(IDD, pParent) {}

BOOL CRenameBoxDlg::OnInitDialog()
{
  CDialog::OnInitDialog();
  SetDlgItemText(IDC_RENAME_EDIT, m_name);
  if (CWnd* edit = GetDlgItem(IDC_RENAME_EDIT)) {
    edit->SendMessage(EM_LIMITTEXT, kPlanPathLen - 1, 0);
    edit->SendMessage(EM_SETSEL, 0, -1);
    GotoDlgCtrl(edit);
    return FALSE;
  }
  return TRUE;
}

void CRenameBoxDlg::OnOK()
{
  CString name;
  GetDlgItemText(IDC_RENAME_EDIT, name);
  if (!IsValidTransferName(name)) {
    SetDlgItemText(IDC_RENAME_PROMPT, "Not a file name: no \\ / : * ? \" < > |, no dot or blank at the end.");
    MessageBeep(MB_ICONWARNING);
    if (CWnd* edit = GetDlgItem(IDC_RENAME_EDIT)) {
      GotoDlgCtrl(edit);
      edit->SendMessage(EM_SETSEL, 0, -1);
    }
    return;
  }
  m_name = name;
  EndDialog(IDOK);
}
