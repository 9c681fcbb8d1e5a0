// "Settings" of the manual console: transfer type, data connection mode,
// time-out, saving path and what a listing does.
#pragma once

#include "framework/afxwin.h"
#include "framework/dialog.h"

class CCommandSetDlg : public CDialog {
public:
  explicit CCommandSetDlg(CWnd* parent = nullptr);

  int m_ascii = 0;          // 0 binary, 1 ASCII
  int m_passive = 1;        // 0 PORT, 1 PASV
  int m_timeout = 120;      // seconds, at least 1 after OK
  CString m_folder;
  int m_listOption = 0;     // 0 just show, 1 show and save, 2 just save

  BOOL OnInitDialog() override;

protected:
  void DoDataExchange(CDataExchange* pDX) override;
  void OnOK() override;
  void OnBrowse();
  DECLARE_MESSAGE_MAP()
};
