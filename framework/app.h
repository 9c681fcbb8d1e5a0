// Two services of the application object: the parsed command line and the list of
// recently used files.
#pragma once

#include "framework/fwtypes.h"
#include "framework/object.h"
#include "framework/fwstring.h"
#include "framework/collections.h"

// What the command line asks for. Switches start with '/' or '-' and are matched
// without regard to case: /Embedding and /Automation (started by OLE: no splash,
// no window of its own unless a file is named), /p and /pt (print), /dde,
// /Unregister (or /Unregserver). The first other argument is a file to open.
class CCommandLineInfo : public CObject {
public:
  CCommandLineInfo() = default;

  // Called once per argument; bFlag: it began with '/' or '-' (which pszParam lacks).
  virtual void ParseParam(const char* pszParam, BOOL bFlag, BOOL bLast);

  enum {
    FileNew,
    FileOpen,
    FilePrint,
    FilePrintTo,
    FileDDE,
    AppRegister,
    AppUnregister,
    FileNothing = -1
  } m_nShellCommand = FileNew;

  BOOL m_bShowSplash = TRUE;
  BOOL m_bRunEmbedded = FALSE;
  BOOL m_bRunAutomated = FALSE;
  CString m_strFileName;
  CString m_strPrinterName;
  CString m_strDriverName;
  CString m_strPortName;

protected:
  void ParseParamFlag(const char* pszParam);
  void ParseParamNotFlag(const char* pszParam);
  void ParseLast(BOOL bLast);
};

// Splits a command line (without the program's name) into arguments by the
// usual rules: blanks separate, double quotes group, a backslash run before a
// quote halves and may escape it.
void AfxSplitCommandLine(const char* pszCmdLine, CStringArray& args);

// The most recently used files, newest first, kept in a profile section as
// entries File1..FileN.
class CRecentFileList {
public:
  CRecentFileList(UINT nStart, LPCTSTR lpszSection, LPCTSTR lpszEntryFormat, int nSize, int nMaxDispLen = 260);
  virtual ~CRecentFileList() = default;

  int GetSize() const { return m_nSize; }
  const CString& operator[](int nIndex) const { return m_arrNames[nIndex]; }
  // Moves the file to the front (a name already in the list, in any case, moves).
  virtual void Add(LPCTSTR lpszPathName);
  virtual void Remove(int nIndex);
  virtual void ReadList();   // from the application's profile
  virtual void WriteList();  // to it
  // Fills the menu from the item the update object stands for: one item per
  // file, "&1 name"...; with no file, the item shows its own text disabled.
  virtual void UpdateMenu(class CCmdUI* pCmdUI);

  UINT m_nStart;  // command id offset of the first entry (0: ID_FILE_MRU_FILE1)
  CString m_strSectionName;
  CString m_strEntryFormat;
  CString m_strOriginal;  // the menu item's text before files replaced it

protected:
  int m_nSize;
  int m_nMaxDisplayLength;
  CStringArray m_arrNames;
};
