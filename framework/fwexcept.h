// Framework exceptions. Thrown as pointers (throw new CFileException(...)), caught
// as CException* and released with Delete().
#pragma once

#include "framework/object.h"
#include "framework/fwstring.h"

class CException : public CObject {
  DECLARE_DYNAMIC(CException)
public:
  explicit CException(BOOL bAutoDelete = TRUE) : m_bAutoDelete(bAutoDelete) {}
  virtual ~CException() = default;
  void Delete();  // frees the exception unless it is a static one
  // A readable text; returns FALSE when there is none.
  virtual BOOL GetErrorMessage(char* lpszError, UINT nMaxError, UINT* pnHelpContext = nullptr) const;
  CString GetErrorMessage() const;

  BOOL m_bAutoDelete;
};

class CMemoryException : public CException {
  DECLARE_DYNAMIC(CMemoryException)
public:
  CMemoryException() = default;
  BOOL GetErrorMessage(char* lpszError, UINT nMaxError, UINT* pnHelpContext = nullptr) const override;
  using CException::GetErrorMessage;
};

class CResourceException : public CException {
  DECLARE_DYNAMIC(CResourceException)
public:
  CResourceException() = default;
  BOOL GetErrorMessage(char* lpszError, UINT nMaxError, UINT* pnHelpContext = nullptr) const override;
  using CException::GetErrorMessage;
};

class CFileException : public CException {
  DECLARE_DYNAMIC(CFileException)
public:
  enum {
    none,
    genericException,
    fileNotFound,
    badPath,
    tooManyOpenFiles,
    accessDenied,
    invalidFile,
    removeCurrentDir,
    directoryFull,
    badSeek,
    hardIO,
    sharingViolation,
    lockViolation,
    diskFull,
    endOfFile
  };
  explicit CFileException(int cause = none, LONG lOsError = -1, const char* lpszFileName = nullptr)
      : m_cause(cause), m_lOsError(lOsError), m_strFileName(lpszFileName) {}
  BOOL GetErrorMessage(char* lpszError, UINT nMaxError, UINT* pnHelpContext = nullptr) const override;
  using CException::GetErrorMessage;

  // Maps an OS error (GetLastError on Windows, errno natively) to a cause.
  static int OsErrorToException(LONG lOsError);
  [[noreturn]] static void ThrowOsError(LONG lOsError, const char* lpszFileName = nullptr);

  int m_cause;
  LONG m_lOsError;
  CString m_strFileName;
};

class CArchiveException : public CException {
  DECLARE_DYNAMIC(CArchiveException)
public:
  enum { none, genericException, readOnly, endOfFile, writeOnly, badIndex, badClass, badSchema };
  explicit CArchiveException(int cause = none, const char* lpszArchiveName = nullptr)
      : m_cause(cause), m_strFileName(lpszArchiveName) {}
  BOOL GetErrorMessage(char* lpszError, UINT nMaxError, UINT* pnHelpContext = nullptr) const override;
  using CException::GetErrorMessage;

  int m_cause;
  CString m_strFileName;
};

[[noreturn]] void AfxThrowMemoryException();
[[noreturn]] void AfxThrowResourceException();
[[noreturn]] void AfxThrowFileException(int cause, LONG lOsError = -1, const char* lpszFileName = nullptr);
[[noreturn]] void AfxThrowArchiveException(int cause, const char* lpszArchiveName = nullptr);
