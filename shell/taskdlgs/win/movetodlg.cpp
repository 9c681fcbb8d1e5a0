#include "shell/taskdlgs/movetodlg.h"

#include "engine/progtask.h"
#include "shell/taskdlgs/taskdlgsres.h"

CMoveToDlg::CMoveToDlg(CWnd* pParent) : CDialog(IDD_MOVE_TO, pParent) {}

BOOL CMoveToDlg::OnInitDialog()
{
  CDialog::OnInitDialog();
  SendDlgItemMessage(IDC_MOVE_TARGET, EM_LIMITTEXT, kTaskPathLen - 1, 0);
  SetDlgItemText(IDC_MOVE_TARGET, m_target);
  return TRUE;
}

void CMoveToDlg::OnOK()
{
  GetDlgItemText(IDC_MOVE_TARGET, m_target);
  EndDialog(IDOK);
}
