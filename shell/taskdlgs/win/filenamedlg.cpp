#include "shell/taskdlgs/filenamedlg.h"

#include "engine/progtask.h"
#include "shell/taskdlgs/taskdlgsres.h"

CFileNameDlg::CFileNameDlg(CWnd* pParent) : CDialog(IDD_FILE_NAME, pParent) {}

BOOL CFileNameDlg::OnInitDialog()
{
  CDialog::OnInitDialog();
  SendDlgItemMessage(IDC_FILE_NAME, EM_LIMITTEXT, kTaskPathLen - 1, 0);
  SetDlgItemText(IDC_FILE_NAME, m_name);
  CWnd* edit = GetDlgItem(IDC_FILE_NAME);
  GotoDlgCtrl(edit);
  edit->SendMessage(EM_SETSEL, 0, -1);
  edit->SendMessage(EM_SCROLLCARET, 0, 0);
  return FALSE;  // the focus is set
}

void CFileNameDlg::OnOK()
{
  CString text;
  GetDlgItemText(IDC_FILE_NAME, text);
  CString trimmed = text;
  if (trimmed.Trim().IsEmpty()) {
    EndDialog(IDCANCEL);
    return;
  }
  m_name = text;
  EndDialog(IDOK);
}
