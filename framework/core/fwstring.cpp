#include "framework/fwstring.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

#ifdef _WIN32
#include "framework/module.h"
#endif

// ---------------------------------------------------------------------------
// Lead bytes of the code page in use: one 256-entry table per code page, built on
// first use and never freed (tables are few and shared by all threads).
namespace {
struct LeadTable {
  unsigned cp;
  bool lead[256];
};

std::atomic<unsigned> g_cpOverride{0};
std::atomic<const LeadTable*> g_current{nullptr};

const LeadTable* TableFor(unsigned cp) {
  static std::mutex lock;
  static std::vector<LeadTable*>* tables = new std::vector<LeadTable*>;
  std::lock_guard<std::mutex> guard(lock);
  for (LeadTable* t : *tables)
    if (t->cp == cp) return t;
  LeadTable* t = new LeadTable;
  t->cp = cp;
  bool any = false;
  for (int c = 0; c < 256; ++c) {
    bool lead = false;
#ifdef _WIN32
    if (cp != 0) lead = IsDBCSLeadByteEx(cp, (BYTE)c) != 0;
#endif
    t->lead[c] = lead;
    any = any || lead;
  }
  if (!any) {
    // Without the system's table (the native build, or a system that lacks the code
    // page) the double-byte code pages are known by their lead ranges.
    for (int c = 0; c < 256; ++c) {
      switch (cp) {
        case 936:  // GBK
        case 949:  // Unified Hangul
        case 950:  // Big5
          t->lead[c] = c >= 0x81 && c <= 0xFE;
          break;
        case 932:  // Shift-JIS
          t->lead[c] = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
          break;
        default:
          break;
      }
    }
  }
  tables->push_back(t);
  return t;
}

const LeadTable* Current() {
  const LeadTable* t = g_current.load(std::memory_order_acquire);
  if (!t) {
    t = TableFor(FwGetCodePage());
    g_current.store(t, std::memory_order_release);
  }
  return t;
}

inline bool IsLead(const LeadTable* t, char c) { return t->lead[(BYTE)c]; }

// Length of the character at i of s (n bytes): 2 for a lead byte followed by a
// non-NUL byte, else 1.
inline size_t CharLen(const LeadTable* t, const char* s, size_t n, size_t i) {
  return (IsLead(t, s[i]) && i + 1 < n && s[i + 1] != '\0') ? 2 : 1;
}

// Whether the character ch (len bytes) is one of the characters of set.
bool SetHas(const LeadTable* t, const char* set, const char* ch, size_t len) {
  if (!set) return false;
  size_t n = std::strlen(set);
  for (size_t i = 0; i < n;) {
    size_t l = CharLen(t, set, n, i);
    if (l == len && std::memcmp(set + i, ch, len) == 0) return true;
    i += l;
  }
  return false;
}

inline bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
inline char ToLower(char c) { return (c >= 'A' && c <= 'Z') ? (char)(c + ('a' - 'A')) : c; }
inline char ToUpper(char c) { return (c >= 'a' && c <= 'z') ? (char)(c - ('a' - 'A')) : c; }

// First character boundary at or after nStart.
size_t BoundaryFrom(const LeadTable* t, const std::string& s, size_t nStart) {
  size_t i = 0;
  while (i < nStart && i < s.size()) i += CharLen(t, s.data(), s.size(), i);
  return i;
}
}  // namespace

void FwSetCodePage(unsigned cp) {
  g_cpOverride.store(cp);
  g_current.store(TableFor(FwGetCodePage()), std::memory_order_release);
}

unsigned FwGetCodePage() {
  unsigned cp = g_cpOverride.load();
  if (cp) return cp;
#ifdef _WIN32
  return GetACP();
#else
  return 0;
#endif
}

bool FwIsLeadByte(BYTE c) { return Current()->lead[c]; }

