// Files: CFile over CreateFileA handles (Windows) or POSIX descriptors (native),
// CMemFile over a growing memory block, CFileFind over a folder.
#pragma once

#include "framework/fwexcept.h"
#include "framework/fwstring.h"
#include "framework/object.h"

class CTime;

class CFile : public CObject {
  DECLARE_DYNAMIC(CFile)
public:
  enum OpenFlags : UINT {
    modeRead = 0x0000,
    modeWrite = 0x0001,
    modeReadWrite = 0x0002,
    shareCompat = 0x0000,
    shareExclusive = 0x0010,
    shareDenyWrite = 0x0020,
    shareDenyRead = 0x0030,
    shareDenyNone = 0x0040,
    modeNoInherit = 0x0080,
    modeCreate = 0x1000,
    modeNoTruncate = 0x2000,
    typeText = 0x4000,   // accepted and ignored: files are always binary
    typeBinary = 0x8000,
  };
  enum SeekPosition : UINT { begin = 0x0, current = 0x1, end = 0x2 };

#ifdef _WIN32
  typedef HANDLE FileHandle;
#else
  typedef int FileHandle;
#endif
  static const FileHandle hFileNull;

  CFile();
  // Wraps an open handle; it is closed with the object only if bCloseOnDelete.
  explicit CFile(FileHandle hFile, BOOL bCloseOnDelete = FALSE);
  // Opens or throws CFileException*.
  CFile(const char* lpszFileName, UINT nOpenFlags);
  virtual ~CFile();  // closes without throwing

  // FALSE on failure, with the reason in *pError when given.
  virtual BOOL Open(const char* lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr);
  // Returns the bytes read, 0 at the end; throws on a read error.
  virtual UINT Read(void* lpBuf, UINT nCount);
  // Writes all of it or throws (a short write is diskFull).
  virtual void Write(const void* lpBuf, UINT nCount);
  virtual ULONGLONG Seek(LONGLONG lOff, UINT nFrom);
  void SeekToBegin() { Seek(0, begin); }
  ULONGLONG SeekToEnd() { return Seek(0, end); }
  virtual ULONGLONG GetLength() const;
  virtual ULONGLONG GetPosition() const;
  virtual void SetLength(ULONGLONG dwNewLen);
  virtual void Flush();
  virtual void Close();  // idempotent; throws if the close itself fails
  virtual void Abort();  // closes, never throws
  virtual BOOL IsOpen() const;

  CString GetFileName() const;  // the name part of the path
  CString GetFilePath() const { return m_strFileName; }
  void SetFilePath(const char* lpszNewName) { m_strFileName = lpszNewName; }

  static void Remove(const char* lpszFileName);  // throw CFileException*
  static void Rename(const char* lpszOldName, const char* lpszNewName);

  FileHandle m_hFile;
#ifdef _WIN32
  operator HANDLE() const { return m_hFile; }
#endif

protected:
  BOOL m_bCloseOnDelete;
  CString m_strFileName;
};

// A file in memory. Owned blocks grow by nGrowBytes (rounded up); an attached block
// with a growth of 0 has a fixed size, and writing past it throws CMemoryException*.
class CMemFile : public CFile {
  DECLARE_DYNAMIC(CMemFile)
public:
  explicit CMemFile(UINT nGrowBytes = 1024);
  CMemFile(BYTE* lpBuffer, UINT nBufferSize, UINT nGrowBytes = 0);
  ~CMemFile() override;

  // Takes a block allocated with malloc (freed with free once it grows or the file
  // closes, unless nGrowBytes is 0: then the block stays the caller's).
  void Attach(BYTE* lpBuffer, UINT nBufferSize, UINT nGrowBytes = 0);
  // Gives the block (malloc-allocated) to the caller and empties the file.
  BYTE* Detach();
  // The bytes written so far (GetLength() of them); valid until the next write.
  BYTE* GetBufferPtr() const { return m_lpBuffer; }

  BOOL Open(const char*, UINT, CFileException* pError = nullptr) override;  // not supported
  UINT Read(void* lpBuf, UINT nCount) override;
  void Write(const void* lpBuf, UINT nCount) override;
  ULONGLONG Seek(LONGLONG lOff, UINT nFrom) override;
  ULONGLONG GetLength() const override { return m_nFileSize; }
  ULONGLONG GetPosition() const override { return m_nPosition; }
  void SetLength(ULONGLONG dwNewLen) override;
  void Flush() override {}
  void Close() override;
  void Abort() override;
  BOOL IsOpen() const override { return TRUE; }

protected:
  void GrowFile(size_t nNewLen);
  size_t m_nGrowBytes;
  size_t m_nPosition;
  size_t m_nBufferSize;
  size_t m_nFileSize;
  BYTE* m_lpBuffer;
  BOOL m_bAutoDelete;
};

// Enumerates a folder: FindFile(pattern) then FindNextFile() before each entry,
// which returns FALSE for the last one (the last entry is still valid to read).
class CFileFind : public CObject {
  DECLARE_DYNAMIC(CFileFind)
public:
  CFileFind();
  ~CFileFind() override;
  CFileFind(const CFileFind&) = delete;
  CFileFind& operator=(const CFileFind&) = delete;

  // pattern: a folder path plus a wildcard name ("C:\\dir\\*.*"); null means "*.*"
  // in the current folder. FALSE when nothing matches.
  BOOL FindFile(const char* pstrName = nullptr, DWORD dwUnused = 0);
  BOOL FindNextFile();
  void Close();

  CString GetFileName() const;
  CString GetFilePath() const;
  CString GetRoot() const { return m_strRoot; }  // folder with a trailing separator
  ULONGLONG GetLength() const;
  BOOL GetLastWriteTime(CTime& refTime) const;
  BOOL IsDirectory() const;
  BOOL IsDots() const;
  BOOL IsReadOnly() const;
  BOOL IsHidden() const;
#ifdef _WIN32
  BOOL GetLastWriteTime(FILETIME* pTimeStamp) const;
  DWORD GetAttributes() const;
  BOOL MatchesMask(DWORD dwMask) const;
#endif

private:
  struct Entry;
  struct State;
  BOOL ReadAhead();  // fills m_pNext with the next match, FALSE at the end
  State* m_pState;
  Entry* m_pFound;  // the current entry (after FindNextFile)
  Entry* m_pNext;   // the one read ahead
  CString m_strRoot;
};
