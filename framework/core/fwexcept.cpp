#include "framework/fwexcept.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

IMPLEMENT_DYNAMIC(CException, CObject)
IMPLEMENT_DYNAMIC(CMemoryException, CException)
IMPLEMENT_DYNAMIC(CResourceException, CException)
IMPLEMENT_DYNAMIC(CFileException, CException)
IMPLEMENT_DYNAMIC(CArchiveException, CException)

namespace {
BOOL CopyMessage(const char* text, char* lpszError, UINT nMaxError) {
  if (!lpszError || nMaxError == 0) return FALSE;
  std::snprintf(lpszError, nMaxError, "%s", text);
  return TRUE;
}
}  // namespace

void CException::Delete() {
  if (m_bAutoDelete) delete this;
}

BOOL CException::GetErrorMessage(char* lpszError, UINT nMaxError, UINT* pnHelpContext) const {
  if (pnHelpContext) *pnHelpContext = 0;
  if (lpszError && nMaxError) *lpszError = '\0';
  return FALSE;
}

CString CException::GetErrorMessage() const {
  char buf[512];
  if (!GetErrorMessage(buf, sizeof buf)) return CString("An unknown error occurred.");
  return CString(buf);
}

BOOL CMemoryException::GetErrorMessage(char* lpszError, UINT nMaxError, UINT* pnHelpContext) const {
  if (pnHelpContext) *pnHelpContext = 0;
  return CopyMessage("Out of memory.", lpszError, nMaxError);
}

BOOL CResourceException::GetErrorMessage(char* lpszError, UINT nMaxError, UINT* pnHelpContext) const {
  if (pnHelpContext) *pnHelpContext = 0;
  return CopyMessage("A system resource could not be created.", lpszError, nMaxError);
}

BOOL CFileException::GetErrorMessage(char* lpszError, UINT nMaxError, UINT* pnHelpContext) const {
  if (pnHelpContext) *pnHelpContext = 0;
  static const char* const texts[] = {
      "No error occurred",
      "An unspecified error occurred while accessing",
      "The file was not found:",
      "The path is invalid:",
      "Too many files are open to open",
      "Access was denied to",
      "An invalid file handle was used with",
      "The current folder cannot be removed:",
      "There are no more directory entries in",
      "A seek error occurred in",
      "A hardware I/O error occurred while accessing",
      "A sharing violation occurred while accessing",
      "A locking violation occurred while accessing",
      "The disk is full while accessing",
      "An attempt was made to access beyond the end of",
  };
  const char* text = (m_cause >= 0 && m_cause < (int)(sizeof texts / sizeof texts[0])) ? texts[m_cause] : texts[1];
  char buf[600];
  std::snprintf(buf, sizeof buf, "%s %s.", text,
                m_strFileName.IsEmpty() ? "an unnamed file" : (const char*)m_strFileName);
  return CopyMessage(buf, lpszError, nMaxError);
}

BOOL CArchiveException::GetErrorMessage(char* lpszError, UINT nMaxError, UINT* pnHelpContext) const {
  if (pnHelpContext) *pnHelpContext = 0;
  static const char* const texts[] = {
      "No error occurred while reading",
      "An unexpected error occurred while reading",
      "An attempt was made to write to the loading archive",
      "An unexpected end of file was found while reading",
      "An attempt was made to read from the storing archive",
      "The file has an invalid format:",
      "An unexpected object was found while reading",
      "The file was written by an incompatible version of the program:",
  };
  const char* text = (m_cause >= 0 && m_cause < (int)(sizeof texts / sizeof texts[0])) ? texts[m_cause] : texts[1];
  char buf[600];
  std::snprintf(buf, sizeof buf, "%s %s.", text,
                m_strFileName.IsEmpty() ? "an unnamed file" : (const char*)m_strFileName);
  return CopyMessage(buf, lpszError, nMaxError);
}

int CFileException::OsErrorToException(LONG lOsError) {
#ifdef _WIN32
  switch ((DWORD)lOsError) {
    case NO_ERROR: return none;
    case ERROR_FILE_NOT_FOUND: return fileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_FILENAME_EXCED_RANGE: return badPath;
    case ERROR_TOO_MANY_OPEN_FILES: return tooManyOpenFiles;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return accessDenied;
    case ERROR_INVALID_HANDLE: return invalidFile;
    case ERROR_CURRENT_DIRECTORY: return removeCurrentDir;
    case ERROR_CANNOT_MAKE: return directoryFull;
    case ERROR_SEEK:
    case ERROR_NEGATIVE_SEEK: return badSeek;
    case ERROR_SHARING_VIOLATION: return sharingViolation;
    case ERROR_LOCK_VIOLATION: return lockViolation;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return diskFull;
    case ERROR_HANDLE_EOF: return endOfFile;
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE: return hardIO;
    default: return genericException;
  }
#else
  switch (lOsError) {
    case 0: return none;
    case ENOENT: return fileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP: return badPath;
    case EMFILE:
    case ENFILE: return tooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case EEXIST: return accessDenied;
    case EBADF: return invalidFile;
    case ESPIPE:
    case EOVERFLOW: return badSeek;
    case EIO: return hardIO;
    case EBUSY:
    case ETXTBSY: return sharingViolation;
    case ENOSPC:
    case EFBIG:
    case EDQUOT: return diskFull;
    default: return genericException;
  }
#endif
}

void CFileException::ThrowOsError(LONG lOsError, const char* lpszFileName) {
  throw new CFileException(OsErrorToException(lOsError), lOsError, lpszFileName);
}

void AfxThrowMemoryException() { throw new CMemoryException(); }
void AfxThrowResourceException() { throw new CResourceException(); }
void AfxThrowFileException(int cause, LONG lOsError, const char* lpszFileName) {
  throw new CFileException(cause, lOsError, lpszFileName);
}
void AfxThrowArchiveException(int cause, const char* lpszArchiveName) {
  throw new CArchiveException(cause, lpszArchiveName);
}