int FwCharLen(const char* p) {
  if (!p || !*p) return 0;
  return (FwIsLeadByte((BYTE)p[0]) && p[1] != '\0') ? 2 : 1;
}

// ---------------------------------------------------------------------------
CString::CString(const char* psz) {
  if (psz) m_str = psz;
}

CString::CString(const char* pch, int nLength) {
  if (pch && nLength > 0) m_str.assign(pch, (size_t)nLength);
}

CString::CString(char ch, int nRepeat) {
  if (nRepeat > 0) m_str.assign((size_t)nRepeat, ch);
}

CString& CString::operator=(const char* psz) {
  if (psz)
    m_str.assign(psz);
  else
    m_str.clear();
  return *this;
}

CString& CString::operator=(char ch) {
  m_str.assign(1, ch);
  return *this;
}

CString& CString::operator+=(const char* psz) {
  if (psz) m_str.append(psz);
  return *this;
}

CString operator+(const CString& a, const CString& b) {
  CString r(a);
  r.m_str += b.m_str;
  return r;
}
CString operator+(const CString& a, const char* b) {
  CString r(a);
  r += b;
  return r;
}
CString operator+(const char* a, const CString& b) {
  CString r(a);
  r.m_str += b.m_str;
  return r;
}
CString operator+(const CString& a, char b) {
  CString r(a);
  r.m_str += b;
  return r;
}
CString operator+(char a, const CString& b) {
  CString r(a);
  r.m_str += b.m_str;
  return r;
}

char* CString::GetBuffer(int nMinBufLength) {
  if (nMinBufLength > 0 && (size_t)nMinBufLength > m_str.size()) m_str.resize((size_t)nMinBufLength);
  return &m_str[0];
}

char* CString::GetBufferSetLength(int nNewLength) {
  m_str.resize(nNewLength > 0 ? (size_t)nNewLength : 0);
  return &m_str[0];
}

void CString::ReleaseBuffer(int nNewLength) {
  if (nNewLength < 0)
    m_str.resize(::strnlen(m_str.c_str(), m_str.size()));
  else if ((size_t)nNewLength < m_str.size())
    m_str.resize((size_t)nNewLength);
}

char CString::GetAt(int nIndex) const {
  ASSERT(nIndex >= 0 && nIndex < GetLength());
  return (nIndex >= 0 && (size_t)nIndex < m_str.size()) ? m_str[(size_t)nIndex] : '\0';
}

void CString::SetAt(int nIndex, char ch) {
  ASSERT(nIndex >= 0 && nIndex < GetLength());
  if (nIndex >= 0 && (size_t)nIndex < m_str.size()) m_str[(size_t)nIndex] = ch;
}

int CString::Compare(const char* psz) const { return std::strcmp(m_str.c_str(), psz ? psz : ""); }

int CString::CompareNoCase(const char* psz) const {
  const LeadTable* t = Current();
  const char* a = m_str.c_str();
  const char* b = psz ? psz : "";
  // Equal prefixes have the same character boundaries in both strings, since only
  // ASCII letters (never lead bytes) are folded.
  size_t i = 0;
  for (;;) {
    if (IsLead(t, a[i]) && a[i + 1] != '\0') {
      for (int k = 0; k < 2; ++k, ++i)
        if (a[i] != b[i]) return (BYTE)a[i] < (BYTE)b[i] ? -1 : 1;
      continue;
    }
    BYTE ca = (BYTE)ToLower(a[i]), cb = (BYTE)ToLower(b[i]);
    if (ca != cb) return ca < cb ? -1 : 1;
    if (ca == 0) return 0;
    ++i;
  }
}

