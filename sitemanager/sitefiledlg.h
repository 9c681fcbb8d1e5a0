// "Site Manager Settings": where the spare sites are kept.
#pragma once

#include "framework/dialog.h"

class CSiteFileDlg : public CDialog {
public:
  explicit CSiteFileDlg(CWnd* pParent = nullptr);
  BOOL OnInitDialog() override;

  CString m_path;

protected:
  void DoDataExchange(CDataExchange* pDX) override;
  void OnBrowse();
  DECLARE_MESSAGE_MAP()
};

// The filter, extension and name of every box that picks a site file.
extern const char kSiteFileFilter[];
extern const char kSiteFileExt[];
extern const char kSiteFileDefaultName[];
