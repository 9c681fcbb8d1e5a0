// CArchive: the framework's binary archive over a CFile, in the classic stored
// format (little-endian numbers, length-prefixed strings, tagged objects), so files
// written by earlier versions load unchanged. Loading never reads past the end and
// never trusts a stored length beyond what the file still holds: every failure is a
// CArchiveException* (or CFileException* from the file itself).
#pragma once

#include <unordered_map>
#include <vector>

#include "framework/file.h"
#include "framework/fwexcept.h"
#include "framework/fwstring.h"
#include "framework/object.h"

class CArchive {
public:
  enum Mode { store = 0, load = 1, bNoFlushOnDelete = 2 };

  CArchive(CFile* pFile, UINT nMode, int nBufSize = 4096, void* lpBuf = nullptr);
  ~CArchive();  // flushes a storing archive that was not closed (errors swallowed)
  CArchive(const CArchive&) = delete;
  CArchive& operator=(const CArchive&) = delete;

  BOOL IsLoading() const { return (m_nMode & load) != 0; }
  BOOL IsStoring() const { return (m_nMode & load) == 0; }
  BOOL IsBufferEmpty() const { return m_lpBufCur == m_lpBufMax; }
  CFile* GetFile() const { return m_pFile; }

  // Schema of the object being loaded; valid once per object, then (UINT)-1.
  UINT GetObjectSchema();
  void SetObjectSchema(UINT nSchema) { m_nObjectSchema = nSchema; }

  // Raw bytes. Read returns fewer than asked only at the end of the file.
  UINT Read(void* lpBuf, UINT nMax);
  void Write(const void* lpBuf, UINT nMax);
  void Flush();
  void Close();  // flushes and detaches from the file (the file stays open)
  void Abort();  // detaches without flushing, never throws

  // Text lines: WriteString writes the text as is (add "\r\n" yourself); ReadString
  // reads up to the next "\n" and drops the "\r\n". FALSE / null at the end.
  void WriteString(const char* lpsz);
  BOOL ReadString(CString& rString);
  char* ReadString(char* lpsz, UINT nMax);

  // Bytes left to load (buffer plus the rest of the file).
  ULONGLONG GetRemainingLength() const;
  // Throws endOfFile unless nBytes are still there; use before allocating for a
  // stored count.
  void EnsureRemaining(ULONGLONG nBytes) const;

  // Object graph.
  void WriteObject(const CObject* pOb);
  CObject* ReadObject(const CRuntimeClass* pClassRefRequested);
  void WriteClass(const CRuntimeClass* pClassRef);
  CRuntimeClass* ReadClass(const CRuntimeClass* pClassRefRequested = nullptr, UINT* pSchema = nullptr,
                           DWORD* pObTag = nullptr);
  // Element counts: 16-bit, or 0xFFFF and 32-bit.
  void WriteCount(DWORD dwCount);
  DWORD ReadCount();

  // Numbers, little-endian, fixed widths: int and unsigned are 32-bit, long only
  // exists on Windows (32-bit there).
  CArchive& operator<<(BYTE by);
  CArchive& operator<<(WORD w);
  CArchive& operator<<(short s) { return *this << (WORD)s; }
  CArchive& operator<<(char ch) { return *this << (BYTE)ch; }
  CArchive& operator<<(int i) { return WriteU32((uint32_t)i); }
  CArchive& operator<<(unsigned u) { return WriteU32((uint32_t)u); }
#ifdef _WIN32
  CArchive& operator<<(long l) { return WriteU32((uint32_t)l); }
  CArchive& operator<<(unsigned long dw) { return WriteU32((uint32_t)dw); }
#endif
  CArchive& operator<<(long long ll) { return WriteU64((uint64_t)ll); }
  CArchive& operator<<(unsigned long long ull) { return WriteU64((uint64_t)ull); }
  CArchive& operator<<(float f);
  CArchive& operator<<(double d);

  CArchive& operator>>(BYTE& by);
  CArchive& operator>>(WORD& w);
  CArchive& operator>>(short& s) { WORD w; *this >> w; s = (short)w; return *this; }
  CArchive& operator>>(char& ch) { BYTE b; *this >> b; ch = (char)b; return *this; }
  CArchive& operator>>(int& i) { i = (int)ReadU32(); return *this; }
  CArchive& operator>>(unsigned& u) { u = ReadU32(); return *this; }
#ifdef _WIN32
  CArchive& operator>>(long& l) { l = (long)(int32_t)ReadU32(); return *this; }
  CArchive& operator>>(unsigned long& dw) { dw = ReadU32(); return *this; }
#endif
  CArchive& operator>>(long long& ll) { ll = (long long)ReadU64(); return *this; }
  CArchive& operator>>(unsigned long long& ull) { ull = ReadU64(); return *this; }
  CArchive& operator>>(float& f);
  CArchive& operator>>(double& d);

  CString m_strFileName;

  enum : WORD { wNullTag = 0, wNewClassTag = 0xFFFF, wClassTag = 0x8000, wBigObjectTag = 0x7FFF };
  enum : DWORD { dwBigClassTag = 0x80000000u, nMaxMapCount = 0x3FFFFFFEu };

private:
  CArchive& WriteU32(uint32_t v);
  CArchive& WriteU64(uint64_t v);
  uint32_t ReadU32();
  uint64_t ReadU64();
  void FillBuffer(UINT nBytesNeeded);  // throws endOfFile if they are not there
  bool TryFill();                      // reads more into an empty buffer; false at the end
  void CheckLoading() const;
  void CheckStoring() const;

  struct LoadEntry {
    void* p;
    bool isClass;
    UINT schema;
  };

  CFile* m_pFile;
  UINT m_nMode;
  UINT m_nBufSize;
  BYTE* m_lpBufStart;
  BYTE* m_lpBufCur;
  BYTE* m_lpBufMax;
  bool m_bUserBuf;
  UINT m_nObjectSchema;
  int m_nDepth;                                        // objects being loaded, nested
  DWORD m_nMapCount;                                   // next index to hand out
  std::unordered_map<const void*, DWORD> m_storeMap;   // object or class -> index
  std::vector<LoadEntry> m_loadArray;                  // index -> object or class
};

// Strings: 1-byte length below 255; else 0xFF and a 16-bit length below 0xFFFF; else
// 0xFF, 0xFFFF and a 32-bit length.
CArchive& operator<<(CArchive& ar, const CString& str);
CArchive& operator>>(CArchive& ar, CString& str);

CArchive& operator<<(CArchive& ar, const CObject* pOb);
CArchive& operator>>(CArchive& ar, CObject*& pOb);
CArchive& operator>>(CArchive& ar, const CObject*& pOb);
