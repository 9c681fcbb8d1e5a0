// The one-line input of Mask Select (and, with its template's texts, of the
// document's Find Site), and the Mask Select command of the list views.
#pragma once

#include "framework/dialog.h"

class CFileListCtrl;

class CMaskSelectDlg : public CDialog {
public:
  CMaskSelectDlg(BOOL maskMode, CWnd* pParent);

  CString m_text;   // trimmed at OK; empty after Cancel
  BOOL m_maskMode;

  BOOL OnInitDialog() override;
  void OnOK() override;

protected:
  void DoDataExchange(CDataExchange* pDX) override;
};

// Asks for a mask and selects the matching rows of the list ("*" and "*.*":
// every row), reports the count in a "Prompt" box and gives the list the focus.
void RunMaskSelect(CFileListCtrl& list);
