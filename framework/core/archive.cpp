#include "framework/archive.h"

#include <climits>
#include <cstring>
#include <limits>

namespace {
// Loading objects that contain objects recurses; hostile input must not be able to
// exhaust the stack.
const int kMaxLoadDepth = 512;
// Longest class name accepted when loading (as the classic reader).
const WORD kMaxClassName = 63;
}  // namespace

CArchive::CArchive(CFile* pFile, UINT nMode, int nBufSize, void* lpBuf)
    : m_pFile(pFile), m_nMode(nMode), m_nBufSize(0), m_lpBufStart(nullptr), m_lpBufCur(nullptr),
      m_lpBufMax(nullptr), m_bUserBuf(false), m_nObjectSchema((UINT)-1), m_nDepth(0), m_nMapCount(1) {
  if (nBufSize < 128) nBufSize = 128;  // room for any single value plus read-ahead
  m_nBufSize = (UINT)nBufSize;
  if (lpBuf) {
    m_lpBufStart = static_cast<BYTE*>(lpBuf);
    m_bUserBuf = true;
  } else {
    m_lpBufStart = new BYTE[m_nBufSize];
  }
  m_lpBufCur = m_lpBufStart;
  m_lpBufMax = IsLoading() ? m_lpBufStart : m_lpBufStart + m_nBufSize;
  if (pFile) m_strFileName = pFile->GetFilePath();
  m_loadArray.push_back(LoadEntry{nullptr, false, 0});  // index 0: the null object
}

CArchive::~CArchive() {
  if (m_pFile && IsStoring() && !(m_nMode & bNoFlushOnDelete)) {
    try {
      Flush();
    } catch (CException* e) {
      e->Delete();
    }
  }
  if (!m_bUserBuf) delete[] m_lpBufStart;
}

void CArchive::CheckLoading() const {
  if (!m_pFile) AfxThrowArchiveException(CArchiveException::genericException, m_strFileName);
  if (!IsLoading()) AfxThrowArchiveException(CArchiveException::writeOnly, m_strFileName);
}

void CArchive::CheckStoring() const {
  if (!m_pFile) AfxThrowArchiveException(CArchiveException::genericException, m_strFileName);
  if (IsLoading()) AfxThrowArchiveException(CArchiveException::readOnly, m_strFileName);
}

UINT CArchive::GetObjectSchema() {
  UINT n = m_nObjectSchema;
  m_nObjectSchema = (UINT)-1;
  return n;
}

// ---------------------------------------------------------------------------
// Buffering

bool CArchive::TryFill() {
  if (m_lpBufCur != m_lpBufMax) return true;
  UINT n = m_pFile->Read(m_lpBufStart, m_nBufSize);
  m_lpBufCur = m_lpBufStart;
  m_lpBufMax = m_lpBufStart + n;
  return n != 0;
}

void CArchive::FillBuffer(UINT nBytesNeeded) {
  CheckLoading();
  size_t have = (size_t)(m_lpBufMax - m_lpBufCur);
  if (have >= nBytesNeeded) return;
  if (have) std::memmove(m_lpBufStart, m_lpBufCur, have);
  m_lpBufCur = m_lpBufStart;
  m_lpBufMax = m_lpBufStart + have;
  while ((size_t)(m_lpBufMax - m_lpBufCur) < nBytesNeeded) {
    UINT room = m_nBufSize - (UINT)(m_lpBufMax - m_lpBufStart);
    UINT n = m_pFile->Read(m_lpBufMax, room);
    if (n == 0) AfxThrowArchiveException(CArchiveException::endOfFile, m_strFileName);
    m_lpBufMax += n;
  }
}

