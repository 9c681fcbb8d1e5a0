#include "toolkit/tabpagedialog.h"

#include "toolkit/cmdforward.h"

IMPLEMENT_DYNAMIC(CTabPageDialog, CDialog)

BOOL CTabPageDialog::OnCommand(WPARAM wParam, LPARAM lParam) {
  CDialog::OnCommand(wParam, lParam);
  CWnd* pParent = GetParent();
  if (pParent != nullptr) {
    CForwardingCommand forwarding((HWND)lParam);
    pParent->SendMessage(WM_COMMAND, wParam, lParam);
  }
  return TRUE;
}

BOOL CTabPageDialog::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  CWnd* pParent = GetParent();
  *pResult = pParent != nullptr ? pParent->SendMessage(WM_NOTIFY, wParam, lParam) : 0;
  return TRUE;
}

BOOL CTabPageDialog::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
  if (nCode == CN_EVENT) {
    CWnd* pParent = GetParent();
    return pParent != nullptr && pParent->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
  }
  return CDialog::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}
