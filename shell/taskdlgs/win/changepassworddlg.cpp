#include "shell/taskdlgs/changepassworddlg.h"

#include "engine/progtask.h"
#include "shell/doc/zarndoc.h"
#include "shell/taskdlgs/sitecombo.h"
#include "shell/taskdlgs/taskdlgsres.h"

CChangePasswordDlg::CChangePasswordDlg(int siteIndex, CWnd* pParent)
    : CDialog(IDD_CHANGE_PASSWORD, pParent), m_siteIndex(siteIndex)
{
}

BOOL CChangePasswordDlg::OnInitDialog()
{
  CDialog::OnInitDialog();
  SendDlgItemMessage(IDC_PWD_OLD, EM_LIMITTEXT, kTaskPathLen - 1, 0);
  SendDlgItemMessage(IDC_PWD_NEW, EM_LIMITTEXT, kNewPasswordMaxChars, 0);
  SendDlgItemMessage(IDC_PWD_CONFIRM, EM_LIMITTEXT, kNewPasswordMaxChars, 0);
  GotoDlgCtrl(GetDlgItem(IDC_PWD_OLD));
  return FALSE;
}

void CChangePasswordDlg::OnOK()
{
  GetDlgItemText(IDC_PWD_OLD, m_oldPassword);
  GetDlgItemText(IDC_PWD_NEW, m_newPassword);
  GetDlgItemText(IDC_PWD_CONFIRM, m_confirmPassword);
  const CSiteItem* site = g_pDoc != nullptr ? g_pDoc->GetSite(m_siteIndex) : nullptr;
  if (site == nullptr) {  // deleted while the dialog was open: nothing to change
    EndDialog(IDCANCEL);
    return;
  }
  if (m_oldPassword != SiteField(site->m_password)) {
    MessageBox("The old password you entered is not correct,please try again", "Error", MB_OK | MB_ICONERROR);
    GotoDlgCtrl(GetDlgItem(IDC_PWD_OLD));
    return;
  }
  if (m_newPassword != m_confirmPassword) {
    MessageBox("The new and confirm passwords do not match, please re-type them", "Error", MB_OK | MB_ICONERROR);
    return;
  }
  m_newPassword.Trim();
  EndDialog(IDOK);
}
