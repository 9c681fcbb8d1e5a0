#include "shell/app/aboutdlg.h"

#include "shell/app/appres.h"

const char CAboutDlg::kWebAddress[] = "http://www.pelmoro.example/zarn/";
const char CAboutDlg::kMailAddress[] = "mailto:zarn@pelmoro.example";
const char CAboutDlg::kCredits[] =
    "\tPelmoro ZARN\n"
    "\n"
    "\rTransfer engine\n"
    "Control and data connections\n"
    "Proxies and the connection keeper\n"
    "\n"
    "\rViews\n"
    "Server and local trees and lists\n"
    "\n"
    "\rTools\n"
    "Site manager, console and ping\n"
    "\n"
    "\tThank you for using ZARN\n";

CAboutDlg::CAboutDlg(CWnd* pParent) : CDialog(IDD_ABOUTBOX, pParent) {}

BOOL CAboutDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  m_web.SetURL(kWebAddress);
  m_web.SubclassDlgItem(IDC_ABOUT_WEB, this);
  m_mail.SetURL(kMailAddress);
  m_mail.SubclassDlgItem(IDC_ABOUT_MAIL, this);
  m_logo.SubclassDlgItem(IDC_ABOUT_LOGO, this);
  if (m_credits.SubclassDlgItem(IDC_ABOUT_CREDITS, this)) {
    m_credits.SetCredits(kCredits);
    m_credits.StartScrolling();
  }
  return TRUE;
}
