// "Change File Attributes": nine checks and the manual mode number kept in step.
#pragma once

#include "framework/dialog.h"

class CChmodDlg : public CDialog {
public:
  explicit CChmodDlg(int mode, CWnd* pParent = nullptr);

  int m_mode;  // three octal digits written in decimal (755)

  BOOL OnInitDialog() override;
  void OnOK() override;

protected:
  afx_msg void OnCheck(UINT id);
  afx_msg void OnManualChange();
  // Sets the checks from the mode and writes the rebuilt number back.
  void ShowMode(int mode, bool writeManual);

  bool m_updating = false;

  DECLARE_MESSAGE_MAP()
};
