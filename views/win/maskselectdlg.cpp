#include "views/maskselectdlg.h"

#include "views/filelistctrl.h"
#include "views/viewsres.h"

CMaskSelectDlg::CMaskSelectDlg(BOOL maskMode, CWnd* pParent) : CDialog(IDD_MASK_SELECT, pParent), m_maskMode(maskMode) {}

BOOL CMaskSelectDlg::OnInitDialog()
{
  CDialog::OnInitDialog();
  if (m_maskMode) {
    SetWindowText("Mask Select");
    SetDlgItemText(IDC_MASK_PROMPT, "Enter select mask:");
  }
  return TRUE;
}

void CMaskSelectDlg::DoDataExchange(CDataExchange* pDX)
{
  DDX_Text(pDX, IDC_MASK_TEXT, m_text);
}

void CMaskSelectDlg::OnOK()
{
  CDialog::OnOK();
  m_text.Trim(" ");
}

void RunMaskSelect(CFileListCtrl& list)
{
  CMaskSelectDlg dlg(TRUE, list.GetParent());
  dlg.DoModal();
  if (dlg.m_text.IsEmpty())
    return;
  if (dlg.m_text == "*" || dlg.m_text == "*.*") {
    list.SelectAll();
  } else {
    const int count = list.SelectByMask(dlg.m_text);
    CString text;
    if (count > 0)
      text.Format("%d objects matching %s found!", count, (const char*)dlg.m_text);
    else
      text.Format("No objects matching %s found!", (const char*)dlg.m_text);
    list.MessageBox(text, "Prompt", MB_OK | MB_ICONINFORMATION);
  }
  list.SetFocus();
}
