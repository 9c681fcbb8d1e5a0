#include "shell/taskdlgs/chmoddlg.h"

#include "shell/taskdlgs/taskdlgrules.h"
#include "shell/taskdlgs/taskdlgsres.h"

// In the order of the rules' checks: owner, group, public; read, write, execute.
static const int kCheckIds[kChmodChecks] = {
    IDC_CHMOD_OWNER_READ,  IDC_CHMOD_OWNER_WRITE,  IDC_CHMOD_OWNER_EXEC,
    IDC_CHMOD_GROUP_READ,  IDC_CHMOD_GROUP_WRITE,  IDC_CHMOD_GROUP_EXEC,
    IDC_CHMOD_PUBLIC_READ, IDC_CHMOD_PUBLIC_WRITE, IDC_CHMOD_PUBLIC_EXEC,
};

BEGIN_MESSAGE_MAP(CChmodDlg, CDialog)
  ON_CONTROL_RANGE(BN_CLICKED, IDC_CHMOD_OWNER_READ, IDC_CHMOD_PUBLIC_EXEC, OnCheck)
  ON_EN_CHANGE(IDC_CHMOD_MANUAL, OnManualChange)
END_MESSAGE_MAP()

CChmodDlg::CChmodDlg(int mode, CWnd* pParent) : CDialog(IDD_CHMOD, pParent), m_mode(mode) {}

BOOL CChmodDlg::OnInitDialog()
{
  CDialog::OnInitDialog();
  SendDlgItemMessage(IDC_CHMOD_MANUAL, EM_LIMITTEXT, 3, 0);
  ShowMode(ChmodNormalise(m_mode), true);
  return TRUE;
}

void CChmodDlg::ShowMode(int mode, bool writeManual)
{
  bool checks[kChmodChecks];
  ChmodToChecks(mode, checks);
  m_updating = true;
  for (int i = 0; i < kChmodChecks; ++i)
    CheckDlgButton(kCheckIds[i], checks[i] ? BST_CHECKED : BST_UNCHECKED);
  m_mode = ChmodFromChecks(checks);
  if (writeManual) {
    CString text;
    text.Format("%d", m_mode);
    SetDlgItemText(IDC_CHMOD_MANUAL, text);
  }
  m_updating = false;
}

void CChmodDlg::OnCheck(UINT id)
{
  bool checks[kChmodChecks];
  bool ours = false;
  for (int i = 0; i < kChmodChecks; ++i) {
    checks[i] = IsDlgButtonChecked(kCheckIds[i]) == BST_CHECKED;
    ours = ours || kCheckIds[i] == (int)id;
  }
  if (!ours)
    return;
  ShowMode(ChmodFromChecks(checks), true);
}

void CChmodDlg::OnManualChange()
{
  if (m_updating)
    return;
  CString text;
  GetDlgItemText(IDC_CHMOD_MANUAL, text);
  // The typed text stays as it is while it is being typed; the checks and the
  // number follow it.
  ShowMode(ChmodModeFromText(text), false);
}

void CChmodDlg::OnOK()
{
  CString text;
  GetDlgItemText(IDC_CHMOD_MANUAL, text);
  ShowMode(ChmodModeFromText(text), false);
  EndDialog(IDOK);
}
