// A library with a dialog template of its own under an id the program also uses.
#include "framework/afxwin.h"

#include "resids.h"

// Runs the library's dialog modeless and reports its caption; FALSE when the
// dialog could not be made.
extern "C" __declspec(dllexport) BOOL GuiDllDialogCaption(char* pszCaption, int nMax) {
  CDialog dlg(IDD_SAME);
  if (!dlg.Create(IDD_SAME, nullptr))
    return FALSE;
  ::GetWindowTextA(dlg.m_hWnd, pszCaption, nMax);
  dlg.DestroyWindow();
  return TRUE;
}

// A template only the program has: the library finds none.
extern "C" __declspec(dllexport) INT_PTR GuiDllModalExeOnly() {
  CDialog dlg(IDD_EXE_ONLY);
  return dlg.DoModal();
}