void CString::FormatV(const char* pszFormat, va_list args) {
  if (!pszFormat) {
    m_str.clear();
    return;
  }
  char small[256];
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(small, sizeof small, pszFormat, copy);
  va_end(copy);
  if (n >= 0 && (size_t)n < sizeof small) {
    m_str.assign(small, (size_t)n);
    return;
  }
  // A C library that returns -1 for a short buffer makes us grow it step by step.
  size_t size = n >= 0 ? (size_t)n + 1 : sizeof small * 4;
  for (;;) {
    std::vector<char> buf(size);
    va_copy(copy, args);
    n = std::vsnprintf(buf.data(), size, pszFormat, copy);
    va_end(copy);
    if (n >= 0 && (size_t)n < size) {
      m_str.assign(buf.data(), (size_t)n);
      return;
    }
    if (size > (64u << 20)) {  // an unformattable format: give what fits
      m_str.assign(buf.data(), ::strnlen(buf.data(), size));
      return;
    }
    size = n >= 0 ? (size_t)n + 1 : size * 4;
  }
}

void CString::Format(const char* pszFormat, ...) {
  va_list args;
  va_start(args, pszFormat);
  FormatV(pszFormat, args);
  va_end(args);
}

void CString::AppendFormat(const char* pszFormat, ...) {
  CString more;
  va_list args;
  va_start(args, pszFormat);
  more.FormatV(pszFormat, args);
  va_end(args);
  m_str += more.m_str;
}

int CString::Find(char ch, int nStart) const {
  if (nStart < 0) nStart = 0;
  const LeadTable* t = Current();
  for (size_t i = BoundaryFrom(t, m_str, (size_t)nStart); i < m_str.size();) {
    size_t l = CharLen(t, m_str.data(), m_str.size(), i);
    if (l == 1 && m_str[i] == ch) return (int)i;
    i += l;
  }
  return -1;
}

int CString::Find(const char* pszSub, int nStart) const {
  if (!pszSub) return -1;
  if (nStart < 0) nStart = 0;
  if ((size_t)nStart > m_str.size()) return -1;
  size_t subLen = std::strlen(pszSub);
  const LeadTable* t = Current();
  for (size_t i = BoundaryFrom(t, m_str, (size_t)nStart); i + subLen <= m_str.size();) {
    if (m_str.compare(i, subLen, pszSub, subLen) == 0) return (int)i;
    if (i >= m_str.size()) break;
    i += CharLen(t, m_str.data(), m_str.size(), i);
  }
  return -1;
}

int CString::ReverseFind(char ch) const {
  const LeadTable* t = Current();
  int found = -1;
  for (size_t i = 0; i < m_str.size();) {
    size_t l = CharLen(t, m_str.data(), m_str.size(), i);
    if (l == 1 && m_str[i] == ch) found = (int)i;
    i += l;
  }
  return found;
}

int CString::FindOneOf(const char* pszCharSet) const {
  const LeadTable* t = Current();
  for (size_t i = 0; i < m_str.size();) {
    size_t l = CharLen(t, m_str.data(), m_str.size(), i);
    if (SetHas(t, pszCharSet, m_str.data() + i, l)) return (int)i;
    i += l;
  }
  return -1;
}

CString CString::Left(int nCount) const {
  if (nCount <= 0) return CString();
  return CString(m_str.substr(0, (size_t)nCount));
}

CString CString::Mid(int nFirst) const {
  if (nFirst < 0) nFirst = 0;
  if ((size_t)nFirst >= m_str.size()) return CString();
  return CString(m_str.substr((size_t)nFirst));
}

CString CString::Mid(int nFirst, int nCount) const {
  if (nFirst < 0) nFirst = 0;
  if (nCount <= 0 || (size_t)nFirst >= m_str.size()) return CString();
  return CString(m_str.substr((size_t)nFirst, (size_t)nCount));
}

CString CString::Right(int nCount) const {
  if (nCount <= 0) return CString();
  if ((size_t)nCount >= m_str.size()) return *this;
  return CString(m_str.substr(m_str.size() - (size_t)nCount));
}

