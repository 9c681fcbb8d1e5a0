// A library with its own string table, for the resource tests.
#include "framework/afx.h"

extern "C" __declspec(dllexport) int ResDllLoadString(UINT nID, char* pszBuf, int cbBuf) {
  CString str;
  if (!str.LoadString(nID))
    return -1;
  lstrcpynA(pszBuf, str, cbBuf);
  return str.GetLength();
}

extern "C" __declspec(dllexport) HINSTANCE ResDllResourceHandle() { return AfxGetResourceHandle(); }
