// "Search For File": site, start folder, types and the two flags.
#pragma once

#include "framework/controls.h"
#include "framework/dialog.h"

class CSearchFileDlg : public CDialog {
public:
  CSearchFileDlg(int siteIndex, CWnd* pParent = nullptr);

  int m_siteIndex;
  CString m_startFolder = "/";  // "?" behind it when m_caseSensitive (after OK)
  CString m_types = "*.*";
  BOOL m_noLoop = FALSE;
  BOOL m_caseSensitive = FALSE;

  BOOL OnInitDialog() override;
  void OnOK() override;

protected:
  void DoDataExchange(CDataExchange* pDX) override;
  CComboBox m_sites;
};
