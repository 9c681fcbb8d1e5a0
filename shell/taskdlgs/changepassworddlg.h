// "Change Password" for the site of a slot: the old password must be the one
// stored, the new one typed twice; the new one is trimmed at OK.
#pragma once

#include "framework/dialog.h"

// The site keeps its password in a 64-byte field: a longer new one could not
// be stored.
constexpr int kNewPasswordMaxChars = 63;

class CChangePasswordDlg : public CDialog {
public:
  CChangePasswordDlg(int siteIndex, CWnd* pParent = nullptr);

  int m_siteIndex;
  CString m_oldPassword;
  CString m_newPassword;
  CString m_confirmPassword;

  BOOL OnInitDialog() override;
  void OnOK() override;
};
