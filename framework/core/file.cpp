#include "framework/file.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "framework/fwtime.h"

#ifndef _WIN32
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

IMPLEMENT_DYNAMIC(CFile, CObject)
IMPLEMENT_DYNAMIC(CMemFile, CFile)
IMPLEMENT_DYNAMIC(CFileFind, CObject)

#ifdef _WIN32
const CFile::FileHandle CFile::hFileNull = INVALID_HANDLE_VALUE;
static LONG LastOsError() { return (LONG)GetLastError(); }
#else
const CFile::FileHandle CFile::hFileNull = -1;
static LONG LastOsError() { return (LONG)errno; }
#endif

CFile::CFile() : m_hFile(hFileNull), m_bCloseOnDelete(FALSE) {}

CFile::CFile(FileHandle hFile, BOOL bCloseOnDelete) : m_hFile(hFile), m_bCloseOnDelete(bCloseOnDelete) {}

CFile::CFile(const char* lpszFileName, UINT nOpenFlags) : m_hFile(hFileNull), m_bCloseOnDelete(FALSE) {
  CFileException e;
  if (!Open(lpszFileName, nOpenFlags, &e)) throw new CFileException(e.m_cause, e.m_lOsError, e.m_strFileName);
}

CFile::~CFile() {
  if (m_hFile != hFileNull && m_bCloseOnDelete) Abort();
}

BOOL CFile::IsOpen() const { return m_hFile != hFileNull; }

BOOL CFile::Open(const char* lpszFileName, UINT nOpenFlags, CFileException* pError) {
  if (pError) {
    pError->m_cause = CFileException::none;
    pError->m_lOsError = 0;
    pError->m_strFileName = lpszFileName;
  }
  if (m_hFile != hFileNull || !lpszFileName) {
    if (pError) pError->m_cause = m_hFile != hFileNull ? CFileException::genericException : CFileException::badPath;
    return FALSE;
  }
  m_strFileName = lpszFileName;
  const UINT access = nOpenFlags & 3;
  const BOOL create = (nOpenFlags & modeCreate) != 0;
  const BOOL noTruncate = (nOpenFlags & modeNoTruncate) != 0;
#ifdef _WIN32
  DWORD dwAccess = access == modeRead ? GENERIC_READ : access == modeWrite ? GENERIC_WRITE
                                                                           : GENERIC_READ | GENERIC_WRITE;
  DWORD dwShare = 0;
  switch (nOpenFlags & 0x70) {
    case shareDenyWrite: dwShare = FILE_SHARE_READ; break;
    case shareDenyRead: dwShare = FILE_SHARE_WRITE; break;
    case shareDenyNone: dwShare = FILE_SHARE_READ | FILE_SHARE_WRITE; break;
    default: dwShare = 0; break;  // exclusive or compatibility
  }
  DWORD dwCreate = create ? (noTruncate ? OPEN_ALWAYS : CREATE_ALWAYS) : OPEN_EXISTING;
  // Handles are never inherited: a program started from here must not keep our files.
  SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, FALSE};
  HANDLE h = ::CreateFileA(lpszFileName, dwAccess, dwShare, &sa, dwCreate, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
#else
  int flags = (access == modeRead ? O_RDONLY : access == modeWrite ? O_WRONLY : O_RDWR) | O_CLOEXEC;
  if (create) flags |= O_CREAT | (noTruncate ? 0 : O_TRUNC);
  int h = ::open(lpszFileName, flags, 0666);
  if (h < 0) {
#endif
    if (pError) {
      pError->m_lOsError = LastOsError();
      pError->m_cause = CFileException::OsErrorToException(pError->m_lOsError);
    }
    return FALSE;
  }
  m_hFile = h;
  m_bCloseOnDelete = TRUE;
  return TRUE;
}

UINT CFile::Read(void* lpBuf, UINT nCount) {
  if (nCount == 0) return 0;
  if (m_hFile == hFileNull) AfxThrowFileException(CFileException::invalidFile, -1, m_strFileName);
#ifdef _WIN32
  DWORD got = 0;
  if (!::ReadFile(m_hFile, lpBuf, nCount, &got, nullptr)) CFileException::ThrowOsError(LastOsError(), m_strFileName);
  return (UINT)got;
#else
  UINT total = 0;
  while (total < nCount) {
    ssize_t n = ::read(m_hFile, (char*)lpBuf + total, nCount - total);
    if (n < 0) {
      if (errno == EINTR) continue;
      CFileException::ThrowOsError(LastOsError(), m_strFileName);
    }
    if (n == 0) break;
    total += (UINT)n;
  }
  return total;
#endif
}

