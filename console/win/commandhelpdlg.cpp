#include "console/commandhelpdlg.h"

#include "console/commandhelptext.h"
#include "console/consoleres.h"

#include <cstring>

BOOL CCommandHelpDlg::Create(CWnd* parent)
{
  return CDialog::Create(IDD_COMMAND_HELP, parent);
}

BOOL CCommandHelpDlg::OnInitDialog()
{
  CDialog::OnInitDialog();
  HWND combo = ::GetDlgItem(m_hWnd, IDC_HELP_LINES);
  // Fixed pitch keeps the syntax column lined up.
  ::SendMessageA(combo, WM_SETFONT, (WPARAM)::GetStockObject(ANSI_FIXED_FONT), FALSE);
  size_t count = 0;
  const char* const* lines = CommandHelpLines(&count);
  int widest = 0;
  HDC dc = ::GetDC(combo);
  HGDIOBJ old = ::SelectObject(dc, ::GetStockObject(ANSI_FIXED_FONT));
  for (size_t i = 0; i < count; ++i) {
    ::SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM)lines[i]);
    SIZE size = {};
    ::GetTextExtentPoint32A(dc, lines[i], (int)strlen(lines[i]), &size);
    if (size.cx > widest)
      widest = size.cx;
  }
  ::SelectObject(dc, old);
  ::ReleaseDC(combo, dc);
  ::SendMessageA(combo, CB_SETHORIZONTALEXTENT, (WPARAM)(widest + 8), 0);
  return TRUE;
}

void CCommandHelpDlg::OnOK()
{
  ShowWindow(SW_HIDE);
}

void CCommandHelpDlg::OnCancel()
{
  ShowWindow(SW_HIDE);
}

void CCommandHelpDlg::PostNcDestroy()
{
  delete this;
}
