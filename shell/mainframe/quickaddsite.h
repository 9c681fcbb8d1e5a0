// Quick Add Site: host, name, login, port, connection limit, anonymous and
// passive of a new work site; the same dialog, as Modify Login Information,
// edits those of an existing site.
#pragma once

#include <string>

#include "framework/dialog.h"

struct SiteLoginValues;

class CQuickAddSiteDlg : public CDialog {
public:
  explicit CQuickAddSiteDlg(CWnd* pParent);

  // ---- members, in this order ----
  BOOL m_quickAddMode = TRUE;  // the name follows the host while typing
  BOOL m_hostEditable = TRUE;  // FALSE: host and port are disabled
  int m_anonymous = 0;
  CString m_host;
  CString m_name;
  CString m_password;
  CString m_user;
  int m_limitCount = 5;
  int m_limitKind = 0;  // option digit 0
  int m_port = 21;
  int m_passive = 2;    // option digit 4; any value but 0 shows checked

  BOOL OnInitDialog() override;
  void OnOK() override;

  // The values in and out of the dialog (the limit rule applied on the way out).
  void SetFrom(const SiteLoginValues& values);
  void CopyTo(SiteLoginValues& values) const;

protected:
  std::string ItemString(int id) const;
  afx_msg void OnAnonymous();
  afx_msg void OnHostChanged();
  afx_msg void OnLoginChanged();
  afx_msg void OnLimitKind();
  DECLARE_MESSAGE_MAP()

  bool m_filling = false;  // texts being set by the dialog itself
};

// What the clipboard offers to pre-fill a Quick Add with: host, name, port
// and, for a named login, user and password (anonymous then '0'). False when
// there is nothing.
bool QuickAddPrefill(SiteLoginValues& values);

// Quick Add Site's dialog part: anonymous preset, the clipboard's pre-fill,
// the dialog in quick-add mode. True after OK, values then as chosen.
bool RunQuickAddSiteDialog(CWnd* parent, SiteLoginValues& values);

// Modify Login Information for the site of slot, filled from values; host and
// port are disabled while that site is connected.
bool RunModifyInfoDialog(CWnd* parent, int slot, SiteLoginValues& values);
