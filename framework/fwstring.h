// CString: multibyte text in the system code page (or the code page forced with
// FwSetCodePage). Positions and lengths are in bytes; searching, trimming, case
// mapping and replacing step over double-byte characters whole, so a trail byte is
// never taken for a character of its own. Case mapping touches ASCII letters only.
#pragma once

#include <cstdarg>
#include <string>
#include <type_traits>

#include "framework/fwtypes.h"

// Code page for the lead-byte test: 0 = the system ANSI code page (Windows) or
// single-byte text (native). 936 (GBK): lead bytes 0x81..0xFE.
void FwSetCodePage(unsigned cp);
unsigned FwGetCodePage();
bool FwIsLeadByte(BYTE c);
// Byte length of the character at p (0 at the terminator, 2 for a lead byte with a
// following byte, else 1).
int FwCharLen(const char* p);

#if defined(__MINGW32__)
#define FW_PRINTF_FORMAT(fmt, first) __attribute__((format(__MINGW_PRINTF_FORMAT, fmt, first)))
#elif defined(__GNUC__)
#define FW_PRINTF_FORMAT(fmt, first) __attribute__((format(printf, fmt, first)))
#else
#define FW_PRINTF_FORMAT(fmt, first)
#endif

class CString {
public:
  CString() = default;
  CString(const CString&) = default;
  CString(CString&&) noexcept = default;
  CString(const char* psz);                 // null gives an empty string
  CString(const char* pch, int nLength);    // exactly nLength bytes
  explicit CString(char ch, int nRepeat = 1);
  CString(const std::string& s) : m_str(s) {}
  ~CString() = default;

  CString& operator=(const CString&) = default;
  CString& operator=(CString&&) noexcept = default;
  CString& operator=(const char* psz);
  CString& operator=(char ch);

  int GetLength() const { return (int)m_str.size(); }
  bool IsEmpty() const { return m_str.empty(); }
  void Empty() { m_str.clear(); }
  operator const char*() const { return m_str.c_str(); }
  const char* GetString() const { return m_str.c_str(); }
  const std::string& str() const { return m_str; }

  // Direct buffer access: GetBuffer(n) returns room for at least n bytes plus the
  // terminator; ReleaseBuffer(-1) takes the length up to the first NUL.
  char* GetBuffer(int nMinBufLength = 0);
  char* GetBufferSetLength(int nNewLength);
  void ReleaseBuffer(int nNewLength = -1);
  void FreeExtra() { m_str.shrink_to_fit(); }

  char GetAt(int nIndex) const;
  void SetAt(int nIndex, char ch);
  template <typename I, typename = typename std::enable_if<std::is_integral<I>::value>::type>
  char operator[](I nIndex) const { return GetAt((int)nIndex); }

  CString& operator+=(const CString& s) { m_str += s.m_str; return *this; }
  CString& operator+=(const char* psz);
  CString& operator+=(char ch) { m_str += ch; return *this; }

  friend CString operator+(const CString& a, const CString& b);
  friend CString operator+(const CString& a, const char* b);
  friend CString operator+(const char* a, const CString& b);
  friend CString operator+(const CString& a, char b);
  friend CString operator+(char a, const CString& b);

  int Compare(const char* psz) const;           // byte order, like strcmp
  int CompareNoCase(const char* psz) const;     // ASCII letters folded
  int Collate(const char* psz) const { return Compare(psz); }

  void Format(const char* pszFormat, ...) FW_PRINTF_FORMAT(2, 3);
  void AppendFormat(const char* pszFormat, ...) FW_PRINTF_FORMAT(2, 3);
  void FormatV(const char* pszFormat, va_list args);

  // -1 when not found; a start inside a double-byte character begins after it.
  int Find(char ch, int nStart = 0) const;
  int Find(const char* pszSub, int nStart = 0) const;
  int ReverseFind(char ch) const;
  int FindOneOf(const char* pszCharSet) const;

  CString Left(int nCount) const;
  CString Mid(int nFirst) const;
  CString Mid(int nFirst, int nCount) const;
  CString Right(int nCount) const;
  CString SpanIncluding(const char* pszCharSet) const;
  CString SpanExcluding(const char* pszCharSet) const;
  // Next token after iStart; iStart becomes -1 (and the result empty) at the end.
  CString Tokenize(const char* pszTokens, int& iStart) const;

  CString& TrimLeft();                       // white space
  CString& TrimLeft(char chTarget);
  CString& TrimLeft(const char* pszTargets);
  CString& TrimRight();
  CString& TrimRight(char chTarget);
  CString& TrimRight(const char* pszTargets);
  CString& Trim() { TrimRight(); return TrimLeft(); }
  CString& Trim(char chTarget) { TrimRight(chTarget); return TrimLeft(chTarget); }
  CString& Trim(const char* pszTargets) { TrimRight(pszTargets); return TrimLeft(pszTargets); }

  CString& MakeUpper();
  CString& MakeLower();
  CString& MakeReverse();                    // keeps double-byte characters whole

  int Replace(char chOld, char chNew);       // returns the number replaced
  int Replace(const char* pszOld, const char* pszNew);
  int Remove(char ch);                       // returns the number removed
  int Insert(int nIndex, char ch);           // returns the new length
  int Insert(int nIndex, const char* psz);
  int Delete(int nIndex, int nCount = 1);    // returns the new length

#ifdef _WIN32
  // From the string table of AfxGetResourceHandle(); FALSE (and empty) if absent.
  BOOL LoadString(UINT nID);
#endif

private:
  std::string m_str;
};

inline bool operator==(const CString& a, const CString& b) { return a.str() == b.str(); }
inline bool operator==(const CString& a, const char* b) { return a.Compare(b) == 0; }
inline bool operator==(const char* a, const CString& b) { return b.Compare(a) == 0; }
inline bool operator!=(const CString& a, const CString& b) { return !(a == b); }
inline bool operator!=(const CString& a, const char* b) { return !(a == b); }
inline bool operator!=(const char* a, const CString& b) { return !(a == b); }
inline bool operator<(const CString& a, const CString& b) { return a.Compare(b) < 0; }
inline bool operator<(const CString& a, const char* b) { return a.Compare(b) < 0; }
inline bool operator<(const char* a, const CString& b) { return b.Compare(a) > 0; }
inline bool operator>(const CString& a, const CString& b) { return a.Compare(b) > 0; }
inline bool operator>(const CString& a, const char* b) { return a.Compare(b) > 0; }
inline bool operator>(const char* a, const CString& b) { return b.Compare(a) < 0; }
inline bool operator<=(const CString& a, const CString& b) { return a.Compare(b) <= 0; }
inline bool operator>=(const CString& a, const CString& b) { return a.Compare(b) >= 0; }