void CFile::Write(const void* lpBuf, UINT nCount) {
  if (nCount == 0) return;
  if (m_hFile == hFileNull) AfxThrowFileException(CFileException::invalidFile, -1, m_strFileName);
#ifdef _WIN32
  DWORD done = 0;
  if (!::WriteFile(m_hFile, lpBuf, nCount, &done, nullptr)) CFileException::ThrowOsError(LastOsError(), m_strFileName);
  if (done != nCount) AfxThrowFileException(CFileException::diskFull, -1, m_strFileName);
#else
  UINT total = 0;
  while (total < nCount) {
    ssize_t n = ::write(m_hFile, (const char*)lpBuf + total, nCount - total);
    if (n < 0) {
      if (errno == EINTR) continue;
      CFileException::ThrowOsError(LastOsError(), m_strFileName);
    }
    if (n == 0) AfxThrowFileException(CFileException::diskFull, -1, m_strFileName);
    total += (UINT)n;
  }
#endif
}

ULONGLONG CFile::Seek(LONGLONG lOff, UINT nFrom) {
  if (m_hFile == hFileNull) AfxThrowFileException(CFileException::invalidFile, -1, m_strFileName);
  if (nFrom > end) AfxThrowFileException(CFileException::badSeek, -1, m_strFileName);
#ifdef _WIN32
  LARGE_INTEGER off, pos;
  off.QuadPart = lOff;
  if (!::SetFilePointerEx(m_hFile, off, &pos, nFrom == begin ? FILE_BEGIN : nFrom == current ? FILE_CURRENT : FILE_END))
    CFileException::ThrowOsError(LastOsError(), m_strFileName);
  return (ULONGLONG)pos.QuadPart;
#else
  off_t pos = ::lseek(m_hFile, (off_t)lOff, nFrom == begin ? SEEK_SET : nFrom == current ? SEEK_CUR : SEEK_END);
  if (pos < 0) {
    LONG err = LastOsError();
    throw new CFileException(err == EINVAL ? CFileException::badSeek : CFileException::OsErrorToException(err), err,
                             m_strFileName);
  }
  return (ULONGLONG)pos;
#endif
}

ULONGLONG CFile::GetLength() const {
  if (m_hFile == hFileNull) AfxThrowFileException(CFileException::invalidFile, -1, m_strFileName);
#ifdef _WIN32
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(m_hFile, &size)) CFileException::ThrowOsError(LastOsError(), m_strFileName);
  return (ULONGLONG)size.QuadPart;
#else
  struct stat st;
  if (::fstat(m_hFile, &st) != 0) CFileException::ThrowOsError(LastOsError(), m_strFileName);
  return (ULONGLONG)st.st_size;
#endif
}

ULONGLONG CFile::GetPosition() const { return const_cast<CFile*>(this)->Seek(0, current); }

void CFile::SetLength(ULONGLONG dwNewLen) {
  if (dwNewLen > (ULONGLONG)std::numeric_limits<LONGLONG>::max())
    AfxThrowFileException(CFileException::badSeek, -1, m_strFileName);
  Seek((LONGLONG)dwNewLen, begin);
#ifdef _WIN32
  if (!::SetEndOfFile(m_hFile)) CFileException::ThrowOsError(LastOsError(), m_strFileName);
#else
  if (::ftruncate(m_hFile, (off_t)dwNewLen) != 0) CFileException::ThrowOsError(LastOsError(), m_strFileName);
#endif
}

void CFile::Flush() {
  if (m_hFile == hFileNull) return;
#ifdef _WIN32
  if (!::FlushFileBuffers(m_hFile)) {
    DWORD err = GetLastError();
    if (err != ERROR_INVALID_HANDLE && err != ERROR_ACCESS_DENIED)  // read-only handles cannot flush
      CFileException::ThrowOsError((LONG)err, m_strFileName);
  }
#else
  if (::fsync(m_hFile) != 0 && errno != EINVAL && errno != EBADF && errno != EROFS)
    CFileException::ThrowOsError(LastOsError(), m_strFileName);
#endif
}

void CFile::Close() {
  if (m_hFile == hFileNull) return;
  FileHandle h = m_hFile;
  m_hFile = hFileNull;
  m_bCloseOnDelete = FALSE;
#ifdef _WIN32
  if (!::CloseHandle(h)) CFileException::ThrowOsError(LastOsError(), m_strFileName);
#else
  if (::close(h) != 0 && errno != EINTR) CFileException::ThrowOsError(LastOsError(), m_strFileName);
#endif
}

