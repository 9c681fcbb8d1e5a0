// CTabPageDialog: the base of the pages a CTabSheet hosts. Its commands and
// notifications go on to the sheet (and from there to the host), and Enter or
// Escape inside a page never hides it: the host decides what OK and Cancel do.
#pragma once

#include "framework/afxwin.h"

class CTabPageDialog : public CDialog {
  DECLARE_DYNAMIC(CTabPageDialog)
public:
  CTabPageDialog(UINT nIDTemplate, CWnd* pParent) : CDialog(nIDTemplate, pParent) {}

  void OnOK() override {}
  void OnCancel() override {}
  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

protected:
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};
