#include "console/commandsetdlg.h"

#include "console/consoleres.h"
#include "framework/commdlgs.h"

BEGIN_MESSAGE_MAP(CCommandSetDlg, CDialog)
  ON_BN_CLICKED(IDC_SET_BROWSE, OnBrowse)
END_MESSAGE_MAP()

CCommandSetDlg::CCommandSetDlg(CWnd* parent) : CDialog(IDD_COMMAND_SET, parent) {}

BOOL CCommandSetDlg::OnInitDialog()
{
  // The resource compiler has no combo initialisation data: filled here.
  const struct {
    int id;
    const char* items[3];
  } combos[] = {{IDC_SET_ASCII, {"Binary", "ASCII", nullptr}},
                {IDC_SET_PASSIVE, {"PORT", "PASV", nullptr}},
                {IDC_SET_LISTING, {"Just show", "Show and save", "Just save"}}};
  for (const auto& c : combos) {
    HWND combo = ::GetDlgItem(m_hWnd, c.id);
    for (const char* item : c.items)
      if (item != nullptr)
        ::SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM)item);
  }
  return CDialog::OnInitDialog();
}

void CCommandSetDlg::DoDataExchange(CDataExchange* pDX)
{
  DDX_CBIndex(pDX, IDC_SET_ASCII, m_ascii);
  DDX_CBIndex(pDX, IDC_SET_PASSIVE, m_passive);
  DDX_Text(pDX, IDC_SET_TIMEOUT, m_timeout);
  DDX_Text(pDX, IDC_SET_FOLDER, m_folder);
  DDX_CBIndex(pDX, IDC_SET_LISTING, m_listOption);
}

void CCommandSetDlg::OnOK()
{
  if (!UpdateData(TRUE))
    return;
  // A time-out of 0 would fire at once and reset every connection.
  if (m_timeout < 1)
    m_timeout = 1;
  EndDialog(IDOK);
}

void CCommandSetDlg::OnBrowse()
{
  CString path;
  if (AfxBrowseForFolder(this, "Please specify a saving path: ", path) && !path.IsEmpty())
    ::SetDlgItemTextA(m_hWnd, IDC_SET_FOLDER, path.GetString());
}