void CFile::Abort() {
  if (m_hFile == hFileNull) return;
#ifdef _WIN32
  ::CloseHandle(m_hFile);
#else
  ::close(m_hFile);
#endif
  m_hFile = hFileNull;
  m_bCloseOnDelete = FALSE;
}

CString CFile::GetFileName() const {
  const char* path = m_strFileName;
  const char* name = path;
  for (const char* p = path; *p; p += FwCharLen(p))
    if (*p == '\\' || *p == '/' || *p == ':') name = p + 1;
  return CString(name);
}

void CFile::Remove(const char* lpszFileName) {
#ifdef _WIN32
  if (!::DeleteFileA(lpszFileName)) CFileException::ThrowOsError(LastOsError(), lpszFileName);
#else
  if (::unlink(lpszFileName) != 0) CFileException::ThrowOsError(LastOsError(), lpszFileName);
#endif
}

void CFile::Rename(const char* lpszOldName, const char* lpszNewName) {
#ifdef _WIN32
  if (!::MoveFileA(lpszOldName, lpszNewName)) CFileException::ThrowOsError(LastOsError(), lpszOldName);
#else
  if (::rename(lpszOldName, lpszNewName) != 0) CFileException::ThrowOsError(LastOsError(), lpszOldName);
#endif
}

// ---------------------------------------------------------------------------
CMemFile::CMemFile(UINT nGrowBytes)
    : m_nGrowBytes(nGrowBytes), m_nPosition(0), m_nBufferSize(0), m_nFileSize(0), m_lpBuffer(nullptr),
      m_bAutoDelete(TRUE) {}

CMemFile::CMemFile(BYTE* lpBuffer, UINT nBufferSize, UINT nGrowBytes)
    : m_nGrowBytes(0), m_nPosition(0), m_nBufferSize(0), m_nFileSize(0), m_lpBuffer(nullptr), m_bAutoDelete(TRUE) {
  Attach(lpBuffer, nBufferSize, nGrowBytes);
}

CMemFile::~CMemFile() {
  if (m_lpBuffer && m_bAutoDelete) std::free(m_lpBuffer);
  m_lpBuffer = nullptr;
}

void CMemFile::Attach(BYTE* lpBuffer, UINT nBufferSize, UINT nGrowBytes) {
  Close();
  m_lpBuffer = lpBuffer;
  m_nBufferSize = lpBuffer ? nBufferSize : 0;
  m_nGrowBytes = nGrowBytes;
  // A fixed block holds the file's contents; a growing one is taken as empty space.
  m_nFileSize = nGrowBytes == 0 ? m_nBufferSize : 0;
  m_nPosition = 0;
  m_bAutoDelete = nGrowBytes != 0;
}

BYTE* CMemFile::Detach() {
  BYTE* p = m_lpBuffer;
  m_lpBuffer = nullptr;
  m_nBufferSize = m_nFileSize = m_nPosition = 0;
  m_bAutoDelete = TRUE;
  return p;
}

BOOL CMemFile::Open(const char*, UINT, CFileException* pError) {
  if (pError) pError->m_cause = CFileException::genericException;
  return FALSE;
}

void CMemFile::GrowFile(size_t nNewLen) {
  if (nNewLen <= m_nBufferSize) return;
  if (m_nGrowBytes == 0) AfxThrowMemoryException();
  size_t steps = (nNewLen - m_nBufferSize + m_nGrowBytes - 1) / m_nGrowBytes;
  if (steps > (std::numeric_limits<size_t>::max() - m_nBufferSize) / m_nGrowBytes) AfxThrowMemoryException();
  size_t newSize = m_nBufferSize + steps * m_nGrowBytes;
  BYTE* p = (BYTE*)std::realloc(m_bAutoDelete ? m_lpBuffer : nullptr, newSize);
  if (!p) AfxThrowMemoryException();
  if (!m_bAutoDelete && m_lpBuffer) std::memcpy(p, m_lpBuffer, m_nFileSize);
  m_lpBuffer = p;
  m_nBufferSize = newSize;
  m_bAutoDelete = TRUE;
}

UINT CMemFile::Read(void* lpBuf, UINT nCount) {
  if (m_nPosition >= m_nFileSize || nCount == 0) return 0;
  size_t n = m_nFileSize - m_nPosition;
  if (n > nCount) n = nCount;
  std::memcpy(lpBuf, m_lpBuffer + m_nPosition, n);
  m_nPosition += n;
  return (UINT)n;
}

