#pragma once
// "About Pelmoro ZARN": version, rights, the scrolling credits and two links.
#include "framework/dialog.h"
#include "shell/app/creditsstatic.h"
#include "toolkit/hyperlink.h"
#include "toolkit/transparentstatic.h"

class CAboutDlg : public CDialog {
public:
  explicit CAboutDlg(CWnd* pParent = nullptr);

  static const char kWebAddress[];
  static const char kMailAddress[];
  static const char kCredits[];

protected:
  BOOL OnInitDialog() override;

  CCreditsStatic m_credits;
  CHyperLink m_web;
  CHyperLink m_mail;
  CTransparentStatic m_logo;
};
