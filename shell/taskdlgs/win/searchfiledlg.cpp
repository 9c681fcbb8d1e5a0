#include "shell/taskdlgs/searchfiledlg.h"

#include "engine/progtask.h"
#include "shell/taskdlgs/sitecombo.h"
#include "shell/taskdlgs/taskdlgrules.h"
#include "shell/taskdlgs/taskdlgsres.h"

CSearchFileDlg::CSearchFileDlg(int siteIndex, CWnd* pParent) : CDialog(IDD_SEARCH_FILE, pParent), m_siteIndex(siteIndex)
{
}

void CSearchFileDlg::DoDataExchange(CDataExchange* pDX)
{
  DDX_Control(pDX, IDC_SEARCH_SITE, m_sites);
}

BOOL CSearchFileDlg::OnInitDialog()
{
  CDialog::OnInitDialog();
  // One place is kept for the "?" of a case-sensitive search.
  SendDlgItemMessage(IDC_SEARCH_FOLDER, EM_LIMITTEXT, kTaskPathLen - 2, 0);
  SendDlgItemMessage(IDC_SEARCH_TYPES, EM_LIMITTEXT, kTaskPathLen - 1, 0);
  SetDlgItemText(IDC_SEARCH_FOLDER, m_startFolder);
  SetDlgItemText(IDC_SEARCH_TYPES, m_types);
  CheckDlgButton(IDC_SEARCH_NO_LOOP, m_noLoop ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(IDC_SEARCH_CASE, m_caseSensitive ? BST_CHECKED : BST_UNCHECKED);
  if (FillSiteCombo(m_sites, m_siteIndex) == 0)
    GetDlgItem(IDOK)->EnableWindow(FALSE);
  return TRUE;
}

void CSearchFileDlg::OnOK()
{
  const int slot = SelectedSiteSlot(m_sites);
  if (slot < 0) {  // the site went while the dialog was open: choose again
    if (FillSiteCombo(m_sites, -1) == 0)
      GetDlgItem(IDOK)->EnableWindow(FALSE);
    return;
  }
  CString folder, types;
  GetDlgItemText(IDC_SEARCH_FOLDER, folder);
  GetDlgItemText(IDC_SEARCH_TYPES, types);
  const bool matchCase = IsDlgButtonChecked(IDC_SEARCH_CASE) == BST_CHECKED;
  ApplySearchFileRules(folder, types, matchCase);
  m_siteIndex = slot;
  m_startFolder = folder;
  m_types = types;
  m_noLoop = IsDlgButtonChecked(IDC_SEARCH_NO_LOOP) == BST_CHECKED;
  m_caseSensitive = matchCase;
  EndDialog(IDOK);
}