UINT CArchive::Read(void* lpBuf, UINT nMax) {
  CheckLoading();
  BYTE* out = static_cast<BYTE*>(lpBuf);
  UINT done = 0;
  while (done < nMax) {
    UINT have = (UINT)(m_lpBufMax - m_lpBufCur);
    if (have) {
      UINT n = nMax - done < have ? nMax - done : have;
      std::memcpy(out + done, m_lpBufCur, n);
      m_lpBufCur += n;
      done += n;
      continue;
    }
    if (nMax - done >= m_nBufSize) {  // large reads bypass the buffer
      UINT n = m_pFile->Read(out + done, nMax - done);
      if (n == 0) break;
      done += n;
      continue;
    }
    if (!TryFill()) break;
  }
  return done;
}

void CArchive::Write(const void* lpBuf, UINT nMax) {
  CheckStoring();
  const BYTE* in = static_cast<const BYTE*>(lpBuf);
  while (nMax) {
    UINT room = (UINT)(m_lpBufMax - m_lpBufCur);
    if (room == 0) {
      m_pFile->Write(m_lpBufStart, (UINT)(m_lpBufCur - m_lpBufStart));
      m_lpBufCur = m_lpBufStart;
      if (nMax >= m_nBufSize) {  // large writes bypass the buffer
        m_pFile->Write(in, nMax);
        return;
      }
      continue;
    }
    UINT n = nMax < room ? nMax : room;
    std::memcpy(m_lpBufCur, in, n);
    m_lpBufCur += n;
    in += n;
    nMax -= n;
  }
}

void CArchive::Flush() {
  if (!m_pFile) return;
  if (IsLoading()) {
    // Give back what was read ahead, so the file stands right after the archive.
    if (m_lpBufMax != m_lpBufCur) m_pFile->Seek(-(LONGLONG)(m_lpBufMax - m_lpBufCur), CFile::current);
    m_lpBufCur = m_lpBufMax = m_lpBufStart;
  } else if (m_lpBufCur != m_lpBufStart) {
    UINT n = (UINT)(m_lpBufCur - m_lpBufStart);
    m_lpBufCur = m_lpBufStart;  // dropped even if the write fails: no double write later
    m_pFile->Write(m_lpBufStart, n);
  }
}

void CArchive::Close() {
  Flush();
  m_pFile = nullptr;
}

void CArchive::Abort() {
  m_pFile = nullptr;
  m_lpBufCur = m_lpBufStart;
  m_lpBufMax = IsLoading() ? m_lpBufStart : m_lpBufStart + m_nBufSize;
}

ULONGLONG CArchive::GetRemainingLength() const {
  if (!m_pFile || !IsLoading()) return 0;
  ULONGLONG buffered = (ULONGLONG)(m_lpBufMax - m_lpBufCur);
  try {
    ULONGLONG len = m_pFile->GetLength();
    ULONGLONG pos = m_pFile->GetPosition();
    return buffered + (len > pos ? len - pos : 0);
  } catch (CException* e) {
    e->Delete();
    return std::numeric_limits<ULONGLONG>::max();  // unknown: a stream without a length
  }
}

void CArchive::EnsureRemaining(ULONGLONG nBytes) const {
  CheckLoading();
  if ((ULONGLONG)(m_lpBufMax - m_lpBufCur) >= nBytes) return;
  if (GetRemainingLength() < nBytes) AfxThrowArchiveException(CArchiveException::endOfFile, m_strFileName);
}

// ---------------------------------------------------------------------------
// Numbers, little-endian whatever the host.

CArchive& CArchive::operator<<(BYTE by) {
  Write(&by, 1);
  return *this;
}

CArchive& CArchive::operator<<(WORD w) {
  BYTE b[2] = {(BYTE)w, (BYTE)(w >> 8)};
  Write(b, 2);
  return *this;
}

CArchive& CArchive::WriteU32(uint32_t v) {
  BYTE b[4] = {(BYTE)v, (BYTE)(v >> 8), (BYTE)(v >> 16), (BYTE)(v >> 24)};
  Write(b, 4);
  return *this;
}

CArchive& CArchive::WriteU64(uint64_t v) {
  BYTE b[8];
  for (int i = 0; i < 8; ++i) b[i] = (BYTE)(v >> (8 * i));
  Write(b, 8);
  return *this;
}