CString CString::SpanIncluding(const char* pszCharSet) const {
  const LeadTable* t = Current();
  size_t i = 0;
  while (i < m_str.size()) {
    size_t l = CharLen(t, m_str.data(), m_str.size(), i);
    if (!SetHas(t, pszCharSet, m_str.data() + i, l)) break;
    i += l;
  }
  return CString(m_str.substr(0, i));
}

CString CString::SpanExcluding(const char* pszCharSet) const {
  const LeadTable* t = Current();
  size_t i = 0;
  while (i < m_str.size()) {
    size_t l = CharLen(t, m_str.data(), m_str.size(), i);
    if (SetHas(t, pszCharSet, m_str.data() + i, l)) break;
    i += l;
  }
  return CString(m_str.substr(0, i));
}

CString CString::Tokenize(const char* pszTokens, int& iStart) const {
  if (iStart >= 0 && (size_t)iStart < m_str.size()) {
    if (!pszTokens || !*pszTokens) {
      CString r = Mid(iStart);
      iStart = GetLength();
      return r;
    }
    const LeadTable* t = Current();
    size_t i = BoundaryFrom(t, m_str, (size_t)iStart);
    while (i < m_str.size()) {
      size_t l = CharLen(t, m_str.data(), m_str.size(), i);
      if (!SetHas(t, pszTokens, m_str.data() + i, l)) break;
      i += l;
    }
    if (i < m_str.size()) {
      size_t from = i;
      while (i < m_str.size()) {
        size_t l = CharLen(t, m_str.data(), m_str.size(), i);
        if (SetHas(t, pszTokens, m_str.data() + i, l)) break;
        i += l;
      }
      iStart = (int)(i + (i < m_str.size() ? CharLen(t, m_str.data(), m_str.size(), i) : 0));
      return CString(m_str.substr(from, i - from));
    }
  }
  iStart = -1;
  return CString();
}

namespace {
template <typename Pred>
void TrimLeftIf(std::string& s, Pred inSet) {
  const LeadTable* t = Current();
  size_t i = 0;
  while (i < s.size()) {
    size_t l = CharLen(t, s.data(), s.size(), i);
    if (!inSet(s.data() + i, l)) break;
    i += l;
  }
  s.erase(0, i);
}

template <typename Pred>
void TrimRightIf(std::string& s, Pred inSet) {
  const LeadTable* t = Current();
  size_t keep = 0;  // end of the last character that stays
  for (size_t i = 0; i < s.size();) {
    size_t l = CharLen(t, s.data(), s.size(), i);
    if (!inSet(s.data() + i, l)) keep = i + l;
    i += l;
  }
  s.resize(keep);
}
}  // namespace

CString& CString::TrimLeft() {
  TrimLeftIf(m_str, [](const char* p, size_t l) { return l == 1 && IsSpace(*p); });
  return *this;
}
CString& CString::TrimLeft(char chTarget) {
  TrimLeftIf(m_str, [chTarget](const char* p, size_t l) { return l == 1 && *p == chTarget; });
  return *this;
}
CString& CString::TrimLeft(const char* pszTargets) {
  const LeadTable* t = Current();
  TrimLeftIf(m_str, [t, pszTargets](const char* p, size_t l) { return SetHas(t, pszTargets, p, l); });
  return *this;
}
CString& CString::TrimRight() {
  TrimRightIf(m_str, [](const char* p, size_t l) { return l == 1 && IsSpace(*p); });
  return *this;
}
CString& CString::TrimRight(char chTarget) {
  TrimRightIf(m_str, [chTarget](const char* p, size_t l) { return l == 1 && *p == chTarget; });
  return *this;
}
CString& CString::TrimRight(const char* pszTargets) {
  const LeadTable* t = Current();
  TrimRightIf(m_str, [t, pszTargets](const char* p, size_t l) { return SetHas(t, pszTargets, p, l); });
  return *this;
}

CString& CString::MakeUpper() {
  const LeadTable* t = Current();
  for (size_t i = 0; i < m_str.size();) {
    size_t l = CharLen(t, m_str.data(), m_str.size(), i);
    if (l == 1) m_str[i] = ToUpper(m_str[i]);
    i += l;
  }
  return *this;
}

