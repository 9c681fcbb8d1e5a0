// System Settings: the five option pages on a shaded tab sheet. OK applies
// every page to the settings (the caller then stores them); Cancel applies
// nothing.
#pragma once

#include "framework/dialog.h"
#include "shell/options/optionpages.h"
#include "toolkit/tabsheet.h"

class CToolBarEx;

class CSettingsDlg : public CDialog {
public:
  // toolbar: the one "Customize Toolbar" customises (null: that button is off).
  CSettingsDlg(CWnd* pParent, CToolBarEx* toolbar);

  BOOL OnInitDialog() override;
  void OnOK() override;

  enum { kPageCount = 5 };
  CTabSheet m_sheet;
  // Tab order: Connect, Transfer, General, Advanced, Display.
  CNetworkOptionsPage m_connect;
  CTransferOptionsPage m_transfer;
  CQueueOptionPage m_general;
  CConnectOptionsPage m_advanced;
  CInterfaceOptionsPage m_display;

protected:
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};

// The File Exists rules as six lists; OK stores them in g_fileRule and the
// running queue's copy.
class CFileExistsDlg : public CDialog {
public:
  explicit CFileExistsDlg(CWnd* pParent);
  BOOL OnInitDialog() override;
  void OnOK() override;

protected:
  afx_msg void OnDefault();
  DECLARE_MESSAGE_MAP()
};

// Runs File Exists Options over parent; TRUE after OK.
BOOL RunFileExistsDialog(CWnd* pParent);

// Points the replace box's "&Configure" at File Exists Options (start-up).
void InstallOptionDialogs();