CArchive& CArchive::operator<<(float f) {
  uint32_t v;
  static_assert(sizeof v == sizeof f, "32-bit float");
  std::memcpy(&v, &f, sizeof v);
  return WriteU32(v);
}

CArchive& CArchive::operator<<(double d) {
  uint64_t v;
  static_assert(sizeof v == sizeof d, "64-bit double");
  std::memcpy(&v, &d, sizeof v);
  return WriteU64(v);
}

CArchive& CArchive::operator>>(BYTE& by) {
  FillBuffer(1);
  by = *m_lpBufCur++;
  return *this;
}

CArchive& CArchive::operator>>(WORD& w) {
  FillBuffer(2);
  w = (WORD)(m_lpBufCur[0] | (m_lpBufCur[1] << 8));
  m_lpBufCur += 2;
  return *this;
}

uint32_t CArchive::ReadU32() {
  FillBuffer(4);
  uint32_t v = (uint32_t)m_lpBufCur[0] | ((uint32_t)m_lpBufCur[1] << 8) | ((uint32_t)m_lpBufCur[2] << 16) |
               ((uint32_t)m_lpBufCur[3] << 24);
  m_lpBufCur += 4;
  return v;
}

uint64_t CArchive::ReadU64() {
  FillBuffer(8);
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | m_lpBufCur[i];
  m_lpBufCur += 8;
  return v;
}

CArchive& CArchive::operator>>(float& f) {
  uint32_t v = ReadU32();
  std::memcpy(&f, &v, sizeof f);
  return *this;
}

CArchive& CArchive::operator>>(double& d) {
  uint64_t v = ReadU64();
  std::memcpy(&d, &v, sizeof d);
  return *this;
}

void CArchive::WriteCount(DWORD dwCount) {
  if (dwCount < 0xFFFF) {
    *this << (WORD)dwCount;
  } else {
    *this << (WORD)0xFFFF;
    WriteU32(dwCount);
  }
}

DWORD CArchive::ReadCount() {
  WORD w;
  *this >> w;
  if (w != 0xFFFF) return w;
  return ReadU32();
}

// ---------------------------------------------------------------------------
// Strings

CArchive& operator<<(CArchive& ar, const CString& str) {
  DWORD n = (DWORD)str.GetLength();
  if (n < 0xFF) {
    ar << (BYTE)n;
  } else if (n < 0xFFFF) {
    ar << (BYTE)0xFF << (WORD)n;
  } else {
    ar << (BYTE)0xFF << (WORD)0xFFFF << (DWORD)n;
  }
  ar.Write(str.GetString(), n);
  return ar;
}

CArchive& operator>>(CArchive& ar, CString& str) {
  BYTE b;
  ar >> b;
  DWORD n = b;
  if (b == 0xFF) {
    WORD w;
    ar >> w;
    n = w;
    if (w == 0xFFFF) ar >> n;
  }
  if (n > (DWORD)INT_MAX) AfxThrowArchiveException(CArchiveException::genericException, ar.m_strFileName);
  ar.EnsureRemaining(n);  // before allocating: a stored length is not to be trusted
  CString s;
  char* p = s.GetBufferSetLength((int)n);
  if (ar.Read(p, n) != n) AfxThrowArchiveException(CArchiveException::endOfFile, ar.m_strFileName);
  str = std::move(s);
  return ar;
}

void CArchive::WriteString(const char* lpsz) {
  if (lpsz) Write(lpsz, (UINT)std::strlen(lpsz));
}