void CMemFile::Write(const void* lpBuf, UINT nCount) {
  if (nCount == 0) return;
  if (m_nPosition > std::numeric_limits<size_t>::max() - nCount) AfxThrowMemoryException();
  size_t end = m_nPosition + nCount;
  GrowFile(end);
  if (m_nPosition > m_nFileSize) std::memset(m_lpBuffer + m_nFileSize, 0, m_nPosition - m_nFileSize);
  std::memcpy(m_lpBuffer + m_nPosition, lpBuf, nCount);
  m_nPosition = end;
  if (end > m_nFileSize) m_nFileSize = end;
}

ULONGLONG CMemFile::Seek(LONGLONG lOff, UINT nFrom) {
  LONGLONG base = nFrom == begin ? 0 : nFrom == current ? (LONGLONG)m_nPosition
                                     : nFrom == end ? (LONGLONG)m_nFileSize : -1;
  if (base < 0) AfxThrowFileException(CFileException::badSeek, -1, m_strFileName);
  if ((lOff < 0 && base + lOff < 0) || (lOff > 0 && lOff > std::numeric_limits<LONGLONG>::max() - base))
    AfxThrowFileException(CFileException::badSeek, -1, m_strFileName);
  ULONGLONG pos = (ULONGLONG)(base + lOff);
  if (pos > std::numeric_limits<size_t>::max()) AfxThrowFileException(CFileException::badSeek, -1, m_strFileName);
  m_nPosition = (size_t)pos;
  return pos;
}

void CMemFile::SetLength(ULONGLONG dwNewLen) {
  if (dwNewLen > std::numeric_limits<size_t>::max()) AfxThrowMemoryException();
  size_t len = (size_t)dwNewLen;
  GrowFile(len);
  if (len > m_nFileSize) std::memset(m_lpBuffer + m_nFileSize, 0, len - m_nFileSize);
  m_nFileSize = len;
  if (m_nPosition > len) m_nPosition = len;
}

void CMemFile::Close() {
  if (m_lpBuffer && m_bAutoDelete) std::free(m_lpBuffer);
  m_lpBuffer = nullptr;
  m_nBufferSize = m_nFileSize = m_nPosition = 0;
  m_bAutoDelete = TRUE;
}

void CMemFile::Abort() { Close(); }

// ---------------------------------------------------------------------------
struct CFileFind::Entry {
  CString name;
  bool isDir = false;
  bool readOnly = false;
  bool hidden = false;
  ULONGLONG size = 0;
  LONGLONG mtime = 0;  // seconds since 1970 UTC
#ifdef _WIN32
  DWORD attributes = 0;
  FILETIME lastWrite = {0, 0};
#endif
};

struct CFileFind::State {
#ifdef _WIN32
  HANDLE hFind = INVALID_HANDLE_VALUE;
#else
  DIR* dir = nullptr;
  CString pattern;
  CString folder;
#endif
};

#ifdef _WIN32
static LONGLONG FileTimeToUnix(const FILETIME& ft) {
  ULONGLONG t = ((ULONGLONG)ft.dwHighDateTime << 32) | ft.dwLowDateTime;
  return (LONGLONG)(t / 10000000ULL) - 11644473600LL;
}
#endif

CFileFind::CFileFind() : m_pState(nullptr), m_pFound(nullptr), m_pNext(nullptr) {}

CFileFind::~CFileFind() { Close(); }

void CFileFind::Close() {
  if (m_pState) {
#ifdef _WIN32
    if (m_pState->hFind != INVALID_HANDLE_VALUE) ::FindClose(m_pState->hFind);
#else
    if (m_pState->dir) ::closedir(m_pState->dir);
#endif
    delete m_pState;
    m_pState = nullptr;
  }
  delete m_pFound;
  delete m_pNext;
  m_pFound = m_pNext = nullptr;
  m_strRoot.Empty();
}

