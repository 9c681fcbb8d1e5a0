#include "sitemanager/sitenamedlg.h"

#include "sitemanager/siteres.h"
#include "sitemanager/sitetreerules.h"

CSiteNameDlg::CSiteNameDlg(CWnd* pParent) : CDialog(IDD_SITE_NAME, pParent) {}

BOOL CSiteNameDlg::OnInitDialog()
{
  // Before the exchange, so a longer preset name is cut as typing would be.
  SendDlgItemMessage(IDC_SITE_NAME_TEXT, EM_LIMITTEXT, kSpareNameMax);
  CDialog::OnInitDialog();
  switch (m_mode) {
  case kSpareSite:
    SetWindowText("Create ZARN Spare Site");
    break;
  case kLabel:
    SetWindowText("Create ZARN Spare Site Label");
    SetDlgItemText(IDC_SITE_NAME_PROMPT, "Enter Label Name:");
    break;
  default:
    SetWindowText("Create ZARN Work Site");
    break;
  }
  return TRUE;
}

void CSiteNameDlg::DoDataExchange(CDataExchange* pDX)
{
  DDX_Text(pDX, IDC_SITE_NAME_TEXT, m_name);
}
