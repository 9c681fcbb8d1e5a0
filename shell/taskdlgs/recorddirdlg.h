// "Record Server Directory Structure" (mode 1) and "Manual Get" (mode 0): a
// site, a remote text (start folder or file) and a local save target (record
// file or folder).
#pragma once

#include "framework/controls.h"
#include "framework/dialog.h"

class CRecordDirDlg : public CDialog {
public:
  CRecordDirDlg(int mode, int siteIndex, CWnd* pParent = nullptr);

  int m_mode;
  int m_siteIndex;
  CString m_saveTarget;
  CString m_remoteText = "/";

  BOOL OnInitDialog() override;
  void OnOK() override;

protected:
  void DoDataExchange(CDataExchange* pDX) override;
  afx_msg void OnBrowse();
  CComboBox m_sites;

  DECLARE_MESSAGE_MAP()
};
