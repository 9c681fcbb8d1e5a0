// The system's common dialogs: file open and save, font, colour and the folder
// browser. Each runs modally over its parent (else the active window of the
// calling thread) and returns IDOK or IDCANCEL.
#pragma once

#include "framework/wnd.h"
#include "framework/collections.h"

#include <commdlg.h>

#include <vector>

class CFileDialog {
public:
  // lpszFilter: pairs of "description|pattern", each followed by '|', the list
  // ended by "||" ("Text (*.txt)|*.txt|All files (*.*)|*.*||"). lpszDefExt is
  // appended to a typed name without an extension.
  CFileDialog(BOOL bOpenFileDialog, LPCTSTR lpszDefExt = nullptr, LPCTSTR lpszFileName = nullptr,
              DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCTSTR lpszFilter = nullptr,
              CWnd* pParentWnd = nullptr);
  virtual ~CFileDialog() = default;
  CFileDialog(const CFileDialog&) = delete;
  CFileDialog& operator=(const CFileDialog&) = delete;

  virtual INT_PTR DoModal();

  CString GetPathName() const;  // the full path of the (first) file chosen
  CString GetFileName() const;  // its name with the extension
  CString GetFileExt() const;   // its extension without the dot
  CString GetFileTitle() const; // its name without the extension
  CString GetFolderPath() const;
  // With OFN_ALLOWMULTISELECT: every file chosen.
  POSITION GetStartPosition() const;
  CString GetNextPathName(POSITION& pos) const;

  OPENFILENAMEA m_ofn;

protected:
  BOOL m_bOpenFileDialog;
  std::vector<char> m_filter;  // the filter with '|' turned into the system's zeros
  CString m_strDefExt;
  CString m_strInitialDir;
  std::vector<char> m_buffer;  // the chosen file names
  CWnd* m_pParentWnd;
};

class CFontDialog {
public:
  CFontDialog(LPLOGFONTA lplfInitial = nullptr, DWORD dwFlags = CF_EFFECTS | CF_SCREENFONTS, HDC hdcPrinter = nullptr,
              CWnd* pParentWnd = nullptr);
  virtual ~CFontDialog() = default;
  virtual INT_PTR DoModal();

  void GetCurrentFont(LPLOGFONTA lplf) const { *lplf = m_lf; }
  CString GetFaceName() const { return CString(m_lf.lfFaceName); }
  int GetSize() const { return m_cf.iPointSize; }  // tenths of a point
  COLORREF GetColor() const { return m_cf.rgbColors; }
  BOOL IsBold() const { return m_lf.lfWeight >= FW_SEMIBOLD; }
  BOOL IsItalic() const { return m_lf.lfItalic; }
  BOOL IsUnderline() const { return m_lf.lfUnderline; }
  BOOL IsStrikeOut() const { return m_lf.lfStrikeOut; }

  CHOOSEFONTA m_cf;
  LOGFONTA m_lf;

protected:
  CWnd* m_pParentWnd;
};

class CColorDialog {
public:
  explicit CColorDialog(COLORREF clrInit = 0, DWORD dwFlags = 0, CWnd* pParentWnd = nullptr);
  virtual ~CColorDialog() = default;
  virtual INT_PTR DoModal();
  COLORREF GetColor() const { return m_cc.rgbResult; }
  void SetCurrentColor(COLORREF clr) { m_cc.rgbResult = clr; }
  static COLORREF* GetSavedCustomColors();  // the 16 custom colours, shared by the process

  CHOOSECOLORA m_cc;

protected:
  CWnd* m_pParentWnd;
};

// The shell's folder browser titled lpszTitle, starting at lpszStartFolder when
// given. TRUE with the chosen folder's path in rPath; FALSE when cancelled or
// when the choice is no file-system folder (rPath is then left alone).
BOOL AfxBrowseForFolder(CWnd* pParentWnd, LPCTSTR lpszTitle, CString& rPath, LPCTSTR lpszStartFolder = nullptr);

// The owner for a box opened by the calling thread over pParent: pParent's
// top-level window when it belongs to this thread, else this thread's active
// window (or its visible main window); null when there is none.
HWND AfxGetDialogOwner(CWnd* pParent);