BOOL CFileFind::FindFile(const char* pstrName, DWORD) {
  Close();
  CString pattern = pstrName && *pstrName ? pstrName : "*.*";
  // The folder part, with its separator.
  int cut = -1;
  for (int i = 0; i < pattern.GetLength(); i += FwCharLen((const char*)pattern + i)) {
    char c = pattern[i];
#ifdef _WIN32
    if (c == '\\' || c == '/' || c == ':') cut = i;
#else
    if (c == '\\' || c == '/') cut = i;
#endif
  }
  m_strRoot = pattern.Left(cut + 1);
  m_pState = new State;
#ifdef _WIN32
  WIN32_FIND_DATAA fd;
  m_pState->hFind = ::FindFirstFileA(pattern, &fd);
  if (m_pState->hFind == INVALID_HANDLE_VALUE) {
    Close();
    return FALSE;
  }
  Entry* e = new Entry;
  e->name = fd.cFileName;
  e->attributes = fd.dwFileAttributes;
  e->isDir = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  e->readOnly = (fd.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
  e->hidden = (fd.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0;
  e->size = ((ULONGLONG)fd.nFileSizeHigh << 32) | fd.nFileSizeLow;
  e->lastWrite = fd.ftLastWriteTime;
  e->mtime = FileTimeToUnix(fd.ftLastWriteTime);
  m_pNext = e;
  return TRUE;
#else
  CString name = pattern.Mid(cut + 1);
  if (name == "*.*") name = "*";  // every name, as on Windows
  m_pState->pattern = name;
  m_pState->folder = m_strRoot.IsEmpty() ? CString("./") : m_strRoot;
  m_pState->dir = ::opendir(m_pState->folder);
  if (!m_pState->dir || !ReadAhead()) {
    Close();
    return FALSE;
  }
  return TRUE;
#endif
}

BOOL CFileFind::ReadAhead() {
  m_pNext = nullptr;
  if (!m_pState) return FALSE;
#ifdef _WIN32
  WIN32_FIND_DATAA fd;
  if (m_pState->hFind == INVALID_HANDLE_VALUE || !::FindNextFileA(m_pState->hFind, &fd)) return FALSE;
  Entry* e = new Entry;
  e->name = fd.cFileName;
  e->attributes = fd.dwFileAttributes;
  e->isDir = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  e->readOnly = (fd.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
  e->hidden = (fd.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0;
  e->size = ((ULONGLONG)fd.nFileSizeHigh << 32) | fd.nFileSizeLow;
  e->lastWrite = fd.ftLastWriteTime;
  e->mtime = FileTimeToUnix(fd.ftLastWriteTime);
  m_pNext = e;
  return TRUE;
#else
  if (!m_pState->dir) return FALSE;
  for (;;) {
    struct dirent* d = ::readdir(m_pState->dir);
    if (!d) return FALSE;
    if (::fnmatch(m_pState->pattern, d->d_name, FNM_CASEFOLD) != 0) continue;
    Entry* e = new Entry;
    e->name = d->d_name;
    CString full = m_pState->folder + d->d_name;
    struct stat st;
    if (::stat(full, &st) == 0) {
      e->isDir = S_ISDIR(st.st_mode);
      e->size = e->isDir ? 0 : (ULONGLONG)st.st_size;
      e->mtime = (LONGLONG)st.st_mtime;
      e->readOnly = (st.st_mode & S_IWUSR) == 0;
    }
    e->hidden = d->d_name[0] == '.' && std::strcmp(d->d_name, ".") != 0 && std::strcmp(d->d_name, "..") != 0;
    m_pNext = e;
    return TRUE;
  }
#endif
}

BOOL CFileFind::FindNextFile() {
  if (!m_pNext) return FALSE;
  delete m_pFound;
  m_pFound = m_pNext;
  m_pNext = nullptr;
  return ReadAhead();
}

CString CFileFind::GetFileName() const { return m_pFound ? m_pFound->name : CString(); }
CString CFileFind::GetFilePath() const { return m_pFound ? m_strRoot + m_pFound->name : CString(); }
ULONGLONG CFileFind::GetLength() const { return m_pFound ? m_pFound->size : 0; }
BOOL CFileFind::IsDirectory() const { return m_pFound && m_pFound->isDir; }
BOOL CFileFind::IsReadOnly() const { return m_pFound && m_pFound->readOnly; }
BOOL CFileFind::IsHidden() const { return m_pFound && m_pFound->hidden; }
BOOL CFileFind::IsDots() const {
  return m_pFound && m_pFound->isDir && (m_pFound->name == "." || m_pFound->name == "..");
}

BOOL CFileFind::GetLastWriteTime(CTime& refTime) const {
  if (!m_pFound) return FALSE;
  refTime = CTime(m_pFound->mtime);
  return TRUE;
}

#ifdef _WIN32
BOOL CFileFind::GetLastWriteTime(FILETIME* pTimeStamp) const {
  if (!m_pFound || !pTimeStamp) return FALSE;
  *pTimeStamp = m_pFound->lastWrite;
  return TRUE;
}
DWORD CFileFind::GetAttributes() const { return m_pFound ? m_pFound->attributes : 0; }
BOOL CFileFind::MatchesMask(DWORD dwMask) const { return m_pFound && (m_pFound->attributes & dwMask) != 0; }
#endif
