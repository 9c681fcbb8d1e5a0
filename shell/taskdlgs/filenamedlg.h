// "Dialog": one file name. Blanks only close it as Cancel.
#pragma once

#include "framework/dialog.h"

class CFileNameDlg : public CDialog {
public:
  explicit CFileNameDlg(CWnd* pParent = nullptr);

  CString m_name;  // as typed (OK only)

  BOOL OnInitDialog() override;
  void OnOK() override;
};
