// The name of a new work site, spare site or label, asked before it is made.
#pragma once

#include "framework/dialog.h"

class CSiteNameDlg : public CDialog {
public:
  enum Mode { kWorkSite = 0, kSpareSite = 1, kLabel = 2 };

  explicit CSiteNameDlg(CWnd* pParent = nullptr);
  BOOL OnInitDialog() override;

  CString m_name;  // as typed (the caller trims it); at most 49 bytes
  int m_mode = kWorkSite;

protected:
  void DoDataExchange(CDataExchange* pDX) override;
};