BOOL CArchive::ReadString(CString& rString) {
  CheckLoading();
  std::string line;
  bool any = false;
  for (;;) {
    if (m_lpBufCur == m_lpBufMax && !TryFill()) break;
    any = true;
    BYTE* nl = static_cast<BYTE*>(std::memchr(m_lpBufCur, '\n', (size_t)(m_lpBufMax - m_lpBufCur)));
    BYTE* stop = nl ? nl : m_lpBufMax;
    line.append(reinterpret_cast<const char*>(m_lpBufCur), (size_t)(stop - m_lpBufCur));
    m_lpBufCur = nl ? nl + 1 : m_lpBufMax;
    if (nl) break;
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  rString = CString(line);
  return any;
}

char* CArchive::ReadString(char* lpsz, UINT nMax) {
  CheckLoading();
  if (!lpsz || nMax == 0) return nullptr;
  UINT n = 0;
  bool any = false;
  while (n + 1 < nMax) {
    if (m_lpBufCur == m_lpBufMax && !TryFill()) break;
    any = true;
    char c = (char)*m_lpBufCur++;
    if (c == '\n') break;
    lpsz[n++] = c;
  }
  if (n && lpsz[n - 1] == '\r') --n;
  lpsz[n] = '\0';
  return any ? lpsz : nullptr;
}

// ---------------------------------------------------------------------------
// Objects: one index space for classes and objects, counted from 1 in the order
// they first appear.

void CArchive::WriteClass(const CRuntimeClass* pClassRef) {
  CheckStoring();
  if (!pClassRef || !pClassRef->IsSerializable())
    AfxThrowArchiveException(CArchiveException::badClass, m_strFileName);
  auto it = m_storeMap.find(pClassRef);
  if (it != m_storeMap.end()) {
    DWORD nClassIndex = it->second;
    if (nClassIndex < wBigObjectTag) {
      *this << (WORD)(wClassTag | nClassIndex);
    } else {
      *this << (WORD)wBigObjectTag;
      WriteU32(dwBigClassTag | nClassIndex);
    }
    return;
  }
  if (m_nMapCount >= nMaxMapCount) AfxThrowArchiveException(CArchiveException::badIndex, m_strFileName);
  size_t len = std::strlen(pClassRef->m_lpszClassName);
  *this << (WORD)wNewClassTag;
  *this << (WORD)(pClassRef->m_wSchema & ~VERSIONABLE_SCHEMA);
  *this << (WORD)len;
  Write(pClassRef->m_lpszClassName, (UINT)len);
  m_storeMap[pClassRef] = m_nMapCount++;
}

void CArchive::WriteObject(const CObject* pOb) {
  CheckStoring();
  if (!pOb) {
    *this << (WORD)wNullTag;
    return;
  }
  auto it = m_storeMap.find(pOb);
  if (it != m_storeMap.end()) {
    DWORD nObIndex = it->second;
    if (nObIndex < wBigObjectTag) {
      *this << (WORD)nObIndex;
    } else {
      *this << (WORD)wBigObjectTag;
      WriteU32(nObIndex);
    }
    return;
  }
  WriteClass(pOb->GetRuntimeClass());
  if (m_nMapCount >= nMaxMapCount) AfxThrowArchiveException(CArchiveException::badIndex, m_strFileName);
  m_storeMap[pOb] = m_nMapCount++;
  const_cast<CObject*>(pOb)->Serialize(*this);
}

CRuntimeClass* CArchive::ReadClass(const CRuntimeClass* pClassRefRequested, UINT* pSchema, DWORD* pObTag) {
  CheckLoading();
  WORD wTag;
  *this >> wTag;
  DWORD obTag;
  if (wTag == wBigObjectTag)
    obTag = ReadU32();
  else
    obTag = ((DWORD)(wTag & wClassTag) << 16) | (wTag & ~wClassTag);

  if (!(obTag & dwBigClassTag)) {  // an object reference, not a class
    if (!pObTag) AfxThrowArchiveException(CArchiveException::badIndex, m_strFileName);
    *pObTag = obTag;
    return nullptr;
  }

  CRuntimeClass* pClassRef = nullptr;
  UINT nSchema = 0;
  if (wTag == wNewClassTag) {
    WORD wSchema, nLen;
    *this >> wSchema >> nLen;
    if (nLen > kMaxClassName) AfxThrowArchiveException(CArchiveException::badClass, m_strFileName);
    char szName[kMaxClassName + 1];
    if (Read(szName, nLen) != nLen) AfxThrowArchiveException(CArchiveException::endOfFile, m_strFileName);
    szName[nLen] = '\0';
    pClassRef = CRuntimeClass::FromName(szName);
    if (!pClassRef || !pClassRef->IsSerializable() || !pClassRef->m_pfnCreateObject)
      AfxThrowArchiveException(CArchiveException::badClass, m_strFileName);
    nSchema = wSchema;
    if ((pClassRef->m_wSchema & ~VERSIONABLE_SCHEMA) != nSchema && !(pClassRef->m_wSchema & VERSIONABLE_SCHEMA))
      AfxThrowArchiveException(CArchiveException::badSchema, m_strFileName);
    if (m_loadArray.size() >= nMaxMapCount) AfxThrowArchiveException(CArchiveException::badIndex, m_strFileName);
    m_loadArray.push_back(LoadEntry{pClassRef, true, nSchema});
  } else {
    DWORD nClassIndex = obTag & ~dwBigClassTag;
    if (nClassIndex == 0 || nClassIndex >= m_loadArray.size() || !m_loadArray[nClassIndex].isClass)
      AfxThrowArchiveException(CArchiveException::badIndex, m_strFileName);
    pClassRef = static_cast<CRuntimeClass*>(m_loadArray[nClassIndex].p);
    nSchema = m_loadArray[nClassIndex].schema;
  }

  if (pClassRefRequested && !pClassRef->IsDerivedFrom(pClassRefRequested))
    AfxThrowArchiveException(CArchiveException::badClass, m_strFileName);
  if (pSchema) *pSchema = nSchema;
  if (pObTag) *pObTag = 0;
  return pClassRef;
}

CObject* CArchive::ReadObject(const CRuntimeClass* pClassRefRequested) {
  UINT nSchema = 0;
  DWORD obTag = 0;
  CRuntimeClass* pClassRef = ReadClass(pClassRefRequested, &nSchema, &obTag);

  if (!pClassRef) {  // null or an object loaded before
    if (obTag >= m_loadArray.size() || m_loadArray[obTag].isClass)
      AfxThrowArchiveException(CArchiveException::badIndex, m_strFileName);
    CObject* pOb = static_cast<CObject*>(m_loadArray[obTag].p);
    if (obTag != 0 && !pOb)  // an object whose loading failed
      AfxThrowArchiveException(CArchiveException::badIndex, m_strFileName);
    if (pOb && pClassRefRequested && !pOb->IsKindOf(pClassRefRequested))
      AfxThrowArchiveException(CArchiveException::badClass, m_strFileName);
    return pOb;
  }

  if (m_nDepth >= kMaxLoadDepth) AfxThrowArchiveException(CArchiveException::genericException, m_strFileName);
  if (m_loadArray.size() >= nMaxMapCount) AfxThrowArchiveException(CArchiveException::badIndex, m_strFileName);
  CObject* pOb = pClassRef->CreateObject();
  if (!pOb) AfxThrowMemoryException();
  size_t index = m_loadArray.size();
  m_loadArray.push_back(LoadEntry{pOb, false, 0});
  UINT nSavedSchema = m_nObjectSchema;
  m_nObjectSchema = nSchema;
  ++m_nDepth;
  try {
    pOb->Serialize(*this);
  } catch (...) {
    // The half-loaded object is nobody's: free it and make later references fail.
    --m_nDepth;
    m_loadArray[index].p = nullptr;
    delete pOb;
    throw;
  }
  --m_nDepth;
  m_nObjectSchema = nSavedSchema;
  return pOb;
}

CArchive& operator<<(CArchive& ar, const CObject* pOb) {
  ar.WriteObject(pOb);
  return ar;
}

CArchive& operator>>(CArchive& ar, CObject*& pOb) {
  pOb = ar.ReadObject(nullptr);
  return ar;
}

CArchive& operator>>(CArchive& ar, const CObject*& pOb) {
  pOb = ar.ReadObject(nullptr);
  return ar;
}
