// "Move To...": the target folder as typed (the callers trim it and apply
// their "/" rule).
#pragma once

#include "framework/dialog.h"

class CMoveToDlg : public CDialog {
public:
  explicit CMoveToDlg(CWnd* pParent = nullptr);

  CString m_target;

  BOOL OnInitDialog() override;
  void OnOK() override;
};
