// "FTP Commands Information": the console's modeless list of FTP commands.
// Close only hides it; it deletes itself when its window goes.
#pragma once

#include "framework/afxwin.h"
#include "framework/dialog.h"

class CCommandHelpDlg : public CDialog {
public:
  CCommandHelpDlg() = default;
  // Makes the (hidden) window; false when it could not be made, and then the
  // object is the caller's to delete.
  BOOL Create(CWnd* parent);

  BOOL OnInitDialog() override;

protected:
  void OnOK() override;
  void OnCancel() override;
  void PostNcDestroy() override;
};