CString& CString::MakeLower() {
  const LeadTable* t = Current();
  for (size_t i = 0; i < m_str.size();) {
    size_t l = CharLen(t, m_str.data(), m_str.size(), i);
    if (l == 1) m_str[i] = ToLower(m_str[i]);
    i += l;
  }
  return *this;
}

CString& CString::MakeReverse() {
  const LeadTable* t = Current();
  std::string r(m_str.size(), '\0');
  size_t out = m_str.size();
  for (size_t i = 0; i < m_str.size();) {
    size_t l = CharLen(t, m_str.data(), m_str.size(), i);
    out -= l;
    std::memcpy(&r[out], m_str.data() + i, l);
    i += l;
  }
  m_str.swap(r);
  return *this;
}

int CString::Replace(char chOld, char chNew) {
  const LeadTable* t = Current();
  int count = 0;
  for (size_t i = 0; i < m_str.size();) {
    size_t l = CharLen(t, m_str.data(), m_str.size(), i);
    if (l == 1 && m_str[i] == chOld) {
      m_str[i] = chNew;
      ++count;
    }
    i += l;
  }
  return count;
}

int CString::Replace(const char* pszOld, const char* pszNew) {
  size_t oldLen = pszOld ? std::strlen(pszOld) : 0;
  if (oldLen == 0) return 0;
  if (!pszNew) pszNew = "";
  const LeadTable* t = Current();
  std::string r;
  int count = 0;
  for (size_t i = 0; i < m_str.size();) {
    if (m_str.compare(i, oldLen, pszOld, oldLen) == 0) {
      r += pszNew;
      i += oldLen;
      ++count;
      continue;
    }
    size_t l = CharLen(t, m_str.data(), m_str.size(), i);
    r.append(m_str, i, l);
    i += l;
  }
  if (count) m_str.swap(r);
  return count;
}

int CString::Remove(char ch) {
  const LeadTable* t = Current();
  std::string r;
  r.reserve(m_str.size());
  int count = 0;
  for (size_t i = 0; i < m_str.size();) {
    size_t l = CharLen(t, m_str.data(), m_str.size(), i);
    if (l == 1 && m_str[i] == ch)
      ++count;
    else
      r.append(m_str, i, l);
    i += l;
  }
  m_str.swap(r);
  return count;
}

int CString::Insert(int nIndex, char ch) {
  if (nIndex < 0) nIndex = 0;
  if ((size_t)nIndex > m_str.size()) nIndex = (int)m_str.size();
  m_str.insert((size_t)nIndex, 1, ch);
  return GetLength();
}

int CString::Insert(int nIndex, const char* psz) {
  if (nIndex < 0) nIndex = 0;
  if ((size_t)nIndex > m_str.size()) nIndex = (int)m_str.size();
  if (psz) m_str.insert((size_t)nIndex, psz);
  return GetLength();
}

int CString::Delete(int nIndex, int nCount) {
  if (nIndex < 0) nIndex = 0;
  if (nCount > 0 && (size_t)nIndex < m_str.size()) m_str.erase((size_t)nIndex, (size_t)nCount);
  return GetLength();
}

#ifdef _WIN32
BOOL CString::LoadString(UINT nID) {
  HINSTANCE hInst = AfxGetResourceHandle();
  // LoadStringA cuts to the buffer; grow until the text fits with room to spare.
  for (int size = 256; size <= 65536; size *= 4) {
    std::vector<char> buf((size_t)size);
    int n = ::LoadStringA(hInst, nID, buf.data(), size);
    if (n <= 0) {
      m_str.clear();
      return FALSE;
    }
    if (n < size - 1) {
      m_str.assign(buf.data(), (size_t)n);
      return TRUE;
    }
  }
  return FALSE;
}
#endif
