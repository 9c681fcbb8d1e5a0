#pragma once
// "Tip of the day": a tip a time from Tips.txt beside the program, where to
// go on kept in the profile's "Tip" section; the show-at-start-up choice too.
#include <cstdio>

#include "framework/dialog.h"
#include "framework/gdi.h"
#include "shell/app/tipreader.h"

class CTipDlg : public CDialog {
public:
  explicit CTipDlg(CWnd* pParent = nullptr);
  ~CTipDlg() override;

  BOOL m_bStartup = TRUE;  // the check box: shown at start-up

  // The tips file: "Tips.txt" in the executable's folder (tests point it elsewhere).
  static CString TipsFilePath();
  static void SetTipsFilePathForTest(const char* path);

protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;
  void DoDataExchange(CDataExchange* pDX) override;

  void ShowNextTip();
  void ShowResourceText(UINT id);

  afx_msg void OnNextTip();
  afx_msg void OnPaint();
  afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);

  std::FILE* m_pStream = nullptr;
  CString m_strTip;
  CString m_strHeading = "Did you know...";
  CString m_strFooter;
  long m_tipNumber = 0;
  CBitmap m_bulb;
  HBRUSH m_hollow = nullptr;  // stock: never deleted

  DECLARE_MESSAGE_MAP()
};
