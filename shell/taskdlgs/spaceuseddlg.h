// "Server Space Used": the modeless count of a server folder's folders, files
// and bytes, kept by the main window (created on first use, hidden by
// "Clo&se", destroyed with the main window). The count runs in a task thread
// that shares the run record with the dialog; either may go first.
#pragma once

#include "framework/commctrls.h"
#include "framework/controls.h"
#include "framework/dialog.h"

struct SpaceUsedRun;

class CSpaceUsedDlg : public CDialog {
public:
  CSpaceUsedDlg();
  ~CSpaceUsedDlg() override;

  // Makes the (hidden) window over the main window.
  BOOL Create(CWnd* pParent);

  int m_siteIndex = -1;
  CString m_result;
  BOOL m_autoHide = FALSE;
  CString m_startFolder = "/";
  int m_method = 0;  // 0 one recursive listing, 1 folder by folder
  UINT_PTR m_timer = 0;
  bool m_counting = false;  // a count of the current run is going
  SpaceUsedRun* m_pRun;     // shared with the task of the current run

  BOOL OnInitDialog() override;
  void OnOK() override {}  // Enter starts nothing
  void OnCancel() override;

protected:
  void DoDataExchange(CDataExchange* pDX) override;
  afx_msg void OnCheckAbort();
  afx_msg void OnTimer(UINT_PTR id);
  afx_msg LRESULT OnSitesChanged(WPARAM wParam, LPARAM lParam);
  afx_msg void OnDestroy();

  bool StartCount();
  // Timer off, progress 0, "&Check", the fields enabled again.
  void StopCounting();
  void ShowResult();
  void ResetRecord();
  void EnableFields(BOOL enable);

  CComboBox m_sites;
  CProgressCtrl m_progress;

  DECLARE_MESSAGE_MAP()
};
