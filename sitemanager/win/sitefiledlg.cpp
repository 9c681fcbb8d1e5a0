#include "sitemanager/sitefiledlg.h"

#include "framework/commdlgs.h"
#include "sitemanager/siteres.h"

const char kSiteFileFilter[] = "ZARN site files(*.ini)|*.ini|All files(*.*)|*.*||";
const char kSiteFileExt[] = "ini";
const char kSiteFileDefaultName[] = "zarnsite";

BEGIN_MESSAGE_MAP(CSiteFileDlg, CDialog)
  ON_BN_CLICKED(IDC_SITE_FILE_BROWSE, OnBrowse)
END_MESSAGE_MAP()

CSiteFileDlg::CSiteFileDlg(CWnd* pParent) : CDialog(IDD_SITE_FILE, pParent) {}

BOOL CSiteFileDlg::OnInitDialog()
{
  // The path is kept in 261 bytes with its zero.
  SendDlgItemMessage(IDC_SITE_FILE_PATH, EM_LIMITTEXT, MAX_PATH);
  return CDialog::OnInitDialog();
}

void CSiteFileDlg::DoDataExchange(CDataExchange* pDX)
{
  DDX_Text(pDX, IDC_SITE_FILE_PATH, m_path);
}

void CSiteFileDlg::OnBrowse()
{
  CFileDialog box(FALSE, kSiteFileExt, kSiteFileDefaultName,
                  OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_CREATEPROMPT, kSiteFileFilter, this);
  if (box.DoModal() == IDOK)
    SetDlgItemText(IDC_SITE_FILE_PATH, box.GetPathName());
}
