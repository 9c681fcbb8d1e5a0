#include "shell/taskdlgs/recorddirdlg.h"

#include "engine/progtask.h"
#include "framework/commdlgs.h"
#include "shell/taskdlgs/sitecombo.h"
#include "shell/taskdlgs/taskdlgrules.h"
#include "shell/taskdlgs/taskdlgsres.h"

BEGIN_MESSAGE_MAP(CRecordDirDlg, CDialog)
  ON_BN_CLICKED(IDC_RECORD_BROWSE, OnBrowse)
END_MESSAGE_MAP()

CRecordDirDlg::CRecordDirDlg(int mode, int siteIndex, CWnd* pParent)
    : CDialog(IDD_RECORD_DIR, pParent), m_mode(mode), m_siteIndex(siteIndex)
{
}

void CRecordDirDlg::DoDataExchange(CDataExchange* pDX)
{
  DDX_Control(pDX, IDC_RECORD_SITE, m_sites);
}

BOOL CRecordDirDlg::OnInitDialog()
{
  CDialog::OnInitDialog();
  if (m_mode == 0) {
    SetWindowText("Manual Get");
    SetDlgItemText(IDOK, "&Get");
    SetDlgItemText(IDC_RECORD_FILE_LABEL, "File Name:");
    GetDlgItem(IDC_RECORD_START_LABEL)->ShowWindow(SW_HIDE);
    GetDlgItem(IDC_RECORD_FILE_LABEL)->ShowWindow(SW_SHOW);
  }
  SendDlgItemMessage(IDC_RECORD_REMOTE, EM_LIMITTEXT, kTaskPathLen - 1, 0);
  SendDlgItemMessage(IDC_RECORD_SAVE, EM_LIMITTEXT, kTaskPathLen - 1, 0);
  SetDlgItemText(IDC_RECORD_REMOTE, m_remoteText);
  SetDlgItemText(IDC_RECORD_SAVE, m_saveTarget);
  if (FillSiteCombo(m_sites, m_mode != 0 ? m_siteIndex : -1) == 0)
    GetDlgItem(IDOK)->EnableWindow(FALSE);
  return TRUE;
}

void CRecordDirDlg::OnBrowse()
{
  if (m_mode != 0) {
    CFileDialog dlg(FALSE, "txt", nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, "ZARN record file(*.txt)|*.txt||",
                    this);
    if (dlg.DoModal() != IDOK)
      return;
    SetDlgItemText(IDC_RECORD_SAVE, dlg.GetPathName());
    GotoDlgCtrl(GetDlgItem(IDOK));
  } else {
    CString folder;
    if (!AfxBrowseForFolder(this, "Please select a folder:", folder))
      return;
    SetDlgItemText(IDC_RECORD_SAVE, folder);
  }
}

void CRecordDirDlg::OnOK()
{
  CString save, remote;
  GetDlgItemText(IDC_RECORD_SAVE, save);
  GetDlgItemText(IDC_RECORD_REMOTE, remote);
  const RecordDirRefusal refusal = ApplyRecordDirRules(m_mode, save, remote);
  if (refusal != RecordDirRefusal::None) {
    MessageBox(RecordDirRefusalText(m_mode, refusal), "Prompt", MB_OK | MB_ICONINFORMATION);
    GotoDlgCtrl(GetDlgItem(refusal == RecordDirRefusal::NoSaveTarget ? IDC_RECORD_SAVE : IDC_RECORD_REMOTE));
    return;
  }
  const int slot = SelectedSiteSlot(m_sites);
  if (slot < 0) {  // the site went while the dialog was open: choose again
    if (FillSiteCombo(m_sites, -1) == 0)
      GetDlgItem(IDOK)->EnableWindow(FALSE);
    return;
  }
  m_siteIndex = slot;
  m_saveTarget = save;
  m_remoteText = remote;
  EndDialog(IDOK);
}
